// Local tools: file-name parts, the workstation documents read back (page size, texts
// inside the page, QR decoded by zbarimg from a 203 dpi render, byte for byte), the
// fallback without a picture, CSV exports, printing through the CUPS PDF printer and
// the desktop hand-offs.
#include "production/CupsPdfPrinter.h"
#include "supplies/LabelProbe.h"

#include "../settings/SettingsSandbox.h"
#include "common/QrCode.h"
#include "settings/AppSettings.h"
#include "tools/FileNamePart.h"
#include "tools/LocalToolsService.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QPdfSelection>
#include <QtTest>

using namespace labelprobe;

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A payload no QR version holds (level L, version 40 holds 2953 bytes).
QString oversizedPayload()
{
    return QString(3100, QLatin1Char('x'));
}

// The page of a 58 × 40 mm document less half a millimetre all round.
const QRectF kInsideMargin(0.5, 0.5, 57, 39);

const char kEmployeePayload[] = "{\"type\":\"employee\",\"id\":\"E-17\",\"name\":\"Пётр Иванов\"}";

} // namespace

class LocalToolsTest : public QObject
{
    Q_OBJECT

private:
    SettingsSandbox *m_sandbox = nullptr;
    AppSettings *m_settings = nullptr;
    LocalToolsService *m_tools = nullptr;
    JournalProbe m_journal;
    QTemporaryDir m_work;

private Q_SLOTS:
    void init()
    {
        m_sandbox = new SettingsSandbox;
        m_settings = new AppSettings;
        m_settings->load();
        m_journal.lines.clear();
        m_tools = new LocalToolsService(m_settings, &m_journal);
    }

    void cleanup()
    {
        delete m_tools;
        delete m_settings;
        delete m_sandbox;
    }

    void fileNameParts_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("reserved characters") << "a/b\\c:\"d\"" << "a_b_c_d_";
        QTest::newRow("emoji") << QString::fromUtf8("Анна \xF0\x9F\x98\x80\xF0\x9F\x91\x8D Ли") << "Анна___Ли";
        QTest::newRow("cyrillic and dot kept") << "Ёлкин-Палкин_2.0" << "Ёлкин-Палкин_2.0";
        QTest::newRow("blanks simplified") << "  Анна   Мария \t Ли  " << "Анна_Мария___Ли"; // a tab is no blank
        QTest::newRow("empty") << "   " << "employee";
        QTest::newRow("200 in, 80 out") << QString(200, QChar(0x0416)) << QString(80, QChar(0x0416));
    }

    void fileNameParts()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        const QString part = fileNamePart(input);
        QCOMPARE(part, expected);
        QVERIFY(part.size() <= 80);
    }

    void tabFolders_data()
    {
        QTest::addColumn<QString>("tab");
        QTest::addColumn<QString>("folder");
        QTest::newRow("empty") << " " << "consumables";
        QTest::newRow("lower-cased") << "Inks/Main" << "inks_main";
        QTest::newRow("cyrillic") << "Коробки" << "коробки";
    }

    void tabFolders()
    {
        QFETCH(QString, tab);
        QFETCH(QString, folder);
        QCOMPARE(consumablesTabFolder(tab), folder);
        QCOMPARE(m_tools->consumablesDir(tab), m_settings->appDataDir() + "/consumables/" + folder);
        QVERIFY(QFileInfo(m_tools->consumablesDir(tab)).isDir());
    }

    void payloadForms_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("wall plain") << "wall" << " ink-7 " << "VORN_WALL:ink-7";
        QTest::newRow("wall prefixed") << "wall" << "VORN_WALL:{\"a\":1}" << "VORN_WALL:{\"a\":1}";
        QTest::newRow("wall prefix any case") << "wall" << "vorn_wall:x" << "vorn_wall:x";
        QTest::newRow("material escaped") << "material" << "a\"b" << "{\"kind\":\"material\",\"id\":\"a\\\"b\"}";
    }

    void payloadForms()
    {
        QFETCH(QString, kind);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(kind == "wall" ? LocalToolsService::wallPayload(input) : LocalToolsService::materialPayload(input),
                 expected);
    }

    void qrCapacity_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<bool>("encodes");
        QTest::addColumn<int>("modules");
        QTest::newRow("empty") << 0 << false << 0;
        QTest::newRow("one byte, version 1") << 1 << true << 21;
        QTest::newRow("level M limit, version 40") << 2331 << true << 177;
        QTest::newRow("only level L holds it") << 2953 << true << 177;
        QTest::newRow("no version holds it") << 2954 << false << 0;
    }

    void qrCapacity()
    {
        QFETCH(int, bytes);
        QFETCH(bool, encodes);
        QFETCH(int, modules);
        const QrCode code = QrCode::encode(QByteArray(bytes, 'x'));
        QCOMPARE(!code.isNull(), encodes);
        QCOMPARE(code.size(), modules);
        if (!encodes)
            return;
        // Whole pixels a module with the 4-module quiet zone, or no picture at all.
        QCOMPARE(code.toImage(modules + 8).size(), QSize(modules + 8, modules + 8));
        QVERIFY(code.toImage(modules + 7).isNull());
        const QImage picture = code.toImage(480);
        QCOMPARE(picture.size(), QSize(480, 480));
        QCOMPARE(picture.pixelColor(0, 0), QColor(Qt::white));
    }

    void employeeQrPicture()
    {
        const QString payload = QString::fromUtf8(kEmployeePayload);
        const QString path = m_tools->generateEmployeeQrDocument(" E-17 ", "Пётр/Иванов", payload);
        QCOMPARE(path, m_settings->appDataDir() + "/employees/qr/EMP_E-17_Пётр_Иванов.png");
        QCOMPARE(m_journal.last(), "info: QR сотрудника сохранён: " + QDir::toNativeSeparators(path));
        const QImage image(path);
        QCOMPARE(image.size(), QSize(480, 480));
        if (!haveZbar())
            QSKIP(qPrintable(missingToolsMessage()));
        QCOMPARE(zbarDecode(path, "qrcode"), QList<QByteArray>{ payload.toUtf8() });
    }

    void employeeQrFallbackWritesPayload()
    {
        const QString path = m_tools->generateEmployeeQrDocument("E1", "Анна", oversizedPayload());
        QCOMPARE(path, m_settings->appDataDir() + "/employees/qr/EMP_E1_Анна_payload.json");
        QCOMPARE(readText(path), oversizedPayload());
        QCOMPARE(m_journal.lines.size(), 2);
        QVERIFY(m_journal.lines.at(0).startsWith("warn: QR сотрудника: payload (3100 байт) не помещается"));
        QCOMPARE(m_journal.last(), "warn: QR сотрудника: PNG не скачался, сохранён payload: " + QDir::toNativeSeparators(path));
    }

    void documentsScan_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("payload");
        QTest::addColumn<QString>("expectedQr");
        QTest::addColumn<QString>("expectedFile");
        QTest::addColumn<QString>("expectedText");
        const QString employee = QString::fromUtf8(kEmployeePayload);
        QTest::newRow("badge") << "badge" << employee << employee << "employees/badges/badge_E-17_Пётр_Иванов.pdf"
                               << "ID: E-17";
        QTest::newRow("badge long name") << "badge-long" << employee << employee
                                         << "employees/badges/badge_E-17_" + QString(80, QChar(0x0416)) + ".pdf"
                                         << "Персональный QR";
        QTest::newRow("cutter") << "cutter" << "CUTTER:3" << "CUTTER:3" << "cutters/qr/cutter_cutter_3.pdf"
                                << "Сначала скан резака";
        QTest::newRow("wall") << "wall" << "{\"tab\":\"inks\",\"item\":\"Чернила голубые\"}"
                              << "VORN_WALL:{\"tab\":\"inks\",\"item\":\"Чернила голубые\"}"
                              << "consumables/inks/wallqr_inks_Чернила_голубые.pdf" << "Списание по QR";
        QTest::newRow("material json") << "material" << "" << "VORN_WALL:{\"kind\":\"material\",\"id\":\"R-88\"}"
                                       << "consumables/rolls/wallqr_rolls_Баннер_440_R-88.pdf" << "Баннер 440 · 12.50 м";
        QTest::newRow("material cell, no type or length") << "material-nan" << "CELL-B7" << "VORN_WALL:CELL-B7"
                                            << "consumables/rolls/wallqr_rolls_Материал_R-88.pdf" << "Материал · 0.00 м";
    }

    void documentsScan()
    {
        QFETCH(QString, kind);
        QFETCH(QString, payload);
        QFETCH(QString, expectedQr);
        QFETCH(QString, expectedFile);
        QFETCH(QString, expectedText);

        QString path;
        if (kind == "badge")
            path = m_tools->generateEmployeeBadgePdf("E-17", "Пётр Иванов", "Резчик", payload);
        else if (kind == "badge-long")
            path = m_tools->generateEmployeeBadgePdf("E-17", QString(200, QChar(0x0416)), QString(120, QLatin1Char('W')),
                                                     payload);
        else if (kind == "cutter")
            path = m_tools->generateCutterQrPdf("cutter_3", "Резак 3", payload, false);
        else if (kind == "wall")
            path = m_tools->generateConsumableWallQrPdf("Inks", "", "Чернила голубые", payload, false);
        else if (kind == "material")
            path = m_tools->generateMaterialQrPdf("Rolls", "R-88", "Баннер 440", 12.5, payload, false);
        else
            path = m_tools->generateMaterialQrPdf("Rolls", "R-88", " ", qQNaN(), payload, false);
        QCOMPARE(path, m_settings->appDataDir() + u'/' + expectedFile);
        QVERIFY2(m_journal.last().startsWith("info: "), qPrintable(m_journal.last()));
        QVERIFY(m_journal.last().endsWith(QDir::toNativeSeparators(path)));

        QPdfDocument document;
        QCOMPARE(document.load(path), QPdfDocument::Error::None);
        QVERIFY2(document.getAllText(0).text().simplified().contains(expectedText),
                 qPrintable(document.getAllText(0).text()));
        // Every text inside the page with a margin: nothing cut at an edge.
        const QString problem = stickerProblem(path, { kInsideMargin });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        if (!haveZbar() || !havePdftoppm())
            QSKIP(qPrintable(missingToolsMessage()));
        QCOMPARE(decodePdf(path, "qrcode", m_work.path()), QList<QByteArray>{ expectedQr.toUtf8() });
    }

    void documentWithoutPictureWhenPayloadTooLong_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("fallbackLine");
        QTest::newRow("badge") << "badge" << "warn: Бейдж сохранён без QR-картинки (офлайн fallback): %1";
        QTest::newRow("cutter") << "cutter" << "warn: QR резака сохранён без картинки (офлайн fallback): %1";
        QTest::newRow("wall") << "wall" << "warn: QR расходника сохранён без картинки (офлайн fallback): %1";
    }

    void documentWithoutPictureWhenPayloadTooLong()
    {
        QFETCH(QString, kind);
        QFETCH(QString, fallbackLine);
        QString path;
        if (kind == "badge")
            path = m_tools->generateEmployeeBadgePdf("E1", "Анна", "Оператор", oversizedPayload());
        else if (kind == "cutter")
            path = m_tools->generateCutterQrPdf("1", "Резак 1", oversizedPayload(), false);
        else
            path = m_tools->generateConsumableWallQrPdf("inks", "", "Чернила", oversizedPayload(), false);
        QVERIFY(QFileInfo(path).isFile());
        QCOMPARE(m_journal.last(), fallbackLine.arg(QDir::toNativeSeparators(path)));
        QCOMPARE(m_journal.lines.size(), 2);
        QVERIFY(m_journal.lines.first().contains("не помещается ни в одну версию QR-кода"));
        QPdfDocument document;
        QCOMPARE(document.load(path), QPdfDocument::Error::None);
        if (kind != "cutter")
            QVERIFY(document.getAllText(0).text().contains("QR payload"));
        const QString problem = stickerProblem(path, { kInsideMargin }, 4.0);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        if (haveZbar() && havePdftoppm())
            QVERIFY(decodePdf(path, "qrcode", m_work.path()).isEmpty());
    }

    void missingInput_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("qr no id") << "qr" << "warn: QR сотрудника: не хватает ID или payload.";
        QTest::newRow("badge no payload") << "badge" << "warn: Бейдж сотрудника: не хватает ID или payload.";
        QTest::newRow("cutter no id") << "cutter" << "warn: QR резака: не хватает ID или payload.";
        QTest::newRow("wall empty payload") << "wall" << "warn: QR расходника: пустой payload.";
        QTest::newRow("material no id") << "material" << "warn: QR материала: пустой ID рулона.";
    }

    void missingInput()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QString path = "unset";
        if (kind == "qr")
            path = m_tools->generateEmployeeQrDocument("  ", "A", "payload");
        else if (kind == "badge")
            path = m_tools->generateEmployeeBadgePdf("E1", "A", "R", "   ");
        else if (kind == "cutter")
            path = m_tools->generateCutterQrPdf("", "Резак", "CUTTER:1", true);
        else if (kind == "wall")
            path = m_tools->generateConsumableWallQrPdf("inks", "", "Name", "  ", true);
        else
            path = m_tools->generateMaterialQrPdf("rolls", " ", "Баннер", 1, "", true);
        QVERIFY(path.isEmpty());
        QCOMPARE(m_journal.lines, QStringList{ message });
    }

    void attendanceCsv()
    {
        const QVariantList events{
            QVariantMap{ { "time", "08:05" }, { "name", "Пётр; Иванов" }, { "employeeId", "E-17" },
                         { "typeLabel", "Приход" }, { "detailText", "строка1\nстрока2" }, { "rfidUid", "04A1B2" },
                         { "lateMin", 5 }, { "workedMinutes", "" }, { "workedLabel", "" } },
            QVariantMap{ { "time", "17:00" }, { "name", "Анна" }, { "employeeId", 3 }, { "typeLabel", "Уход" },
                         { "workedMinutes", 535 }, { "workedLabel", "8 ч 55 мин" } },
        };
        const QString path = m_tools->exportAttendanceCsv("2026-12-05", events);
        QCOMPARE(path, m_settings->appDataDir() + "/employees/exports/attendance_2026-12-05.csv");
        QCOMPARE(m_journal.last(), "info: CSV посещений сохранён: " + QDir::toNativeSeparators(path));
        const QStringList lines = readText(path).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines, (QStringList{
                            "Дата;Время;Сотрудник;ID;Тип;Детали;UID;Опоздание_мин;Отработано_мин;Отработано",
                            "2026-12-05;08:05;Пётр, Иванов;E-17;Приход;строка1 строка2;04A1B2;5;;",
                            "2026-12-05;17:00;Анна;3;Уход;;;;535;8 ч 55 мин",
                        }));
    }

    void archiveCsv()
    {
        const QVariantList summary{ QVariantMap{ { "name", "Анна" }, { "employeeId", "3" }, { "scans", 120 },
                                                 { "active", 4 }, { "areaLabel", "12,5 м²" }, { "visitHoursLabel", "8:55" } } };
        const QVariantList events{ QVariantMap{ { "time", "10:00" }, { "name", "Анна" }, { "employeeId", "3" },
                                                { "typeLabel", "Печать" }, { "detailText", "P01ABCDEFG" },
                                                { "printer", "VornPDF" }, { "fileName", "a;b.png" }, { "area", 0.25 },
                                                { "workedMinutes", "" }, { "workedLabel", "" } } };
        const QString path = m_tools->exportArchiveCsv("2026-12-05", summary, events);
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("archive_2026-12-05.csv"));
        QCOMPARE(m_journal.last(), "info: CSV архива сохранён: " + QDir::toNativeSeparators(path));
        const QStringList lines = readText(path).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines, (QStringList{
                            "Сводка за день",
                            "Дата;Сотрудник;ID;Сканов;Активаций;Квадратура;Часы_посещений",
                            "2026-12-05;Анна;3;120;4;12,5 м²;8:55",
                            "Лента событий",
                            "Дата;Время;Сотрудник;ID;Тип;Детали;Принтер;Файл;Квадратура;Отработано_мин;Отработано",
                            "2026-12-05;10:00;Анна;3;Печать;P01ABCDEFG;VornPDF;a,b.png;0.25;;",
                        }));
    }

    void exportWithEmptyDateAndNoEvents()
    {
        const QString attendance = m_tools->exportAttendanceCsv("  ", {});
        QCOMPARE(QFileInfo(attendance).fileName(), QStringLiteral("attendance_unknown-date.csv"));
        QCOMPARE(readText(attendance),
                 QStringLiteral("Дата;Время;Сотрудник;ID;Тип;Детали;UID;Опоздание_мин;Отработано_мин;Отработано\n"));
        const QString archive = m_tools->exportArchiveCsv("", {}, {});
        QCOMPARE(QFileInfo(archive).fileName(), QStringLiteral("archive_unknown-date.csv"));
        QCOMPARE(readText(archive).count('\n'), 4);

        // A folder where the file should be: the export fails with the error line.
        QDir().mkpath(m_tools->employeesDir("exports") + "/attendance_blocked.csv");
        QVERIFY(m_tools->exportAttendanceCsv("blocked", {}).isEmpty());
        QVERIFY(m_journal.last().startsWith("error: CSV посещений: не удалось открыть "));
    }

    void printPathUsesLabelPrinter()
    {
        REQUIRE_CUPS_PDF();
        m_settings->setLabelPrinterName(cupspdf::printerName());
        QVERIFY(m_tools->availablePrinters().contains(cupspdf::printerName()));
        QCOMPARE(m_tools->defaultPrinterName(), m_tools->defaultPrinterName().trimmed());

        const QString label = m_tools->generateCutterQrPdf("7", "Резак 7", "CUTTER:7", false);
        const QStringList existing = cupspdf::settledPdfFiles();
        QVERIFY(m_tools->printPath("  " + label + " "));
        QCOMPARE(m_journal.last(), "info: Файл отправлен на печать (VornPDF): " + QDir::toNativeSeparators(label));
        const QStringList printed = cupspdf::waitForNewPdfs(existing, 1);
        cupspdf::OutputCleanup cleanup{ printed };
        QCOMPARE(printed.size(), 1);
        QPdfDocument document;
        QCOMPARE(document.load(printed.first()), QPdfDocument::Error::None);
        QCOMPARE(document.pageCount(), 2); // two copies in one job (the sticker itself is decoded above)
    }

    void printPathFailures()
    {
        QVERIFY(!m_tools->printPath("  "));
        QCOMPARE(m_journal.last(), QStringLiteral("warn: Путь печати не задан."));
        const QString missing = m_work.filePath("missing.pdf");
        QVERIFY(!m_tools->printPath(missing));
        QCOMPARE(m_journal.last(), "warn: Файл для печати не найден: " + QDir::toNativeSeparators(missing));

        const QString label = m_tools->generateCutterQrPdf("8", "Резак 8", "CUTTER:8", false);
        int copiesAsked = 0;
        QString printerAsked = "unset";
        m_tools->setPrintFunction([&](const QString &, const QString &printer, QString *error, int copies) {
            copiesAsked = copies;
            printerAsked = printer;
            *error = QStringLiteral("принтер недоступен: %1").arg(printer);
            return false;
        });
        m_settings->setLabelPrinterName(" Nope ");
        QVERIFY(!m_tools->printPath(label));
        QCOMPARE(copiesAsked, 2);
        QCOMPARE(printerAsked, QStringLiteral("Nope"));
        QCOMPARE(m_journal.last(), QStringLiteral("error: Не удалось отправить файл на печать: %1 (принтер недоступен: Nope)")
                                       .arg(QDir::toNativeSeparators(label)));

        // No printer chosen: the default, and no parentheses in the line.
        m_tools->setPrintFunction([&](const QString &, const QString &printer, QString *, int) {
            printerAsked = printer;
            return true;
        });
        m_settings->setLabelPrinterName(QString());
        QVERIFY(m_tools->printPath(label));
        QCOMPARE(printerAsked, QString());
        QCOMPARE(m_journal.last(), "info: Файл отправлен на печать: " + QDir::toNativeSeparators(label));
    }

    void openingHandsOffToTheDesktop()
    {
        OpenRecorder recorder;
        QDesktopServices::setUrlHandler("file", &recorder, "open");
        QDesktopServices::setUrlHandler("https", &recorder, "open");

        QVERIFY(!m_tools->openPath("  "));
        QCOMPARE(m_journal.last(), QStringLiteral("warn: Локальный путь не задан."));
        QVERIFY(!m_tools->openPath(m_work.filePath("nope")));
        QVERIFY(m_journal.last().startsWith("warn: Путь не найден: "));
        QVERIFY(m_tools->openPath("\"" + m_work.path() + "\""));
        QCOMPARE(recorder.urls.last(), QUrl::fromLocalFile(m_work.path()));
        QCOMPARE(m_journal.last(), "info: Открыт путь: " + QDir::toNativeSeparators(m_work.path()));

        QVERIFY(m_tools->openSettingsFolder());
        QCOMPARE(recorder.urls.last(), QUrl::fromLocalFile(m_settings->appDataDir()));
        QVERIFY(m_tools->openExportsFolder());
        QCOMPARE(recorder.urls.last(), QUrl::fromLocalFile(m_settings->appDataDir() + "/exports"));
        QVERIFY(m_tools->openEmployeeAssetsFolder("badges"));
        QCOMPARE(recorder.urls.last(), QUrl::fromLocalFile(m_settings->appDataDir() + "/employees/badges"));
        QVERIFY(m_tools->openConsumableAssetsFolder(""));
        QCOMPARE(recorder.urls.last(), QUrl::fromLocalFile(m_settings->appDataDir() + "/consumables/consumables"));

        const QString file = m_work.filePath("inside.txt");
        QFile(file).open(QIODevice::WriteOnly);
        QVERIFY(m_tools->openContainingFolder(file));
        QCOMPARE(recorder.urls.last(), QUrl::fromLocalFile(m_work.path()));
        QVERIFY(!m_tools->openContainingFolder(m_work.filePath("no/such/file.txt")));
        QVERIFY(m_journal.last().startsWith("warn: Папка для пути не найдена: "));
        QVERIFY(!m_tools->openContainingFolder(" "));
        QCOMPARE(m_journal.last(), QStringLiteral("warn: Путь не задан."));

        QVERIFY(!m_tools->openUrl(" "));
        QCOMPARE(m_journal.last(), QStringLiteral("warn: Ссылка не задана."));
        QVERIFY(m_tools->openUrl(" https://example.org/help "));
        QCOMPARE(recorder.urls.last(), QUrl("https://example.org/help"));
        QCOMPARE(m_journal.last(), QStringLiteral("info: Открыта ссылка: https://example.org/help"));

        QDesktopServices::unsetUrlHandler("file");
        QDesktopServices::unsetUrlHandler("https");
    }

    void localPathHelpers_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("quoted") << "  \"C:\\Work\\a b\"  " << "C:\\Work\\a b";
        QTest::newRow("only one pair") << "\"\"x\"\"" << "\"x\"";
        QTest::newRow("unbalanced kept") << "\"x" << "\"x";
        QTest::newRow("plain") << " /tmp " << "/tmp";
    }

    void localPathHelpers()
    {
        QFETCH(QString, input);
        QFETCH(QString, normalized);
        QCOMPARE(m_tools->normalizeLocalPath(input), normalized);
        QVERIFY(m_tools->pathExists("\"" + m_work.path() + "\""));
        QVERIFY(m_tools->isDir(" " + m_work.path()));
        QVERIFY(!m_tools->isDir(m_work.filePath("none")));
        QVERIFY(!m_tools->pathExists(""));
    }

    void clipboard()
    {
        QVERIFY(!m_tools->copyText(QString()));
        QCOMPARE(m_journal.last(), QStringLiteral("warn: Нечего копировать."));
        QVERIFY(m_tools->copyText("P01ABCDEFG"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("P01ABCDEFG"));
        QCOMPARE(m_journal.last(), QStringLiteral("info: Текст скопирован в буфер обмена."));
        m_tools->beep(); // must not block or crash without a sound device
    }
};

QTEST_MAIN(LocalToolsTest)
#include "tst_localtools.moc"
