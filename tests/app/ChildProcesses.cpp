#include "ChildProcesses.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <csignal>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ChildProcesses {

namespace {

char processState(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const int close = text.lastIndexOf(')');
    return close >= 0 && close + 2 < text.size() ? text.at(close + 2) : 0;
}

// Reaps pid if it is a finished child of ours; true when it was reaped now.
bool reap(qint64 pid, int *code, bool *notOurs)
{
    int status = 0;
    const pid_t result = ::waitpid(pid_t(pid), &status, WNOHANG);
    *notOurs = result < 0 && errno == ECHILD;
    if (result == pid_t(pid)) {
        if (WIFEXITED(status))
            *code = WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            *code = 128 + WTERMSIG(status);
        return true;
    }
    return false;
}

} // namespace

bool becomeSubreaper()
{
    return ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
}

QList<qint64> findByCommandLine(const QString &needle)
{
    QList<qint64> found;
    const QByteArray wanted = needle.toLocal8Bit();
    const qint64 self = QCoreApplication::applicationPid();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok || pid == self)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        QByteArray text = cmdline.readAll();
        text.replace('\0', ' ');
        if (text.contains(wanted) && isAlive(pid))
            found.append(pid);
    }
    return found;
}

bool isAlive(qint64 pid)
{
    const char state = processState(pid);
    return state != 0 && state != 'Z' && state != 'X';
}

Exit waitForExit(qint64 pid, int timeoutMs)
{
    Exit exit;
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        bool notOurs = false;
        if (reap(pid, &exit.code, &notOurs)) {
            exit.ended = true;
            return exit;
        }
        const char state = processState(pid);
        // Gone, or a zombie someone else has to reap.
        if (state == 0 || (notOurs && !isAlive(pid))) {
            exit.ended = true;
            return exit;
        }
        if (deadline.hasExpired())
            return exit;
        QThread::msleep(20);
    }
}

void killAll(const QString &needle)
{
    for (int round = 0; round < 3; ++round) {
        const QList<qint64> pids = findByCommandLine(needle);
        if (pids.isEmpty())
            return;
        for (const qint64 pid : pids)
            ::kill(pid_t(pid), SIGKILL);
        for (const qint64 pid : pids)
            waitForExit(pid, 3000);
    }
}

} // namespace ChildProcesses
