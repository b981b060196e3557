#pragma once

#include "DevServer.h"

// Consumables and warehouse of the stand-in platform: the stock events ("box_receive",
// "ink_receive", "material_receive", "consumable_receive", "wall_writeoff",
// "material_writeoff_qr", "consumable_writeoff_qr") change the tenant's "boxes", "inks",
// "materials" and "consumables" and answer with them; a wall write-off of an unknown
// item or an empty cell answers {"result": {"status": "ok", "empty": true}} and changes
// nothing. "/api/order-warehouse-lookup.php" answers warehouse and section per UID from
// the tenant's "warehouse_places".
class StockRoutes : public DevRouteSet
{
public:
    void registerRoutes(DevServer &server) override;

    // Item key of a stock name as the demo workshop names its items ("Маленькая
    // шкатулка" -> "small_box"); other names lower-cased.
    static QString itemKey(const QString &name);
};
