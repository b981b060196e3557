#pragma once

#include "DevServer.h"

// Staff events of the stand-in platform. "employee_qr_scan" marks the arrival of
// an employee who has not come in today and otherwise activates them at the
// scanned workplace (with inout_mode "qr" a second scan is the departure);
// "rfid_inout" resolves the card and toggles arrival and departure, answering
// "not_found" for an unknown card. A recognised person is appended to "attendance";
// the answers carry the result and a fresh snapshot, except "not_found" (the client
// names a card event after the snapshot's last attendance row). "employees_replace" stores the list (and a
// non-empty schedule) with a new revision.
class StaffRoutes : public DevRouteSet
{
public:
    void registerRoutes(DevServer &server) override;

    // After an idle time-out nobody is active on the tenant any more.
    static void clearActive(DevTenant &tenant);
};
