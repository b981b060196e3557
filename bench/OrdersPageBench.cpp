// The orders page of the real scene (offscreen) with 20,000 orders in the model:
//  - opening the page (pageKey switch until the next frame is on screen);
//  - switching to the pictures tab and typing a search (filtering in C++);
//  - a new snapshot applied while the page is shown, on the road of a polled snapshot
//    (difference made off the main thread): main-thread CPU beside a bare JSON parse,
//    and the longest main-thread stall; for reference the same apply made wholly on
//    the main thread;
//  - the process RSS.
// bench_orders_page [orders] [runs]
#include "app/ClientServices.h"
#include "app/SceneLoader.h"
#include "production/OrdersModel.h"
#include "settings/AppSettings.h"

#include "BenchOrders.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlApplicationEngine>
#include <QQmlExpression>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <vector>

#include <time.h>

namespace {

using namespace BenchOrders;






QString ms(double value)
{
    return QString::number(value, 'f', 1) + QStringLiteral(" ms");
}

class PageBench
{
public:
    PageBench(QQuickWindow *window) : m_window(window) {}

    void eval(const QString &script)
    {
        QQmlExpression expression(qmlContext(m_window), m_window, script);
        expression.evaluate();
        if (expression.hasError())
            QTextStream(stderr) << expression.error().toString() << '\n';
    }

    // Wall time of `step` until the window has shown the frame after it.
    double untilFrame(const std::function<void()> &step)
    {
        QEventLoop loop;
        bool swapped = false;
        const auto connection = QObject::connect(m_window, &QQuickWindow::frameSwapped, &loop, [&] {
            swapped = true;
            loop.quit();
        });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        QElapsedTimer timer;
        timer.start();
        step();
        m_window->requestUpdate();
        loop.exec();
        const double elapsed = double(timer.nsecsElapsed()) / 1e6;
        QObject::disconnect(connection);
        if (!swapped)
            ++m_missedFrames;
        return elapsed;
    }

    void settle(int msecs)
    {
        QEventLoop loop;
        QTimer::singleShot(msecs, &loop, &QEventLoop::quit);
        loop.exec();
    }

    int missedFrames() const { return m_missedFrames; }

private:
    QQuickWindow *m_window;
    int m_missedFrames = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("VornClient"));
    QApplication::setApplicationName(QStringLiteral("VornClient"));
    const QStringList args = app.arguments();
    const int orders = args.size() > 1 ? args.at(1).toInt() : 20000;
    const int runs = args.size() > 2 ? args.at(2).toInt() : 7;
    QTextStream out(stdout);

    QTemporaryDir home;
    AppSettings::setDataDirectoryOverride(home.filePath(QStringLiteral("VornClient")));
    AppSettings settings;
    settings.load();
    settings.setServerUrl(QStringLiteral("http://127.0.0.1:9"));
    settings.setTenantId(QStringLiteral("demo"));
    settings.setDeviceId(QStringLiteral("demo-pc"));
    settings.setOnboardingCompleted(true);
    EventLogModel eventLog;
    ClientServices services(settings, eventLog);
    OrdersModel &model = services.ordersModel();
    out << "RSS with the object graph: " << statusKb("VmRSS:") / 1024 << " MB\n";

    const QByteArray first = snapshotBytes(orders);
    const QByteArray changed = snapshotBytes(orders, 50);
    out << "snapshot: " << orders << " orders, " << QString::number(double(first.size()) / 1e6, 'f', 1)
        << " MB of JSON\n";
    model.applySnapshot(QJsonDocument::fromJson(first).object());

    QQmlApplicationEngine engine;
    services.publish(engine.rootContext());
    SceneLoader loader(engine);
    QElapsedTimer loadTimer;
    loadTimer.start();
    if (!loader.load() || !loader.mainWindow()) {
        out << "the scene did not load:\n" << loader.messages().join(u'\n') << '\n';
        return 1;
    }
    QQuickWindow *window = loader.mainWindow();
    window->show();
    PageBench bench(window);
    bench.settle(300);
    out << "scene load with " << model.count() << " orders in the model: " << loadTimer.elapsed() << " ms\n";
    out << "RSS with the scene and the orders: " << statusKb("VmRSS:") / 1024 << " MB\n\n";

    // Opening the page: home -> orders, each time until the frame.
    std::vector<double> opens, tabs, searches;
    bench.untilFrame([&] { bench.eval(QStringLiteral("pageKey = 'orders'")); });
    for (int i = 0; i < runs; ++i) {
        bench.untilFrame([&] { bench.eval(QStringLiteral("pageKey = 'home'")); });
        bench.settle(50);
        opens.push_back(bench.untilFrame([&] { bench.eval(QStringLiteral("pageKey = 'orders'; ordersTab = 'orders'")); }));
        bench.settle(50);
        tabs.push_back(bench.untilFrame([&] { bench.eval(QStringLiteral("ordersTab = 'paintings'")); }));
        bench.settle(50);
        bench.untilFrame([&] { bench.eval(QStringLiteral("ordersTab = 'orders'")); });
        searches.push_back(bench.untilFrame([&] { bench.eval(QStringLiteral("ordersSearch = 'p01a'")); }));
        bench.untilFrame([&] { bench.eval(QStringLiteral("ordersSearch = ''")); });
        bench.settle(50);
    }
    out << "open the orders page (" << model.countBySourceGroup(QStringLiteral("orders"), QString())
        << " rows in its list), median of " << runs << ": " << ms(median(opens)) << " (first "
        << ms(opens.front()) << ")\n";
    out << "switch to the pictures tab: " << ms(median(tabs)) << '\n';
    out << "type a search over all rows: " << ms(median(searches)) << '\n';
    out << "RSS with the page open over " << model.count() << " orders: " << statusKb("VmRSS:") / 1024
        << " MB\n\n";

    // Parse of the new snapshot alone: what the snapshot service does off the main thread.
    std::vector<double> parses;
    for (int i = 0; i < runs; ++i) {
        const double cpu0 = cpuMs(CLOCK_THREAD_CPUTIME_ID);
        const QJsonDocument doc = QJsonDocument::fromJson(changed);
        parses.push_back(cpuMs(CLOCK_THREAD_CPUTIME_ID) - cpu0);
    }
    out << "bare JSON parse of the new snapshot (CPU): " << ms(median(parses)) << '\n';

    StallWatch watch;

    const QJsonObject firstRoot = QJsonDocument::fromJson(first).object();
    const QJsonObject changedRoot = QJsonDocument::fromJson(changed).object();
    bench.eval(QStringLiteral("pageKey = 'orders'; ordersTab = 'orders'"));
    bench.settle(200);
    std::vector<double> mainCpu, stalls, syncWall, unchangedCpu;
    for (int i = 0; i < runs; ++i) {
        // Back to the first rows, outside the measure.
        model.applySnapshot(firstRoot);
        bench.settle(100);

        // The polled road: plan off the main thread, commit and the frame on it.
        for (const bool same : {false, true}) {
            QEventLoop loop;
            const auto done = QObject::connect(&model, &OrdersModel::snapshotApplied, &loop, &QEventLoop::quit);
            watch.restart();
            const double cpu0 = cpuMs(CLOCK_THREAD_CPUTIME_ID);
            model.applySnapshotInBackground(changedRoot);
            loop.exec();
            // Nothing changed: no frame to wait for.
            if (!same)
                bench.untilFrame([] {});
            const double cpu = cpuMs(CLOCK_THREAD_CPUTIME_ID) - cpu0;
            watch.stop();
            QObject::disconnect(done);
            (same ? unchangedCpu : mainCpu).push_back(cpu);
            if (!same)
                stalls.push_back(watch.longestMs());
            bench.settle(50);
        }

        // For reference: the whole difference made on the main thread.
        model.applySnapshot(firstRoot);
        bench.settle(100);
        syncWall.push_back(bench.untilFrame([&] { model.applySnapshot(changedRoot); }));
        bench.settle(50);
    }
    out << "apply a changed snapshot while the page is shown (1 in 50 orders edited, "
        << orders / 1000 << " gone, " << orders / 1000 << " new), median of " << runs << ":\n"
        << "  main-thread CPU (commit, list updates, frame): " << ms(median(mainCpu)) << '\n'
        << "  longest main-thread stall:                     " << ms(median(stalls)) << '\n'
        << "  same snapshot again (nothing changed), CPU:    " << ms(median(unchangedCpu)) << '\n'
        << "  all on the main thread, wall until the frame:  " << ms(median(syncWall)) << '\n';

    if (bench.missedFrames() > 0)
        out << "frames not shown within 5 s: " << bench.missedFrames() << '\n';
    out << "\nprocess RSS at the end: " << statusKb("VmRSS:") / 1024 << " MB (peak " << statusKb("VmHWM:") / 1024
        << " MB; the bench itself holds both snapshots as bytes and parsed)\n";
    for (const QString &message : loader.messages())
        out << "scene: " << message << '\n';
    AppSettings::setDataDirectoryOverride(QString());
    return 0;
}
