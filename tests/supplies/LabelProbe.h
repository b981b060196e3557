#pragma once

#include "JournalProbe.h"

// Reads generated label PDFs back: page size and count with QtPdf, ink positions on a
// white-backed render, and the symbols zbarimg finds on 203 dpi renders by poppler and QtPdf.

#include "common/Journal.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

namespace labelprobe {

constexpr qreal kMmToPt = 72.0 / 25.4;
constexpr int kThermalDpi = 203;

// Collects what a service asked the desktop to open instead of starting a viewer
// (install with QDesktopServices::setUrlHandler(scheme, &recorder, "open")).
class OpenRecorder : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

inline bool haveZbar()
{
    return !QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty();
}

inline bool havePdftoppm()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

inline QString missingToolsMessage()
{
    return QStringLiteral("zbarimg or pdftoppm is missing: install zbar-tools and poppler-utils "
                          "(scripts/setup.sh) to check that the labels scan");
}

// Page 1 of the PDF rendered by poppler at the thermal printer's resolution (PNG path).
inline QString renderWithPoppler(const QString &pdf, const QString &folder, int dpi = kThermalDpi)
{
    const QString prefix = QDir(folder).filePath(QFileInfo(pdf).completeBaseName());
    QProcess run;
    run.start(QStringLiteral("pdftoppm"), { QStringLiteral("-r"), QString::number(dpi),
                                            QStringLiteral("-png"), QStringLiteral("-singlefile"),
                                            QStringLiteral("-f"), QStringLiteral("1"), pdf, prefix });
    if (!run.waitForFinished(60000) || run.exitCode() != 0)
        return {};
    return prefix + QStringLiteral(".png");
}

// The payloads zbarimg decodes from a picture, raw bytes, one per symbol.
inline QList<QByteArray> zbarDecode(const QString &png, const QString &symbology)
{
    QProcess run;
    // Binary output keeps the bytes as encoded (no guessing of a text encoding); one
    // symbol of the wanted kind only.
    run.start(QStringLiteral("zbarimg"),
              { QStringLiteral("--quiet"), QStringLiteral("--raw"), QStringLiteral("-Sdisable"),
                QStringLiteral("-S%1.enable").arg(symbology), QStringLiteral("-S%1.binary").arg(symbology), png });
    if (!run.waitForFinished(60000))
        return {};
    QByteArray out = run.readAllStandardOutput();
    if (out.endsWith('\n'))
        out.chop(1);
    return out.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{ out };
}

// Page 1 at `scale` pixels a point, drawn onto white (QtPdf renders on transparent).
inline QImage renderOnWhite(const QString &pdf, qreal scale)
{
    QPdfDocument document;
    if (document.load(pdf) != QPdfDocument::Error::None || document.pageCount() < 1)
        return {};
    const QSizeF points = document.pagePointSize(0);
    const QImage page = document.render(0, (points * scale).toSize());
    QImage flat(page.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter(&flat).drawImage(0, 0, page);
    return flat;
}

// What zbarimg reads from page 1 rendered at 203 dpi, by poppler and by QtPdf (the
// renderer the client prints with); both must agree for a result.
inline QList<QByteArray> decodePdf(const QString &pdf, const QString &symbology, const QString &folder)
{
    const QString poppler = renderWithPoppler(pdf, folder);
    const QString qt = QDir(folder).filePath(QFileInfo(pdf).completeBaseName() + QStringLiteral("-qtpdf.png"));
    if (poppler.isEmpty() || !renderOnWhite(pdf, kThermalDpi / 72.0).save(qt))
        return {};
    const QList<QByteArray> byPoppler = zbarDecode(poppler, symbology);
    const QList<QByteArray> byQt = zbarDecode(qt, symbology);
    if (byPoppler != byQt)
        return { QByteArrayLiteral("poppler: ") + byPoppler.value(0), QByteArrayLiteral("qtpdf: ") + byQt.value(0) };
    return byPoppler;
}

// Dark pixels (in millimetres from the top-left corner) that lie outside every allowed
// rectangle (also in millimetres); an empty list when all ink is where it belongs.
inline QList<QPointF> inkOutside(const QImage &image, qreal pixelsPerMm, const QList<QRectF> &allowed)
{
    QList<QPointF> stray;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(line[x]) > 160)
                continue;
            const QPointF mm((x + 0.5) / pixelsPerMm, (y + 0.5) / pixelsPerMm);
            bool inside = false;
            for (const QRectF &r : allowed)
                inside = inside || r.contains(mm);
            if (!inside)
                stray << mm;
        }
    }
    return stray;
}

// What is wrong with a one-page 58 × 40 mm sticker whose ink must stay inside `allowed`
// (millimetres); empty when nothing is.
inline QString stickerProblem(const QString &pdf, const QList<QRectF> &allowed, qreal scale = 6.0)
{
    QPdfDocument document;
    if (document.load(pdf) != QPdfDocument::Error::None || document.pageCount() != 1)
        return QStringLiteral("not a one-page PDF: ") + pdf;
    const QSizeF points = document.pagePointSize(0);
    if (qAbs(points.width() - 58 * kMmToPt) > 1.0 || qAbs(points.height() - 40 * kMmToPt) > 1.0)
        return QStringLiteral("page %1 x %2 pt").arg(points.width()).arg(points.height());
    const QList<QPointF> stray = inkOutside(renderOnWhite(pdf, scale), scale * kMmToPt, allowed);
    if (!stray.isEmpty())
        return QStringLiteral("%1 dark pixels outside the areas, first at %2,%3 mm")
            .arg(stray.size()).arg(stray.first().x()).arg(stray.first().y());
    return {};
}

} // namespace labelprobe
