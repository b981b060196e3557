#include "production/ScanReplyJudge.h"

#include "common/JsonRead.h"
#include "common/NumberClamp.h"
#include "production/OrderScanCodes.h"

#include <QStringList>

namespace {

QString firstText(const QJsonObject &r, JsonKeys keys)
{
    return jsonFirstText(r, keys);
}

// "Заказы: %1" with the server's text, or the fixed wording without one.
QString serverOr(const QString &serverMessage, const QString &fallback)
{
    return serverMessage.isEmpty() ? fallback
                                   : QStringLiteral("Заказы: %1").arg(serverMessage);
}

int firstStripNumber(const QJsonObject &r)
{
    for (const char *key : {"strip_no", "stripNo", "strip"}) {
        const QJsonValue value = r.value(QLatin1String(key));
        if (value.isUndefined() || value.isNull())
            continue;
        if (value.isDouble())
            return clampToInt(value.toDouble());
        bool ok = false;
        const int number = jsonToText(value).toInt(&ok);
        if (ok)
            return number;
    }
    return 0;
}

} // namespace

QString ScanReplyJudge::marketplaceSuffix(const QJsonObject &result)
{
    const QJsonObject pack = result.value(QLatin1String("marketplace_pack")).toObject();
    const QString status = jsonToText(pack.value(QLatin1String("status"))).toLower();
    if (status == u"ok") {
        const QString market = jsonToText(pack.value(QLatin1String("marketplace")));
        return market.isEmpty() ? QStringLiteral(", маркетплейс обновлён")
                                : QStringLiteral(", %1 обновлён").arg(market);
    }
    if (status == u"waiting")
        return QStringLiteral(", маркетплейс ждёт остальные места");
    if (status == u"error")
        return QStringLiteral(", но маркетплейс не принял обновление");
    return {};
}

void ScanReplyJudge::putEmployeeKeys(QVariantMap &map, const QString &employeeId)
{
    for (const char *key : {"employee_id", "employeeId", "emp_id", "empId", "active_employee_id",
                            "activeEmployeeId", "cut_operator_id", "cutOperatorId", "cutter_id"})
        map.insert(QLatin1String(key), employeeId);
}

ScanVerdict ScanReplyJudge::judge(const QJsonObject &reply, const QString &raw,
                                  const QString &employeeId, const QVariantMap &context)
{
    const QJsonObject r = reply.value(QLatin1String("result")).toObject();

    const QString code = jsonToText(r.value(QLatin1String("result")));
    const QString action = jsonToText(r.value(QLatin1String("action")));
    const bool replyOk = r.contains(QLatin1String("ok"))
                             ? jsonToBool(r.value(QLatin1String("ok")), false)
                             : true;
    const QString orderKey = jsonToText(r.value(QLatin1String("order_key")));
    const QString serverMessage = r.contains(QLatin1String("message"))
                                      ? jsonToText(r.value(QLatin1String("message")))
                                      : jsonToText(reply.value(QLatin1String("message")));

    QString productionCode = OrderScanCodes::productionCodeIn(
        firstText(r, {"production_code", "productionCode", "datamatrix", "dataMatrix",
                      "data_matrix", "production_code_raw", "productionCodeRaw"}));
    if (productionCode.isEmpty())
        productionCode = OrderScanCodes::productionCodeIn(raw);
    if (productionCode.isEmpty())
        productionCode = OrderScanCodes::productionCodeIn(
            firstText(r, {"raw_scan", "rawScan", "raw", "scan", "barcode"}));
    const QString legacyUid = firstText(r, {"legacy_uid", "legacyUid"});
    const QString scanUid = firstText(r, {"scan_uid", "scanUid", "uid", "unique_no", "uniqueNo"});
    if (productionCode.isEmpty())
        productionCode = OrderScanCodes::productionCodeIn(scanUid);
    const QString printCode =
        firstText(r, {"print_code", "printCode", "target_order_scan_raw", "targetOrderScanRaw"});
    QString targetCode = printCode;
    for (const QString &candidate : {productionCode, legacyUid, scanUid, raw}) {
        if (!targetCode.isEmpty())
            break;
        targetCode = candidate;
    }
    const int stripNo = firstStripNumber(r);
    const QString source =
        firstText(r, {"source", "marketplace", "production_source", "productionSource"});
    const QString printer = firstText(
        r, {"printer", "printer_code", "printerCode", "production_printer", "productionPrinter"});
    const QString sku = firstText(r, {"sku", "article", "title", "maket", "name"});
    const bool warehouseExpense =
        jsonToBool(jsonFirstValue(r, {"warehouse_expense_scan", "warehouseExpenseScan"}), false);
    const QString stockScanSku = firstText(r, {"stock_scan_sku", "stockScanSku"});
    const QString stockScanWarehouse = firstText(
        r, {"stock_scan_warehouse", "stockScanWarehouse", "writeoff_source", "writeoffSource"});
    const QString expenseSection = firstText(r, {"expense_section_code", "expenseSectionCode"});

    ScanVerdict v;
    v.result = code;
    const bool printAction = action == u"print_label";
    if (printAction && code.isEmpty())
        v.result = QStringLiteral("packed");

    if (warehouseExpense && (code == u"packed" || printAction || code == u"pack_pending")) {
        v.ok = true;
        const QString skuText = stockScanSku.isEmpty() ? sku : stockScanSku;
        QString where = stockScanWarehouse;
        if (!expenseSection.isEmpty())
            where = where.isEmpty() ? expenseSection
                                    : where + QStringLiteral(" · ") + expenseSection;
        const QString whereText = where.isEmpty() ? QString() : QStringLiteral(" · ") + where;
        const QString sourceText = source.isEmpty() ? QString() : QStringLiteral(" ") + source;
        v.message = skuText.isEmpty()
                        ? QStringLiteral("Расход подтверждён. Печатаю%1 этикетку…").arg(sourceText)
                        : QStringLiteral("Расход: %1%2. Печатаю%3 этикетку…")
                              .arg(skuText, whereText, sourceText);
        v.message += marketplaceSuffix(r);
    } else if (code == u"expense_not_found") {
        v.ok = false;
        v.message = serverMessage.isEmpty()
                        ? QStringLiteral("Расход: для этого SKU нет ожидающей этикетки. "
                                         "Ничего не напечатано.")
                        : QStringLiteral("Расход: %1").arg(serverMessage);
    } else if (code == u"packed" || printAction || code == u"pack_pending") {
        v.ok = true;
        v.message = orderKey.isEmpty()
                        ? QStringLiteral("Заказы: скан подтверждён сервером. Печатаю этикетку…")
                        : QStringLiteral("Заказы: скан подтверждён сервером (%1). Печатаю этикетку…")
                              .arg(orderKey);
        v.message += marketplaceSuffix(r);
    } else if (code == u"stock_in") {
        v.ok = true;
        v.message = serverOr(serverMessage, QStringLiteral("Заказы: приход на склад принят сервером"));
    } else if (code == u"cancelled" || code == u"canceled") {
        v.ok = false;
        v.result = QStringLiteral("cancelled");
        v.message = serverOr(serverMessage,
                             QStringLiteral("Заказы: заказ отменён, печать остановлена"));
    } else if (code == u"duplicate") {
        v.ok = true;
        v.message = serverOr(serverMessage, QStringLiteral("Заказы: этот скан уже был закрыт ранее"));
    } else if (code == u"not_found") {
        v.ok = false;
        v.message = serverOr(serverMessage,
                             QStringLiteral("Заказы: код не найден на сервере. Этикетка не напечатана."));
    } else if (!replyOk || code == u"invalid_signature") {
        v.ok = false;
        v.message = serverOr(serverMessage,
                             QStringLiteral("Заказы: скан не подтверждён. Этикетка не напечатана."));
    } else {
        v.ok = true;
        v.message = serverOr(serverMessage,
                             QStringLiteral("Заказы: скан подтверждён сервером. Печатаю этикетку…"));
        if (v.result.isEmpty())
            v.result = QStringLiteral("accepted");
    }

    static const QStringList printableResults = {
        QStringLiteral("packed"), QStringLiteral("duplicate"), QStringLiteral("stock_in"),
        QStringLiteral("already_closed"), QStringLiteral("already_packed")};
    v.labelPrintAllowed = replyOk && v.ok && (printableResults.contains(v.result) || printAction);

    QVariantMap &d = v.details;
    d = r.toVariantMap();
    for (auto it = context.constBegin(); it != context.constEnd(); ++it) {
        if (!it.key().trimmed().isEmpty() && it.value().isValid())
            d.insert(it.key().trimmed(), it.value());
    }
    auto both = [&d](const char *a, const char *b, const QVariant &value) {
        d.insert(QLatin1String(a), value);
        d.insert(QLatin1String(b), value);
    };
    both("rawScan", "raw_scan", raw);
    both("printCode", "print_code", targetCode);
    both("warehouseExpenseScan", "warehouse_expense_scan", warehouseExpense);
    both("physicalScanRaw", "physical_scan_raw", raw);
    both("stockScanSku", "stock_scan_sku", stockScanSku);
    both("stockScanWarehouse", "stock_scan_warehouse", stockScanWarehouse);
    both("expenseSectionCode", "expense_section_code", expenseSection);
    both("productionCode", "production_code", productionCode);
    both("datamatrix", "dataMatrix", productionCode);
    both("legacyUid", "legacy_uid", legacyUid);
    both("scanUid", "scan_uid", scanUid);
    both("stripNo", "strip_no", stripNo);
    d.insert(QStringLiteral("source"), source);
    d.insert(QStringLiteral("printer"), printer);
    d.insert(QStringLiteral("sku"), sku);
    both("serverResult", "server_result", v.result);
    both("labelPrintAllowed", "label_print_allowed", v.labelPrintAllowed);
    if (!employeeId.isEmpty())
        putEmployeeKeys(d, employeeId);

    QStringList items{QStringLiteral("raw_scan=%1").arg(raw),
                      QStringLiteral("server_result=%1").arg(v.result)};
    auto addIf = [&items](const char *name, const QString &value) {
        if (!value.isEmpty())
            items << QStringLiteral("%1=%2").arg(QLatin1String(name), value);
    };
    addIf("production_code", productionCode);
    addIf("legacy_uid", legacyUid);
    if (stripNo >= 1)
        items << QStringLiteral("strip_no=%1").arg(stripNo);
    addIf("sku", sku);
    addIf("source", source);
    addIf("printer", printer);
    if (warehouseExpense)
        items << QStringLiteral("warehouse_expense_scan=true");
    addIf("stock_scan_sku", stockScanSku);
    addIf("stock_scan_warehouse", stockScanWarehouse);
    addIf("expense_section", expenseSection);
    addIf("target_print_code", printCode);
    items << QStringLiteral("label_print_allowed=%1")
                 .arg(v.labelPrintAllowed ? QStringLiteral("true") : QStringLiteral("false"));
    v.diagnosticLine = items.join(QStringLiteral("; "));
    return v;
}
