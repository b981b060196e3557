#pragma once

#include "common/BackgroundQueue.h"
#include "common/HeartbeatFigures.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QVector>

#include <memory>

class AppSettings;
class Journal;
class OutboxBuffer;
class QNetworkAccessManager;

// The archive of printed labels and pictures. Every successful print becomes an
// "archive_event" for the server; events the server did not get wait in the
// client outbox. The authoritative list and the statistics come back with the
// snapshot.
class PrintArchiveStore : public QObject, public PendingEventsSource
{
    Q_OBJECT
    Q_PROPERTY(QVariantList recentEvents READ recentEvents NOTIFY changed)
    Q_PROPERTY(QString selectedDate READ selectedDate NOTIFY changed)
    Q_PROPERTY(QVariantList selectedDateEvents READ selectedDateEvents NOTIFY changed)
    Q_PROPERTY(QVariantList availableDates READ availableDates NOTIFY changed)
    Q_PROPERTY(QString lastStatus READ lastStatus NOTIFY changed)
    Q_PROPERTY(bool busy READ busy NOTIFY changed)
    Q_PROPERTY(int pendingCount READ pendingCount NOTIFY changed)

public:
    explicit PrintArchiveStore(AppSettings *settings, Journal *eventLog,
                               QObject *parent = nullptr);
    ~PrintArchiveStore() override;

    QVariantList recentEvents() const;
    QString selectedDate() const;
    QVariantList selectedDateEvents() const { return m_selectedDateEvents; }
    QVariantList availableDates() const { return m_availableDates; }
    QString lastStatus() const { return m_lastStatus; }
    bool busy() const { return m_busy; }
    int pendingCount() const override { return m_pendingCount; }

    // The server's statistics of the last snapshot, under canonical keys:
    // todayCount, yesterdayCount, todayArea, yesterdayArea, monthArea,
    // prevMonthArea, monthCount, prevMonthCount and, per marketplace
    // (wb, ozon, ym, fbo), e.g. wbTodayCount, wbTodayArea. Missing values are 0.
    QVariantMap serverStats() const { return m_stats; }
    // All server events of the last snapshot, newest first.
    QVariantList serverEvents() const { return m_events; }

    // Called after a print: builds the archive event, drops duplicates, sends it
    // and queues it in the outbox when the server cannot be reached. Returns true
    // when the event was sent or queued.
    bool recordPrint(const QString &filePath, const QString &printerName, bool printed,
                     const QString &uid, const QVariantMap &details = {});

    // Rows sent in one outbox pass.
    static constexpr int kOutboxBatch = 100;

    Q_INVOKABLE void refresh();
    Q_INVOKABLE void retryPending();
    Q_INVOKABLE bool clearPending();
    Q_INVOKABLE void setSelectedDate(const QVariant &value);
    Q_INVOKABLE void shiftSelectedDate(int days);
    Q_INVOKABLE void applySnapshotRoot(const QJsonObject &root);
    // The same, with the events prepared on a background thread and shown here a
    // moment later (the snapshot poll's way in). A later apply makes a pending one stale.
    void applySnapshotRootInBackground(const QJsonObject &root);
    bool applyPending() const { return m_queue.busy(); }

Q_SIGNALS:
    void changed();

private:
    // The server's events as they came and as prepared for the scene, in the
    // order they came: an event that comes again unchanged is not prepared again.
    struct PreparedEvent
    {
        QJsonObject raw;
        QDateTime time;
        QVariantMap event;
    };
    // What a snapshot gives the archive, worked out from values only (any thread).
    struct Prepared
    {
        QList<PreparedEvent> prepared;
        QVariantList events; // newest first
        QVariantMap stats;
        bool unchanged = false;
    };
    static Prepared prepare(const QJsonObject &root, const QList<PreparedEvent> &previous,
                            const QVariantMap &previousStats);
    void commit(Prepared prepared);

    void setStatus(const QString &status);
    void updatePendingCount();
    void rebuildDayIndex();
    void rebuildSelectedDateEvents();
    void sendEvent(const QVariantMap &event);
    void queueEvent(const QJsonObject &payload, const QString &reason);
    void sendNextQueued();
    void finishQueuePass(bool brokeOff);
    void logInfo(const QString &message);
    void logWarn(const QString &message);

    AppSettings *m_settings = nullptr;
    Journal *m_eventLog = nullptr;
    std::unique_ptr<OutboxBuffer> m_outbox;
    QNetworkAccessManager *m_network = nullptr;

    QList<PreparedEvent> m_prepared;
    QVariantList m_events;
    QHash<QString, QVariantList> m_eventsByDay; // "yyyy-MM-dd" -> events
    QVariantList m_availableDates;
    QDate m_selectedDate;
    QVariantList m_selectedDateEvents;
    QVariantMap m_stats;
    // Duplicate keys ("day#key") of the prints this client recorded itself.
    QSet<QString> m_localKeys;

    QString m_lastStatus;
    bool m_busy = false;
    int m_pendingCount = 0;

    struct QueuePass;
    std::unique_ptr<QueuePass> m_pass;
    quint64 m_snapshotVersion = 0; // counts applied snapshots, so a stale plan is dropped
    // Declared last: destroyed first, so no job outlives the members it reports to.
    BackgroundQueue m_queue;
};
