#include "DeviceTestSupport.h"
#include "SocatPort.h"

#include "devices/RfidScannerService.h"
#include "devices/SerialPortWatcher.h"
#include "settings/AppSettings.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
constexpr int kLongWait = 10000;

// Each emission of a spy as its arguments joined by "|".
QStringList joined(const QSignalSpy &spy)
{
    QStringList rows;
    for (const QList<QVariant> &arguments : spy) {
        QStringList parts;
        for (const QVariant &argument : arguments)
            parts << argument.toString();
        rows << parts.join(QLatin1Char('|'));
    }
    return rows;
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
        m_port = std::make_unique<SocatPort>(m_dir.filePath(QStringLiteral("reader")));
        QVERIFY2(m_port->start(), "socat missing or failing");
        m_settings.setRfidPort(m_port->path());
        SerialTimings timings;
        timings.clock = &m_clock;
        m_rfid = std::make_unique<RfidScannerService>(&m_settings, &m_log, nullptr, timings);
        QCOMPARE(m_rfid->statusText(), QStringLiteral("RFID отключён"));

        // Disconnected: a command is refused with a status, nothing is pending.
        QVERIFY(!m_rfid->requestReadCard());
        QCOMPARE(m_rfid->statusText(), QStringLiteral("RFID: нет связи (подключи RFID порт)"));
        QVERIFY(m_rfid->pendingAction().isEmpty());

        m_rfid->start();
        QTRY_VERIFY_WITH_TIMEOUT(m_rfid->connected(), kLongWait);
        QCOMPARE(m_rfid->statusText(), QStringLiteral("RFID подключён: %1").arg(m_port->path()));
        QVERIFY(journalMessages(m_log).contains(QStringLiteral("RFID подключён: %1").arg(m_port->path())));
    }

    void readerLines_data()
    {
        QTest::addColumn<QString>("pending"); // the command sent first: "read", "write" or none
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QStringList>("cards");   // uid|tagText|raw
        QTest::addColumn<QStringList>("reads");   // uid|data
        QTest::addColumn<QStringList>("results"); // ok|message
        QTest::addColumn<QString>("journalled");

        QTest::newRow("card") << "" << QByteArray("RFID:04a1b2c3\r\n")
                              << QStringList{"04A1B2C3||RFID:04a1b2c3"} << QStringList{} << QStringList{} << "";
        QTest::newRow("the same card line at once counts once")
            << "" << QByteArray("RFID:0a0b\r\nRFID:0a0b\r\n") << QStringList{"0A0B||RFID:0a0b"}
            << QStringList{} << QStringList{} << "";
        QTest::newRow("tag data may hold colons")
            << "" << QByteArray("tag:04a1b2c3:E7|Ivanova\r\nTAG:0a0b0c0d:id:7|Имя\r\n")
            << QStringList{"04A1B2C3|E7|Ivanova|tag:04a1b2c3:E7|Ivanova", "0A0B0C0D|id:7|Имя|TAG:0a0b0c0d:id:7|Имя"}
            << QStringList{} << QStringList{} << "";
        QTest::newRow("bare number of 4+ hex digits is a card")
            << "" << QByteArray("04 A1 B2\r\n") << QStringList{"04A1B2|04 A1 B2|04 A1 B2"} << QStringList{}
            << QStringList{} << "RFID RAW: 04 A1 B2";
        QTest::newRow("other lines only journalled") << "" << QByteArray("hello\r\n") << QStringList{}
                                                     << QStringList{} << QStringList{} << "RFID RAW: hello";
        QTest::newRow("OK while idle only becomes the status") << "" << QByteArray("OK\r\n") << QStringList{}
                                                               << QStringList{} << QStringList{} << "OK";
        QTest::newRow("pending read answered by TAG: data, no card")
            << "read" << QByteArray("TAG:04a1b2c3:E7|Ivanova\r\n") << QStringList{}
            << QStringList{"04A1B2C3|E7|Ivanova"} << QStringList{"true|данные карты считаны"} << "";
        QTest::newRow("pending read answered by DATA keeps the card's uid")
            << "read" << QByteArray("RFID:0c0d\r\nDATA: 12|Петров \r\n") << QStringList{"0C0D||RFID:0c0d"}
            << QStringList{"0C0D|12|Петров"} << QStringList{"true|данные карты считаны"} << "";
        QTest::newRow("pending write answered by OK") << "write" << QByteArray("OK\r\n") << QStringList{}
                                                      << QStringList{} << QStringList{"true|операция выполнена"} << "";
        QTest::newRow("pending write answered by OK with text")
            << "write" << QByteArray("ok: записано\r\n") << QStringList{} << QStringList{}
            << QStringList{"true|записано"} << "";
        QTest::newRow("pending write answered by ERR") << "write" << QByteArray("ERR: card locked\r\n")
                                                       << QStringList{} << QStringList{}
                                                       << QStringList{"false|card locked"} << "";
    }

    void readerLines()
    {
        QFETCH(QString, pending);
        QFETCH(QByteArray, lines);
        QFETCH(QStringList, cards);
        QFETCH(QStringList, reads);
        QFETCH(QStringList, results);
        QFETCH(QString, journalled);

        m_clock.advance(1000); // rows never bounce off each other
        QSignalSpy cardSpy(m_rfid.get(), &RfidScannerService::cardReceived);
        QSignalSpy readSpy(m_rfid.get(), &RfidScannerService::cardDataRead);
        QSignalSpy resultSpy(m_rfid.get(), &RfidScannerService::commandResult);
        QSignalSpy raws(m_rfid.get(), &RfidScannerService::rawLineReceived);
        if (pending == QLatin1String("read"))
            QVERIFY(m_rfid->requestReadCard());
        else if (pending == QLatin1String("write"))
            QVERIFY(m_rfid->requestWriteCard(QStringLiteral("1|X")));

        // A line behind the row's own shows that everything before it has been handled.
        QVERIFY(m_port->write(lines + "END-OF-ROW\r\n"));
        QTRY_VERIFY_WITH_TIMEOUT(!raws.isEmpty() && raws.last().at(0) == QStringLiteral("END-OF-ROW"), kLongWait);
        QCOMPARE(joined(cardSpy), cards);
        QCOMPARE(joined(readSpy), reads);
        QCOMPARE(joined(resultSpy), results);
        if (!results.isEmpty())
            QVERIFY(m_rfid->pendingAction().isEmpty());
        if (!journalled.isEmpty())
            QVERIFY(journalMessages(m_log).contains(journalled));
        m_rfid->clearPendingAction();
    }

    void commandsReachTheReader()
    {
        const QByteArray before = m_port->received(); // what the rows above sent
        QVERIFY(m_rfid->requestReadCard());
        QCOMPARE(m_rfid->pendingAction(), QStringLiteral("read"));
        QCOMPARE(m_rfid->statusText(), QStringLiteral("RFID: приложи карту для чтения..."));
        QTRY_COMPARE_WITH_TIMEOUT(m_port->received().mid(before.size()), QByteArray("READ\n"), kLongWait);
        m_rfid->clearPendingAction();
        QVERIFY(m_rfid->pendingAction().isEmpty());

        // Blanks only: a warning, and nothing reaches the reader.
        QVERIFY(!m_rfid->requestWriteCard(QStringLiteral("   ")));
        QVERIFY(journalMessages(m_log, QStringLiteral("warn")).contains(QStringLiteral("RFID: нечего записывать на карту.")));
        QVERIFY(m_rfid->pendingAction().isEmpty());

        // WRITE reaches the reader as UTF-8 ending in a line feed.
        QVERIFY(m_rfid->requestWriteCard(QStringLiteral(" 7|Иванова ")));
        QCOMPARE(m_rfid->pendingAction(), QStringLiteral("write"));
        QTRY_VERIFY_WITH_TIMEOUT(m_port->received().endsWith(QStringLiteral("WRITE:7|Иванова\n").toUtf8()), kLongWait);

        // Stopping drops the pending command and refuses further ones.
        m_rfid->stop();
        QVERIFY(m_rfid->pendingAction().isEmpty());
        QCOMPARE(m_rfid->statusText(), QStringLiteral("RFID отключён"));
        QVERIFY(!m_rfid->requestReadCard());
    }

    void floodsStopTheReaderForGood()
    {
        // The shared reader's port must be closed for good first: the port is opened
        // exclusively, and this reader never retries a failed open.
        m_rfid.reset();
        SerialPortWatcher watcher(100);
        SerialTimings timings;
        timings.clock = &m_clock; // one rate window, however slow the machine
        RfidScannerService rfid(&m_settings, &m_log, &watcher, timings);
        QSignalSpy raws(&rfid, &RfidScannerService::rawLineReceived);
        rfid.start();
        QTRY_VERIFY_WITH_TIMEOUT(rfid.connected(), kLongWait);

        QByteArray burst;
        for (int i = 1; i <= 61; ++i)
            burst += "L" + QByteArray::number(i) + "\r\n";
        QVERIFY(m_port->write(burst));
        const QString stopped = QStringLiteral(
            "RFID: ошибка RFID COM-порт отдаёт непрерывный поток данных, подключение остановлено");
        QTRY_COMPARE_WITH_TIMEOUT(rfid.statusText(), stopped, kLongWait);
        QCOMPARE(raws.count(), 60);
        QVERIFY(!rfid.running());

        // The reader never retries by itself, not even on the presence watch's word;
        // lines sent now reach nobody.
        QVERIFY(m_port->write("RFID:04A1B2C3\r\n"));
        QSignalSpy refreshed(&watcher, &SerialPortWatcher::refreshed);
        QTRY_VERIFY_WITH_TIMEOUT(refreshed.count() >= 3, kLongWait);
        QVERIFY(!rfid.running());
        QCOMPARE(rfid.statusText(), stopped);
        QCOMPARE(raws.count(), 60);
    }

private:
    QTemporaryDir m_dir;
    AppSettings m_settings;
    EventLogModel m_log;
    TestClock m_clock;
    std::unique_ptr<SocatPort> m_port;
    std::unique_ptr<RfidScannerService> m_rfid;
};

QTEST_MAIN(RfidScannerServiceTest)
#include "tst_rfidscanner.moc"
