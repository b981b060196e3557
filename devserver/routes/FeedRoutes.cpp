#include "routes/FeedRoutes.h"

void FeedRoutes::registerRoutes(DevServer &server)
{
    DevServer *srv = &server;
    server.addRoute(QStringLiteral("GET"), QStringLiteral("/api/client-notices"), DevAuth::Tenant,
                    [](DevRequest &request) {
        return DevResponse::ok({{QStringLiteral("items"), request.tenant->notices}});
    });

    server.addRoute(QStringLiteral("GET"), QStringLiteral("/api/version"), DevAuth::None,
                    [srv](DevRequest &request) {
        QJsonObject reply = srv->store().release();
        QString channel = request.queryValue(QStringLiteral("channel"));
        reply.insert(QStringLiteral("channel"), channel.isEmpty() ? QStringLiteral("stable") : channel);
        return DevResponse::ok(reply);
    });
}
