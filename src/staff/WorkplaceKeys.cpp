#include "staff/WorkplaceKeys.h"

#include <QRegularExpression>

namespace {

const QRegularExpression &cutterPattern()
{
    static const QRegularExpression pattern(QStringLiteral("(?:cutter|cut|rezak|scanner)[_\\-]?([0-9]+)"));
    return pattern;
}

// Read as text, not as an integer: a digit run longer than any integer stays itself.
QString withoutLeadingZeros(const QString &digits)
{
    qsizetype first = 0;
    while (first + 1 < digits.size() && digits.at(first) == u'0')
        ++first;
    return digits.mid(first);
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
    // Deleted characters can join the pieces of a word again ("scan\u200bner").
    key.replace(QStringLiteral("scanner"), QStringLiteral("cutter"));
    if (key == u"1" || key == u"01")
        return QStringLiteral("cutter_1");
    if (key == u"2" || key == u"02")
        return QStringLiteral("cutter_2");
    const QRegularExpressionMatch match = cutterPattern().match(key);
    if (match.hasMatch())
        return QStringLiteral("cutter_") + withoutLeadingZeros(match.captured(1));
    return key;
}

QString WorkplaceKeys::workplaceLabelForKey(const QString &key)
{
    const QString normalized = normalizeWorkplaceKey(key);
    const QRegularExpressionMatch match = cutterPattern().match(normalized);
    if (match.hasMatch())
        return QStringLiteral("Резак ") + withoutLeadingZeros(match.captured(1));
    return normalized;
}
