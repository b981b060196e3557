#include "DeviceTestSupport.h"
#include "SocatPort.h"

#include "devices/RfidScannerService.h"
#include "devices/SerialPortWatcher.h"
#include "settings/AppSettings.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kLongWait = 10000;

bool waitConnected(RfidScannerService &rfid)
{
    return QTest::qWaitFor([&] { return rfid.connected(); }, kLongWait);
}
} // namespace

class RfidScannerServiceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty(), "socat missing");
    }

    void readsCardsFromTheLineProtocol()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("cards-rfid")));
        QVERIFY(port.start());
        AppSettings settings;
        settings.setRfidPort(port.path());
        EventLogModel log;
        TestClock clock;
        SerialTimings timings;
        timings.clock = &clock;
        RfidScannerService rfid(&settings, &log, nullptr, timings);
        QSignalSpy cards(&rfid, &RfidScannerService::cardReceived);
        QSignalSpy raws(&rfid, &RfidScannerService::rawLineReceived);
        QSignalSpy results(&rfid, &RfidScannerService::commandResult);
        QCOMPARE(rfid.statusText(), QStringLiteral("RFID отключён"));

        rfid.start();
        QVERIFY(waitConnected(rfid));
        QCOMPARE(rfid.statusText(), QStringLiteral("RFID подключён: %1").arg(port.path()));
        QVERIFY(journal(log).contains(QStringLiteral("RFID подключён: %1").arg(port.path())));

        // The same card line twice within 250 ms is one card; later it is a second one.
        QVERIFY(port.write("RFID:04a1b2c3\r\nRFID:04a1b2c3\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(cards.count(), 1, kLongWait);
        QCOMPARE(cards.at(0), (QVariantList{QStringLiteral("04A1B2C3"), QString(), QStringLiteral("RFID:04a1b2c3")}));
        clock.advance(300);
        QVERIFY(port.write("RFID:04a1b2c3\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(cards.count(), 2, kLongWait);
        QCOMPARE(raws.count(), 2);

        // TAG lines carry data that may itself contain ":".
        QVERIFY(port.write("tag:04a1b2c3:E7|Ivanova\r\nTAG:0a0b0c0d:id:7|Имя\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(cards.count(), 4, kLongWait);
        QCOMPARE(cards.at(2).at(0).toString(), QStringLiteral("04A1B2C3"));
        QCOMPARE(cards.at(2).at(1).toString(), QStringLiteral("E7|Ivanova"));
        QCOMPARE(cards.at(3).at(0).toString(), QStringLiteral("0A0B0C0D"));
        QCOMPARE(cards.at(3).at(1).toString(), QStringLiteral("id:7|Имя"));
        QCOMPARE(rfid.lastUid(), QStringLiteral("0A0B0C0D"));
        QCOMPARE(rfid.lastTagText(), QStringLiteral("id:7|Имя"));

        // Other lines are journalled raw; a bare number of 4+ hex digits is a card.
        QVERIFY(port.write("hello\r\n04 A1 B2\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(cards.count(), 5, kLongWait);
        QCOMPARE(cards.at(4).at(0).toString(), QStringLiteral("04A1B2"));
        QCOMPARE(cards.at(4).at(1).toString(), QStringLiteral("04 A1 B2"));
        QVERIFY(journal(log).contains(QStringLiteral("RFID RAW: hello")));
        QVERIFY(journal(log).contains(QStringLiteral("RFID RAW: 04 A1 B2")));

        // OK while nothing is pending only becomes the status line.
        QVERIFY(port.write("OK\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(rfid.statusText(), QStringLiteral("OK"), kLongWait);
        QCOMPARE(results.count(), 0);
        QCOMPARE(cards.count(), 5);
    }

    void sendsCommandsAndMatchesTheirAnswers()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("commands-rfid")));
        QVERIFY(port.start());
        AppSettings settings;
        settings.setRfidPort(port.path());
        EventLogModel log;
        RfidScannerService rfid(&settings, &log, nullptr);
        QSignalSpy cards(&rfid, &RfidScannerService::cardReceived);
        QSignalSpy reads(&rfid, &RfidScannerService::cardDataRead);
        QSignalSpy results(&rfid, &RfidScannerService::commandResult);

        // Disconnected: refused with a status, nothing pending.
        QVERIFY(!rfid.requestReadCard());
        QCOMPARE(rfid.statusText(), QStringLiteral("RFID: нет связи (подключи RFID порт)"));
        QVERIFY(rfid.pendingAction().isEmpty());

        rfid.start();
        QVERIFY(waitConnected(rfid));

        // Blanks only: a warning, and nothing reaches the reader.
        QVERIFY(!rfid.requestWriteCard(QStringLiteral("   ")));
        QVERIFY(journal(log, QStringLiteral("warn")).contains(QStringLiteral("RFID: нечего записывать на карту.")));
        QVERIFY(rfid.pendingAction().isEmpty());

        // A pending read answered with a TAG line: data read, no card event.
        QVERIFY(rfid.requestReadCard());
        QCOMPARE(rfid.pendingAction(), QStringLiteral("read"));
        QCOMPARE(rfid.statusText(), QStringLiteral("RFID: приложи карту для чтения..."));
        QTRY_COMPARE_WITH_TIMEOUT(port.received(), QByteArray("READ\n"), kLongWait);
        QVERIFY(port.write("TAG:04a1b2c3:E7|Ivanova\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(reads.count(), 1, kLongWait);
        QCOMPARE(reads.at(0), (QVariantList{QStringLiteral("04A1B2C3"), QStringLiteral("E7|Ivanova")}));
        QCOMPARE(results.count(), 1);
        QCOMPARE(results.at(0), (QVariantList{true, QStringLiteral("данные карты считаны")}));
        QCOMPARE(cards.count(), 0);
        QVERIFY(rfid.pendingAction().isEmpty());

        // A read answered with DATA keeps the card's UID from before.
        QVERIFY(rfid.requestReadCard());
        QVERIFY(port.write("DATA: 12|Петров \r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(reads.count(), 2, kLongWait);
        QCOMPARE(reads.at(1), (QVariantList{QStringLiteral("04A1B2C3"), QStringLiteral("12|Петров")}));

        // WRITE reaches the reader as UTF-8 ending in a line feed; OK and ERR end it.
        QVERIFY(rfid.requestWriteCard(QStringLiteral(" 7|Иванова ")));
        QCOMPARE(rfid.pendingAction(), QStringLiteral("write"));
        QTRY_VERIFY_WITH_TIMEOUT(port.received().endsWith(QStringLiteral("WRITE:7|Иванова\n").toUtf8()), kLongWait);
        QVERIFY(port.write("OK\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 3, kLongWait);
        QCOMPARE(results.at(2), (QVariantList{true, QStringLiteral("операция выполнена")}));
        QVERIFY(rfid.requestWriteCard(QStringLiteral("8|Сидоров")));
        QVERIFY(port.write("ERR: card locked\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 4, kLongWait);
        QCOMPARE(results.at(3), (QVariantList{false, QStringLiteral("card locked")}));
        QCOMPARE(rfid.lastResponse(), QStringLiteral("card locked"));

        // A pending action can be dropped; stopping refuses further commands.
        QVERIFY(rfid.requestReadCard());
        rfid.clearPendingAction();
        QVERIFY(rfid.pendingAction().isEmpty());
        rfid.stop();
        QCOMPARE(rfid.statusText(), QStringLiteral("RFID отключён"));
        QVERIFY(!rfid.requestReadCard());
        QCOMPARE(cards.count(), 0);
    }

    void floodsStopTheReaderForGood()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("flood-rfid")));
        QVERIFY(port.start());
        AppSettings settings;
        settings.setRfidPort(port.path());
        EventLogModel log;
        SerialPortWatcher watcher(100);
        TestClock clock; // one rate window, however slow the machine
        SerialTimings timings;
        timings.clock = &clock;
        RfidScannerService rfid(&settings, &log, &watcher, timings);
        QSignalSpy raws(&rfid, &RfidScannerService::rawLineReceived);
        rfid.start();
        QVERIFY(waitConnected(rfid));

        QByteArray burst;
        for (int i = 1; i <= 61; ++i)
            burst += "L" + QByteArray::number(i) + "\r\n";
        QVERIFY(port.write(burst));
        const QString stopped = QStringLiteral(
            "RFID: ошибка RFID COM-порт отдаёт непрерывный поток данных, подключение остановлено");
        QTRY_COMPARE_WITH_TIMEOUT(rfid.statusText(), stopped, kLongWait);
        QCOMPARE(raws.count(), 60);
        QVERIFY(!rfid.running());

        // The reader never retries by itself, not even on the presence watch's word;
        // lines sent now reach nobody.
        QVERIFY(port.write("RFID:04A1B2C3\r\n"));
        QSignalSpy refreshed(&watcher, &SerialPortWatcher::refreshed);
        QTRY_VERIFY_WITH_TIMEOUT(refreshed.count() >= 3, kLongWait);
        QVERIFY(!rfid.running());
        QCOMPARE(rfid.statusText(), stopped);
        QCOMPARE(raws.count(), 60);

        // A line that never opens: the open time-out gives up and the late answer is ignored.
        rfid.stop();
        SerialTimings quick;
        quick.openTimeoutMs = 300;
        RfidScannerService slow(&settings, &log, nullptr, quick);
        ThreadBlocker blocker(slow.portThread());
        slow.start();
        QTRY_COMPARE_WITH_TIMEOUT(slow.statusText(),
                                  QStringLiteral("RFID: %1 не ответил за 1 сек").arg(port.path()), kLongWait);
        blocker.release();
        ThreadBlocker barrier(slow.portThread());
        barrier.release();
        QCoreApplication::sendPostedEvents();
        QVERIFY(!slow.running());
        QCOMPARE(countContaining(journal(log), QStringLiteral("RFID подключён")), 1);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(RfidScannerServiceTest)
#include "tst_rfidscanner.moc"
