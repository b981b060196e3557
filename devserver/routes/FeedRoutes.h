#pragma once

#include "DevServer.h"

// "/api/client-notices" (the tenant's banners) and "/api/version" (release notes).
class FeedRoutes : public DevRouteSet
{
public:
    void registerRoutes(DevServer &server) override;
};
