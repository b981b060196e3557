#pragma once

#include <QJsonArray>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// Wall bindings: a consumable item tied to a QR code on the workshop wall.
class WallBindings
{
public:
    static QString newBindingId();
    // A new binding to the tab: its title, server type and measure, its
    // first option as the item, amount 1.
    static QVariantMap bindingForTab(const QVariantMap &tab);
    // Canonical fields id, tabId, itemName, amount, plus title, serverType and
    // measure only when the binding carries its own.
    static QVariantMap normalizeBinding(const QVariantMap &raw, int position);
    static QVariantList normalizeList(const QVariantList &bindings);
    static QVariantList fromJson(const QJsonArray &array);

    // Stable key of a consumable item name ("Маленькая шкатулка" -> "small_box").
    static QString itemKey(const QString &itemName);
    // The compact JSON text behind the "VORN_WALL:" prefix; tab may be empty.
    static QString payload(const QVariantMap &binding, const QVariantMap &tab);
};
