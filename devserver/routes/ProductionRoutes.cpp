#include "routes/ProductionRoutes.h"

#include "DemoScanOrders.h"
#include "routes/StaffRoutes.h"

#include <QDateTime>

namespace {

const QString kOrders = QStringLiteral("orders");

QString text(const QJsonObject &object, std::initializer_list<const char *> keys)
{
    return jsonText(object, keys);
}

QString nowLocal()
{
    return QDateTime::currentDateTime().toString(Qt::ISODate);
}

void refreshSummary(QJsonObject &orders)
{
    const QJsonArray items = orders.value(QStringLiteral("items")).toArray();
    int open = 0, packedToday = 0;
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    for (const QJsonValue &value : items) {
        const QJsonObject row = value.toObject();
        const QString status = row.value(QStringLiteral("status")).toString();
        if (status == u"new" || status == u"in_work")
            ++open;
        if (status == u"packed"
            && row.value(QStringLiteral("updated_at")).toString().startsWith(today))
            ++packedToday;
    }
    QJsonObject summary = orders.value(QStringLiteral("summary")).toObject();
    summary.insert(QStringLiteral("total"), items.size());
    summary.insert(QStringLiteral("open"), open);
    summary.insert(QStringLiteral("todayPacked"), packedToday);
    orders.insert(QStringLiteral("summary"), summary);
}

// The reply of every production event: the result and the fresh orders.
QJsonObject withOrders(DevServer *server, DevTenant &tenant, QJsonObject orders,
                       const QJsonObject &result, bool changed)
{
    if (changed) {
        refreshSummary(orders);
        tenant.data.insert(kOrders, orders);
        tenant.touch();
        server->markChanged();
    }
    return QJsonObject{{QStringLiteral("result"), result},
                       {QStringLiteral("orders"), orders},
                       {QStringLiteral("revision"), tenant.revisionText()}};
}

QJsonObject badRequest(const QString &message)
{
    return QJsonObject{{QStringLiteral("ok"), false},
                       {QStringLiteral("error"), QStringLiteral("bad_request")},
                       {QStringLiteral("message"), message}};
}

int indexByKey(const QJsonArray &list, const QString &key,
               std::initializer_list<const char *> keyNames)
{
    for (int i = 0; i < list.size(); ++i) {
        if (!key.isEmpty() && text(list.at(i).toObject(), keyNames) == key)
            return i;
    }
    return -1;
}

// ---- order_scan ---------------------------------------------------------------

QJsonObject judgeScan(DevServer *server, DevTenant &tenant, const QJsonObject &payload)
{
    QJsonObject orders = tenant.data.value(kOrders).toObject();
    QJsonArray items = orders.value(QStringLiteral("items")).toArray();

    QStringList wanted;
    for (const char *key : {"production_code", "legacy_uid", "scan_uid", "raw_scan"}) {
        const QString code = text(payload, {key}).toUpper();
        if (!code.isEmpty() && !wanted.contains(code))
            wanted << code;
    }
    int found = -1;
    for (int i = 0; i < items.size() && found < 0; ++i) {
        const QJsonObject row = items.at(i).toObject();
        for (const char *key : {"production_code", "unique_no", "scan_uid", "barcode"}) {
            const QString code = text(row, {key}).toUpper();
            if (!code.isEmpty() && wanted.contains(code)) {
                found = i;
                break;
            }
        }
    }
    if (found < 0)
        return withOrders(server, tenant, orders, {{"result", "not_found"}}, false);

    QJsonObject row = items.at(found).toObject();
    const QString code = text(row, {"production_code", "unique_no"});
    const QString market = text(row, {"marketplace", "source"});
    QJsonObject r{
        {"order_key", text(row, {"key"})},
        {"scan_uid", code},
        {"source", market},
        {"sku", text(row, {"sku"})},
        {"title", text(row, {"title"})},
        {"printer", text(row, {"printer"})},
    };
    r.insert(row.contains(QStringLiteral("production_code")) ? "production_code" : "legacy_uid", code);

    const QString status = text(row, {"status"}).toLower();
    if (status == u"cancelled" || status == u"canceled") {
        r.insert("result", "canceled");
        return withOrders(server, tenant, orders, r, false);
    }
    if (text(row, {"source_type"}).toLower() == u"stock") {
        r.insert("result", "stock_in");
        r.insert("message", QStringLiteral("приход %1 × %2 принят").arg(text(row, {"sku"}), text(row, {"qty"})));
        return withOrders(server, tenant, orders, r, false);
    }
    if (status == u"packed" || status == u"shipped") {
        r.insert("result", "duplicate");
        return withOrders(server, tenant, orders, r, false);
    }

    row.insert("status", "packed");
    row.insert("work_status", QStringLiteral("упакован"));
    row.insert("updated_at", nowLocal());
    const QString employee = text(payload, {"employee_id"});
    if (!employee.isEmpty())
        row.insert("packed_by", employee);
    items.replace(found, row);
    orders.insert(QStringLiteral("items"), items);

    QJsonArray scans = orders.value(QStringLiteral("scans")).toArray();
    scans.append(QJsonObject{{"ts", nowLocal()}, {"raw_scan", text(payload, {"raw_scan"})},
                             {"order_key", r.value("order_key")}, {"result", "ok"},
                             {"employee_id", employee}});
    orders.insert(QStringLiteral("scans"), scans);

    QJsonObject pack{{"marketplace", market}, {"status", "ok"}};
    if (market == u"YM") {
        r.insert("action", "print_label");
    } else {
        r.insert("result", "packed");
        if (row.value(QStringLiteral("qty")).toInt() > 1)
            pack.insert("status", "waiting");
        else if (code == QLatin1String(DemoScan::kMarketError))
            pack.insert("status", "error");
    }
    r.insert("marketplace_pack", pack);
    return withOrders(server, tenant, orders, r, true);
}

// ---- edits ----------------------------------------------------------------------

QJsonObject upsertInto(DevServer *server, DevTenant &tenant, const char *listKey,
                       const QJsonObject &item, std::initializer_list<const char *> keyNames,
                       const char *prefix)
{
    QJsonObject orders = tenant.data.value(kOrders).toObject();
    QJsonArray list = orders.value(QLatin1String(listKey)).toArray();
    QString key = text(item, keyNames);
    QJsonObject row = item;
    const int at = indexByKey(list, key, keyNames);
    if (at >= 0) {
        QJsonObject merged = list.at(at).toObject();
        for (auto it = item.constBegin(); it != item.constEnd(); ++it)
            merged.insert(it.key(), it.value());
        row = merged;
    }
    if (key.isEmpty())
        key = DevStore::newId(QLatin1String(prefix));
    for (const char *name : keyNames)
        row.insert(QLatin1String(name), key);
    row.insert("updated_at", nowLocal());
    if (at >= 0)
        list.replace(at, row);
    else
        list.append(row);
    orders.insert(QLatin1String(listKey), list);
    return withOrders(server, tenant, orders, {{"status", "ok"}, {"key", key}}, true);
}

QJsonObject deleteFrom(DevServer *server, DevTenant &tenant, const char *listKey,
                       const QString &key, std::initializer_list<const char *> keyNames)
{
    QJsonObject orders = tenant.data.value(kOrders).toObject();
    QJsonArray list = orders.value(QLatin1String(listKey)).toArray();
    const int at = indexByKey(list, key, keyNames);
    if (at < 0)
        return QJsonObject{{"result", QJsonObject{{"status", "not_found"},
                                                  {"message", QStringLiteral("Строка не найдена")}}}};
    list.removeAt(at);
    orders.insert(QLatin1String(listKey), list);
    return withOrders(server, tenant, orders, {{"status", "ok"}, {"key", key}}, true);
}

QJsonObject patchOrder(DevServer *server, DevTenant &tenant, const QJsonObject &payload)
{
    QJsonObject orders = tenant.data.value(kOrders).toObject();
    QJsonArray items = orders.value(QStringLiteral("items")).toArray();
    const int at = indexByKey(items, text(payload, {"order_key", "key"}), {"key", "order_key"});
    if (at < 0)
        return QJsonObject{{"result", QJsonObject{{"status", "not_found"}}}};
    QJsonObject row = items.at(at).toObject();
    const QJsonObject patch = payload.value(QStringLiteral("patch")).toObject();
    for (auto it = patch.constBegin(); it != patch.constEnd(); ++it)
        row.insert(it.key(), it.value());
    row.insert("updated_at", nowLocal());
    items.replace(at, row);
    orders.insert(QStringLiteral("items"), items);
    return withOrders(server, tenant, orders, {{"status", "ok"}}, true);
}

QJsonObject patchFbo(DevServer *server, DevTenant &tenant, const QJsonObject &payload)
{
    QJsonObject orders = tenant.data.value(kOrders).toObject();
    QJsonArray fbo = orders.value(QStringLiteral("fbo")).toArray();
    QString key = text(payload, {"plan_key"});
    if (key.isEmpty())
        key = QStringLiteral("%1|%2").arg(text(payload, {"marketplace"}), text(payload, {"sku"}));
    int at = indexByKey(fbo, key, {"plan_key"});
    QJsonObject row = at >= 0 ? fbo.at(at).toObject() : QJsonObject();
    row.insert("plan_key", key);
    for (const char *name : {"marketplace", "sku", "manual_need", "manual_prio", "in_prod", "local_stock"}) {
        if (payload.contains(QLatin1String(name)))
            row.insert(QLatin1String(name), payload.value(QLatin1String(name)));
    }
    if (at >= 0)
        fbo.replace(at, row);
    else
        fbo.append(row);
    orders.insert(QStringLiteral("fbo"), fbo);
    return withOrders(server, tenant, orders, {{"status", "ok"}}, true);
}

QJsonObject rebuildQueue(DevServer *server, DevTenant &tenant, const QJsonObject &payload)
{
    const QString printer = text(payload, {"printer"});
    if (printer.isEmpty())
        return badRequest(QStringLiteral("Нет printer"));
    QJsonObject orders = tenant.data.value(kOrders).toObject();
    QJsonArray queue = orders.value(QStringLiteral("print_queue")).toArray();
    for (int i = 0; i < queue.size(); ++i) {
        QJsonObject item = queue.at(i).toObject();
        item.insert("printer", printer);
        item.insert("roll", QStringLiteral("Рулон %1").arg(QDate::currentDate().toString("dd.MM")));
        queue.replace(i, item);
    }
    orders.insert(QStringLiteral("print_queue"), queue);
    return withOrders(server, tenant, orders, {{"status", "ok"}, {"printer", printer}}, true);
}

// ---- archive --------------------------------------------------------------------

QDateTime eventTime(const QJsonObject &event)
{
    for (const char *key : {"printed_at", "printedAt", "date", "ts"}) {
        const QString t = text(event, {key});
        if (t.isEmpty())
            continue;
        QDateTime time = QDateTime::fromString(t, Qt::ISODate);
        if (!time.isValid())
            time = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (time.isValid())
            return time;
    }
    return {};
}

QJsonObject storeArchiveEvent(DevServer *server, DevTenant &tenant, const QJsonObject &payload)
{
    QJsonObject event = payload.value(QStringLiteral("event")).toObject();
    // Staff events (the idle time-out) come flat: the payload is the event itself.
    if (event.isEmpty() && !text(payload, {"type"}).isEmpty()) {
        event = payload;
        for (const char *identity : {"tenant_id", "device_id", "device_name", "client_id"})
            event.remove(QLatin1String(identity));
        event.insert("ts", text(payload, {"client_ts"}));
    }
    if (event.isEmpty())
        return badRequest(QStringLiteral("Нет event"));
    if (text(event, {"type"}) == u"idle_timeout")
        StaffRoutes::clearActive(tenant);
    event.insert("received_at", QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    event.insert("device_id", text(payload, {"device_id"}));
    QJsonValue archive = tenant.data.value(QStringLiteral("archive"));
    QJsonArray events = archive.isArray() ? archive.toArray()
                                          : archive.toObject().value(QStringLiteral("events")).toArray();
    events.append(event);
    tenant.data.insert(QStringLiteral("archive"), QJsonObject{{"events", events}});
    tenant.data.insert(QStringLiteral("archive_stats"), ProductionRoutes::archiveStats(events));
    tenant.touch();
    server->markChanged();
    return QJsonObject{{"result", QJsonObject{{"status", "ok"}, {"stored", events.size()}}},
                       {"revision", tenant.revisionText()}};
}

} // namespace

QJsonObject ProductionRoutes::archiveStats(const QJsonArray &events)
{
    const QDate today = QDate::currentDate();
    const QDate monthStart(today.year(), today.month(), 1);
    const QDate prevMonthStart = monthStart.addMonths(-1);
    double todayArea = 0, yesterdayArea = 0, monthArea = 0, prevMonthArea = 0;
    int todayCount = 0, yesterdayCount = 0, monthCount = 0, prevMonthCount = 0;
    QJsonObject stats;
    for (const QJsonValue &value : events) {
        const QJsonObject event = value.toObject();
        // Only prints count; staff events such as the idle time-out share the archive.
        const QString type = text(event, {"type"});
        if (!type.isEmpty() && type != u"print")
            continue;
        const QDate day = eventTime(event).date();
        const double area = event.value(QStringLiteral("area_m2")).toDouble();
        if (day == today) {
            ++todayCount;
            todayArea += area;
            const QString market = text(event, {"marketplace"}).toLower();
            if (!market.isEmpty()) {
                const QString countKey = QStringLiteral("today_%1_count").arg(market);
                const QString areaKey = QStringLiteral("today_%1_area").arg(market);
                stats.insert(countKey, stats.value(countKey).toInt() + 1);
                stats.insert(areaKey, stats.value(areaKey).toDouble() + area);
            }
        } else if (day == today.addDays(-1)) {
            ++yesterdayCount;
            yesterdayArea += area;
        }
        if (day >= monthStart && day <= today) {
            ++monthCount;
            monthArea += area;
        } else if (day >= prevMonthStart && day < monthStart) {
            ++prevMonthCount;
            prevMonthArea += area;
        }
    }
    stats.insert("today_count", todayCount);
    stats.insert("today_area", todayArea);
    stats.insert("yesterday_count", yesterdayCount);
    stats.insert("yesterday_area", yesterdayArea);
    stats.insert("current_month_count", monthCount);
    stats.insert("current_month_area", monthArea);
    stats.insert("prev_month_count", prevMonthCount);
    stats.insert("prev_month_area", prevMonthArea);
    return stats;
}

void ProductionRoutes::registerRoutes(DevServer &server)
{
    DevServer *srv = &server;
    const auto on = [srv](const char *type, std::function<QJsonObject(DevTenant &, const QJsonObject &)> fn) {
        srv->addEventHandler(QLatin1String(type),
                             [fn](DevTenant &tenant, const QString &, const QJsonObject &payload) {
                                 return fn(tenant, payload);
                             });
    };
    on("order_scan", [srv](DevTenant &t, const QJsonObject &p) { return judgeScan(srv, t, p); });
    on("order_upsert", [srv](DevTenant &t, const QJsonObject &p) {
        return upsertInto(srv, t, "items", p.value(QStringLiteral("order")).toObject(),
                          {"key", "order_key"}, "order");
    });
    on("order_delete", [srv](DevTenant &t, const QJsonObject &p) {
        return deleteFrom(srv, t, "items", text(p, {"order_key", "key"}), {"key", "order_key"});
    });
    on("order_patch", [srv](DevTenant &t, const QJsonObject &p) { return patchOrder(srv, t, p); });
    on("reprint_upsert", [srv](DevTenant &t, const QJsonObject &p) {
        return upsertInto(srv, t, "reprints", p.value(QStringLiteral("reprint")).toObject(),
                          {"reprint_key", "key"}, "reprint");
    });
    on("reprint_delete", [srv](DevTenant &t, const QJsonObject &p) {
        return deleteFrom(srv, t, "reprints", text(p, {"reprint_key", "key"}), {"reprint_key", "key"});
    });
    on("print_queue_upsert", [srv](DevTenant &t, const QJsonObject &p) {
        return upsertInto(srv, t, "print_queue", p.value(QStringLiteral("queue")).toObject(),
                          {"queue_key", "key"}, "queue");
    });
    on("print_queue_delete", [srv](DevTenant &t, const QJsonObject &p) {
        return deleteFrom(srv, t, "print_queue", text(p, {"queue_key", "key"}), {"queue_key", "key"});
    });
    on("print_queue_rebuild", [srv](DevTenant &t, const QJsonObject &p) { return rebuildQueue(srv, t, p); });
    on("fbo_plan_patch", [srv](DevTenant &t, const QJsonObject &p) { return patchFbo(srv, t, p); });
    on("fbo_products_sync", [srv](DevTenant &t, const QJsonObject &) {
        return withOrders(srv, t, t.data.value(kOrders).toObject(), {{"status", "ok"}}, true);
    });
    on("orders_rebuild_production", [srv](DevTenant &t, const QJsonObject &) {
        return withOrders(srv, t, t.data.value(kOrders).toObject(), {{"status", "ok"}}, true);
    });
    on("archive_event", [srv](DevTenant &t, const QJsonObject &p) { return storeArchiveEvent(srv, t, p); });

    server.addRoute(QStringLiteral("POST"), QLatin1String(kGsConfirmPath), DevAuth::None,
                    [](DevRequest &request) {
        const QString barcode = text(request.json, {"barcode"});
        if (barcode.contains(QLatin1String("fail500")))
            return DevResponse::raw(QByteArray("  таблица недоступна  "), 500);
        if (barcode.contains(QLatin1String("empty200")))
            return DevResponse::raw(QByteArray(), 200);
        if (barcode.isEmpty() || barcode.contains(QLatin1String("wrote0")))
            return DevResponse::json({{"wrote", 0}});
        return DevResponse::json({{"wrote", 1}, {"barcode", barcode}});
    });
}
