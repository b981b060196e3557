#include "app/ClientServices.h"

#include "common/LogCategories.h"

#include <QCoreApplication>
#include <QDir>
#include <QQmlContext>

namespace {
constexpr int kSnapshotPollMs = 5000;
constexpr int kHeartbeatMs = 60000;
constexpr int kConfigPushMs = 900;
} // namespace

ClientServices::ClientServices(AppSettings &settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
{
    m_eventLog.setLogDirectory(QDir(m_settings.appDataDir()).filePath(QStringLiteral("logs")));
    m_eventLog.addInfo(QStringLiteral("Клиент запущен."));

    m_snapshotPollTimer.setInterval(kSnapshotPollMs);
    m_heartbeatTimer.setInterval(kHeartbeatMs);
    m_configPushTimer.setInterval(kConfigPushMs);
    m_configPushTimer.setSingleShot(true);

    wire();
}

ClientServices::~ClientServices() = default;

void ClientServices::wire()
{
    connect(&m_settings, &AppSettings::serverSyncRequested, this, [this] {
        if (!m_settings.onboardingRequired())
            m_configPushTimer.start();
    });
}

void ClientServices::publish(QQmlContext *context)
{
    context->setContextProperty(QStringLiteral("appSettings"), &m_settings);
    context->setContextProperty(QStringLiteral("eventLogModel"), &m_eventLog);
    context->setContextProperty(QStringLiteral("eventLog"), &m_eventLog);
    context->setContextProperty(QStringLiteral("tenantProfile"), &m_tenantProfile);
}

void ClientServices::start()
{
    connect(&m_settings, &AppSettings::changed, this, &ClientServices::onSettingsChanged);

    refreshDashboard();

    if (!m_settings.onboardingRequired())
        startServerLink();

    // Fires once at start-up on both paths; the push decides what it sends.
    m_configPushTimer.start();
    connect(qApp, &QCoreApplication::aboutToQuit, this, [] {
        // Scripts stop here once the script runtime exists.
    });
}

void ClientServices::startServerLink()
{
    if (!m_snapshotPollTimer.isActive())
        m_snapshotPollTimer.start();
    if (!m_heartbeatTimer.isActive())
        m_heartbeatTimer.start();
}

void ClientServices::stopServerLink()
{
    m_configPushTimer.stop();
    m_snapshotPollTimer.stop();
    m_heartbeatTimer.stop();
}

void ClientServices::refreshDashboard()
{
    // The dashboard summary refreshes here once it exists.
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
    refreshDashboard();

    if (m_settings.onboardingRequired()) {
        stopServerLink();
        return;
    }
    m_configPushTimer.start();
    startServerLink();
}
