#pragma once

#include "common/BackgroundQueue.h"
#include "common/KeyedRowsModel.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantList>

class AppSettings;
class Journal;

// Bug reports and production defects as they come with every snapshot: both lists
// newest first, their totals and a short change line for the dashboard. The
// service never asks the server itself; the snapshot fan-out feeds it.
// Context property "issuesLive".
class RealtimeIssuesService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString status READ status NOTIFY changed)
    Q_PROPERTY(QString bugsValue READ bugsValue NOTIFY changed)
    Q_PROPERTY(QString bugsDelta READ bugsDelta NOTIFY changed)
    Q_PROPERTY(QString defectsValue READ defectsValue NOTIFY changed)
    Q_PROPERTY(QString defectsDelta READ defectsDelta NOTIFY changed)
    Q_PROPERTY(QVariantList bugsModel READ bugsModel NOTIFY changed)
    Q_PROPERTY(QVariantList defectsModel READ defectsModel NOTIFY changed)
    Q_PROPERTY(bool busy READ busy NOTIFY changed)
    // The same rows as item models keyed by "key", for list views that must keep their
    // scroll position and selection across snapshots.
    Q_PROPERTY(QAbstractItemModel *bugsRows READ bugsRows CONSTANT)
    Q_PROPERTY(QAbstractItemModel *defectsRows READ defectsRows CONSTANT)

public:
    static constexpr int kRefreshIntervalMs = 3500;

    // The settings are not read: the feed has nothing to configure while the
    // snapshot brings it everything.
    RealtimeIssuesService(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);

    QString status() const { return m_status; }
    QString bugsValue() const { return QString::number(m_bugs.total); }
    QString bugsDelta() const { return m_bugs.delta; }
    QString defectsValue() const { return QString::number(m_defects.total); }
    QString defectsDelta() const { return m_defects.delta; }
    QVariantList bugsModel() const { return m_bugs.rows; }
    QVariantList defectsModel() const { return m_defects.rows; }
    bool busy() const { return m_busy; }
    QAbstractItemModel *bugsRows() { return &m_bugsRows; }
    QAbstractItemModel *defectsRows() { return &m_defectsRows; }

    int bugsTotal() const { return m_bugs.total; }
    int defectsTotal() const { return m_defects.total; }
    bool isRunning() const { return m_timer.isActive(); }
    void setRefreshIntervalMs(int ms) { m_timer.setInterval(ms); }

    Q_INVOKABLE void refresh();
    Q_INVOKABLE void start();
    Q_INVOKABLE void stop();
    Q_INVOKABLE void applySnapshotRoot(const QJsonObject &root);
    // The same, with the rows built on a background thread and shown here a moment
    // later (the snapshot poll's way in). A later apply makes a pending one stale.
    void applySnapshotRootInBackground(const QJsonObject &root);
    bool applyPending() const { return m_queue.busy(); }

Q_SIGNALS:
    void changed();

private:
    struct Feed
    {
        QVariantList rows;
        int total = 0;
        int previousTotal = -1; // none until the first snapshot
        QString delta;
    };

    // What a snapshot brings, read from values only (any thread).
    struct Lists
    {
        QVariantList bugs, defects;
        QJsonObject bugSummary, defectSummary;
    };
    static Lists readLists(const QJsonObject &root);
    void commit(const Lists &lists);
    void setStatus(const QString &status);

    Journal *m_eventLog = nullptr;
    QTimer m_timer;
    Feed m_bugs;
    Feed m_defects;
    QString m_status;
    bool m_busy = false;
    KeyedRowsModel m_bugsRows{QStringLiteral("key")};
    KeyedRowsModel m_defectsRows{QStringLiteral("key")};
    // Declared last: destroyed first, so no job outlives the members it reports to.
    BackgroundQueue m_queue;
};
