#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

// Page keys of the window's navigation: normalisation, default titles and order.
class PageKeys
{
public:
    // Trimmed and lower-cased; marketplace names map to "warehouses",
    // consumable kinds to "consumables".
    static QString normalize(const QString &key);
    // The built-in title, or an empty string for an unknown key.
    static QString defaultTitle(const QString &normalizedKey);
    static QStringList defaultSidebarOrder();

    // Normalised, without empty or repeated keys.
    static QStringList normalizeList(const QStringList &keys);
    // Stored order first (without "orders"), then every missing default key.
    static QStringList rebuildSidebarOrder(const QStringList &keys);
    // Same values, keys normalised; a later duplicate wins.
    static QVariantMap normalizeFlagKeys(const QVariantMap &flags);

    // The page questions of the navigation, given the server-driven state.
    static bool isVisible(const QString &key, const QStringList &hiddenTabs);
    static bool isEnabled(const QString &key, const QVariantMap &featureFlags);
    static QString title(const QString &key, const QString &helpTitle);
    // One {key, title, enabled, restriction} map per visible page in order.
    static QVariantList sidebarItems(const QStringList &order, const QStringList &hiddenTabs,
                                     const QVariantMap &featureFlags, const QString &helpTitle);
};
