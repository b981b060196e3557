#include "staff/WorkplaceKeys.h"

#include <QRegularExpression>

namespace {

const QRegularExpression &cutterPattern()
{
    static const QRegularExpression pattern(QStringLiteral("(?:cutter|cut|rezak|scanner)[_\\-]?(\\d+)"));
    return pattern;
}

} // namespace

QString WorkplaceKeys::normalizeWorkplaceKey(const QString &text)
{
    QString key = text.trimmed().toLower();
    if (key.isEmpty())
        return {};
    key.replace(QStringLiteral("резак"), QStringLiteral("cutter"));
    key.replace(QStringLiteral("scanner"), QStringLiteral("cutter"));
    key.replace(QStringLiteral("сканер"), QStringLiteral("cutter"));
    static const QRegularExpression separators(QStringLiteral("[\\s:#]+"));
    static const QRegularExpression foreign(QStringLiteral("[^a-z0-9_\\-]+"));
    key.replace(separators, QStringLiteral("_"));
    key.remove(foreign);
    if (key == u"1" || key == u"01")
        return QStringLiteral("cutter_1");
    if (key == u"2" || key == u"02")
        return QStringLiteral("cutter_2");
    const QRegularExpressionMatch match = cutterPattern().match(key);
    if (match.hasMatch())
        return QStringLiteral("cutter_%1").arg(match.captured(1).toLongLong());
    return key;
}

QString WorkplaceKeys::workplaceLabelForKey(const QString &key)
{
    const QString normalized = normalizeWorkplaceKey(key);
    const QRegularExpressionMatch match = cutterPattern().match(normalized);
    if (match.hasMatch())
        return QStringLiteral("Резак %1").arg(match.captured(1).toLongLong());
    return normalized;
}
