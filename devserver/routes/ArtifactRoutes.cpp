#include "routes/ArtifactRoutes.h"

#include "DemoData.h"
#include "DevStore.h"

#include <QDateTime>

namespace {

constexpr int kMaxConfirmations = 200;

QString keyOf(const QJsonObject &task)
{
    return jsonText(task, {"artifact_key", "artifactKey", "key"});
}

QJsonArray pending(const QJsonArray &tasks)
{
    QJsonArray out;
    for (const QJsonValue &task : tasks) {
        QJsonObject object = task.toObject();
        object.insert(QStringLiteral("status"), QStringLiteral("pending"));
        out.append(object);
    }
    return out;
}

} // namespace

ArtifactRoutes::TenantArtifacts &ArtifactRoutes::artifactsOf(const QString &tenantId)
{
    TenantArtifacts &artifacts = m_tenants[tenantId];
    if (!artifacts.seeded) {
        artifacts.seeded = true;
        if (tenantId == QLatin1String(Demo::kTenantId))
            artifacts.tasks = pending(demoArtifacts());
    }
    return artifacts;
}

DevResponse ArtifactRoutes::fetch(DevRequest &request)
{
    const TenantArtifacts &artifacts = artifactsOf(request.tenant->id);
    QString status = request.queryValue(QStringLiteral("status")).trimmed().toLower();
    if (status.isEmpty())
        status = QStringLiteral("pending");
    int limit = request.queryValue(QStringLiteral("limit")).toInt();
    if (limit <= 0)
        limit = 100;
    QJsonArray items;
    for (const QJsonValue &value : artifacts.tasks) {
        const QJsonObject task = value.toObject();
        if (status != QLatin1String("all") && task.value(QStringLiteral("status")).toString() != status)
            continue;
        if (items.size() >= limit)
            break;
        items.append(task);
    }
    return DevResponse::ok({{QStringLiteral("items"), items}, {QStringLiteral("count"), items.size()}});
}

DevResponse ArtifactRoutes::confirm(DevServer &server, DevRequest &request)
{
    if (!request.hasJson)
        return DevResponse::failure(400, QStringLiteral("bad_json"));
    const QString action = request.json.value(QStringLiteral("action")).toString().trimmed().toLower();
    if (action != QLatin1String("mark_done"))
        return DevResponse::failure(400, QStringLiteral("bad_request"), QStringLiteral("Неизвестное действие"));
    const QJsonValue keysValue = request.json.value(QStringLiteral("keys"));
    if (!keysValue.isArray())
        return DevResponse::failure(400, QStringLiteral("bad_request"), QStringLiteral("Нужен массив keys"));

    TenantArtifacts &artifacts = artifactsOf(request.tenant->id);
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    const QString device = request.deviceId();
    QJsonArray marked;
    QJsonArray already;
    QJsonArray unknown;
    for (const QJsonValue &keyValue : keysValue.toArray()) {
        const QString key = keyValue.toString().trimmed();
        bool found = false;
        for (qsizetype i = 0; i < artifacts.tasks.size(); ++i) {
            QJsonObject task = artifacts.tasks.at(i).toObject();
            if (keyOf(task) != key)
                continue;
            found = true;
            if (task.value(QStringLiteral("status")).toString() == QLatin1String("done")) {
                already.append(key);
                break;
            }
            task.insert(QStringLiteral("status"), QStringLiteral("done"));
            task.insert(QStringLiteral("done_at"), now);
            task.insert(QStringLiteral("done_by"), device);
            artifacts.tasks.replace(i, task);
            marked.append(key);
            break;
        }
        if (!found)
            unknown.append(key);
    }

    QJsonObject received = request.json;
    received.insert(QStringLiteral("received_at"), now);
    artifacts.confirmations.append(received);
    while (artifacts.confirmations.size() > kMaxConfirmations)
        artifacts.confirmations.removeFirst();
    request.tenant->recordEvent(QStringLiteral("artifacts_mark_done"), request.json, device);
    server.markChanged();
    return DevResponse::ok({{QStringLiteral("marked"), marked},
                            {QStringLiteral("already_done"), already},
                            {QStringLiteral("unknown"), unknown}});
}

DevResponse ArtifactRoutes::addTasks(DevServer &server, DevRequest &request)
{
    if (!request.hasJson)
        return DevResponse::failure(400, QStringLiteral("bad_json"));
    QString tenantId = request.json.value(QStringLiteral("tenant_id")).toString().trimmed();
    if (tenantId.isEmpty())
        tenantId = QString::fromLatin1(Demo::kTenantId);
    if (!server.store().tenantById(tenantId))
        return DevResponse::failure(404, QStringLiteral("tenant_not_found"));

    TenantArtifacts &artifacts = artifactsOf(tenantId);
    if (request.json.value(QStringLiteral("reset")).toBool()) {
        artifacts.tasks = tenantId == QLatin1String(Demo::kTenantId) ? pending(demoArtifacts()) : QJsonArray();
        artifacts.confirmations = QJsonArray();
        return DevResponse::ok({{QStringLiteral("tasks"), artifacts.tasks}});
    }
    QJsonArray list = request.json.value(QStringLiteral("tasks")).toArray();
    if (list.isEmpty() && !request.json.contains(QStringLiteral("tasks"))) {
        QJsonObject single = request.json;
        single.remove(QStringLiteral("tenant_id"));
        single.remove(QStringLiteral("replace"));
        list.append(single);
    }
    if (request.json.value(QStringLiteral("replace")).toBool())
        artifacts.tasks = QJsonArray();
    QJsonArray added;
    for (const QJsonValue &value : list) {
        // Anything goes: hostile and broken tasks are what the client must survive.
        // A task sent with an explicitly blank "artifact_key" stays without a key.
        QJsonObject task = value.toObject();
        if (keyOf(task).isEmpty() && !task.contains(QStringLiteral("artifact_key")))
            task.insert(QStringLiteral("artifact_key"), QStringLiteral("art-%1").arg(m_nextKey++));
        task.insert(QStringLiteral("status"), QStringLiteral("pending"));
        artifacts.tasks.append(task);
        added.append(task);
    }
    return DevResponse::ok({{QStringLiteral("added"), added}});
}

DevResponse ArtifactRoutes::show(DevRequest &request)
{
    const QString tenantId = request.queryValue(QStringLiteral("tenant_id")).trimmed();
    QJsonObject tenants;
    if (!tenantId.isEmpty())
        artifactsOf(tenantId);
    for (auto it = m_tenants.cbegin(); it != m_tenants.cend(); ++it) {
        if (!tenantId.isEmpty() && it.key() != tenantId)
            continue;
        tenants.insert(it.key(), QJsonObject{{QStringLiteral("tasks"), it->tasks},
                                             {QStringLiteral("confirmations"), it->confirmations}});
    }
    return DevResponse::ok({{QStringLiteral("tenants"), tenants}});
}

void ArtifactRoutes::registerRoutes(DevServer &server)
{
    DevServer *srv = &server;
    server.addRoute(QStringLiteral("GET"), QStringLiteral("/api/client-artifacts"), DevAuth::Tenant,
                    [this](DevRequest &request) { return fetch(request); });
    server.addRoute(QStringLiteral("POST"), QStringLiteral("/api/client-artifacts"), DevAuth::Tenant,
                    [this, srv](DevRequest &request) { return confirm(*srv, request); });
    server.addRoute(QStringLiteral("POST"), QStringLiteral("/__dev/artifacts"), DevAuth::None,
                    [this, srv](DevRequest &request) { return addTasks(*srv, request); });
    server.addRoute(QStringLiteral("GET"), QStringLiteral("/__dev/artifacts"), DevAuth::None,
                    [this](DevRequest &request) { return show(request); });
}
