#include "settings/HelpSections.h"

#include "common/JsonRead.h"

namespace {

QVariantList bulletsFrom(const QVariantMap &raw)
{
    const QVariant value = variantFirstValue(raw, {"bullets", "items", "lines"});
    QVariantList out;
    if (value.typeId() == QMetaType::QString) {
        for (const QString &line : value.toString().split(u'\n')) {
            if (!line.trimmed().isEmpty())
                out.append(line.trimmed());
        }
        return out;
    }
    for (const QVariant &item : value.toList()) {
        const QString text = variantToText(item);
        if (!text.isEmpty())
            out.append(text);
    }
    return out;
}

} // namespace

QVariantMap HelpSections::normalizeSection(const QVariantMap &raw)
{
    QVariantMap section{
        {QStringLiteral("title"), variantFirstText(raw, {"title"})},
        {QStringLiteral("bullets"), bulletsFrom(raw)},
        {QStringLiteral("body"), variantFirstText(raw, {"body", "text"})},
    };
    QVariantList cards;
    for (const QVariant &card : raw.value(QStringLiteral("cards")).toList()) {
        if (card.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap map = card.toMap();
        cards.append(QVariantMap{{QStringLiteral("title"), variantFirstText(map, {"title"})},
                                 {QStringLiteral("bullets"), bulletsFrom(map)}});
    }
    if (!cards.isEmpty())
        section.insert(QStringLiteral("cards"), cards);
    return section;
}

QVariantList HelpSections::normalizeList(const QVariantList &sections)
{
    QVariantList out;
    for (const QVariant &section : sections) {
        if (section.typeId() == QMetaType::QVariantMap)
            out.append(normalizeSection(section.toMap()));
    }
    return out;
}

QVariantList HelpSections::fromJson(const QJsonArray &array)
{
    return normalizeList(array.toVariantList());
}
