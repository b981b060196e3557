#pragma once

#include <QString>
#include <QStringList>

// Crash capture and self-restart. The values are process-wide and set once at start-up,
// right after the single-instance check; the handlers themselves live in src/platform.
namespace CrashCapture {

// crashLogPath is "logs/crash-yyyy-MM-dd.log" under the data folder (computed by the host).
// Installs the fatal-signal / unhandled-exception and terminate handlers; a crash writes
// one reason line and restarts the program after restartDelaySeconds unless the previous
// restart attempt is less than 20 seconds old.
void install(const QString &crashLogPath, const QString &applicationFilePath,
             const QStringList &argumentsWithoutProgram, int restartDelaySeconds = 6);

QString crashLogPath();
QString applicationFilePath();
QStringList arguments();

// Appends "<local ISO time with ms> <reason>" to the crash log (creates the folder;
// nothing when the path is empty).
void recordExitReason(const QString &reason);

} // namespace CrashCapture
