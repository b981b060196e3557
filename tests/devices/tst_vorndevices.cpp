#include "DeviceTestSupport.h"

#include "devices/ComScannerService.h"
#include "devices/RfidScannerService.h"
#include "settings/AppSettings.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kLongWait = 10000;
} // namespace

class VornDevicesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void virtualScannerTypesScans()
    {
        const QString link = m_dir.filePath(QStringLiteral("vscanner"));
        const QString fifo = m_dir.filePath(QStringLiteral("vscanner.in"));
        auto tool = startTool({QStringLiteral("scanner"), QStringLiteral("--link"), link,
                               QStringLiteral("--input"), fifo, QStringLiteral("--terminator"),
                               QStringLiteral("lf"), QStringLiteral("--delay"), QStringLiteral("100"),
                               QStringLiteral("ONE"), QStringLiteral("TWO")});
        QVERIFY(tool);
        AppSettings settings;
        settings.setScannerPort(1, link);
        EventLogModel log;
        ComScannerService scanner(&settings, &log, 1, nullptr);
        QSignalSpy scans(&scanner, &ComScannerService::scanReceived);
        scanner.start();
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 2, kLongWait);
        QCOMPARE(scans.at(0).at(0).toString(), QStringLiteral("ONE"));
        QCOMPARE(scans.at(1).at(0).toString(), QStringLiteral("TWO"));
        QVERIFY(typeInto(fifo, "P01ABCDEFG\n"));
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 3, kLongWait);
        QCOMPARE(scanner.lastScan(), QStringLiteral("P01ABCDEFG"));

        // Ending the tool is the cable pulled: the link goes and the slot starts reconnecting.
        tool->terminate();
        QVERIFY(tool->waitForFinished(5000));
        QVERIFY(!QFileInfo::exists(link));
        QTRY_VERIFY_WITH_TIMEOUT(scanner.reconnectPending() || !scanner.connected(), kLongWait);
        scanner.stop();
    }

    void virtualReaderAnswersCommands()
    {
        const QString link = m_dir.filePath(QStringLiteral("vreader"));
        const QString fifo = m_dir.filePath(QStringLiteral("vreader.in"));
        auto tool = startTool({QStringLiteral("rfid"), QStringLiteral("--link"), link,
                               QStringLiteral("--input"), fifo, QStringLiteral("--card"),
                               QStringLiteral("04A1B2C3:5|Old"), QStringLiteral("--read-reply"),
                               QStringLiteral("tag")});
        QVERIFY(tool);
        AppSettings settings;
        settings.setRfidPort(link);
        EventLogModel log;
        RfidScannerService rfid(&settings, &log, nullptr);
        QSignalSpy cards(&rfid, &RfidScannerService::cardReceived);
        QSignalSpy reads(&rfid, &RfidScannerService::cardDataRead);
        QSignalSpy results(&rfid, &RfidScannerService::commandResult);
        rfid.start();
        QTRY_VERIFY_WITH_TIMEOUT(rfid.connected(), kLongWait);

        QVERIFY(rfid.requestReadCard());
        QTRY_COMPARE_WITH_TIMEOUT(reads.count(), 1, kLongWait);
        QCOMPARE(reads.at(0), (QVariantList{QStringLiteral("04A1B2C3"), QStringLiteral("5|Old")}));

        QVERIFY(rfid.requestWriteCard(QStringLiteral("7|Новиков")));
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 2, kLongWait);
        QCOMPARE(results.at(1), (QVariantList{true, QStringLiteral("операция выполнена")}));
        QVERIFY(rfid.requestReadCard());
        QTRY_COMPARE_WITH_TIMEOUT(reads.count(), 2, kLongWait);
        QCOMPARE(reads.at(1).at(1).toString(), QStringLiteral("7|Новиков"));

        // A card presented by hand.
        QVERIFY(typeInto(fifo, "0a0b0c0d\n"));
        QTRY_COMPARE_WITH_TIMEOUT(cards.count(), 1, kLongWait);
        QCOMPARE(cards.at(0).at(0).toString(), QStringLiteral("0A0B0C0D"));
        QCOMPARE(cards.at(0).at(2).toString(), QStringLiteral("RFID:0a0b0c0d"));
        rfid.stop();

        const QString locked = m_dir.filePath(QStringLiteral("vreader-locked"));
        auto failing = startTool({QStringLiteral("rfid"), QStringLiteral("--link"), locked,
                                  QStringLiteral("--card"), QStringLiteral("04A1"),
                                  QStringLiteral("--write-error"), QStringLiteral("карта защищена")});
        QVERIFY(failing);
        settings.setRfidPort(locked);
        rfid.start();
        QTRY_VERIFY_WITH_TIMEOUT(rfid.connected(), kLongWait);
        QVERIFY(rfid.requestWriteCard(QStringLiteral("1|X")));
        QTRY_COMPARE_WITH_TIMEOUT(results.count(), 4, kLongWait);
        QCOMPARE(results.at(3), (QVariantList{false, QStringLiteral("карта защищена")}));
    }

    void configureSetsEmptyPortsOnly()
    {
        const QString file = m_dir.filePath(QStringLiteral("data/settings.json"));
        const QString tool = QStringLiteral(VORN_DEVICES_BINARY);
        QCOMPARE(QProcess::execute(tool, {QStringLiteral("configure"), QStringLiteral("--settings"), file,
                                          QStringLiteral("--scanner"), QStringLiteral("/tmp/a"),
                                          QStringLiteral("--rfid"), QStringLiteral("/tmp/r")}), 0);
        QCOMPARE(QProcess::execute(tool, {QStringLiteral("configure"), QStringLiteral("--settings"), file,
                                          QStringLiteral("--scanner"), QStringLiteral("/tmp/b")}), 0);
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QJsonObject root = QJsonDocument::fromJson(in.readAll()).object();
        QCOMPARE(root.value(QStringLiteral("comPort")).toString(), QStringLiteral("/tmp/a"));
        QCOMPARE(root.value(QStringLiteral("scannerPorts")).toArray().at(0).toObject()
                     .value(QStringLiteral("port")).toString(), QStringLiteral("/tmp/a"));
        QCOMPARE(root.value(QStringLiteral("rfidPort")).toString(), QStringLiteral("/tmp/r"));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(VornDevicesTest)
#include "tst_vorndevices.moc"
