#include "serverlink/ServerLinkSandbox.h"

#include "routes/SnapshotRoutes.h"
#include "staff/EmployeeWorkspaceCache.h"
#include "staff/EmployeeWorkspaceStore.h"

#include <QFile>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr int kWait = 10000;
const QString kDemoCard = QStringLiteral("04:aa:55:cc:33"); // Сергей Лебедев (E006), not in yet today

} // namespace

class EmployeeWorkspaceTest : public QObject
{
    Q_OBJECT

private:
    struct Setup
    {
        ServerLinkSandbox box;
        std::unique_ptr<EmployeeWorkspaceStore> store;

        Setup()
        {
            box.setUpDemoDevice();
            store = std::make_unique<EmployeeWorkspaceStore>(box.settings.get(), &box.eventLog);
            store->applySnapshotRoot(SnapshotRoutes::buildSnapshot(box.demoTenant()));
        }
    };

    static QJsonArray eventBodies(ServerLinkSandbox &box, const QString &type)
    {
        QJsonArray out;
        for (const QJsonValue &entry : box.requests(QStringLiteral("/api/client-event"))) {
            const QJsonObject body = entry.toObject().value("body").toObject();
            if (body.value("event_type").toString() == type)
                out.append(body);
        }
        return out;
    }

private Q_SLOTS:
    // The snapshot poll reads the staff lists off the main thread: the store ends
    // as a direct apply leaves it, and a rejected snapshot is refused at once.
    void snapshotInBackground()
    {
        Setup direct;
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        EmployeeWorkspaceStore store(box.settings.get(), &box.eventLog);
        QSignalSpy changed(&store, &EmployeeWorkspaceStore::changed);
        store.applySnapshotRootInBackground(SnapshotRoutes::buildSnapshot(box.demoTenant()));
        QTRY_VERIFY_WITH_TIMEOUT(!store.applyPending(), 10000);
        QVERIFY(changed.count() > 0);
        QCOMPARE(store.lastStatus(), QStringLiteral("Сотрудники: синхронизация применена"));
        QCOMPARE(store.employeeTotal(), 6);
        QCOMPARE(store.employeeIdFromRfid(QStringLiteral("04a1b2c3d4")), QStringLiteral("E001"));
        QCOMPARE(store.activeCutterIdForWorkplace(QStringLiteral("1")), QStringLiteral("E002"));
        QCOMPARE(store.attendanceInCount(), 3);
        QCOMPARE(store.property("employees"), direct.store->property("employees"));
        QCOMPARE(store.schedule(), direct.store->schedule());
        store.setSelectedEmployeeId(QStringLiteral("E001"));
        QVERIFY(store.selectedFilledDays() > 0);

        store.applySnapshotRootInBackground(QJsonObject{{"ok", false}, {"error", "tenant blocked"}});
        QVERIFY(!store.applyPending());
        QVERIFY2(store.lastStatus().startsWith(QStringLiteral("Сотрудники: синхронизация не применена")),
                 qPrintable(store.lastStatus()));
        QCOMPARE(store.employeeTotal(), 6);
    }

    void rfidArrivalThenDeparture()
    {
        Setup s;
        QVERIFY(s.store->processRfidCard(kDemoCard, QString(), QStringLiteral("RFID:") + kDemoCard));
        QVERIFY(s.store->busy());
        const QString arrival = QStringLiteral("👥 Сергей Лебедев: пришёл по RFID");
        QTRY_COMPARE_WITH_TIMEOUT(s.store->lastStatus(), arrival, kWait);
        QVERIFY(!s.store->busy());
        QVERIFY(s.box.hasLogEntry(arrival));
        QCOMPARE(s.store->activeEmployeeId(), QStringLiteral("E006"));
        QCOMPARE(s.store->activeEmployeeName(), QStringLiteral("Сергей Лебедев"));

        const QJsonObject payload = eventBodies(s.box, "rfid_inout").first().toObject().value("payload").toObject();
        QCOMPARE(payload.value("uid").toString(), QStringLiteral("04AA55CC33"));
        QCOMPARE(payload.value("inout_mode").toString(), QStringLiteral("rfid"));
        QCOMPARE(payload.value("tag_text").toString(), QStringLiteral("RFID:") + kDemoCard);
        QCOMPARE(payload.value("tenant_id").toString(), QStringLiteral("demo"));

        QVERIFY(s.store->processRfidCard(QStringLiteral("04AA55CC33")));
        const QString departure = QStringLiteral("👥 Сергей Лебедев: ушёл по RFID");
        QTRY_COMPARE_WITH_TIMEOUT(s.store->lastStatus(), departure, kWait);
        QVERIFY(s.box.hasLogEntry(departure));
        QVERIFY(s.store->activeEmployeeId().isEmpty());
        QCOMPARE(s.store->attendanceOutCount(), 1);
    }

    void unknownCard()
    {
        Setup s;
        QVERIFY(s.store->processRfidCard(QStringLiteral("ff ff 00 00")));
        QTRY_COMPARE_WITH_TIMEOUT(s.store->lastStatus(), QStringLiteral("RFID: карта не привязана (FFFF0000)"), kWait);
        QVERIFY(s.box.hasLogEntry(s.store->lastStatus()));
    }

    void plainScanOfCardPostsRfidEvent()
    {
        Setup s;
        QVERIFY(s.store->processHardwareScan(QStringLiteral("04-a1-b2-c3-d4")));
        QTRY_VERIFY_WITH_TIMEOUT(!s.store->busy(), kWait);
        QCOMPARE(eventBodies(s.box, "rfid_inout").size(), 1);
        QCOMPARE(eventBodies(s.box, "employee_qr_scan").size(), 0);
        QVERIFY(!s.store->processHardwareScan(QStringLiteral("P01A7K3M9Q")));
        QCOMPARE(s.box.requests(QStringLiteral("/api/client-event")).size(), 1);
    }

    void badgeActivatesAtWorkplace()
    {
        Setup s;
        const QString badge = QStringLiteral(R"({"employee_id":"E001","id":"E001","kind":"emp","tenant_id":"demo"})");
        const QVariantMap context{{"workplace_id", "cutter_2"}, {"cutterLabel", "Резак 2"},
                                  {"scanner_id", "scanner2"}, {"blank", "  "}, {"", "x"}};
        QVERIFY(s.store->processHardwareScanWithContext(badge, context));
        QTRY_COMPARE_WITH_TIMEOUT(s.store->lastStatus(), QStringLiteral("👥 Ирина Соколова: активирован"), kWait);
        QCOMPARE(s.store->activeCutterIdForWorkplace(QStringLiteral("Резак 2")), QStringLiteral("E001"));
        QCOMPARE(s.store->activeCutterIdForWorkplace(QStringLiteral("scanner-2")), QStringLiteral("E001"));
        QCOMPARE(s.store->activeEmployeeReason(), QStringLiteral("qr"));

        const QJsonObject payload = eventBodies(s.box, "employee_qr_scan").first().toObject().value("payload").toObject();
        QCOMPARE(payload.value("emp_id").toString(), QStringLiteral("E001"));
        QCOMPARE(payload.value("workplace_id").toString(), QStringLiteral("cutter_2"));
        QCOMPARE(payload.value("inout_mode").toString(), QStringLiteral("rfid"));
        QVERIFY(!payload.contains("blank"));
        QVERIFY(!payload.contains(""));

        // An employee who has not come in yet arrives.
        QVERIFY(s.store->processHardwareScan(QStringLiteral("EMP: E005")));
        QTRY_COMPARE_WITH_TIMEOUT(s.store->lastStatus(), QStringLiteral("👥 Ольга Павлова: пришёл"), kWait);
    }

    void replaceRoundTrip()
    {
        Setup s;
        const qint64 revision = s.box.demoTenant().revision;
        // Hold the reply so the second edit meets a list request in flight.
        s.box.fault(QJsonObject{{"path", "/api/client-event"}, {"delay_ms", 400}, {"times", 1}});
        QVERIFY(s.store->addEmployee(QStringLiteral(" Новый сотрудник "), QStringLiteral("N1"), QStringLiteral("Резчик"),
                                     QStringLiteral("0a:0b"), QStringLiteral("10-22")));
        QVERIFY(s.store->busy());
        QVERIFY(!s.store->updateEmployee(QStringLiteral("N1"), QStringLiteral("Новый Сотрудник"), QStringLiteral("Резчик")));
        QCOMPARE(s.store->employeeNameById(QStringLiteral("N1")), QStringLiteral("Новый Сотрудник"));
        // The refused edit goes out, whole, as soon as the first list is answered,
        // and the first reply does not undo it.
        QTRY_COMPARE_WITH_TIMEOUT(s.store->lastStatus(), QStringLiteral("Сотрудники: карточка обновлена"), kWait);
        QVERIFY(s.box.hasLogEntry(QStringLiteral("Сотрудники: создан Новый сотрудник")));
        QCOMPARE(s.store->employeeNameById(QStringLiteral("N1")), QStringLiteral("Новый Сотрудник"));
        QCOMPARE(eventBodies(s.box, "employees_replace").size(), 2);
        QCOMPARE(s.box.demoTenant().data.value("employees").toArray().last().toObject().value("name").toString(),
                 QStringLiteral("Новый Сотрудник"));
        const QJsonObject body = eventBodies(s.box, "employees_replace").first().toObject();
        QCOMPARE(body.value("type").toString(), QStringLiteral("employees_replace"));
        QCOMPARE(body.value("payload").toObject().value("staff").toArray().size(), 7);
        QVERIFY(body.value("payload").toObject().value("schedule").toObject().contains("months"));

        // The next snapshot carries the list with a new revision.
        QVERIFY(s.box.demoTenant().revision > revision);
        const QJsonObject snapshot = SnapshotRoutes::buildSnapshot(s.box.demoTenant());
        QCOMPARE(snapshot.value("employees").toArray().size(), 7);
        QCOMPARE(snapshot.value("employees").toArray().last().toObject().value("id").toString(), QStringLiteral("N1"));

        QVERIFY(!s.store->setScheduleValue(0, QString()));
        s.store->setSelectedEmployeeId(QStringLiteral("N1"));
        QVERIFY(s.store->setScheduleValue(1, QStringLiteral("10-22")));
        QTRY_COMPARE_WITH_TIMEOUT(s.store->lastStatus(), QStringLiteral("Сотрудники: график сохранён"), kWait);
        QVERIFY(QJsonDocument(s.box.demoTenant().data.value("schedule").toObject()).toJson().contains("\"N1\""));

        QVERIFY(s.store->removeEmployee(QStringLiteral("N1")));
        QTRY_COMPARE_WITH_TIMEOUT(s.store->lastStatus(), QStringLiteral("Сотрудники: удалён Новый Сотрудник"), kWait);
        QCOMPARE(s.box.demoTenant().data.value("employees").toArray().size(), 6);
    }

    void replyFailures_data()
    {
        QTest::addColumn<QJsonObject>("fault");
        QTest::addColumn<QString>("status");
        QTest::newRow("rejected") << QJsonObject{{"path", "/api/client-event"}, {"times", 1}, {"status", 200},
                                                 {"json", QJsonObject{{"ok", false}, {"error", "bad_request"}}}}
                                  << "Сотрудники: событие отклонено (";
        QTest::newRow("not json") << QJsonObject{{"path", "/api/client-event"}, {"times", 1}, {"status", 200},
                                                 {"body", "<html>"}}
                                  << "Сотрудники: ответ сервера невалиден";
        // Every attempt dropped (the network stack retries a dropped request once by itself).
        QTest::newRow("dropped") << QJsonObject{{"path", "/api/client-event"}, {"drop", true}}
                                 << "Сотрудники: событие rfid_inout не отправилось (";
    }

    void replyFailures()
    {
        QFETCH(QJsonObject, fault);
        QFETCH(QString, status);
        Setup s;
        s.box.fault(fault);
        QVERIFY(s.store->processRfidCard(kDemoCard));
        QVERIFY(QTest::qWaitFor([&] { return !s.store->busy(); }, kWait));
        QVERIFY2(s.store->lastStatus().startsWith(status), qPrintable(s.store->lastStatus()));
        QCOMPARE(s.store->employeeTotal(), 6);
    }

    void noEventAddress()
    {
        Setup s;
        s.box.settings->setEventEndpoint(QStringLiteral(" "));
        QVERIFY(!s.store->processRfidCard(kDemoCard));
        QCOMPARE(s.store->lastStatus(), QStringLiteral("Сотрудники: event API не задан"));
        QVERIFY(!s.store->busy());
        QCOMPARE(s.box.requests(QStringLiteral("/api/client-event")).size(), 0);
    }

    void idleTimeout()
    {
        Setup s;
        QDateTime clock = QDateTime::currentDateTime();
        s.store->setClock([&clock] { return clock; });
        QVERIFY(s.store->idleCheckRunning());
        s.store->rememberActiveCutterForWorkplace(QStringLiteral("1"), QStringLiteral("E002"));
        QCOMPARE(s.store->activeCutterId(), QStringLiteral("E002"));
        s.store->checkIdleTimeout();
        QCOMPARE(eventBodies(s.box, "archive_event").size(), 0);

        clock = clock.addSecs(3 * 3600);
        QVERIFY(!s.store->activeEmployeeTimedOut());
        clock = clock.addSecs(1);
        // Reads as cleared before the next tick.
        QVERIFY(s.store->activeEmployeeTimedOut());
        QVERIFY(s.store->activeCutterId().isEmpty());
        QCOMPARE(s.store->activeEmployeeName(), QStringLiteral("—"));

        s.store->setIdleCheckInterval(20);
        QTRY_COMPARE_WITH_TIMEOUT(s.store->lastStatus(),
                                  QStringLiteral("Сотрудники: активный сотрудник сброшен по таймауту"), kWait);
        QVERIFY(s.store->activeCutters().isEmpty());
        s.store->checkIdleTimeout();
        const QJsonArray events = eventBodies(s.box, "archive_event");
        QCOMPARE(events.size(), 1);
        const QJsonObject payload = events.first().toObject().value("payload").toObject();
        QCOMPARE(payload.value("type").toString(), QStringLiteral("idle_timeout"));
        QCOMPARE(payload.value("reason").toString(), QStringLiteral("timeout_3h"));
        QCOMPARE(payload.value("emp_id").toString(), QStringLiteral("E002"));
        QCOMPARE(payload.value("name").toString(), QStringLiteral("Алексей Морозов"));
        QVERIFY(!s.box.demoTenant().data.contains("active_employee"));
    }

    void idleCheckFollowsSetup()
    {
        Setup s;
        QVERIFY(s.store->idleCheckRunning());
        s.box.settings->setDeviceId(QString());
        QVERIFY(!s.store->idleCheckRunning());
        EmployeeWorkspaceStore bare(nullptr);
        QVERIFY(!bare.idleCheckRunning());
        bare.refresh();
        QCOMPARE(bare.lastStatus(), QStringLiteral("Синхронизация сотрудников недоступна: адрес сервера не задан"));
    }

    void cacheRoundTrip()
    {
        Setup s;
        const QString path = s.store->cachePath();
        QVERIFY(QFile::exists(path));
        const QJsonObject file = readJsonObjectFile(path);
        QCOMPARE(file.value("employees").toArray().size(), 6);
        QVERIFY(file.value("schedule").toObject().contains("months"));
        QVERIFY(!file.value("saved_at").toString().isEmpty());

        EmployeeWorkspaceStore second(s.box.settings.get());
        QCOMPARE(second.employeeTotal(), 6);
        QCOMPARE(second.schedule(), s.store->schedule());

        // Empty lists in the file do not wipe what is loaded.
        QVERIFY(EmployeeWorkspaceCache::write(path, {}, {}));
        second.load();
        QCOMPARE(second.employeeTotal(), 6);

        for (const QByteArray &damage : {QByteArray("{\"employees\": [1, 2"), QByteArray("[]"),
                                         QByteArray("{\"employees\": \"x\", \"schedule\": 3}"), QByteArray()}) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write(damage);
            out.close();
            EmployeeWorkspaceStore damaged(s.box.settings.get());
            QCOMPARE(damaged.employeeTotal(), 0);
            QVERIFY(damaged.schedule().isEmpty());
        }
    }

    void portalUrl_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("url");
        QTest::newRow("path") << "https://portal.example/staff" << "https://portal.example/staff/E%2F1";
        QTest::newRow("query") << "https://portal.example/p?employee_id=old&x=1"
                               << "https://portal.example/p?x=1&employee_id=E/1";
        QTest::newRow("relative to server") << "/me/" << "SERVER/me/E%2F1";
    }

    void portalUrl()
    {
        QFETCH(QString, link);
        QFETCH(QString, url);
        Setup s;
        QVERIFY(s.store->selectedEmployeePortalUrl().isEmpty());
        s.box.settings->applyServerPayload({{"links", QVariantMap{{"staff_url", link}}}});
        s.store->applyServerSnapshot({QVariantMap{{"id", "E/1"}, {"name", "Слэш"}}}, {}, {}, {});
        s.store->setSelectedEmployeeId(QStringLiteral("E/1"));
        QString expected = url;
        expected.replace(QStringLiteral("SERVER"), s.box.url().chopped(s.box.url().endsWith(u'/') ? 1 : 0));
        QCOMPARE(s.store->selectedEmployeePortalUrl(), expected);
    }
};

QTEST_GUILESS_MAIN(EmployeeWorkspaceTest)
#include "EmployeeWorkspaceTest.moc"
