#include "tools/ScriptLog.h"

#include <QStringList>

namespace {
const QString kEllipsisLine = QStringLiteral("…\n");
const QString kStartMark = QStringLiteral("▶ Запуск");
} // namespace

QString ScriptLog::tail(const QString &log, int maxChars)
{
    if (log.size() <= maxChars)
        return log;
    return kEllipsisLine + log.right(maxChars);
}

QString ScriptLog::append(const QString &log, const QString &text)
{
    if (text.isEmpty())
        return log;
    // Cut the old part first, so a flood never builds a string much larger than the cap.
    if (text.size() >= kCapChars)
        return filter(tail(text, kCapChars));
    const qsizetype keep = kCapChars - text.size();
    QString combined = log.size() > keep ? log.right(keep) + text : log + text;
    if (log.size() + text.size() > kCapChars)
        combined.prepend(kEllipsisLine);
    return filter(combined);
}

QString ScriptLog::filter(const QString &log)
{
    QStringList lines = log.split(u'\n');
    bool changed = false;
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const QString trimmed = lines.at(i).trimmed();
        const QString lower = trimmed.toLower();
        if (lower.startsWith(QLatin1String("cwd:")) || lower.startsWith(QLatin1String("cmd:"))) {
            lines.removeAt(i);
            changed = true;
        } else if (trimmed.startsWith(QStringLiteral("▶ ")) && trimmed != kStartMark
                   && (lower.contains(QLatin1String(".exe")) || lower.contains(QLatin1String("python"))
                       || lower.contains(QLatin1String("powershell")) || lower.contains(QLatin1String("cmd")))) {
            lines[i] = kStartMark;
            changed = true;
        }
    }
    return changed ? lines.join(u'\n') : log;
}
