#include "app/ScanRecognizers.h"

#include "common/JsonRead.h"
#include "consumables/WallPayload.h"
#include "staff/WorkplaceKeys.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>

#include <cmath>

// Digits are written [0-9]: scanners send ASCII, and a Unicode digit must not turn a
// text into a number that nothing downstream can read.

namespace {

constexpr int kMaxScanners = 6;

QRegularExpression caseless(const QString &pattern)
{
    return QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption);
}

// The object a scan holds as a whole, or an empty one.
QJsonObject wholeJsonObject(const QString &text)
{
    if (!text.startsWith(u'{'))
        return {};
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return {};
    return doc.object();
}

// A positive integer that fits, else 0.
qint64 positiveInteger(const QVariant &value)
{
    const double number = variantToNumber(value, 0.0);
    if (!std::isfinite(number) || number < 1.0 || number > 1e12 || std::floor(number) != number)
        return 0;
    return qint64(number);
}

} // namespace

// ---- Scanner keys ----------------------------------------------------------------------

int ScanRecognizers::scannerIndexFromKey(const QString &key)
{
    static const QRegularExpression numbered(QStringLiteral("^scanner([0-9]+)$"));
    const QRegularExpressionMatch match = numbered.match(key.trimmed().toLower());
    if (!match.hasMatch())
        return 1;
    bool ok = false;
    const int index = match.captured(1).toInt(&ok);
    return ok && index >= 1 ? index : 1;
}

QString ScanRecognizers::scannerKeyForIndex(int index)
{
    return index <= 1 ? QStringLiteral("scanner") : QStringLiteral("scanner%1").arg(index);
}

QString ScanRecognizers::normalizeScannerKey(const QString &key)
{
    return scannerKeyForIndex(scannerIndexFromKey(key));
}

QString ScanRecognizers::scannerLabelForKey(const QString &key)
{
    return QStringLiteral("Сканер %1").arg(scannerIndexFromKey(key));
}

int ScanRecognizers::scannerCountForPorts(qsizetype configuredPorts)
{
    return int(qBound(qsizetype(2), configuredPorts, qsizetype(kMaxScanners)));
}

// ---- Workplaces ------------------------------------------------------------------------

QString ScanRecognizers::normalizeWorkplace(const QString &value)
{
    return WorkplaceKeys::normalizeWorkplaceKey(value);
}

QString ScanRecognizers::workplaceLabel(const QString &id)
{
    const QString workplace = normalizeWorkplace(id);
    if (workplace == u"cutter_1")
        return QStringLiteral("Резак 1");
    if (workplace == u"cutter_2")
        return QStringLiteral("Резак 2");
    return workplace.isEmpty() ? QStringLiteral("Резак") : workplace;
}

QString ScanRecognizers::cutterQrPayload(const QVariant &number)
{
    const qint64 n = positiveInteger(number);
    return QStringLiteral("CUTTER:%1").arg(n > 0 ? n : 1);
}

QVariantMap ScanRecognizers::scanContext(const QString &scannerKey, const QString &workplaceId)
{
    const int index = scannerIndexFromKey(scannerKey);
    const QString scannerId = QStringLiteral("scanner_%1").arg(index);
    const QString key = scannerKeyForIndex(index);
    const QString workplace = normalizeWorkplace(workplaceId);
    const QString label = workplaceLabel(workplace);
    QVariantMap context;
    for (const char *name : {"scanner_id", "scannerId"})
        context.insert(QLatin1String(name), scannerId);
    for (const char *name : {"scanner_key", "scannerKey"})
        context.insert(QLatin1String(name), key);
    for (const char *name : {"workplace_id", "workplaceId", "cutter_key", "cutterKey"})
        context.insert(QLatin1String(name), workplace);
    for (const char *name : {"cutter_label", "cutterLabel", "workplace_label", "workplaceLabel"})
        context.insert(QLatin1String(name), label);
    return context;
}

// ---- Recognisers -----------------------------------------------------------------------

QString ScanRecognizers::rfidUidFromHardwareScan(const QString &raw)
{
    const QString text = raw.trimmed();
    if (text.startsWith(QLatin1String("RFID:"), Qt::CaseInsensitive))
        return text.mid(text.indexOf(u':') + 1).trimmed();
    if (text.startsWith(QLatin1String("TAG:"), Qt::CaseInsensitive))
        return text.section(u':', 1, 1).trimmed();
    return {};
}

QString ScanRecognizers::cutterFromScan(const QString &raw)
{
    const QString text = raw.trimmed();
    const QJsonObject object = wholeJsonObject(text);
    const QString kind = jsonFirstText(object, {"kind", "type"}).toLower();
    if (kind == u"cutter" || kind == u"резак")
        return normalizeWorkplace(
            jsonFirstText(object, {"cutter_id", "cutterId", "workplace_id", "workplaceId", "id", "number"}));

    static const QRegularExpression pattern =
        caseless(QStringLiteral("^(?:CUTTER|CUT|REZAK|РЕЗАК|СКАНЕР)\\s*[:#|_-]?\\s*([0-9]+)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? normalizeWorkplace(match.captured(1)) : QString();
}

bool ScanRecognizers::isConsumableWallPayload(const QString &raw)
{
    const QString text = raw.trimmed();
    return text.startsWith(QLatin1String(WallPayload::kPrefix), Qt::CaseInsensitive)
           || WallPayload::isConsumableWall(text);
}

bool ScanRecognizers::isStructuredScanPayload(const QString &raw)
{
    const QString text = raw.trimmed();
    const qsizetype open = text.indexOf(u'{');
    return open >= 0 && text.indexOf(u'}', open + 1) > open;
}

bool ScanRecognizers::isPlainOrderOrWarehouseScan(const QString &raw)
{
    const QString text = raw.trimmed();
    if (text.isEmpty() || isConsumableWallPayload(text) || isStructuredScanPayload(text))
        return false;
    static const QRegularExpression productionCode = caseless(QStringLiteral(
        "^P[0-9]{2}[23456789ABCDEFGHJKLMNPQRSTUVWXYZ]{7}(?:[-_\\s]?[0-9]{1,2})?$"));
    static const QRegularExpression fiveDigits(QStringLiteral("[0-9]{5}"));
    static const QRegularExpression marketplaceNumber =
        caseless(QStringLiteral("^(?:WB|OZON|OZN|YANDEX|YM)[\\s:_-]*[A-Za-z0-9-]{3,}$"));
    static const QRegularExpression article = caseless(QStringLiteral(
        "^[A-Za-zА-Яа-я]{2,}_[A-Za-zА-Яа-я0-9]+_[A-Za-zА-Яа-я0-9xх]+$"));
    for (const QRegularExpression *pattern : {&productionCode, &fiveDigits, &marketplaceNumber, &article}) {
        if (pattern->match(text).hasMatch())
            return true;
    }
    return false;
}

// ---- The server's verdict --------------------------------------------------------------

bool ScanRecognizers::orderScanResultAllowsPrint(const QString &result, const QString &message,
                                                 const QVariantMap &details)
{
    // The server's explicit word wins; a value of a strange type means no.
    for (const char *key : {"labelPrintAllowed", "label_print_allowed"}) {
        const auto it = details.constFind(QLatin1String(key));
        if (it != details.constEnd())
            return variantToBool(*it, false);
    }
    const QString code = result.trimmed().toLower();
    const QString text = message.toLower();
    if (code == u"cancelled" || code == u"canceled")
        return false;
    for (const char *word : {"отмен", "cancelled", "canceled"}) {
        if (text.contains(QString::fromUtf8(word)))
            return false;
    }
    for (const char *printable : {"packed", "stock_in", "duplicate", "already_closed", "already_packed"}) {
        if (code == QLatin1String(printable))
            return true;
    }
    if (text.contains(QStringLiteral("уже был закрыт")) || text.contains(QStringLiteral("уже закрыт")))
        return true;
    return text.contains(QLatin1String("already"))
           && (text.contains(QLatin1String("closed")) || text.contains(QLatin1String("packed")));
}

QString ScanRecognizers::orderPrintCode(const QString &scan, const QVariantMap &details)
{
    return variantFirstText(details,
                            {"printCode", "productionCode", "production_code", "datamatrix", "dataMatrix",
                             "data_matrix", "rawScan", "raw_scan", "scanUid", "scan_uid", "legacyUid",
                             "legacy_uid"},
                            scan.trimmed());
}

QString ScanRecognizers::warehousePrintCode(const QString &scan, const QString &recorded,
                                            const QVariantMap &details)
{
    const QString code = variantFirstText(details, {"printCode"}, recorded.trimmed());
    return code.isEmpty() ? scan.trimmed() : code;
}
