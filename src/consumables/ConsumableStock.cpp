#include "consumables/ConsumableStock.h"

#include "common/ConsumableKey.h"
#include "common/JsonRead.h"

#include <cmath>

namespace ConsumableStock {

namespace {

bool isMap(const QVariant &value)
{
    return value.typeId() == QMetaType::QVariantMap;
}

bool isList(const QVariant &value)
{
    return value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList;
}

// Reads the counted stocks of boxes and inks: nameKey is the entry's own key.
QVariantList readCounted(const QVariant &value, const char *nameKey, JsonKeys mapWrappers,
                         JsonKeys nameKeys)
{
    QVariant source = value;
    if (isMap(source)) {
        const QVariantMap map = source.toMap();
        for (const char *wrapper : mapWrappers) {
            const QVariant inner = map.value(QLatin1String(wrapper));
            if (isMap(inner) || isList(inner)) {
                source = inner;
                break;
            }
        }
    }
    QVariantList out;
    if (isMap(source)) {
        const QVariantMap map = source.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
            const QString name = it.key().trimmed();
            if (name.isEmpty())
                continue;
            out.append(QVariantMap{{QLatin1String(nameKey), name},
                                   {QStringLiteral("count"), int(std::lround(variantToNumber(*it)))}});
        }
        return out;
    }
    for (const QVariant &item : source.toList()) {
        const QVariantMap entry = item.toMap();
        const QString name = variantFirstText(entry, nameKeys);
        if (name.isEmpty())
            continue;
        const double count = variantToNumber(variantFirstValue(entry, {"count", "qty"}));
        out.append(QVariantMap{{QLatin1String(nameKey), name},
                               {QStringLiteral("count"), int(std::lround(count))}});
    }
    return out;
}

QVariantList listUnder(const QVariant &value)
{
    if (isList(value))
        return value.toList();
    const QVariantMap map = value.toMap();
    for (const char *key : {"items", "rows"}) {
        const QVariant inner = map.value(QLatin1String(key));
        if (isList(inner))
            return inner.toList();
    }
    return {};
}

QString number(double value)
{
    return QString::number(value, 'g', 12);
}

} // namespace

QVariantList readBoxes(const QVariant &value)
{
    return readCounted(value, "boxType", {"stock"}, {"boxType", "box_type", "name"});
}

QVariantList readInks(const QVariant &value)
{
    return readCounted(value, "color", {"counts", "stock"}, {"color", "name"});
}

QVariantList readMaterials(const QVariant &value)
{
    QVariantList out;
    for (const QVariant &item : listUnder(value)) {
        const QVariantMap roll = item.toMap();
        const QString type = variantFirstText(roll, {"mat_type", "type"});
        if (type.isEmpty() && roll.isEmpty())
            continue;
        QVariantMap entry{{QStringLiteral("mat_type"), type},
                          {QStringLiteral("length_m"),
                           variantToNumber(variantFirstValue(roll, {"length_m", "length"}))}};
        for (const char *key : {"material_id", "cell_qr", "created_at", "name"}) {
            const QString text = variantFirstText(roll, {key});
            if (!text.isEmpty())
                entry.insert(QLatin1String(key), text);
        }
        out.append(entry);
    }
    return out;
}

QHash<QString, DynamicStock> readDynamic(const QVariant &value)
{
    QHash<QString, DynamicStock> out;
    const QVariantMap types = value.toMap();
    for (auto it = types.constBegin(); it != types.constEnd(); ++it) {
        const QString serverType = it.key().trimmed();
        if (serverType.isEmpty())
            continue;
        const QVariantMap group = it->toMap();
        DynamicStock stock;
        stock.measure = variantFirstText(group, {"measure"}, QStringLiteral("count")).toLower();
        stock.title = variantFirstText(group, {"title"});
        const bool length = stock.measure == u"length";
        const QString amountKey = length ? QStringLiteral("length_m") : QStringLiteral("count");

        QVariantList rows = listUnder(group);
        if (rows.isEmpty()) {
            // {name: amount} either directly under "items" or as the group itself.
            QVariantMap byName = group.value(QStringLiteral("items")).toMap();
            if (byName.isEmpty())
                byName = group.value(QStringLiteral("rows")).toMap();
            for (auto item = byName.constBegin(); item != byName.constEnd(); ++item) {
                if (isMap(item.value()) || isList(item.value()))
                    continue;
                rows.append(QVariantMap{{QStringLiteral("name"), item.key()},
                                        {amountKey, variantToNumber(item.value())}});
            }
        }
        for (const QVariant &row : std::as_const(rows)) {
            const QVariantMap source = row.toMap();
            const QString name = variantFirstText(source, {"name", "title", "item_name", "item"});
            if (name.isEmpty())
                continue;
            QVariantMap entry = source;
            entry.insert(QStringLiteral("name"), name);
            entry.insert(QStringLiteral("title"), variantFirstText(source, {"title"}, name));
            if (length) {
                entry.insert(QStringLiteral("length_m"),
                             variantToNumber(variantFirstValue(source, {"length_m", "length"})));
            } else {
                entry.insert(QStringLiteral("count"),
                             variantToNumber(variantFirstValue(source, {"count", "qty"})));
            }
            stock.items.append(entry);
        }
        out.insert(serverType, stock);
    }
    return out;
}

QString boxesSummary(const QVariantList &boxes)
{
    qint64 total = 0;
    for (const QVariant &box : boxes)
        total += box.toMap().value(QStringLiteral("count")).toLongLong();
    return QStringLiteral("Типов коробок: %1 | Всего пачек: %2").arg(boxes.size()).arg(total);
}

QString inksSummary(const QVariantList &inks)
{
    qint64 total = 0;
    for (const QVariant &ink : inks)
        total += ink.toMap().value(QStringLiteral("count")).toLongLong();
    return QStringLiteral("Цветов: %1 | Всего единиц: %2").arg(inks.size()).arg(total);
}

QString materialsSummary(const QVariantList &materials)
{
    QStringList order;
    QHash<QString, double> totals;
    for (const QVariant &item : materials) {
        const QVariantMap roll = item.toMap();
        const QString type = roll.value(QStringLiteral("mat_type")).toString();
        if (!totals.contains(type))
            order.append(type);
        totals[type] += roll.value(QStringLiteral("length_m")).toDouble();
    }
    if (order.isEmpty())
        return QStringLiteral("Итого по типам: (пусто)");
    QStringList parts;
    for (const QString &type : std::as_const(order))
        parts.append(QStringLiteral("%1: %2 м").arg(type, QString::number(totals.value(type), 'f', 2)));
    return QStringLiteral("Итого по типам: ") + parts.join(QStringLiteral(" | "));
}

QString dynamicSummary(const DynamicStock &stock)
{
    const bool length = stock.measure == u"length";
    double total = 0.0;
    for (const QVariant &item : stock.items)
        total += item.toMap().value(length ? QStringLiteral("length_m") : QStringLiteral("count")).toDouble();
    if (length)
        return QStringLiteral("Позиций: %1 | Итого: %2 м").arg(stock.items.size()).arg(QString::number(total, 'f', 2));
    return QStringLiteral("Позиций: %1 | Всего: %2").arg(stock.items.size()).arg(number(total));
}

QStringList materialTypeOptions(const QVariantList &materials)
{
    QStringList out;
    for (const QVariant &item : materials) {
        const QVariantMap roll = item.toMap();
        for (const char *key : {"mat_type", "type", "name"}) {
            const QString text = roll.value(QLatin1String(key)).toString().trimmed();
            if (!text.isEmpty() && !out.contains(text))
                out.append(text);
        }
    }
    return out;
}

bool takeFrom(QVariantList &entries, const QStringList &nameKeys, const QString &amountKey,
              const QString &itemKey, double amount)
{
    if (itemKey.isEmpty())
        return false;
    for (QVariant &item : entries) {
        QVariantMap entry = item.toMap();
        bool matches = false;
        for (const QString &key : nameKeys) {
            const QString name = entry.value(key).toString();
            if (!name.isEmpty() && (canonicalConsumableKey(name) == itemKey
                                    || name.trimmed().compare(itemKey, Qt::CaseInsensitive) == 0)) {
                matches = true;
                break;
            }
        }
        if (!matches)
            continue;
        const double left = entry.value(amountKey).toDouble();
        if (left <= 0.0)
            continue;
        const double rest = std::max(0.0, left - amount);
        entry.insert(amountKey, amountKey == u"count" && entry.value(amountKey).typeId() == QMetaType::Int
                                    ? QVariant(int(std::lround(rest)))
                                    : QVariant(rest));
        item = entry;
        return true;
    }
    return false;
}

} // namespace ConsumableStock
