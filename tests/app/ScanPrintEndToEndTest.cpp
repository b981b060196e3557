// A scan typed into a virtual scanner goes the whole road through the client's own object
// graph: scanner service, router, order scan at the in-process devserver, the "packed"
// verdict, the label out of the CUPS PDF printer, the file renamed as printed and the print
// archive event at the server. Once plainly, once after a cutter QR and an employee badge.
#include "DemoScanOrders.h"
#include "JournalProbe.h"
#include "devices/SocatPort.h"
#include "production/CupsPdfPrinter.h"
#include "serverlink/ServerLinkSandbox.h"

#include "app/ClientServices.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

namespace {

constexpr int kWait = 30000;

// A label picture of a size nobody else prints, so our job is told apart in the output.
void writeLabel(const QString &path, int widthMm, int heightMm)
{
    const int dpi = 203;
    QImage image(widthMm * dpi * 10 / 254, heightMm * dpi * 10 / 254, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawRect(4, 4, image.width() - 9, image.height() - 9);
    painter.end();
    image.setDotsPerMeterX(int(dpi / 0.0254 + 0.5));
    image.setDotsPerMeterY(int(dpi / 0.0254 + 0.5));
    QVERIFY(image.save(path));
}

// The new PDF whose first page is widthMm × heightMm; empty when none came in time.
QString waitForOurPdf(const QStringList &before, int widthMm, int heightMm)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 90000) {
        for (const QString &path : cupspdf::waitForNewPdfs(before, 1, 5000)) {
            QPdfDocument doc;
            if (doc.load(path) != QPdfDocument::Error::None || doc.pageCount() < 1)
                continue;
            const QSizeF size = doc.pagePointSize(0);
            const double w = widthMm * 72 / 25.4;
            const double h = heightMm * 72 / 25.4;
            if ((qAbs(size.width() - w) <= 1.5 && qAbs(size.height() - h) <= 1.5)
                || (qAbs(size.width() - h) <= 1.5 && qAbs(size.height() - w) <= 1.5))
                return path;
        }
    }
    return {};
}

QJsonObject lastEvent(const ServerLinkSandbox &box, const QString &type)
{
    QJsonObject found;
    for (const QJsonValue &entry : box.requests(QStringLiteral("/api/client-event"))) {
        const QJsonObject body = entry.toObject().value("body").toObject();
        if (body.value("event_type").toString() == type)
            found = body.value("payload").toObject();
    }
    return found;
}

QString archivedFile(const ServerLinkSandbox &box)
{
    return lastEvent(box, QStringLiteral("archive_event")).value("event").toObject().value("file").toString();
}

} // namespace

class ScanPrintEndToEndTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scanOnTheOrdersPagePrintsItsLabel()
    {
        REQUIRE_CUPS_PDF();
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        JournalProbe journal(box.eventLog);
        QTemporaryDir labels;
        box.settings->setUidSearchRoot1(labels.path());
        box.settings->setLabelPrinterName(cupspdf::printerName());
        // Codes of this test only: other engineers print the demo codes at the same time.
        const QString plainUid = QStringLiteral("7301001");
        const QString cutterUid = QStringLiteral("7301002");
        addNewWbOrder(box.demoTenant(), plainUid);
        addNewWbOrder(box.demoTenant(), cutterUid);
        writeLabel(labels.filePath(QStringLiteral("печать_%1.png").arg(plainUid)), 63, 39);
        writeLabel(labels.filePath(QStringLiteral("печать_%1.png").arg(cutterUid)), 57, 47);

        SocatPort scanner1(box.dir.filePath(QStringLiteral("scanner1")));
        SocatPort scanner2(box.dir.filePath(QStringLiteral("scanner2")));
        QVERIFY(scanner1.start());
        QVERIFY(scanner2.start());
        box.settings->setScannerPort(1, scanner1.path());
        box.settings->setScannerPort(2, scanner2.path());

        ClientServices client(*box.settings, box.eventLog);
        client.scanRouter().setPageKey(QStringLiteral("orders"));
        client.scanners().at(0)->start();
        client.scanners().at(1)->start();
        QTRY_VERIFY_WITH_TIMEOUT(client.scanners().at(0)->connected() && client.scanners().at(1)->connected(), kWait);

        // 1. A plain scan on scanner 1.
        QStringList before = cupspdf::settledPdfFiles();
        QVERIFY(scanner1.write(plainUid.toLatin1() + "\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(archivedFile(box), QStringLiteral("напечатано_%1.png").arg(plainUid), kWait);
        QJsonObject scan = lastEvent(box, QStringLiteral("order_scan"));
        QCOMPARE(scan.value("raw_scan").toString(), plainUid);
        QCOMPARE(scan.value("scanner_id").toString(), QStringLiteral("scanner_1"));
        QCOMPARE(scan.value("workplace_id").toString(), QStringLiteral("cutter_1"));
        QVERIFY(QFileInfo::exists(labels.filePath(QStringLiteral("напечатано_%1.png").arg(plainUid))));
        QVERIFY(!QFileInfo::exists(labels.filePath(QStringLiteral("печать_%1.png").arg(plainUid))));
        const QString first = waitForOurPdf(before, 63, 39);
        const cupspdf::OutputCleanup cleanup1{QStringList{first}};
        QVERIFY2(!first.isEmpty(), "no 63 x 39 mm PDF came out of the printer");

        // 2. Cutter QR, then a badge, then the order, all on scanner 2.
        QVERIFY(scanner2.write("CUTTER:1\r\n"));
        QTRY_VERIFY_WITH_TIMEOUT(journal.has(QStringLiteral("Сканер 2: выбран Резак 1")), kWait);
        QVERIFY(scanner2.write(R"({"kind":"emp","employee_id":"E001"})" "\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(lastEvent(box, QStringLiteral("employee_qr_scan")).value("employee_id").toString(),
                                  QStringLiteral("E001"), kWait);
        before = cupspdf::settledPdfFiles();
        QVERIFY(scanner2.write(cutterUid.toLatin1() + "\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(archivedFile(box), QStringLiteral("напечатано_%1.png").arg(cutterUid), kWait);
        scan = lastEvent(box, QStringLiteral("order_scan"));
        QCOMPARE(scan.value("raw_scan").toString(), cutterUid);
        QCOMPARE(scan.value("employee_id").toString(), QStringLiteral("E001"));
        QCOMPARE(scan.value("workplace_id").toString(), QStringLiteral("cutter_1"));
        QCOMPARE(scan.value("cutter_label").toString(), QStringLiteral("Резак 1"));
        QCOMPARE(scan.value("scanner_id").toString(), QStringLiteral("scanner_2"));
        QVERIFY(QFileInfo::exists(labels.filePath(QStringLiteral("напечатано_%1.png").arg(cutterUid))));
        const QString second = waitForOurPdf(before, 57, 47);
        const cupspdf::OutputCleanup cleanup2{QStringList{second}};
        QVERIFY2(!second.isEmpty(), "no 57 x 47 mm PDF came out of the printer");

        client.scanners().at(0)->stop();
        client.scanners().at(1)->stop();
    }
};

QTEST_MAIN(ScanPrintEndToEndTest)
#include "ScanPrintEndToEndTest.moc"
