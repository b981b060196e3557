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
    server.addRoute(QStringLiteral("GET"), QStringLiteral("/api/client-snapshot"), DevAuth::Tenant,
                    [](DevRequest &request) {
        const DevTenant &tenant = *request.tenant;
        const bool full = request.queryValue(QStringLiteral("refresh")) == QLatin1String("1");
        const QString since = request.queryValue(QStringLiteral("since_rev"));
        if (!full && !since.isEmpty() && since == tenant.revisionText()) {
            return DevResponse::ok({{QStringLiteral("changed"), false},
                                    {QStringLiteral("revision"), tenant.revisionText()}});
        }
        return DevResponse::ok({{QStringLiteral("changed"), true},
                                {QStringLiteral("revision"), tenant.revisionText()},
                                {QStringLiteral("snapshot"), buildSnapshot(tenant)}});
    });
}
