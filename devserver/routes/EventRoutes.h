#pragma once

#include "DevServer.h"

// "/api/heartbeat" and "/api/client-event". Every client event is kept in the
// tenant's event list; types with a registered handler (DevServer::addEventHandler)
// also change the tenant. The configuration replacements live here.
class EventRoutes : public DevRouteSet
{
public:
    void registerRoutes(DevServer &server) override;
};
