#pragma once

#include "app/EventLogModel.h"
#include "app/ScanRouter.h"
#include "consumables/ConsumablesService.h"
#include "devices/ComScannerService.h"
#include "devices/RfidScannerService.h"
#include "devices/SerialPortWatcher.h"
#include "feeds/ArtifactSyncService.h"
#include "feeds/ClientNoticesService.h"
#include "feeds/NewMaketsService.h"
#include "feeds/RealtimeIssuesService.h"
#include "feeds/ReleaseNotesService.h"
#include "production/DashboardSummary.h"
#include "production/OrdersApiService.h"
#include "production/OrdersModel.h"
#include "production/OrdersView.h"
#include "production/PrintArchiveStore.h"
#include "production/UidPrintService.h"
#include "serverlink/ConfigPushService.h"
#include "serverlink/HeartbeatSender.h"
#include "serverlink/ServerIdentityService.h"
#include "serverlink/SnapshotSyncService.h"
#include "settings/AppSettings.h"
#include "settings/TenantProfile.h"
#include "staff/EmployeeListModel.h"
#include "staff/EmployeeWorkspaceStore.h"
#include "supplies/GsConfirmClient.h"
#include "supplies/SupplyListModel.h"
#include "supplies/WarehouseFileModel.h"
#include "supplies/WarehouseManualFilter.h"
#include "supplies/SupplyLabelsService.h"
#include "tools/LocalToolsService.h"
#include "tools/ScriptCommandSyncService.h"
#include "tools/ScriptRuntimeService.h"

#include <QList>
#include <QObject>
#include <QTimer>

class QQmlContext;

// The backend object graph. Members are declared in creation order, so they are
// destroyed in reverse order; every service gets non-owning pointers to the ones
// it needs. A new service is added here: a member at its place in the order, its
// wiring in the constructor and its scene name in publish(). Construction only
// builds and connects; nothing starts before start().
class ClientServices : public QObject
{
    Q_OBJECT
public:
    // The settings and the journal are the host's and outlive the graph.
    ClientServices(AppSettings &settings, EventLogModel &eventLog, QObject *parent = nullptr);
    ~ClientServices() override;

    // Sets the context properties the scene reaches the backend through.
    void publish(QQmlContext *context);
    // Connects the settings reaction and runs the first steps after the scene
    // engine exists: cached snapshot, server link for a set-up device, delayed starts.
    // Call once.
    void start();

    EventLogModel &eventLog() { return m_eventLog; }
    QTimer &snapshotPollTimer() { return m_snapshotPollTimer; }
    QTimer &heartbeatTimer() { return m_heartbeatTimer; }
    QTimer &configPushTimer() { return m_configPushTimer; }
    // The six scanner slots in slot order (the heartbeat reports their running state).
    const QList<ComScannerService *> &scanners() const { return m_scanners; }
    RfidScannerService &rfidService() { return m_rfidService; }
    SnapshotSyncService &snapshotSync() { return m_snapshotSync; }
    OrdersModel &ordersModel() { return m_ordersModel; }
    PrintArchiveStore &printArchive() { return m_printArchive; }
    EmployeeWorkspaceStore &employeeWorkspace() { return m_employeeWorkspace; }
    RealtimeIssuesService &issuesLive() { return m_issuesLive; }
    OrdersView &ordersView() { return m_ordersView; }
    // The page shown and the page tabs are the scene's to set.
    ScanRouter &scanRouter() { return m_scanRouter; }

private:
    // Launch with a set-up device, or the moment onboarding completes.
    enum class LinkStart { AtLaunch, AfterSetup };

    void wire();
    void wireServerLink();
    void wireScans();
    void onSettingsChanged();
    // The one road that brings the server link up; the two occasions differ only in
    // what they add around it.
    void startServerLink(LinkStart occasion);
    void ensureLinkTimersRun();
    void stopServerLink();
    void refreshDashboard();
    void reloadWarehouses();
    // The snapshot fan-out: every consumer in the fixed order (connect snapshotReady here).
    void applySnapshotRoot(const QJsonObject &root, const SnapshotItems &orderItems);
    void scheduleDeviceStarts();

    AppSettings &m_settings;
    EventLogModel &m_eventLog;

    // Services that talk to the server and the devices.
    ServerIdentityService m_identityService;
    // Serial devices: each service owns its port thread and shuts it down when destroyed;
    // one watcher follows the ports present in the system for all of them.
    SerialPortWatcher m_serialPorts;
    ComScannerService m_scanner1;
    ComScannerService m_scanner2;
    ComScannerService m_scanner3;
    ComScannerService m_scanner4;
    ComScannerService m_scanner5;
    ComScannerService m_scanner6;
    QList<ComScannerService *> m_scanners;
    RfidScannerService m_rfidService;
    LocalToolsService m_localTools;
    RealtimeIssuesService m_issuesLive;
    ScriptRuntimeService m_scriptRuntime;
    ScriptCommandSyncService m_scriptCommands;
    SupplyLabelsService m_supplyLabels;
    ClientNoticesService m_clientNotices;
    ReleaseNotesService m_releaseNotes;
    ArtifactSyncService m_artifactSync;
    NewMaketsService m_newMakets;
    SnapshotSyncService m_snapshotSync;

    // Timers of the server link.
    QTimer m_snapshotPollTimer;
    QTimer m_heartbeatTimer;
    QTimer m_configPushTimer;
    ConfigPushService m_configPush;

    // Stores and production services.
    TenantProfile m_tenantProfile;
    EmployeeWorkspaceStore m_employeeWorkspace;
    PrintArchiveStore m_printArchive;
    ConsumablesService m_consumables;
    DashboardSummary m_dashboard;
    GsConfirmClient m_gsConfirm;
    UidPrintService m_uidPrintService;
    SupplyListModel m_supplies;
    OrdersModel m_ordersModel;
    OrdersApiService m_ordersApi;
    OrdersView m_ordersView;
    WarehouseFileModel m_warehouseWb;
    WarehouseFileModel m_warehouseOzon;
    WarehouseFileModel m_warehouseYm;
    // Lists of the warehouse and staff pages, filtered here rather than in the scene.
    WarehouseManualFilter m_warehouseManualFiles;
    EmployeeListModel m_employeeList{&m_employeeWorkspace};
    // Every scan and card goes through here; it needs all of the above.
    ScanRouter m_scanRouter;

    // Created once the figures it reports exist (print archive, consumables, devices).
    HeartbeatSender m_heartbeat;
};
