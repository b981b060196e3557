#include "app/ClientServices.h"

#include "app/ScanRecognizers.h"
#include "common/LogCategories.h"
#include "common/WriteFailureMonitor.h"

#include <QCoreApplication>
#include <QQmlContext>

namespace {
constexpr int kSnapshotPollMs = 5000;
constexpr int kHeartbeatMs = 60000;
constexpr int kConfigPushMs = 900;
constexpr int kScriptAutoStartMs = 1200;
} // namespace

ClientServices::ClientServices(AppSettings &settings, EventLogModel &eventLog, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
    , m_identityService(&m_settings, &m_eventLog)
    , m_scanner1(&m_settings, &m_eventLog, 1, &m_serialPorts)
    , m_scanner2(&m_settings, &m_eventLog, 2, &m_serialPorts)
    , m_scanner3(&m_settings, &m_eventLog, 3, &m_serialPorts)
    , m_scanner4(&m_settings, &m_eventLog, 4, &m_serialPorts)
    , m_scanner5(&m_settings, &m_eventLog, 5, &m_serialPorts)
    , m_scanner6(&m_settings, &m_eventLog, 6, &m_serialPorts)
    , m_scanners{&m_scanner1, &m_scanner2, &m_scanner3, &m_scanner4, &m_scanner5, &m_scanner6}
    , m_rfidService(&m_settings, &m_eventLog, &m_serialPorts)
    , m_localTools(&m_settings, &m_eventLog)
    , m_issuesLive(&m_settings, &m_eventLog)
    , m_scriptRuntime(&m_settings, &m_eventLog)
    , m_scriptCommands(&m_settings, &m_eventLog, &m_scriptRuntime)
    , m_supplyLabels(&m_settings, &m_eventLog)
    , m_clientNotices(&m_settings, &m_eventLog)
    , m_releaseNotes(&m_settings)
    , m_artifactSync(&m_settings, &m_eventLog)
    , m_newMakets(&m_settings, &m_eventLog)
    , m_snapshotSync(&m_settings, &m_eventLog)
    , m_configPush(&m_settings, &m_eventLog)
    , m_employeeWorkspace(&m_settings, &m_eventLog)
    , m_printArchive(&m_settings, &m_eventLog)
    , m_consumables(&m_settings, &m_eventLog)
    , m_dashboard(&m_settings, &m_eventLog, &m_printArchive, &m_employeeWorkspace, &m_issuesLive)
    , m_gsConfirm(&m_settings)
    , m_uidPrintService(&m_settings, &m_eventLog, &m_gsConfirm, &m_printArchive)
    , m_supplies(&m_settings, &m_eventLog)
    , m_ordersApi(&m_settings, &m_eventLog, &m_ordersModel)
    , m_ordersView(&m_ordersModel)
    , m_warehouseWb(&m_settings, &m_eventLog, &m_gsConfirm, &m_printArchive, QStringLiteral("wb"))
    , m_warehouseOzon(&m_settings, &m_eventLog, &m_gsConfirm, &m_printArchive, QStringLiteral("ozon"))
    , m_warehouseYm(&m_settings, &m_eventLog, &m_gsConfirm, &m_printArchive, QStringLiteral("ym"))
    , m_scanRouter({&m_settings, &m_eventLog, &m_localTools, &m_employeeWorkspace, &m_consumables, &m_supplies,
                    &m_warehouseWb, &m_warehouseOzon, &m_warehouseYm, &m_ordersApi, &m_uidPrintService})
    , m_heartbeat(&m_settings)
{
    m_snapshotPollTimer.setInterval(kSnapshotPollMs);
    m_heartbeatTimer.setInterval(kHeartbeatMs);
    m_configPushTimer.setInterval(kConfigPushMs);
    m_configPushTimer.setSingleShot(true);
    // What exists at start-up counts as sent; wall bindings go out after every start.
    m_configPush.recordBaselines();
    // Local lists in start-up order: the supply scan list, the sticker files, the warehouse folders.
    m_supplies.load();
    m_supplyLabels.reload();
    reloadWarehouses();

    wire();
}

ClientServices::~ClientServices() = default;

void ClientServices::wire()
{
    wireServerLink();
    wireScans();
    connect(&m_printArchive, &PrintArchiveStore::changed, this, &ClientServices::refreshDashboard);
    connect(&m_uidPrintService, &UidPrintService::printed, this, &ClientServices::refreshDashboard);
    for (WarehouseFileModel *model : {&m_warehouseWb, &m_warehouseOzon, &m_warehouseYm})
        connect(model, &WarehouseFileModel::printed, this, &ClientServices::refreshDashboard);
    connect(&m_settings, &AppSettings::serverSyncRequested, this, [this] {
        if (!m_settings.onboardingRequired())
            m_configPushTimer.start();
    });
}

void ClientServices::wireServerLink()
{
    connect(&m_snapshotPollTimer, &QTimer::timeout, &m_snapshotSync, &SnapshotSyncService::refresh);
    connect(&m_configPushTimer, &QTimer::timeout, &m_configPush, &ConfigPushService::run);
    connect(&m_heartbeatTimer, &QTimer::timeout, &m_heartbeat, &HeartbeatSender::sendHeartbeat);
    connect(&m_snapshotSync, &SnapshotSyncService::snapshotReady, this,
            [this](const QJsonObject &root, bool, const SnapshotItems &orderItems) {
                applySnapshotRoot(root, orderItems);
            });
    connect(&m_identityService, &ServerIdentityService::setupCompleted, this,
            [this] { startServerLink(LinkStart::AfterSetup); });

    m_heartbeat.setPrintArchive(&m_printArchive);
    m_heartbeat.setScanners({m_scanners.cbegin(), m_scanners.cend()});
    m_heartbeat.setRfid(&m_rfidService);
    m_heartbeat.setConsumables(&m_consumables);
    m_heartbeat.setWriteFailures(&WriteFailureMonitor::global());
}

void ClientServices::wireScans()
{
    for (ComScannerService *scanner : std::as_const(m_scanners)) {
        const QString key = ScanRecognizers::scannerKeyForIndex(scanner->slot());
        connect(scanner, &ComScannerService::scanReceived, &m_scanRouter,
                [this, key](const QString &raw) { m_scanRouter.handleHardwareScan(raw, key); });
    }
    connect(&m_rfidService, &RfidScannerService::cardReceived, &m_scanRouter, &ScanRouter::handleRfidCard);
    connect(&m_ordersApi, &OrdersApiService::scanResultDetailed, &m_scanRouter, &ScanRouter::handleOrderScanResult);
}

void ClientServices::startServerLink(LinkStart occasion)
{
    const bool afterSetup = occasion == LinkStart::AfterSetup;
    if (afterSetup)
        m_eventLog.addSuccess(QStringLiteral("Серверная часть первичной настройки завершена."));
    m_identityService.refreshClientConfig();
    if (!afterSetup)
        scheduleDeviceStarts();
    m_clientNotices.start();
    m_scriptCommands.start();
    m_artifactSync.start();
    m_newMakets.start();
    if (afterSetup)
        m_snapshotSync.loadCachedSnapshot();
    m_snapshotSync.refresh();
    ensureLinkTimersRun();
    if (afterSetup) {
        m_configPushTimer.start();
        m_heartbeat.sendHeartbeat();
    } else {
        QTimer::singleShot(2500, &m_heartbeat, &HeartbeatSender::sendHeartbeat);
    }
}

void ClientServices::publish(QQmlContext *context)
{
    context->setContextProperty(QStringLiteral("appSettings"), &m_settings);
    context->setContextProperty(QStringLiteral("eventLogModel"), &m_eventLog);
    context->setContextProperty(QStringLiteral("eventLog"), &m_eventLog);
    context->setContextProperty(QStringLiteral("suppliesModel"), &m_supplies);
    context->setContextProperty(QStringLiteral("ordersModel"), &m_ordersModel);
    context->setContextProperty(QStringLiteral("ordersApi"), &m_ordersApi);
    context->setContextProperty(QStringLiteral("ordersView"), &m_ordersView);
    context->setContextProperty(QStringLiteral("warehouseWbModel"), &m_warehouseWb);
    context->setContextProperty(QStringLiteral("warehouseOzonModel"), &m_warehouseOzon);
    context->setContextProperty(QStringLiteral("warehouseYmModel"), &m_warehouseYm);
    context->setContextProperty(QStringLiteral("tenantProfile"), &m_tenantProfile);
    context->setContextProperty(QStringLiteral("employeeWorkspace"), &m_employeeWorkspace);
    context->setContextProperty(QStringLiteral("dashboard"), &m_dashboard);
    context->setContextProperty(QStringLiteral("printArchiveStore"), &m_printArchive);
    context->setContextProperty(QStringLiteral("uidPrintService"), &m_uidPrintService);
    context->setContextProperty(QStringLiteral("consumablesService"), &m_consumables);
    context->setContextProperty(QStringLiteral("scannerService"), &m_scanner1);
    for (int slot = 2; slot <= 6; ++slot)
        context->setContextProperty(QStringLiteral("scannerService%1").arg(slot), m_scanners.at(slot - 1));
    context->setContextProperty(QStringLiteral("identityService"), &m_identityService);
    context->setContextProperty(QStringLiteral("rfidService"), &m_rfidService);
    context->setContextProperty(QStringLiteral("localTools"), &m_localTools);
    context->setContextProperty(QStringLiteral("issuesLive"), &m_issuesLive);
    context->setContextProperty(QStringLiteral("scriptRuntime"), &m_scriptRuntime);
    context->setContextProperty(QStringLiteral("supplyLabels"), &m_supplyLabels);
    context->setContextProperty(QStringLiteral("clientNoticesService"), &m_clientNotices);
    context->setContextProperty(QStringLiteral("releaseNotes"), &m_releaseNotes);
    context->setContextProperty(QStringLiteral("artifactSync"), &m_artifactSync);
    context->setContextProperty(QStringLiteral("newMaketsService"), &m_newMakets);
    context->setContextProperty(QStringLiteral("snapshotSync"), &m_snapshotSync);
    context->setContextProperty(QStringLiteral("scanRouter"), &m_scanRouter);
    context->setContextProperty(QStringLiteral("warehouseManualFiles"), &m_warehouseManualFiles);
    context->setContextProperty(QStringLiteral("employeeList"), &m_employeeList);
}

void ClientServices::start()
{
    connect(&m_settings, &AppSettings::changed, this, &ClientServices::onSettingsChanged);

    refreshDashboard();
    m_snapshotSync.loadCachedSnapshot();

    if (!m_settings.onboardingRequired())
        startServerLink(LinkStart::AtLaunch);

    // Fires once at start-up on both paths; the push decides what it sends.
    m_configPushTimer.start();
    QTimer::singleShot(kScriptAutoStartMs, &m_scriptRuntime, &ScriptRuntimeService::startAutoStartScripts);
    connect(qApp, &QCoreApplication::aboutToQuit, &m_scriptRuntime, &ScriptRuntimeService::stopAll);
}

void ClientServices::scheduleDeviceStarts()
{
    // Staggered so six adapters do not all open at the same moment after launch.
    for (ComScannerService *scanner : std::as_const(m_scanners)) {
        if (!m_settings.scannerPort(scanner->slot()).trimmed().isEmpty())
            QTimer::singleShot(900 + 650 * (scanner->slot() - 1), scanner, &ComScannerService::start);
    }
    if (!m_settings.rfidPort().trimmed().isEmpty())
        QTimer::singleShot(3600, &m_rfidService, &RfidScannerService::start);
}

void ClientServices::ensureLinkTimersRun()
{
    if (!m_snapshotPollTimer.isActive())
        m_snapshotPollTimer.start();
    if (!m_heartbeatTimer.isActive())
        m_heartbeatTimer.start();
}

void ClientServices::stopServerLink()
{
    m_newMakets.stop();
    m_configPushTimer.stop();
    m_snapshotPollTimer.stop();
    m_heartbeatTimer.stop();
    m_artifactSync.stop();
}

void ClientServices::applySnapshotRoot(const QJsonObject &root, const SnapshotItems &orderItems)
{
    // Every consumer reads the parsed root itself; the orders model works its
    // difference out off the main thread and shows it a moment later.
    m_settings.applyServerPayloadObject(root);
    m_ordersApi.applySnapshot(root, orderItems);
    m_consumables.applySnapshotRoot(root);
    m_printArchive.applySnapshotRootInBackground(root);
    m_employeeWorkspace.applySnapshotRootInBackground(root);
    m_issuesLive.applySnapshotRootInBackground(root);
    refreshDashboard();
}

void ClientServices::reloadWarehouses()
{
    m_warehouseWb.reload();
    m_warehouseOzon.reload();
    m_warehouseYm.reload();
}

void ClientServices::refreshDashboard()
{
    m_dashboard.refresh();
}

void ClientServices::onSettingsChanged()
{
    if (!m_settings.dirty()) {
        refreshDashboard();
        return;
    }
    // A failed save leaves the state dirty, so the next change tries again.
    if (!m_settings.save())
        qCWarning(lcApp) << "settings could not be saved; retrying on the next change";
    reloadWarehouses();
    m_supplyLabels.reload();
    refreshDashboard();

    if (m_settings.onboardingRequired()) {
        m_clientNotices.stop();
        m_scriptCommands.stop();
        stopServerLink();
        return;
    }
    m_snapshotSync.refresh();
    m_clientNotices.refresh();
    m_scriptCommands.start();
    if (!m_artifactSync.isActive())
        m_artifactSync.start();
    m_configPushTimer.start();
    ensureLinkTimersRun();
}
