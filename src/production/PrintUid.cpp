#include "production/PrintUid.h"

#include "common/ProductionCode.h"

#include <QFileInfo>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool inNameClass(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z')
        || (u >= u'А' && u <= u'я');
}

// Characters the case-insensitive class [0-9A-Za-zА-Яа-я] takes, as their folded form
// (the Kelvin sign folds to "k"); a null character for the rest.
QChar foldedNameChar(QChar c)
{
    if (inNameClass(c))
        return c.toCaseFolded();
    const QChar folded = c.toCaseFolded();
    return inNameClass(folded) ? folded : QChar();
}

QString digitsOnly(const QString &text)
{
    QString digits;
    for (QChar c : text) {
        if (isAsciiDigit(c))
            digits += c;
    }
    return digits;
}

} // namespace

QString extractPrintUid(const QString &raw)
{
    QString text = raw.trimmed();
    if (text.startsWith(QLatin1String("VORN_WALL:"), Qt::CaseInsensitive))
        return {};
    const qsizetype brace = text.indexOf(QLatin1Char('{'));
    if (brace >= 0 && text.indexOf(QLatin1Char('}'), brace + 1) > brace)
        return {};

    qsizetype start = 0;
    while (start < text.size()
           && (text.at(start).isSpace() || text.at(start).unicode() < 32
               || text.at(start) == QLatin1Char('#')))
        ++start;
    text = text.mid(start);

    const QString code = extractProductionCode(text);
    if (!code.isEmpty())
        return code;

    for (const QChar separator : { QChar(u'|'), QChar(u'\uFF5C'), QChar(u'\u00A6') }) {
        const qsizetype at = text.lastIndexOf(separator);
        if (at < 0 || at + 1 >= text.size())
            continue;
        const QString digits = digitsOnly(text.mid(at + 1).trimmed());
        if (digits.size() >= 3)
            return digits;
    }

    if (text.size() >= 3 && digitsOnly(text).size() == text.size())
        return text;

    static const QRegularExpression number(QStringLiteral("\\b\\d{3,12}\\b"));
    QString last;
    auto matches = number.globalMatch(text);
    while (matches.hasNext())
        last = matches.next().captured(0);
    return last.isEmpty() ? text : last;
}

QRegularExpression uidFileNamePattern(const QString &uid)
{
    return QRegularExpression(QStringLiteral("(^|[^0-9A-Za-zА-Яа-я])%1([^0-9A-Za-zА-Яа-я]|$)")
                                  .arg(QRegularExpression::escape(uid)),
                              QRegularExpression::CaseInsensitiveOption);
}

bool fileNameMatchesUid(const QString &fileName, const QString &uid)
{
    if (uid.isEmpty())
        return false;
    return uidFileNamePattern(uid).match(QFileInfo(fileName).completeBaseName()).hasMatch();
}

QStringList uidNameTokens(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QStringView base = dot >= 0 ? QStringView(fileName).left(dot) : QStringView(fileName);
    QStringList tokens;
    QString current;
    for (QChar c : base) {
        const QChar folded = foldedNameChar(c);
        if (!folded.isNull()) {
            current += folded;
        } else if (!current.isEmpty()) {
            tokens << current;
            current.clear();
        }
    }
    if (!current.isEmpty())
        tokens << current;
    return tokens;
}

QString uidTokenKey(const QString &uid)
{
    QString key;
    for (QChar c : uid) {
        if (!inNameClass(c))
            return {};
        key += c.toCaseFolded();
    }
    return key;
}
