#include "DeviceTestSupport.h"
#include "SocatPort.h"

#include "devices/ComScannerService.h"
#include "devices/RfidScannerService.h"
#include "devices/SerialPortWatcher.h"
#include "settings/AppSettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <thread>
#include <vector>

namespace {
int processThreadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}
} // namespace

class DeviceShutdownTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void sevenOpenPortsShutDownWithinTheBoundedWaits()
    {
        std::vector<std::unique_ptr<SocatPort>> ports;
        for (int i = 1; i <= 7; ++i) {
            ports.push_back(std::make_unique<SocatPort>(m_dir.filePath(QStringLiteral("dev%1").arg(i))));
            QVERIFY(ports.back()->start());
        }
        AppSettings settings;
        for (int slot = 1; slot <= 6; ++slot)
            settings.setScannerPort(slot, ports.at(slot - 1)->path());
        settings.setRfidPort(ports.at(6)->path());
        EventLogModel log;
        SerialPortWatcher watcher;

        const int threadsBefore = processThreadCount();
        std::vector<std::unique_ptr<ComScannerService>> scanners;
        for (int slot = 1; slot <= 6; ++slot) {
            scanners.push_back(std::make_unique<ComScannerService>(&settings, &log, slot, &watcher));
            QCOMPARE(scanners.back()->portThread()->objectName(), QStringLiteral("ComScannerService-%1").arg(slot));
            scanners.back()->start();
        }
        auto rfid = std::make_unique<RfidScannerService>(&settings, &log, &watcher);
        rfid->start();
        QCOMPARE(processThreadCount(), threadsBefore + 7);
        for (const auto &scanner : scanners)
            QTRY_VERIFY_WITH_TIMEOUT(scanner->connected(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(rfid->connected(), 10000);

        QElapsedTimer elapsed;
        elapsed.start();
        scanners.clear();
        rfid.reset();
        // Every thread stopped at the first, 5-second wait (no warning, no terminate).
        QVERIFY2(elapsed.elapsed() < 5000, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(journalMessages(log).filter(QStringLiteral("не завершился штатно")).size(), 0);
        // wait() returns once a thread has finished its work; the kernel task goes a moment later.
        QTRY_COMPARE_WITH_TIMEOUT(processThreadCount(), threadsBefore, 2000);
    }

    void aBusyPortThreadIsWarnedAboutAndStillStopped()
    {
        AppSettings settings;
        EventLogModel log;
        SerialTimings timings;
        timings.threadStopWaitMs = 200;
        timings.threadKillWaitMs = 5000;
        const int threadsBefore = processThreadCount();
        auto scanner = std::make_unique<ComScannerService>(&settings, &log, 4, nullptr, timings);
        ThreadBlocker blocker(scanner->portThread());
        // The hang clears only after the first wait has given up.
        std::thread releaser([&blocker] {
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
            blocker.release();
        });
        scanner.reset();
        releaser.join();
        QVERIFY(journalMessages(log, QStringLiteral("warn"))
                    .contains(QStringLiteral("Сканер 4: поток COM-порта не завершился штатно")));
        QTRY_COMPARE_WITH_TIMEOUT(processThreadCount(), threadsBefore, 2000);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(DeviceShutdownTest)
#include "tst_deviceshutdown.moc"
