// Warehouse label files on real folders: names, listing modes, find, the manual-print
// rule, confirmation, printing and the rename as printed, the warehouse lookup against
// the in-process devserver and one print through the CUPS PDF printer.
#include "common/ScanConfirmer.h"
#include "production/CupsPdfPrinter.h"
#include "serverlink/ServerLinkSandbox.h"
#include "supplies/WarehouseFileModel.h"

#include <QAbstractItemModelTester>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

struct StubConfirmer : ScanConfirmer
{
    bool answer = true;
    QString error;
    QStringList asked;
    bool confirm(const QString &barcode, QString *errorText) override
    {
        asked << barcode;
        if (!answer && errorText)
            *errorText = error;
        return answer;
    }
};

struct PrintCall
{
    QString path;
    QString printer;
    int copies = 0;
};

struct Warehouse
{
    ServerLinkSandbox box;
    QTemporaryDir folder;
    StubConfirmer confirmer;
    QList<PrintCall> prints;
    bool printOk = true;
    std::unique_ptr<WarehouseFileModel> model;
    std::unique_ptr<QAbstractItemModelTester> tester;

    explicit Warehouse(const QString &market = QStringLiteral("wb"), bool stubPrint = true)
    {
        box.settings->setWbPath(folder.path());
        box.settings->setOzonPath(folder.path());
        box.settings->setYmPath(folder.path());
        box.settings->setLabelPrinterName(QStringLiteral("Этикетки"));
        model = std::make_unique<WarehouseFileModel>(box.settings.get(), &box.eventLog, &confirmer, nullptr, market);
        tester = std::make_unique<QAbstractItemModelTester>(model.get(),
                                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
        if (stubPrint) {
            model->setPrintFunction([this](const QString &path, const QString &printer, QString *error, int copies) {
                prints.append({path, printer, copies});
                if (!printOk && error)
                    *error = QStringLiteral("принтер недоступен: %1").arg(printer);
                return printOk;
            });
        }
    }

    QString file(const QString &name, const QByteArray &content = "label") const
    {
        const QString path = QDir(folder.path()).filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
        return path;
    }

    QStringList names() const
    {
        QStringList out;
        for (int row = 0; row < model->rowCount(); ++row)
            out << model->data(model->index(row), WarehouseFileModel::FileNameRole).toString();
        return out;
    }

    int rowOf(const QString &fileName) const { return int(names().indexOf(fileName)); }
    bool exists(const QString &name) const { return QFileInfo::exists(QDir(folder.path()).filePath(name)); }
};

// A label picture of an unusual size, so our job is told apart from other engineers' jobs.
QByteArray labelPng(double widthMm, double heightMm, int dpi)
{
    const int w = int(widthMm * dpi / 25.4);
    const int h = int(heightMm * dpi / 25.4);
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawRect(4, 4, w - 9, h - 9);
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("204598765432"));
    painter.end();
    const int dotsPerMeter = int(dpi / 0.0254 + 0.5);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class WarehouseFilesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("barcode");
        QTest::addColumn<QString>("article");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("manual");
        QTest::newRow("self-buy, row marker") << "самовыкуп_К_Пионы-60x40_row_204512345678.png" << "204512345678"
                                              << "К_Пионы-60x40" << "самовыкуп" << true;
        QTest::newRow("expense, capital") << "Расход_ART1_12345678-2_999999999.pdf" << "999999999" << "ART1"
                                          << "расход" << false;
        QTest::newRow("warehouse, row marker") << "Море-60x40_row_204598765432.png" << "204598765432"
                                               << "Море-60x40" << "склад" << false;
        QTest::newRow("last number") << "POS_Кот-в-очках_300123456.pdf" << "300123456" << "POS_Кот-в-очках"
                                     << "склад" << true;
        QTest::newRow("short number kept in article") << "КОМ_01_Лес_77012345.png" << "77012345"
                                                      << "КОМ_01_Лес" << "склад" << true;
        QTest::newRow("number with strip") << "K_Сова_row_512345-2.webp" << "512345-2" << "K_Сова" << "склад" << true;
        QTest::newRow("row wins over last number") << "row_123_K1_9876543.pdf" << "123" << "K1" << "склад" << false;
        QTest::newRow("production code") << "печать_P01PACK2WB_Море 60х40.png" << "P01PACK2WB" << "Море 60х40"
                                         << "склад" << false;
        QTest::newRow("nothing numeric") << "just-a-name.png" << "just-a-name" << "just-a-name" << "склад" << false;
        QTest::newRow("only a date") << "2024-05-01.pdf" << "2024-05-01" << "2024-05-01" << "склад" << false;
        QTest::newRow("two dots") << "ПОС_Пион.v2_400500600.tiff" << "400500600" << "ПОС_Пион.v2" << "склад" << true;
    }
    void fileNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, barcode);
        QFETCH(QString, article);
        QFETCH(QString, mode);
        QFETCH(bool, manual);
        const WarehouseNames::Parsed parsed = WarehouseNames::parseFileName(name);
        QCOMPARE(parsed.barcode, barcode);
        QCOMPARE(parsed.article, article);
        QCOMPARE(WarehouseNames::modeOf(name), mode);
        QCOMPARE(WarehouseNames::manualPrintAllowed(parsed.article), manual);
    }

    void codeVariants_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<QStringList>("variants");
        QTest::newRow("production code") << "  P01A7K3M9Q " << QStringList{"P01A7K3M9Q"};
        QTest::newRow("lower-case code") << "p01a7k3m9q" << QStringList{"p01a7k3m9q", "P01A7K3M9Q"};
        QTest::newRow("code inside a link") << "https://x/?c=P01A7K3M9Q"
                                            << QStringList{"https://x/?c=P01A7K3M9Q", "P01A7K3M9Q"};
        QTest::newRow("legacy with strip") << "512345-2" << QStringList{"512345-2", "512345"};
        QTest::newRow("legacy with blanks") << "512345 _ 12" << QStringList{"512345 _ 12", "512345"};
        QTest::newRow("plain number") << "204598765432" << QStringList{"204598765432"};
        QTest::newRow("empty") << "   " << QStringList{};
    }
    void codeVariants()
    {
        QFETCH(QString, scan);
        QFETCH(QStringList, variants);
        QCOMPARE(WarehouseNames::codeVariants(scan), variants);
    }

    void listingModes()
    {
        Warehouse w;
        w.file(QStringLiteral("самовыкуп_K_A_row_111111.png"));
        w.file(QStringLiteral("расход_K_A_row_111111.png"));
        w.file(QStringLiteral("расход_B_row_222222.pdf"));
        w.file(QStringLiteral("напечатано_C_row_333333.png"));
        w.file(QStringLiteral("напечатано_самовыкуп_E_row_555555.png"));
        w.file(QStringLiteral("расход_E_row_555555.png"));
        w.file(QStringLiteral("D_row_444444.jpg"));
        w.file(QStringLiteral("F_row_666666.PDF"));
        w.file(QStringLiteral("notes.txt"));
        QDir(w.folder.path()).mkpath(QStringLiteral("G_row_777777.png"));
        QSignalSpy changed(w.model.get(), &WarehouseFileModel::modelChanged);
        w.model->reload();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(w.names(), (QStringList{"D_row_444444.jpg", "F_row_666666.PDF", "расход_B_row_222222.pdf",
                                         "самовыкуп_K_A_row_111111.png"}));
        QCOMPARE(w.model->entryCount(), 4);
        QCOMPARE(w.model->manualEntryCount(), 1);
        QVERIFY(w.box.hasLogEntry(QStringLiteral("Склады: расход расход_E_row_555555.png, расход_K_A_row_111111.png "
                                                 "скрыт, потому что для этого же штрихкода есть самовыкуп.")));

        const QVariantMap selfbuy = w.model->rowInfo(w.rowOf(QStringLiteral("самовыкуп_K_A_row_111111.png")));
        QCOMPARE(selfbuy.value("mode").toString(), QStringLiteral("самовыкуп"));
        QCOMPARE(selfbuy.value("selfbuy").toBool(), true);
        QCOMPARE(selfbuy.value("manualPrintAllowed").toBool(), true);
        QCOMPARE(selfbuy.value("label").toString(), QStringLiteral("K_A · Склад WB · САМОВЫКУП"));
        QCOMPARE(selfbuy.value("fullPath").toString(), QDir(w.folder.path()).filePath("самовыкуп_K_A_row_111111.png"));
        QCOMPARE(w.model->rowInfo(w.rowOf(QStringLiteral("расход_B_row_222222.pdf"))).value("label").toString(),
                 QStringLiteral("B · Склад WB · РАСХОД"));
        QCOMPARE(w.model->rowInfo(w.rowOf(QStringLiteral("D_row_444444.jpg"))).value("sourceWarehouse").toString(),
                 QStringLiteral("Склад WB"));
        QVERIFY(w.model->rowInfo(99).isEmpty());

        QVariantMap found = w.model->findBarcode(QStringLiteral(" 111111 "));
        QCOMPARE(found.value("ok").toBool(), true);
        QCOMPARE(found.value("fileName").toString(), QStringLiteral("самовыкуп_K_A_row_111111.png"));
        QCOMPARE(found.value("scan_uid").toString(), QStringLiteral("111111"));
        QCOMPARE(found.value("marketplace").toString(), QStringLiteral("wb"));
        QCOMPARE(found.value("writeoff_source").toString(), QStringLiteral("Склад WB"));
        QCOMPARE(w.model->findBarcode(QStringLiteral("444444-1")).value("fileName").toString(),
                 QStringLiteral("D_row_444444.jpg"));
        QCOMPARE(w.model->findBarcode(QStringLiteral("333333")).value("ok").toBool(), false);
        QCOMPARE(w.model->findBarcode(QStringLiteral("555555")).value("ok").toBool(), false);
        QCOMPARE(w.model->findBarcode(QString()).value("ok").toBool(), false);
    }

    void marketsAndFolders()
    {
        Warehouse ym(QStringLiteral("ym"));
        ym.box.settings->setYandexLabelsPath(QString());
        ym.file(QStringLiteral("K_Лес_row_77012345.png"));
        QCOMPARE(ym.model->folder(), ym.folder.path());
        ym.model->reload();
        QCOMPARE(ym.model->rowInfo(0).value("label").toString(), QStringLiteral("K_Лес · Склад · ЯМ"));
        QCOMPARE(ym.model->marketTitle(), QStringLiteral("ЯМ"));
        QVERIFY(ym.model->marketHint().contains(QStringLiteral("этикетка Яндекс напечатается")));
        ym.box.settings->setYandexLabelPrinterName(QStringLiteral("Яндекс-принтер"));
        QVERIFY(ym.model->printRow(0).value("ok").toBool());
        QCOMPARE(ym.prints.last().printer, QStringLiteral("Яндекс-принтер"));
        ym.box.settings->setYandexLabelsPath(QStringLiteral("/elsewhere"));
        QCOMPARE(ym.model->folder(), QStringLiteral("/elsewhere"));

        Warehouse ozon(QStringLiteral("ozon"));
        QCOMPARE(ozon.model->marketTitle(), QStringLiteral("OZON"));
        ozon.file(QStringLiteral("D_row_444444.jpg"));
        ozon.model->reload();
        QCOMPARE(ozon.model->rowInfo(0).value("sourceWarehouse").toString(), QStringLiteral("Склад OZON"));

        // A folder that is not there: an empty list, said once.
        Warehouse wb;
        const QString missing = wb.folder.path() + QStringLiteral("/нет такой");
        wb.box.settings->setWbPath(missing);
        wb.model->reload();
        wb.model->reload();
        QCOMPARE(wb.model->entryCount(), 0);
        QCOMPARE(journalMessages(wb.box.eventLog).count(QStringLiteral("Склады: папка %1 не найдена.").arg(missing)), 1);
    }

    void manualPrintRuleAndRename()
    {
        Warehouse w;
        w.file(QStringLiteral("самовыкуп_К_Пионы_row_111111.png"));
        w.file(QStringLiteral("расход_К_Пионы_row_111111.png"));
        w.file(QStringLiteral("D_row_444444.jpg"));
        w.model->reload();
        QSignalSpy printed(w.model.get(), &WarehouseFileModel::printed);

        QVariantMap refused = w.model->printRow(w.rowOf(QStringLiteral("D_row_444444.jpg")));
        QCOMPARE(refused.value("ok").toBool(), false);
        QVERIFY(w.box.hasLogEntry(QStringLiteral("Склады: ручная печать для D отключена — используй скан этикетки.")));
        QVERIFY(w.prints.isEmpty());

        QVariantMap done = w.model->printRow(w.rowOf(QStringLiteral("самовыкуп_К_Пионы_row_111111.png")));
        QCOMPARE(done.value("ok").toBool(), true);
        QCOMPARE(printed.count(), 1);
        QCOMPARE(w.prints.size(), 1);
        QCOMPARE(w.prints.first().copies, 2);
        QCOMPARE(w.prints.first().printer, QStringLiteral("Этикетки"));
        QVERIFY(w.exists(QStringLiteral("напечатано_самовыкуп_К_Пионы_row_111111.png")));
        QVERIFY(w.box.hasLogEntry(QStringLiteral("Склады: заказ 111111 подтверждён сервером.")));
        QVERIFY(w.box.hasLogEntry(QStringLiteral("Склады: самовыкуп_К_Пионы_row_111111.png напечатан (САМОВЫКУП), "
                                                 "файл переименован.")));
        QVERIFY(w.box.hasLogEntry(QStringLiteral("Склады: файл отправлен автоматически на выбранный принтер Этикетки.")));
        // Printed and reloaded: the self-buy is gone and its expense stays hidden.
        QCOMPARE(w.names(), QStringList{"D_row_444444.jpg"});
        QCOMPARE(w.model->findBarcode(QStringLiteral("111111")).value("ok").toBool(), false);

        // An expense file loses its mode word, any other file gets the prefix.
        w.file(QStringLiteral("расход_B_row_222222.pdf"));
        w.model->reload();
        QVERIFY(w.model->printBarcode(QStringLiteral("222222")).value("ok").toBool());
        QVERIFY(w.exists(QStringLiteral("напечатано_B_row_222222.pdf")));
        QVERIFY(w.model->printBarcode(QStringLiteral("444444")).value("ok").toBool());
        QVERIFY(w.exists(QStringLiteral("напечатано_D_row_444444.jpg")));
        QCOMPARE(w.model->entryCount(), 0);
    }

    void printFailures()
    {
        Warehouse w;
        w.file(QStringLiteral("D_row_444444.jpg"));
        w.file(QStringLiteral("E_row_555555.jpg"));
        w.model->reload();

        // The label file cannot be renamed (its printed name is taken by a folder).
        QDir(w.folder.path()).mkpath(QStringLiteral("напечатано_E_row_555555.jpg/keep"));
        QVERIFY(w.model->printBarcode(QStringLiteral("555555")).value("ok").toBool());
        QVERIFY(w.box.hasLogEntry(QStringLiteral("Склады: напечатано, но не смог переименовать файл E_row_555555.jpg.")));
        QVERIFY(w.exists(QStringLiteral("E_row_555555.jpg")));

        w.printOk = false;
        QVERIFY(!w.model->printBarcode(QStringLiteral("444444")).value("ok").toBool());
        QVERIFY(w.box.hasLogEntry(QStringLiteral("Склады: принтер недоступен: Этикетки")));
        QVERIFY(w.box.hasLogEntry(QStringLiteral("Склады: ошибка печати файла D_row_444444.jpg.")));
        QVERIFY(w.exists(QStringLiteral("D_row_444444.jpg")));
        QVERIFY(!w.model->busy());

        w.printOk = true;
        w.box.settings->setLabelPrinterName(QString());
        QVERIFY(!w.model->printBarcode(QStringLiteral("444444")).value("ok").toBool());
        QVERIFY(w.box.hasLogEntry(QStringLiteral("Склады: принтер этикеток не выбран в настройках.")));

        w.box.settings->setLabelPrinterName(QStringLiteral("Этикетки"));
        QFile::remove(QDir(w.folder.path()).filePath(QStringLiteral("D_row_444444.jpg")));
        QVERIFY(!w.model->printBarcode(QStringLiteral("444444")).value("ok").toBool());
        QVERIFY(w.box.hasLogEntry(QStringLiteral("Склады: файл D_row_444444.jpg не найден.")));
        QCOMPARE(w.prints.size(), 2);
    }

    void spreadsheetConfirmation()
    {
        Warehouse w;
        w.file(QStringLiteral("D_row_444444.jpg"));
        w.model->reload();
        w.confirmer.answer = false;
        w.confirmer.error = QStringLiteral("нет связи");
        QVERIFY(!w.model->printBarcode(QStringLiteral("444444"), true).value("ok").toBool());
        QVERIFY(w.box.hasLogEntry(QStringLiteral("Склады: GS не подтвердил 444444: нет связи")));
        QCOMPARE(w.confirmer.asked, QStringList{"444444"});
        QVERIFY(w.prints.isEmpty());

        w.confirmer.answer = true;
        QVERIFY(w.model->printBarcode(QStringLiteral("444444"), true).value("ok").toBool());
        QVERIFY(w.box.hasLogEntry(QStringLiteral("Склады: GS подтвердил 444444, теперь отправляю D_row_444444.jpg "
                                                 "на выбранный принтер.")));

        WarehouseFileModel alone(w.box.settings.get(), &w.box.eventLog, nullptr, nullptr, QStringLiteral("wb"));
        w.file(QStringLiteral("F_row_666666.jpg"));
        alone.reload();
        QVERIFY(!alone.printBarcode(QStringLiteral("666666"), true).value("ok").toBool());
        QVERIFY(w.box.hasLogEntry(QStringLiteral("Склады: GS не подтвердил 666666: GS клиент не настроен")));
    }

    void warehouseLookup()
    {
        Warehouse w;
        w.box.setUpDemoDevice();
        w.file(QStringLiteral("Море-60x40_row_204598765432.png"));
        w.file(QStringLiteral("POS_Кот_300123456.pdf"));
        w.file(QStringLiteral("K_Неизвестный_row_999000.pdf"));
        w.model->reload();
        const int sea = w.rowOf(QStringLiteral("Море-60x40_row_204598765432.png"));
        QTRY_COMPARE_WITH_TIMEOUT(w.model->rowInfo(sea).value("label").toString(),
                                  QStringLiteral("Море-60x40 · Склад Коледино · B-03"), 10000);
        const int cat = w.rowOf(QStringLiteral("POS_Кот_300123456.pdf"));
        QCOMPARE(w.model->rowInfo(cat).value("sourceSection").toString(), QStringLiteral("C-7"));
        QCOMPARE(w.model->findBarcode(QStringLiteral("300123456")).value("storage_section_code").toString(),
                 QStringLiteral("C-7"));
        const QJsonArray requests = w.box.requests(QStringLiteral("/api/order-warehouse-lookup.php"));
        QCOMPARE(requests.size(), 1);
        const QJsonObject body = requests.first().toObject().value("body").toObject();
        QCOMPARE(body.value("tenant_id").toString(), QStringLiteral("demo"));
        QCOMPARE(body.value("uids").toArray().size(), 3);

        // Known and unknown UIDs are not asked again; a new file is.
        w.model->reload();
        QTest::qWait(100);
        QCOMPARE(w.box.requests(QStringLiteral("/api/order-warehouse-lookup.php")).size(), 1);
        w.box.fault({{"path", "/api/order-warehouse-lookup.php"}, {"drop", true}});
        w.file(QStringLiteral("K_Новый_row_204512345678.pdf"));
        w.model->reload();
        QTRY_VERIFY_WITH_TIMEOUT(w.box.hasLogEntry(QStringLiteral("Склады: не удалось получить склад по UID: "
                                                                  "сервер разорвал соединение")), 10000);
        QCOMPARE(w.model->rowInfo(w.rowOf(QStringLiteral("K_Новый_row_204512345678.pdf"))).value("sourceWarehouse")
                     .toString(), QStringLiteral("Склад WB"));
    }

    void printsThroughTheCupsPdfPrinter()
    {
        QString why;
        if (!cupspdf::ensurePrinter(&why))
            QSKIP(qPrintable(why));
        Warehouse w(QStringLiteral("wb"), false);
        w.box.settings->setLabelPrinterName(cupspdf::printerName());
        // 61 × 43 mm at 203 dpi: a page size no other test prints.
        w.file(QStringLiteral("Море-61x43_row_204598765432.png"), labelPng(61, 43, 203));
        w.model->reload();
        const QStringList before = cupspdf::settledPdfFiles();
        const QVariantMap result = w.model->printBarcode(QStringLiteral("204598765432"));
        QVERIFY2(result.value("ok").toBool(), qPrintable(w.box.eventLog.data(
            w.box.eventLog.index(w.box.eventLog.rowCount() - 1), EventLogModel::MessageRole).toString()));
        QVERIFY(w.exists(QStringLiteral("напечатано_Море-61x43_row_204598765432.png")));
        QCOMPARE(w.model->entryCount(), 0);

        // Our job: the new PDF whose pages are 61 × 43 mm (landscape), two copies.
        QString ours;
        QElapsedTimer timer;
        timer.start();
        while (ours.isEmpty() && timer.elapsed() < 90000) {
            for (const QString &path : cupspdf::waitForNewPdfs(before, 1, 5000)) {
                QPdfDocument doc;
                if (doc.load(path) != QPdfDocument::Error::None || doc.pageCount() < 1)
                    continue;
                const QSizeF size = doc.pagePointSize(0);
                if (qAbs(size.width() - 61 * 72 / 25.4) <= 1.5 && qAbs(size.height() - 43 * 72 / 25.4) <= 1.5) {
                    ours = path;
                    QCOMPARE(doc.pageCount(), 2);
                }
            }
        }
        const cupspdf::OutputCleanup cleanup{QStringList{ours}};
        QVERIFY2(!ours.isEmpty(), "no 61 x 43 mm PDF appeared from the printer");
    }
};

QTEST_MAIN(WarehouseFilesTest)
#include "WarehouseFilesTest.moc"
