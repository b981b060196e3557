// Supply stickers: the Code 128 B encoding, the 58 × 40 mm PDF read back with QtPdf and
// decoded with zbarimg from a 203 dpi render, the folder listing, and printing through
// the CUPS PDF printer (one job a copy, at least two).
#include "production/CupsPdfPrinter.h"
#include "supplies/LabelProbe.h"

#include "../settings/SettingsSandbox.h"
#include "settings/AppSettings.h"
#include "supplies/Code128B.h"
#include "supplies/SupplyLabelsService.h"
#include "supplies/SupplySticker.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

using namespace labelprobe;

namespace {

// Areas of the sticker in millimetres (x, y, w, h as fractions of 58 × 40).
QList<QRectF> stickerAreas(qreal slackMm)
{
    const qreal a[][4] = { { 0.08, 0.02, 0.84, 0.07 }, { 0.07, 0.12, 0.86, 0.38 },
                           { 0.07, 0.53, 0.86, 0.10 }, { 0.08, 0.68, 0.84, 0.10 },
                           { 0.08, 0.79, 0.84, 0.08 } };
    QList<QRectF> rects;
    for (const auto &r : a)
        rects << QRectF(r[0] * 58, r[1] * 40, r[2] * 58, r[3] * 40)
                     .adjusted(-slackMm, -slackMm, slackMm, slackMm);
    return rects;
}

} // namespace

class SupplyLabelsTest : public QObject
{
    Q_OBJECT

private:
    SettingsSandbox *m_sandbox = nullptr;
    AppSettings *m_settings = nullptr;
    JournalProbe m_journal;
    QTemporaryDir m_work;

private Q_SLOTS:
    void init()
    {
        m_sandbox = new SettingsSandbox;
        m_settings = new AppSettings;
        m_settings->load();
        m_journal.lines.clear();
    }

    void cleanup()
    {
        delete m_settings;
        delete m_sandbox;
    }

    void checksum_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        // 104 + 20·1 + 22·2 + 16·(3+…+12) + 17·13 = 1589 = 15·103 + 44
        QTest::newRow("4600000000001") << "4600000000001" << 44;
        // P=48 J=42 J=42 1=17 2=18 3=19 C=35: 104+48+84+126+68+90+114+245 = 879 = 8·103 + 55
        QTest::newRow("PJJ123C") << "PJJ123C" << 55;
        // blank is value 0 wherever it stands: 104 + 0 + 0 = 104 = 103 + 1
        QTest::newRow("two blanks") << "  " << 1;
        // Cyrillic counts as a blank: the same as two blanks
        QTest::newRow("cyrillic as blank") << "Яя" << 1;
        // tilde is the last set-B character: 126 − 32 = 94; 104 + 94 = 198 = 103 + 95
        QTest::newRow("tilde") << "~" << 95;
    }

    void checksum()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const QVector<int> values = Code128B::symbolValues(text);
        QCOMPARE(values.first(), 104);
        QCOMPARE(values.last(), 106);
        QCOMPARE(values.at(values.size() - 2), expected);
    }

    void symbolOfKnownText()
    {
        // Start B, "A", checksum 34, stop: the published patterns, then the module count.
        QCOMPARE(Code128B::symbolValues(QStringLiteral("A")), (QVector<int>{ 104, 33, 34, 106 }));
        const QVector<int> widths = Code128B::moduleWidths(QStringLiteral("A"));
        QString joined;
        for (int w : widths)
            joined += QString::number(w);
        QCOMPARE(joined, QStringLiteral("211214" "111323" "131123" "2331112"));
        QCOMPARE(Code128B::moduleCount(QStringLiteral("A")), 11 * 3 + 13);
        QVERIFY(Code128B::symbolValues(QString()).isEmpty());
        QCOMPARE(Code128B::moduleCount(QString()), 0);
    }

    void patternTableIsWellFormed()
    {
        // Every symbol is 11 modules of three bars and three spaces, bars even in sum;
        // no two values share a pattern.
        QSet<QString> seen;
        for (int value = 0; value <= 106; ++value) {
            const QString p = Code128B::pattern(value);
            QVERIFY2(!p.isEmpty(), qPrintable(QString::number(value)));
            int total = 0, bars = 0;
            for (int i = 0; i < p.size(); ++i) {
                total += p.at(i).digitValue();
                if (i % 2 == 0)
                    bars += p.at(i).digitValue();
                QVERIFY(p.at(i).digitValue() >= 1 && p.at(i).digitValue() <= 4);
            }
            QCOMPARE(total, value == 106 ? 13 : 11);
            QCOMPARE(bars % 2, 0);
            QVERIFY2(!seen.contains(p), qPrintable(p));
            seen.insert(p);
        }
        QVERIFY(Code128B::pattern(107).isEmpty());
        QVERIFY(Code128B::pattern(-1).isEmpty());
    }

    void moduleWidthFitsThermalDots_data()
    {
        QTest::addColumn<QString>("barcode");
        QTest::addColumn<int>("dots");
        // The barcode area is 0.86 × 58 mm = 398 whole dots at 203 dpi, starting at dot 33
        // of a 463-dot page; the quiet zone (10 modules) may use the margin beside it.
        // 13 characters: 178 modules → 2 dots (356), margins 54 ≥ 20
        QTest::newRow("EAN-like 13") << "4600000000001" << 2;
        // 5 characters: 90 modules → 4 dots (360), margins 52 ≥ 40
        QTest::newRow("short 5") << "AB123" << 4;
        // 8 characters: 123 modules → 3 dots (369), margins 47 ≥ 30
        QTest::newRow("8 characters") << "12345678" << 3;
        // 2 characters: 57 modules → 6 dots (342), margins 61 ≥ 60
        QTest::newRow("2 characters") << "AB" << 6;
        // 33 characters: 398 modules → 1 dot, exactly the area
        QTest::newRow("33 characters") << QString(33, QLatin1Char('7')) << 1;
        // 34 characters: 409 modules → does not fit
        QTest::newRow("34 characters") << QString(34, QLatin1Char('7')) << 0;
        QTest::newRow("empty") << QString() << 0;
    }

    void moduleWidthFitsThermalDots()
    {
        QFETCH(QString, barcode);
        QFETCH(int, dots);
        QCOMPARE(SupplySticker::moduleDots(barcode), dots);
    }

    void safeFileNamePart_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("reserved run") << "a\\/:*?\"<>|b" << "a_b";
        QTest::newRow("blank and dot") << "ab cd.ef" << "ab_cd_ef";
        QTest::newRow("cyrillic kept") << "Кот-ёж_Ё" << "Кот-ёж_Ё";
        QTest::newRow("reserved next to other") << "x/ y" << "x__y";
    }

    void safeFileNamePart()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(SupplyLabelsService::safeFileNamePart(input), expected);
    }

    void marketplaceSpellings_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("OZON padded") << "  OZON " << "ozon";
        QTest::newRow("cyrillic") << "Озон" << "ozon";
        QTest::newRow("supply list spelling") << "O3" << "ozon";
        QTest::newRow("short form") << "ozn" << "ozon";
        QTest::newRow("unknown") << "ym" << "wb";
    }

    void marketplaceSpellings()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(SupplyLabelsService::normalizeMarketplace(input), expected);
    }

    void stickerScansAndFitsThePage_data()
    {
        QTest::addColumn<QString>("marketplace");
        QTest::addColumn<QString>("barcode");
        QTest::addColumn<QString>("sku");
        QTest::addColumn<QString>("article");
        QTest::addColumn<QString>("namePrefix");
        QTest::newRow("ozon with article") << "ozon" << "OZN-123456-ab" << "Кружка белая" << "98765"
                                           << "Кружка_белая_";
        QTest::newRow("one dot a module") << "wb" << "ABCDEFGHIJ0123456789abcdefghij" << "X" << "1" << "X_";
        QTest::newRow("long texts shrink") << "wb" << "123456"
                                           << QString(60, QChar(0x0416)) // Ж, wide
                                           << QString(80, QLatin1Char('W')) << "";
    }

    void stickerScansAndFitsThePage()
    {
        QFETCH(QString, marketplace);
        QFETCH(QString, barcode);
        QFETCH(QString, sku);
        QFETCH(QString, article);
        QFETCH(QString, namePrefix);

        SupplyLabelsService service(m_settings, &m_journal);
        service.setSelectedMarketplace(marketplace);
        QSignalSpy changed(&service, &SupplyLabelsService::changed);
        const QString path = service.createLabelPdf(QStringLiteral("  ") + barcode, sku + QStringLiteral(" "),
                                                    article, false);
        QVERIFY2(!path.isEmpty(), qPrintable(m_journal.lines.join(u'\n')));
        QVERIFY(QFileInfo(path).isFile());
        QCOMPARE(QFileInfo(path).absolutePath(), service.labelsDir());
        QVERIFY(QFileInfo(path).fileName().startsWith(namePrefix));
        QVERIFY(QFileInfo(path).fileName().contains(QRegularExpression(QStringLiteral("_\\d{8}_\\d{6}\\.pdf$"))));
        QCOMPARE(m_journal.last(), QStringLiteral("info: Наклейки %1: PDF сохранён %2")
                                       .arg(marketplace == QLatin1String("ozon") ? "OZON" : "WB",
                                            QFileInfo(path).fileName()));
        QVERIFY(changed.count() >= 1);
        QCOMPARE(service.labelCount(), 1);
        QCOMPARE(service.labelFiles().first().toMap().value("path").toString(), path);

        // All ink inside the sticker's areas (a quarter millimetre for smoothing).
        const QString problem = stickerProblem(path, stickerAreas(0.25));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        if (!haveZbar() || !havePdftoppm())
            QSKIP(qPrintable(missingToolsMessage()));
        const QList<QByteArray> decoded = decodePdf(path, QStringLiteral("code128"), m_work.path());
        QCOMPARE(decoded, QList<QByteArray>{ barcode.toUtf8() });
    }

    void missingInputCreatesNothing_data()
    {
        QTest::addColumn<QString>("barcode");
        QTest::addColumn<QString>("sku");
        QTest::addColumn<QString>("message");
        QTest::newRow("no barcode") << "  " << "SKU" << "warn: Наклейки: введи баркод.";
        QTest::newRow("no sku") << "4600000000001" << " " << "warn: Наклейки: введи артикул SKU.";
    }

    void missingInputCreatesNothing()
    {
        QFETCH(QString, barcode);
        QFETCH(QString, sku);
        QFETCH(QString, message);
        SupplyLabelsService service(m_settings, &m_journal);
        QVERIFY(service.createLabelPdf(barcode, sku, QString(), true).isEmpty());
        QCOMPARE(m_journal.lines, QStringList{ message });
        service.reload();
        QCOMPARE(service.labelCount(), 0);
    }

    void barcodeTooLongForTheSticker()
    {
        SupplyLabelsService service(m_settings, &m_journal);
        QVERIFY(service.createLabelPdf(QString(34, QLatin1Char('1')), QStringLiteral("SKU"), QString()).isEmpty());
        QCOMPARE(m_journal.last(), QStringLiteral("error: Наклейки: не удалось сформировать баркод."));
        QVERIFY(QDir(service.labelsDir()).entryList(QDir::Files).isEmpty());
    }

    void listingFollowsMarketplaceAndSettings()
    {
        SupplyLabelsService service(m_settings, &m_journal);
        QCOMPARE(service.selectedMarketplace(), QStringLiteral("wb"));
        QCOMPARE(service.labelsDir(), QDir::cleanPath(m_settings->appDataDir() + "/wb_labels"));
        QVERIFY(QDir(service.labelsDir()).exists());

        QFile(service.labelsDir() + "/a.pdf").open(QIODevice::WriteOnly);
        QFile(service.labelsDir() + "/notes.txt").open(QIODevice::WriteOnly);
        service.reload();
        QCOMPARE(service.labelCount(), 1);
        const QVariantMap entry = service.labelFiles().first().toMap();
        QCOMPARE(entry.value("name").toString(), QStringLiteral("a.pdf"));
        QCOMPARE(entry.value("marketplace").toString(), QStringLiteral("wb"));
        QVERIFY(QDateTime::fromString(entry.value("modified").toString(), "dd.MM.yyyy HH:mm").isValid());

        QSignalSpy changed(&service, &SupplyLabelsService::changed);
        service.setSelectedMarketplace(QStringLiteral("OZON"));
        QCOMPARE(service.selectedMarketplace(), QStringLiteral("ozon"));
        QVERIFY(changed.count() >= 1);
        QCOMPARE(service.labelsDir(), QDir::cleanPath(m_settings->appDataDir() + "/ozon_labels"));
        QCOMPARE(service.labelCount(), 0);
        changed.clear();
        service.setSelectedMarketplace(QStringLiteral("ozon"));
        QCOMPARE(changed.count(), 0);

        // A configured folder wins and is created on demand.
        const QString own = m_work.filePath(QStringLiteral("ozon-own/labels"));
        m_settings->setOzonLabelsDir(own);
        service.reload();
        QCOMPARE(service.labelsDir(), QDir::cleanPath(own));
        QVERIFY(QDir(own).exists());
    }

    void openFolderAndFile()
    {
        OpenRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
        SupplyLabelsService service(m_settings, &m_journal);
        QVERIFY(service.openFolder());
        QCOMPARE(recorder.urls, QList<QUrl>{ QUrl::fromLocalFile(service.labelsDir()) });
        QVERIFY(!service.openFile(QStringLiteral("missing.pdf")));
        QCOMPARE(m_journal.last(), QStringLiteral("error: Наклейки: не удалось открыть файл missing.pdf"));
        QFile(service.labelsDir() + "/b.pdf").open(QIODevice::WriteOnly);
        QVERIFY(service.openFile(QStringLiteral(" b.pdf ")));
        QCOMPARE(recorder.urls.last(), QUrl::fromLocalFile(service.labelsDir() + "/b.pdf"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    }

    // The default single copy is two jobs on the real printer, each a scannable sticker.
    void printFileMakesOneJobPerCopy()
    {
        const int jobs = 2;
        REQUIRE_CUPS_PDF();
        m_settings->setLabelPrinterName(cupspdf::printerName());
        SupplyLabelsService service(m_settings, &m_journal);
        const QString path = service.createLabelPdf(QStringLiteral("4600000000001"), QStringLiteral("PRINT-ME"), QString());
        QVERIFY(!path.isEmpty());
        const QString name = QFileInfo(path).fileName();

        const QStringList before = cupspdf::settledPdfFiles();
        QVERIFY(service.printFile(name, 1));
        QCOMPARE(m_journal.last(), QStringLiteral("info: Наклейки: %1 × %2 отправлено в печать.").arg(name).arg(jobs));
        const QStringList printed = cupspdf::waitForNewPdfs(before, jobs);
        cupspdf::OutputCleanup cleanup{ printed };
        QCOMPARE(printed.size(), jobs);
        for (const QString &file : printed) {
            QPdfDocument document;
            QCOMPARE(document.load(file), QPdfDocument::Error::None);
            QCOMPARE(document.pageCount(), 1);
            if (haveZbar() && havePdftoppm())
                QCOMPARE(decodePdf(file, QStringLiteral("code128"), m_work.path()),
                         QList<QByteArray>{ QByteArrayLiteral("4600000000001") });
        }
    }

    void printJobsAndFailures()
    {
        SupplyLabelsService service(m_settings, &m_journal);
        QFile(service.labelsDir() + "/c.pdf").open(QIODevice::WriteOnly);
        int calls = 0;
        bool fail = false;
        service.setPrintFunction([&](const QString &, const QString &, QString *error, int copies) {
            ++calls;
            if (copies != 1 || !fail)
                return copies == 1;
            *error = QStringLiteral("принтер недоступен: X");
            return false;
        });
        // More than the minimum: as many one-copy jobs as asked.
        QVERIFY(service.printFile(QStringLiteral("c.pdf"), 3));
        QCOMPARE(calls, 3);
        QCOMPARE(m_journal.last(), QStringLiteral("info: Наклейки: c.pdf × 3 отправлено в печать."));

        // A failing job stops the rest.
        calls = 0;
        fail = true;
        QVERIFY(!service.printFile(QStringLiteral("c.pdf"), 5));
        QCOMPARE(calls, 1);
        QCOMPARE(m_journal.last(), QStringLiteral("error: Наклейки: ошибка печати c.pdf."));

        QVERIFY(!service.printFile(QStringLiteral("absent.pdf")));
        QCOMPARE(m_journal.last(), QStringLiteral("warn: Наклейки: файл не найден: absent.pdf"));
    }
};

QTEST_MAIN(SupplyLabelsTest)
#include "tst_supplylabels.moc"
