#pragma once

#include <QJsonArray>
#include <QString>
#include <QStringList>

struct DevTenant;

// Orders with fixed codes, one per verdict the server gives to an order scan,
// so tests and the demo can scan them by name (label files carry these codes):
//   P01PACK2WB  WB, new          -> "packed", marketplace_pack ok (WB)
//   P01PACK3YM  YM, new          -> action "print_label" without a result
//   P01WAIT4QZ  OZON, 2 places   -> "packed", marketplace_pack waiting
//   P01MPERR8Z  WB, new          -> "packed", marketplace_pack error
//   P01DUPL5WB  WB, packed       -> "duplicate"
//   P01CANC6WB  WB, cancelled    -> "canceled"
//   P01STCK7WB  stock receipt    -> "stock_in"
//   512345      WB, new (legacy numeric UID) -> "packed"
//   512346      OZON, packed (legacy)        -> "duplicate"
// Any other code is "not_found". A packed order scanned again is a duplicate.
namespace DemoScan {
inline constexpr const char kPackedWb[] = "P01PACK2WB";
inline constexpr const char kPrintLabelYm[] = "P01PACK3YM";
inline constexpr const char kWaitingOzon[] = "P01WAIT4QZ";
inline constexpr const char kMarketError[] = "P01MPERR8Z";
inline constexpr const char kDuplicate[] = "P01DUPL5WB";
inline constexpr const char kCancelled[] = "P01CANC6WB";
inline constexpr const char kStockIn[] = "P01STCK7WB";
inline constexpr const char kLegacyNew[] = "512345";
inline constexpr const char kLegacyPacked[] = "512346";
} // namespace DemoScan

// The scenario orders as snapshot rows (added to the demo tenant's orders).
QJsonArray demoScanScenarioOrders();
// Every code above, in the order listed.
QStringList demoScanScenarioCodes();
// Adds a new WB order found by this code (as its unique number and barcode), so that a
// scan of it is judged "packed"; tests and benchmarks use codes of their own this way.
void addNewWbOrder(DevTenant &tenant, const QString &code);
