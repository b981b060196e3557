#include "routes/EventRoutes.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonDocument>

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

// Events that a client keeps in its outbox and sends again when a reply was lost.
bool mayBeResent(const QString &type)
{
    static const QStringList types{
        QStringLiteral("box_receive"),          QStringLiteral("ink_receive"),
        QStringLiteral("material_receive"),     QStringLiteral("consumable_receive"),
        QStringLiteral("wall_writeoff"),        QStringLiteral("material_writeoff_qr"),
        QStringLiteral("consumable_writeoff_qr"), QStringLiteral("archive_event"),
    };
    return types.contains(type);
}

// The same event sent twice has the same content down to the client's
// millisecond timestamp; without that stamp there is nothing to recognise.
QByteArray resendKey(const QString &type, const QJsonObject &payload)
{
    if (!mayBeResent(type) || payload.value(QStringLiteral("client_ts")).toString().isEmpty())
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(type.toUtf8());
    hash.addData(QByteArrayView("\n"));
    hash.addData(QJsonDocument(payload).toJson(QJsonDocument::Compact));
    return hash.result();
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
        const QByteArray key = resendKey(type, payload);
        if (!key.isEmpty() && tenant.answeredEvents.contains(key)) {
            // Applied already: answer as the first time, change nothing. Stock
            // figures are today's, not those of the first answer.
            QJsonObject reply = tenant.answeredEvents.value(key);
            reply.remove(QStringLiteral("snapshot"));
            for (const QString &stock : {QStringLiteral("boxes"), QStringLiteral("inks"),
                                         QStringLiteral("materials"), QStringLiteral("consumables")}) {
                if (reply.contains(stock))
                    reply.insert(stock, tenant.data.value(stock));
            }
            reply.insert(QStringLiteral("duplicate"), true);
            DevResponse response = DevResponse::ok(reply);
            response.outcome = QStringLiteral("duplicate");
            return response;
        }
        tenant.recordEvent(type, payload, deviceId);
        srv->markChanged();

        QJsonObject reply;
        if (const DevEventHandler *handler = srv->eventHandler(type))
            reply = (*handler)(tenant, deviceId, payload);
        else
            reply = resultStatus(QStringLiteral("accepted"));
        reply.insert(QStringLiteral("event_type"), type);
        if (!key.isEmpty())
            tenant.rememberAnswer(key, reply);
        return DevResponse::ok(reply);
    });
}
