#include "ServerLinkSandbox.h"

#include "serverlink/HeartbeatSender.h"
#include "serverlink/SnapshotSyncService.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

class HeartbeatSnapshotTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void heartbeatBody()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        box.settings->setScannerPort(1, QStringLiteral("/dev/ttyUSB0"));
        box.settings->setScannerPort(3, QStringLiteral("COM7"));

        // Stand-ins for the services, which live in layers above the server link.
        struct Device : RunningDevice {
            bool on;
            explicit Device(bool value) : on(value) {}
            bool running() const override { return on; }
        };
        struct Outbox : PendingEventsSource {
            int pendingCount() const override { return 4; }
        };
        const Device scanner1(true), scanner3(false), rfid(true);
        const Outbox consumables;

        HeartbeatSender heartbeat(box.settings.get());
        heartbeat.setScanners({&scanner1, nullptr, &scanner3});
        heartbeat.setRfid(&rfid);
        heartbeat.setConsumables(&consumables);
        QSignalSpy replied(&heartbeat, &HeartbeatSender::replied);
        heartbeat.sendHeartbeat();
        QVERIFY(replied.wait(10000));
        QCOMPARE(replied.first().first().toInt(), 200);

        const QJsonArray sent = box.requests(QStringLiteral("/api/heartbeat"));
        QCOMPARE(sent.size(), 1);
        const QJsonObject entry = sent.first().toObject();
        QCOMPARE(entry.value("method").toString(), QStringLiteral("POST"));
        const QJsonObject body = entry.value("body").toObject();
        QCOMPARE(body.value("tenant_id").toString(), QStringLiteral("demo"));
        QCOMPARE(body.value("client_id").toString(), QStringLiteral("desktop"));
        const QJsonArray items = body.value("items").toArray();
        QCOMPARE(items.size(), 1);
        const QJsonObject event = items.first().toObject();
        QCOMPARE(event.value("source").toString(), QStringLiteral("vornclient"));
        QCOMPARE(event.value("event").toString(), QStringLiteral("client_heartbeat"));
        QVERIFY(event.value("ts").toString().endsWith(u'Z'));
        const QJsonObject payload = event.value("payload").toObject();
        QCOMPARE(payload.value("app_version").toString(), QStringLiteral("2.0.1.18"));
        QCOMPARE(payload.value("device_id").toString(), QStringLiteral("demo-pc"));
        QCOMPARE(payload.value("pending").toObject(), (QJsonObject{{"consumables", 4}, {"print_archive", 0}}));
        QCOMPARE(payload.value("scanner_running").toBool(), true);
        QCOMPARE(payload.value("scanner3_running").toBool(), false);
        QVERIFY(payload.contains("scanner6_running"));
        QCOMPARE(payload.value("rfid_running").toBool(), true);
        const QJsonArray scanners = payload.value("scanners").toArray();
        QCOMPARE(scanners.size(), 6);
        QCOMPARE(scanners.at(2).toObject(), (QJsonObject{{"index", 3}, {"running", false}, {"configured", true}}));
        QCOMPARE(scanners.at(1).toObject(), (QJsonObject{{"index", 2}, {"running", false}, {"configured", false}}));
        QCOMPARE(scanners.at(5).toObject().value("index").toInt(), 6);
        QCOMPARE(box.demoTenant().device(QStringLiteral("demo-pc"))->heartbeats, 1);
    }

    void heartbeatSilenceAndBlock()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        HeartbeatSender heartbeat(box.settings.get());
        QSignalSpy replied(&heartbeat, &HeartbeatSender::replied);

        // A non-JSON 403 body becomes the block message.
        box.fault({{"path", "/api/heartbeat"}, {"status", 403}, {"body", "Доступ закрыт"}, {"times", 1}});
        heartbeat.sendHeartbeat();
        QVERIFY(replied.wait(10000));
        QCOMPARE(box.settings->serviceBlockNotice(), QStringLiteral("Доступ закрыт"));
        heartbeat.sendHeartbeat();
        QVERIFY(replied.wait(10000));
        QVERIFY(!box.settings->serviceBlocked());

        box.settings->setTenantId(QString());
        heartbeat.sendHeartbeat();
        box.requestsSoFar();
        QCOMPARE(box.requests(QStringLiteral("/api/heartbeat")).size(), 2);
        QCOMPARE(replied.count(), 2);
    }

    void snapshotRevisionsAndFiles()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        SnapshotSyncService sync(box.settings.get(), &box.eventLog);
        QSignalSpy ready(&sync, &SnapshotSyncService::snapshotReady);
        QCOMPARE(sync.status(), QStringLiteral("Синхронизация: готово"));
        QVERIFY(sync.needFullSnapshot());

        sync.refresh();
        QVERIFY(sync.busy());
        QCOMPARE(sync.status(), QStringLiteral("Синхронизация: запрашиваю полный снимок"));
        sync.refresh(); // dropped while busy
        QVERIFY(ready.wait(10000));
        QCOMPARE(ready.first().at(1).toBool(), false);
        // The orders' items come cut out of the body, beside the root.
        const auto orderItems = ready.first().at(2).value<SnapshotItems>();
        QVERIFY(orderItems.isCut());
        QVERIFY(!orderItems.items().isEmpty());
        const QJsonObject root = orderItems.withItems(ready.first().first().toJsonObject());
        QVERIFY(root.value("snapshot").toObject().contains("orders"));
        QCOMPARE(sync.revision(), QStringLiteral("1"));
        QCOMPARE(sync.status(), QStringLiteral("Синхронизация: данные обновлены"));

        const QJsonArray requests = box.requests(QStringLiteral("/api/client-snapshot"));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().toObject().value("query").toObject(), (QJsonObject{{"refresh", "1"}}));
        // Stored as it came: with the orders' items, which the signal carries beside the root.
        QCOMPARE(readJsonObjectFile(sync.cachePath()), root);
        const QJsonObject meta = readJsonObjectFile(sync.metaPath());
        QCOMPARE(meta.value("schema").toString(), QStringLiteral("dashboard_archive_stats_v2"));
        QCOMPARE(meta.value("revision").toString(), QStringLiteral("1"));
        QVERIFY(!meta.value("saved_at").toString().isEmpty());

        // Same revision: nothing changed, nothing announced.
        sync.refresh();
        QVERIFY(QTest::qWaitFor([&] { return !sync.busy(); }, 10000));
        QCOMPARE(sync.status(), QStringLiteral("Сервер: изменений нет"));
        QCOMPARE(ready.count(), 1);
        QCOMPARE(box.requests(QStringLiteral("/api/client-snapshot")).last().toObject()
                     .value("query").toObject(), (QJsonObject{{"since_rev", "1"}}));

        // "changed": false with a new revision stores it without announcing.
        box.fault({{"path", "/api/client-snapshot"}, {"status", 200}, {"times", 1},
                   {"json", QJsonObject{{"ok", true}, {"changed", false}, {"revision", 42}}}});
        sync.refresh();
        QVERIFY(QTest::qWaitFor([&] { return !sync.busy(); }, 10000));
        QCOMPARE(sync.revision(), QStringLiteral("42"));
        QCOMPARE(readJsonObjectFile(sync.metaPath()).value("revision").toString(), QStringLiteral("42"));
        QCOMPARE(ready.count(), 1);

        // An empty snapshot leaves the cache alone.
        box.fault({{"path", "/api/client-snapshot"}, {"status", 200}, {"times", 1},
                   {"json", QJsonObject{{"ok", true}, {"snapshot", QJsonObject{}}}}});
        sync.refresh();
        QVERIFY(QTest::qWaitFor([&] { return !sync.busy(); }, 10000));
        QCOMPARE(sync.status(), QStringLiteral("Сервер: пустой снимок"));
        QCOMPARE(readJsonObjectFile(sync.cachePath()), root);

        // A changed tenant comes back in full, with the revision taken from the snapshot.
        box.fault({{"path", "/api/client-snapshot"}, {"status", 200}, {"times", 1},
                   {"json", QJsonObject{{"snapshot", QJsonObject{{"revision", " 43 "}, {"orders", QJsonObject{}}}}}}});
        sync.refresh();
        QVERIFY(ready.wait(10000));
        QCOMPARE(sync.revision(), QStringLiteral("43"));

        // A restart reads the revision back; the cached root is announced first.
        SnapshotSyncService restarted(box.settings.get(), &box.eventLog);
        QCOMPARE(restarted.revision(), QStringLiteral("43"));
        QSignalSpy cached(&restarted, &SnapshotSyncService::snapshotReady);
        restarted.loadCachedSnapshot();
        QVERIFY(cached.wait(10000)); // read and parsed off the main thread
        QCOMPARE(cached.count(), 1);
        // Any orders' items come beside the root; together they are the file.
        const auto cachedItems = cached.first().at(2).value<SnapshotItems>();
        QCOMPARE(cachedItems.withItems(cached.first().first().toJsonObject()), readJsonObjectFile(sync.cachePath()));
        QCOMPARE(cached.first().at(1).toBool(), true);
        QCOMPARE(restarted.status(), QStringLiteral("Синхронизация: локальный кеш применен"));
    }

    void snapshotFailures()
    {
        ServerLinkSandbox box;
        SnapshotSyncService sync(box.settings.get(), &box.eventLog);
        QSignalSpy ready(&sync, &SnapshotSyncService::snapshotReady);

        // Not set up: nothing is sent.
        sync.refresh();
        QVERIFY(!sync.busy());

        // A cache that is not a JSON object counts as none.
        QFile cache(sync.cachePath());
        QVERIFY(cache.open(QIODevice::WriteOnly));
        cache.write("[1,2]");
        cache.close();
        sync.loadCachedSnapshot();
        QTRY_COMPARE_WITH_TIMEOUT(sync.status(), QStringLiteral("Синхронизация: локального кеша нет"), 10000);

        box.setUpDemoDevice();
        sync.setRequestTimeoutMs(250);
        const auto refreshOnce = [&] {
            sync.refresh();
            return QTest::qWaitFor([&] { return !sync.busy(); }, 10000);
        };
        box.fault({{"path", "/api/client-snapshot"}, {"delay_ms", 3000}, {"times", 1}});
        QVERIFY(refreshOnce());
        QCOMPARE(sync.status(), QStringLiteral("Синхронизация: сервер не ответил вовремя"));

        box.fault({{"path", "/api/client-snapshot"}, {"status", 502}, {"body", "<html/>"}, {"times", 1}});
        QVERIFY(refreshOnce());
        QCOMPARE(sync.status(), QStringLiteral("Синхронизация: сервер вернул не JSON (HTTP 502)"));

        box.fault({{"path", "/api/client-snapshot"}, {"status", 200}, {"times", 1},
                   {"json", QJsonObject{{"result", QJsonObject{{"status", "forbidden"}}}}}});
        QVERIFY(refreshOnce());
        QCOMPARE(sync.status(), QStringLiteral("Синхронизация: сервер отклонил запрос: доступ к операции запрещён"));

        box.fault({{"path", "/api/client-snapshot"}, {"drop", true}, {"times", 2}});
        QVERIFY(refreshOnce());
        QCOMPARE(sync.status(), QStringLiteral("Синхронизация: ошибка сети: сервер разорвал соединение"));

        box.settings->setSnapshotEndpoint(QStringLiteral("  "));
        sync.refresh();
        QCOMPARE(sync.status(), QStringLiteral("Синхронизация: адрес сервера не настроен"));
        QVERIFY(box.hasLogEntry(sync.status()));
        QCOMPARE(ready.count(), 0);
        QVERIFY(sync.needFullSnapshot());
    }
};

QTEST_MAIN(HeartbeatSnapshotTest)
#include "HeartbeatSnapshotTest.moc"
