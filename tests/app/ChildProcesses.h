#pragma once

#include <QList>
#include <QString>

// Test-side bookkeeping for processes a test did not start itself: a crashed client's
// delayed restart runs in its own session, outside QProcess. The test process becomes a
// child subreaper so those orphans are re-parented to it, can be reaped and their exit
// codes read.
namespace ChildProcesses {

bool becomeSubreaper();

// Live (not zombie) processes other than this one whose command line contains needle.
QList<qint64> findByCommandLine(const QString &needle);

bool isAlive(qint64 pid);

struct Exit {
    bool ended = false;
    int code = -1; // exit code, or 128 + signal for a killed process; -1 when not our child
};

// Polls until pid has ended (reaping it when it is our child). Never use it on a pid a
// QProcess owns.
Exit waitForExit(qint64 pid, int timeoutMs);

// SIGKILLs every process whose command line contains needle and reaps what it can.
void killAll(const QString &needle);

} // namespace ChildProcesses
