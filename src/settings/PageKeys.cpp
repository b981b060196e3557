#include "settings/PageKeys.h"

#include "common/JsonRead.h"

QString PageKeys::normalize(const QString &key)
{
    const QString k = key.trimmed().toLower();
    if (k == u"wb" || k == u"ozon" || k == u"ym")
        return QStringLiteral("warehouses");
    if (k == u"boxes" || k == u"ink" || k == u"material")
        return QStringLiteral("consumables");
    return k;
}

QString PageKeys::defaultTitle(const QString &key)
{
    static const QVariantMap titles{
        {QStringLiteral("home"), QStringLiteral("Главная")},
        {QStringLiteral("orders"), QStringLiteral("Заказы")},
        {QStringLiteral("warehouses"), QStringLiteral("Склады")},
        {QStringLiteral("consumables"), QStringLiteral("Расходники")},
        {QStringLiteral("scripts"), QStringLiteral("Скрипты")},
        {QStringLiteral("supplies"), QStringLiteral("Поставки")},
        {QStringLiteral("defects"), QStringLiteral("Брак")},
        {QStringLiteral("bugs"), QStringLiteral("Баг-трекер")},
        {QStringLiteral("employees"), QStringLiteral("Сотрудники")},
        {QStringLiteral("settings"), QStringLiteral("Настройки")},
        {QStringLiteral("help"), QStringLiteral("Инструкция")},
    };
    return titles.value(key).toString();
}

QStringList PageKeys::defaultSidebarOrder()
{
    return {QStringLiteral("home"),     QStringLiteral("warehouses"), QStringLiteral("consumables"),
            QStringLiteral("scripts"),  QStringLiteral("supplies"),   QStringLiteral("defects"),
            QStringLiteral("bugs"),     QStringLiteral("employees"),  QStringLiteral("settings"),
            QStringLiteral("help")};
}

QStringList PageKeys::normalizeList(const QStringList &keys)
{
    QStringList out;
    for (const QString &key : keys) {
        const QString k = normalize(key);
        if (!k.isEmpty() && !out.contains(k))
            out.append(k);
    }
    return out;
}

QStringList PageKeys::rebuildSidebarOrder(const QStringList &keys)
{
    QStringList out = normalizeList(keys);
    out.removeAll(QStringLiteral("orders"));
    for (const QString &key : defaultSidebarOrder()) {
        if (!out.contains(key))
            out.append(key);
    }
    return out;
}

QVariantMap PageKeys::normalizeFlagKeys(const QVariantMap &flags)
{
    QVariantMap out;
    for (auto it = flags.cbegin(); it != flags.cend(); ++it) {
        const QString k = normalize(it.key());
        if (!k.isEmpty())
            out.insert(k, it.value());
    }
    return out;
}

bool PageKeys::isVisible(const QString &key, const QStringList &hiddenTabs)
{
    const QString k = normalize(key);
    if (k == u"orders")
        return false;
    for (const QString &hidden : hiddenTabs) {
        if (normalize(hidden) == k)
            return false;
    }
    return true;
}

bool PageKeys::isEnabled(const QString &key, const QVariantMap &featureFlags)
{
    const QString k = normalize(key);
    if (k == u"orders")
        return false;
    for (auto it = featureFlags.cbegin(); it != featureFlags.cend(); ++it) {
        if (normalize(it.key()) == k)
            return variantToBool(it.value(), true);
    }
    return true;
}

QString PageKeys::title(const QString &key, const QString &helpTitle)
{
    const QString k = normalize(key);
    if (k == u"help" && !helpTitle.trimmed().isEmpty())
        return helpTitle.trimmed();
    const QString builtIn = defaultTitle(k);
    return builtIn.isEmpty() ? key : builtIn;
}

QVariantList PageKeys::sidebarItems(const QStringList &order, const QStringList &hiddenTabs,
                                    const QVariantMap &featureFlags, const QString &helpTitle)
{
    QVariantList items;
    for (const QString &key : normalizeList(order)) {
        if (!isVisible(key, hiddenTabs))
            continue;
        const bool enabled = isEnabled(key, featureFlags);
        items.append(QVariantMap{
            {QStringLiteral("key"), key},
            {QStringLiteral("title"), title(key, helpTitle)},
            {QStringLiteral("enabled"), enabled},
            {QStringLiteral("restriction"), enabled ? QString() : QStringLiteral("vorn")},
        });
    }
    return items;
}
