#include "routes/ScriptRoutes.h"

#include "DemoData.h"
#include "DevStore.h"

#include <QDateTime>

namespace {

constexpr int kMaxResults = 200;

} // namespace

QString ScriptRoutes::deviceKey(const QString &tenantId, const QString &deviceId)
{
    return tenantId + u'/' + deviceId;
}

DevResponse ScriptRoutes::poll(DevRequest &request)
{
    DeviceScripts &device = m_devices[deviceKey(request.tenant->id, request.deviceId())];
    int limit = request.queryValue(QStringLiteral("limit")).toInt();
    if (limit <= 0)
        limit = 20;
    QJsonArray handed;
    while (!device.queue.isEmpty() && handed.size() < limit) {
        handed.append(device.queue.first());
        device.queue.removeFirst();
    }
    return DevResponse::ok({{QStringLiteral("commands"), handed}});
}

DevResponse ScriptRoutes::report(DevRequest &request)
{
    if (!request.hasJson)
        return DevResponse::failure(400, QStringLiteral("bad_json"));
    const QString action = request.json.value(QStringLiteral("action")).toString().trimmed().toLower();
    if (action != QLatin1String("status"))
        return DevResponse::failure(400, QStringLiteral("bad_request"), QStringLiteral("Неизвестное действие"));
    DeviceScripts &device = m_devices[deviceKey(request.tenant->id, request.deviceId())];
    device.lastReport = request.json;
    device.lastReport.insert(QStringLiteral("received_at"),
                             QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    ++device.reports;
    for (const QJsonValue &result : request.json.value(QStringLiteral("commands")).toArray())
        device.results.append(result);
    while (device.results.size() > kMaxResults)
        device.results.removeFirst();
    return DevResponse::ok({{QStringLiteral("scripts"), request.json.value(QStringLiteral("scripts")).toArray().size()}});
}

DevResponse ScriptRoutes::queueCommands(DevServer &server, DevRequest &request)
{
    if (!request.hasJson)
        return DevResponse::failure(400, QStringLiteral("bad_json"));
    QString tenantId = request.json.value(QStringLiteral("tenant_id")).toString().trimmed();
    if (tenantId.isEmpty())
        tenantId = QString::fromLatin1(Demo::kTenantId);
    QString deviceId = request.json.value(QStringLiteral("device_id")).toString().trimmed();
    if (deviceId.isEmpty())
        deviceId = QString::fromLatin1(Demo::kDeviceId);
    if (!server.store().tenantById(tenantId))
        return DevResponse::failure(404, QStringLiteral("tenant_not_found"));

    // One command as the body itself, or several under "commands".
    QJsonArray list = request.json.value(QStringLiteral("commands")).toArray();
    if (list.isEmpty())
        list.append(request.json);
    DeviceScripts &device = m_devices[deviceKey(tenantId, deviceId)];
    QJsonArray queued;
    for (const QJsonValue &value : list) {
        const QJsonObject in = value.toObject();
        QJsonObject command;
        for (const char *key : {"script_id", "scriptId", "id", "action"}) {
            if (in.contains(QLatin1String(key)))
                command.insert(QLatin1String(key), in.value(QLatin1String(key)));
        }
        QString commandId = in.value(QStringLiteral("command_id")).toString().trimmed();
        if (commandId.isEmpty())
            commandId = QStringLiteral("cmd-%1").arg(m_nextCommand++);
        command.insert(QStringLiteral("command_id"), commandId);
        device.queue.append(command);
        queued.append(command);
    }
    return DevResponse::ok({{QStringLiteral("queued"), queued}, {QStringLiteral("pending"), device.queue.size()}});
}

DevResponse ScriptRoutes::show(DevRequest &request) const
{
    const QString tenantId = request.queryValue(QStringLiteral("tenant_id")).trimmed();
    const QString deviceId = request.queryValue(QStringLiteral("device_id")).trimmed();
    QJsonObject devices;
    for (auto it = m_devices.constBegin(); it != m_devices.constEnd(); ++it) {
        const QString tenantPart = it.key().section(u'/', 0, 0);
        const QString devicePart = it.key().section(u'/', 1);
        if ((!tenantId.isEmpty() && tenantPart != tenantId) || (!deviceId.isEmpty() && devicePart != deviceId))
            continue;
        devices.insert(it.key(), QJsonObject{{QStringLiteral("queue"), it->queue},
                                             {QStringLiteral("last_report"), it->lastReport},
                                             {QStringLiteral("results"), it->results},
                                             {QStringLiteral("reports"), it->reports}});
    }
    return DevResponse::ok({{QStringLiteral("devices"), devices}});
}

void ScriptRoutes::registerRoutes(DevServer &server)
{
    DevServer *srv = &server;
    server.addRoute(QStringLiteral("GET"), QStringLiteral("/api/client-scripts"), DevAuth::Tenant,
                    [this](DevRequest &request) { return poll(request); });
    server.addRoute(QStringLiteral("POST"), QStringLiteral("/api/client-scripts"), DevAuth::Tenant,
                    [this](DevRequest &request) { return report(request); });
    server.addRoute(QStringLiteral("POST"), QStringLiteral("/__dev/scripts/command"), DevAuth::None,
                    [this, srv](DevRequest &request) { return queueCommands(*srv, request); });
    server.addRoute(QStringLiteral("GET"), QStringLiteral("/__dev/scripts"), DevAuth::None,
                    [this](DevRequest &request) { return show(request); });
}
