#pragma once

#include "DevServer.h"

// "/api/client-snapshot": the tenant's working data and configuration with a
// revision; "since_rev" equal to the current revision answers "changed": false,
// "refresh=1" always answers the full snapshot. Issue changes (DemoIssueDrift)
// made since the tenant's last snapshot appear as that request's journal "outcome".
class SnapshotRoutes : public DevRouteSet
{
public:
    void registerRoutes(DevServer &server) override;

    static QJsonObject buildSnapshot(const DevTenant &tenant);
};
