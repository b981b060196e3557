#include "DeviceTestSupport.h"
#include "SocatPort.h"

#include "devices/ComScannerService.h"
#include "devices/SerialPortList.h"
#include "settings/AppSettings.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kLongWait = 10000;

SerialTimings fastTimings()
{
    SerialTimings timings;
    timings.presenceIntervalMs = 150;
    timings.reconnectDelaysMs = {100, 200, 300, 400, 500};
    return timings;
}

bool waitConnected(ComScannerService &scanner)
{
    return QTest::qWaitFor([&] { return scanner.connected(); }, kLongWait);
}

// Every distinct status the slot showed, in order.
QStringList *recordStatuses(ComScannerService &scanner)
{
    auto *seen = new QStringList{scanner.statusText()};
    QObject::connect(&scanner, &QObject::destroyed, [seen] { delete seen; });
    QObject::connect(&scanner, &ComScannerService::changed, [seen, &scanner] {
        if (seen->last() != scanner.statusText())
            seen->append(scanner.statusText());
    });
    return seen;
}
} // namespace

class ComScannerServiceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty(), "socat missing");
    }

    void framesLinesFromThePort()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("frame-scanner")));
        QVERIFY(port.start());
        AppSettings settings;
        settings.setScannerPort(1, port.path());
        EventLogModel log;
        ComScannerService scanner(&settings, &log, 1);
        QSignalSpy scans(&scanner, &ComScannerService::scanReceived);
        QCOMPARE(scanner.statusText(), QStringLiteral("Сканер 1 отключён"));
        QCOMPARE(scanner.availablePorts(), QStringList{port.path()});

        scanner.start();
        QVERIFY(waitConnected(scanner));
        QCOMPARE(scanner.statusText(), QStringLiteral("Сканер 1 подключён: %1").arg(port.path()));
        QVERIFY(scanner.running());

        // CR LF, LF CR, blank lines and a blank-only line all separate, never produce scans.
        QVERIFY(port.write("ABC\r\n\r\nDEF\n\rGHI\r\n\r\n\n   \r\nJKL\n"));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 4, kLongWait);
        QCOMPARE(scans.at(0).at(0).toString(), QStringLiteral("ABC"));
        QCOMPARE(scans.at(1).at(0).toString(), QStringLiteral("DEF"));
        QCOMPARE(scans.at(2).at(0).toString(), QStringLiteral("GHI"));
        QCOMPARE(scans.at(3).at(0).toString(), QStringLiteral("JKL"));
        QCOMPARE(scanner.lastScan(), QStringLiteral("JKL"));
        QVERIFY(journal(log).contains(QStringLiteral("Скан: ABC")));

        // Without a terminator the scan arrives once the line has been idle for 60 ms.
        QElapsedTimer sinceWrite;
        sinceWrite.start();
        QVERIFY(port.write("  P01ABCDEFG "));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 5, kLongWait);
        QVERIFY2(sinceWrite.elapsed() >= 50, qPrintable(QString::number(sinceWrite.elapsed())));
        QCOMPARE(scans.at(4).at(0).toString(), QStringLiteral("P01ABCDEFG"));

        // An over-long line is cut to 512 characters.
        QVERIFY(port.write(QByteArray(600, 'x') + "\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 6, kLongWait);
        QCOMPARE(scans.at(5).at(0).toString(), QString(512, QLatin1Char('x')));
    }

    void suppressesBouncesAndKeepsCardScansOutOfTheJournal()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("bounce-scanner")));
        QVERIFY(port.start());
        AppSettings settings;
        settings.setScannerPort(2, port.path());
        EventLogModel log;
        ComScannerService scanner(&settings, &log, 2);
        QSignalSpy scans(&scanner, &ComScannerService::scanReceived);
        scanner.start();
        QVERIFY(waitConnected(scanner));

        // The same text twice at once, and again 150 ms later: one scan.
        QVERIFY(port.write("P01AAAAAAA\r\nP01AAAAAAA\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 1, kLongWait);
        QTest::qWait(150);
        QVERIFY(port.write("P01AAAAAAA\r\n"));
        QTest::qWait(200);
        QCOMPARE(scans.count(), 1);

        // 450 ms after the last accepted one it counts again.
        QTest::qWait(450);
        QVERIFY(port.write("P01AAAAAAA\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 2, kLongWait);

        // Different texts 10 ms apart are both scans.
        QVERIFY(port.write("P01BBBBBBB\r\n"));
        QTest::qWait(10);
        QVERIFY(port.write("P01CCCCCCC\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 4, kLongWait);
        QCOMPARE(countContaining(journal(log), QStringLiteral("Скан 2: P01AAAAAAA")), 2);
        QVERIFY(journal(log).contains(QStringLiteral("Скан 2: P01CCCCCCC")));

        // Card numbers typed by a scanner are routed but not written to the journal.
        const int journalBefore = log.rowCount();
        QVERIFY(port.write("rfid: 0012345678\r\nTAG:04A1:7|Ivanova\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 6, kLongWait);
        QCOMPARE(scans.at(4).at(0).toString(), QStringLiteral("rfid: 0012345678"));
        QCOMPARE(log.rowCount(), journalBefore);
    }

    void floodStopsTheConnectionAndSchedulesAReconnect()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("flood-scanner")));
        QVERIFY(port.start());
        AppSettings settings;
        settings.setScannerPort(1, port.path());
        EventLogModel log;
        ComScannerService scanner(&settings, &log, 1);
        QSignalSpy scans(&scanner, &ComScannerService::scanReceived);
        scanner.start();
        QVERIFY(waitConnected(scanner));

        // Noise without line ends: the buffer limit stops the connection, nothing is emitted.
        const QString tooMuch = QStringLiteral("COM-порт отдаёт слишком много данных, подключение остановлено");
        QVERIFY(port.write(QByteArray(12000, 'A')));
        QTRY_VERIFY_WITH_TIMEOUT(journal(log).contains(QStringLiteral("Сканер 1: ошибка ") + tooMuch), kLongWait);
        QVERIFY(!scanner.running());
        QVERIFY(scanner.reconnectPending());
        QCOMPARE(scanner.reconnectDelayMs(), 1200);
        QCOMPARE(scanner.statusText(),
                 QStringLiteral("Сканер 1: переподключение %1 через 2 сек").arg(port.path()));
        QVERIFY(journal(log, QStringLiteral("warn"))
                    .contains(QStringLiteral("Сканер 1: восстановление после ошибки COM (%1)").arg(tooMuch)));
        QCOMPARE(scans.count(), 0);

        // The reconnect comes by itself; a stuck trigger (81 lines in a second) stops it again.
        QVERIFY(waitConnected(scanner));
        scans.clear();
        QByteArray burst;
        for (int i = 1; i <= 81; ++i)
            burst += "LINE" + QByteArray::number(i) + "\r\n";
        QVERIFY(port.write(burst));
        QTRY_VERIFY_WITH_TIMEOUT(journal(log).contains(QStringLiteral(
            "Сканер 1: ошибка COM-порт отдаёт непрерывный поток данных, подключение остановлено")), kLongWait);
        QCOMPARE(scans.count(), 80);
        QVERIFY(!scanner.running());
        // The successful open reset the series: this is attempt 1 again, logged again.
        QCOMPARE(scanner.reconnectDelayMs(), 1200);
        QCOMPARE(countContaining(journal(log), QStringLiteral("переподключение")), 2);
        scanner.stop();
    }

    void reconnectDelaysGrowAndResetAfterSuccess()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("late-scanner")));
        AppSettings settings;
        settings.setScannerPort(1, port.path());
        EventLogModel log;
        ComScannerService scanner(&settings, &log, 1, fastTimings());
        // The delay of every newly scheduled reconnect, read when its status appears.
        QList<int> delays;
        QString shown = scanner.statusText();
        connect(&scanner, &ComScannerService::changed, this, [&] {
            if (scanner.statusText() == shown)
                return;
            shown = scanner.statusText();
            if (shown.startsWith(QStringLiteral("Сканер 1: переподключение")))
                delays << scanner.reconnectDelayMs();
        });

        scanner.start(); // the port does not exist yet
        QTRY_VERIFY_WITH_TIMEOUT(delays.size() >= 6, kLongWait);
        QCOMPARE(delays.mid(0, 6), (QList<int>{100, 200, 300, 400, 500, 500}));
        // Only the first attempt of a series is journalled.
        QCOMPARE(journal(log).count(QStringLiteral("Сканер 1: переподключение %1 через 1 сек").arg(port.path())), 1);
        QCOMPARE(countContaining(journal(log), QStringLiteral("Сканер 1: переподключение")), 1);
        QCOMPARE(countContaining(journal(log, QStringLiteral("warn")),
                                 QStringLiteral("Сканер 1: восстановление после ошибки COM")), 1);

        // The device appears: the next attempt connects without user action.
        QVERIFY(port.start());
        QVERIFY(waitConnected(scanner));

        // A later failure starts the schedule from the beginning, logged once more.
        delays.clear();
        port.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!delays.isEmpty(), kLongWait);
        QCOMPARE(delays.first(), 100);
        QCOMPARE(countContaining(journal(log), QStringLiteral("Сканер 1: переподключение")), 2);

        scanner.stop();
        QCOMPARE(scanner.statusText(), QStringLiteral("Сканер 1 отключён"));
        QVERIFY(!scanner.reconnectPending());
    }

    void reconnectsAfterUnplugUnlessStopped()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("unplug-scanner")));
        QVERIFY(port.start());
        AppSettings settings;
        settings.setScannerPort(1, port.path());
        EventLogModel log;
        ComScannerService scanner(&settings, &log, 1, fastTimings());
        QSignalSpy scans(&scanner, &ComScannerService::scanReceived);
        scanner.start();
        QVERIFY(waitConnected(scanner));

        // Pulling the cable ends the connection (a hang-up, not a busy error loop).
        port.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!scanner.connected(), kLongWait);
        QTRY_VERIFY_WITH_TIMEOUT(
            countContaining(journal(log, QStringLiteral("warn")),
                            QStringLiteral("Сканер 1: восстановление после ошибки COM")) == 1, kLongWait);

        // Plugging it back in on the same path reconnects by itself and scans flow again.
        QVERIFY(port.start());
        QVERIFY(waitConnected(scanner));
        QVERIFY(port.write("AFTER-REPLUG\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 1, kLongWait);

        // A stopped slot stays down through unplug and replug.
        scanner.stop();
        port.stop();
        QVERIFY(port.start());
        QTest::qWait(800);
        QVERIFY(!scanner.running());
        QVERIFY(!scanner.reconnectPending());
        QCOMPARE(scanner.statusText(), QStringLiteral("Сканер 1 отключён"));
    }

    void presenceWatchFollowsThePortPath()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("presence-scanner")));
        QVERIFY(port.start());
        AppSettings settings;
        settings.setScannerPort(1, port.path());
        EventLogModel log;
        ComScannerService scanner(&settings, &log, 1, fastTimings());
        scanner.start();
        QVERIFY(waitConnected(scanner));
        // The serial library does not list ptys; the existing configured path counts.
        QVERIFY(SerialPortList::presentPorts(port.path()).contains(port.path()));

        // The path vanishes while the line is still open: the watch notices.
        const QString target = QFile::symLinkTarget(port.path());
        QVERIFY(QFile::remove(port.path()));
        QVERIFY(!SerialPortList::presentPorts(port.path()).contains(port.path()));
        QTRY_VERIFY_WITH_TIMEOUT(
            journal(log).contains(QStringLiteral("Сканер 1: %1 пропал из системы").arg(port.path())), kLongWait);
        QVERIFY(journal(log, QStringLiteral("warn")).contains(
            QStringLiteral("Сканер 1: восстановление после ошибки COM (COM-порт пропал из системы)")));
        QVERIFY(!scanner.connected());
        QVERIFY(QFile::link(target, port.path()));
        QVERIFY(waitConnected(scanner));

        // An idle slot (never stopped) whose port shows up reconnects on its own.
        SocatPort second(m_dir.filePath(QStringLiteral("presence-scanner2")));
        settings.setScannerPort(2, second.path());
        ComScannerService idle(&settings, &log, 2, fastTimings());
        QTest::qWait(400);
        QVERIFY(!idle.running());
        QVERIFY(second.start());
        QTRY_VERIFY_WITH_TIMEOUT(idle.connected(), kLongWait);
        QVERIFY(journal(log, QStringLiteral("warn")).contains(
            QStringLiteral("Сканер 2: восстановление после ошибки COM (COM-порт снова доступен)")));
        QVERIFY(idle.availablePorts().contains(second.path()));
    }

    void staleReportsChangeNothing()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("stale-scanner")));
        QVERIFY(port.start());
        AppSettings settings;
        settings.setScannerPort(1, port.path());
        EventLogModel log;
        {
            // start then stop while the port thread is busy: the late "opened" report
            // carries the old generation and must not show the slot as connected.
            ComScannerService scanner(&settings, &log, 1, fastTimings());
            QStringList *statuses = recordStatuses(scanner);
            ThreadBlocker blocker(scanner.portThread());
            scanner.start();
            scanner.stop();
            blocker.release();
            ThreadBlocker barrier(scanner.portThread()); // the worker has handled both calls
            barrier.release();
            QTest::qWait(100);
            QVERIFY(!scanner.running());
            QCOMPARE(scanner.statusText(), QStringLiteral("Сканер 1 отключён"));
            QCOMPARE(countContaining(*statuses, QStringLiteral("подключён:")), 0);
            QCOMPARE(countContaining(journal(log), QStringLiteral("подключён:")), 0);
        }
        {
            // An open that hangs past the time-out is abandoned; its late answer is ignored.
            SerialTimings timings = fastTimings();
            timings.openTimeoutMs = 300;
            timings.reconnectDelaysMs = {1500};
            ComScannerService scanner(&settings, &log, 1, timings);
            ThreadBlocker blocker(scanner.portThread());
            scanner.start();
            QTRY_VERIFY_WITH_TIMEOUT(journal(log).contains(
                QStringLiteral("Сканер 1: %1 не ответил за 1 сек").arg(port.path())), kLongWait);
            QVERIFY(journal(log, QStringLiteral("warn")).contains(
                QStringLiteral("Сканер 1: восстановление после ошибки COM (таймаут открытия)")));
            blocker.release();
            ThreadBlocker barrier(scanner.portThread());
            barrier.release();
            QTest::qWait(100);
            QVERIFY(!scanner.connected());
            QVERIFY(scanner.reconnectPending());
            QVERIFY(waitConnected(scanner)); // the scheduled attempt then succeeds
        }
    }

    void startWithoutPortOrWhileConnected()
    {
        AppSettings settings;
        settings.setScannerPort(1, QString());
        EventLogModel log;
        ComScannerService unset(&settings, &log, 1, fastTimings());
        unset.start();
        QCOMPARE(unset.statusText(), QStringLiteral("Сканер 1: не выбран COM-порт"));
        QVERIFY(journal(log).contains(QStringLiteral("Сканер 1: не выбран COM-порт")));
        QTest::qWait(400); // several presence ticks: nothing follows
        QVERIFY(!unset.running());
        QVERIFY(!unset.reconnectPending());
        ComScannerService clamped(nullptr, nullptr, 0);
        QCOMPARE(clamped.slot(), 1);
        QCOMPARE(clamped.baudRate(), 9600);

        SocatPort port(m_dir.filePath(QStringLiteral("restart-scanner")));
        QVERIFY(port.start());
        settings.setScannerPort(3, port.path());
        ComScannerService scanner(&settings, &log, 3, fastTimings());
        scanner.start();
        QVERIFY(waitConnected(scanner));
        const quint64 generation = scanner.generation();
        scanner.start(); // same port and baud: only the status is refreshed
        QCOMPARE(scanner.generation(), generation);
        QCOMPARE(scanner.statusText(), QStringLiteral("Сканер 3 подключён: %1").arg(port.path()));

        settings.setScannerBaudRate(3, 115200);
        scanner.start(); // another baud: a new connection
        QVERIFY(scanner.generation() > generation);
        QVERIFY(waitConnected(scanner));
        QCOMPARE(scanner.baudRate(), 115200);

        scanner.toggle();
        QVERIFY(!scanner.running());
        QCOMPARE(scanner.statusText(), QStringLiteral("Сканер 3 отключён"));
        scanner.toggle();
        QVERIFY(scanner.running());
        QVERIFY(waitConnected(scanner));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(ComScannerServiceTest)
#include "tst_comscanner.moc"
