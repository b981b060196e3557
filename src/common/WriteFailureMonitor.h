#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

class Journal;

// Notices that the client can no longer write its files (a read-only data
// folder, read-only files, a full disk) and tells the operator: one journal
// error naming the folder, at most once per repeat interval. The heartbeat
// reports the folders that currently fail. Writers report every outcome; the
// atomic file writer does so by itself.
class WriteFailureMonitor : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kDefaultRepeatMs = 60LL * 60 * 1000;

    explicit WriteFailureMonitor(QObject *parent = nullptr);

    // The process-wide monitor the writers report to (lives on the main thread).
    static WriteFailureMonitor &global();

    // The journal errors go to; a failure noticed before it was set is reported now.
    void setJournal(Journal *journal);
    void setRepeatIntervalMs(qint64 ms) { m_repeatMs = ms; }

    // path: the file that could or could not be written. Thread-safe.
    void noteFailure(const QString &path);
    void noteSuccess(const QString &path);

    bool failing() const { return !m_failingFolders.isEmpty(); }
    QStringList failingFolders() const { return m_failingFolders; }

    static QString journalText(const QString &folder);

Q_SIGNALS:
    void changed();

private:
    static QString folderOf(const QString &path);
    void note(const QString &path, bool failed);
    void failureOnOwnThread(const QString &folder);
    void successOnOwnThread(const QString &folder);
    void warnIfDue();

    Journal *m_journal = nullptr;
    qint64 m_repeatMs = kDefaultRepeatMs;
    QStringList m_failingFolders;
    QElapsedTimer m_lastWarned;   // monotonic; invalid until the first warning
    bool m_warning = false;       // the journal's own file may fail while we warn
};
