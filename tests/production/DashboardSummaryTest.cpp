// The home figures for fixed inputs: the delta texts, the print statistics (or the
// archive events when the server sends none), staff, issues and configuration.
#include "JournalProbe.h"

#include "feeds/RealtimeIssuesService.h"
#include "production/DashboardSummary.h"
#include "production/DashboardTexts.h"
#include "production/PrintArchiveStore.h"
#include "settings/AppSettings.h"
#include "staff/EmployeeWorkspaceStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// 15 December 2026, midday: "today" of every test here.
const QDateTime kNow(QDate(2026, 12, 15), QTime(12, 0));

// JSON written with single quotes, so the tables stay readable.
QVariantMap parseMap(const QByteArray &json)
{
    return QJsonDocument::fromJson(QByteArray(json).replace('\'', '"')).object().toVariantMap();
}

QVariantMap printEvent(const QDateTime &time, double area, const char *marketplace, const char *maket = "Макет")
{
    return {{"ts", time.toString(Qt::ISODate)}, {"area_m2", area}, {"marketplace", marketplace}, {"maket", maket}};
}

} // namespace

class DashboardSummaryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        AppSettings::setDataDirectoryOverride(m_home.path());
    }

    void cleanupTestCase() { AppSettings::setDataDirectoryOverride(QString()); }

    void init()
    {
        m_settings = std::make_unique<AppSettings>();
        m_archive = std::make_unique<PrintArchiveStore>(m_settings.get(), nullptr);
        m_staff = std::make_unique<EmployeeWorkspaceStore>(nullptr, nullptr);
        m_staff->setClock([] { return kNow; });
        m_issues = std::make_unique<RealtimeIssuesService>(nullptr, nullptr);
        m_dashboard = std::make_unique<DashboardSummary>(m_settings.get(), nullptr, m_archive.get(), m_staff.get(),
                                                         m_issues.get());
        m_dashboard->setClock([] { return kNow; });
        m_dashboard->refresh();
    }

    void cleanup()
    {
        m_dashboard.reset();
        m_issues.reset();
        m_staff.reset();
        m_archive.reset();
        m_settings.reset();
    }

    void deltaTexts_data()
    {
        QTest::addColumn<bool>("area");
        QTest::addColumn<double>("current");
        QTest::addColumn<double>("previous");
        QTest::addColumn<QString>("expected");

        // Growth, equal days and a fall to none come with the statistics and events below.
        QTest::newRow("10 after 12") << false << 10.0 << 12.0 << "↓ -2 к вчера (-17%)";
        QTest::newRow("area shrank") << true << 1.0 << 3.0 << "↓ -2.00 м² к вчера (-67%)";
        QTest::newRow("areas closer than 0.001") << true << 1.0 << 1.0005 << "→ без изменений к вчера";
    }

    void deltaTexts()
    {
        QFETCH(bool, area);
        QFETCH(double, current);
        QFETCH(double, previous);
        QFETCH(QString, expected);
        const QString suffix = DashboardTexts::yesterdaySuffix();
        QCOMPARE(area ? DashboardTexts::areaDelta(current, previous, suffix)
                      : DashboardTexts::countDelta(current, previous, suffix),
                 expected);
    }

    void emptySources()
    {
        // Without any source the figures are placeholders and the marketplace rows still four.
        DashboardSummary dashboard(nullptr, nullptr, nullptr, nullptr, nullptr);
        QCOMPARE(dashboard.activeMeta(), QStringLiteral("нет активных · сотрудников: 0"));
        QCOMPARE(dashboard.scansDelta(), QStringLiteral("нет данных"));
        QCOMPARE(dashboard.warehouseStatus(), QStringLiteral("0/3 путей"));
        QCOMPARE(dashboard.marketplaceSummary().size(), 4);

        // Sources that exist but hold nothing yet.
        QCOMPARE(m_dashboard->scansDelta(), QStringLiteral("нет данных"));
        QCOMPARE(m_dashboard->bugsValue(), QStringLiteral("0"));
        QCOMPARE(m_dashboard->bugsDelta(), QStringLiteral("ожидание данных"));
    }

    // The server's statistics, under the spellings it has used.
    void serverStatistics_data()
    {
        QTest::addColumn<QByteArray>("stats");
        QTest::addColumn<QStringList>("expected"); // scans, delta, area, delta, month area, delta

        QTest::newRow("today above yesterday")
            << QByteArray("{'today_count':12,'yesterday_count':10,'today_area':3.5,'yesterday_area':2.5,"
                          "'current_month_area':40,'prev_month_area':50}")
            << QStringList{"12", "↑ +2 к вчера (+20%)", "3.50 м²", "↑ +1.00 м² к вчера (+40%)", "40.00 м²",
                           "↓ -10.00 м² к прошлому месяцу (-20%)"};
        QTest::newRow("nothing yesterday, camel case, numbers as text")
            << QByteArray("{'todayCount':'5','yesterdayCount':0,'todayAreaM2':'1,25','monthAreaM2':1.25}")
            << QStringList{"5", "↑ +5 к вчера (+100%)", "1.25 м²", "↑ +1.25 м² к вчера (+100%)", "1.25 м²",
                           "↑ +1.25 м² к прошлому месяцу (+100%)"};
        QTest::newRow("equal days")
            << QByteArray("{'today_prints':4,'yesterday_prints':4,'today_m2':0.5,'yesterday_m2':0.5,"
                          "'month_area':9,'previous_month_area':9}")
            << QStringList{"4", "→ без изменений к вчера", "0.50 м²", "→ без изменений к вчера", "9.00 м²",
                           "→ без изменений к прошлому месяцу"};
        QTest::newRow("all zero is still data")
            << QByteArray("{'today_count':0}")
            << QStringList{"0", "→ без изменений к вчера", "0.00 м²", "→ без изменений к вчера", "0.00 м²",
                           "→ без изменений к прошлому месяцу"};
        QTest::newRow("wrong types count as zero")
            << QByteArray("{'today_count':'много','yesterday_count':[3],'today_area':{},'yesterday_area':1}")
            << QStringList{"0", "→ без изменений к вчера", "0.00 м²", "↓ -1.00 м² к вчера (-100%)", "0.00 м²",
                           "→ без изменений к прошлому месяцу"};
    }

    void serverStatistics()
    {
        QFETCH(QByteArray, stats);
        QFETCH(QStringList, expected);
        QSignalSpy changed(m_dashboard.get(), &DashboardSummary::changed);
        m_archive->applySnapshotRoot(QJsonObject::fromVariantMap(
            {{"snapshot", QVariantMap{{"archive", QVariantList{}}, {"archive_stats", parseMap(stats)}}}}));
        QCOMPARE(changed.size(), 1);
        const QStringList seen{m_dashboard->scansValue(), m_dashboard->scansDelta(), m_dashboard->areaValue(),
                               m_dashboard->areaDelta(), m_dashboard->monthAreaValue(),
                               m_dashboard->monthAreaDelta()};
        QCOMPARE(seen, expected);
    }

    void marketplacesFromStatistics()
    {
        m_archive->applySnapshotRoot(QJsonObject::fromVariantMap(
            {{"archive_stats", parseMap("{'today_count':9,'today_area':4.5,'today_wb_count':5,"
                                        "'today_wb_area':2.5,'ozon_count':3,'ozon_area':1.5,"
                                        "'today_fbo_count':1,'fbo_area_m2':0.5,'ym_count':7}")}}));
        const QVariantList summary = m_dashboard->marketplaceSummary();
        QCOMPARE(summary.size(), 4);
        QStringList lines;
        for (const QVariant &item : summary) {
            const QVariantMap entry = item.toMap();
            lines << QStringLiteral("%1 %2 %3 %4").arg(entry.value("title").toString(),
                                                        entry.value("count").toString(),
                                                        entry.value("area").toString(),
                                                        entry.value("accent").toString());
        }
        QCOMPARE(lines, QStringList({"WB 5 2.50 м² #CDB7FF", "OZON 3 1.50 м² #7FD6FF", "FBO 1 0.50 м² #8FE3C5",
                                     "Итого 9 4.50 м² #ee1206"}));
    }

    // Without statistics the figures are counted from the archive events of the
    // snapshot, by the local day and month of "now".
    void countedFromEvents_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("mid month")
            << kNow
            << QStringList{"3", "↑ +2 к вчера (+200%)", "0.74 м²", "↑ +0.24 м² к вчера (+48%)", "2.04 м²",
                           "↑ +0.04 м² к прошлому месяцу (+2%)", "WB 2", "OZON 0", "FBO 1", "Итого 3"};
        // The first of the month: yesterday lies in the previous month.
        QTest::newRow("next month's first day")
            << QDateTime(QDate(2027, 1, 1), QTime(9, 0))
            << QStringList{"0", "↓ -1 к вчера (-100%)", "0.00 м²", "↓ -0.30 м² к вчера (-100%)", "0.00 м²",
                           "↓ -2.04 м² к прошлому месяцу (-100%)", "WB 0", "OZON 0", "FBO 0", "Итого 0"};
    }

    void countedFromEvents()
    {
        QFETCH(QDateTime, now);
        QFETCH(QStringList, expected);
        m_dashboard->setClock([now] { return now; });
        const QDate today = kNow.date();
        const QVariantList events{
            printEvent(QDateTime(today, QTime(9, 0)), 0.24, "WB"),
            printEvent(QDateTime(today, QTime(10, 0)), 0.3, "wb"),
            printEvent(QDateTime(today, QTime(11, 0)), 0.2, "fbo"),
            printEvent(QDateTime(today.addDays(-1), QTime(18, 0)), 0.5, "OZON"),
            printEvent(QDateTime(today.addDays(-10), QTime(18, 0)), 0.5, "OZON"),
            printEvent(QDateTime(QDate(2026, 11, 30), QTime(18, 0)), 2.0, "WB"),
            // The month's last evening: this month now, yesterday on the first of the next.
            printEvent(QDateTime(QDate(2026, 12, 31), QTime(23, 59)), 0.3, "WB"),
            QVariantMap{{"maket", "без даты"}, {"area_m2", 9}},
        };
        m_archive->applySnapshotRoot(QJsonObject::fromVariantMap({{"archive", QVariantMap{{"events", events}}}}));
        QStringList seen{m_dashboard->scansValue(), m_dashboard->scansDelta(), m_dashboard->areaValue(),
                         m_dashboard->areaDelta(), m_dashboard->monthAreaValue(), m_dashboard->monthAreaDelta()};
        for (const QVariant &item : m_dashboard->marketplaceSummary())
            seen << item.toMap().value("title").toString() + u' ' + item.toMap().value("count").toString();
        QCOMPARE(seen, expected);
    }

    void recentPrints()
    {
        QVariantList events;
        for (int i = 0; i < 30; ++i)
            events << printEvent(kNow.addSecs(-60 * i), 0.24, "WB", "Котики_60х40");
        QVariantMap updated = events.first().toMap();
        updated.insert("updated_at", "2026-12-15T12:30:05");
        events[0] = updated;
        m_archive->applySnapshotRoot(QJsonObject::fromVariantMap({{"archive", events}}));
        const QVariantList recent = m_dashboard->recentPrinted();
        QCOMPARE(recent.size(), DashboardSummary::kRecentCount);
        const QVariantMap first = recent.first().toMap();
        QCOMPARE(first.value("time").toString(), QStringLiteral("15.12.2026 12:30:05"));
        QCOMPARE(first.value("title").toString(), QStringLiteral("Котики_60х40"));
        QCOMPARE(recent.at(1).toMap().value("time").toString(), QStringLiteral("15.12.2026 11:59:00"));
        QCOMPARE(recent.at(1).toMap().value("line").toString(),
                 QStringLiteral("15.12.2026 11:59:00 · Котики_60х40 · WB · 0.24 м²"));
    }

    void staffFigures()
    {
        const QString fresh = kNow.addSecs(-600).toString(Qt::ISODate);
        const QString stale = kNow.addSecs(-5 * 3600).toString(Qt::ISODate);
        QSignalSpy changed(m_dashboard.get(), &DashboardSummary::changed);
        m_staff->applySnapshotRoot(QJsonObject{
            {"employees", QJsonArray{QJsonObject{{"id", "E1"}, {"name", "Анна"}},
                                     QJsonObject{{"id", "E2"}, {"name", "Борис"}},
                                     QJsonObject{{"id", "E3"}, {"name", "Вера"}}}},
            {"active_cutters",
             QJsonObject{{"cutter_10", QJsonObject{{"emp_id", "E2"}, {"name", "Борис"}, {"ts", fresh}}},
                         {"cutter_2", QJsonObject{{"emp_id", "E1"}, {"ts", fresh}}},
                         {"cutter_3", QJsonObject{{"emp_id", "E3"}, {"name", "Вера"}, {"ts", stale}}}}},
        });
        QVERIFY(changed.size() >= 1);
        QCOMPARE(m_dashboard->activeValue(), QStringLiteral("Резак 2: Анна / Резак 10: Борис"));
        QCOMPARE(m_dashboard->activeMeta(), QStringLiteral("активны: 2 из 3"));

        m_staff->applySnapshotRoot(QJsonObject{{"active_cutters", QJsonObject{}}});
        QCOMPARE(m_dashboard->activeValue(), QStringLiteral("—"));
        QCOMPARE(m_dashboard->activeMeta(), QStringLiteral("нет активных · сотрудников: 3"));
    }

    void issueFigures()
    {
        QSignalSpy changed(m_dashboard.get(), &DashboardSummary::changed);
        m_issues->applySnapshotRoot(QJsonObject{{"bugs", QJsonArray{QJsonObject{{"id", 1}}}},
                                                {"defects_summary", QJsonObject{{"count", 4}, {"today_count", 2}}}});
        QCOMPARE(changed.size(), 1);
        QCOMPARE(m_dashboard->bugsValue(), QStringLiteral("1"));
        QCOMPARE(m_dashboard->bugsDelta(), QStringLiteral("обновление с сервера"));
        QCOMPARE(m_dashboard->defectsValue(), QStringLiteral("4"));
        QCOMPARE(m_dashboard->defectsDelta(), QStringLiteral("Сегодня: 2"));
        // Nothing new: the texts stay and the dashboard stays silent.
        m_dashboard->refresh();
        QCOMPARE(changed.size(), 1);
    }

    void configurationStatus_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("gs");
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QStringList>("scripts");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("nothing set") << "" << "" << QStringList{"", "", ""} << QStringList{}
                                     << QStringList{"не настроен", "не задан", "0/3 путей", "не заданы"};
        QTest::newRow("everything set")
            << "COM5" << "https://gs.example/confirm" << QStringList{"/w/wb", "/w/ozon", "/w/ym"}
            << QStringList{"/s/a.py", "/s/b.py"} << QStringList{"COM5 · 9600 бод", "готов", "3/3 путей", "2 путей"};
        QTest::newRow("blank texts do not count")
            << "  " << "   " << QStringList{"/w/wb", " ", ""} << QStringList{"", "/s/a.py"}
            << QStringList{"не настроен", "не задан", "1/3 путей", "1 путей"};
    }

    void configurationStatus()
    {
        QFETCH(QString, port);
        QFETCH(QString, gs);
        QFETCH(QStringList, paths);
        QFETCH(QStringList, scripts);
        QFETCH(QStringList, expected);
        QSignalSpy changed(m_dashboard.get(), &DashboardSummary::changed);
        m_settings->setScannerPort(1, port);
        m_settings->setScannerBaudRate(1, 9600);
        m_settings->setGsConfirmEndpoint(gs);
        m_settings->setWbPath(paths.at(0));
        m_settings->setOzonPath(paths.at(1));
        m_settings->setYmPath(paths.at(2));
        while (!m_settings->scriptEntries().isEmpty())
            m_settings->removeScriptEntry(0);
        for (const QString &path : std::as_const(scripts)) {
            m_settings->addScriptEntry();
            m_settings->setScriptEntryPath(int(m_settings->scriptEntries().size()) - 1, path);
        }
        const QStringList seen{m_dashboard->scannerStatus(), m_dashboard->gsStatus(), m_dashboard->warehouseStatus(),
                               m_dashboard->scriptsStatus()};
        QCOMPARE(seen, expected);
        if (seen != QStringList{"не настроен", "не задан", "0/3 путей", "не заданы"})
            QVERIFY(changed.size() >= 1);
    }

private:
    QTemporaryDir m_home;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<PrintArchiveStore> m_archive;
    std::unique_ptr<EmployeeWorkspaceStore> m_staff;
    std::unique_ptr<RealtimeIssuesService> m_issues;
    std::unique_ptr<DashboardSummary> m_dashboard;
};

QTEST_GUILESS_MAIN(DashboardSummaryTest)
#include "DashboardSummaryTest.moc"
