#include "common/ConsumableKey.h"

#include <QHash>
#include <QRegularExpression>

QString normalizeConsumableText(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QString out = text.toLower();
    out.replace(u'ё', u'е');
    out.replace(blanks, QStringLiteral(" "));
    return out.trimmed();
}

QString knownConsumableKey(const QString &normalizedText)
{
    static const QHash<QString, QString> known{
        {QStringLiteral("black"), QStringLiteral("black")},
        {QStringLiteral("cyan"), QStringLiteral("cyan")},
        {QStringLiteral("magenta"), QStringLiteral("magenta")},
        {QStringLiteral("yellow"), QStringLiteral("yellow")},
        {QStringLiteral("обои"), QStringLiteral("wallpaper")},
        {QStringLiteral("wallpaper"), QStringLiteral("wallpaper")},
        {QStringLiteral("песок"), QStringLiteral("sand")},
        {QStringLiteral("sand"), QStringLiteral("sand")},
        {QStringLiteral("фреска"), QStringLiteral("fresco")},
        {QStringLiteral("fresco"), QStringLiteral("fresco")},
        {QStringLiteral("холст"), QStringLiteral("canvas")},
        {QStringLiteral("canvas"), QStringLiteral("canvas")},
        {QStringLiteral("скотч"), QStringLiteral("tape")},
        {QStringLiteral("tape"), QStringLiteral("tape")},
        {QStringLiteral("коробка"), QStringLiteral("box")},
        {QStringLiteral("коробки"), QStringLiteral("box")},
        {QStringLiteral("шкатулка"), QStringLiteral("box")},
        {QStringLiteral("короб"), QStringLiteral("box")},
        {QStringLiteral("маленькая шкатулка"), QStringLiteral("small_box")},
        {QStringLiteral("шкатулка маленькая"), QStringLiteral("small_box")},
        {QStringLiteral("коробка маленькая"), QStringLiteral("small_box")},
        {QStringLiteral("маленькая коробка"), QStringLiteral("small_box")},
        {QStringLiteral("большая шкатулка"), QStringLiteral("large_box")},
        {QStringLiteral("шкатулка большая"), QStringLiteral("large_box")},
        {QStringLiteral("коробка большая"), QStringLiteral("large_box")},
        {QStringLiteral("большая коробка"), QStringLiteral("large_box")},
    };
    return known.value(normalizedText);
}

QString slugifyConsumable(const QString &text)
{
    static const QHash<QChar, QString> cyrillic{
        {u'а', QStringLiteral("a")},  {u'б', QStringLiteral("b")},   {u'в', QStringLiteral("v")},
        {u'г', QStringLiteral("g")},  {u'д', QStringLiteral("d")},   {u'е', QStringLiteral("e")},
        {u'ж', QStringLiteral("zh")}, {u'з', QStringLiteral("z")},   {u'и', QStringLiteral("i")},
        {u'й', QStringLiteral("y")},  {u'к', QStringLiteral("k")},   {u'л', QStringLiteral("l")},
        {u'м', QStringLiteral("m")},  {u'н', QStringLiteral("n")},   {u'о', QStringLiteral("o")},
        {u'п', QStringLiteral("p")},  {u'р', QStringLiteral("r")},   {u'с', QStringLiteral("s")},
        {u'т', QStringLiteral("t")},  {u'у', QStringLiteral("u")},   {u'ф', QStringLiteral("f")},
        {u'х', QStringLiteral("h")},  {u'ц', QStringLiteral("c")},   {u'ч', QStringLiteral("ch")},
        {u'ш', QStringLiteral("sh")}, {u'щ', QStringLiteral("sch")}, {u'ъ', QString()},
        {u'ы', QStringLiteral("y")},  {u'ь', QString()},             {u'э', QStringLiteral("e")},
        {u'ю', QStringLiteral("yu")}, {u'я', QStringLiteral("ya")},
    };
    const QString normalized = normalizeConsumableText(text);
    QString out;
    out.reserve(normalized.size() * 2);
    for (const QChar c : normalized) {
        if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) {
            out += c;
            continue;
        }
        const auto it = cyrillic.constFind(c);
        if (it != cyrillic.constEnd()) {
            out += *it;
            continue;
        }
        if (!out.isEmpty() && !out.endsWith(u'_'))
            out += u'_';
    }
    while (out.endsWith(u'_'))
        out.chop(1);
    return out;
}

QString canonicalConsumableKey(const QString &text)
{
    const QString normalized = normalizeConsumableText(text);
    const QString known = knownConsumableKey(normalized);
    return known.isEmpty() ? slugifyConsumable(normalized) : known;
}
