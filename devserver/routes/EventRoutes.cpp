#include "routes/EventRoutes.h"

#include <QDateTime>

namespace {

QString nowUtc()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

QJsonObject resultStatus(const QString &status, const QString &message = QString())
{
    QJsonObject result{{QStringLiteral("status"), status}};
    if (!message.isEmpty())
        result.insert(QStringLiteral("message"), message);
    return QJsonObject{{QStringLiteral("result"), result}};
}

// Stores a configuration value; the revision moves only when it really changed.
QJsonObject replaced(DevTenant &tenant, const QString &key, const QJsonValue &value)
{
    if (tenant.config.value(key) != value) {
        tenant.config.insert(key, value);
        tenant.touch();
    }
    return QJsonObject{{QStringLiteral("result"),
                        QJsonObject{{QStringLiteral("status"), QStringLiteral("ok")},
                                    {QStringLiteral("revision"), tenant.revisionText()}}}};
}

void registerConfigurationEvents(DevServer &server)
{
    DevServer *srv = &server;
    server.addEventHandler(QStringLiteral("consumable_tabs_replace"),
                           [srv](DevTenant &tenant, const QString &, const QJsonObject &payload) {
        const QJsonValue tabs = payload.value(QStringLiteral("consumableTabs"));
        if (!tabs.isArray())
            return resultStatus(QStringLiteral("bad_request"), QStringLiteral("Нет массива consumableTabs"));
        srv->markChanged();
        return replaced(tenant, QStringLiteral("consumableTabs"), tabs);
    });
    server.addEventHandler(QStringLiteral("qr_wall_bindings_replace"),
                           [srv](DevTenant &tenant, const QString &, const QJsonObject &payload) {
        const QJsonValue bindings = payload.value(QStringLiteral("wallBindings"));
        if (!bindings.isArray())
            return resultStatus(QStringLiteral("bad_request"), QStringLiteral("Нет массива wallBindings"));
        srv->markChanged();
        return replaced(tenant, QStringLiteral("wallBindings"), bindings);
    });
    server.addEventHandler(QStringLiteral("settings_replace"),
                           [srv](DevTenant &tenant, const QString &, const QJsonObject &payload) {
        QJsonObject reply;
        for (const QString &key : {QStringLiteral("scripts_catalog"), QStringLiteral("help_sections")}) {
            const QJsonValue value = payload.value(key);
            if (value.isArray())
                reply = replaced(tenant, key, value);
        }
        if (reply.isEmpty())
            return resultStatus(QStringLiteral("bad_request"),
                                QStringLiteral("Нет scripts_catalog или help_sections"));
        srv->markChanged();
        return reply;
    });
}

} // namespace

void EventRoutes::registerRoutes(DevServer &server)
{
    DevServer *srv = &server;
    registerConfigurationEvents(server);

    server.addRoute(QStringLiteral("POST"), QStringLiteral("/api/heartbeat"), DevAuth::Tenant,
                    [srv](DevRequest &request) {
        const QJsonArray items = request.json.value(QStringLiteral("items")).toArray();
        if (items.isEmpty() || !items.first().isObject())
            return DevResponse::failure(400, QStringLiteral("bad_request"), QStringLiteral("Нет items"));
        DevTenant &tenant = *request.tenant;
        QString deviceId = request.json.value(QStringLiteral("device_id")).toString().trimmed();
        if (deviceId.isEmpty())
            deviceId = QString::fromUtf8(request.header("X-Device-Id")).trimmed();
        for (const QJsonValue &item : items) {
            const QJsonObject event = item.toObject();
            if (!deviceId.isEmpty()) {
                DevDevice &device = tenant.devices[deviceId];
                device.id = deviceId;
                device.lastSeenAt = nowUtc();
                device.lastHeartbeat = event.value(QStringLiteral("payload")).toObject();
                ++device.heartbeats;
            }
            tenant.recordEvent(event.value(QStringLiteral("event")).toString(),
                               event.value(QStringLiteral("payload")).toObject(), deviceId);
        }
        srv->markChanged();
        return DevResponse::ok({{QStringLiteral("accepted"), items.size()},
                                {QStringLiteral("server_time"), nowUtc()}});
    });

    server.addRoute(QStringLiteral("POST"), QStringLiteral("/api/client-event"), DevAuth::Tenant,
                    [srv](DevRequest &request) {
        const QString type = request.json.value(QStringLiteral("event_type")).toString().trimmed();
        if (type.isEmpty())
            return DevResponse::failure(400, QStringLiteral("bad_request"), QStringLiteral("Нет event_type"));
        const QJsonObject payload = request.json.value(QStringLiteral("payload")).toObject();
        QString deviceId = payload.value(QStringLiteral("device_id")).toString().trimmed();
        if (deviceId.isEmpty())
            deviceId = QString::fromUtf8(request.header("X-Device-Id")).trimmed();
        DevTenant &tenant = *request.tenant;
        tenant.recordEvent(type, payload, deviceId);
        srv->markChanged();

        QJsonObject reply;
        if (const DevEventHandler *handler = srv->eventHandler(type))
            reply = (*handler)(tenant, deviceId, payload);
        else
            reply = resultStatus(QStringLiteral("accepted"));
        reply.insert(QStringLiteral("event_type"), type);
        return DevResponse::ok(reply);
    });
}
