// The UID print against real folders, the real CUPS PDF printer, the in-process
// vorn-devserver (spreadsheet stand-in, archive events) and the real orders service.
#include "JournalProbe.h"
#include "CupsPdfPrinter.h"
#include "serverlink/ServerLinkSandbox.h"

#include "DemoScanOrders.h"
#include "production/LabelFileFinder.h"
#include "production/OrdersApiService.h"
#include "production/OrdersModel.h"
#include "production/PrintArchiveStore.h"
#include "production/PrintUid.h"
#include "production/PrintedFileNaming.h"
#include "production/UidPrintService.h"
#include "supplies/GsConfirmClient.h"

#include <QImage>
#include <QSignalSpy>
#include <QtTest>

#include <sys/stat.h>

namespace {

// A 58 × 40 mm label at 203 dpi.
void writeLabel(const QString &path)
{
    QImage image(463, 320, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(10, 10, qRgb(0, 0, 0));
    image.setDotsPerMeterX(7992);
    image.setDotsPerMeterY(7992);
    QVERIFY(image.save(path));
}

void writeJunk(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a picture at all");
}

// Folders, settings, journal and the service as the client wires them.
struct Workshop
{
    ServerLinkSandbox box;
    QTemporaryDir folders;
    QString root1, wb, ozon, yandexLabels, ym;
    JournalProbe journal { box.eventLog };
    std::unique_ptr<GsConfirmClient> gs;
    std::unique_ptr<PrintArchiveStore> archive;
    std::unique_ptr<UidPrintService> service;

    explicit Workshop(bool withGs = true)
    {
        box.setUpDemoDevice();
        for (auto [field, name] : { std::pair { &root1, "root1" }, { &wb, "wb" }, { &ozon, "ozon" },
                                    { &yandexLabels, "ym-labels" }, { &ym, "ym" } }) {
            *field = folders.filePath(QLatin1String(name));
            QDir().mkpath(*field);
        }
        AppSettings &s = *box.settings;
        s.setUidSearchRoot1(root1);
        s.setWbPath(wb);
        s.setOzonPath(ozon);
        s.setYandexLabelsPath(yandexLabels);
        s.setYmPath(ym);
        s.setLabelPrinterName(cupspdf::printerName());
        s.setGsConfirmEndpoint(box.url() + QStringLiteral("/gs/confirm"));
        if (withGs)
            gs = std::make_unique<GsConfirmClient>(&s);
        archive = std::make_unique<PrintArchiveStore>(&s, &box.eventLog);
        service = std::make_unique<UidPrintService>(&s, &box.eventLog, gs.get(), archive.get());
    }

    bool logged(const QString &message) const { return journal.has(message); }
    QStringList printedUids() const
    {
        QStringList uids;
        for (const QString &message : journal.messages()) {
            if (message.startsWith(QStringLiteral("UID: напечатано ")))
                uids << message.mid(16);
        }
        return uids;
    }
};

} // namespace

class UidPrintServiceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_before = cupspdf::pdfFiles(); }
    void cleanupTestCase();
    void uidExtractionAndNames();
    void scoringCacheAndRename();
    void finderSeesFreshFiles();
    void finderWalksVolumesWithoutDirectoryTimes();
    void quickScansPrintInOrder();
    void failuresLeaveFilesAlone();
    void spreadsheetAndPrinterChoice();
    void serverJudgedScanPrintsEndToEnd();

private:
    QStringList m_before;
};

// The jobs printed here leave the printer's output folder too.
void UidPrintServiceTest::cleanupTestCase()
{
    for (const QString &name : cupspdf::settledPdfFiles()) {
        if (!m_before.contains(name))
            QFile::remove(QDir(cupspdf::outputDirectory()).filePath(name));
    }
}

void UidPrintServiceTest::uidExtractionAndNames()
{
    QCOMPARE(extractPrintUid(QStringLiteral("VORN_WALL:{\"tab\":1}")), QString());
    QCOMPARE(extractPrintUid(QStringLiteral("vorn_wall:abc 123456")), QString());
    QCOMPARE(extractPrintUid(QStringLiteral("{\"id\": 123456}")), QString());
    QCOMPARE(extractPrintUid(QStringLiteral("\x01\x02#  123456 ")), QStringLiteral("123456"));
    QCOMPARE(extractPrintUid(QStringLiteral("A|12|99-88 7")), QStringLiteral("99887"));
    QCOMPARE(extractPrintUid(QStringLiteral("X\uFF5C 4455 66")), QStringLiteral("445566"));
    QCOMPARE(extractPrintUid(QStringLiteral("X\u00A6778")), QStringLiteral("778"));
    QCOMPARE(extractPrintUid(QStringLiteral("abc 12 99887766 x")), QStringLiteral("99887766"));
    QCOMPARE(extractPrintUid(QStringLiteral("wb p01pack2wb-1 123456")), QStringLiteral("P01PACK2WB"));
    QCOMPARE(extractPrintUid(QStringLiteral("0042")), QStringLiteral("0042"));
    QCOMPARE(extractPrintUid(QStringLiteral("12")), QStringLiteral("12"));
    QCOMPARE(extractPrintUid(QStringLiteral("  #  ")), QString());

    QVERIFY(fileNameMatchesUid(QStringLiteral("печать_123456.pdf"), QStringLiteral("123456")));
    QVERIFY(fileNameMatchesUid(QStringLiteral("123456 (2).png"), QStringLiteral("123456")));
    QVERIFY(fileNameMatchesUid(QStringLiteral("Заказ-p01pack2wb.PNG"), QStringLiteral("P01PACK2WB")));
    QVERIFY(!fileNameMatchesUid(QStringLiteral("1234567.pdf"), QStringLiteral("123456")));
    QVERIFY(!fileNameMatchesUid(QStringLiteral("я123456.pdf"), QStringLiteral("123456")));
    QVERIFY(fileNameMatchesUid(QStringLiteral("ё123456.pdf"), QStringLiteral("123456")));
    QVERIFY(fileNameMatchesUid(QStringLiteral("x.123456.pdf.png"), QStringLiteral("123456")));
    QVERIFY(fileNameMatchesUid(QStringLiteral("a b+c.png"), QStringLiteral("b+c")));

    // Every name the pattern matches is found through its word pieces.
    const QStringList names { QStringLiteral("печать_123456.pdf"), QStringLiteral("123456 (2).png"),
                              QStringLiteral("ё123456ё.pdf"), QStringLiteral("P01PACK2WB_60х40.png"),
                              QStringLiteral("ab\u212A12.png"), QStringLiteral("x.123456.tar.pdf") };
    const QStringList uids { QStringLiteral("123456"), QStringLiteral("p01pack2wb"),
                             QStringLiteral("ab\u212A12"), QStringLiteral("abk12"), QStringLiteral("60") };
    for (const QString &name : names) {
        for (const QString &uid : uids) {
            if (fileNameMatchesUid(name, uid) && !uidTokenKey(uid).isEmpty())
                QVERIFY2(uidNameTokens(name).contains(uidTokenKey(uid)),
                         qPrintable(name + QStringLiteral(" / ") + uid));
        }
    }
    QVERIFY(uidTokenKey(QStringLiteral("b+c")).isEmpty());

    QCOMPARE(printedFileName(QStringLiteral("Печать_1.pdf"), false), QStringLiteral("напечатано_1.pdf"));
    QCOMPARE(printedFileName(QStringLiteral("самовыкуп_1.pdf"), false),
             QStringLiteral("напечатано_самовыкуп_1.pdf"));
    QCOMPARE(printedFileName(QStringLiteral("Расход 1.png"), false), QStringLiteral("напечатано 1.png"));
    QCOMPARE(printedFileName(QStringLiteral("напечатано_1.pdf"), true), QString());
    QCOMPARE(printedFileName(QStringLiteral("1.pdf"), false), QString());
    QCOMPARE(printedFileName(QStringLiteral("1.pdf"), true), QStringLiteral("напечатано_1.pdf"));
}

void UidPrintServiceTest::scoringCacheAndRename()
{
    REQUIRE_CUPS_PDF();
    Workshop w;
    // Ranked: the marked name first, then by root.
    writeLabel(w.wb + QStringLiteral("/печать_123456.png"));
    writeLabel(w.root1 + QStringLiteral("/123456.png"));
    QDir().mkpath(w.ozon + QStringLiteral("/deep/er"));
    writeLabel(w.ozon + QStringLiteral("/deep/er/123456 (2).png"));
    writeLabel(w.ozon + QStringLiteral("/1234567.png"));

    const QVector<LabelFileFinder::Candidate> found =
        w.service->finder().find(w.service->searchRoots(), QStringLiteral("123456"));
    QCOMPARE(found.size(), 3);
    QCOMPARE(found.at(0).fileName, QStringLiteral("печать_123456.png"));
    QCOMPARE(found.at(1).fileName, QStringLiteral("123456.png"));
    QCOMPARE(found.at(2).fileName, QStringLiteral("123456 (2).png"));
    QCOMPARE(found.at(2).rootNumber, 3);

    QSignalSpy printed(w.service.get(), &UidPrintService::printed);
    const QStringList before = cupspdf::settledPdfFiles();
    QVERIFY(w.service->printOnly(QStringLiteral("#123456")));
    QCOMPARE(printed.size(), 1);
    QCOMPARE(w.service->lastStatus(), QStringLiteral("Напечатано"));
    QCOMPARE(w.service->lastFile(), QStringLiteral("напечатано_123456.png"));
    QVERIFY(w.logged(QStringLiteral("UID: точное совпадение 123456: печать_123456.png")));
    QVERIFY(w.logged(QStringLiteral("UID: печать файла печать_123456.png -> принтер VornPDF")));
    QVERIFY(QFile::exists(w.wb + QStringLiteral("/напечатано_123456.png")));
    QVERIFY(!QFile::exists(w.wb + QStringLiteral("/печать_123456.png")));

    // Again: the renamed file comes from the cache, is printed again and keeps its name.
    QVERIFY(w.service->printOnly(QStringLiteral("123456")));
    QCOMPARE(printed.size(), 2);
    QVERIFY(w.logged(QStringLiteral("UID: точное совпадение 123456: напечатано_123456.png")));
    QCOMPARE(w.service->lastFile(), QStringLiteral("напечатано_123456.png"));
    QVERIFY(QFile::exists(w.wb + QStringLiteral("/напечатано_123456.png")));

    // Two copies per print, each on its own label page.
    const QStringList out = cupspdf::waitForNewPdfs(before, 2);
    QCOMPARE(out.size(), 2);
    for (const QString &path : out) {
        QPdfDocument document;
        QCOMPARE(document.load(path), QPdfDocument::Error::None);
        QCOMPARE(document.pageCount(), 2);
    }
    // The archive got the renamed file (the same UID twice a day is sent once).
    QTRY_VERIFY_WITH_TIMEOUT(!w.box.requests(QStringLiteral("/api/client-event")).isEmpty(), 10000);
    const QJsonObject event = w.box.requests(QStringLiteral("/api/client-event")).first().toObject()
                                  .value("body").toObject().value("payload").toObject()
                                  .value("event").toObject();
    QCOMPARE(event.value("file").toString(), QStringLiteral("напечатано_123456.png"));
    QCOMPARE(event.value("printer").toString(), QStringLiteral("VornPDF"));

    // A file outside the marking folders and without a prefix keeps its name.
    QFile::remove(w.wb + QStringLiteral("/напечатано_123456.png"));
    QFile::remove(w.root1 + QStringLiteral("/123456.png"));
    QVERIFY(w.service->printOnly(QStringLiteral("123456")));
    QCOMPARE(w.service->lastFile(), QStringLiteral("123456 (2).png"));
}

void UidPrintServiceTest::finderSeesFreshFiles()
{
    QTemporaryDir dir;
    QStringList roots { dir.filePath(QStringLiteral("a")), QString(), dir.filePath(QStringLiteral("b")) };
    for (int folder = 0; folder < 20; ++folder) {
        const QString path = dir.filePath(QStringLiteral("%1/%2").arg(folder % 2 ? "a" : "b").arg(folder));
        QDir().mkpath(path);
        for (int file = 0; file < 20; ++file)
            writeJunk(path + QStringLiteral("/печать_%1.pdf").arg(folder * 100 + file + 100000));
    }
    LabelFileFinder finder;
    finder.setSettleMs(50);
    QCOMPARE(finder.find(roots, QStringLiteral("100305")).size(), 1);
    QCOMPARE(finder.lastStats().filesKept, 400);
    // Listings taken right after the files were written are read again once...
    QTest::qWait(150);
    QCOMPARE(finder.find(roots, QStringLiteral("100305")).size(), 1);
    QVERIFY(finder.lastStats().directoriesListed > 0);
    // ...and then, settled, reused.
    QCOMPARE(finder.find(roots, QStringLiteral("100305")).size(), 1);
    QCOMPARE(finder.lastStats().directoriesListed, 0);
    QCOMPARE(finder.lastStats().directoriesReused, 22); // two roots, twenty folders

    // A file that appears right before the scan is always seen, and so is a new folder.
    for (int round = 0; round < 30; ++round) {
        const QString name = QStringLiteral("расход_%1.png").arg(900000 + round);
        writeJunk(dir.filePath(QStringLiteral("a/%1/%2").arg(1 + 2 * (round % 10)).arg(name)));
        const auto found = finder.find(roots, QString::number(900000 + round));
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().rootNumber, 1);
    }
    QDir().mkpath(dir.filePath(QStringLiteral("b/new/deeper")));
    writeJunk(dir.filePath(QStringLiteral("b/new/deeper/777777.tif")));
    QCOMPARE(finder.find(roots, QStringLiteral("777777")).size(), 1);
    QCOMPARE(finder.find(roots, QStringLiteral("777777")).first().rootNumber, 3);
    // Renamed and removed files disappear.
    QVERIFY(QFile::rename(dir.filePath(QStringLiteral("b/new/deeper/777777.tif")),
                          dir.filePath(QStringLiteral("b/new/deeper/777778.tif"))));
    QCOMPARE(finder.find(roots, QStringLiteral("777777")).size(), 0);
    QVERIFY(QDir(dir.filePath(QStringLiteral("b/new"))).removeRecursively());
    QCOMPARE(finder.find(roots, QStringLiteral("777778")).size(), 0);
    // Files of other types and hidden files are not labels.
    writeJunk(dir.filePath(QStringLiteral("a/1/555555.txt")));
    writeJunk(dir.filePath(QStringLiteral("a/1/.555555.png")));
    QCOMPARE(finder.find(roots, QStringLiteral("555555")).size(), 0);
}

// On FAT, exFAT and network shares a folder's time may stay put when a label is added,
// so nothing kept from an earlier walk may stand in for reading the folder.
void UidPrintServiceTest::finderWalksVolumesWithoutDirectoryTimes()
{
    QTemporaryDir dir;
    QVERIFY(LabelFileFinder::platformKeepsDirectoryTimes(dir.path()));
    QVERIFY(!LabelFileFinder::platformKeepsDirectoryTimes(dir.filePath(QStringLiteral("missing"))));

    for (int folder = 0; folder < 5; ++folder) {
        QDir().mkpath(dir.filePath(QString::number(folder)));
        writeJunk(dir.filePath(QStringLiteral("%1/печать_%2.pdf").arg(folder).arg(300000 + folder)));
    }
    const QStringList roots { dir.path() };
    QStringList probed;
    LabelFileFinder finder;
    finder.setSettleMs(0);
    finder.setVolumeProbe([&probed](const QString &root) {
        probed << root;
        return false;
    });
    for (int round = 0; round < 3; ++round) {
        QCOMPARE(finder.find(roots, QStringLiteral("300003")).size(), 1);
        QCOMPARE(finder.lastStats().directoriesReused, 0);
        QCOMPARE(finder.lastStats().directoriesListed, 6);
    }
    QCOMPARE(probed, QStringList(3, dir.path()));

    // The same folders on a volume that keeps directory times are read once.
    finder.setVolumeProbe([](const QString &) { return true; });
    QTest::qWait(20);
    finder.find(roots, QStringLiteral("300003"));
    QCOMPARE(finder.find(roots, QStringLiteral("300003")).size(), 1);
    QCOMPARE(finder.lastStats().directoriesReused, 6);
}

void UidPrintServiceTest::quickScansPrintInOrder()
{
    REQUIRE_CUPS_PDF();
    Workshop w;
    for (const char *uid : { "111111", "222222", "333333" })
        writeLabel(w.root1 + QStringLiteral("/%1.png").arg(QLatin1String(uid)));
    const QStringList before = cupspdf::settledPdfFiles();
    // The spreadsheet answers slowly; scans come in while the first job waits for it.
    w.box.fault(QJsonObject { { "path", "/gs/confirm" }, { "delay_ms", 400 }, { "times", 1 } });
    QStringList states;
    connect(w.service.get(), &UidPrintService::changed, this, [&] {
        states << w.service->lastUid() + QLatin1Char(':') + w.service->lastStatus();
    });
    QList<bool> accepted;
    QTimer::singleShot(50, this, [&] { accepted << w.service->printOnly(QStringLiteral("222222")); });
    QTimer::singleShot(100, this, [&] { accepted << w.service->printOnly(QStringLiteral("404040")); });
    QTimer::singleShot(150, this, [&] { accepted << w.service->printOnly(QStringLiteral("333333")); });
    QVERIFY(w.service->process(QStringLiteral("111111")));
    QCOMPARE(accepted, QList<bool>({ true, true, true }));
    QVERIFY(states.contains(QStringLiteral("222222:В очереди")));
    QVERIFY(states.contains(QStringLiteral("333333:В очереди")));
    QVERIFY(w.logged(QStringLiteral("UID: 333333 поставлен в очередь, занято. В очереди: 3")));

    QTRY_COMPARE_WITH_TIMEOUT(w.service->lastUid(), QStringLiteral("333333"), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!w.service->busy() && w.service->lastStatus() == QStringLiteral("Напечатано"), 20000);
    QCOMPARE(w.printedUids(), QStringList({ QStringLiteral("напечатано_111111.png"),
                                            QStringLiteral("напечатано_222222.png"),
                                            QStringLiteral("напечатано_333333.png") }));
    QVERIFY(w.logged(QStringLiteral("UID: таблица подтвердила 111111")));
    QVERIFY(w.logged(QStringLiteral("UID: беру из очереди 222222, осталось 2")));
    QVERIFY(w.logged(QStringLiteral("UID: этикетка не найдена для 404040. Печать остановлена.")));
    QCOMPARE(cupspdf::waitForNewPdfs(before, 3).size(), 3);
}

void UidPrintServiceTest::failuresLeaveFilesAlone()
{
    REQUIRE_CUPS_PDF();
    Workshop w;
    QVERIFY(!w.service->printOnly(QStringLiteral("VORN_WALL:{\"a\":1}")));
    QVERIFY(!w.service->printOnly(QStringLiteral("{\"uid\":\"123456\"}")));
    QVERIFY(w.journal.lines.isEmpty());

    QVERIFY(!w.service->printOnly(QStringLiteral("999999")));
    QCOMPARE(w.service->lastStatus(), QStringLiteral("Этикетка не найдена"));
    QVERIFY(w.journal.lines.contains(QStringLiteral("warn: UID: этикетка не найдена для 999999. Печать остановлена.")));

    // A label that fails to print keeps its name.
    writeJunk(w.wb + QStringLiteral("/печать_444444.png"));
    QVERIFY(!w.service->printOnly(QStringLiteral("444444")));
    QCOMPARE(w.service->lastStatus(), QStringLiteral("Ошибка печати"));
    QVERIFY2(w.service->lastFile().startsWith(QStringLiteral("не удалось прочитать изображение")),
             qPrintable(w.service->lastFile()));
    QVERIFY(w.journal.lines.contains(QStringLiteral("error: Печать: ") + w.service->lastFile()));
    QVERIFY(w.journal.lines.contains(QStringLiteral("error: UID: ошибка печати ") + w.service->lastFile()));
    QVERIFY(QFile::exists(w.wb + QStringLiteral("/печать_444444.png")));
    writeLabel(w.wb + QStringLiteral("/печать_666666.png"));

    // A locked file that prints but cannot be renamed keeps its name (and path in the cache).
    const QString locked = w.wb + QStringLiteral("/печать_666666.png");
    const bool immutable = QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("+i"), locked }) == 0;
    if (!immutable && ::geteuid() != 0)
        QFile::setPermissions(w.wb, QFile::ReadOwner | QFile::ExeOwner);
    if (immutable || ::geteuid() != 0) {
        QVERIFY(w.service->printOnly(QStringLiteral("666666")));
        QCOMPARE(w.service->lastStatus(), QStringLiteral("Напечатано"));
        QCOMPARE(w.service->lastFile(), QStringLiteral("печать_666666.png"));
        QVERIFY(QFile::exists(locked));
        QProcess::execute(QStringLiteral("chattr"), { QStringLiteral("-i"), locked });
        QFile::setPermissions(w.wb, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    } else {
        qWarning("no way to lock a file here (chattr failed, running as root): lock case not run");
    }

    // The queue moves on after failures: a good label printed next.
    writeLabel(w.root1 + QStringLiteral("/печать_121212.png"));
    QVERIFY(w.service->printOnly(QStringLiteral("121212")));
    QCOMPARE(w.service->lastFile(), QStringLiteral("напечатано_121212.png"));
}

void UidPrintServiceTest::spreadsheetAndPrinterChoice()
{
    REQUIRE_CUPS_PDF();
    {
        Workshop w;
        writeLabel(w.root1 + QStringLiteral("/печать_wrote0.png"));
        QVERIFY(!w.service->process(QStringLiteral("wrote0")));
        QCOMPARE(w.service->lastStatus(), QStringLiteral("GS не подтвердил запись"));
        QVERIFY(w.journal.lines.contains(QStringLiteral("error: UID: GS не подтвердил запись: GS вернул wrote <= 0.")));
        QVERIFY(QFile::exists(w.root1 + QStringLiteral("/печать_wrote0.png")));
        const QJsonObject body = w.box.requests(QStringLiteral("/gs/confirm")).last().toObject()
                                     .value("body").toObject();
        QCOMPARE(body.value("barcode").toString(), QStringLiteral("wrote0"));

        AppSettings &s = *w.box.settings;
        s.setYandexLabelPrinterName(QStringLiteral("YM Printer"));
        const QString elsewhere = w.wb + QStringLiteral("/1.png");
        const QString yandexFile = w.yandexLabels + QStringLiteral("/sub/1.png");
        QCOMPARE(w.service->choosePrinter(yandexFile, {}), QStringLiteral("YM Printer"));
        QCOMPARE(w.service->choosePrinter(elsewhere, { { "source", "Яндекс Маркет" } }), QStringLiteral("YM Printer"));
        QCOMPARE(w.service->choosePrinter(elsewhere, { { "marketplaceName", "YM" } }), QStringLiteral("YM Printer"));
        QCOMPARE(w.service->choosePrinter(elsewhere, { { "source", "wb" } }), cupspdf::printerName());
        QCOMPARE(w.service->choosePrinter(elsewhere, {}), cupspdf::printerName());
        s.setYandexLabelPrinterName(QStringLiteral("  "));
        QCOMPARE(w.service->choosePrinter(yandexFile, { { "market", "yandex" } }), cupspdf::printerName());
        s.setLabelPrinterName(QString());
        QCOMPARE(w.service->choosePrinter(elsewhere, {}), QString());
    }
    {
        Workshop w(false);
        writeLabel(w.root1 + QStringLiteral("/печать_232323.png"));
        QVERIFY(!w.service->process(QStringLiteral("232323")));
        QVERIFY(w.journal.lines.contains(QStringLiteral("error: UID: GS не подтвердил запись: GS клиент не настроен")));
    }
}

void UidPrintServiceTest::serverJudgedScanPrintsEndToEnd()
{
    REQUIRE_CUPS_PDF();
    Workshop w;
    OrdersModel orders;
    OrdersApiService api(w.box.settings.get(), &w.box.eventLog, &orders);
    QDir().mkpath(w.wb + QStringLiteral("/2026"));
    writeLabel(w.wb + QStringLiteral("/2026/печать_") + QLatin1String(DemoScan::kPackedWb)
               + QStringLiteral("_Море 60х40.png"));
    // The router's part: a label allowed by the server is printed with the scan details.
    connect(&api, &OrdersApiService::scanResultDetailed, w.service.get(),
            [&](const QString &raw, const QString &, bool, const QString &, const QVariantMap &details) {
                if (variantToBool(details.value(QStringLiteral("labelPrintAllowed")), false))
                    w.service->printOnlyWithDetails(raw, details);
            });
    QSignalSpy printed(w.service.get(), &UidPrintService::printed);
    api.processScan(QLatin1String(DemoScan::kPackedWb), QString(), {});
    QVERIFY(printed.wait(20000));
    QCOMPARE(w.service->lastFile(), QStringLiteral("напечатано_P01PACK2WB_Море 60х40.png"));
    QVERIFY(w.logged(QStringLiteral("UID: заказ P01PACK2WB подтверждён сервером")));
    QVERIFY(w.journal.hasPrefix(QStringLiteral("UID: данные подтверждённого скана: raw_scan=P01PACK2WB")));
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (const QJsonValue &entry : w.box.requests(QStringLiteral("/api/client-event"))) {
                const QJsonObject body = entry.toObject().value("body").toObject();
                if (body.value("event_type").toString() == QLatin1String("archive_event"))
                    return body.value("payload").toObject().value("event").toObject()
                               .value("size_cm").toString() == QStringLiteral("60×40 см");
            }
            return false;
        }(),
        10000);
}

QTEST_MAIN(UidPrintServiceTest)
#include "UidPrintServiceTest.moc"
