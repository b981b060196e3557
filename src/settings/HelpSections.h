#pragma once

#include <QJsonArray>
#include <QVariantList>
#include <QVariantMap>

// Help sections of the instruction page: title, bullets, body and optional cards.
class HelpSections
{
public:
    static QVariantMap normalizeSection(const QVariantMap &raw);
    static QVariantList normalizeList(const QVariantList &sections);
    static QVariantList fromJson(const QJsonArray &array);
};
