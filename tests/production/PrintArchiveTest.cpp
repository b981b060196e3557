#include "serverlink/ServerLinkSandbox.h"

#include "consumables/OutboxBuffer.h"
#include "production/PrintArchiveEvent.h"
#include "production/PrintArchiveStore.h"

#include <QSignalSpy>
#include <QtTest>

class PrintArchiveTest : public QObject
{
    Q_OBJECT

private:
    static QJsonArray archiveBodies(ServerLinkSandbox &box)
    {
        QJsonArray events;
        for (const QJsonValue &entry : box.requests(QStringLiteral("/api/client-event"))) {
            const QJsonObject body = entry.toObject().value("body").toObject();
            if (body.value("event_type").toString() == QLatin1String("archive_event"))
                events.append(body.value("payload").toObject().value("event"));
        }
        return events;
    }

    static bool waitForLog(ServerLinkSandbox &box, const QString &message)
    {
        return QTest::qWaitFor([&] { return box.hasLogEntry(message); }, 10000);
    }

    static QVariantMap snapshotFromServer(ServerLinkSandbox &box)
    {
        QJsonObject root{{"snapshot", box.demoTenant().data}};
        return root.toVariantMap();
    }

private Q_SLOTS:
    void eventFields()
    {
        PrintSize size = PrintSize::fromFileName(QStringLiteral("печать_Море 60х40 (2).pdf"));
        QCOMPARE(size.text, QStringLiteral("60×40 см"));
        QVERIFY(qAbs(size.areaM2 - 0.24) < 1e-9);
        QCOMPARE(PrintSize::fromFileName(QStringLiteral("a_300X270.png")).text, QStringLiteral("300×270 см"));
        QCOMPARE(PrintSize::fromFileName(QStringLiteral("b 50 × 70.png")).widthCm, 50);
        QCOMPARE(PrintSize::fromFileName(QStringLiteral("c_2x3.png")).areaM2, 0.0);
        QCOMPARE(PrintSize::fromFileName(QStringLiteral("00x40.png")).areaM2, 0.0);
        QVERIFY(PrintSize::fromFileName(QStringLiteral("123456.pdf")).text.isEmpty());

        QCOMPARE(PrintArchiveEvent::layoutName(QStringLiteral("напечатано_самовыкуп_Лев.pdf")), QStringLiteral("Лев"));
        QCOMPARE(PrintArchiveEvent::layoutName(QStringLiteral("расход_Кот.png")), QStringLiteral("Кот"));
        QCOMPARE(PrintArchiveEvent::marketplaceOf(QStringLiteral("D:/Labels/YM/1.pdf"), {}), QStringLiteral("YM"));
        QCOMPARE(PrintArchiveEvent::marketplaceOf(QStringLiteral("D:\\wb\\1.pdf"), {}), QStringLiteral("WB"));
        QCOMPARE(PrintArchiveEvent::marketplaceOf(QStringLiteral("/x/Этикетки Озон/1.pdf"), {}), QStringLiteral("OZON"));
        QCOMPARE(PrintArchiveEvent::marketplaceOf(QStringLiteral("/x/стикеры/1.pdf"), QStringLiteral("wb")), QStringLiteral("YM"));
        QCOMPARE(PrintArchiveEvent::marketplaceOf(QStringLiteral("/x/1.pdf"), QStringLiteral(" Yandex ")), QStringLiteral("YM"));
        QCOMPARE(PrintArchiveEvent::marketplaceOf(QStringLiteral("/x/1.pdf"), QStringLiteral("fbo")), QStringLiteral("FBO"));
        QCOMPARE(PrintArchiveEvent::marketplaceOf(QStringLiteral("/x/1.pdf"), QStringLiteral("ozon")), QStringLiteral("OZON"));
        QVERIFY(PrintArchiveEvent::marketplaceOf(QStringLiteral("/x/1.pdf"), QStringLiteral("?")).isEmpty());

        const QDateTime at(QDate(2026, 3, 14), QTime(9, 26, 53));
        const QVariantMap e = PrintArchiveEvent::build(
            QStringLiteral("/work/labels/напечатано_Море 60х40.pdf"), QStringLiteral("Godex"),
            QStringLiteral("P01PACK2WB"),
            {{"rawScan", "P01PACK2WB-1"}, {"marketplace", "wb"}, {"strip_no", 1},
             {"workplaceId", "cutter_2"}, {"printer", "Mimaki"}},
            at);
        QCOMPARE(e.value("type").toString(), QStringLiteral("print"));
        QCOMPARE(e.value("printedAt").toString(), QStringLiteral("2026-03-14 09:26:53"));
        QCOMPARE(e.value("fileName").toString(), QStringLiteral("напечатано_Море 60х40.pdf"));
        QCOMPARE(e.value("maket").toString(), QStringLiteral("Море 60х40"));
        QCOMPARE(e.value("marketplace").toString(), QStringLiteral("WB"));
        QCOMPARE(e.value("size_cm").toString(), QStringLiteral("60×40 см"));
        QVERIFY(qAbs(e.value("area").toDouble() - 0.24) < 1e-9);
        QCOMPARE(e.value("unique_no").toString(), QStringLiteral("P01PACK2WB"));
        QCOMPARE(e.value("raw_scan").toString(), QStringLiteral("P01PACK2WB-1"));
        QCOMPARE(e.value("stripNo").toInt(), 1);
        QCOMPARE(e.value("workplace_id").toString(), QStringLiteral("cutter_2"));
        QCOMPARE(e.value("server_printer").toString(), QStringLiteral("Mimaki"));
        QCOMPARE(PrintArchiveEvent::duplicateKey(e), QStringLiteral("uid|P01PACK2WB"));
        QVariantMap noUid = e;
        for (const char *key : {"scan_uid", "scanUid", "unique_no", "uniqueNo"})
            noUid.remove(key);
        QCOMPARE(PrintArchiveEvent::duplicateKey(noUid), QStringLiteral("2026-03-14|wb|море 60х40"));
        QVERIFY(PrintArchiveEvent::isWarehouseLayout({{"source", "warehouse"}}));
        QVERIFY(!PrintArchiveEvent::isWarehouseLayout(e));
    }

    void duplicatesSendOnce()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        PrintArchiveStore store(box.settings.get(), &box.eventLog);
        QVERIFY(!store.recordPrint(QStringLiteral("/l/печать_1 60х40.pdf"), QStringLiteral("p"), false,
                                   QStringLiteral("480001")));
        QVERIFY(store.recordPrint(QStringLiteral("/l/печать_1 60х40.pdf"), QStringLiteral("p"), true,
                                  QStringLiteral("480001")));
        QVERIFY(waitForLog(box, QStringLiteral("Архив печати: событие отправлено")));
        // Same UID again on the same day.
        QVERIFY(!store.recordPrint(QStringLiteral("/l/напечатано_1 60х40.pdf"), QStringLiteral("p"), true,
                                   QStringLiteral("480001")));
        QVERIFY(box.hasLogEntry(QStringLiteral("Архив печати: такой код уже есть, дубль не отправлен")));
        // Without a UID the layout of the day is the key.
        QVERIFY(store.recordPrint(QStringLiteral("/l/печать_Лев 50x70.png"), QStringLiteral("p"), true, QString()));
        QVERIFY(!store.recordPrint(QStringLiteral("/l/самовыкуп_Лев 50x70.png"), QStringLiteral("p"), true, QString()));
        QVERIFY(box.hasLogEntry(QStringLiteral("Архив печати: дубль макета за день пропущен")));
        QVERIFY(!store.recordPrint(QStringLiteral("/l/склад_7.pdf"), QStringLiteral("p"), true, QStringLiteral("7")));
        QVERIFY(box.hasLogEntry(QStringLiteral("Архив печати: складской макет не учитывается в квадратуре")));
        QTRY_COMPARE_WITH_TIMEOUT(archiveBodies(box).size(), 2, 10000);
        QCOMPARE(archiveBodies(box).at(0).toObject().value("size_cm").toString(), QStringLiteral("60×40 см"));

        // The server's archive (with our events) comes back with the snapshot.
        QSignalSpy changed(&store, &PrintArchiveStore::changed);
        store.applySnapshotRoot(QJsonObject::fromVariantMap(snapshotFromServer(box)));
        QVERIFY(changed.count() >= 1);
        int ours = 0;
        for (const QVariant &event : store.recentEvents())
            if (event.toMap().value("maket") == QStringLiteral("Лев 50x70"))
                ++ours;
        QCOMPARE(ours, 1);
        QCOMPARE(store.serverStats().value("todayCount").toInt(),
                 box.demoTenant().data.value("archive_stats").toObject().value("today_count").toInt());
        QVERIFY(store.serverStats().value("todayCount").toInt() >= 2);
        QVERIFY(store.serverStats().value("wbArea").toDouble() > 0.0);
        // A layout the server already has today.
        QVERIFY(!store.recordPrint(QStringLiteral("/l/печать_Пионы в тумане.jpg"), QStringLiteral("p"), true,
                                   QString(), {{"marketplace", "WB"}}));
        QVERIFY(box.hasLogEntry(QStringLiteral("Архив печати: такой макет уже есть за сегодня, дубль не отправлен")));

        // A server that does not know the event: dropped, not queued.
        box.fault({{"path", "/api/client-event"}, {"status", 200}, {"times", 1},
                   {"json", QJsonObject{{"ok", true}, {"result", QJsonObject{{"status", "unsupported"}}}}}});
        QVERIFY(store.recordPrint(QStringLiteral("/l/печать_2.pdf"), QStringLiteral("p"), true, QStringLiteral("480002")));
        QVERIFY(waitForLog(box, QStringLiteral("Архив печати: сервер не принимает archive_event. "
                                               "Ждём поддержку серверного события.")));
        QCOMPARE(store.pendingCount(), 0);
    }

    void offlinePrintsRetryInOrder()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        PrintArchiveStore store(box.settings.get(), &box.eventLog);
        // A consumables row in the same file must stay untouched.
        OutboxBuffer other(box.settings.get());
        QVERIFY(other.enqueue(QStringLiteral("ink_receive"), {{"qty", 1}}));

        box.fault({{"path", "/api/client-event"}, {"drop", true}});
        for (const char *uid : {"480101", "480102", "480103"})
            QVERIFY(store.recordPrint(QStringLiteral("/l/печать_%1.pdf").arg(QLatin1String(uid)),
                                      QStringLiteral("p"), true, QLatin1String(uid)));
        QTRY_COMPARE_WITH_TIMEOUT(store.pendingCount(), 3, 10000);
        QVERIFY(store.lastStatus().startsWith(QStringLiteral("Синхронизация архива печати отложена: ")));
        const QList<OutboxRow> rows = other.fetch(10);
        QCOMPARE(rows.size(), 4);
        QVERIFY(!rows.at(1).lastError.isEmpty());

        // Still offline: the pass breaks off at the first row and keeps all.
        store.retryPending();
        QTRY_VERIFY_WITH_TIMEOUT(!store.busy(), 10000);
        QCOMPARE(store.lastStatus(), QStringLiteral("Синхронизация архива печати не завершена"));
        QCOMPARE(store.pendingCount(), 3);

        // A restart keeps the queue: a new store sees the same rows.
        {
            PrintArchiveStore again(box.settings.get(), nullptr);
            QCOMPARE(again.pendingCount(), 3);
        }

        box.server.faults().clear();
        const int before = archiveBodies(box).size();
        store.retryPending();
        QVERIFY(box.hasLogEntry(QStringLiteral("Синхронизация архива печати: отправляем очередь изменений...")));
        QTRY_VERIFY_WITH_TIMEOUT(!store.busy(), 10000);
        QCOMPARE(store.pendingCount(), 0);
        QCOMPARE(store.lastStatus(),
                 QStringLiteral("Синхронизация архива печати завершена. Данные обновятся общим snapshot"));
        const QJsonArray sent = archiveBodies(box);
        QCOMPARE(sent.size() - before, 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(sent.at(before + i).toObject().value("unique_no").toString(),
                     QStringLiteral("48010%1").arg(i + 1));
        QCOMPARE(other.count(), 1); // the ink row is not ours

        // Queued events the server does not support leave the queue with a message.
        box.fault({{"path", "/api/client-event"}, {"drop", true}});
        QVERIFY(store.recordPrint(QStringLiteral("/l/печать_480104.pdf"), QStringLiteral("p"), true,
                                  QStringLiteral("480104")));
        QTRY_COMPARE_WITH_TIMEOUT(store.pendingCount(), 1, 10000);
        box.server.faults().clear();
        box.fault({{"path", "/api/client-event"}, {"status", 200}, {"times", 1},
                   {"json", QJsonObject{{"ok", true}, {"result", QJsonObject{{"status", "ignored"}}}}}});
        store.refresh();
        QTRY_VERIFY_WITH_TIMEOUT(!store.busy(), 10000);
        QCOMPARE(store.pendingCount(), 0);
        QVERIFY(box.hasLogEntry(QStringLiteral("Архив печати: сервер пока не поддерживает queued "
                                               "archive_event, элемент снят из очереди")));

        // No endpoint: queued with that reason; clearPending empties only our rows.
        box.settings->setServerUrl(QString());
        box.settings->setEventEndpoint(QString());
        QVERIFY(store.recordPrint(QStringLiteral("/l/печать_480105.pdf"), QStringLiteral("p"), true,
                                  QStringLiteral("480105")));
        QCOMPARE(store.pendingCount(), 1);
        QCOMPARE(store.lastStatus(),
                 QStringLiteral("Синхронизация архива печати отложена: event endpoint невалиден"));
        QVERIFY(store.clearPending());
        QCOMPARE(store.pendingCount(), 0);
        QCOMPARE(store.lastStatus(), QStringLiteral("Очередь архива печати очищена"));
        QCOMPARE(other.count(), 1);
    }

    void snapshotShapesAndDates()
    {
        ServerLinkSandbox box;
        PrintArchiveStore store(box.settings.get(), nullptr);
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        const QString yesterday = QDate::currentDate().addDays(-1).toString(Qt::ISODate);
        const QVariantList events{
            QVariantMap{{"date", QString(today + " 09:15:00")}, {"maket", "A"}},
            QVariantMap{{"printed_at", QString(yesterday + "T18:05:07")}, {"maket", "B"}},
            QVariantMap{{"ts", QString(today + "T11:00:00")}, {"maket", "C"}},
        };
        store.applySnapshotRoot(QJsonObject::fromVariantMap(
            {{"archive", QVariantMap{{"events", events}}}, {"archiveStats", QVariantMap{{"todayPrints", 2}}}}));
        QCOMPARE(store.serverStats().value("todayCount").toInt(), 2);
        const QVariantList asObject = store.recentEvents();
        store.applySnapshotRoot(QJsonObject::fromVariantMap({{"snapshot", QVariantMap{{"archive", events}}}}));
        QCOMPARE(store.recentEvents(), asObject);
        QCOMPARE(asObject.size(), 3);
        QCOMPARE(asObject.first().toMap().value("maket").toString(), QStringLiteral("C")); // newest first
        QCOMPARE(store.availableDates(), QVariantList({today, yesterday}));
        QCOMPARE(store.selectedDate(), today);
        QCOMPARE(store.selectedDateEvents().size(), 2);
        // The second root had none; how each spelling is read is DashboardSummaryTest's.
        QCOMPARE(store.serverStats().value("todayCount").toInt(), 0);

        QSignalSpy changed(&store, &PrintArchiveStore::changed);
        store.shiftSelectedDate(-1);
        QCOMPARE(store.selectedDate(), yesterday);
        QCOMPARE(changed.count(), 1);
        const QVariantMap b = store.selectedDateEvents().first().toMap();
        QCOMPARE(b.value("maket").toString(), QStringLiteral("B"));
        QCOMPARE(b.value("timeText").toString(),
                 QDate::currentDate().addDays(-1).toString(QStringLiteral("dd.MM.yyyy")) + " 18:05");
        QCOMPARE(b.value("timeDetailsText").toString().right(8), QStringLiteral("18:05:07"));
        store.setSelectedDate(QDate::currentDate().addDays(-1).toString(QStringLiteral("dd.MM.yyyy")));
        QCOMPARE(changed.count(), 1); // same date: nothing
        store.setSelectedDate(QStringLiteral("2020/02/29"));
        QCOMPARE(store.selectedDate(), QStringLiteral("2020-02-29"));
        QVERIFY(store.selectedDateEvents().isEmpty());
        store.setSelectedDate(QStringLiteral("31/12/2021"));
        QCOMPARE(store.selectedDate(), QStringLiteral("2021-12-31"));
        store.setSelectedDate(QStringLiteral("not a date"));
        QCOMPARE(store.selectedDate(), today);
        QCOMPARE(changed.count(), 4);

        // The employees key is read when there is no archive.
        store.applySnapshotRoot(QJsonObject::fromVariantMap({{"employees", QVariantMap{{"events", events.mid(0, 1)}}}}));
        QCOMPARE(store.recentEvents().size(), 1);
    }

    // The snapshot poll prepares the events off the main thread: the same events
    // as a direct apply, a newer snapshot wins over one still pending, and one
    // that brings nothing new changes nothing.
    void snapshotInBackground()
    {
        ServerLinkSandbox box;
        PrintArchiveStore direct(box.settings.get(), nullptr);
        PrintArchiveStore store(box.settings.get(), nullptr);
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        QJsonArray events;
        for (int i = 0; i < 50; ++i)
            events.append(QJsonObject{{"ts", QStringLiteral("%1T%2:00:00").arg(today).arg(i % 24, 2, 10, QLatin1Char('0'))},
                                      {"maket", QStringLiteral("M%1").arg(i)}});
        const QJsonObject first{{"archive", QJsonObject{{"events", events}}}};
        QJsonArray more = events;
        more.prepend(QJsonObject{{"ts", QString(today + "T23:59:00")}, {"maket", "newest"}});
        const QJsonObject second{{"archive", QJsonObject{{"events", more}}}};

        QSignalSpy changed(&store, &PrintArchiveStore::changed);
        store.applySnapshotRootInBackground(first);
        store.applySnapshotRootInBackground(second); // overtakes the first
        QTRY_VERIFY_WITH_TIMEOUT(!store.applyPending(), 10000);
        QCOMPARE(changed.count(), 1);
        direct.applySnapshotRoot(second);
        QCOMPARE(store.serverEvents(), direct.serverEvents());
        QCOMPARE(store.recentEvents().first().toMap().value("maket").toString(), QStringLiteral("newest"));

        store.applySnapshotRootInBackground(second);
        QTRY_VERIFY_WITH_TIMEOUT(!store.applyPending(), 10000);
        QCOMPARE(changed.count(), 1); // nothing new
        store.applySnapshotRootInBackground(first);
        QTRY_VERIFY_WITH_TIMEOUT(!store.applyPending(), 10000);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(store.serverEvents().size(), 50);
    }
};

QTEST_GUILESS_MAIN(PrintArchiveTest)
#include "PrintArchiveTest.moc"
