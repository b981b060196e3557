// The scan router over the real services against the in-process devserver: the road a
// scan takes by its kind and the page shown, the per-scanner workplace and employee of
// two cutters on one PC, and what the server's verdict prints.
#include "ScanStation.h"

#include "DemoScanOrders.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr int kWait = 15000;

const QString kWarehouseCode = QStringLiteral("204598765432");
const QString kWarehouseFile = QStringLiteral("Море-60x40_row_204598765432.png");

QString text(const QJsonObject &object, const char *key)
{
    return object.value(QLatin1String(key)).toString();
}

} // namespace

class ScanRouterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initialState()
    {
        ScanStation st;
        ScanRouter &r = *st.router;
        QCOMPARE(r.pageKey(), QStringLiteral("home"));
        QCOMPARE(r.suppliesMarket(), QStringLiteral("wb"));
        QCOMPARE(r.workplaceForScanner(QStringLiteral("scanner5")), QStringLiteral("cutter_5"));
        QCOMPARE(r.currentWarehouseModel(), st.warehouseWb.get());
        r.setWarehouseTab(QStringLiteral(" ym "));
        QCOMPARE(r.currentWarehouseModel(), st.warehouseYm.get());
        r.setWarehouseTab(QStringLiteral("ozon"));
        QCOMPARE(r.currentWarehouseModel(), st.warehouseOzon.get());

        QSignalSpy page(&r, &ScanRouter::pageKeyChanged);
        r.setPageKey(QStringLiteral(" orders "));
        r.setPageKey(QStringLiteral("orders"));
        QCOMPARE(page.size(), 1);
        QCOMPARE(r.pageKey(), QStringLiteral("orders"));
    }

    void routeByKindAndPage_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("scan");
        QTest::addColumn<QString>("road");
        QTest::newRow("home: order") << "home" << "P01PACK2WB" << "order";
        QTest::newRow("orders: order") << "orders" << "P01PACK2WB" << "order";
        QTest::newRow("another page: order") << "defects" << "anything at all" << "order";
        QTest::newRow("supplies: list") << "supplies" << "4601234567890" << "supply";
        QTest::newRow("warehouses: known file") << "warehouses" << kWarehouseCode << "warehouse";
        QTest::newRow("warehouses: unknown code") << "warehouses" << "999999999999" << "order";
        QTest::newRow("warehouses: unknown structured") << "warehouses" << R"({"sku":"X1"})" << "none";
        QTest::newRow("consumables: production code") << "consumables" << "P01PACK2WB" << "order";
        QTest::newRow("consumables: five digits") << "consumables" << "roll 77777" << "order";
        QTest::newRow("consumables: known file") << "consumables" << kWarehouseCode << "warehouse";
        QTest::newRow("consumables: other text") << "consumables" << "R-17 cell A" << "writeoff";
        QTest::newRow("any page: wall QR")
            << "orders" << R"(VORN_WALL:{"kind":"consumable_wall","tab_id":"tab_boxes","item_key":"s"})" << "wall";
        QTest::newRow("any page: RFID text") << "orders" << "rfid: 04A1B2C3D4" << "card";
        QTest::newRow("any page: tag text") << "orders" << "TAG:04A1B2C3D4:E001|Ирина" << "card";
        QTest::newRow("any page: blank") << "orders" << "  \t " << "none";
    }
    void routeByKindAndPage()
    {
        QFETCH(QString, page);
        QFETCH(QString, scan);
        QFETCH(QString, road);
        ScanStation st;
        ScanStation::label(st.wb, kWarehouseFile);
        st.router->setPageKey(page);
        st.router->setConsumablesTab(QStringLiteral("tab_materials"));
        QSignalSpy pending(st.router.get(), &ScanRouter::pendingWarehousePrintsChanged);

        st.router->handleHardwareScan(scan, QStringLiteral("scanner2"));

        const QString trimmed = scan.trimmed();
        if (road == u"order" || road == u"warehouse") {
            QTRY_COMPARE_WITH_TIMEOUT(st.orderScans().size(), 1, kWait);
            const QJsonObject sent = st.orderScans().constFirst();
            QCOMPARE(text(sent, "raw_scan"), trimmed);
            QCOMPARE(text(sent, "scanner_id"), QStringLiteral("scanner_2"));
            QCOMPARE(text(sent, "workplace_id"), QStringLiteral("cutter_2"));
            // A warehouse file waits for the server before it prints.
            QCOMPARE(pending.size() > 0, road == u"warehouse");
            QCOMPARE(st.journal.has(QStringLiteral("Склады: DM %1 отправлен на сервер, жду подтверждение...")
                                        .arg(trimmed)), road == u"warehouse");
        } else {
            st.box.requestsSoFar();
            QVERIFY(st.orderScans().isEmpty());
        }
        QCOMPARE(st.supplies->totalCount(), road == u"supply" ? 1 : 0);
        if (road == u"writeoff") {
            QTRY_COMPARE_WITH_TIMEOUT(st.events(QStringLiteral("material_writeoff_qr")).size(), 1, kWait);
            QCOMPARE(text(st.events(QStringLiteral("material_writeoff_qr")).constFirst(), "raw"), trimmed);
        }
        if (road == u"wall")
            QTRY_COMPARE_WITH_TIMEOUT(st.events(QStringLiteral("wall_writeoff")).size(), 1, kWait);
        if (road == u"card") {
            QTRY_COMPARE_WITH_TIMEOUT(st.events(QStringLiteral("rfid_inout")).size(), 1, kWait);
            QCOMPARE(text(st.events(QStringLiteral("rfid_inout")).constFirst(), "uid"), QStringLiteral("04A1B2C3D4"));
        }
        if (road == u"none") {
            st.box.requestsSoFar();
            QVERIFY(st.events(QStringLiteral("wall_writeoff")).isEmpty());
            QVERIFY(st.router->pendingWarehousePrints().isEmpty());
        }
    }

    void supplyListTakesTheChosenMarketplace()
    {
        ScanStation st;
        st.router->setPageKey(QStringLiteral("supplies"));
        st.router->setSuppliesMarket(QStringLiteral("ozon"));
        st.router->handleHardwareScan(QStringLiteral(" 4601234567890 "), QStringLiteral("scanner"));
        QCOMPARE(st.supplies->uniqueCount(), 1);
        QCOMPARE(st.supplies->data(st.supplies->index(0), SupplyListModel::MarketplaceRole).toString(),
                 QStringLiteral("ozon"));
        QCOMPARE(st.supplies->data(st.supplies->index(0), SupplyListModel::BarcodeRole).toString(),
                 QStringLiteral("4601234567890"));
    }

    void cutterQrBindsTheScanner()
    {
        ScanStation st;
        ScanRouter &r = *st.router;
        QSignalSpy workplaces(&r, &ScanRouter::scannerWorkplacesChanged);
        r.handleHardwareScan(QStringLiteral("CUTTER:2"), QStringLiteral("scanner3"));
        QCOMPARE(r.workplaceForScanner(QStringLiteral("scanner3")), QStringLiteral("cutter_2"));
        QVERIFY(st.journal.has(QStringLiteral("Сканер 3: выбран Резак 2")));
        r.handleHardwareScan(QStringLiteral("Резак #1"), QStringLiteral("scanner3"));
        QCOMPARE(r.workplaceForScanner(QStringLiteral("scanner3")), QStringLiteral("cutter_1"));
        r.handleHardwareScan(QStringLiteral("CUTTER:3"), QStringLiteral("scanner3"));
        QCOMPARE(r.workplaceForScanner(QStringLiteral("scanner3")), QStringLiteral("3"));
        QVERIFY(st.journal.has(QStringLiteral("Сканер 3: выбран 3")));
        QCOMPARE(workplaces.size(), 3);
        QCOMPARE(r.scannerWorkplaces().value("scanner").toString(), QStringLiteral("cutter_1"));
        QCOMPARE(r.scannerWorkplaces().value("scanner3").toString(), QStringLiteral("3"));
        // The same choice again changes nothing but is still confirmed.
        r.handleHardwareScan(QStringLiteral("CUTTER:3"), QStringLiteral("scanner3"));
        QCOMPARE(workplaces.size(), 3);
        QVERIFY(!r.setScannerWorkplace(QStringLiteral("scanner3"), QStringLiteral(" Ж ")));

        // A cutter JSON without an id is no cutter: it goes on down the chain to the orders.
        r.handleHardwareScan(QStringLiteral(R"({"kind":"cutter"})"), QStringLiteral("scanner3"));
        QTRY_COMPARE_WITH_TIMEOUT(st.orderScans().size(), 1, kWait);
        QCOMPARE(r.workplaceForScanner(QStringLiteral("scanner3")), QStringLiteral("3"));
        // No cutter QR, badge or page road ever beeps for nothing or sends nothing.
        QVERIFY(st.events(QStringLiteral("employee_qr_scan")).isEmpty());
    }

    // Two cutters on one PC: each scanner carries its own workplace and its own employee,
    // whoever the server thinks is active.
    void twoCuttersOnOnePc()
    {
        ScanStation st;
        ScanRouter &r = *st.router;
        r.setPageKey(QStringLiteral("orders"));
        // The demo's server-side cutter of "cutter_1" is E002; scanner 1 has no badge yet.
        QCOMPARE(st.employees->activeCutterIdForWorkplace(QStringLiteral("cutter_1")), QStringLiteral("E002"));
        QCOMPARE(r.activeScanEmployeeId(QStringLiteral("scanner")), QStringLiteral("E002"));

        r.handleHardwareScan(QStringLiteral("CUTTER:2"), QStringLiteral("scanner"));
        r.handleHardwareScan(st.employees->makeEmployeeQrPayload(QStringLiteral("E001")), QStringLiteral("scanner"));
        r.handleHardwareScan(QStringLiteral("CUTTER:1"), QStringLiteral("scanner2"));
        r.handleHardwareScan(st.employees->makeEmployeeQrPayload(QStringLiteral("E003")), QStringLiteral("scanner2"));
        QTRY_COMPARE_WITH_TIMEOUT(st.events(QStringLiteral("employee_qr_scan")).size(), 2, kWait);
        const QList<QJsonObject> badges = st.events(QStringLiteral("employee_qr_scan"));
        QCOMPARE(text(badges.at(0), "workplace_id"), QStringLiteral("cutter_2"));
        QCOMPARE(text(badges.at(0), "scanner_id"), QStringLiteral("scanner_1"));
        QCOMPARE(text(badges.at(1), "workplace_id"), QStringLiteral("cutter_1"));
        QCOMPARE(text(badges.at(1), "scanner_id"), QStringLiteral("scanner_2"));
        QCOMPARE(r.localActiveCutters().value("cutter_2").toMap().value("id").toString(), QStringLiteral("E001"));
        QCOMPARE(r.localActiveCutters().value("cutter_2").toMap().value("name").toString(),
                 st.employees->employeeNameById(QStringLiteral("E001")));
        QVERIFY(!r.localActiveCutters().value("cutter_1").toMap().value("ts").toString().isEmpty());

        r.handleHardwareScan(QLatin1String(DemoScan::kPackedWb), QStringLiteral("scanner"));
        r.handleHardwareScan(QLatin1String(DemoScan::kDuplicate), QStringLiteral("scanner2"));
        QTRY_COMPARE_WITH_TIMEOUT(st.orderScans().size(), 2, kWait);
        for (const QJsonObject &scan : st.orderScans()) {
            const bool first = text(scan, "raw_scan") == QLatin1String(DemoScan::kPackedWb);
            QCOMPARE(text(scan, "employee_id"), first ? QStringLiteral("E001") : QStringLiteral("E003"));
            QCOMPARE(text(scan, "workplace_id"), first ? QStringLiteral("cutter_2") : QStringLiteral("cutter_1"));
            QCOMPARE(text(scan, "cutterLabel"), first ? QStringLiteral("Резак 2") : QStringLiteral("Резак 1"));
            QCOMPARE(text(scan, "scanner_key"), first ? QStringLiteral("scanner") : QStringLiteral("scanner2"));
        }
    }

    void cardsWaitWhileTheEditorIsOpen()
    {
        ScanStation st;
        st.router->setEmployeeEditorOpen(true);
        st.router->handleRfidCard(QStringLiteral("04A1B2C3D4"), QString(), QStringLiteral("04A1B2C3D4"));
        st.box.requestsSoFar();
        QVERIFY(st.events(QStringLiteral("rfid_inout")).isEmpty());
        st.router->setEmployeeEditorOpen(false);
        st.router->handleRfidCard(QStringLiteral("04A1B2C3D4"), QStringLiteral("E001|x"), QStringLiteral("raw"));
        QTRY_COMPARE_WITH_TIMEOUT(st.events(QStringLiteral("rfid_inout")).size(), 1, kWait);
        QCOMPARE(text(st.events(QStringLiteral("rfid_inout")).constFirst(), "uid"), QStringLiteral("04A1B2C3D4"));
    }

    // The server's verdicts through the real orders service: what prints and what does not.
    void serverVerdictsPrint_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<int>("prints");
        QTest::newRow("packed") << QString::fromLatin1(DemoScan::kPackedWb) << 1;
        QTest::newRow("duplicate") << QString::fromLatin1(DemoScan::kDuplicate) << 1;
        QTest::newRow("cancelled") << QString::fromLatin1(DemoScan::kCancelled) << 0;
        QTest::newRow("unknown") << QStringLiteral("P01ZZZZ9ZZ") << 0;
    }
    void serverVerdictsPrint()
    {
        QFETCH(QString, scan);
        QFETCH(int, prints);
        ScanStation st;
        ScanStation::label(st.uidRoot, QStringLiteral("печать_%1.png").arg(scan));
        st.router->setPageKey(QStringLiteral("orders"));
        QSignalSpy verdicts(st.ordersApi.get(), &OrdersApiService::scanResultDetailed);
        st.router->handleHardwareScan(scan, QStringLiteral("scanner"));
        QVERIFY(verdicts.wait(kWait));
        QCOMPARE(st.uidPrints.size(), prints);
        if (prints)
            QVERIFY(st.uidPrints.constFirst().path.endsWith(QStringLiteral("печать_%1.png").arg(scan)));
    }

    // Answers the server never gives on its own: an explicit refusal, odd details.
    void detailsDecide_data()
    {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QVariantMap>("details");
        QTest::addColumn<bool>("printed");
        QTest::newRow("packed, printing refused") << "packed" << QVariantMap{{"labelPrintAllowed", false}} << false;
        QTest::newRow("error, no details") << "error" << QVariantMap() << false;
        QTest::newRow("packed, no details") << "packed" << QVariantMap() << true;
        QTest::newRow("print code of a strange type")
            << "packed" << QVariantMap{{"printCode", QVariantMap{{"a", 1}}}} << true;
    }
    void detailsDecide()
    {
        QFETCH(QString, result);
        QFETCH(QVariantMap, details);
        QFETCH(bool, printed);
        ScanStation st;
        ScanStation::label(st.uidRoot, QStringLiteral("P01PACK2WB.png"));
        st.router->handleOrderScanResult(QStringLiteral(" P01PACK2WB "), result, true, QString(), details);
        QCOMPARE(st.uidPrints.size(), printed ? 1 : 0);
        st.box.requestsSoFar();
        QVERIFY(st.orderScans().isEmpty());
    }

    // "not_found" for a code a warehouse file knows asks the server exactly once more.
    void notFoundRetriesTheWarehouseOnce()
    {
        ScanStation st;
        ScanStation::label(st.wb, kWarehouseFile);
        st.router->setPageKey(QStringLiteral("orders"));
        st.router->handleHardwareScan(kWarehouseCode, QStringLiteral("scanner2"));
        QTRY_VERIFY_WITH_TIMEOUT(st.journal.has(QStringLiteral("Склады: сервер не подтвердил %1. Печать остановлена.")
                                                    .arg(kWarehouseCode)), kWait);
        st.box.requestsSoFar();
        const QList<QJsonObject> scans = st.orderScans();
        QCOMPARE(scans.size(), 2);
        QCOMPARE(text(scans.at(0), "scanner_id"), QStringLiteral("scanner_2"));
        // The answer does not name its scanner: the retry speaks for scanner 1.
        QCOMPARE(text(scans.at(1), "scanner_id"), QStringLiteral("scanner_1"));
        QCOMPARE(text(scans.at(1), "workplace_id"), QStringLiteral("cutter_1"));
        QVERIFY(st.router->pendingWarehousePrints().isEmpty());
        QVERIFY(st.warehousePrints.isEmpty());
        QVERIFY(st.uidPrints.isEmpty());
    }

    void retryPrintsWhenTheServerConfirms_data()
    {
        QTest::addColumn<bool>("printerWorks");
        QTest::newRow("printed") << true;
        QTest::newRow("printer fails") << false;
    }
    void retryPrintsWhenTheServerConfirms()
    {
        QFETCH(bool, printerWorks);
        ScanStation st;
        st.warehousePrintOk = printerWorks;
        const QString path = ScanStation::label(st.wb, kWarehouseFile);
        st.router->setPageKey(QStringLiteral("orders"));
        // The order appears on the server between the first answer and the retry.
        QObject::connect(st.ordersApi.get(), &OrdersApiService::scanResultDetailed, st.router.get(),
                         [&st] { st.addServerOrder(kWarehouseCode); });
        QSignalSpy verdicts(st.ordersApi.get(), &OrdersApiService::scanResultDetailed);
        st.router->handleHardwareScan(kWarehouseCode, QStringLiteral("scanner"));
        QTRY_COMPARE_WITH_TIMEOUT(verdicts.size(), 2, kWait);
        QCOMPARE(verdicts.at(0).at(1).toString(), QStringLiteral("not_found"));
        QCOMPARE(verdicts.at(1).at(1).toString(), QStringLiteral("packed"));
        QCOMPARE(st.orderScans().size(), 2);
        QVERIFY(!st.warehousePrints.isEmpty());
        QCOMPARE(st.warehousePrints.constFirst().path, path);
        const QString failed =
            QStringLiteral("Склады: сервер подтвердил %1, но локальный файл не распечатан.").arg(kWarehouseCode);
        QCOMPARE(st.journal.has(failed), !printerWorks);
        QCOMPARE(QFileInfo::exists(path), !printerWorks);
        QVERIFY(st.router->pendingWarehousePrints().isEmpty());
        QVERIFY(st.uidPrints.isEmpty());
    }

    void warehouseScanWithoutServerIdentity()
    {
        ScanStation st;
        ScanStation::label(st.wb, kWarehouseFile);
        st.box.settings->setTenantId(QString());
        st.router->setPageKey(QStringLiteral("warehouses"));
        QVERIFY(st.router->submitWarehouseScan(kWarehouseCode, false, QStringLiteral("scanner")));
        st.router->handleHardwareScan(kWarehouseCode, QStringLiteral("scanner"));
        QCOMPARE(st.journal.messages().count(QStringLiteral("Склады: сервер не подключён, печать остановлена.")), 2);
        QVERIFY(st.router->pendingWarehousePrints().isEmpty());
        QCOMPARE(st.box.requestsSoFar(), 0);
        QVERIFY(st.warehousePrints.isEmpty());
    }

    void warehouseModelsTriedOnce()
    {
        ScanStation st;
        ScanStation::label(st.ym, QStringLiteral("Кот-60x40_row_300123456.png"));
        ScanRouter &r = *st.router;
        // Only the shown tab: the YM file is not found from the WB tab.
        QVERIFY(!r.submitWarehouseScan(QStringLiteral("300123456"), true, QStringLiteral("scanner")));
        QVERIFY(!r.submitWarehouseScan(QStringLiteral(R"({"x":300123456})"), false, QStringLiteral("scanner")));
        QVERIFY(!r.requestWarehouseServerPrint(nullptr, QStringLiteral("300123456"), QStringLiteral("scanner")));
        QVERIFY(!r.requestWarehouseServerPrint(st.supplies.get(), QStringLiteral("300123456"),
                                               QStringLiteral("scanner")));
        QVERIFY(r.pendingWarehousePrints().isEmpty());
        QSignalSpy pending(&r, &ScanRouter::pendingWarehousePrintsChanged);
        QVERIFY(r.submitWarehouseScan(QStringLiteral(" 300123456 "), false, QStringLiteral("scanner")));
        const QVariantMap record = r.pendingWarehousePrints().value("300123456").toMap();
        QCOMPARE(record.value("model").value<QObject *>(), st.warehouseYm.get());
        QCOMPARE(record.value("printCode").toString(), QStringLiteral("300123456"));
        QCOMPARE(pending.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(st.orderScans().size(), 1, kWait);
    }
};

QTEST_MAIN(ScanRouterTest)
#include "ScanRouterTest.moc"
