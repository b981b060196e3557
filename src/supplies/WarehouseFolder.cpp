#include "supplies/WarehouseFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace WarehouseFolder {

QStringList nameFilters()
{
    return {QStringLiteral("*.pdf"), QStringLiteral("*.png"), QStringLiteral("*.jpg"),
            QStringLiteral("*.jpeg"), QStringLiteral("*.bmp"), QStringLiteral("*.webp"),
            QStringLiteral("*.tif"), QStringLiteral("*.tiff")};
}

Listing list(const QString &folder, const QString &defaultWarehouse, bool yandexMarket)
{
    Listing listing;
    const QString path = folder.trimmed();
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return listing;
    listing.folderExists = true;

    QDir dir(path);
    dir.setNameFilters(nameFilters());
    dir.setFilter(QDir::Files | QDir::Readable);
    dir.setSorting(QDir::Name);
    const QFileInfoList files = dir.entryInfoList();

    QList<WarehouseEntry> all;
    all.reserve(files.size());
    QSet<QString> selfbuyBarcodes;
    for (const QFileInfo &info : files) {
        const QString name = info.fileName();
        if (WarehouseNames::isPrinted(name)) {
            // A printed self-buy label still stands for its barcode: the expense file
            // of that barcode must not come back and be printed as well.
            if (name.toLower().startsWith(QStringLiteral("напечатано_самовыкуп")))
                selfbuyBarcodes.insert(WarehouseNames::parseFileName(name).barcode);
            continue;
        }
        WarehouseEntry entry;
        entry.fileName = name;
        entry.fullPath = info.absoluteFilePath();
        entry.mode = WarehouseNames::modeOf(name);
        entry.selfbuy = entry.mode == u"самовыкуп";
        const WarehouseNames::Parsed parsed = WarehouseNames::parseFileName(name);
        entry.barcode = parsed.barcode;
        entry.article = parsed.article;
        entry.manualPrintAllowed = WarehouseNames::manualPrintAllowed(entry.article);
        entry.sourceWarehouse = defaultWarehouse;
        entry.label = WarehouseNames::labelOf(entry, yandexMarket);
        if (entry.selfbuy)
            selfbuyBarcodes.insert(entry.barcode);
        all.append(entry);
    }
    for (const WarehouseEntry &entry : std::as_const(all)) {
        if (entry.mode == u"расход" && selfbuyBarcodes.contains(entry.barcode))
            listing.hiddenExpenses.append(entry.fileName);
        else
            listing.entries.append(entry);
    }
    return listing;
}

} // namespace WarehouseFolder
