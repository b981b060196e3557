#pragma once

#include "common/BackgroundQueue.h"
#include "common/SnapshotItems.h"

#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

class AppSettings;
class Journal;
struct ServerReply;
struct ServerReplyOptions;

// Keeps the client's copy of the tenant's working data in step with the
// server: polls the snapshot endpoint with the revision it holds, stores every
// new snapshot in "snapshot_cache.json" (revision in "snapshot_meta.json") and
// announces it with snapshotReady. Scene name "snapshotSync". The cache is
// written first and atomically, the revision only after it: a crash at any
// moment leaves a revision no newer than the cache, never a revision without one.
// Parsing a reply or the cache and writing the cache happen on a background queue,
// so a big snapshot never stalls the window; snapshotReady comes on the main
// thread, in the order the snapshots were read. The orders' items come beside
// the root (orderItems) when they could be cut out of the body, the root then
// holding an empty list there: items with the bytes of the last snapshot's are
// not parsed again.
class SnapshotSyncService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ busy NOTIFY changed)
    Q_PROPERTY(QString status READ status NOTIFY changed)
    Q_PROPERTY(QString revision READ revision NOTIFY changed)

public:
    static constexpr int kDefaultTimeoutMs = 20000;
    // Larger than any real snapshot; a bigger body is dropped unread.
    static constexpr qint64 kMaxSnapshotBytes = 32LL * 1024 * 1024;
    static constexpr const char *kMetaSchema = "dashboard_archive_stats_v2";

    SnapshotSyncService(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);

    bool busy() const { return m_busy; }
    QString status() const { return m_status; }
    QString revision() const { return m_revision; }
    bool needFullSnapshot() const { return m_needFullSnapshot; }

    QString cachePath() const;
    QString metaPath() const;
    void setRequestTimeoutMs(int ms) { m_timeoutMs = ms; }

    // Stores a snapshot the server sent, on the calling thread: the cache (only
    // when the revision moved or no cache exists), then the revision. False when
    // the cache could not be written.
    bool storeSnapshot(const QJsonObject &root, const QString &revision);

    // True while a reply or the cache is being parsed or the cache written.
    bool backgroundBusy() const { return m_queue.busy(); }
    // Blocks until the queued parses and writes have run (tests, shutdown).
    void waitForBackground() { m_queue.waitForJobs(); }

    Q_INVOKABLE void loadCachedSnapshot();
    Q_INVOKABLE void refresh();

Q_SIGNALS:
    void changed();
    void snapshotReady(const QJsonObject &root, bool fromCache, const SnapshotItems &orderItems);

private:
    void readMeta();
    void writeMeta();
    QByteArray metaBytes() const;
    // Writes the cache and then, when that worked, the metadata.
    static bool writeSnapshotFiles(const QString &cachePath, const QByteArray &cache,
                                   const QString &metaPath, const QByteArray &meta);
    struct ParsedBody;
    void onCacheRead(const ParsedBody &cache);
    void onReplyRead(ServerReply reply);
    void onReply(const ServerReply &reply, const ParsedBody *parsed = nullptr);
    void finishRequest(const QString &status);
    static ServerReplyOptions replyOptions(int timeoutMs);
    void setStatus(const QString &text);
    void setBusy(bool value);

    QPointer<AppSettings> m_settings;
    Journal *m_eventLog = nullptr;
    QNetworkAccessManager m_network;
    int m_timeoutMs = kDefaultTimeoutMs;
    bool m_busy = false;
    QString m_status;
    QString m_revision;
    bool m_needFullSnapshot = true;
    quint64 m_cacheTicket = 0;
    QSet<size_t> m_knownItems; // digests of the last announced snapshot's order items
    // Declared last: destroyed first, so no job outlives the members it reports to.
    BackgroundQueue m_queue;
};
