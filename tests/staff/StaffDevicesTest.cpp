#include "serverlink/ServerLinkSandbox.h"

#include "devices/ComScannerService.h"
#include "devices/RfidScannerService.h"
#include "staff/EmployeeWorkspaceStore.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr int kWait = 15000;

struct StopTool
{
    void operator()(QProcess *tool) const
    {
        tool->terminate();
        tool->waitForFinished(5000);
        delete tool;
    }
};
using Tool = std::unique_ptr<QProcess, StopTool>;

Tool startTool(const QStringList &arguments)
{
    Tool tool(new QProcess);
    tool->setProgram(QStringLiteral(VORN_DEVICES_BINARY));
    tool->setArguments(arguments);
    tool->start();
    if (!tool->waitForStarted(5000)
        || !QTest::qWaitFor([&] { return tool->readAllStandardOutput().contains("ready:"); }, kWait))
        return nullptr;
    return tool;
}

// One line through the tool's named pipe (the tool reads what a closed writer left).
bool present(const QString &fifo, const QByteArray &line)
{
    QFile pipe(fifo);
    return pipe.open(QIODevice::WriteOnly) && pipe.write(line) == line.size();
}

} // namespace

class StaffDevicesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void demoCardArrivesAndLeaves()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        const QString link = box.dir.filePath(QStringLiteral("vreader"));
        const QString fifo = box.dir.filePath(QStringLiteral("vreader.in"));
        auto tool = startTool({QStringLiteral("rfid"), QStringLiteral("--link"), link, QStringLiteral("--input"), fifo,
                               QStringLiteral("--employee"), QStringLiteral("E006"), QStringLiteral("--read-reply"),
                               QStringLiteral("tag")});
        QVERIFY(tool);

        EmployeeWorkspaceStore store(box.settings.get(), &box.eventLog);
        store.applySnapshotRoot(QJsonObject{{"employees", box.demoTenant().data.value("employees")}});
        box.settings->setRfidPort(link);
        RfidScannerService rfid(box.settings.get(), &box.eventLog, nullptr);
        // What the scene's router does with a card.
        connect(&rfid, &RfidScannerService::cardReceived, &store,
                [&store](const QString &uid, const QString &tagText, const QString &raw) {
                    store.processRfidCard(uid, tagText, raw);
                });
        QSignalSpy reads(&rfid, &RfidScannerService::cardDataRead);
        rfid.start();
        QTRY_VERIFY_WITH_TIMEOUT(rfid.connected(), kWait);

        // The card on the reader carries the employee's id and name, as the staff page writes them.
        QVERIFY(rfid.requestReadCard());
        QTRY_COMPARE_WITH_TIMEOUT(reads.count(), 1, kWait);
        QCOMPARE(reads.at(0).at(0).toString(), QStringLiteral("04AA55CC33"));
        QCOMPARE(reads.at(0).at(1).toString(), QStringLiteral("E006|Сергей Лебедев"));

        // Each line differs from the one before: the reader counts a repeated line once.
        QVERIFY(present(fifo, "04aa55cc33\n")); // a bare lower-case UID
        QTRY_VERIFY_WITH_TIMEOUT(box.hasLogEntry(QStringLiteral("👥 Сергей Лебедев: пришёл по RFID")), kWait);
        QCOMPARE(store.activeEmployeeId(), QStringLiteral("E006"));
        // The demo card with its data.
        QVERIFY(present(fifo, "emp:E006\n"));
        QTRY_VERIFY_WITH_TIMEOUT(box.hasLogEntry(QStringLiteral("👥 Сергей Лебедев: ушёл по RFID")), kWait);
        rfid.stop();
    }

    void demoBadgeIsTyped()
    {
        ServerLinkSandbox box;
        const QString link = box.dir.filePath(QStringLiteral("vscanner"));
        auto tool = startTool({QStringLiteral("scanner"), QStringLiteral("--link"), link, QStringLiteral("--delay"),
                               QStringLiteral("100"), QStringLiteral("--badge"), QStringLiteral("E001")});
        QVERIFY(tool);
        box.settings->setScannerPort(1, link);
        ComScannerService scanner(box.settings.get(), &box.eventLog, 1, nullptr);
        QSignalSpy scans(&scanner, &ComScannerService::scanReceived);
        scanner.start();
        QTRY_COMPARE_WITH_TIMEOUT(scans.count(), 1, kWait);
        EmployeeWorkspaceStore store(nullptr);
        QCOMPARE(store.employeeIdFromHardwareScan(scans.at(0).at(0).toString()), QStringLiteral("E001"));
        scanner.stop();
    }
};

QTEST_GUILESS_MAIN(StaffDevicesTest)
#include "StaffDevicesTest.moc"
