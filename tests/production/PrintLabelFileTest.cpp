// Silent printing through the real CUPS PDF printer; the printed jobs are read back
// with QtPdf.
#include "CupsPdfPrinter.h"

#include "production/LabelPage.h"
#include "production/PrintLabelFile.h"
#include "production/ShellLabelPrint.h"

#include <QImage>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr qreal kMmToPt = 72.0 / 25.4;

// A picture with a black frame on its edges and a diagonal, at the given resolution.
QString writeFramedImage(const QString &path, QSize pixels, double dpi, bool transparent)
{
    QImage image(pixels, QImage::Format_ARGB32);
    image.fill(transparent ? Qt::transparent : Qt::white);
    {
        QPainter painter(&image);
        painter.setPen(QPen(Qt::black, 4));
        painter.drawRect(QRectF(2, 2, pixels.width() - 4, pixels.height() - 4));
        painter.drawLine(0, 0, pixels.width(), pixels.height());
    }
    const int dpm = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.save(path);
    return path;
}

// A PDF whose page n carries a black block in the n-th third of its width.
void writeMarkedPdf(const QString &path, QSizeF pageMm, int pages)
{
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(pageMm, QPageSize::Millimeter, QString(),
                                               QPageSize::ExactMatch),
                                     QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    const QRect page = painter.viewport();
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            writer.newPage();
        const int third = page.width() / 3;
        painter.fillRect(QRect(i * third + third / 4, page.height() / 4, third / 2,
                               page.height() / 2),
                         Qt::black);
    }
}

// The box (in points) around the dark pixels of a page, drawn at 2 px per point.
QRectF inkBox(QPdfDocument &document, int page)
{
    const QSizeF points = document.pagePointSize(page);
    QImage image = document.render(page, (points * 2).toSize());
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, image);
    int left = flat.width(), top = flat.height(), right = -1, bottom = -1;
    for (int y = 0; y < flat.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(flat.constScanLine(y));
        for (int x = 0; x < flat.width(); ++x) {
            if (qGray(line[x]) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return {};
    return QRectF(left / 2.0, top / 2.0, (right - left + 1) / 2.0, (bottom - top + 1) / 2.0);
}

bool closeTo(qreal a, qreal b, qreal tolerance = 1.0)
{
    return std::abs(a - b) <= tolerance;
}

} // namespace

class PrintLabelFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void labelWindowAndParameters();
    void labelImageGetsItsOwnPagePerCopy();
    void screenImageStaysAtNaturalSize();
    void pdfPagesAndSizes();
    void otherFilesGoThroughLp();
    void failures();

private:
    QTemporaryDir m_dir;
};

void PrintLabelFileTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    REQUIRE_CUPS_PDF();
}

void PrintLabelFileTest::labelWindowAndParameters()
{
    QVERIFY(labelSizeFitsWindow(QSizeF(15, 20)));
    QVERIFY(labelSizeFitsWindow(QSizeF(180, 130)));
    QVERIFY(!labelSizeFitsWindow(QSizeF(14.9, 40)));
    QVERIFY(!labelSizeFitsWindow(QSizeF(131, 140)));
    QVERIFY(!labelSizeFitsWindow(QSizeF(100, 180.5)));
    QVERIFY(!labelSizeFitsWindow(QSizeF(16, 19)));

    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(cupspdf::printerName());
    const QPageLayout before = printer.pageLayout();
    QVERIFY(!applyLabelPage(printer, QSizeF(210, 297)));
    QVERIFY(printer.pageLayout().pageSize().isEquivalentTo(before.pageSize()));
    QVERIFY(applyLabelPage(printer, QSizeF(58, 40)));
    const QRectF full = printer.pageLayout().fullRect(QPageLayout::Millimeter);
    QVERIFY2(closeTo(full.width(), 58, 0.1) && closeTo(full.height(), 40, 0.1),
             qPrintable(QStringLiteral("%1 x %2").arg(full.width()).arg(full.height())));
    QCOMPARE(printer.pageLayout().margins(), QMarginsF());

    QCOMPARE(printToParameters(QStringLiteral("Zebra"), QStringLiteral("ZDesigner GK420d"),
                               QStringLiteral("USB001")),
             QStringLiteral("\"Zebra\" \"ZDesigner GK420d\" \"USB001\""));
    QCOMPARE(printToParameters(QStringLiteral("My \"Label\" 1"), QString(), QString()),
             QStringLiteral("\"My \\\"Label\\\" 1\""));
    QCOMPARE(printToParameters(QStringLiteral("P"), QString(), QStringLiteral("LPT1:")),
             QStringLiteral("\"P\" \"LPT1:\""));
}

void PrintLabelFileTest::labelImageGetsItsOwnPagePerCopy()
{
    // 58 × 40 mm at 203 dpi, transparent background: must come out white, frame on the edges.
    const QString png = writeFramedImage(m_dir.filePath(QStringLiteral("label.png")),
                                         QSize(463, 320), 203, true);
    const QStringList before = cupspdf::settledPdfFiles();
    QString error;
    // Trailing blanks are trimmed before the existence check.
    QVERIFY2(printLabelFile(png + QStringLiteral("  "), cupspdf::printerName(), &error, 2),
             qPrintable(error));
    const QStringList out = cupspdf::waitForNewPdfs(before, 1);
    const cupspdf::OutputCleanup cleanup1 { out };
    QCOMPARE(out.size(), 1);

    QPdfDocument document;
    QCOMPARE(document.load(out.first()), QPdfDocument::Error::None);
    QCOMPARE(document.pageCount(), 2);
    for (int page = 0; page < 2; ++page) {
        const QSizeF size = document.pagePointSize(page);
        QVERIFY2(closeTo(size.width(), 463 / 203.0 * 72) && closeTo(size.height(), 320 / 203.0 * 72),
                 qPrintable(QStringLiteral("page %1: %2 x %3 pt")
                                .arg(page).arg(size.width()).arg(size.height())));
        QVERIFY(size.width() > size.height());
        // Scaled to fill the label: the frame reaches (nearly) every edge.
        const QRectF ink = inkBox(document, page);
        QVERIFY2(ink.width() > size.width() * 0.95 && ink.height() > size.height() * 0.95,
                 qPrintable(QStringLiteral("ink %1 x %2").arg(ink.width()).arg(ink.height())));
    }
    // The transparent inside printed white, not black.
    const QImage inside = document.render(0, QSize(116, 80));
    QVERIFY(qGray(inside.pixel(80, 20)) > 200);
}

void PrintLabelFileTest::screenImageStaysAtNaturalSize()
{
    const QString png = writeFramedImage(m_dir.filePath(QStringLiteral("screen.png")),
                                         QSize(400, 200), 96, false);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(cupspdf::printerName());
    const int resolution = printer.resolution();
    const QSizeF defaultPage = printer.pageLayout().fullRect(QPageLayout::Point).size();

    const QStringList before = cupspdf::settledPdfFiles();
    QString error;
    QVERIFY2(printLabelFile(png, cupspdf::printerName(), &error, 1), qPrintable(error));
    const QStringList out = cupspdf::waitForNewPdfs(before, 1);
    const cupspdf::OutputCleanup cleanup2 { out };
    QCOMPARE(out.size(), 1);

    QPdfDocument document;
    QCOMPARE(document.load(out.first()), QPdfDocument::Error::None);
    QCOMPARE(document.pageCount(), 1);
    const QSizeF size = document.pagePointSize(0);
    QVERIFY2(closeTo(size.width(), defaultPage.width()) && closeTo(size.height(), defaultPage.height()),
             qPrintable(QStringLiteral("%1 x %2 pt").arg(size.width()).arg(size.height())));
    // One image pixel per device pixel at most: 400 px at the printer's resolution.
    const qreal natural = 400.0 / resolution * 72.0;
    const QRectF ink = inkBox(document, 0);
    QVERIFY2(!ink.isEmpty() && ink.width() <= natural + 1.5,
             qPrintable(QStringLiteral("ink %1 pt, natural %2 pt").arg(ink.width()).arg(natural)));
    QVERIFY(closeTo(ink.center().x(), size.width() / 2, 2));
    QVERIFY(closeTo(ink.center().y(), size.height() / 2, 2));
}

void PrintLabelFileTest::pdfPagesAndSizes()
{
    const QString label = m_dir.filePath(QStringLiteral("three.pdf"));
    writeMarkedPdf(label, QSizeF(50, 30), 3);
    const QString a4 = m_dir.filePath(QStringLiteral("a4.pdf"));
    writeMarkedPdf(a4, QSizeF(210, 297), 1);
    const QString tall = m_dir.filePath(QStringLiteral("tall.pdf"));
    writeMarkedPdf(tall, QSizeF(100, 200), 1);

    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(cupspdf::printerName());
    const QSizeF defaultPage = printer.pageLayout().fullRect(QPageLayout::Point).size();

    QStringList before = cupspdf::settledPdfFiles();
    QString error;
    QVERIFY2(printLabelFile(label, cupspdf::printerName(), &error, 2), qPrintable(error));
    QStringList out = cupspdf::waitForNewPdfs(before, 1);
    const cupspdf::OutputCleanup cleanupLabel { out };
    QCOMPARE(out.size(), 1);
    QPdfDocument document;
    QCOMPARE(document.load(out.first()), QPdfDocument::Error::None);
    QCOMPARE(document.pageCount(), 6);
    QPdfDocument source;
    QCOMPARE(source.load(label), QPdfDocument::Error::None);
    const QSizeF sourceSize = source.pagePointSize(0);
    QVERIFY(closeTo(sourceSize.width(), 50 * kMmToPt) && closeTo(sourceSize.height(), 30 * kMmToPt));
    QList<int> order;
    for (int page = 0; page < 6; ++page) {
        // The size travels to CUPS in hundredths of a millimetre and cups-pdf writes whole
        // points rounded down: one point, plus that hair, is the tolerance.
        const QSizeF size = document.pagePointSize(page);
        QVERIFY2(closeTo(size.width(), sourceSize.width(), 1.05)
                     && closeTo(size.height(), sourceSize.height(), 1.05),
                 qPrintable(QStringLiteral("%1 x %2 pt").arg(size.width()).arg(size.height())));
        order << int(inkBox(document, page).center().x() / (size.width() / 3));
    }
    QCOMPARE(order, QList<int>({ 0, 1, 2, 0, 1, 2 }));

    // Sheets above the label window keep the printer's page.
    before = cupspdf::settledPdfFiles();
    QVERIFY2(printLabelFile(a4, cupspdf::printerName(), &error, 1), qPrintable(error));
    QVERIFY2(printLabelFile(tall, cupspdf::printerName(), &error, 1), qPrintable(error));
    out = cupspdf::waitForNewPdfs(before, 2);
    const cupspdf::OutputCleanup cleanup3 { out };
    QCOMPARE(out.size(), 2);
    for (const QString &path : out) {
        QPdfDocument sheet;
        QCOMPARE(sheet.load(path), QPdfDocument::Error::None);
        QCOMPARE(sheet.pageCount(), 1);
        const QSizeF size = sheet.pagePointSize(0);
        QVERIFY2(closeTo(size.width(), defaultPage.width())
                     && closeTo(size.height(), defaultPage.height()),
                 qPrintable(QStringLiteral("%1 x %2 pt").arg(size.width()).arg(size.height())));
    }
}

void PrintLabelFileTest::otherFilesGoThroughLp()
{
    const QString text = m_dir.filePath(QStringLiteral("note.txt"));
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Vorn label note\n");
    file.close();

    const QStringList before = cupspdf::settledPdfFiles();
    QString error;
    QVERIFY2(printLabelFile(text, cupspdf::printerName(), &error, 2), qPrintable(error));
    const cupspdf::OutputCleanup cleanupText { cupspdf::waitForNewPdfs(before, 1) };
    QCOMPARE(cleanupText.paths.size(), 1);

    error.clear();
    QVERIFY(!printLabelFile(text, QStringLiteral("NoSuchVornPrinter"), &error, 1));
    QVERIFY2(error.startsWith(QStringLiteral("lp не отправил файл на принтер NoSuchVornPrinter")),
             qPrintable(error));

    // Without lp on the PATH the reason says so.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", m_dir.path().toLocal8Bit());
    error.clear();
    const bool printed = printLabelFile(text, cupspdf::printerName(), &error, 1);
    qputenv("PATH", path);
    QVERIFY(!printed);
    QVERIFY2(error.contains(QStringLiteral("не найдена команда lp")), qPrintable(error));
}

void PrintLabelFileTest::failures()
{
    const QString png = writeFramedImage(m_dir.filePath(QStringLiteral("ok.png")),
                                         QSize(100, 80), 203, false);
    const QString brokenPdf = m_dir.filePath(QStringLiteral("broken.pdf"));
    const QString brokenPng = m_dir.filePath(QStringLiteral("broken.png"));
    for (const QString &path : { brokenPdf, brokenPng }) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is not what the name says");
    }

    const QStringList before = cupspdf::settledPdfFiles();
    QString error;
    QVERIFY(!printLabelFile(m_dir.filePath(QStringLiteral("missing.png")),
                            cupspdf::printerName(), &error, 1));
    QCOMPARE(error, QStringLiteral("файл не найден"));
    QVERIFY(!printLabelFile(QStringLiteral("   "), cupspdf::printerName(), &error, 1));
    QCOMPARE(error, QStringLiteral("файл не найден"));

    QVERIFY(!printLabelFile(png, QStringLiteral("NoSuchVornPrinter"), &error, 1));
    QCOMPARE(error, QStringLiteral("принтер недоступен: NoSuchVornPrinter"));
    QVERIFY(!printLabelFile(brokenPdf, cupspdf::printerName(), &error, 1));
    QCOMPARE(error, QStringLiteral("не удалось открыть PDF для печати"));
    QVERIFY(!printLabelFile(brokenPng, cupspdf::printerName(), &error, 1));
    QVERIFY2(error.startsWith(QStringLiteral("не удалось прочитать изображение")),
             qPrintable(error));

    // None of these reached the printer (in particular not its default).
    QTest::qWait(1500);
    QVERIFY(cupspdf::queueEmpty());
    QCOMPARE(cupspdf::pdfFiles().size(), before.size());
}

QTEST_MAIN(PrintLabelFileTest)
#include "PrintLabelFileTest.moc"
