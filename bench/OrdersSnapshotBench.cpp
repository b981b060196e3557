// A snapshot of 20,000 generated orders (about 15 MB of JSON) and the rest of a
// busy workshop (the demo tenant's staff, archive, issues and stock with their
// lists multiplied) beside a bare QJsonDocument parse of the same bytes:
//  - the orders model alone: parse, applySnapshot (all rows new), countBySourceGroup;
//  - the snapshot service's read of a changed body: the orders' items cut out,
//    those of the previous body recognised by their bytes and not parsed;
//  - the whole fan-out in a client of its own (a child process running the
//    backend object graph): the cached snapshot at start, a changed snapshot
//    and an unchanged one, each through the snapshot service's background parse
//    and every consumer; main-thread CPU, longest main-thread stall, process CPU
//    and the client's RSS.
// bench_orders_snapshot [orders] [--orders-only]  (--orders-only: no other sections)
#include "app/ClientServices.h"
#include "common/SnapshotItems.h"
#include "production/OrdersModel.h"

#include "BenchOrders.h"
#include "DemoData.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <vector>

#include <time.h>

namespace {

using namespace BenchOrders;

// Copies of a list's entries, each with its own ids.
QJsonArray multiplied(const QJsonArray &list, int times)
{
    QJsonArray out;
    for (int n = 0; n < times; ++n) {
        for (const QJsonValue &value : list) {
            QJsonObject entry = value.toObject();
            for (auto it = entry.begin(); n > 0 && it != entry.end(); ++it) {
                const QString key = it.key().toLower();
                if (it->isString() && (key.endsWith(u"id") || key.endsWith(u"key") || key.endsWith(u"uid")
                                       || key == u"unique_no" || key == u"barcode"))
                    *it = QString(it->toString() + QLatin1Char('-') + QString::number(n));
            }
            out.append(entry);
        }
    }
    return out;
}

// The rest of a busy workshop's snapshot: the demo tenant's sections with 48
// employees, 280 attendance days, 2,200 archive events, 250 bugs, 250 defects
// and 60 materials. edited: another poll, with a few entries changed.
QJsonObject workshopSections(bool edited)
{
    QJsonObject sections;
    for (const QJsonObject &part : {demoStaffSection(), demoArchiveSection(), demoIssuesSection(), demoStockSection()}) {
        for (auto it = part.begin(); it != part.end(); ++it)
            sections.insert(it.key(), it.value());
    }
    const auto scale = [&](const char *key, int times) {
        sections.insert(QLatin1String(key), multiplied(sections.value(QLatin1String(key)).toArray(), times));
    };
    scale("employees", 8);
    scale("attendance", 40);
    scale("bugs", 125);
    scale("defects", 125);
    scale("materials", 20);
    QJsonObject archive = sections.value(QLatin1String("archive")).toObject();
    archive.insert(QLatin1String("events"), multiplied(archive.value(QLatin1String("events")).toArray(), 200));
    sections.insert(QLatin1String("archive"), archive);
    if (edited) {
        for (const char *key : {"bugs", "employees", "materials"}) {
            QJsonArray list = sections.value(QLatin1String(key)).toArray();
            QJsonObject first = list.at(1).toObject();
            first.insert(QStringLiteral("status"), QStringLiteral("изменено"));
            first.insert(QStringLiteral("name"), QString(first.value(QLatin1String("name")).toString() + u" (2)"));
            list.replace(1, first);
            sections.insert(QLatin1String(key), list);
        }
    }
    return sections;
}

bool g_ordersOnly = false;

// The orders snapshot with the rest of the workshop in it.
QByteArray workshopSnapshot(int orders, int changedEvery)
{
    if (g_ordersOnly)
        return snapshotBytes(orders, changedEvery);
    QJsonObject root = QJsonDocument::fromJson(snapshotBytes(orders, changedEvery)).object();
    QJsonObject snapshot = root.value(QLatin1String("snapshot")).toObject();
    const QJsonObject sections = workshopSections(changedEvery > 0);
    for (auto it = sections.begin(); it != sections.end(); ++it)
        snapshot.insert(it.key(), it.value());
    root.insert(QLatin1String("snapshot"), snapshot);
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}






// The client side: the backend object graph over the data folder the parent
// prepared (XDG_DATA_HOME), fed three snapshots through the cache path (the same
// background parse and fan-out as a server reply, without the socket).
int runClient(const QString &changedPath, int orders)
{
    AppSettings settings;
    settings.load();
    EventLogModel eventLog;
    ClientServices services(settings, eventLog);
    SnapshotSyncService &sync = services.snapshotSync();
    OrdersModel &model = services.ordersModel();
    QTextStream out(stdout);
    out << "client RSS with the object graph, before any snapshot: " << statusKb("VmRSS:") / 1024 << " MB\n";

    StallWatch stalls;

    // The fan-out's share: from the status change just before snapshotReady to
    // this slot, connected after the graph's own (it runs once every consumer has).
    double beforeFanOut = 0, fanOutMs = 0, afterFanOut = 0, commitMs = 0;
    QObject::connect(&sync, &SnapshotSyncService::changed, [&] { beforeFanOut = cpuMs(CLOCK_THREAD_CPUTIME_ID); });
    QObject::connect(&sync, &SnapshotSyncService::snapshotReady, [&] {
        afterFanOut = cpuMs(CLOCK_THREAD_CPUTIME_ID);
        fanOutMs = afterFanOut - beforeFanOut;
    });
    QObject::connect(&model, &QAbstractItemModel::modelAboutToBeReset, [&] { afterFanOut = cpuMs(CLOCK_THREAD_CPUTIME_ID); });
    QObject::connect(&model, &OrdersModel::snapshotApplied, [&] { commitMs = cpuMs(CLOCK_THREAD_CPUTIME_ID) - afterFanOut; });
    int inserted = 0, removed = 0, updated = 0, reset = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&] { ++inserted; });
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [&] { ++removed; });
    QObject::connect(&model, &QAbstractItemModel::dataChanged, [&] { ++updated; });
    QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++reset; });
    const auto round = [&](const char *name) {
        inserted = removed = updated = reset = 0;
        QEventLoop loop;
        QObject::connect(&model, &OrdersModel::snapshotApplied, &loop, &QEventLoop::quit);
        QTimer::singleShot(60000, &loop, [&] {
            out << "  no snapshot applied!\n";
            loop.quit();
        });
        QElapsedTimer wall;
        wall.start();
        const double main0 = cpuMs(CLOCK_THREAD_CPUTIME_ID);
        const double proc0 = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
        stalls.restart();
        sync.loadCachedSnapshot();
        loop.exec();
        // The archive and the staff lists are prepared off the main thread too:
        // the round ends when every consumer has shown its part.
        while (services.printArchive().applyPending() || services.employeeWorkspace().applyPending()
               || services.issuesLive().applyPending())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const double mainMs = cpuMs(CLOCK_THREAD_CPUTIME_ID) - main0;
        const double procMs = cpuMs(CLOCK_PROCESS_CPUTIME_ID) - proc0;
        out << name << ": rows " << model.count() << ", wall " << wall.elapsed() << " ms\n"
            << "  main thread CPU:           " << QString::number(mainMs, 'f', 1) << " ms\n"
            << "    of which snapshotReady fan-out: " << QString::number(fanOutMs, 'f', 1) << " ms\n"
            << "    of which until the orders model applied (idle loop included): "
            << QString::number(commitMs, 'f', 1) << " ms\n"
            << "  longest main-thread stall: " << QString::number(stalls.longestMs(), 'f', 1) << " ms\n"
            << "  process CPU (all threads): " << QString::number(procMs, 'f', 1) << " ms\n"
            << "  model signals: rowsInserted " << inserted << ", rowsRemoved " << removed
            << ", dataChanged " << updated << ", modelReset " << reset << '\n';
        out.flush();
    };

    round("cached snapshot at start (all rows new)");
    if (model.count() != orders)
        out << "  expected " << orders << " rows!\n";
    const QString cache = sync.cachePath();
    QFile::remove(cache);
    QFile::copy(changedPath, cache);
    round("changed snapshot (1 in 50 orders edited, 20 gone, 20 new)");
    round("unchanged snapshot");
    out << "client RSS with " << model.count() << " orders: " << statusKb("VmRSS:") / 1024
        << " MB (peak " << statusKb("VmHWM:") / 1024 << " MB)\n";
    return 0;
}

int runBench(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int orders = argc > 1 && QByteArray(argv[1]).toInt() > 0 ? QByteArray(argv[1]).toInt() : 20000;
    g_ordersOnly = QCoreApplication::arguments().contains(QStringLiteral("--orders-only"));
    const int rounds = 7;
    const QByteArray bytes = workshopSnapshot(orders, 0);
    out << "snapshot: " << orders << " orders, " << QString::number(double(bytes.size()) / 1e6, 'f', 1)
        << " MB of JSON\n";

    std::vector<double> parseMs, parseCpuMs, applyMs, countMs, totalMs;
    int counted = 0;
    int rows = 0;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const double cpu0 = cpuMs(CLOCK_THREAD_CPUTIME_ID);
        const QJsonDocument bare = QJsonDocument::fromJson(bytes);
        parseMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        parseCpuMs.push_back(cpuMs(CLOCK_THREAD_CPUTIME_ID) - cpu0);
        Q_UNUSED(bare);

        // The model alone, all rows new: parse, apply the parsed object, count.
        OrdersModel model;
        timer.restart();
        const QJsonDocument doc = QJsonDocument::fromJson(bytes);
        const qint64 afterParse = timer.nsecsElapsed();
        model.applySnapshot(doc.object());
        const qint64 afterApply = timer.nsecsElapsed();
        counted = model.countBySourceGroup(QStringLiteral("orders"), QStringLiteral("p01"));
        const qint64 end = timer.nsecsElapsed();
        rows = model.count();
        applyMs.push_back(double(afterApply - afterParse) / 1e6);
        countMs.push_back(double(end - afterApply) / 1e6);
        totalMs.push_back(double(end) / 1e6);
    }
    const double parse = median(parseMs);
    const double total = median(totalMs);
    out << "rows " << rows << ", countBySourceGroup(\"orders\", \"p01\") = " << counted << '\n';
    out << "median of " << rounds << " rounds (ms):\n";
    out << "  bare QJsonDocument parse:      " << QString::number(parse, 'f', 1) << " (CPU "
        << QString::number(median(parseCpuMs), 'f', 1) << ")\n";
    out << "  parse + applySnapshot + count: " << QString::number(total, 'f', 1) << '\n';
    out << "    of which applySnapshot:      " << QString::number(median(applyMs), 'f', 1) << '\n';
    out << "    of which countBySourceGroup: " << QString::number(median(countMs), 'f', 2) << '\n';
    out << "ratio (model road / bare parse): " << QString::number(total / parse, 'f', 2) << '\n';

    // The orders model's own share (made off the main thread in the client), in CPU.
    {
        const QJsonObject first = QJsonDocument::fromJson(bytes).object();
        const QJsonObject second = QJsonDocument::fromJson(workshopSnapshot(orders, 50)).object();
        OrdersModel model;
        for (const auto &[name, root] : {std::pair{"all rows new", first}, std::pair{"changed", second},
                                         std::pair{"unchanged", second}}) {
            const double cpu0 = cpuMs(CLOCK_THREAD_CPUTIME_ID);
            model.applySnapshot(root);
            out << "  applySnapshot, " << name << ": CPU "
                << QString::number(cpuMs(CLOCK_THREAD_CPUTIME_ID) - cpu0, 'f', 1) << " ms\n";
        }
    }
    {
        SnapshotItems first, second;
        SnapshotItems::read(bytes, {}, &first);
        const QByteArray changedBytes = workshopSnapshot(orders, 50);
        const double cpu0 = cpuMs(CLOCK_THREAD_CPUTIME_ID);
        SnapshotItems::read(changedBytes, first.digests(), &second);
        int parsed = 0;
        for (const SnapshotItems::Item &item : second.items())
            parsed += item.parsed ? 1 : 0;
        out << "  cut read of the changed body: CPU " << QString::number(cpuMs(CLOCK_THREAD_CPUTIME_ID) - cpu0, 'f', 1)
            << " ms, " << parsed << " of " << second.items().size() << " items parsed\n";
    }
    out.flush();

    // The whole fan-out, in a client process of its own so its RSS is the client's.
    QTemporaryDir data;
    const QString folder = data.filePath(QStringLiteral("VornClient/VornClient"));
    QDir().mkpath(folder);
    QFile cache(folder + QStringLiteral("/snapshot_cache.json"));
    QFile meta(folder + QStringLiteral("/snapshot_meta.json"));
    QFile changed(data.filePath(QStringLiteral("changed.json")));
    if (!cache.open(QIODevice::WriteOnly) || !meta.open(QIODevice::WriteOnly)
        || !changed.open(QIODevice::WriteOnly))
        return 1;
    cache.write(bytes);
    meta.write(R"({"schema":"dashboard_archive_stats_v2","revision":"42","saved_at":"2026-12-06T08:00:00.000Z"})");
    changed.write(workshopSnapshot(orders, 50));
    cache.close(), meta.close(), changed.close();

    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), data.path());
    client.setProcessEnvironment(env);
    client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    client.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--client"), changed.fileName(), QString::number(orders)});
    if (!client.waitForFinished(300000))
        return 1;
    out << "\nwhole fan-out (bare parse " << QString::number(parse, 'f', 1) << " ms, CPU "
        << QString::number(median(parseCpuMs), 'f', 1) << " ms):\n"
        << client.readAllStandardOutput();
    return client.exitCode();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 3 && QByteArray(argv[1]) == "--client") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("VornClient"));
        QCoreApplication::setApplicationName(QStringLiteral("VornClient"));
        return runClient(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    }
    return runBench(argc, argv);
}
