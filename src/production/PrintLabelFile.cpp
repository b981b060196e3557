#include "production/PrintLabelFile.h"

#include "common/LogCategories.h"
#include "production/LabelPage.h"
#include "production/ShellLabelPrint.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPdfDocument>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

namespace {

bool fail(QString *errorText, const QString &message)
{
    qCWarning(lcProduction) << "print failed:" << message;
    if (errorText)
        *errorText = message;
    return false;
}

// An unknown name would silently print on the default printer: look it up first and
// check afterwards that the device really took it.
bool selectPrinter(QPrinter &printer, const QString &printerName, const QString &documentName,
                   QString *errorText)
{
    const QString name = printerName.trimmed();
    if (!name.isEmpty()) {
        if (QPrinterInfo::printerInfo(name).isNull())
            return fail(errorText, QStringLiteral("принтер недоступен: %1").arg(name));
        printer.setPrinterName(name);
    }
    printer.setFullPage(true);
    if (!name.isEmpty() && (!printer.isValid() || printer.printerName() != name))
        return fail(errorText, QStringLiteral("принтер недоступен: %1").arg(name));
    if (name.isEmpty() && (!printer.isValid() || printer.outputFormat() != QPrinter::NativeFormat))
        return fail(errorText, QStringLiteral("принтер не инициализирован"));
    printer.setDocName(documentName);
    return true;
}

bool printImage(const QString &path, const QString &printerName, int copies, QString *errorText)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull())
        return fail(errorText, QStringLiteral("не удалось прочитать изображение: %1")
                                   .arg(reader.errorString()));

    QPrinter printer(QPrinter::HighResolution);
    if (!selectPrinter(printer, printerName, QStringLiteral("Label image"), errorText))
        return false;

    // Only a file that says it was made for a printer (150 dpi or more) tells the label size;
    // screen images (96 dpi, or no resolution at all) keep the printer's page.
    bool labelPage = false;
    const int dpmX = image.dotsPerMeterX();
    const int dpmY = image.dotsPerMeterY();
    if (dpmX >= 1 && dpmY >= 1 && dpmX * 0.0254 >= 150.0 && dpmY * 0.0254 >= 150.0) {
        const QSizeF sizeMm(image.width() * 1000.0 / dpmX, image.height() * 1000.0 / dpmY);
        labelPage = applyLabelPage(printer, sizeMm);
        qCDebug(lcProduction) << "image label size" << sizeMm << "mm, label page" << labelPage;
    }
    flattenOntoWhite(image);

    QPainter painter;
    if (!painter.begin(&printer))
        return fail(errorText, QStringLiteral("не удалось начать печать на принтер"));
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0 && !printer.newPage()) {
            painter.end();
            return fail(errorText, QStringLiteral("не удалось открыть новую страницу для копии"));
        }
        drawPictureIntoPage(painter, printer, image, labelPage);
    }
    painter.end();
    return true;
}

QSize renderSize(const QSizeF &pointSize, int resolution)
{
    qreal width = std::max<qreal>(64.0, std::round(pointSize.width() * resolution / 72.0));
    qreal height = std::max<qreal>(64.0, std::round(pointSize.height() * resolution / 72.0));
    const qreal pixels = width * height;
    if (pixels > kMaxPrintRenderPixels) {
        const qreal shrink = std::sqrt(kMaxPrintRenderPixels / pixels);
        width = std::max<qreal>(64.0, std::floor(width * shrink));
        height = std::max<qreal>(64.0, std::floor(height * shrink));
    }
    return QSize(int(width), int(height));
}

bool printPdf(const QString &path, const QString &printerName, int copies, QString *errorText)
{
    QPdfDocument document;
    if (document.load(path) != QPdfDocument::Error::None)
        return fail(errorText, QStringLiteral("не удалось открыть PDF для печати"));
    const int pageCount = document.pageCount();
    if (pageCount <= 0)
        return fail(errorText, QStringLiteral("PDF не содержит страниц"));

    QPrinter printer(QPrinter::HighResolution);
    if (!selectPrinter(printer, printerName, QStringLiteral("PDF label"), errorText))
        return false;
    const QSizeF firstPageMm = document.pagePointSize(0) * (25.4 / 72.0);
    const bool labelPage = applyLabelPage(printer, firstPageMm);
    qCDebug(lcProduction) << "pdf first page" << firstPageMm << "mm, label page" << labelPage;

    QPainter painter;
    if (!painter.begin(&printer))
        return fail(errorText, QStringLiteral("не удалось начать печать PDF"));
    const int resolution = printer.resolution();
    bool first = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (int page = 0; page < pageCount; ++page) {
            if (!first && !printer.newPage()) {
                painter.end();
                return fail(errorText, QStringLiteral("не удалось открыть новую страницу PDF"));
            }
            first = false;
            QImage rendered = document.render(page, renderSize(document.pagePointSize(page),
                                                               resolution));
            if (rendered.isNull()) {
                painter.end();
                return fail(errorText,
                            QStringLiteral("не удалось отрендерить страницу PDF %1").arg(page + 1));
            }
            flattenOntoWhite(rendered);
            drawPictureIntoPage(painter, printer, rendered, true);
        }
    }
    painter.end();
    return true;
}

} // namespace

bool printLabelFile(const QString &path, const QString &printerName, QString *errorText,
                    int copies)
{
    const QString file = path.trimmed();
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return fail(errorText, QStringLiteral("файл не найден"));
    copies = std::max(1, copies);

    static const QStringList imageSuffixes {
        QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("bmp"),
        QStringLiteral("webp"), QStringLiteral("tif"), QStringLiteral("tiff"), QStringLiteral("gif"),
    };
    const QString suffix = QFileInfo(file).suffix().toLower();
    qCInfo(lcProduction) << "printing" << file << "on" << (printerName.trimmed().isEmpty()
                                                             ? QStringLiteral("<default>")
                                                             : printerName.trimmed())
                         << "copies" << copies;
    if (imageSuffixes.contains(suffix))
        return printImage(file, printerName, copies, errorText);
    if (suffix == QLatin1String("pdf"))
        return printPdf(file, printerName, copies, errorText);
    return printThroughShell(file, printerName, errorText);
}
