// The issues feed and the home dashboard on a large snapshot: applySnapshotRoot
// of N bugs and N defects, and one dashboard refresh over an archive of M events
// without server statistics (the figures are counted from the events).
// bench_issues_dashboard [issues-per-list] [archive-events] [runs]
#include "feeds/RealtimeIssuesService.h"
#include "production/DashboardSummary.h"
#include "production/PrintArchiveStore.h"
#include "settings/AppSettings.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

QJsonObject issueSnapshot(int count)
{
    QJsonArray bugs, defects;
    const QDateTime base(QDate(2026, 12, 1), QTime(8, 0));
    for (int n = 0; n < count; ++n) {
        const QString at = base.addSecs(qint64(n) * 97 % 864000).toString(Qt::ISODate);
        bugs.append(QJsonObject{{"id", n}, {"bug_key", QStringLiteral("BUG-%1").arg(n)},
                                {"title", QStringLiteral("Сканер на резаке %1 дублирует код").arg(n % 6)},
                                {"description", QStringLiteral("Код приходит дважды с интервалом 50 мс.")},
                                {"status", "new"}, {"reporter", "Алексей"}, {"created_at", at}, {"updated_at", at},
                                {"attachments", QJsonArray{QJsonObject{{"url", "/files/a.png"}}}}});
        defects.append(QJsonObject{{"id", n}, {"defect_key", QStringLiteral("DEF-%1").arg(n)},
                                   {"doc_no", QString::number(n)}, {"order_ref", QStringLiteral("WB %1").arg(n)},
                                   {"reason", "Полосы на печати"}, {"culprit", "Ирина"}, {"source_area", "печать"},
                                   {"photos", QJsonArray{"/files/1.jpg", "/files/2.jpg"}}, {"created_at", at}});
    }
    return QJsonObject{{"snapshot", QJsonObject{{"bugs", bugs}, {"defects", defects}}}};
}

QVariantMap archiveSnapshot(int count)
{
    static const char *const markets[] = {"WB", "OZON", "FBO", "YM"};
    QVariantList events;
    const QDateTime now = QDateTime::currentDateTime();
    for (int n = 0; n < count; ++n) {
        events << QVariantMap{{"ts", now.addSecs(-qint64(n) * 600).toString(Qt::ISODate)},
                              {"maket", QStringLiteral("Пионы_%1_60х40").arg(n % 97)},
                              {"marketplace", markets[n % 4]},
                              {"area_m2", 0.24}};
    }
    return {{"archive", events}};
}

template <typename F>
double medianMs(int runs, F &&work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int issues = args.size() > 1 ? args.at(1).toInt() : 5000;
    const int events = args.size() > 2 ? args.at(2).toInt() : 10000;
    const int runs = args.size() > 3 ? args.at(3).toInt() : 7;

    QTemporaryDir home;
    AppSettings::setDataDirectoryOverride(home.path());
    AppSettings settings;
    PrintArchiveStore archive(&settings, nullptr);
    RealtimeIssuesService feed(&settings, nullptr);
    DashboardSummary dashboard(&settings, nullptr, &archive, nullptr, &feed);

    const QJsonObject root = issueSnapshot(issues);
    const double applyMs = medianMs(runs, [&] { feed.applySnapshotRoot(root); });
    archive.applySnapshotRoot(QJsonObject::fromVariantMap(archiveSnapshot(events)));
    const double refreshMs = medianMs(runs, [&] {
        // A changed figure each run, so the refresh does its whole work.
        feed.applySnapshotRoot(QJsonObject{{"bugs_summary", QJsonObject{{"count", int(feed.bugsTotal()) + 1}}}});
    });

    QTextStream out(stdout);
    out << "issues applySnapshotRoot, " << issues << " bugs + " << issues << " defects: " << applyMs
        << " ms (median of " << runs << ")\n";
    out << "issues + dashboard refresh over " << events << " archive events: " << refreshMs << " ms\n";
    AppSettings::setDataDirectoryOverride(QString());
    return 0;
}
