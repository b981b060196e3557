#pragma once

#include "DevServer.h"

// "/api/bootstrap" (new tenant account), "/api/device-register" (a device joins
// a tenant with its key) and "/api/client-config" (the device's configuration).
class OnboardingRoutes : public DevRouteSet
{
public:
    void registerRoutes(DevServer &server) override;

    // The identity and configuration keys every onboarding reply carries.
    static QJsonObject identityReply(const DevTenant &tenant, const DevDevice *device, bool withKey);
};
