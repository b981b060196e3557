#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// One ready label file of a marketplace order in a warehouse folder.
struct WarehouseEntry
{
    QString fileName;
    QString fullPath;
    QString mode;            // "самовыкуп", "расход" or "склад"
    QString barcode;
    QString article;
    QString label;
    QString sourceWarehouse;
    QString sourceSection;
    bool selfbuy = false;
    bool manualPrintAllowed = false;

    QVariantMap toMap() const;
};

// What the names of warehouse files say. The files come from an outside process that
// names them "<mode>_<article parts>_<barcode>.<ext>", in several variants.
namespace WarehouseNames {

// Already printed: not listed, never found again.
bool isPrinted(const QString &fileName);
QString modeOf(const QString &fileName);

struct Parsed
{
    QString barcode;
    QString article;
};
// The base name split at "_": the barcode is the number after a part "row", else a
// production code, else the last number part (3-12 digits, optionally "-" and 1-4
// digits), else the whole base name. The article is what remains without mode words,
// "row", long numbers and number ranges; the base name when nothing remains.
Parsed parseFileName(const QString &fileName);

// Articles beginning with "К_", "K_", "ПОС_", "POS_", "КОМ_01" or "KOM_01" may be printed
// from the list by hand; all others only after a scan was confirmed.
bool manualPrintAllowed(const QString &article);

// The codes a scan may stand for: the trimmed scan, its production code and, for
// "<digits>[-_ ]<strip>", the leading number; each once.
QStringList codeVariants(const QString &raw);

// Article, then " · " with the known warehouse and section, then the mode marker.
QString labelOf(const WarehouseEntry &entry, bool yandexMarket);

} // namespace WarehouseNames
