// UID lookup with 100,000 label files in 1,000 folders under the search roots: the time
// from printOnlyWithDetails to the print call (the printer itself is left out), median
// and p99, beside `find` walking the same roots and beside a full re-read per scan.
//
//   bench_uid_lookup [scans=300] [folders=1000] [files-per-folder=100]
#include "production/LabelFileFinder.h"
#include "production/UidPrintService.h"
#include "settings/AppSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

struct Figures
{
    double median = 0;
    double p99 = 0;
    double max = 0;
};

Figures figures(QVector<double> ms)
{
    Figures f;
    if (ms.isEmpty())
        return f;
    std::sort(ms.begin(), ms.end());
    f.median = ms.at(ms.size() / 2);
    f.p99 = ms.at(std::min<qsizetype>(ms.size() - 1, qsizetype(ms.size() * 0.99)));
    f.max = ms.last();
    return f;
}

void report(const char *what, const Figures &f, int count)
{
    std::printf("%-46s n=%-4d median %9.3f ms   p99 %9.3f ms   max %9.3f ms\n", what, count,
                f.median, f.p99, f.max);
}

void touch(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
}

QString prefixFor(int i)
{
    switch (i % 10) {
    case 0: return QStringLiteral("напечатано_");
    case 1: return QStringLiteral("самовыкуп_");
    case 2: return QStringLiteral("расход_");
    default: return QStringLiteral("печать_");
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int scans = args.size() > 1 ? args.at(1).toInt() : 300;
    const int folders = args.size() > 2 ? args.at(2).toInt() : 1000;
    const int perFolder = args.size() > 3 ? args.at(3).toInt() : 100;

    QTemporaryDir dir;
    AppSettings::setDataDirectoryOverride(dir.filePath(QStringLiteral("data")));
    const QStringList rootNames { QStringLiteral("root1"), QStringLiteral("wb"), QStringLiteral("ozon") };
    QStringList roots;
    for (const QString &name : rootNames)
        roots << dir.filePath(name);

    QElapsedTimer timer;
    timer.start();
    QStringList uids;
    for (int folder = 0; folder < folders; ++folder) {
        // Two levels, as the workshop sorts labels by date and marketplace.
        const QString path = roots.at(folder % roots.size())
            + QStringLiteral("/%1/%2").arg(folder / 30, 2, 10, QLatin1Char('0')).arg(folder);
        QDir().mkpath(path);
        for (int file = 0; file < perFolder; ++file) {
            const int number = 1000000 + folder * perFolder + file;
            const QString uid = QString::number(number);
            uids << uid;
            touch(path + QLatin1Char('/') + prefixFor(file) + uid
                  + (file % 2 ? QStringLiteral("_Море 60х40.pdf") : QStringLiteral(".png")));
        }
    }
    std::printf("created %d files in %d folders under %lld roots in %.1f s\n",
                folders * perFolder, folders, qlonglong(roots.size()), timer.elapsed() / 1000.0);

    AppSettings settings;
    settings.setUidSearchRoot1(roots.at(0));
    settings.setWbPath(roots.at(1));
    settings.setOzonPath(roots.at(2));
    UidPrintService service(&settings, nullptr, nullptr, nullptr);

    QElapsedTimer scanTimer;
    double lastMs = -1;
    QString lastPath;
    service.setPrintFunction([&](const QString &path, const QString &, QString *, int) {
        lastMs = scanTimer.nsecsElapsed() / 1e6;
        lastPath = path;
        return true; // renamed as printed, like a real print
    });

    auto scan = [&](const QString &uid) {
        lastMs = -1;
        scanTimer.start();
        service.printOnlyWithDetails(uid, { { QStringLiteral("rawScan"), uid } });
        return lastMs;
    };

    QRandomGenerator random(20260306);
    auto randomUid = [&] { return uids.at(random.bounded(int(uids.size()))); };

    // 1. The first scan reads every folder.
    const double first = scan(QStringLiteral("1000001"));
    std::printf("%-46s %9.3f ms (%d folders read)\n", "first scan (cold listing)", first,
                service.finder().lastStats().directoriesListed);
    QCoreApplication::processEvents();
    // Folders written a moment ago are read again until their change is older than the
    // settle time; label folders in the workshop are older than that.
    QThread::msleep(3000);

    // 2. Scans of labels that exist (settled folders); already printed ones apart.
    QVector<double> warm;
    QVector<double> reprint;
    int misses = 0;
    for (int i = 0; i < scans; ++i) {
        const QString uid = randomUid();
        const bool printedBefore = uids.indexOf(uid) % perFolder % 10 == 0;
        const double ms = scan(uid);
        if (ms < 0) {
            ++misses;
            continue;
        }
        (printedBefore ? reprint : warm) << ms;
    }

    // 3. A label written into a folder right before its scan.
    QVector<double> fresh;
    int freshMisses = 0;
    for (int i = 0; i < scans; ++i) {
        const int folder = random.bounded(folders);
        const QString path = roots.at(folder % roots.size())
            + QStringLiteral("/%1/%2").arg(folder / 30, 2, 10, QLatin1Char('0')).arg(folder);
        const QString uid = QString::number(9000000 + i);
        touch(path + QStringLiteral("/печать_") + uid + QStringLiteral(".pdf"));
        const double ms = scan(uid);
        if (ms < 0 || !lastPath.contains(uid))
            ++freshMisses;
        else
            fresh << ms;
    }

    // 3b. The lookup alone, on the kept listings.
    QVector<double> lookup;
    for (int i = 0; i < scans; ++i) {
        QElapsedTimer t;
        t.start();
        service.finder().find(service.searchRoots(), randomUid());
        lookup << t.nsecsElapsed() / 1e6;
    }

    // 4. Without kept listings: every scan reads all folders.
    QVector<double> reread;
    LabelFileFinder plain;
    for (int i = 0; i < std::min(scans, 20); ++i) {
        QElapsedTimer t;
        t.start();
        plain.find(service.searchRoots(), randomUid(), true);
        reread << t.nsecsElapsed() / 1e6;
    }

    // 5. find(1) walking the same roots for one name.
    QVector<double> findMs;
    for (int i = 0; i < std::min(scans, 20); ++i) {
        QStringList findArgs = roots;
        findArgs << QStringLiteral("-type") << QStringLiteral("f") << QStringLiteral("-name")
                 << QStringLiteral("*%1*").arg(randomUid());
        QElapsedTimer t;
        t.start();
        QProcess find;
        find.start(QStringLiteral("find"), findArgs);
        find.waitForFinished(-1);
        findMs << t.nsecsElapsed() / 1e6;
    }

    std::printf("\n");
    report("scan -> print call, existing label", figures(warm), int(warm.size()));
    report("scan -> print call, reprint of a printed label", figures(reprint), int(reprint.size()));
    report("scan -> print call, label written just before", figures(fresh), int(fresh.size()));
    report("lookup alone (LabelFileFinder::find)", figures(lookup), int(lookup.size()));
    report("full re-read of all folders per scan", figures(reread), int(reread.size()));
    report("find <roots> -type f -name '*UID*'", figures(findMs), int(findMs.size()));
    std::printf("\nmissed: %d existing, %d written just before (must both be 0); %d names kept\n",
                misses, freshMisses, service.finder().lastStats().filesKept);
    return (misses || freshMisses) ? 1 : 0;
}
