// The bugs and defects feed: rows, totals and change lines across snapshots,
// against hand-made roots and the devserver's demo tenant.
#include "DemoData.h"
#include "DevServer.h"
#include "JournalProbe.h"
#include "routes/SnapshotRoutes.h"

#include "feeds/RealtimeIssuesService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QtTest>

namespace {

// JSON written with single quotes, so the tables stay readable.
QJsonObject parse(const char *json)
{
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(json).replace('\'', '"'));
    return document.object();
}

QJsonArray records(int count, const char *prefix)
{
    QJsonArray list;
    for (int i = 1; i <= count; ++i)
        list.append(QJsonObject{{"id", i}, {"title", QStringLiteral("%1 %2").arg(QLatin1String(prefix)).arg(i)}});
    return list;
}

QVariantMap onlyRow(const QJsonObject &root, bool defect)
{
    RealtimeIssuesService issues(nullptr, nullptr);
    issues.applySnapshotRoot(root);
    const QVariantList rows = defect ? issues.defectsModel() : issues.bugsModel();
    return rows.size() == 1 ? rows.first().toMap() : QVariantMap();
}

} // namespace

class RealtimeIssuesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowFields_data()
    {
        QTest::addColumn<QByteArray>("root");
        QTest::addColumn<bool>("defect");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("expected");

        QTest::newRow("bug without title is named by its number")
            << QByteArray("{'bugs':[{'id':7}]}") << false << "title" << QVariant("Баг #7");
        QTest::newRow("defect without title is named by its document")
            << QByteArray("{'defects':[{'doc_no':'D-3'}]}") << true << "title" << QVariant("Брак #D-3");
        QTest::newRow("record without any number uses its row")
            << QByteArray("{'defects':[{'comment':'x'}]}") << true << "title" << QVariant("Брак #1");
        QTest::newRow("defect without state is under review")
            << QByteArray("{'defects':[{'id':1}]}") << true << "state" << QVariant("на рассмотрении");
        QTest::newRow("bug without state is new")
            << QByteArray("{'bugs':[{'id':1}]}") << false << "state" << QVariant("Новый");
        QTest::newRow("status label wins over status")
            << QByteArray("{'bugs':[{'status':'fixed','status_label':'Исправлен'}]}") << false << "state"
            << QVariant("Исправлен");
        QTest::newRow("key from the kind's key")
            << QByteArray("{'bugs':[{'id':5,'bug_key':'BUG-5'}]}") << false << "key" << QVariant("BUG-5");
        QTest::newRow("key from the id")
            << QByteArray("{'defects':[{'id':5,'bug_key':'BUG-5'}]}") << true << "key" << QVariant("5");
        QTest::newRow("key from kind and row")
            << QByteArray("{'defects':[{'title':'x'}]}") << true << "key" << QVariant("defect-1");
        QTest::newRow("defect document with title")
            << QByteArray("{'defects':[{'doc_no':'5531','order_ref':'WB 1'}]}") << true << "docLabel"
            << QVariant("№5531 • WB 1");
        QTest::newRow("defect document alone")
            << QByteArray("{'defects':[{'document_no':'77'}]}") << true << "docLabel" << QVariant("№77");
        QTest::newRow("title of the wrong type falls to the next key")
            << QByteArray("{'bugs':[{'order':{'x':1},'title':[1],'product':'Холст 40х60'}]}") << false
            << "title" << QVariant("Холст 40х60");
        QTest::newRow("numeric title is text")
            << QByteArray("{'bugs':[{'title':12.5}]}") << false << "title" << QVariant("12.5");
        QTest::newRow("no time")
            << QByteArray("{'bugs':[{'id':1}]}") << false << "when" << QVariant("без даты");
        QTest::newRow("unreadable time")
            << QByteArray("{'bugs':[{'updated_at':'вчера'}]}") << false << "when" << QVariant("без даты");
        QTest::newRow("update time shown short")
            << QByteArray("{'bugs':[{'created_at':'2026-11-30 08:00:00','updated_at':'2026-12-01 09:05:00'}]}")
            << false << "when" << QVariant("01.12 09:05");
        QTest::newRow("attachments counted from the list")
            << QByteArray("{'bugs':[{'attachments':[{'url':'a'},{'url':'b'}]}]}") << false << "attachmentsCount"
            << QVariant(2);
        QTest::newRow("attachments count given as text")
            << QByteArray("{'defects':[{'photos_count':'3','photos':['a']}]}") << true << "attachmentsCount"
            << QVariant(3);
        QTest::newRow("photo links of objects and texts")
            << QByteArray("{'defects':[{'media':[{'public_url':'/p/1.jpg'},'/p/2.jpg',{'size':1},7]}]}") << true
            << "photos" << QVariant(QVariantList{"/p/1.jpg", "/p/2.jpg"});
        QTest::newRow("details line in fixed order")
            << QByteArray("{'defects':[{'culprit':'Ира','order_ref':'WB 9','reason':'Порез','created_by':'Оля'}]}")
            << true << "detailsLine" << QVariant("Заказ: WB 9 • Причина: Порез • Создал: Оля • Виновник: Ира");
        QTest::newRow("link from a ticket")
            << QByteArray("{'bugs':[{'url':'/b/1','ticket_url':'https://t/1'}]}") << false << "openUrl"
            << QVariant("https://t/1");
        QTest::newRow("subtitle from a comment")
            << QByteArray("{'defects':[{'comment':'  перепечатать  '}]}") << true << "subtitle"
            << QVariant("перепечатать");
        QTest::newRow("assignee from responsible")
            << QByteArray("{'bugs':[{'responsible':'Поддержка'}]}") << false << "assignee" << QVariant("Поддержка");
        QTest::newRow("kind") << QByteArray("{'bugs':[{'id':3}]}") << false << "kind" << QVariant("bug");
        QTest::newRow("whole record kept") << QByteArray("{'bugs':[{'extra':'x'}]}") << false << "raw"
                                           << QVariant(QJsonObject{{"extra", "x"}});
    }

    void rowFields()
    {
        QFETCH(QByteArray, root);
        QFETCH(bool, defect);
        QFETCH(QString, field);
        QFETCH(QVariant, expected);
        const QVariantMap row = onlyRow(parse(root.constData()), defect);
        QVERIFY2(!row.isEmpty(), root.constData());
        QCOMPARE(row.value(field), expected);
    }

    void listShapes_data()
    {
        QTest::addColumn<QByteArray>("root");
        QTest::addColumn<int>("bugRows");
        QTest::addColumn<int>("defectRows");

        QTest::newRow("arrays") << QByteArray("{'bugs':[{'id':1}],'defects':[{'id':1},{'id':2}]}") << 1 << 2;
        QTest::newRow("object with rows") << QByteArray("{'bugs':{'rows':[{'id':1},{'id':2}]}}") << 2 << 0;
        QTest::newRow("object with items") << QByteArray("{'defects':{'items':[{'id':1}]}}") << 0 << 1;
        QTest::newRow("object with data") << QByteArray("{'brak':{'data':[{'id':1}]}}") << 0 << 1;
        QTest::newRow("under snapshot")
            << QByteArray("{'snapshot':{'bug_reports':[{'id':1}]},'bugs':[{'id':1},{'id':2}]}") << 1 << 0;
        QTest::newRow("empty snapshot object reads the root")
            << QByteArray("{'snapshot':{},'bugs':[{'id':1},{'id':2}]}") << 2 << 0;
        QTest::newRow("snapshot of the wrong type reads the root")
            << QByteArray("{'snapshot':'x','defects_list':[{'id':1}]}") << 0 << 1;
        QTest::newRow("wrong type falls to the next key")
            << QByteArray("{'bugs':'нет','bugTracker':[{'id':1}],'defects':5,'defect_reports':[{}]}") << 1 << 1;
        QTest::newRow("records that are not objects are skipped")
            << QByteArray("{'bugs':[1,'x',null,[],{'id':2}],'defects':[true]}") << 1 << 0;
        QTest::newRow("nothing") << QByteArray("{}") << 0 << 0;
    }

    void listShapes()
    {
        QFETCH(QByteArray, root);
        QFETCH(int, bugRows);
        QFETCH(int, defectRows);
        RealtimeIssuesService issues(nullptr, nullptr);
        issues.applySnapshotRoot(parse(root.constData()));
        QCOMPARE(issues.bugsModel().size(), bugRows);
        QCOMPARE(issues.defectsModel().size(), defectRows);
        QCOMPARE(issues.bugsValue(), QString::number(bugRows));
        QCOMPARE(issues.defectsValue(), QString::number(defectRows));
    }

    void newestFirst()
    {
        RealtimeIssuesService issues(nullptr, nullptr);
        issues.applySnapshotRoot(parse("{'defects':["
            "{'id':1,'created_at':'2026-12-01T08:00:00'},"
            "{'id':2},"
            "{'id':3,'created_at':'2026-11-01T08:00:00','updated_at':'2026-12-02T08:00:00'},"
            "{'id':4,'createdAt':'2026-12-01T09:00:00'}]}"));
        QStringList order;
        for (const QVariant &row : issues.defectsModel())
            order << row.toMap().value("id").toString();
        QCOMPARE(order, QStringList({"3", "4", "1", "2"}));
    }

    // Totals and change lines over a series of snapshots. Each step is a root;
    // the expected lines are "bugsValue|bugsDelta|defectsValue|defectsDelta".
    void snapshotSeries_data()
    {
        QTest::addColumn<QList<QJsonObject>>("roots");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("journal");

        const auto defects = [](int n) { return QJsonObject{{"defects", records(n, "Брак")}}; };
        const auto bugs = [](int n) { return QJsonObject{{"bugs", records(n, "Баг")}}; };

        QTest::newRow("first snapshot")
            << QList<QJsonObject>{defects(5)}
            << QStringList{"0|обновление с сервера|5|обновление с сервера"} << QStringList{};
        QTest::newRow("5 then 7 defects")
            << QList<QJsonObject>{defects(5), defects(7)}
            << QStringList{"0|обновление с сервера|5|обновление с сервера",
                           "0|→ без изменений|7|↑ +2 с прошлого обновления"}
            << QStringList{"warn: Новый брак: +2"};
        QTest::newRow("fewer defects")
            << QList<QJsonObject>{defects(7), defects(4), defects(4)}
            << QStringList{"0|обновление с сервера|7|обновление с сервера",
                           "0|→ без изменений|4|↓ -3 с прошлого обновления",
                           "0|→ без изменений|4|→ без изменений"}
            << QStringList{};
        QTest::newRow("new bugs")
            << QList<QJsonObject>{bugs(2), bugs(3), bugs(3)}
            << QStringList{"2|обновление с сервера|0|обновление с сервера",
                           "3|↑ +1 с прошлого обновления|0|→ без изменений",
                           "3|→ без изменений|0|→ без изменений"}
            << QStringList{"info: Новые баги: +1"};
        QTest::newRow("today count replaces the change")
            << QList<QJsonObject>{defects(5),
                                  QJsonObject{{"defects", records(7, "Брак")},
                                              {"defects_summary", QJsonObject{{"today_count", 2}}}}}
            << QStringList{"0|обновление с сервера|5|обновление с сервера",
                           "0|→ без изменений|7|Сегодня: 2"}
            << QStringList{"warn: Новый брак: +2"};
        QTest::newRow("summaries with extras")
            << QList<QJsonObject>{QJsonObject{
                   {"bugs", records(2, "Баг")},
                   {"bugs_summary", QJsonObject{{"new_count", 1}, {"attachments", 4}}},
                   {"defects_summary", QJsonObject{{"count", 9}, {"today_count", "3"}, {"photos", 0}}}}}
            << QStringList{"2|Активные: 1 • вложений: 4|9|Сегодня: 3 • фото: 0"} << QStringList{};
        QTest::newRow("summary count overrides the rows")
            << QList<QJsonObject>{QJsonObject{{"defects", records(2, "Брак")},
                                              {"defects_summary", QJsonObject{{"count", 10}}}},
                                  QJsonObject{{"defects", records(2, "Брак")},
                                              {"defects_summary", QJsonObject{{"count", 12}}}}}
            << QStringList{"0|обновление с сервера|10|обновление с сервера",
                           "0|→ без изменений|12|↑ +2 с прошлого обновления"}
            << QStringList{"warn: Новый брак: +2"};
        QTest::newRow("summary figures of the wrong type are unknown")
            << QList<QJsonObject>{QJsonObject{
                   {"bugs", records(3, "Баг")},
                   {"bugs_summary", QJsonObject{{"count", "много"}, {"new_count", QJsonArray{1}}, {"attachments", 2}}},
                   {"defects_summary", QJsonObject{{"count", -4}, {"today_count", QJsonObject{}}}}}}
            << QStringList{"3|обновление с сервера|0|обновление с сервера"} << QStringList{};
        QTest::newRow("summary of the wrong type")
            << QList<QJsonObject>{QJsonObject{{"bugs", records(1, "Баг")}, {"bugs_summary", "3"}}}
            << QStringList{"1|обновление с сервера|0|обновление с сервера"} << QStringList{};
    }

    void snapshotSeries()
    {
        QFETCH(QList<QJsonObject>, roots);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, journal);
        JournalProbe probe;
        RealtimeIssuesService issues(nullptr, &probe);
        QSignalSpy changed(&issues, &RealtimeIssuesService::changed);
        QStringList seen;
        for (const QJsonObject &root : std::as_const(roots)) {
            issues.applySnapshotRoot(root);
            seen << QStringList{issues.bugsValue(), issues.bugsDelta(), issues.defectsValue(), issues.defectsDelta()}
                        .join(u'|');
        }
        QCOMPARE(seen, lines);
        QCOMPARE(changed.size(), roots.size());
        QStringList news;
        for (const QString &line : std::as_const(probe.lines)) {
            if (line.contains(QStringLiteral("Нов")))
                news << line;
        }
        QCOMPARE(news, journal);
        // The status is logged when it first changes, not on every snapshot.
        QCOMPARE(probe.count(QStringLiteral("Баги и брак обновлены с сервера")), 1);
        QCOMPARE(issues.status(), QStringLiteral("Баги и брак обновлены с сервера"));
    }

    // The snapshot poll builds the rows off the main thread: the newest of two
    // quick snapshots wins and the service ends as a direct apply leaves it.
    void snapshotInBackground()
    {
        const QJsonObject first{{"bugs", records(3, "Баг")}, {"defects", records(2, "Брак")}};
        const QJsonObject second{{"bugs", records(5, "Баг")}, {"defects", records(1, "Брак")}};
        RealtimeIssuesService direct(nullptr, nullptr);
        direct.applySnapshotRoot(second);

        RealtimeIssuesService issues(nullptr, nullptr);
        QSignalSpy changed(&issues, &RealtimeIssuesService::changed);
        issues.applySnapshotRootInBackground(first);
        issues.applySnapshotRootInBackground(second);
        QTRY_VERIFY_WITH_TIMEOUT(!issues.applyPending(), 10000);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(issues.bugsModel(), direct.bugsModel());
        QCOMPARE(issues.defectsModel(), direct.defectsModel());
        QCOMPARE(issues.bugsValue(), QStringLiteral("5"));
        QCOMPARE(issues.bugsDelta(), direct.bugsDelta());
    }

    void stateMovesAndRemovals()
    {
        JournalProbe probe;
        RealtimeIssuesService issues(nullptr, &probe);
        issues.applySnapshotRoot(parse("{'defects':["
            "{'defect_key':'D-1','status':'на рассмотрении','created_at':'2026-12-01T08:00:00'},"
            "{'defect_key':'D-2','status':'на рассмотрении','created_at':'2026-12-01T09:00:00'}]}"));
        issues.applySnapshotRoot(parse("{'defects':["
            "{'defect_key':'D-1','status':'принят','created_at':'2026-12-01T08:00:00'},"
            "{'defect_key':'D-2','status':'на рассмотрении','created_at':'2026-12-01T09:00:00'}]}"));
        QCOMPARE(issues.defectsModel().at(1).toMap().value("state").toString(), QStringLiteral("принят"));
        QCOMPARE(issues.defectsDelta(), QStringLiteral("→ без изменений"));
        // One closed, one new: the total stays, so nothing is announced.
        issues.applySnapshotRoot(parse("{'defects':["
            "{'defect_key':'D-2','status':'на рассмотрении','created_at':'2026-12-01T09:00:00'},"
            "{'defect_key':'D-3','created_at':'2026-12-02T09:00:00'}]}"));
        QCOMPARE(issues.defectsModel().first().toMap().value("key").toString(), QStringLiteral("D-3"));
        QCOMPARE(issues.defectsModel().size(), 2);
        issues.applySnapshotRoot(parse("{'defects':[]}"));
        QCOMPARE(issues.defectsValue(), QStringLiteral("0"));
        QCOMPARE(issues.defectsDelta(), QStringLiteral("↓ -2 с прошлого обновления"));
        QVERIFY(!probe.hasPrefix(QStringLiteral("Новый брак")));
    }

    void refreshAndTimer()
    {
        JournalProbe probe;
        RealtimeIssuesService issues(nullptr, &probe);
        QSignalSpy changed(&issues, &RealtimeIssuesService::changed);
        issues.setRefreshIntervalMs(20);
        issues.start();
        QCOMPARE(issues.status(), QStringLiteral("Баги и брак обновляются общей синхронизацией"));
        QCOMPARE(changed.size(), 1);
        // Ticks with the same status stay silent.
        QTest::qWait(120);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(probe.count(QStringLiteral("Баги и брак обновляются общей синхронизацией")), 1);
        issues.applySnapshotRoot(parse("{'bugs':[{'id':1}]}"));
        QTRY_COMPARE(issues.status(), QStringLiteral("Баги и брак обновляются общей синхронизацией"));
        QCOMPARE(probe.count(QStringLiteral("Баги и брак обновляются общей синхронизацией")), 2);
        issues.stop();
        QVERIFY(!issues.busy());
    }

    // The demo tenant's snapshot as the devserver builds it, moved on by its drift.
    void demoTenantDrift()
    {
        DevServer server;
        DevTenant &tenant = *server.store().tenantById(QString::fromLatin1(Demo::kTenantId));
        JournalProbe probe;
        RealtimeIssuesService issues(nullptr, &probe);
        issues.applySnapshotRoot(QJsonObject{{"snapshot", SnapshotRoutes::buildSnapshot(tenant)}});
        QCOMPARE(issues.bugsValue(), QStringLiteral("2"));
        QCOMPARE(issues.defectsValue(), QStringLiteral("2"));
        QCOMPARE(issues.bugsDelta(), QStringLiteral("Активные: 1 • вложений: 1"));
        QCOMPARE(issues.defectsDelta(), QStringLiteral("Сегодня: 1 • фото: 2"));

        const QString added = server.issueDrift().apply(tenant, QStringLiteral("next"));
        QVERIFY2(added.startsWith(QStringLiteral("new_defect DEF-")), qPrintable(added));
        issues.applySnapshotRoot(QJsonObject{{"snapshot", SnapshotRoutes::buildSnapshot(tenant)}});
        QCOMPARE(issues.defectsValue(), QStringLiteral("3"));
        QCOMPARE(issues.defectsDelta(), QStringLiteral("Сегодня: 2 • фото: 3"));
        QCOMPARE(probe.count(QStringLiteral("Новый брак: +1")), 1);
        QCOMPARE(issues.defectsModel().first().toMap().value("key").toString(), added.section(u' ', 1));

        QVERIFY(server.issueDrift().apply(tenant, QStringLiteral("next")).startsWith(QStringLiteral("bug_state BUG-101 ")));
        issues.applySnapshotRoot(QJsonObject{{"snapshot", SnapshotRoutes::buildSnapshot(tenant)}});
        QCOMPARE(issues.bugsDelta(), QStringLiteral("Активные: 0 • вложений: 1"));
        const QVariantMap moved = issues.bugsModel().first().toMap();
        QCOMPARE(moved.value("key").toString(), QStringLiteral("BUG-101"));
        QCOMPARE(moved.value("state").toString(), QStringLiteral("В работе"));

        QVERIFY(server.issueDrift().apply(tenant, QStringLiteral("next")).startsWith(QStringLiteral("new_bug ")));
        QVERIFY(server.issueDrift().apply(tenant, QStringLiteral("next")).startsWith(QStringLiteral("removed_defect DEF-5527")));
        issues.applySnapshotRoot(QJsonObject{{"snapshot", SnapshotRoutes::buildSnapshot(tenant)}});
        QCOMPARE(issues.bugsValue(), QStringLiteral("3"));
        QCOMPARE(issues.defectsValue(), QStringLiteral("2"));
        QCOMPARE(probe.count(QStringLiteral("Новые баги: +1")), 1);
        QVERIFY(server.issueDrift().apply(tenant, QStringLiteral("unknown")).isEmpty());
    }

    void driftEveryNthSnapshot()
    {
        DevServer server;
        DevTenant &tenant = *server.store().tenantById(QString::fromLatin1(Demo::kTenantId));
        const qint64 revision = tenant.revision;
        for (int i = 0; i < 5; ++i)
            server.issueDrift().onSnapshot(tenant);
        QCOMPARE(tenant.revision, revision); // off unless switched on
        QVERIFY(server.issueDrift().takePending(tenant.id).isEmpty());

        server.issueDrift().setEvery(3);
        for (int i = 0; i < 6; ++i)
            server.issueDrift().onSnapshot(tenant);
        QCOMPARE(tenant.revision, revision + 2);
        const QString pending = server.issueDrift().takePending(tenant.id);
        QVERIFY2(pending.startsWith(QStringLiteral("issues: new_defect DEF-")), qPrintable(pending));
        QVERIFY2(pending.contains(QStringLiteral("; bug_state BUG-101 in_progress")), qPrintable(pending));
        QVERIFY(server.issueDrift().takePending(tenant.id).isEmpty());
        const QJsonObject summary = tenant.data.value(QStringLiteral("bugs_summary")).toObject();
        QCOMPARE(summary.value(QStringLiteral("new_count")).toInt(), 0);
        QCOMPARE(tenant.data.value(QStringLiteral("defects_summary")).toObject().value(QStringLiteral("count")).toInt(), 3);
    }
};

QTEST_GUILESS_MAIN(RealtimeIssuesTest)
#include "RealtimeIssuesTest.moc"
