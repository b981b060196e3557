#pragma once

#include "DevServer.h"

// The issue drift switch (open, never journaled like every "/__dev/" route; the
// snapshot that carries a change has it as its journal entry's "outcome"):
//   GET  /__dev/issues   ?tenant_id= (default: the demo tenant): drift state and summaries
//   POST /__dev/issues   {"tenant_id"?, "every"? (snapshots per step, 0 = off),
//                         "action"? ("next" | "new_defect" | "advance_bug" | "new_bug" |
//                         "remove_defect"), "times"? (default 1)}
class IssueDevRoutes : public DevRouteSet
{
public:
    void registerRoutes(DevServer &server) override;
};
