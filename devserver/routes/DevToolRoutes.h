#pragma once

#include "DevServer.h"

// Development endpoints under "/__dev/" (open, never journaled):
//   GET  /__dev/                 this list
//   GET  /__dev/journal          received requests; ?since=<seq>&path=<path>&limit=<n>
//   POST /__dev/journal/clear    (also DELETE /__dev/journal)
//   GET  /__dev/faults           active fault switches
//   POST /__dev/faults           {"path", "method"?, "delay_ms"?, "status"?, "body"? (text),
//                                 "json"? (object), "drop"?, "block"? ("tenant_blocked" |
//                                 "device_blocked"), "message"?, "times"?} or {"faults": [...]}
//   POST /__dev/faults/clear     {"path"?} (also DELETE /__dev/faults?path=)
//   POST /__dev/reset            journal, faults and tenants back to the seed
//   GET  /__dev/state            tenants, keys, devices, revisions
//   GET  /__dev/tenant           ?tenant_id= : one tenant in full (events included)
//   POST /__dev/tenant           {"tenant_id", "create"?, "name"?, "api_key"?, "blocked"?,
//                                 "data"? (keys replaced), "config"? (keys replaced),
//                                 "notices"?, "devices"? ({"<id>": {"blocked": bool}})}
//   POST /__dev/release          {"version", "title", "notes"} answered by /api/version
class DevToolRoutes : public DevRouteSet
{
public:
    void registerRoutes(DevServer &server) override;
};
