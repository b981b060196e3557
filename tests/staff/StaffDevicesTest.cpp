#include "devices/DeviceTestSupport.h"
#include "serverlink/ServerLinkSandbox.h"

#include "devices/RfidScannerService.h"
#include "staff/EmployeeWorkspaceStore.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
constexpr int kWait = 15000;
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
        QVERIFY(typeInto(fifo, "04aa55cc33\n")); // a bare lower-case UID
        QTRY_VERIFY_WITH_TIMEOUT(box.hasLogEntry(QStringLiteral("👥 Сергей Лебедев: пришёл по RFID")), kWait);
        QCOMPARE(store.activeEmployeeId(), QStringLiteral("E006"));
        // The demo card with its data.
        QVERIFY(typeInto(fifo, "emp:E006\n"));
        QTRY_VERIFY_WITH_TIMEOUT(box.hasLogEntry(QStringLiteral("👥 Сергей Лебедев: ушёл по RFID")), kWait);
        rfid.stop();
    }
};

QTEST_GUILESS_MAIN(StaffDevicesTest)
#include "StaffDevicesTest.moc"
