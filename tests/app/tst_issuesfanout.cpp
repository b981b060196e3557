// The snapshot fan-out of the real object graph against the in-process devserver:
// the issues feed and the dashboard follow the demo tenant, and a defect switched
// on through "/__dev/issues" reaches both with the next snapshot.
#include "serverlink/ServerLinkSandbox.h"

#include "app/ClientServices.h"

#include <QApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtTest>

class IssuesFanOutTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void demoIssuesReachIssuesFeedAndDashboard()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        ClientServices services(*box.settings, box.eventLog);
        QQmlEngine engine;
        services.publish(engine.rootContext());
        QObject *issues = engine.rootContext()->contextProperty(QStringLiteral("issuesLive")).value<QObject *>();
        QObject *dashboard = engine.rootContext()->contextProperty(QStringLiteral("dashboard")).value<QObject *>();
        QObject *sync = engine.rootContext()->contextProperty(QStringLiteral("snapshotSync")).value<QObject *>();
        QVERIFY(issues && dashboard && sync);
        QCOMPARE(dashboard->property("defectsDelta").toString(), QStringLiteral("ожидание данных"));

        services.start();
        QTRY_COMPARE_WITH_TIMEOUT(issues->property("defectsValue").toString(), QStringLiteral("2"), 15000);
        QCOMPARE(issues->property("bugsValue").toString(), QStringLiteral("2"));
        QCOMPARE(dashboard->property("defectsValue").toString(), QStringLiteral("2"));
        QCOMPARE(dashboard->property("defectsDelta").toString(), QStringLiteral("Сегодня: 1 • фото: 2"));
        QCOMPARE(dashboard->property("bugsDelta").toString(), QStringLiteral("Активные: 1 • вложений: 1"));
        // The demo archive's statistics reach the print figures too, a moment later:
        // the archive is prepared off the main thread.
        QTRY_VERIFY_WITH_TIMEOUT(dashboard->property("scansDelta").toString() != QStringLiteral("нет данных"), 10000);

        const QJsonObject answer = box.devPost(QStringLiteral("/__dev/issues"), {{"action", "new_defect"}});
        const QString change = answer.value("changes").toArray().first().toString();
        QVERIFY2(change.startsWith(QStringLiteral("new_defect DEF-")), qPrintable(change));

        QMetaObject::invokeMethod(sync, "refresh");
        QTRY_COMPARE_WITH_TIMEOUT(dashboard->property("defectsValue").toString(), QStringLiteral("3"), 15000);
        QCOMPARE(dashboard->property("defectsDelta").toString(), QStringLiteral("Сегодня: 2 • фото: 3"));
        QCOMPARE(issues->property("defectsModel").toList().first().toMap().value("key").toString(),
                 change.section(u' ', 1));
        QCOMPARE(journalMessages(box.eventLog, QStringLiteral("warn")).count(QStringLiteral("Новый брак: +1")), 1);

        // The snapshot that carried the change says so in the devserver's journal.
        int marked = 0;
        for (const QJsonValue &entry : box.requests(QStringLiteral("/api/client-snapshot")))
            marked += entry.toObject().value("outcome").toString() == QStringLiteral("issues: ") + change;
        QCOMPARE(marked, 1);
    }

    void badDriftActionIsRefused()
    {
        ServerLinkSandbox box;
        const QJsonObject answer = box.devPost(QStringLiteral("/__dev/issues"), {{"action", "explode"}});
        QCOMPARE(answer.value("error").toString(), QStringLiteral("bad_action"));
        QCOMPARE(box.demoTenant().data.value("defects").toArray().size(), 2);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    IssuesFanOutTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_issuesfanout.moc"
