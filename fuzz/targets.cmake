# One target per parser of untrusted text; paths are relative to the repository root.

# The settings layer as the services above it see it.
set(settings_sources
  src/common/AtomicFile.cpp
  src/common/ConsumableKey.cpp
  src/common/JsonRead.cpp
  src/common/LogCategories.cpp
  src/common/NumberClamp.cpp
  src/common/SecretRedaction.cpp
  src/common/WriteFailureMonitor.cpp
  src/settings/AppSettings.cpp
  src/settings/ConsumableTabs.cpp
  src/settings/HelpSections.cpp
  src/settings/OrderedJson.cpp
  src/settings/PageKeys.cpp
  src/settings/ScannerSlots.cpp
  src/settings/ScriptEntries.cpp
  src/settings/ServerLinks.cpp
  src/settings/ServerPayloadPatch.cpp
  src/settings/SettingsFileStore.cpp
  src/settings/SettingsJsonReader.cpp
  src/settings/SettingsJsonWriter.cpp
  src/settings/SettingsRules.cpp
  src/settings/WallBindings.cpp)

vorn_add_fuzzer(production_code
  SOURCES fuzz/production_code_fuzzer.cpp src/common/ProductionCode.cpp
  QT Core)

vorn_add_fuzzer(settings_files
  SOURCES fuzz/settings_files_fuzzer.cpp ${settings_sources}
  QT Core)

vorn_add_fuzzer(server_reply
  SOURCES fuzz/server_reply_fuzzer.cpp src/serverlink/ServerRequest.cpp ${settings_sources}
  QT Core Network)

vorn_add_fuzzer(scan_reply
  SOURCES fuzz/scan_reply_fuzzer.cpp src/production/ScanReplyJudge.cpp
          src/production/OrderScanCodes.cpp src/common/JsonRead.cpp src/common/NumberClamp.cpp
          src/common/ProductionCode.cpp
  QT Core)

vorn_add_fuzzer(wall_payload
  SOURCES fuzz/wall_payload_fuzzer.cpp src/consumables/WallPayload.cpp
          src/common/ConsumableKey.cpp src/common/JsonRead.cpp
  QT Core)

vorn_add_fuzzer(employee_payload
  SOURCES fuzz/employee_payload_fuzzer.cpp src/staff/EmployeeIdentity.cpp src/common/CardUid.cpp
          src/common/JsonRead.cpp
  QT Core)

vorn_add_fuzzer(snapshot_orders
  SOURCES fuzz/snapshot_orders_fuzzer.cpp src/production/OrdersModel.cpp src/production/OrdersSnapshotPlan.cpp
          src/common/BackgroundQueue.cpp src/common/JsonRead.cpp src/common/LogCategories.cpp
          src/common/JsonScan.cpp src/common/SnapshotItems.cpp
  QT Core)

vorn_add_fuzzer(snapshot_consumables
  SOURCES fuzz/snapshot_consumables_fuzzer.cpp ${settings_sources}
          src/serverlink/ServerRequest.cpp src/serverlink/ClientEvent.cpp src/common/IsoTime.cpp
          src/consumables/ConsumablesService.cpp src/consumables/ConsumableEventPost.cpp
          src/consumables/ConsumableStock.cpp src/consumables/ConsumablesOutboxPass.cpp
          src/consumables/OutboxBuffer.cpp src/consumables/WallPayload.cpp
  QT Core Network Sql)

vorn_add_fuzzer(snapshot_staff
  SOURCES fuzz/snapshot_staff_fuzzer.cpp ${settings_sources}
          src/serverlink/ServerRequest.cpp src/serverlink/ClientEvent.cpp
          src/common/IsoTime.cpp src/common/CardUid.cpp
          src/staff/ActiveStaffState.cpp src/staff/AttendanceArchiveViews.cpp
          src/staff/EmployeeEventText.cpp src/staff/EmployeeIdentity.cpp src/staff/EmployeeRecords.cpp
          src/staff/EmployeeViewList.cpp src/staff/EmployeeWorkspaceCache.cpp
          src/staff/EmployeeWorkspaceStore.cpp src/staff/StaffParsing.cpp src/staff/StaffReply.cpp
          src/staff/WorkSchedule.cpp src/staff/WorkplaceKeys.cpp src/common/BackgroundQueue.cpp
  QT Core Network)

vorn_add_fuzzer(snapshot_archive
  SOURCES fuzz/snapshot_archive_fuzzer.cpp ${settings_sources}
          src/serverlink/ServerRequest.cpp src/serverlink/ClientEvent.cpp src/common/IsoTime.cpp
          src/consumables/OutboxBuffer.cpp src/production/PrintArchiveEvent.cpp
          src/production/PrintArchiveStats.cpp src/production/PrintArchiveStore.cpp
          src/common/BackgroundQueue.cpp
  QT Core Network Sql)

# Every recogniser and normaliser of the scan router over any scanned line.
vorn_add_fuzzer(scan_recognizers
  SOURCES fuzz/scan_recognizers_fuzzer.cpp src/app/ScanRecognizers.cpp src/staff/WorkplaceKeys.cpp
          src/consumables/WallPayload.cpp src/common/ConsumableKey.cpp src/common/JsonRead.cpp
  QT Core)

vorn_add_fuzzer(artifact_name
  SOURCES fuzz/artifact_name_fuzzer.cpp src/common/SafeFileName.cpp
  QT Core)
