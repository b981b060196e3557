#include "routes/StockRoutes.h"

#include <QDateTime>
#include <QHash>

#include <algorithm>
#include <cmath>

namespace {

const QString kBoxes = QStringLiteral("boxes");
const QString kInks = QStringLiteral("inks");
const QString kMaterials = QStringLiteral("materials");
const QString kConsumables = QStringLiteral("consumables");

QString text(const QJsonObject &object, std::initializer_list<const char *> keys)
{
    for (const char *key : keys) {
        const QJsonValue value = object.value(QLatin1String(key));
        const QString t = value.isDouble() ? QString::number(value.toDouble()) : value.toString().trimmed();
        if (!t.isEmpty())
            return t;
    }
    return {};
}

double number(const QJsonObject &object, const char *key, double fallback)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isDouble())
        return value.toDouble();
    bool ok = false;
    const double parsed = value.toString().replace(u',', u'.').toDouble(&ok);
    return ok ? parsed : fallback;
}

// The reply of an applied movement: the fresh stock figures.
QJsonObject stockReply(DevTenant &tenant)
{
    tenant.touch();
    QJsonObject reply{{QStringLiteral("result"), QJsonObject{{QStringLiteral("status"), QStringLiteral("ok")}}},
                      {QStringLiteral("revision"), tenant.revisionText()}};
    for (const QString &key : {kBoxes, kInks, kMaterials, kConsumables})
        reply.insert(key, tenant.data.value(key));
    return reply;
}

QJsonObject emptyCell()
{
    return QJsonObject{{QStringLiteral("result"),
                        QJsonObject{{QStringLiteral("status"), QStringLiteral("ok")}, {QStringLiteral("empty"), true}}}};
}

QJsonObject rejected(const QString &code, const QString &message)
{
    return QJsonObject{{QStringLiteral("ok"), false}, {QStringLiteral("error"), code},
                       {QStringLiteral("message"), message}};
}

bool sameItem(const QString &name, const QString &itemKey, const QString &readable)
{
    return (!itemKey.isEmpty() && StockRoutes::itemKey(name) == itemKey.toLower())
           || (!readable.isEmpty() && name.trimmed().compare(readable, Qt::CaseInsensitive) == 0);
}

// Takes amount off a counted entry of an array; -1 when absent, 0 when it was empty.
int takeFromArray(QJsonArray &array, const char *nameKey, const char *amountKey, const QString &itemKey,
                  const QString &readable, double amount)
{
    for (int i = 0; i < array.size(); ++i) {
        QJsonObject entry = array.at(i).toObject();
        if (!sameItem(entry.value(QLatin1String(nameKey)).toString(), itemKey, readable))
            continue;
        const double left = entry.value(QLatin1String(amountKey)).toDouble();
        if (left <= 0)
            continue;
        entry.insert(QLatin1String(amountKey), std::max(0.0, left - amount));
        array.replace(i, entry);
        return 1;
    }
    return -1;
}

bool wallWriteoff(DevTenant &tenant, const QJsonObject &payload)
{
    const QString key = text(payload, {"item_key", "item_id", "item_slug", "item_code", "name"});
    const QString readable = text(payload, {"item_text", "display_name", "item_name"});
    const double amount = std::max(0.0, number(payload, "amount", 1.0));
    if (key.isEmpty() && readable.isEmpty())
        return false;

    QJsonObject boxes = tenant.data.value(kBoxes).toObject();
    for (auto it = boxes.begin(); it != boxes.end(); ++it) {
        if (sameItem(it.key(), key, readable) && it.value().toDouble() > 0) {
            it.value() = std::max(0.0, std::floor(it.value().toDouble() - amount));
            tenant.data.insert(kBoxes, boxes);
            return true;
        }
    }
    QJsonArray inks = tenant.data.value(kInks).toArray();
    if (takeFromArray(inks, "color", "count", key, readable, amount) > 0) {
        tenant.data.insert(kInks, inks);
        return true;
    }
    QJsonArray materials = tenant.data.value(kMaterials).toArray();
    if (takeFromArray(materials, "mat_type", "length_m", key, readable, amount) > 0) {
        tenant.data.insert(kMaterials, materials);
        return true;
    }
    QJsonObject consumables = tenant.data.value(kConsumables).toObject();
    for (auto type = consumables.begin(); type != consumables.end(); ++type) {
        QJsonObject group = type.value().toObject();
        QJsonArray items = group.value(QStringLiteral("items")).toArray();
        const bool length = group.value(QStringLiteral("measure")).toString() == u"length";
        if (takeFromArray(items, "name", length ? "length_m" : "count", key, readable, amount) > 0) {
            group.insert(QStringLiteral("items"), items);
            type.value() = group;
            tenant.data.insert(kConsumables, consumables);
            return true;
        }
    }
    return false;
}

void addToArray(QJsonArray &array, const char *nameKey, const QString &name, const char *amountKey, double amount)
{
    for (int i = 0; i < array.size(); ++i) {
        QJsonObject entry = array.at(i).toObject();
        if (entry.value(QLatin1String(nameKey)).toString().compare(name, Qt::CaseInsensitive) == 0) {
            entry.insert(QLatin1String(amountKey), entry.value(QLatin1String(amountKey)).toDouble() + amount);
            array.replace(i, entry);
            return;
        }
    }
    array.append(QJsonObject{{QLatin1String(nameKey), name}, {QLatin1String(amountKey), amount}});
}

void registerStockEvents(DevServer &server)
{
    DevServer *srv = &server;
    const auto on = [srv](const char *type, std::function<QJsonObject(DevTenant &, const QJsonObject &)> apply) {
        srv->addEventHandler(QLatin1String(type),
                             [srv, apply](DevTenant &tenant, const QString &, const QJsonObject &payload) {
            const QJsonObject reply = apply(tenant, payload);
            srv->markChanged();
            return reply;
        });
    };

    on("box_receive", [](DevTenant &tenant, const QJsonObject &p) {
        const QString type = text(p, {"box_type"});
        if (type.isEmpty())
            return rejected(QStringLiteral("bad_request"), QStringLiteral("Нет box_type"));
        QJsonObject boxes = tenant.data.value(kBoxes).toObject();
        boxes.insert(type, boxes.value(type).toDouble() + std::max(1.0, number(p, "count", 1)));
        tenant.data.insert(kBoxes, boxes);
        return stockReply(tenant);
    });
    on("ink_receive", [](DevTenant &tenant, const QJsonObject &p) {
        const QString color = text(p, {"color"});
        if (color.isEmpty())
            return rejected(QStringLiteral("bad_request"), QStringLiteral("Нет color"));
        QJsonArray inks = tenant.data.value(kInks).toArray();
        addToArray(inks, "color", color, "count", std::max(1.0, number(p, "count", 1)));
        tenant.data.insert(kInks, inks);
        return stockReply(tenant);
    });
    on("material_receive", [](DevTenant &tenant, const QJsonObject &p) {
        const QString type = text(p, {"mat_type"});
        if (type.isEmpty())
            return rejected(QStringLiteral("bad_request"), QStringLiteral("Нет mat_type"));
        QJsonArray materials = tenant.data.value(kMaterials).toArray();
        const QString id = QStringLiteral("R-%1").arg(2000 + materials.size() + tenant.revision);
        materials.append(QJsonObject{{QStringLiteral("material_id"), id}, {QStringLiteral("mat_type"), type},
                                     {QStringLiteral("length_m"), QJsonValue(number(p, "length_m", 1.0))},
                                     {QStringLiteral("cell_qr"), QString(QStringLiteral("ROLL:") + id)},
                                     {QStringLiteral("created_at"),
                                      QDateTime::currentDateTime().toString(Qt::ISODate)}});
        tenant.data.insert(kMaterials, materials);
        return stockReply(tenant);
    });
    on("consumable_receive", [](DevTenant &tenant, const QJsonObject &p) {
        const QString type = text(p, {"type_id"});
        const QString name = text(p, {"name"});
        if (type.isEmpty() || name.isEmpty())
            return rejected(QStringLiteral("bad_request"), QStringLiteral("Нет type_id или name"));
        QJsonObject consumables = tenant.data.value(kConsumables).toObject();
        QJsonObject group = consumables.value(type).toObject();
        const QString measure = text(p, {"measure"}).isEmpty() ? QStringLiteral("count") : text(p, {"measure"});
        group.insert(QStringLiteral("measure"), measure);
        if (!text(p, {"title"}).isEmpty())
            group.insert(QStringLiteral("title"), text(p, {"title"}));
        QJsonArray items = group.value(QStringLiteral("items")).toArray();
        const bool length = measure == u"length";
        addToArray(items, "name", name, length ? "length_m" : "count", number(p, length ? "length_m" : "count", 1));
        group.insert(QStringLiteral("items"), items);
        consumables.insert(type, group);
        tenant.data.insert(kConsumables, consumables);
        return stockReply(tenant);
    });
    on("wall_writeoff", [](DevTenant &tenant, const QJsonObject &p) {
        return wallWriteoff(tenant, p) ? stockReply(tenant) : emptyCell();
    });
    on("material_writeoff_qr", [](DevTenant &tenant, const QJsonObject &p) {
        const QString raw = text(p, {"raw"});
        QJsonArray materials = tenant.data.value(kMaterials).toArray();
        for (int i = 0; i < materials.size(); ++i) {
            const QJsonObject roll = materials.at(i).toObject();
            if (raw == roll.value(QStringLiteral("cell_qr")).toString()
                || raw == roll.value(QStringLiteral("material_id")).toString()) {
                materials.removeAt(i);
                tenant.data.insert(kMaterials, materials);
                return stockReply(tenant);
            }
        }
        return rejected(QStringLiteral("not_found"), QString());
    });
    on("consumable_writeoff_qr", [](DevTenant &tenant, const QJsonObject &p) {
        const QString type = text(p, {"type_id"});
        const QString raw = text(p, {"raw"});
        QJsonObject consumables = tenant.data.value(kConsumables).toObject();
        QJsonObject group = consumables.value(type).toObject();
        QJsonArray items = group.value(QStringLiteral("items")).toArray();
        const bool length = group.value(QStringLiteral("measure")).toString() == u"length";
        const double amount = length ? number(p, "length_m", 1.0) : number(p, "count", 1.0);
        if (takeFromArray(items, "name", length ? "length_m" : "count", StockRoutes::itemKey(raw), raw, amount) <= 0)
            return rejected(QStringLiteral("not_found"), QString());
        group.insert(QStringLiteral("items"), items);
        consumables.insert(type, group);
        tenant.data.insert(kConsumables, consumables);
        return stockReply(tenant);
    });
}

} // namespace

QString StockRoutes::itemKey(const QString &name)
{
    static const QHash<QString, QString> known{
        {QStringLiteral("короб"), QStringLiteral("box")},
        {QStringLiteral("коробка"), QStringLiteral("box")},
        {QStringLiteral("маленькая шкатулка"), QStringLiteral("small_box")},
        {QStringLiteral("шкатулка маленькая"), QStringLiteral("small_box")},
        {QStringLiteral("большая шкатулка"), QStringLiteral("large_box")},
        {QStringLiteral("шкатулка большая"), QStringLiteral("large_box")},
        {QStringLiteral("обои"), QStringLiteral("wallpaper")},
        {QStringLiteral("холст"), QStringLiteral("canvas")},
        {QStringLiteral("фреска"), QStringLiteral("fresco")},
        {QStringLiteral("песок"), QStringLiteral("sand")},
        {QStringLiteral("скотч"), QStringLiteral("tape")},
    };
    QString key = name.trimmed().toLower();
    key.replace(u'ё', u'е');
    return known.value(key, key);
}

void StockRoutes::registerRoutes(DevServer &server)
{
    registerStockEvents(server);

    server.addRoute(QStringLiteral("POST"), QStringLiteral("/api/order-warehouse-lookup.php"), DevAuth::Tenant,
                    [](DevRequest &request) {
        const QJsonValue uids = request.json.value(QStringLiteral("uids"));
        if (!uids.isArray())
            return DevResponse::failure(400, QStringLiteral("bad_request"), QStringLiteral("Нет массива uids"));
        const QJsonObject places = request.tenant->data.value(QStringLiteral("warehouse_places")).toObject();
        QJsonObject items;
        for (const QJsonValue &uid : uids.toArray()) {
            const QString code = uid.toString().trimmed();
            if (places.contains(code))
                items.insert(code, places.value(code));
        }
        return DevResponse::ok({{QStringLiteral("items"), items}});
    });
}
