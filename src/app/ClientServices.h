#pragma once

#include "app/EventLogModel.h"
#include "settings/AppSettings.h"
#include "settings/TenantProfile.h"

#include <QObject>
#include <QTimer>

class QQmlContext;

// The backend object graph. Members are declared in creation order, so they are
// destroyed in reverse order; every service gets non-owning pointers to the ones
// it needs. A new service is added here: a member at its place in the order, its
// wiring in the constructor and its scene name in publish().
class ClientServices : public QObject
{
    Q_OBJECT
public:
    explicit ClientServices(AppSettings &settings, QObject *parent = nullptr);
    ~ClientServices() override;

    // Sets the context properties the scene reaches the backend through.
    void publish(QQmlContext *context);
    // Connects the settings reaction and runs the first steps after the scene
    // engine exists: cached snapshot, server link for a set-up device, delayed starts.
    void start();

    EventLogModel &eventLog() { return m_eventLog; }
    QTimer &snapshotPollTimer() { return m_snapshotPollTimer; }
    QTimer &heartbeatTimer() { return m_heartbeatTimer; }
    QTimer &configPushTimer() { return m_configPushTimer; }

private:
    void wire();
    void onSettingsChanged();
    void startServerLink();
    void stopServerLink();
    void refreshDashboard();

    AppSettings &m_settings;

    // Operator journal first: every service reports to it.
    EventLogModel m_eventLog;

    // Services that talk to the server and the devices.

    // Timers of the server link.
    QTimer m_snapshotPollTimer;
    QTimer m_heartbeatTimer;
    QTimer m_configPushTimer;

    // Stores and production services.
    TenantProfile m_tenantProfile;
};
