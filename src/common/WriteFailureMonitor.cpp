#include "common/WriteFailureMonitor.h"

#include "common/Journal.h"
#include "common/LogCategories.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>

WriteFailureMonitor::WriteFailureMonitor(QObject *parent)
    : QObject(parent)
{
}

WriteFailureMonitor &WriteFailureMonitor::global()
{
    static WriteFailureMonitor *monitor = [] {
        auto *created = new WriteFailureMonitor;
        if (QCoreApplication *app = QCoreApplication::instance())
            created->moveToThread(app->thread());
        return created;
    }();
    return *monitor;
}

QString WriteFailureMonitor::journalText(const QString &folder)
{
    return QStringLiteral("Не удаётся записать файлы в папку %1: настройки, журнал и очередь не сохраняются. "
                          "Проверьте права доступа и свободное место.")
        .arg(QDir::toNativeSeparators(folder));
}

QString WriteFailureMonitor::folderOf(const QString &path)
{
    // The folder the file goes into; when that is missing (it could not be created), the
    // nearest existing one above it: that is where writing fails, e.g. a read-only data
    // folder rather than its "logs" that never came to be.
    QString folder = QFileInfo(path).absolutePath();
    while (!QFileInfo::exists(folder)) {
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent == folder)
            break;
        folder = parent;
    }
    return folder;
}

void WriteFailureMonitor::setJournal(Journal *journal)
{
    m_journal = journal;
    warnIfDue();
}

void WriteFailureMonitor::noteFailure(const QString &path)
{
    note(path, true);
}

void WriteFailureMonitor::noteSuccess(const QString &path)
{
    note(path, false);
}

void WriteFailureMonitor::note(const QString &path, bool failed)
{
    const QString folder = folderOf(path);
    const auto apply = [this, folder, failed] {
        if (failed)
            failureOnOwnThread(folder);
        else
            successOnOwnThread(folder);
    };
    // Writers on worker threads report through the monitor's own thread.
    if (QThread::currentThread() == thread())
        apply();
    else
        QMetaObject::invokeMethod(this, apply, Qt::QueuedConnection);
}

void WriteFailureMonitor::failureOnOwnThread(const QString &folder)
{
    if (!m_failingFolders.contains(folder)) {
        qCWarning(lcApp) << "cannot write into" << folder;
        m_failingFolders.append(folder);
        Q_EMIT changed();
    }
    warnIfDue();
}

void WriteFailureMonitor::successOnOwnThread(const QString &folder)
{
    if (m_failingFolders.removeAll(folder) > 0)
        Q_EMIT changed();
}

void WriteFailureMonitor::warnIfDue()
{
    if (!m_journal || m_warning || m_failingFolders.isEmpty())
        return;
    if (m_lastWarned.isValid() && m_lastWarned.elapsed() < m_repeatMs)
        return;
    m_lastWarned.start();
    m_warning = true;
    m_journal->addError(journalText(m_failingFolders.constFirst()));
    m_warning = false;
}
