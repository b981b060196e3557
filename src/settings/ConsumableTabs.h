#pragma once

#include <QJsonArray>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

// Consumable tabs: which kinds of consumables the workshop books and how.
class ConsumableTabs
{
public:
    static QVariantList defaults();
    static QVariantMap newTab();
    static QString newTabId();

    // Canonical fields id, title, mode, serverType, measure, options; the
    // stored row position gives the id of a tab that has none.
    static QVariantMap normalizeTab(const QVariantMap &raw, int position);
    static QVariantList normalizeList(const QVariantList &tabs);
    static QVariantList fromJson(const QJsonArray &array);

    static QString normalizeMode(const QString &mode);
    static QString defaultTitle(const QString &mode);
    static QString defaultServerType(const QString &mode);
    static QString defaultMeasure(const QString &mode);
    static QStringList splitOptions(const QString &text);

    static int indexOfId(const QVariantList &tabs, const QString &tabId);
    static QVariantMap tabById(const QVariantList &tabs, const QString &tabId);
};
