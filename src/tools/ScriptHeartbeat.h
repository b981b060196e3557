#pragma once

#include <QDateTime>
#include <QString>

// The file a script may touch to show it is alive: "heartbeat.txt" in its work folder.
class ScriptHeartbeat
{
public:
    // Whole seconds since the file was last modified (never below 0); -1 when
    // there is no work folder or no file.
    static int ageSeconds(const QString &workDir, const QDateTime &now);
    // "пульс: нет" for -1, else "пульс: <age>с назад".
    static QString text(int ageSeconds);
};
