#include "routes/IssueDevRoutes.h"

#include "DemoData.h"

namespace {

DevTenant *tenantOf(DevServer &server, const QString &requested)
{
    const QString id = requested.trimmed().isEmpty() ? QString::fromLatin1(Demo::kTenantId) : requested.trimmed();
    return server.store().tenantById(id);
}

} // namespace

void IssueDevRoutes::registerRoutes(DevServer &server)
{
    DevServer *srv = &server;
    server.addRoute(QStringLiteral("GET"), QStringLiteral("/__dev/issues"), DevAuth::None, [srv](DevRequest &request) {
        DevTenant *tenant = tenantOf(*srv, request.queryValue(QStringLiteral("tenant_id")));
        if (!tenant)
            return DevResponse::failure(404, QStringLiteral("tenant_not_found"));
        return DevResponse::ok({{QStringLiteral("drift"), srv->issueDrift().stateJson(*tenant)}});
    });
    server.addRoute(QStringLiteral("POST"), QStringLiteral("/__dev/issues"), DevAuth::None, [srv](DevRequest &request) {
        if (!request.hasJson)
            return DevResponse::failure(400, QStringLiteral("bad_json"));
        DevTenant *tenant = tenantOf(*srv, request.json.value(QStringLiteral("tenant_id")).toString());
        if (!tenant)
            return DevResponse::failure(404, QStringLiteral("tenant_not_found"));
        DemoIssueDrift &drift = srv->issueDrift();
        if (request.json.contains(QStringLiteral("every")))
            drift.setEvery(request.json.value(QStringLiteral("every")).toInt());
        QJsonArray changes;
        const QString action = request.json.value(QStringLiteral("action")).toString().trimmed();
        if (!action.isEmpty()) {
            if (action != QLatin1String("next") && !DemoIssueDrift::actions().contains(action))
                return DevResponse::failure(400, QStringLiteral("bad_action"),
                                            QStringLiteral("Неизвестное действие: %1").arg(action));
            const int times = qBound(1, request.json.value(QStringLiteral("times")).toInt(1), 100);
            for (int i = 0; i < times; ++i) {
                const QString change = drift.apply(*tenant, action);
                if (!change.isEmpty())
                    changes.append(change);
            }
            srv->markChanged();
        }
        return DevResponse::ok({{QStringLiteral("changes"), changes},
                                {QStringLiteral("drift"), drift.stateJson(*tenant)}});
    });
}
