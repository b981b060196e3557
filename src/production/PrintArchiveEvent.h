#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariantMap>

// Size of a print read from its file name ("…_60х40_…").
struct PrintSize
{
    int widthCm = 0;
    int heightCm = 0;
    double areaM2 = 0.0;
    QString text; // "60×40 см", empty without a size

    static PrintSize fromFileName(const QString &fileName);
};

// The rules that turn one print into an archive event and compare events.
class PrintArchiveEvent
{
public:
    // The archive event of a print at the given local time.
    static QVariantMap build(const QString &filePath, const QString &printerName,
                             const QString &uid, const QVariantMap &details,
                             const QDateTime &printedAt);

    // Layout name: the file's base name without "печать_", "самовыкуп_",
    // "расход_" (and "напечатано_" of an already renamed file).
    static QString layoutName(const QString &fileName);
    // "WB", "OZON", "YM", "FBO" or empty: the path first, then the details' text.
    static QString marketplaceOf(const QString &filePath, const QString &marketplaceText);
    static QString normalizeMarketplace(const QString &text);

    // A file printed from the warehouse files is not counted in the archive.
    static bool isWarehouseLayout(const QVariantMap &event);

    // The UID of an event (production code, data matrix, scan UID, unique number).
    static QString uidOf(const QVariantMap &event);
    // "uid|…" or "day|marketplace|layout".
    static QString duplicateKey(const QVariantMap &event);
    // "day|marketplace|layout", also for an event that has a UID.
    static QString layoutKey(const QVariantMap &event);
    static bool isUidKey(const QString &key) { return key.startsWith(QLatin1String("uid|")); }

    // The print time of an event ("ts", "date", "printed_at", …) in local time.
    static QDateTime timeOf(const QVariantMap &event);
    static QDate dayOf(const QVariantMap &event);
};
