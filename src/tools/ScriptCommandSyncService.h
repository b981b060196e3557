#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QVariantList>

class AppSettings;
class Journal;
class ScriptRuntimeService;
struct ServerReply;

// Polls the server for script commands, hands them to the script runtime in
// order and answers each poll with one status report of all local scripts
// and the results of the commands it ran.
class ScriptCommandSyncService : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPollMs = 2500;
    static constexpr int kFirstPollDelayMs = 350;
    // No request may stay open for good (it would hold one of the host's connections).
    static constexpr int kRequestTimeoutMs = 15000;

    ScriptCommandSyncService(AppSettings *settings, Journal *eventLog, ScriptRuntimeService *runtime,
                             QObject *parent = nullptr);

    Q_INVOKABLE void start();
    Q_INVOKABLE void stop();
    Q_INVOKABLE void syncNow();

    // Shorter poll interval for tests.
    void setPollInterval(int ms) { m_timer.setInterval(ms); }
    bool isActive() const { return m_timer.isActive(); }

private:
    QUrl endpoint() const;
    void onPollReply(const ServerReply &reply);
    void sendStatusReport(const QVariantList &results);
    void warnOnce(const QString &message);

    QPointer<AppSettings> m_settings;
    Journal *m_eventLog = nullptr;
    QPointer<ScriptRuntimeService> m_runtime;
    QNetworkAccessManager m_network;
    QTimer m_timer;
    bool m_inFlight = false;
    bool m_reported = false;
};
