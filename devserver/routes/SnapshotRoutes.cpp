#include "routes/SnapshotRoutes.h"

#include <QDateTime>

QJsonObject SnapshotRoutes::buildSnapshot(const DevTenant &tenant)
{
    QJsonObject snapshot = tenant.data;
    for (auto it = tenant.config.constBegin(); it != tenant.config.constEnd(); ++it)
        snapshot.insert(it.key(), it.value());
    snapshot.insert(QStringLiteral("tenant_id"), tenant.id);
    snapshot.insert(QStringLiteral("revision"), tenant.revisionText());
    snapshot.insert(QStringLiteral("generated_at"),
                    QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    return snapshot;
}

void SnapshotRoutes::registerRoutes(DevServer &server)
{
    DevServer *srv = &server;
    server.addRoute(QStringLiteral("GET"), QStringLiteral("/api/client-snapshot"), DevAuth::Tenant,
                    [srv](DevRequest &request) {
        DevTenant &tenant = *request.tenant;
        srv->issueDrift().onSnapshot(tenant);
        const QString outcome = srv->issueDrift().takePending(tenant.id);
        const bool full = request.queryValue(QStringLiteral("refresh")) == QLatin1String("1");
        const QString since = request.queryValue(QStringLiteral("since_rev"));
        if (!full && !since.isEmpty() && since == tenant.revisionText()) {
            return DevResponse::ok({{QStringLiteral("changed"), false},
                                    {QStringLiteral("revision"), tenant.revisionText()}});
        }
        DevResponse response = DevResponse::ok({{QStringLiteral("changed"), true},
                                                {QStringLiteral("revision"), tenant.revisionText()},
                                                {QStringLiteral("snapshot"), buildSnapshot(tenant)}});
        response.outcome = outcome;
        return response;
    });
}
