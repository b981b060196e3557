#include "routes/OnboardingRoutes.h"

#include "DemoData.h"

#include <QDateTime>

namespace {

QString text(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key)).toString().trimmed();
}

QString nowUtc()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

DevDevice &registerDevice(DevTenant &tenant, const QJsonObject &body)
{
    QString id = text(body, "device_id");
    if (id.isEmpty())
        id = DevStore::newId(QStringLiteral("dev_"));
    DevDevice &device = tenant.devices[id];
    device.id = id;
    const QString name = text(body, "device_name");
    if (!name.isEmpty())
        device.name = name;
    if (device.name.isEmpty())
        device.name = QStringLiteral("Рабочее место %1").arg(tenant.devices.size());
    device.clientId = text(body, "client_id");
    device.appVersion = text(body, "app_version");
    device.operatorName = text(body, "operator_name");
    if (device.registeredAt.isEmpty())
        device.registeredAt = nowUtc();
    device.lastSeenAt = nowUtc();
    return device;
}

} // namespace

QJsonObject OnboardingRoutes::identityReply(const DevTenant &tenant, const DevDevice *device, bool withKey)
{
    QJsonObject reply = tenant.config;
    reply.insert(QStringLiteral("ok"), true);
    reply.insert(QStringLiteral("tenant_id"), tenant.id);
    reply.insert(QStringLiteral("tenant_name"), tenant.name);
    reply.insert(QStringLiteral("tenant"), QJsonObject{{QStringLiteral("id"), tenant.id},
                                                       {QStringLiteral("name"), tenant.name}});
    if (device) {
        reply.insert(QStringLiteral("device_id"), device->id);
        reply.insert(QStringLiteral("device"), QJsonObject{{QStringLiteral("id"), device->id},
                                                           {QStringLiteral("name"), device->name}});
    }
    if (withKey)
        reply.insert(QStringLiteral("api_key"), tenant.apiKey);
    reply.insert(QStringLiteral("event_endpoint"), QStringLiteral("/api/client-event"));
    reply.insert(QStringLiteral("snapshot_endpoint"), QStringLiteral("/api/client-snapshot"));
    reply.insert(QStringLiteral("client_config_endpoint"), QStringLiteral("/api/client-config"));
    reply.insert(QStringLiteral("client_setup_completed"), true);
    reply.insert(QStringLiteral("revision"), tenant.revisionText());
    return reply;
}

void OnboardingRoutes::registerRoutes(DevServer &server)
{
    DevServer *srv = &server;

    server.addRoute(QStringLiteral("POST"), QStringLiteral("/api/bootstrap"), DevAuth::None,
                    [srv](DevRequest &request) {
        if (!request.hasJson)
            return DevResponse::failure(400, QStringLiteral("bad_request"),
                                        QStringLiteral("Нужно JSON-тело запроса"));
        const QJsonObject &body = request.json;
        const QString wantedId = text(body, "tenant_id");
        if (!wantedId.isEmpty() && srv->store().tenantById(wantedId))
            return DevResponse::failure(409, QStringLiteral("tenant_exists"),
                                        QStringLiteral("Tenant %1 уже существует").arg(wantedId));
        QString name = text(body, "display_name");
        if (name.isEmpty())
            name = QStringLiteral("Новый клиент");
        DevTenant &tenant = srv->store().createTenant(name, wantedId);
        tenant.config = newTenantConfig();
        DevDevice &device = registerDevice(tenant, body);
        srv->markChanged();
        return DevResponse::json(identityReply(tenant, &device, true), 201);
    });

    server.addRoute(QStringLiteral("POST"), QStringLiteral("/api/device-register"), DevAuth::None,
                    [srv](DevRequest &request) {
        if (!request.hasJson)
            return DevResponse::failure(400, QStringLiteral("bad_request"),
                                        QStringLiteral("Нужно JSON-тело запроса"));
        const QJsonObject &body = request.json;
        const QString tenantId = text(body, "tenant_id");
        QString key = text(body, "api_key");
        if (key.isEmpty())
            key = request.apiKey();
        if (tenantId.isEmpty() || key.isEmpty())
            return DevResponse::failure(400, QStringLiteral("bad_request"),
                                        QStringLiteral("Нужны tenant_id и api_key"));
        DevTenant *tenant = srv->store().tenantById(tenantId);
        if (!tenant)
            return DevResponse::failure(404, QStringLiteral("tenant_not_found"),
                                        QStringLiteral("Tenant %1 не найден").arg(tenantId));
        if (tenant->apiKey != key)
            return DevResponse::failure(401, QStringLiteral("invalid_api_key"),
                                        QStringLiteral("Неверный ключ подключения"));
        if (tenant->blocked)
            return DevResponse::failure(403, QStringLiteral("tenant_blocked"));
        const DevDevice *existing = tenant->device(text(body, "device_id"));
        if (existing && existing->blocked)
            return DevResponse::failure(403, QStringLiteral("device_blocked"));
        DevDevice &device = registerDevice(*tenant, body);
        srv->markChanged();
        return DevResponse::json(identityReply(*tenant, &device, true));
    });

    server.addRoute(QStringLiteral("GET"), QStringLiteral("/api/client-config"), DevAuth::Tenant,
                    [srv](DevRequest &request) {
        DevTenant &tenant = *request.tenant;
        const QString deviceId = request.queryValue(QStringLiteral("device_id"));
        DevDevice *device = tenant.device(deviceId);
        if (!device && !deviceId.isEmpty()) {
            QJsonObject body{{QStringLiteral("device_id"), deviceId},
                             {QStringLiteral("device_name"), request.queryValue(QStringLiteral("device_name"))},
                             {QStringLiteral("client_id"), request.queryValue(QStringLiteral("client_id"))}};
            device = &registerDevice(tenant, body);
            srv->markChanged();
        }
        return DevResponse::json(identityReply(tenant, device, false));
    });
}
