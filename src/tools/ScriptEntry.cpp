#include "tools/ScriptEntry.h"

#include "common/JsonRead.h"
#include "tools/ScriptHeartbeat.h"
#include "tools/ScriptPathResolver.h"

ScriptEntry ScriptEntry::fromRow(const QVariantMap &row, int index, const QString &id)
{
    ScriptEntry entry;
    entry.id = id;
    entry.name = variantToText(row.value(QStringLiteral("name")));
    if (entry.name.isEmpty())
        entry.name = QStringLiteral("Скрипт %1").arg(index + 1);
    entry.path = ScriptPathResolver::unquote(variantToText(row.value(QStringLiteral("path"))));
    entry.arguments = variantToText(row.value(QStringLiteral("arguments")));
    entry.enabled = variantToBool(row.value(QStringLiteral("enabled")), true);
    entry.autoStart = variantToBool(variantFirstValue(row, {"autoStart", "auto_start"}), false);
    entry.launchMode = variantToText(row.value(QStringLiteral("launchMode"))).toLower();
    if (entry.launchMode.isEmpty())
        entry.launchMode = QStringLiteral("auto");

    const QString rawName = variantToText(row.value(QStringLiteral("name")));
    if (!entry.path.isEmpty())
        entry.key = QStringLiteral("path:") + entry.path.toLower();
    else if (!rawName.isEmpty())
        entry.key = QStringLiteral("name:%1:%2").arg(rawName.toLower()).arg(index);
    else
        entry.key = QStringLiteral("idx:%1").arg(index);
    entry.run.heartbeatText = ScriptHeartbeat::text(-1);
    return entry;
}
