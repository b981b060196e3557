// Cutting a wallpaper layout 3 strips wide and 270 cm high at 150 dpi (18,500 × 16,000 RGB)
// into strips: the streaming cutter beside loading the layout whole into a QImage and cutting
// it with QPainter. Each method runs in a child process of its own, so its peak RSS is its own.
//
//   bench_strip_cut [width=18500] [height=16000]
//   (the TIFF is generated into a temporary folder, streamed row by row, and removed)
#include "DemoLayout.h"
#include "LayoutFiles.h"
#include "feeds/StripCutter.h"
#include "feeds/StripGeometry.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <cstdio>

namespace {

long peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

int runStreaming(const QString &layout, const QString &out)
{
    QElapsedTimer timer;
    timer.start();
    StripCutJob job{layout, out, QStringLiteral("bench"), QStringLiteral("bench")};
    const StripCutOutcome outcome = cutLayoutIntoStrips(job);
    std::printf("%lld %ld %d %s\n", timer.elapsed(), peakRssMb(), outcome.done, qPrintable(outcome.error));
    return outcome.ok ? 0 : 1;
}

int runWhole(const QString &layout, const QString &out)
{
    QElapsedTimer timer;
    timer.start();
    QImageReader::setAllocationLimit(0);
    QImageReader reader(layout);
    reader.setAutoTransform(true);
    QImage image;
    if (!reader.read(&image)) {
        std::printf("0 %ld 0 %s\n", peakRssMb(), qPrintable(reader.errorString()));
        return 1;
    }
    const int count = StripGeometry::stripCount(image.width());
    QDir().mkpath(out);
    for (int i = 0; i < count; ++i) {
        QImage strip = referenceStrip(image, i);
        strip.setDotsPerMeterX(StripGeometry::kDotsPerMeter);
        strip.setDotsPerMeterY(StripGeometry::kDotsPerMeter);
        QImageWriter writer(QDir(out).filePath(QStringLiteral("bench %1-я полоса.tif").arg(i + 1)), "tiff");
        if (!writer.write(strip)) {
            std::printf("0 %ld %d %s\n", peakRssMb(), i, qPrintable(writer.errorString()));
            return 1;
        }
    }
    std::printf("%lld %ld %d ok\n", timer.elapsed(), peakRssMb(), count);
    return 0;
}

QStringList child(const QString &mode, const QString &layout, const QString &out)
{
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), {mode, layout, out});
    process.waitForFinished(-1);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed().split(u' ');
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("stream"))
        return runStreaming(args.at(2), args.at(3));
    if (args.size() == 4 && args.at(1) == QLatin1String("whole"))
        return runWhole(args.at(2), args.at(3));

    const int width = args.size() > 1 ? args.at(1).toInt() : 18500;
    const int height = args.size() > 2 ? args.at(2).toInt() : 16000;
    QTemporaryDir dir;
    const QString layout = dir.filePath(QStringLiteral("layout.tif"));
    QElapsedTimer timer;
    timer.start();
    if (!writeDemoLayout(layout, width, height, false)) {
        std::fprintf(stderr, "could not write the layout\n");
        return 1;
    }
    std::printf("layout %d x %d RGB, %.0f MB uncompressed TIFF, generated in %lld ms\n", width, height,
                QFileInfo(layout).size() / 1048576.0, timer.elapsed());
    std::printf("QImageReader clip rect for TIFF: %s\n",
                QImageReader(layout).supportsOption(QImageIOHandler::ClipRect) ? "supported" : "not supported (reads whole)");

    const QStringList streaming = child(QStringLiteral("stream"), layout, dir.filePath(QStringLiteral("stream")));
    QDir(dir.filePath(QStringLiteral("stream"))).removeRecursively();
    const QStringList whole = child(QStringLiteral("whole"), layout, dir.filePath(QStringLiteral("whole")));
    std::printf("%-28s %10s %14s %7s\n", "method", "wall ms", "peak RSS MB", "strips");
    std::printf("%-28s %10s %14s %7s  %s\n", "streaming (libtiff rows)", qPrintable(streaming.value(0)),
                qPrintable(streaming.value(1)), qPrintable(streaming.value(2)), qPrintable(streaming.mid(3).join(u' ')));
    std::printf("%-28s %10s %14s %7s  %s\n", "whole QImage + QPainter", qPrintable(whole.value(0)),
                qPrintable(whole.value(1)), qPrintable(whole.value(2)), qPrintable(whole.mid(3).join(u' ')));
    return 0;
}
