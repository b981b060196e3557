#include "supplies/WarehouseFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace WarehouseFolder {

Listing list(const QString &folder, const QString &defaultWarehouse, bool yandexMarket)
{
    Listing listing;
    const QString path = folder.trimmed();
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return listing;
    listing.folderExists = true;

    // The iterator takes the file type from the directory entry itself: no stat() and
    // no permission check per file, which made a 20,000-file folder take a second.
    // Suffixes compared directly: eight wildcard patterns per name cost more than the listing.
    static const QSet<QString> suffixes{QStringLiteral("pdf"), QStringLiteral("png"), QStringLiteral("jpg"),
                                        QStringLiteral("jpeg"), QStringLiteral("bmp"), QStringLiteral("webp"),
                                        QStringLiteral("tif"), QStringLiteral("tiff")};
    QStringList names;
    QDirIterator it(path, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        const qsizetype dot = name.lastIndexOf(u'.');
        if (dot > 0 && suffixes.contains(name.mid(dot + 1).toLower()))
            names.append(name);
    }
    std::sort(names.begin(), names.end());
    const QDir dir(path);

    QList<WarehouseEntry> all;
    all.reserve(names.size());
    QSet<QString> selfbuyBarcodes;
    for (const QString &name : std::as_const(names)) {
        if (WarehouseNames::isPrinted(name)) {
            // A printed self-buy label still stands for its barcode: the expense file
            // of that barcode must not come back and be printed as well.
            if (name.toLower().startsWith(QStringLiteral("напечатано_самовыкуп")))
                selfbuyBarcodes.insert(WarehouseNames::parseFileName(name).barcode);
            continue;
        }
        WarehouseEntry entry;
        entry.fileName = name;
        entry.fullPath = dir.absoluteFilePath(name);
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
