#pragma once

#include "tools/ScriptEntry.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QProcessEnvironment>
#include <QString>
#include <QTimer>
#include <QVariantList>
#include <QVariantMap>

class AppSettings;
class Journal;

// Runs the tenant's local scripts (the settings' script entries) as child
// processes: start, stop with a kill after a delay, restart, a bounded log of the
// merged output, the heartbeat file's age, and the commands the server sends.
class ScriptRuntimeService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList entries READ entries NOTIFY changed)
public:
    static constexpr int kKillDelayMs = 1200;
    static constexpr int kFinalKillWaitMs = 600;
    static constexpr int kRestartDelayMs = 700;
    static constexpr int kHeartbeatMs = 1000;

    ScriptRuntimeService(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);
    // Ends whatever still runs (normally stopAll did that at exit).
    ~ScriptRuntimeService() override;

    QVariantList entries() const;

    Q_INVOKABLE void refresh();
    Q_INVOKABLE void startAutoStartScripts();
    Q_INVOKABLE void start(int index);
    Q_INVOKABLE void stop(int index);
    Q_INVOKABLE void restart(int index);
    Q_INVOKABLE void clearLog(int index);
    Q_INVOKABLE void stopAll();
    Q_INVOKABLE QString folderPath(int index) const;
    Q_INVOKABLE bool openFolder(int index);
    Q_INVOKABLE QString entryLog(int index) const;
    Q_INVOKABLE QVariantMap runRemoteCommand(const QVariantMap &command);
    Q_INVOKABLE QVariantList remoteStatusSnapshot() const;

    bool shuttingDown() const { return m_shuttingDown; }
    // Relative script paths are taken against this folder (the application's by default).
    void setBaseFolder(const QString &folder) { m_baseFolder = folder; }
    QString baseFolder() const { return m_baseFolder; }
    // The environment children start from (the client's own by default).
    void setSystemEnvironment(const QProcessEnvironment &environment) { m_systemEnvironment = environment; }
    // Shorter delays for tests; the defaults are the ones above.
    void setTimings(int killDelayMs, int restartDelayMs, int heartbeatMs);
    // The entry's process id while it runs, for diagnostics and tests.
    qint64 processId(int index) const;

Q_SIGNALS:
    void changed();
    void logChanged(int index, const QString &text);

private:
    bool validIndex(int index) const { return index >= 0 && index < m_entries.size(); }
    int indexOfProcess(const QProcess *process) const;
    QString resolvedFile(const ScriptEntry &entry, bool *exists = nullptr) const;
    QString computedStatus(const ScriptEntry &entry) const;
    void appendLog(int index, const QString &text);
    void terminateLater(QProcess *process);
    void releaseProcess(QProcess *process);
    void watch(QProcess *process);
    void onStarted(QProcess *process);
    void onOutput(QProcess *process);
    void onError(QProcess *process);
    void onFinished(QProcess *process, int exitCode, QProcess::ExitStatus exitStatus);
    void tickHeartbeat();
    QVariantMap entryMap(int index) const;

    QPointer<AppSettings> m_settings;
    Journal *m_eventLog = nullptr;
    QList<ScriptEntry> m_entries;
    QTimer m_heartbeatTimer;
    QString m_baseFolder;
    QProcessEnvironment m_systemEnvironment;
    int m_killDelayMs = kKillDelayMs;
    int m_restartDelayMs = kRestartDelayMs;
    bool m_shuttingDown = false;
};
