// A warehouse folder of 20,000 label files: the time of reload() (listing and parsing
// every name) and of findBarcode() for one code, beside `find` listing the same folder.
//
//   bench_warehouse_list [files=20000] [runs=10]
#include "settings/AppSettings.h"
#include "supplies/WarehouseFileModel.h"
#include "supplies/WarehouseFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

double median(QVector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return ms.isEmpty() ? 0.0 : ms.at(ms.size() / 2);
}

QString nameFor(int i)
{
    static const char *const modes[] = {"", "самовыкуп_", "расход_", "напечатано_"};
    return QStringLiteral("%1K_Артикул%2_row_%3.pdf").arg(QString::fromUtf8(modes[i % 4])).arg(i).arg(200000000 + i);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;
    const int runs = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 10;

    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    QTemporaryDir folder;
    for (int i = 0; i < files; ++i) {
        QFile file(QDir(folder.path()).filePath(nameFor(i)));
        file.open(QIODevice::WriteOnly);
    }
    AppSettings settings;
    settings.setWbPath(folder.path());
    WarehouseFileModel model(&settings, nullptr, nullptr, nullptr, QStringLiteral("wb"));

    QVector<double> reloads, finds, finders, listings;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        model.reload();
        reloads << timer.nsecsElapsed() / 1e6;

        timer.restart();
        const WarehouseFolder::Listing listing = WarehouseFolder::list(folder.path(), QString(), false);
        listings << timer.nsecsElapsed() / 1e6;

        const QString code = QString::number(200000000 + files - 4); // near the end, not printed
        timer.restart();
        const QVariantMap found = model.findBarcode(code);
        finds << timer.nsecsElapsed() / 1e6;
        if (!found.value(QStringLiteral("ok")).toBool())
            std::printf("not found: %s\n", qPrintable(code));

        timer.restart();
        QProcess find;
        find.start(QStringLiteral("find"), {folder.path(), QStringLiteral("-maxdepth"), QStringLiteral("1"),
                                            QStringLiteral("-name"), QStringLiteral("*%1*").arg(code)});
        find.waitForFinished(60000);
        finders << timer.nsecsElapsed() / 1e6;
    }
    std::printf("files %d, entries listed %d, runs %d\n", files, model.entryCount(), runs);
    std::printf("reload (list + parse + model reset)   median %9.3f ms\n", median(reloads));
    std::printf("  of it: listing and parsing the names median %9.3f ms\n", median(listings));
    std::printf("findBarcode (one code, listed)        median %9.3f ms\n", median(finds));
    std::printf("find -maxdepth 1 -name '*code*'       median %9.3f ms\n", median(finders));
    return 0;
}
