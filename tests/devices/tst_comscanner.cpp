#include "DeviceTestSupport.h"
#include "SocatPort.h"

#include "devices/ComScannerService.h"
#include "devices/SerialPortWatcher.h"
#include "settings/AppSettings.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kLongWait = 10000;
constexpr int kWatchMs = 100;

SerialTimings fastTimings(const MonotonicClock *clock = nullptr)
{
    SerialTimings timings;
    timings.reconnectDelaysMs = {100, 200, 300, 400, 500};
    timings.clock = clock;
    return timings;
}

bool waitConnected(ComScannerService &scanner)
{
    return QTest::qWaitFor([&] { return scanner.connected(); }, kLongWait);
}

// Lets the watcher finish `count` more enumerations: whatever they would set off has happened.
bool waitRefreshes(SerialPortWatcher &watcher, int count)
{
    QSignalSpy refreshed(&watcher, &SerialPortWatcher::refreshed);
    return QTest::qWaitFor([&] { return refreshed.count() >= count; }, kLongWait);
}

QString scanAt(const QSignalSpy &scans, int index)
{
    return scans.at(index).at(0).toString();
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

    void scansFromThePortWithoutBounces()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("frame-scanner")));
        QVERIFY(port.start());
        AppSettings settings;
        settings.setScannerPort(2, port.path());
        EventLogModel log;
        TestClock clock;
        ComScannerService scanner(&settings, &log, 2, nullptr, fastTimings(&clock));
        QSignalSpy scans(&scanner, &ComScannerService::scanReceived);
        QCOMPARE(scanner.statusText(), QStringLiteral("Сканер 2 отключён"));
        QCOMPARE(scanner.availablePorts(), QStringList{port.path()});

        scanner.start();
        QVERIFY(waitConnected(scanner));
        QCOMPARE(scanner.statusText(), QStringLiteral("Сканер 2 подключён: %1").arg(port.path()));
        QVERIFY(scanner.running());

        // The same text twice at once is one scan; a line behind it shows the bounce is gone.
        QVERIFY(port.write("P01AAAAAAA\r\nP01AAAAAAA\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 1, kLongWait);
        clock.advance(300);
        QVERIFY(port.write("P01AAAAAAA\r\nP01BBBBBBB\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 2, kLongWait);
        QCOMPARE(scanAt(scans, 1), QStringLiteral("P01BBBBBBB"));
        // Once the bounce window has passed the same text counts again.
        clock.advance(450);
        QVERIFY(port.write("P01BBBBBBB\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 3, kLongWait);
        QCOMPARE(scanner.lastScan(), QStringLiteral("P01BBBBBBB"));
        QCOMPARE(journalMessages(log).filter(QStringLiteral("Скан 2: P01BBBBBBB")).size(), 2);

        // Without a terminator the scan arrives once the line has been idle for 60 ms.
        QElapsedTimer sinceWrite;
        sinceWrite.start();
        QVERIFY(port.write("  P01ABCDEFG "));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 4, kLongWait);
        QVERIFY2(sinceWrite.elapsed() >= 50, qPrintable(QString::number(sinceWrite.elapsed())));
        QCOMPARE(scanAt(scans, 3), QStringLiteral("P01ABCDEFG"));

        // Card numbers typed by a scanner are routed but not written to the journal.
        const int journalBefore = log.rowCount();
        QVERIFY(port.write("rfid: 0012345678\r\nTAG:04A1:7|Ivanova\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 6, kLongWait);
        QCOMPARE(scanAt(scans, 4), QStringLiteral("rfid: 0012345678"));
        QCOMPARE(log.rowCount(), journalBefore);
    }

    void floodStopsTheConnectionAndSchedulesAReconnect()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("flood-scanner")));
        QVERIFY(port.start());
        AppSettings settings;
        settings.setScannerPort(1, port.path());
        EventLogModel log;
        ComScannerService scanner(&settings, &log, 1, nullptr);
        QSignalSpy scans(&scanner, &ComScannerService::scanReceived);
        scanner.start();
        QVERIFY(waitConnected(scanner));
        QVERIFY(port.write("FIRST\r\n"));
        QTRY_VERIFY_WITH_TIMEOUT(journalMessages(log).contains(QStringLiteral("Скан: FIRST")), kLongWait);
        scans.clear();

        // Noise without line ends: the buffer limit stops the connection, nothing is emitted.
        const QString tooMuch = QStringLiteral("COM-порт отдаёт слишком много данных, подключение остановлено");
        QVERIFY(port.write(QByteArray(12000, 'A')));
        QTRY_VERIFY_WITH_TIMEOUT(journalMessages(log).contains(QStringLiteral("Сканер 1: ошибка ") + tooMuch), kLongWait);
        QVERIFY(!scanner.running());
        QVERIFY(scanner.reconnectPending());
        QCOMPARE(scanner.reconnectDelayMs(), 1200);
        QCOMPARE(scanner.statusText(),
                 QStringLiteral("Сканер 1: переподключение %1 через 2 сек").arg(port.path()));
        QVERIFY(journalMessages(log, QStringLiteral("warn"))
                    .contains(QStringLiteral("Сканер 1: восстановление после ошибки COM (%1)").arg(tooMuch)));
        QCOMPARE(scans.count(), 0);

        // The reconnect comes by itself; a stuck trigger (81 lines at once) stops it again.
        QVERIFY(waitConnected(scanner));
        QByteArray burst;
        for (int i = 1; i <= 81; ++i)
            burst += "LINE" + QByteArray::number(i) + "\r\n";
        QVERIFY(port.write(burst));
        QTRY_VERIFY_WITH_TIMEOUT(!scanner.running(), kLongWait);
        QCOMPARE(scans.count(), 80);
    }

    void reconnectDelaysGrowAndResetAfterSuccess()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("late-scanner")));
        AppSettings settings;
        settings.setScannerPort(1, port.path());
        EventLogModel log;
        ComScannerService scanner(&settings, &log, 1, nullptr, fastTimings());
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
        QCOMPARE(journalMessages(log).count(QStringLiteral("Сканер 1: переподключение %1 через 1 сек").arg(port.path())), 1);
        QCOMPARE(journalMessages(log).filter(QStringLiteral("Сканер 1: переподключение")).size(), 1);
        QCOMPARE(journalMessages(log, QStringLiteral("warn"))
                     .filter(QStringLiteral("Сканер 1: восстановление после ошибки COM")).size(), 1);

        // The device appears: the next attempt connects without user action.
        QVERIFY(port.start());
        QVERIFY(waitConnected(scanner));

        // Pulling the cable (a hang-up, not a busy error loop) starts the schedule from
        // the beginning, logged once more.
        delays.clear();
        port.stop();
        QTRY_VERIFY_WITH_TIMEOUT(!delays.isEmpty(), kLongWait);
        QCOMPARE(delays.first(), 100);
        QCOMPARE(journalMessages(log).filter(QStringLiteral("Сканер 1: переподключение")).size(), 2);

        // Plugged back in on the same path it reconnects by itself.
        QVERIFY(port.start());
        QVERIFY(waitConnected(scanner));
        scanner.stop();
        QCOMPARE(scanner.statusText(), QStringLiteral("Сканер 1 отключён"));
        QVERIFY(!scanner.reconnectPending());
    }

    void presenceIsWatchedOnceForAllSlots()
    {
        SocatPort port(m_dir.filePath(QStringLiteral("presence-scanner")));
        QVERIFY(port.start());
        AppSettings settings;
        settings.setScannerPort(1, port.path());
        EventLogModel log;
        SerialPortWatcher watcher(kWatchMs);
        QSignalSpy portChanges(&watcher, &SerialPortWatcher::portsChanged);
        ComScannerService scanner(&settings, &log, 1, &watcher, fastTimings());
        scanner.start();
        QVERIFY(waitConnected(scanner));
        // The serial library does not list ptys; the existing configured path counts.
        QTRY_VERIFY_WITH_TIMEOUT(watcher.presentPorts().contains(port.path()), kLongWait);

        // Nothing moves: ticks notify nobody and the slot stays quiet.
        QSignalSpy scannerChanges(&scanner, &ComScannerService::changed);
        const int changesBefore = portChanges.count();
        QVERIFY(waitRefreshes(watcher, 3));
        QCOMPARE(portChanges.count(), changesBefore);
        QCOMPARE(scannerChanges.count(), 0);

        // The path vanishes while the line is still open: the watch notices.
        const QString target = QFile::symLinkTarget(port.path());
        QVERIFY(QFile::remove(port.path()));
        QTRY_VERIFY_WITH_TIMEOUT(
            journalMessages(log).contains(QStringLiteral("Сканер 1: %1 пропал из системы").arg(port.path())), kLongWait);
        QVERIFY(journalMessages(log, QStringLiteral("warn")).contains(
            QStringLiteral("Сканер 1: восстановление после ошибки COM (COM-порт пропал из системы)")));
        QVERIFY(!scanner.connected());
        QVERIFY(QFile::link(target, port.path()));
        QVERIFY(waitConnected(scanner));

        // An idle slot (never stopped) whose port shows up reconnects on its own.
        SocatPort second(m_dir.filePath(QStringLiteral("presence-scanner2")));
        settings.setScannerPort(2, second.path());
        ComScannerService idle(&settings, &log, 2, &watcher, fastTimings());
        QVERIFY(waitRefreshes(watcher, 2));
        QVERIFY(!idle.running());
        QVERIFY(!idle.reconnectPending());
        QVERIFY(second.start());
        QTRY_VERIFY_WITH_TIMEOUT(idle.connected(), kLongWait);
        QVERIFY(journalMessages(log, QStringLiteral("warn")).contains(
            QStringLiteral("Сканер 2: восстановление после ошибки COM (COM-порт снова доступен)")));
        QVERIFY(idle.availablePorts().contains(second.path()));

        // A stopped slot stays down through unplug and replug.
        idle.stop();
        second.stop();
        QVERIFY(second.start());
        QVERIFY(waitRefreshes(watcher, 2));
        QVERIFY(!idle.running());
        QVERIFY(!idle.reconnectPending());
        QCOMPARE(idle.statusText(), QStringLiteral("Сканер 2 отключён"));
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
            ComScannerService scanner(&settings, &log, 1, nullptr, fastTimings());
            QStringList statuses;
            connect(&scanner, &ComScannerService::changed, this, [&] { statuses << scanner.statusText(); });
            ThreadBlocker blocker(scanner.portThread());
            scanner.start();
            scanner.stop();
            blocker.release();
            ThreadBlocker barrier(scanner.portThread()); // the worker has answered both calls
            barrier.release();
            QCoreApplication::sendPostedEvents(); // and its answers have been handled
            QVERIFY(!scanner.running());
            QCOMPARE(scanner.statusText(), QStringLiteral("Сканер 1 отключён"));
            QCOMPARE(statuses.filter(QStringLiteral("подключён:")).size(), 0);
            QCOMPARE(journalMessages(log).filter(QStringLiteral("подключён:")).size(), 0);
        }
        {
            // An open that hangs past the time-out is abandoned; its late answer is ignored.
            SerialTimings timings = fastTimings();
            timings.openTimeoutMs = 300;
            timings.reconnectDelaysMs = {1500};
            ComScannerService scanner(&settings, &log, 1, nullptr, timings);
            ThreadBlocker blocker(scanner.portThread());
            scanner.start();
            QTRY_VERIFY_WITH_TIMEOUT(journalMessages(log).contains(
                QStringLiteral("Сканер 1: %1 не ответил за 1 сек").arg(port.path())), kLongWait);
            QVERIFY(journalMessages(log, QStringLiteral("warn")).contains(
                QStringLiteral("Сканер 1: восстановление после ошибки COM (таймаут открытия)")));
            blocker.release();
            ThreadBlocker barrier(scanner.portThread());
            barrier.release();
            QCoreApplication::sendPostedEvents();
            QVERIFY(!scanner.connected());
            QVERIFY(scanner.reconnectPending());
            QVERIFY(waitConnected(scanner)); // the scheduled attempt then succeeds
        }
    }

    void invalidPortNameIsRefused_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("nul") << QString(QChar(0)) + QStringLiteral("tail");
        QTest::newRow("escape") << QStringLiteral("\x1b[2J");
    }

    void invalidPortNameIsRefused()
    {
        QFETCH(QString, suffix);
        // The part before the bad character names a live device: it must not be opened.
        SocatPort port(m_dir.filePath(QStringLiteral("named-scanner")));
        QVERIFY(port.start());
        AppSettings settings;
        settings.setScannerPort(1, port.path() + suffix);
        EventLogModel log;
        ComScannerService scanner(&settings, &log, 1, nullptr, fastTimings());
        scanner.start();
        QTRY_VERIFY_WITH_TIMEOUT(scanner.reconnectPending(), kLongWait);
        QVERIFY(!scanner.connected());
        QVERIFY(journalMessages(log).filter(QStringLiteral("ошибка открытия")).value(0)
                    .endsWith(QStringLiteral("(недопустимое имя порта)")));
        QVERIFY(journalMessages(log, QStringLiteral("warn")).contains(
            QStringLiteral("Сканер 1: восстановление после ошибки COM (недопустимое имя порта)")));
        for (const QString &line : journalMessages(log))
            QVERIFY2(!line.contains(QChar(0)) && !line.contains(QChar(0x1b)), qPrintable(line));
        scanner.stop();
    }

    void startWithoutPortOrWhileConnected()
    {
        AppSettings settings;
        settings.setScannerPort(1, QString());
        EventLogModel log;
        SerialPortWatcher watcher(kWatchMs);
        ComScannerService unset(&settings, &log, 1, &watcher, fastTimings());
        unset.start();
        QCOMPARE(unset.statusText(), QStringLiteral("Сканер 1: не выбран COM-порт"));
        QVERIFY(journalMessages(log).contains(QStringLiteral("Сканер 1: не выбран COM-порт")));
        QVERIFY(waitRefreshes(watcher, 2)); // the presence watch sets nothing off
        QVERIFY(!unset.running());
        QVERIFY(!unset.reconnectPending());
        ComScannerService clamped(nullptr, nullptr, 0, nullptr);
        QCOMPARE(clamped.slot(), 1);
        QCOMPARE(clamped.baudRate(), 9600);
        // The scene binds to every property through the one inherited signal.
        const QMetaObject *meta = clamped.metaObject();
        for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i)
            QCOMPARE(meta->property(i).notifySignal().name(), QByteArray("changed"));

        SocatPort port(m_dir.filePath(QStringLiteral("restart-scanner")));
        QVERIFY(port.start());
        settings.setScannerPort(3, port.path());
        ComScannerService scanner(&settings, &log, 3, &watcher, fastTimings());
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

        // A rebuild of the port list is answered by the watcher's enumeration.
        QSignalSpy changes(&scanner, &ComScannerService::changed);
        scanner.refreshAvailablePorts();
        QTRY_COMPARE_WITH_TIMEOUT(changes.count(), 2, kLongWait);
        QVERIFY(scanner.availablePorts().contains(port.path()));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(ComScannerServiceTest)
#include "tst_comscanner.moc"
