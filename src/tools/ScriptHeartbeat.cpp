#include "tools/ScriptHeartbeat.h"

#include <QFileInfo>

int ScriptHeartbeat::ageSeconds(const QString &workDir, const QDateTime &now)
{
    if (workDir.isEmpty())
        return -1;
    const QFileInfo file(workDir + QStringLiteral("/heartbeat.txt"));
    if (!file.exists())
        return -1;
    // The file's time is wall-clock by nature; a clock step back shows as age 0.
    return int(qMax<qint64>(0, file.lastModified().secsTo(now)));
}

QString ScriptHeartbeat::text(int ageSeconds)
{
    if (ageSeconds < 0)
        return QStringLiteral("пульс: нет");
    return QStringLiteral("пульс: %1с назад").arg(ageSeconds);
}
