#include "serverlink/ServerLinkSandbox.h"

#include "DemoScanOrders.h"
#include "production/OrderScanCodes.h"
#include "production/OrdersApiService.h"
#include "production/OrdersModel.h"
#include "production/ScanReplyJudge.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

namespace {

QJsonObject replyWith(const QJsonObject &result)
{
    return QJsonObject{{"ok", true}, {"result", result}};
}

struct ScanOutcome
{
    QString result;
    bool ok = false;
    QString message;
    QVariantMap details;
};

} // namespace

class OrdersScanTest : public QObject
{
    Q_OBJECT

private:
    // One scan through the service against the devserver; the detailed answer.
    static ScanOutcome scan(OrdersApiService &api, const QString &raw,
                            const QString &employeeId = QString(), const QVariantMap &context = {})
    {
        QSignalSpy detailed(&api, &OrdersApiService::scanResultDetailed);
        api.processScan(raw, employeeId, context);
        if (detailed.isEmpty() && !detailed.wait(10000))
            return {};
        const QList<QVariant> args = detailed.takeFirst();
        return {args.at(1).toString(), args.at(2).toBool(), args.at(3).toString(), args.at(4).toMap()};
    }

    static QJsonObject lastEventPayload(ServerLinkSandbox &box)
    {
        const QJsonArray entries = box.requests(QStringLiteral("/api/client-event"));
        return entries.isEmpty() ? QJsonObject()
                                 : entries.last().toObject().value("body").toObject()
                                       .value("payload").toObject();
    }

private Q_SLOTS:
    void scanCodeDerivation()
    {
        OrderScanCodes c = OrderScanCodes::derive(QStringLiteral(" p01abcdefg-3 "));
        QCOMPARE(c.productionCode, QStringLiteral("P01ABCDEFG"));
        QCOMPARE(c.stripNo, 3);
        QVERIFY(c.legacyUid.isEmpty());

        c = OrderScanCodes::derive(QStringLiteral("123456-07"));
        QCOMPARE(c.legacyUid, QStringLiteral("123456"));
        QCOMPARE(c.stripNo, 7);
        QVERIFY(c.productionCode.isEmpty());

        c = OrderScanCodes::derive(QStringLiteral("123456"));
        QCOMPARE(c.legacyUid, QStringLiteral("123456"));
        QCOMPARE(c.stripNo, 0);

        c = OrderScanCodes::derive(QStringLiteral("123456 7"));
        QCOMPARE(c.legacyUid, QStringLiteral("123456"));
        QCOMPARE(c.stripNo, 7);

        // The code's alphabet is extractProductionCode's (tst_common).
        // Anywhere in the scan; no strip number when text follows.
        c = OrderScanCodes::derive(QStringLiteral("https://x/?c=P01PACK2WB&s=1"));
        QCOMPARE(c.productionCode, QStringLiteral("P01PACK2WB"));
        QCOMPARE(c.stripNo, 0);
        QVERIFY(OrderScanCodes::derive(QStringLiteral("12")).legacyUid.isEmpty());
        QVERIFY(OrderScanCodes::derive(QStringLiteral("123456-123")).legacyUid.isEmpty());
        QCOMPARE(OrderScanCodes::derive(QStringLiteral("P01PACK2WB12")).stripNo, 12);

        // What the scan event carries.
        const QJsonObject payload = OrdersApiService::scanPayload(
            QStringLiteral(" 123456_7 "), QStringLiteral("emp-9"),
            {{"scanner_id", "scanner2"}, {"workplace_id", "cutter_2"}, {"blank", "  "},
             {" ", "x"}, {"none", QVariant()}});
        for (const char *key : {"raw_scan", "rawScan", "raw", "scan", "uid", "barcode"})
            QCOMPARE(payload.value(key).toString(), QStringLiteral("123456_7"));
        QCOMPARE(payload.value("legacy_uid").toString(), QStringLiteral("123456"));
        QCOMPARE(payload.value("scanUid").toString(), QStringLiteral("123456"));
        QVERIFY(!payload.contains("production_code"));
        QCOMPARE(payload.value("strip_no").toInt(), 7);
        QCOMPARE(payload.value("cutter_id").toString(), QStringLiteral("emp-9"));
        QCOMPARE(payload.value("activeEmployeeId").toString(), QStringLiteral("emp-9"));
        QCOMPARE(payload.value("workplace_id").toString(), QStringLiteral("cutter_2"));
        QVERIFY(!payload.contains("blank"));
        QVERIFY(!payload.contains("none"));
        QVERIFY(payload.value("ts").toString().endsWith(u'Z'));
    }

    void replyRules()
    {
        const QString raw = QStringLiteral("P01PACK2WB");
        // Rule 1 and 4: print_label without a result is "packed".
        ScanVerdict v = ScanReplyJudge::judge(replyWith({{"action", "print_label"}}), raw, {}, {});
        QCOMPARE(v.result, QStringLiteral("packed"));
        QVERIFY(v.ok);
        QVERIFY(v.labelPrintAllowed);
        QCOMPARE(v.message, QStringLiteral("Заказы: скан подтверждён сервером. Печатаю этикетку…"));

        // Rule 4 with the order key and the marketplace suffixes.
        QJsonObject r{{"result", "packed"}, {"order_key", "wb-1"},
                      {"marketplace_pack", QJsonObject{{"status", "ok"}, {"marketplace", "WB"}}}};
        v = ScanReplyJudge::judge(replyWith(r), raw, {}, {});
        QCOMPARE(v.message, QStringLiteral("Заказы: скан подтверждён сервером (wb-1). Печатаю этикетку…, WB обновлён"));
        r["marketplace_pack"] = QJsonObject{{"status", "ok"}};
        QVERIFY(ScanReplyJudge::judge(replyWith(r), raw, {}, {}).message.endsWith(", маркетплейс обновлён"));
        r["marketplace_pack"] = QJsonObject{{"status", "waiting"}};
        QVERIFY(ScanReplyJudge::judge(replyWith(r), raw, {}, {}).message.endsWith(", маркетплейс ждёт остальные места"));
        r["marketplace_pack"] = QJsonObject{{"status", "error"}};
        QVERIFY(ScanReplyJudge::judge(replyWith(r), raw, {}, {}).message.endsWith(", но маркетплейс не принял обновление"));

        // "ok" false with "packed": rule 4 still applies but no label.
        v = ScanReplyJudge::judge(replyWith({{"result", "packed"}, {"ok", false}}), raw, {}, {});
        QVERIFY(v.ok);
        QVERIFY(!v.labelPrintAllowed);
        QCOMPARE(v.details.value("label_print_allowed").toBool(), false);

        // Rule 2: warehouse expense.
        v = ScanReplyJudge::judge(replyWith({{"result", "pack_pending"}, {"warehouse_expense_scan", true},
                                             {"stock_scan_sku", "OB-ROSE"}, {"stock_scan_warehouse", "Склад WB"},
                                             {"expense_section_code", "A3"}, {"source", "WB"}}),
                                  raw, {}, {});
        QVERIFY(v.ok);
        QCOMPARE(v.message, QStringLiteral("Расход: OB-ROSE · Склад WB · A3. Печатаю WB этикетку…"));
        QVERIFY(!v.labelPrintAllowed); // pack_pending is not a label result
        v = ScanReplyJudge::judge(replyWith({{"action", "print_label"}, {"warehouseExpenseScan", true}}), raw, {}, {});
        QCOMPARE(v.message, QStringLiteral("Расход подтверждён. Печатаю этикетку…"));
        QVERIFY(v.labelPrintAllowed);

        // Rules 3, 5-10 with and without the server's message.
        struct Case { const char *code; const char *message; const char *result; bool ok; bool label; const char *text; };
        const Case cases[] = {
            {"expense_not_found", "", "expense_not_found", false, false,
             "Расход: для этого SKU нет ожидающей этикетки. Ничего не напечатано."},
            {"expense_not_found", "нет SKU", "expense_not_found", false, false, "Расход: нет SKU"},
            {"stock_in", "", "stock_in", true, true, "Заказы: приход на склад принят сервером"},
            {"canceled", "", "cancelled", false, false, "Заказы: заказ отменён, печать остановлена"},
            {"cancelled", "отмена", "cancelled", false, false, "Заказы: отмена"},
            {"duplicate", "", "duplicate", true, true, "Заказы: этот скан уже был закрыт ранее"},
            {"not_found", "", "not_found", false, false,
             "Заказы: код не найден на сервере. Этикетка не напечатана."},
            {"invalid_signature", "", "invalid_signature", false, false,
             "Заказы: скан не подтверждён. Этикетка не напечатана."},
            {"", "", "accepted", true, false, "Заказы: скан подтверждён сервером. Печатаю этикетку…"},
            {"already_packed", "ок", "already_packed", true, true, "Заказы: ок"},
        };
        for (const Case &c : cases) {
            QJsonObject result{{"result", c.code}};
            if (*c.message)
                result.insert("message", QString::fromUtf8(c.message));
            v = ScanReplyJudge::judge(replyWith(result), raw, {}, {});
            QCOMPARE(v.result, QLatin1String(c.result));
            QCOMPARE(v.ok, c.ok);
            QCOMPARE(v.labelPrintAllowed, c.label);
            QCOMPARE(v.message, QString::fromUtf8(c.text));
        }
        // Rule 9 by "ok" false; the top-level message is used when the result has none.
        QJsonObject rejected{{"ok", true}, {"message", "подпись"}, {"result", QJsonObject{{"ok", false}}}};
        v = ScanReplyJudge::judge(rejected, raw, {}, {});
        QVERIFY(!v.ok);
        QCOMPARE(v.message, QStringLiteral("Заказы: подпись"));

        // Details and diagnostic line.
        v = ScanReplyJudge::judge(
            replyWith({{"result", "packed"}, {"legacy_uid", "512345"}, {"strip_no", "2"}, {"sku", "OB-1"},
                       {"printer", "Mimaki"}, {"print_code", "512345-2"}, {"source", "WB"}}),
            QStringLiteral("512345 2"), QStringLiteral("e7"), {{"scanner_id", "scanner3"}});
        QCOMPARE(v.details.value("printCode").toString(), QStringLiteral("512345-2"));
        QCOMPARE(v.details.value("legacyUid").toString(), QStringLiteral("512345"));
        QCOMPARE(v.details.value("stripNo").toInt(), 2);
        QCOMPARE(v.details.value("scanner_id").toString(), QStringLiteral("scanner3"));
        QCOMPARE(v.details.value("cut_operator_id").toString(), QStringLiteral("e7"));
        QCOMPARE(v.details.value("serverResult").toString(), QStringLiteral("packed"));
        QCOMPARE(v.details.value("physical_scan_raw").toString(), QStringLiteral("512345 2"));
        QCOMPARE(v.diagnosticLine,
                 QStringLiteral("raw_scan=512345 2; server_result=packed; legacy_uid=512345; strip_no=2; "
                                "sku=OB-1; source=WB; printer=Mimaki; target_print_code=512345-2; "
                                "label_print_allowed=true"));
        // The production code falls back to the raw scan; the target code to the code.
        v = ScanReplyJudge::judge(replyWith({{"result", "duplicate"}}), QStringLiteral("x p01pack2wb"), {}, {});
        QCOMPARE(v.details.value("production_code").toString(), QStringLiteral("P01PACK2WB"));
        QCOMPARE(v.details.value("print_code").toString(), QStringLiteral("P01PACK2WB"));
    }

    void scansAgainstServer()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        OrdersModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        OrdersApiService api(box.settings.get(), &box.eventLog, &model);
        QCOMPARE(api.statusText(), QStringLiteral("Заказы: готовы"));

        ScanOutcome o = scan(api, QString::fromLatin1(DemoScan::kPackedWb), QStringLiteral("emp-1"),
                             {{"scanner_id", "scanner"}, {"workplace_id", "cutter_1"}});
        QCOMPARE(o.result, QStringLiteral("packed"));
        QVERIFY(o.ok);
        QVERIFY(o.details.value("labelPrintAllowed").toBool());
        QVERIFY(o.message.endsWith(", WB обновлён"));
        QCOMPARE(o.details.value("production_code").toString(), QString::fromLatin1(DemoScan::kPackedWb));
        QVERIFY(model.count() > 0); // the reply's orders reached the model
        QVERIFY(box.hasLogEntry(QStringLiteral("Заказы: raw_scan=P01PACK2WB")));
        QCOMPARE(api.statusText(), o.message);
        QVERIFY(!api.busy());
        QJsonObject payload = lastEventPayload(box);
        QCOMPARE(payload.value("tenant_id").toString(), QStringLiteral("demo"));
        QCOMPARE(payload.value("device_id").toString(), QStringLiteral("demo-pc"));
        QVERIFY(payload.contains("client_ts"));
        QCOMPARE(payload.value("productionCode").toString(), QString::fromLatin1(DemoScan::kPackedWb));
        QCOMPARE(payload.value("workplace_id").toString(), QStringLiteral("cutter_1"));
        QCOMPARE(payload.value("emp_id").toString(), QStringLiteral("emp-1"));

        // The same code again is a duplicate, still printable.
        o = scan(api, QString::fromLatin1(DemoScan::kPackedWb));
        QCOMPARE(o.result, QStringLiteral("duplicate"));
        QVERIFY(o.details.value("labelPrintAllowed").toBool());

        o = scan(api, QStringLiteral("P01ZZZZZZZ"));
        QCOMPARE(o.result, QStringLiteral("not_found"));
        QVERIFY(!o.ok);
        QVERIFY(box.hasLogEntry(QStringLiteral("Заказы: код не найден на сервере. Этикетка не напечатана.")));

        o = scan(api, QStringLiteral("%1-2").arg(QLatin1String(DemoScan::kLegacyNew)));
        QCOMPARE(o.result, QStringLiteral("packed"));
        QCOMPARE(o.details.value("legacy_uid").toString(), QString::fromLatin1(DemoScan::kLegacyNew));
        QCOMPARE(lastEventPayload(box).value("strip_no").toInt(), 2);
        o = scan(api, QString::fromLatin1(DemoScan::kLegacyPacked));
        QCOMPARE(o.result, QStringLiteral("duplicate"));

        // Failures: a dropped connection, a non-JSON answer, a rejection.
        // (Qt resends once on a dropped keep-alive connection: the switch stays on.)
        box.fault({{"path", "/api/client-event"}, {"drop", true}});
        o = scan(api, QString::fromLatin1(DemoScan::kDuplicate));
        box.server.faults().clear();
        QCOMPARE(o.result, QStringLiteral("error"));
        QVERIFY(o.message.startsWith(QStringLiteral("Заказы: нет ответа от сервера. Этикетка не напечатана: ")));
        QCOMPARE(o.details.size(), 1);
        box.fault({{"path", "/api/client-event"}, {"status", 200}, {"body", "<html>"}, {"times", 1}});
        o = scan(api, QString::fromLatin1(DemoScan::kDuplicate));
        QCOMPARE(o.message, QStringLiteral("Заказы: пришёл некорректный ответ"));
        box.fault({{"path", "/api/client-event"}, {"status", 200}, {"times", 1},
                   {"json", QJsonObject{{"ok", false}, {"error", "bad_request"}}}});
        const int rowsBefore = model.count();
        o = scan(api, QString::fromLatin1(DemoScan::kDuplicate));
        QCOMPARE(o.message, QStringLiteral("Заказы: скан отклонён: сервер отклонил переданные данные"));
        QCOMPARE(model.count(), rowsBefore);

        // No endpoint: nothing is sent.
        box.settings->setEventEndpoint(QStringLiteral(" "));
        box.settings->setServerUrl(QString());
        QSignalSpy results(&api, &OrdersApiService::scanResult);
        const int sent = box.requests(QStringLiteral("/api/client-event")).size();
        api.processScan(QStringLiteral("P01PACK2WB"), QString(), {});
        QCOMPARE(results.count(), 1);
        QCOMPARE(results.first().at(1).toString(), QStringLiteral("error"));
        QCOMPARE(api.statusText(), QStringLiteral("Заказы: адрес обмена не настроен"));
        QCOMPARE(box.requests(QStringLiteral("/api/client-event")).size(), sent);
    }

    void editsShowInLaterSnapshots()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        OrdersModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        OrdersApiService api(box.settings.get(), &box.eventLog, &model);
        QSignalSpy handled(&api, &OrdersApiService::scanHandled);
        const auto waitOk = [&]() {
            if (handled.isEmpty() && !handled.wait(10000))
                return false;
            return handled.takeFirst().at(1).toBool();
        };
        const qint64 revision = box.demoTenant().revision;

        api.upsertOrder({{"marketplace", "WB"}, {"sku", "OB-NEW-1"}, {"title", "Новая строка"}, {"qty", 1}});
        QCOMPARE(api.statusText(), QStringLiteral("Заказы: сохраняем строку..."));
        QVERIFY(waitOk());
        QCOMPARE(api.statusText(), QStringLiteral("Заказы: строка сохранена"));
        QVERIFY(box.demoTenant().revision > revision);
        int found = -1;
        for (int i = 0; i < model.count(); ++i)
            if (model.rowAt(i).value("sku") == QStringLiteral("OB-NEW-1"))
                found = i;
        QVERIFY(found >= 0);
        const QString key = model.data(model.index(found), OrdersModel::KeyRole).toString();
        QVERIFY(!key.isEmpty());

        api.updateOrderField(key, QStringLiteral("comment"), QStringLiteral("срочно"));
        QVERIFY(waitOk());
        QCOMPARE(api.statusText(), QStringLiteral("Заказы: ячейка сохранена"));
        QCOMPARE(box.demoTenant().data.value("orders").toObject().value("items").toArray()
                     .at(found).toObject().value("comment").toString(), QStringLiteral("срочно"));

        api.upsertReprint({{"sku", "OB-NEW-1"}, {"reason", "полосы"}});
        QVERIFY(waitOk());
        const int reprints = model.reprints().size();
        api.upsertPrintQueue({{"queue_key", "q-test"}, {"title", "рулон"}});
        QVERIFY(waitOk());
        api.rebuildPrintQueue(QStringLiteral(" Mimaki "));
        QCOMPARE(api.statusText(), QStringLiteral("Очередь: собираем рулон Mimaki на сервере..."));
        QVERIFY(waitOk());
        api.deletePrintQueue(QStringLiteral("q-test"));
        QVERIFY(waitOk());
        QCOMPARE(api.statusText(), QStringLiteral("Очередь: задание удалено"));
        api.updateFboPlan(QStringLiteral("plan-1"), QStringLiteral(" wb "), QStringLiteral("OB-LOFT-200"),
                          true, -5, 3, -1);
        QVERIFY(waitOk());
        const QJsonObject fboPayload = lastEventPayload(box);
        QCOMPARE(fboPayload.value("marketplace").toString(), QStringLiteral("WB"));
        QCOMPARE(fboPayload.value("manual_prio").toInt(), 0);
        QCOMPARE(fboPayload.value("manualPrio").toInt(), 0);
        QCOMPARE(fboPayload.value("inProd").toInt(), 3);
        QCOMPARE(fboPayload.value("local_stock").toInt(), 0);
        api.rebuildProduction(true);
        QVERIFY(waitOk());
        QCOMPARE(lastEventPayload(box).value("forceStats").toBool(), true);
        api.syncProductReference();
        QVERIFY(waitOk());
        QCOMPARE(api.statusText(), QStringLiteral("FBO: справочник артикулов обновлен"));

        api.deleteOrder(key);
        QVERIFY(waitOk());
        QCOMPARE(api.statusText(), QStringLiteral("Заказы: строка удалена"));
        for (int i = 0; i < model.count(); ++i)
            QVERIFY(model.rowAt(i).value("key").toString() != key);
        QCOMPARE(model.reprints().size(), reprints);

        // Deleting twice: the server rejects, the model stays.
        const int rows = model.count();
        api.deleteOrder(key);
        QVERIFY(!waitOk());
        QCOMPARE(api.statusText(),
                 QStringLiteral("Заказы: операция отклонена: Строка не найдена"));
        QCOMPARE(model.count(), rows);

        // Preconditions send nothing.
        const int sent = box.requests(QStringLiteral("/api/client-event")).size();
        api.deleteOrder(QStringLiteral("   "));
        QCOMPARE(api.statusText(), QStringLiteral("Заказы: не выбрана строка для удаления"));
        api.deleteReprint(QString());
        QCOMPARE(api.statusText(), QStringLiteral("Перепечать: не выбрана строка для удаления"));
        api.updateOrderField(key, QStringLiteral(" "), 1);
        QCOMPARE(api.statusText(), QStringLiteral("Заказы: не выбрана ячейка для изменения"));
        api.rebuildPrintQueue(QString());
        QCOMPARE(api.statusText(), QStringLiteral("Очередь: не выбран принтер"));
        QCOMPARE(box.requests(QStringLiteral("/api/client-event")).size(), sent);
        QVERIFY(box.hasLogEntry(QStringLiteral("Очередь: не выбран принтер")));

        // A transport failure of an edit.
        box.fault({{"path", "/api/client-event"}, {"drop", true}});
        api.syncProductReference();
        QVERIFY(!waitOk());
        box.server.faults().clear();
        QVERIFY(api.statusText().startsWith(QStringLiteral("Заказы: не удалось обновить данные: ")));

        api.refresh();
        QCOMPARE(api.statusText(), QStringLiteral("Заказы обновляются общей синронизацией"));
    }
};

QTEST_GUILESS_MAIN(OrdersScanTest)
#include "OrdersScanTest.moc"
