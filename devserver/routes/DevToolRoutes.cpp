#include "routes/DevToolRoutes.h"

namespace {

QJsonObject tenantSummary(const DevTenant &tenant)
{
    QJsonArray devices;
    for (const auto &entry : tenant.devices) {
        const DevDevice &device = entry.second;
        devices.append(QJsonObject{{QStringLiteral("id"), device.id},
                                   {QStringLiteral("name"), device.name},
                                   {QStringLiteral("blocked"), device.blocked},
                                   {QStringLiteral("last_seen_at"), device.lastSeenAt},
                                   {QStringLiteral("heartbeats"), device.heartbeats}});
    }
    return QJsonObject{{QStringLiteral("id"), tenant.id},
                       {QStringLiteral("name"), tenant.name},
                       {QStringLiteral("api_key"), tenant.apiKey},
                       {QStringLiteral("blocked"), tenant.blocked},
                       {QStringLiteral("revision"), tenant.revisionText()},
                       {QStringLiteral("devices"), devices},
                       {QStringLiteral("events"), tenant.events.size()}};
}

void addFaults(DevServer &server, const QJsonObject &body)
{
    const QJsonArray list = body.value(QStringLiteral("faults")).toArray();
    if (list.isEmpty()) {
        server.faults().add(DevFault::fromJson(body));
        return;
    }
    for (const QJsonValue &value : list)
        server.faults().add(DevFault::fromJson(value.toObject()));
}

DevResponse updateTenant(DevServer &server, const QJsonObject &body)
{
    const QString id = body.value(QStringLiteral("tenant_id")).toString().trimmed();
    if (id.isEmpty())
        return DevResponse::failure(400, QStringLiteral("bad_request"), QStringLiteral("Нужен tenant_id"));
    DevTenant *tenant = server.store().tenantById(id);
    if (!tenant && body.value(QStringLiteral("create")).toBool())
        tenant = &server.store().createTenant(body.value(QStringLiteral("name")).toString(id), id);
    if (!tenant)
        return DevResponse::failure(404, QStringLiteral("tenant_not_found"));

    if (body.contains(QStringLiteral("name")))
        tenant->name = body.value(QStringLiteral("name")).toString();
    if (body.contains(QStringLiteral("api_key")))
        tenant->apiKey = body.value(QStringLiteral("api_key")).toString().trimmed();
    if (body.contains(QStringLiteral("blocked")))
        tenant->blocked = body.value(QStringLiteral("blocked")).toBool();
    const QJsonObject data = body.value(QStringLiteral("data")).toObject();
    for (auto it = data.constBegin(); it != data.constEnd(); ++it)
        tenant->data.insert(it.key(), it.value());
    const QJsonObject config = body.value(QStringLiteral("config")).toObject();
    for (auto it = config.constBegin(); it != config.constEnd(); ++it)
        tenant->config.insert(it.key(), it.value());
    if (body.value(QStringLiteral("notices")).isArray())
        tenant->notices = body.value(QStringLiteral("notices")).toArray();
    const QJsonObject devices = body.value(QStringLiteral("devices")).toObject();
    for (auto it = devices.constBegin(); it != devices.constEnd(); ++it) {
        DevDevice &device = tenant->devices[it.key()];
        device.id = it.key();
        device.blocked = it.value().toObject().value(QStringLiteral("blocked")).toBool();
    }
    if (!data.isEmpty() || !config.isEmpty())
        tenant->touch();
    server.markChanged();
    return DevResponse::ok({{QStringLiteral("tenant"), tenantSummary(*tenant)}});
}

} // namespace

void DevToolRoutes::registerRoutes(DevServer &server)
{
    DevServer *srv = &server;
    const auto add = [srv](const char *method, const char *path, DevHandler handler) {
        srv->addRoute(QLatin1String(method), QLatin1String(path), DevAuth::None, std::move(handler));
    };

    const DevHandler index = [](DevRequest &) {
        const QStringList endpoints{
            QStringLiteral("GET /__dev/journal?since=&path=&limit="), QStringLiteral("POST /__dev/journal/clear"),
            QStringLiteral("GET /__dev/faults"), QStringLiteral("POST /__dev/faults"),
            QStringLiteral("POST /__dev/faults/clear"), QStringLiteral("POST /__dev/reset"),
            QStringLiteral("GET /__dev/state"), QStringLiteral("GET /__dev/tenant?tenant_id="),
            QStringLiteral("POST /__dev/tenant"), QStringLiteral("POST /__dev/release"),
            QStringLiteral("GET /__dev/issues"), QStringLiteral("POST /__dev/issues")};
        return DevResponse::ok({{QStringLiteral("endpoints"), QJsonArray::fromStringList(endpoints)}});
    };
    add("GET", "/__dev", index);
    add("GET", "/__dev/", index);

    add("GET", "/__dev/journal", [srv](DevRequest &request) {
        const qint64 since = request.queryValue(QStringLiteral("since")).toLongLong();
        const int limit = request.queryValue(QStringLiteral("limit")).toInt();
        return DevResponse::ok({{QStringLiteral("items"),
                                 srv->journal().entries(since, request.queryValue(QStringLiteral("path")), limit)},
                                {QStringLiteral("last_seq"), srv->journal().lastSeq()}});
    });
    const DevHandler clearJournal = [srv](DevRequest &) {
        srv->journal().clear();
        return DevResponse::ok();
    };
    add("POST", "/__dev/journal/clear", clearJournal);
    add("DELETE", "/__dev/journal", clearJournal);

    add("GET", "/__dev/faults", [srv](DevRequest &) {
        return DevResponse::ok({{QStringLiteral("faults"), srv->faults().toJson()}});
    });
    add("POST", "/__dev/faults", [srv](DevRequest &request) {
        if (!request.hasJson)
            return DevResponse::failure(400, QStringLiteral("bad_json"));
        addFaults(*srv, request.json);
        return DevResponse::ok({{QStringLiteral("faults"), srv->faults().toJson()}});
    });
    const DevHandler clearFaults = [srv](DevRequest &request) {
        QString path = request.json.value(QStringLiteral("path")).toString().trimmed();
        if (path.isEmpty())
            path = request.queryValue(QStringLiteral("path"));
        srv->faults().clear(path);
        return DevResponse::ok();
    };
    add("POST", "/__dev/faults/clear", clearFaults);
    add("DELETE", "/__dev/faults", clearFaults);

    add("POST", "/__dev/reset", [srv](DevRequest &) {
        srv->reset();
        return DevResponse::ok();
    });

    add("GET", "/__dev/state", [srv](DevRequest &) {
        QJsonArray tenants;
        for (const auto &entry : srv->store().tenants())
            tenants.append(tenantSummary(entry.second));
        return DevResponse::ok({{QStringLiteral("tenants"), tenants},
                                {QStringLiteral("release"), srv->store().release()},
                                {QStringLiteral("journal_size"), srv->journal().size()}});
    });
    add("GET", "/__dev/tenant", [srv](DevRequest &request) {
        const DevTenant *tenant = srv->store().tenantById(request.queryValue(QStringLiteral("tenant_id")));
        if (!tenant)
            return DevResponse::failure(404, QStringLiteral("tenant_not_found"));
        return DevResponse::ok({{QStringLiteral("tenant"), tenant->toJson()}});
    });
    add("POST", "/__dev/tenant", [srv](DevRequest &request) {
        if (!request.hasJson)
            return DevResponse::failure(400, QStringLiteral("bad_json"));
        return updateTenant(*srv, request.json);
    });
    add("POST", "/__dev/release", [srv](DevRequest &request) {
        if (!request.hasJson)
            return DevResponse::failure(400, QStringLiteral("bad_json"));
        srv->store().setRelease(request.json);
        srv->markChanged();
        return DevResponse::ok();
    });
}
