#pragma once

#include <QString>
#include <QVariantMap>

// What a hardware scan is, decided from its text alone: scanner keys and labels,
// workplace ids, the recognisers the scan router tests in turn, and the reading of
// the server's verdict on an order scan. No state, no services, so the fuzzer and the
// tests build it on its own.
class ScanRecognizers
{
public:
    // Scanner keys "scanner" (slot 1), "scanner2" … "scanner6".
    static int scannerIndexFromKey(const QString &key);
    static QString scannerKeyForIndex(int index);
    static QString normalizeScannerKey(const QString &key);
    static QString scannerLabelForKey(const QString &key);
    // The number of scanner tabs: the configured ports, at least 2, at most 6.
    static int scannerCountForPorts(qsizetype configuredPorts);

    // Workplace ids: "cutter_1", "cutter_2", or any other normalised text.
    static QString normalizeWorkplace(const QString &value);
    static QString workplaceLabel(const QString &id);
    // The text printed as the cutter's QR code: "CUTTER:" and a positive number.
    static QString cutterQrPayload(const QVariant &number);
    // The context sent with every scan of a scanner bound to a workplace.
    static QVariantMap scanContext(const QString &scannerKey, const QString &workplaceId);

    // The card number of a scan typed as "RFID:<uid>" or "TAG:<uid>:<text>", else empty.
    static QString rfidUidFromHardwareScan(const QString &raw);
    // The workplace a cutter QR names, else empty.
    static QString cutterFromScan(const QString &raw);
    static bool isConsumableWallPayload(const QString &raw);
    static bool isStructuredScanPayload(const QString &raw);
    static bool isPlainOrderOrWarehouseScan(const QString &raw);

    // Whether the server's answer to an order scan lets the label be printed.
    static bool orderScanResultAllowsPrint(const QString &result, const QString &message,
                                           const QVariantMap &details);
    // The code a label allowed by the server is printed for.
    static QString orderPrintCode(const QString &scan, const QVariantMap &details);
    // The code a confirmed warehouse label is printed for.
    static QString warehousePrintCode(const QString &scan, const QString &recorded,
                                      const QVariantMap &details);
};
