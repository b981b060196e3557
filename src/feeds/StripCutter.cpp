#include "feeds/StripCutter.h"

#include "feeds/LayoutReader.h"
#include "feeds/MaketNames.h"
#include "feeds/StripGeometry.h"
#include "feeds/TiffFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <tiffio.h>

#include <memory>
#include <vector>

namespace {

constexpr qint64 kClassicTiffLimit = 3900LL * 1024 * 1024;

struct StripOutput
{
    TiffFile file;
    QString partPath;
    QString finalPath;
};

bool startStrip(StripOutput &out, int height)
{
    const qint64 bytes = qint64(StripGeometry::RowComposer::rowBytes()) * height;
    if (!out.file.open(out.partPath, bytes > kClassicTiffLimit ? "w8" : "w"))
        return false;
    TIFF *tiff = out.file.handle();
    const int rowsPerStrip = std::max(1, (256 * 1024) / StripGeometry::RowComposer::rowBytes());
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(StripGeometry::kCanvasWidth));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(rowsPerStrip));
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(StripGeometry::kDpi));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(StripGeometry::kDpi));
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    return true;
}

QString stripExtension(const QString &layoutPath)
{
    // The strips are TIFF; a TIFF layout keeps its own spelling of the extension.
    const QString extension = MaketNames::extensionOf(layoutPath);
    return extension == QLatin1String(".tiff") ? extension : QStringLiteral(".tif");
}

void removeOldStrips(const QString &folder, const QString &designKey)
{
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::NoDotAndDotDot)) {
        if (MaketNames::isStripOf(name, designKey))
            QFile::remove(dir.filePath(name));
    }
}

} // namespace

StripCutOutcome cutLayoutIntoStrips(const StripCutJob &job, const StripCutHooks &hooks)
{
    StripCutOutcome outcome;
    const QString fileName = QFileInfo(job.layoutPath).fileName();
    if (!MaketNames::isCuttableExtension(MaketNames::extensionOf(job.layoutPath))) {
        outcome.error = QStringLiteral("Встроенная нарезка пока поддерживает TIF/JPG/PNG/BMP. "
                                       "Файл %1 нужно переносить в обработчик отдельно.").arg(fileName);
        return outcome;
    }
    LayoutReader reader;
    if (!reader.open(job.layoutPath)) {
        outcome.error = QStringLiteral("Не удалось прочитать размер макета: %1").arg(reader.errorText());
        return outcome;
    }
    if (reader.dpi() != 0 && reader.dpi() != StripGeometry::kDpi) {
        outcome.error = QStringLiteral("DPI макета %1, нужен %2").arg(reader.dpi()).arg(StripGeometry::kDpi);
        return outcome;
    }
    const int width = reader.size().width();
    const int height = reader.size().height();
    const int count = StripGeometry::stripCount(width);
    outcome.expected = count;
    if (count <= 0) {
        outcome.error = QStringLiteral("Недостаточная ширина макета для полосы 104 см");
        return outcome;
    }
    if (hooks.progress)
        hooks.progress(0, count);
    if (!QDir().mkpath(job.stripsFolder)) {
        outcome.error = QStringLiteral("Не удалось сохранить полосу %1/%2: %3")
                            .arg(1).arg(count).arg(QStringLiteral("нет папки %1").arg(job.stripsFolder));
        return outcome;
    }
    removeOldStrips(job.stripsFolder, job.designKey);

    const QString extension = stripExtension(job.layoutPath);
    const QDir folder(job.stripsFolder);
    std::vector<std::unique_ptr<StripOutput>> outputs;
    auto abandon = [&outputs] {
        for (auto &out : outputs) {
            out->file.close();
            QFile::remove(out->partPath);
        }
    };
    for (int i = 0; i < count; ++i) {
        auto out = std::make_unique<StripOutput>();
        out->finalPath = folder.filePath(MaketNames::stripFileName(job.layoutName, i + 1, extension));
        out->partPath = out->finalPath + QStringLiteral(".part");
        const bool started = startStrip(*out, height);
        outputs.push_back(std::move(out));
        if (!started) {
            outcome.error = QStringLiteral("Не удалось сохранить полосу %1/%2: %3")
                                .arg(i + 1).arg(count).arg(outputs.back()->file.errorText());
            abandon();
            return outcome;
        }
    }

    const StripGeometry::RowComposer composer(width, height);
    QByteArray layoutRow(qsizetype(width) * 3, Qt::Uninitialized);
    QByteArray canvasRow(StripGeometry::RowComposer::rowBytes(), Qt::Uninitialized);
    auto *in = reinterpret_cast<uchar *>(layoutRow.data());
    auto *row = reinterpret_cast<uchar *>(canvasRow.data());
    for (int y = 0; y < height; ++y) {
        if (hooks.canceled && (y & 63) == 0 && hooks.canceled()) {
            outcome.error = QStringLiteral("Нарезка прервана");
            abandon();
            return outcome;
        }
        if (!reader.readRow(in)) {
            outcome.error = QStringLiteral("Не удалось прочитать полосу %1").arg(1);
            if (!reader.errorText().isEmpty())
                outcome.error += QStringLiteral(": ") + reader.errorText();
            abandon();
            return outcome;
        }
        for (int i = 0; i < count; ++i) {
            composer.compose(in, i, y, row);
            if (TIFFWriteScanline(outputs[size_t(i)]->file.handle(), row, uint32_t(y), 0) != 1) {
                outcome.error = QStringLiteral("Не удалось сохранить полосу %1/%2: %3")
                                    .arg(i + 1).arg(count).arg(outputs[size_t(i)]->file.errorText());
                abandon();
                return outcome;
            }
        }
    }

    for (int i = 0; i < count; ++i) {
        StripOutput &out = *outputs[size_t(i)];
        bool saved = out.file.close();
        QString why = saved ? QString() : out.file.errorText();
        if (saved) {
            QFile::remove(out.finalPath);
            saved = QFile::rename(out.partPath, out.finalPath);
            if (!saved)
                why = QStringLiteral("файл не переименован в %1").arg(QFileInfo(out.finalPath).fileName());
        }
        if (!saved) {
            outcome.error = QStringLiteral("Не удалось сохранить полосу %1/%2: %3").arg(i + 1).arg(count).arg(why);
            abandon();
            return outcome;
        }
        outcome.files.append(out.finalPath);
        outcome.done = i + 1;
        if (hooks.progress)
            hooks.progress(outcome.done, count);
    }
    outcome.ok = true;
    return outcome;
}
