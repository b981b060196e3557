#pragma once

#include "DevServer.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// "/api/client-artifacts": files and label commands the platform prepared for the
// workstations of a tenant. The client fetches the pending ones and confirms what
// it carried out with {"action": "mark_done", "keys": [...]}; confirmed tasks are
// done, are no longer handed out and the confirmation is kept among the tenant's events.
// The demo tenant starts with a few tasks (DemoArtifacts.cpp).
//   POST /__dev/artifacts   {"tenant_id"?, "tasks": [...]} or one task as the body;
//                           ("replace": true drops the tenant's other tasks first);
//                           {"reset": true} puts the tenant's tasks back to the seed
//   GET  /__dev/artifacts   ?tenant_id= : tasks with their state, and the confirmations
class ArtifactRoutes : public DevRouteSet
{
public:
    void registerRoutes(DevServer &server) override;

private:
    struct TenantArtifacts
    {
        QJsonArray tasks;          // in the order they were added; "status" pending or done
        QJsonArray confirmations;  // mark_done bodies as received, newest last (capped)
        bool seeded = false;
    };

    TenantArtifacts &artifactsOf(const QString &tenantId);
    DevResponse fetch(DevRequest &request);
    DevResponse confirm(DevServer &server, DevRequest &request);
    DevResponse addTasks(DevServer &server, DevRequest &request);
    DevResponse show(DevRequest &request);

    QHash<QString, TenantArtifacts> m_tenants;
    int m_nextKey = 1;
};
