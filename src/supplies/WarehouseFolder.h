#pragma once

#include "supplies/WarehouseEntry.h"

#include <QList>
#include <QString>
#include <QStringList>

// Lists the label files of one warehouse folder (files only; "pdf", "png", "jpg", "jpeg",
// "bmp", "webp", "tif", "tiff" in any case; the printed ones left out). An expense file
// is hidden when a self-buy file exists for the same barcode: the self-buy label is the
// one to print.
namespace WarehouseFolder {

struct Listing
{
    bool folderExists = false;
    QList<WarehouseEntry> entries;   // in file-name order
    QStringList hiddenExpenses;      // file names
};

// defaultWarehouse names the warehouse of entries the server has not told about.
Listing list(const QString &folder, const QString &defaultWarehouse, bool yandexMarket);

} // namespace WarehouseFolder
