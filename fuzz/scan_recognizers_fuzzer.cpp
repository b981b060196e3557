#include "FuzzSupport.h"

#include "app/ScanRecognizers.h"

#include <QRegularExpression>

#include <cstdlib>

namespace {

bool onlyWorkplaceCharacters(const QString &id)
{
    for (const QChar ch : id) {
        const bool ok = (ch >= u'a' && ch <= u'z') || (ch >= u'0' && ch <= u'9') || ch == u'_' || ch == u'-';
        if (!ok)
            return false;
    }
    return true;
}

void check(bool condition)
{
    if (!condition)
        abort();
}

} // namespace

// Any line a scanner can type: the recognisers never crash, and what they give back is
// something the router can use as it is.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString raw = fuzzText(data, size);

    const QString workplace = ScanRecognizers::normalizeWorkplace(raw);
    check(onlyWorkplaceCharacters(workplace));
    check(ScanRecognizers::normalizeWorkplace(workplace) == workplace);
    check(!ScanRecognizers::workplaceLabel(raw).isEmpty());

    const QString cutter = ScanRecognizers::cutterFromScan(raw);
    check(onlyWorkplaceCharacters(cutter));
    check(ScanRecognizers::normalizeWorkplace(cutter) == cutter);

    const QString uid = ScanRecognizers::rfidUidFromHardwareScan(raw);
    check(uid == uid.trimmed());
    check(uid.isEmpty() || raw.trimmed().size() > uid.size());

    const bool wall = ScanRecognizers::isConsumableWallPayload(raw);
    const bool structured = ScanRecognizers::isStructuredScanPayload(raw);
    const bool plain = ScanRecognizers::isPlainOrderOrWarehouseScan(raw);
    check(!(plain && (wall || structured)));
    check(!plain || !raw.trimmed().isEmpty());

    const int index = ScanRecognizers::scannerIndexFromKey(raw);
    check(index >= 1);
    const QString key = ScanRecognizers::normalizeScannerKey(raw);
    check(ScanRecognizers::normalizeScannerKey(key) == key);
    check(ScanRecognizers::scannerIndexFromKey(key) == index);

    const QVariantMap context = ScanRecognizers::scanContext(raw, raw);
    check(context.value(QStringLiteral("workplace_id")).toString() == workplace);

    // The printed cutter QR is always read back as a cutter.
    check(!ScanRecognizers::cutterFromScan(ScanRecognizers::cutterQrPayload(raw)).isEmpty());

    // The same text as the server's message and as a details value.
    const QVariantMap details{{QStringLiteral("printCode"), raw}, {QStringLiteral("labelPrintAllowed"), raw}};
    ScanRecognizers::orderScanResultAllowsPrint(raw, raw, details);
    ScanRecognizers::orderScanResultAllowsPrint(raw, raw, {});
    const QString code = ScanRecognizers::orderPrintCode(raw, details);
    check(code == code.trimmed());
    ScanRecognizers::warehousePrintCode(raw, raw, details);
    return 0;
}
