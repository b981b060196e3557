#pragma once

#include "feeds/ArtifactOutcome.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

class AppSettings;
class Journal;
struct ArtifactTask;
struct ServerReply;

// Pending server tasks for this workstation: files to put into local folders and
// rename or delete commands on local label files. Each fetch is answered by one
// confirmation of the tasks carried out, sent only after they were carried out,
// so a crash in between makes the server offer them again (doing one twice is harmless).
// Context property "artifactSync".
class ArtifactSyncService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ busy NOTIFY changed)
    Q_PROPERTY(QString statusText READ statusText NOTIFY changed)

public:
    static constexpr int kPollMs = 1500;
    static constexpr int kFirstSyncDelayMs = 250;
    // No request may stay open for good (it would hold one of the host's connections).
    static constexpr int kRequestTimeoutMs = 20000;
    // Tasks carry whole label files.
    static constexpr qint64 kMaxReplyBytes = 32LL * 1024 * 1024;

    ArtifactSyncService(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);

    bool busy() const { return m_busy; }
    QString statusText() const { return m_statusText; }

    Q_INVOKABLE void start();
    Q_INVOKABLE void stop();
    Q_INVOKABLE void syncNow();

    // Shorter poll interval and deadline for tests.
    void setPollInterval(int ms) { m_timer.setInterval(ms); }
    void setRequestTimeoutMs(int ms) { m_timeoutMs = ms; }
    bool isActive() const { return m_timer.isActive(); }

Q_SIGNALS:
    void changed();

private:
    void onFetchReply(const ServerReply &reply);
    void handleTasks(const QJsonArray &tasks);
    ArtifactOutcome runTask(const ArtifactTask &task) const;
    void postConfirmation(const QStringList &keys);
    void onConfirmReply(const ServerReply &reply);
    void setBusy(bool busy);
    void setStatus(const QString &text);
    // Fetch failures: the status every time, the journal once per outage.
    void failFetch(const QString &message);
    void log(const ArtifactOutcome::Line &line);

    QPointer<AppSettings> m_settings;
    Journal *m_eventLog = nullptr;
    QNetworkAccessManager m_network;
    QTimer m_timer;
    QString m_statusText;
    int m_timeoutMs = kRequestTimeoutMs;
    bool m_busy = false;
    bool m_fetching = false;
    // The next fetch waits for the confirmation, or it would get the same tasks again.
    bool m_confirming = false;
    bool m_fetchFailing = false;
    bool m_confirmFailing = false;
    // Warnings of the last batch: a task that keeps failing is told once, not every poll.
    QSet<QString> m_lastBatchWarnings;
};
