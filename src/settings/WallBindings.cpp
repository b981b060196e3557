#include "settings/WallBindings.h"

#include "common/ConsumableKey.h"
#include "common/JsonRead.h"

#include <QJsonObject>
#include <QUuid>

QString WallBindings::newBindingId()
{
    return QStringLiteral("wall_") + QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
}

QVariantMap WallBindings::bindingForTab(const QVariantMap &tab)
{
    QVariantMap binding{
        {QStringLiteral("id"), newBindingId()},
        {QStringLiteral("tabId"), tab.value(QStringLiteral("id")).toString()},
        {QStringLiteral("itemName"), tab.value(QStringLiteral("options")).toList().value(0).toString()},
        {QStringLiteral("amount"), 1.0},
    };
    for (const char *field : {"title", "serverType", "measure"}) {
        const QString text = tab.value(QLatin1String(field)).toString();
        if (!text.isEmpty())
            binding.insert(QLatin1String(field), text);
    }
    return binding;
}

QVariantMap WallBindings::normalizeBinding(const QVariantMap &raw, int position)
{
    QVariantMap binding = raw;
    for (const char *alias : {"tab_id", "item_name", "server_type", "tab_title"})
        binding.remove(QLatin1String(alias));
    binding.insert(QStringLiteral("id"), variantFirstText(raw, {"id"}, QStringLiteral("wall_%1").arg(position + 1)));
    binding.insert(QStringLiteral("tabId"), variantFirstText(raw, {"tabId", "tab_id"}));
    binding.insert(QStringLiteral("itemName"), variantFirstText(raw, {"itemName", "item_name"}));
    binding.insert(QStringLiteral("amount"), variantToNumber(raw.value(QStringLiteral("amount")), 1.0));
    auto optional = [&](const QString &key, JsonKeys keys) {
        const QString text = variantFirstText(raw, keys);
        if (text.isEmpty())
            binding.remove(key);
        else
            binding.insert(key, text);
    };
    optional(QStringLiteral("title"), {"title", "tab_title"});
    optional(QStringLiteral("serverType"), {"serverType", "server_type"});
    optional(QStringLiteral("measure"), {"measure"});
    return binding;
}

QVariantList WallBindings::normalizeList(const QVariantList &bindings)
{
    QVariantList out;
    for (const QVariant &binding : bindings) {
        if (binding.typeId() == QMetaType::QVariantMap)
            out.append(normalizeBinding(binding.toMap(), int(out.size())));
    }
    return out;
}

QVariantList WallBindings::fromJson(const QJsonArray &array)
{
    return normalizeList(array.toVariantList());
}

QString WallBindings::itemKey(const QString &itemName)
{
    // The same built-in keys as the consumables' canonical key; other names stay
    // readable (lower case) rather than slugged, as older QR prints carry them.
    QString key = itemName.trimmed().toLower();
    key.replace(u'ё', u'е');
    const QString known = knownConsumableKey(normalizeConsumableText(key));
    return known.isEmpty() ? key : known;
}

QString WallBindings::payload(const QVariantMap &binding, const QVariantMap &tab)
{
    const QString itemName = binding.value(QStringLiteral("itemName")).toString();
    const QString key = itemKey(itemName);
    auto ownOrTab = [&](const char *field) {
        const QString own = variantFirstText(binding, {field});
        return own.isEmpty() ? variantFirstText(tab, {field}) : own;
    };
    const QString tabTitle = tab.isEmpty() ? variantFirstText(binding, {"title"})
                                           : variantFirstText(tab, {"title"});
    QJsonObject object;
    object.insert(QStringLiteral("kind"), QStringLiteral("consumable_wall"));
    object.insert(QStringLiteral("tab_id"), binding.value(QStringLiteral("tabId")).toString());
    object.insert(QStringLiteral("type_key"), key);
    object.insert(QStringLiteral("type_id"), key);
    object.insert(QStringLiteral("server_type"), ownOrTab("serverType"));
    object.insert(QStringLiteral("tab_title"), tabTitle);
    object.insert(QStringLiteral("item_key"), key);
    object.insert(QStringLiteral("item_name"), itemName);
    object.insert(QStringLiteral("itemName"), itemName);
    object.insert(QStringLiteral("amount"), variantToNumber(binding.value(QStringLiteral("amount")), 1.0));
    object.insert(QStringLiteral("measure"), ownOrTab("measure"));
    return compactJsonText(object);
}
