// The consumables service against the in-process vorn-devserver: receipts and QR
// write-offs reach the server and come back as stock; with the server's faults switched
// on, events wait in the real outbox file and are delivered in order, once.
#include "consumables/ConsumablesService.h"
#include "consumables/OutboxBuffer.h"
#include "routes/SnapshotRoutes.h"
#include "serverlink/HeartbeatSender.h"
#include "serverlink/ServerLinkSandbox.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

struct Bench
{
    ServerLinkSandbox box;
    std::unique_ptr<ConsumablesService> service;

    Bench()
    {
        box.setUpDemoDevice();
        // The demo tenant's tabs and wall bindings, as the first snapshot brings them.
        const QJsonObject snapshot = SnapshotRoutes::buildSnapshot(box.demoTenant());
        box.settings->applyServerPayload(snapshot.toVariantMap());
        service = std::make_unique<ConsumablesService>(box.settings.get(), &box.eventLog);
        service->applySnapshotRoot(QJsonObject{{"snapshot", snapshot}});
    }

    // Waits until the service is idle again after an operation.
    bool settle()
    {
        return QTest::qWaitFor([this] { return !service->busy(); }, 15000);
    }

    QStringList sentTypes()
    {
        QStringList types;
        for (const QJsonValue &entry : box.requests(QStringLiteral("/api/client-event"))) {
            const QJsonObject request = entry.toObject();
            if (request.value("status").toInt() == 200)
                types << request.value("body").toObject().value("event_type").toString();
        }
        return types;
    }

    QJsonObject lastBody()
    {
        return box.requests(QStringLiteral("/api/client-event")).last().toObject().value("body").toObject();
    }

    int boxStock(const QString &type)
    {
        return box.demoTenant().data.value("boxes").toObject().value(type).toInt();
    }

    int localBoxCount(const QString &type)
    {
        for (const QVariant &entry : service->boxes()) {
            if (entry.toMap().value("boxType").toString() == type)
                return entry.toMap().value("count").toInt();
        }
        return -1;
    }

    QString tabIdTitled(const QString &title)
    {
        for (const QVariant &tab : box.settings->consumableTabs()) {
            if (tab.toMap().value("title").toString() == title)
                return tab.toMap().value("id").toString();
        }
        return {};
    }

    void failEvents(int status = 503)
    {
        box.fault({{"path", "/api/client-event"}, {"status", status}});
    }
};

} // namespace

class ConsumablesServiceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void snapshotFillsListsAndSummaries()
    {
        Bench b;
        QCOMPARE(b.service->boxesSummary(), QStringLiteral("Типов коробок: 3 | Всего пачек: 196"));
        QCOMPARE(b.service->inksSummary(), QStringLiteral("Цветов: 4 | Всего единиц: 18"));
        QCOMPARE(b.service->materialsSummary(),
                 QStringLiteral("Итого по типам: Обои: 48.50 м | Холст: 30.00 м | Фреска: 12.20 м"));
        QCOMPARE(b.service->materialTypeOptions(), (QStringList{"Обои", "Холст", "Фреска"}));
        const QString tape = b.tabIdTitled(QStringLiteral("Скотч"));
        QVERIFY(!tape.isEmpty());
        QCOMPARE(b.service->itemsForTab(tape).size(), 2);
        QCOMPARE(b.service->summaryForTab(tape), QStringLiteral("Позиций: 2 | Всего: 24"));
        QCOMPARE(b.service->itemsForTab(QStringLiteral("tab_inks")), b.service->inks());
        QCOMPARE(b.service->summaryForTab(QStringLiteral("tab_boxes")), b.service->boxesSummary());

        // Lists the next snapshot does not carry keep their content.
        b.service->applySnapshotRoot(QJsonObject{{"inks", QJsonArray{QJsonObject{{"color", "Black"}, {"count", 1}}}}});
        QCOMPARE(b.service->inksSummary(), QStringLiteral("Цветов: 1 | Всего единиц: 1"));
        QCOMPARE(b.service->boxesSummary(), QStringLiteral("Типов коробок: 3 | Всего пачек: 196"));
    }

    void demoWallQrWritesOffTheBoundItem()
    {
        Bench b;
        const QString qr = QStringLiteral("VORN_WALL:") + b.box.settings->wallBindingPayload(0);
        QVERIFY(qr.contains("small_box"));
        b.service->writeoffWallQr(qr);
        QVERIFY(b.settle());
        QCOMPARE(b.service->lastStatus(), QStringLiteral("QR стены: отправлено списание"));
        QCOMPARE(b.boxStock(QStringLiteral("Маленькая шкатулка")), 35);
        QCOMPARE(b.localBoxCount(QStringLiteral("Маленькая шкатулка")), 35);
        const QJsonObject body = b.lastBody();
        QCOMPARE(body.value("event_type").toString(), QStringLiteral("wall_writeoff"));
        QCOMPARE(body.value("type").toString(), QStringLiteral("wall_writeoff"));
        const QJsonObject payload = body.value("payload").toObject();
        QCOMPARE(payload.value("raw").toString(), qr);
        QCOMPARE(payload.value("tenant_id").toString(), QStringLiteral("demo"));
        QCOMPARE(payload.value("item_code").toString(), QStringLiteral("small_box"));
        QCOMPARE(payload.value("tab_id").toString(), QStringLiteral("tab_boxes"));
        QVERIFY(b.box.hasLogEntry(QStringLiteral("QR стены: отправлено списание")));
    }

    void wallQrWaitsInTheOutboxWhileTheServerFails()
    {
        Bench b;
        const QString qr = QStringLiteral("VORN_WALL:") + b.box.settings->wallBindingPayload(0);
        b.failEvents();
        b.service->writeoffWallQr(qr);
        QVERIFY(b.settle());
        QCOMPARE(b.service->pendingCount(), 1);
        QVERIFY(b.service->lastStatus().startsWith(QStringLiteral("Синхронизация расходников отложена: ")));
        QCOMPARE(b.boxStock(QStringLiteral("Маленькая шкатулка")), 36);

        b.box.server.faults().clear();
        b.service->retryPending();
        QVERIFY(b.settle());
        QCOMPARE(b.service->lastStatus(), QStringLiteral("Синхронизация расходников завершена"));
        QCOMPARE(b.service->pendingCount(), 0);
        QCOMPARE(b.boxStock(QStringLiteral("Маленькая шкатулка")), 35);
        QCOMPARE(b.localBoxCount(QStringLiteral("Маленькая шкатулка")), 35);
        // Delivered once: a further pass has nothing to send.
        b.service->retryPending();
        QVERIFY(b.settle());
        QCOMPARE(b.sentTypes().count(QStringLiteral("wall_writeoff")), 1);
        QCOMPARE(b.boxStock(QStringLiteral("Маленькая шкатулка")), 35);
    }

    void aDeliveredEventSendsWhatWaitedAndALostReplyIsNotAppliedTwice()
    {
        Bench b;
        // The server writes the cell off, but the answer never arrives (nor that of the
        // network layer's own resend): the client queues it.
        b.box.fault({{"path", "/api/client-event"}, {"drop_after", true}});
        b.service->writeoffWallQr(QStringLiteral("VORN_WALL:") + b.box.settings->wallBindingPayload(0));
        QTRY_COMPARE_WITH_TIMEOUT(b.service->pendingCount(), 1, 15000);
        QVERIFY(b.settle());
        QCOMPARE(b.boxStock(QStringLiteral("Маленькая шкатулка")), 35);
        b.box.server.faults().clear();

        // The next delivered event takes the queued one along; the server knows it already.
        b.service->receiveInk(QStringLiteral("Cyan"), 1);
        QTRY_COMPARE_WITH_TIMEOUT(b.service->pendingCount(), 0, 15000);
        QVERIFY(b.settle());
        QCOMPARE(b.sentTypes(), (QStringList{"ink_receive", "wall_writeoff"}));
        const QJsonArray requests = b.box.requests(QStringLiteral("/api/client-event"));
        QCOMPARE(requests.last().toObject().value("outcome").toString(), QStringLiteral("duplicate"));
        QCOMPARE(b.boxStock(QStringLiteral("Маленькая шкатулка")), 35);
        QTRY_COMPARE_WITH_TIMEOUT(b.localBoxCount(QStringLiteral("Маленькая шкатулка")), 35, 5000);
    }

    void offlineReceiptsAreSentInTheOrderMade()
    {
        Bench b;
        b.box.fault({{"path", "/api/client-event"}, {"drop", true}});
        b.service->receiveInk(QStringLiteral("Cyan"), 2);
        b.service->receiveBoxes(QStringLiteral("Короб"), 0);
        b.service->receiveMaterial(QStringLiteral("Обои"), 0);
        QVERIFY(b.settle());
        QTRY_COMPARE_WITH_TIMEOUT(b.service->pendingCount(), 3, 15000);
        QCOMPARE(b.service->lastStatus(),
                 QStringLiteral("Синхронизация расходников отложена: сервер разорвал соединение"));

        b.box.server.faults().clear();
        b.box.server.journal().clear();
        b.service->retryPending();
        QVERIFY(b.settle());
        QCOMPARE(b.service->lastStatus(), QStringLiteral("Синхронизация расходников завершена"));
        QCOMPARE(b.service->pendingCount(), 0);
        QCOMPARE(b.sentTypes(), (QStringList{"ink_receive", "box_receive", "material_receive"}));
        const QJsonArray requests = b.box.requests(QStringLiteral("/api/client-event"));
        QCOMPARE(requests.at(1).toObject().value("body").toObject().value("payload").toObject()
                     .value("count").toInt(), 1); // at least one pack
        const QJsonObject roll = requests.at(2).toObject().value("body").toObject().value("payload").toObject();
        QCOMPARE(roll.value("mat_type").toString(), QStringLiteral("Обои"));
        QCOMPARE(roll.value("length_m").toDouble(), 1.0);
        QCOMPARE(b.boxStock(QStringLiteral("Короб")), 149);
        QCOMPARE(b.service->materials().size(), 4);
    }

    void finalRejectionIsDroppedTransientFailureStopsThePass()
    {
        Bench b;
        b.failEvents();
        b.service->writeoffWallQr(QStringLiteral("VORN_WALL:") + b.box.settings->wallBindingPayload(0));
        b.service->receiveBoxes(QStringLiteral("Короб"), 2);
        b.service->receiveInk(QStringLiteral("Black"), 1);
        QTRY_COMPARE_WITH_TIMEOUT(b.service->pendingCount(), 3, 15000);
        QVERIFY(b.settle());
        b.box.server.faults().clear();
        // First queued row: the write-off is answered "not_found"; second: a server error.
        b.box.fault({{"path", "/api/client-event"}, {"method", "POST"}, {"status", 200}, {"times", 1},
                     {"json", QJsonObject{{"ok", false}, {"error", "not_found"}}}});
        b.box.fault({{"path", "/api/client-event"}, {"status", 500}, {"times", 1}});
        b.service->retryPending();
        QVERIFY(b.settle());
        QCOMPARE(b.service->pendingCount(), 2);
        QVERIFY(b.service->lastStatus().startsWith(QStringLiteral("Синхронизация расходников не завершена: ")));
        OutboxBuffer outbox(b.box.settings.get());
        const QList<OutboxRow> rows = outbox.fetch(10);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0).eventType, QStringLiteral("box_receive"));
        QVERIFY(!rows.at(0).lastError.isEmpty());
        QCOMPARE(rows.at(1).eventType, QStringLiteral("ink_receive"));

        b.service->retryPending();
        QVERIFY(b.settle());
        QCOMPARE(b.service->pendingCount(), 0);
        QCOMPARE(b.boxStock(QStringLiteral("Короб")), 150);
        QCOMPARE(b.boxStock(QStringLiteral("Маленькая шкатулка")), 36); // the dropped write-off
    }

    void emptyCellsAndUnknownItemsChangeNothing_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("status");
        QTest::newRow("empty dynamic cell")
            << QStringLiteral(R"(VORN_WALL:{"kind":"consumable_wall","tab_id":"TAPE","item_text":"Скотч бумажный"})")
            << QStringLiteral("QR стены: Скотч бумажный не найден на сервере или остаток уже 0");
        QTest::newRow("unknown item") << QStringLiteral(R"(vorn_wall:%7B%22item_key%22%3A%22gold_leaf%22%7D)")
            << QStringLiteral("QR стены: gold_leaf не найден на сервере или остаток уже 0");
        QTest::newRow("garbage json") << QStringLiteral("VORN_WALL:{kind: ???")
            << QStringLiteral("QR стены: расходник не найден на сервере или остаток уже 0");
    }
    void emptyCellsAndUnknownItemsChangeNothing()
    {
        QFETCH(QString, raw);
        QFETCH(QString, status);
        Bench b;
        const qint64 revision = b.box.demoTenant().revision;
        const QString before = b.service->boxesSummary();
        b.service->writeoffWallQr(raw);
        QVERIFY(b.settle());
        QCOMPARE(b.service->lastStatus(), status);
        QCOMPARE(b.service->pendingCount(), 0);
        QCOMPARE(b.box.demoTenant().revision, revision);
        QCOMPARE(b.service->boxesSummary(), before);
        QVERIFY(b.box.hasLogEntry(status));
    }

    void validationSendsNothing_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("status");
        QTest::newRow("ink without colour") << 0 << QStringLiteral("Чернила: укажи цвет");
        QTest::newRow("boxes without type") << 1 << QStringLiteral("Коробки: укажи тип коробки");
        QTest::newRow("material without type") << 2 << QStringLiteral("Материал: укажи тип");
        QTest::newRow("empty wall scan") << 3 << QStringLiteral("Списание QR: скан пустой");
        QTest::newRow("empty material scan") << 4 << QStringLiteral("Материал QR: скан пустой");
        QTest::newRow("ink tab write-off") << 5
                                           << QStringLiteral("Чернила: сервер пока не поддерживает списание для этой вкладки");
        QTest::newRow("tab without server type")
            << 6 << QStringLiteral("tab_gone: сервер пока не поддерживает запись для динамических расходников без "
                                   "отдельного события. Работаем только чтением сервера.");
    }
    void validationSendsNothing()
    {
        QFETCH(int, operation);
        QFETCH(QString, status);
        Bench b;
        b.box.server.journal().clear();
        switch (operation) {
        case 0: b.service->receiveInk(QStringLiteral("  "), 3); break;
        case 1: b.service->receiveBoxes(QString(), 3); break;
        case 2: b.service->receiveMaterial(QStringLiteral(" "), 3); break;
        case 3: b.service->writeoffWallQr(QStringLiteral("   ")); break;
        case 4: b.service->writeoffMaterialQr(QString()); break;
        case 5: b.service->writeoffQrForTab(QStringLiteral("tab_inks"), QStringLiteral("ROLL:1")); break;
        case 6: b.service->receiveForTab(QStringLiteral("tab_gone"), QStringLiteral("ПВА"), 2); break;
        }
        QTest::qWait(50);
        QCOMPARE(b.service->lastStatus(), status);
        QCOMPARE(b.box.requests(QStringLiteral("/api/client-event")).size(), 0);
        QCOMPARE(b.service->pendingCount(), 0);
    }

    void tabOperationsReachTheServer()
    {
        Bench b;
        const QString tape = b.tabIdTitled(QStringLiteral("Скотч"));
        b.service->receiveForTab(tape, QStringLiteral("Скотч бумажный"), 5);
        QVERIFY(b.settle());
        QCOMPARE(b.service->lastStatus(), QStringLiteral("Скотч: отправлен приход"));
        QCOMPARE(b.service->summaryForTab(tape), QStringLiteral("Позиций: 2 | Всего: 29"));
        QJsonObject payload = b.lastBody().value("payload").toObject();
        QCOMPARE(payload.value("type_id").toString(), QStringLiteral("tape"));
        QCOMPARE(payload.value("measure").toString(), QStringLiteral("count"));

        b.service->writeoffQrForTab(tape, QStringLiteral("Скотч прозрачный"));
        QVERIFY(b.settle());
        QCOMPARE(b.service->lastStatus(), QStringLiteral("Скотч: отправлено списание"));
        QCOMPARE(b.lastBody().value("event_type").toString(), QStringLiteral("consumable_writeoff_qr"));
        QCOMPARE(b.service->summaryForTab(tape), QStringLiteral("Позиций: 2 | Всего: 28"));

        // A wall QR scanned on any tab page is a wall write-off.
        b.service->writeoffQrForTab(QStringLiteral("tab_inks"),
                                    QStringLiteral("VORN_WALL:") + b.box.settings->wallBindingPayload(1));
        QVERIFY(b.settle());
        QCOMPARE(b.lastBody().value("event_type").toString(), QStringLiteral("wall_writeoff"));
        QCOMPARE(b.service->summaryForTab(tape), QStringLiteral("Позиций: 2 | Всего: 27"));

        // Materials: the roll QR writes the roll off.
        b.service->writeoffQrForTab(QStringLiteral("tab_materials"), QStringLiteral("ROLL:R-1043"));
        QVERIFY(b.settle());
        QCOMPARE(b.service->lastStatus(), QStringLiteral("Материал: отправлено списание рулона"));
        QCOMPARE(b.service->materialTypeOptions(), (QStringList{"Обои", "Фреска"}));
        b.service->receiveForTab(QStringLiteral("tab_inks"), QStringLiteral("Magenta"), 2);
        QVERIFY(b.settle());
        QCOMPARE(b.service->lastStatus(), QStringLiteral("Чернила: отправлен приход 2 ед. (Magenta)"));
        QCOMPARE(b.service->inksSummary(), QStringLiteral("Цветов: 4 | Всего единиц: 20"));
    }

    void withoutAnEventAddressEverythingIsQueued()
    {
        Bench b;
        b.box.settings->setEventEndpoint(QString());
        b.box.settings->setServerUrl(QString());
        b.service->receiveInk(QStringLiteral("Black"), 1);
        QVERIFY(b.settle());
        QCOMPARE(b.service->lastStatus(), QStringLiteral("Синхронизация расходников отложена: event API невалиден"));
        QCOMPARE(b.service->pendingCount(), 1);
        // The heartbeat reports the figure under pending.consumables.
        HeartbeatSender heartbeat(b.box.settings.get());
        heartbeat.setConsumables(b.service.get());
        const QJsonObject pending = heartbeat.buildBody().value("items").toArray().first().toObject()
                                        .value("payload").toObject().value("pending").toObject();
        QCOMPARE(pending.value("consumables").toInt(), 1);
        QVERIFY(b.service->clearPending());
        QCOMPARE(b.service->pendingCount(), 0);
        QCOMPARE(b.service->lastStatus(), QStringLiteral("Очередь расходников очищена"));
    }

    void refreshSendsTheQueueAndLeavesOtherOwnersAlone()
    {
        Bench b;
        OutboxBuffer archive(b.box.settings.get());
        QVERIFY(archive.enqueue(QStringLiteral("archive_event"), {{"event", QJsonObject()}}));
        b.failEvents();
        b.service->receiveInk(QStringLiteral("Black"), 1);
        QTRY_COMPARE_WITH_TIMEOUT(b.service->pendingCount(), 1, 15000);
        QVERIFY(b.settle());
        b.box.server.faults().clear();
        QSignalSpy changed(b.service.get(), &ConsumablesService::changed);
        b.service->refresh();
        QVERIFY(b.service->busy());
        QVERIFY(b.settle());
        QCOMPARE(b.service->lastStatus(), QStringLiteral("Расходники: ожидание общей синхронизации"));
        QCOMPARE(b.service->pendingCount(), 0);
        QCOMPARE(archive.count(), 1); // the print archive's row is not ours
        QVERIFY(b.service->clearPending());
        QCOMPARE(archive.count(), 1);
    }
};

QTEST_GUILESS_MAIN(ConsumablesServiceTest)
#include "ConsumablesServiceTest.moc"
