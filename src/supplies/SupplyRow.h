#pragma once

#include <QList>
#include <QString>

// One line of a marketplace supply: a product barcode, its marketplace and how many.
struct SupplyRow
{
    QString barcode;
    QString marketplace; // "wb" or "ozon"
    int qty = 1;
};

namespace SupplyCodes {

// White space and every character outside [0-9A-Za-z_-] removed; "" when fewer than 8
// characters remain (not a barcode).
QString normalizeBarcode(const QString &scan);
// "ozon", "o3" and "озон" give "ozon"; anything else "wb".
QString normalizeMarketplace(const QString &text);
// "OZON" or "WB".
QString marketplaceTitle(const QString &marketplace);

} // namespace SupplyCodes

namespace SupplyCsv {

// BOM, the header "маркетплейс;баркод;количество", then one line per row with the
// barcode as ="…" so spreadsheet programs keep leading zeros; every line ends in "\n".
QByteArray bytes(const QList<SupplyRow> &rows);

} // namespace SupplyCsv
