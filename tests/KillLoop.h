#pragma once

// The kill loops: a writer child stores numbered versions of a file in a loop and
// prints each number once the store has returned; the test kills it with SIGKILL
// at random moments and checks that what is on disk is an old or a new version.

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QString>
#include <QThread>

#include <csignal>
#include <functional>

#include <unistd.h>

namespace KillLoop {

// The writer's side: the data folder comes from XDG_DATA_HOME; store(n) saves
// version n and returns false on failure. Never returns normally.
inline int runWriter(int argc, char *argv[], const std::function<bool(qint64)> &prepareAndStore)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("VornClient"));
    QCoreApplication::setApplicationName(QStringLiteral("VornClient"));
    if (argc < 2)
        return 2;
    for (qint64 n = QByteArray(argv[1]).toLongLong();; ++n) {
        if (!prepareAndStore(n))
            return 1;
        const QByteArray line = QByteArray::number(n) + '\n';
        if (::write(STDOUT_FILENO, line.constData(), size_t(line.size())) < 0)
            return 1;
    }
}

// The test's side. Points XDG_DATA_HOME at folder, so the writer and the test's
// own AppSettings share one data folder.
class Runner
{
public:
    Runner(const QString &writerName, const QString &folder, quint32 seed, int maxDelayUs)
        : m_writer(QCoreApplication::applicationDirPath() + u'/' + writerName), m_random(seed), m_maxDelayUs(maxDelayUs)
    {
        QCoreApplication::setOrganizationName(QStringLiteral("VornClient"));
        QCoreApplication::setApplicationName(QStringLiteral("VornClient"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder));
    }

    QString writer() const { return m_writer; }

    // One run: start the writer at version first, kill it (mostly while it writes,
    // sometimes during start-up). False when the child could not be run.
    bool runOnce(qint64 first)
    {
        QProcess child;
        child.start(m_writer, {QString::number(first)});
        if (!child.waitForStarted(5000))
            return false;
        if (m_random.bounded(5) != 0)
            child.waitForReadyRead(10000);
        QThread::usleep(m_random.bounded(0, m_maxDelayUs));
        ::kill(pid_t(child.processId()), SIGKILL);
        if (!child.waitForFinished(5000))
            return false;
        const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
        m_last = -1; // whole lines only: the last element follows the final newline
        for (int i = 0; i + 1 < lines.size(); ++i)
            m_last = lines.at(i).toLongLong();
        if (m_last >= 0) {
            m_acknowledged += int(lines.size() - 1);
            m_allowed = {m_last, m_last + 1};
        } else {
            m_allowed.insert(first);
        }
        return true;
    }

    // The versions the files may hold now: the last acknowledged one or the one
    // being written when the kill came (or, when nothing came back this run, what
    // was allowed before or the run's first).
    const QSet<qint64> &allowed() const { return m_allowed; }
    qint64 lastAcknowledged() const { return m_last; }
    int acknowledged() const { return m_acknowledged; }

private:
    QString m_writer;
    QRandomGenerator m_random;
    int m_maxDelayUs;
    QSet<qint64> m_allowed;
    qint64 m_last = -1;
    int m_acknowledged = 0;
};

} // namespace KillLoop
