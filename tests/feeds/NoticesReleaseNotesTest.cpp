#include "serverlink/ServerLinkSandbox.h"

#include "feeds/ClientNoticesService.h"
#include "feeds/ReleaseNotesService.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

class NoticesReleaseNotesTest : public QObject
{
    Q_OBJECT

private:
    static void writeFile(const QString &path, const QByteArray &data)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(data);
    }

private Q_SLOTS:
    void noticesChangeDetection()
    {
        ServerLinkSandbox box;
        ClientNoticesService notices(box.settings.get(), &box.eventLog);
        QSignalSpy changed(&notices, &ClientNoticesService::changed);

        notices.refresh(); // not set up: nothing
        QCOMPARE(changed.count(), 0);

        box.setUpDemoDevice();
        const auto refreshed = [&] {
            notices.refresh();
            return QTest::qWaitFor([&] { return !notices.busy(); }, 10000);
        };
        QVERIFY(refreshed());
        QCOMPARE(notices.notices().size(), 2);
        QCOMPARE(notices.notices().first().toMap().value(QStringLiteral("title")).toString(),
                 QStringLiteral("Плановые работы"));
        QCOMPARE(box.requests(QStringLiteral("/api/client-notices")).first().toObject()
                     .value(QStringLiteral("query")).toObject(), (QJsonObject{{"tenant_id", "demo"}}));

        // busy on + busy off + the new list.
        QCOMPARE(changed.count(), 3);
        QVERIFY(refreshed());
        QCOMPARE(changed.count(), 5); // same items: only the busy flips

        const QJsonArray original = box.demoTenant().notices;
        box.demoTenant().notices = QJsonArray{original.at(1), original.at(0)};
        QVERIFY(refreshed());
        QCOMPARE(changed.count(), 8);
        QCOMPARE(notices.notices().first().toMap().value(QStringLiteral("id")).toString(), QStringLiteral("n2"));

        // Failures keep the banners and warn once per outage.
        box.fault({{"path", "/api/client-notices"}, {"status", 500}, {"body", "oops"}});
        QVERIFY(refreshed());
        QVERIFY(refreshed());
        QCOMPARE(journalMessages(box.eventLog)
                     .count(QStringLiteral("Плашки клиента: сервер вернул неизвестный ответ (HTTP 500)")),
                 1);
        QCOMPARE(notices.notices().size(), 2);
        box.server.faults().clear();

        box.fault({{"path", "/api/client-notices"}, {"status", 200}, {"times", 1},
                   {"json", QJsonObject{{"ok", true}}}});
        QVERIFY(refreshed());
        QVERIFY(notices.notices().isEmpty());

        box.settings->setServerUrl(QStringLiteral("http://127.0.0.1:1"));
        QVERIFY(refreshed());
        QVERIFY(box.hasLogEntry(QStringLiteral("Плашки клиента: сервер недоступен")));
    }

    void releaseNotesShownOncePerVersion()
    {
        ServerLinkSandbox box;
        QTemporaryDir appDir;
        writeFile(appDir.filePath(QStringLiteral("version.json")),
                  R"({"version": " 2.0.1.18 ", "title": "Новое", "notes": "Печать быстрее"})");

        ReleaseNotesService notes(box.settings.get());
        notes.setReleaseDirectory(appDir.path());
        QSignalSpy changed(&notes, &ReleaseNotesService::changed);
        notes.reload();
        QVERIFY(notes.visible());
        QCOMPARE(notes.version(), QStringLiteral("2.0.1.18"));
        QCOMPARE(notes.notes(), QStringLiteral("Печать быстрее"));
        notes.reload();
        QCOMPARE(changed.count(), 1);

        notes.markSeen();
        QVERIFY(!notes.visible());
        const QJsonObject state = readJsonObjectFile(notes.statePath());
        QCOMPARE(state.value(QStringLiteral("seen_version")).toString(), QStringLiteral("2.0.1.18"));
        QVERIFY(!state.value(QStringLiteral("seen_at")).toString().isEmpty());

        // ".vorn-release.json" wins over "version.json"; a new version shows once.
        writeFile(appDir.filePath(QStringLiteral(".vorn-release.json")),
                  R"({"version": "2.0.2.0", "title": "2.0.2", "notes": "Новые плашки"})");
        ReleaseNotesService restarted(box.settings.get());
        restarted.setReleaseDirectory(appDir.path());
        restarted.reload();
        QVERIFY(restarted.visible());
        QCOMPARE(restarted.version(), QStringLiteral("2.0.2.0"));

        // Notes without a version, or a broken file, show nothing.
        writeFile(appDir.filePath(QStringLiteral(".vorn-release.json")), R"({"version": "", "notes": "x"})");
        ReleaseNotesService empty(box.settings.get());
        empty.setReleaseDirectory(appDir.path());
        empty.reload();
        QVERIFY(!empty.visible());
        QVERIFY(empty.version().isEmpty());
    }

    void releaseNotesFromServer()
    {
        ServerLinkSandbox box;
        box.settings->setServerUrl(box.url());
        QTemporaryDir emptyAppDir;

        // Constructed: asks the server once (without key headers).
        ReleaseNotesService notes(box.settings.get());
        QTRY_VERIFY_WITH_TIMEOUT(notes.visible(), 10000);
        QCOMPARE(notes.title(), QStringLiteral("Ворн 2.0.1.18"));
        const QJsonObject entry = box.requests(QStringLiteral("/api/version")).first().toObject();
        QCOMPARE(entry.value(QStringLiteral("query")).toObject(), (QJsonObject{{"channel", "stable"}}));
        QVERIFY(!entry.value(QStringLiteral("headers")).toObject().contains(QStringLiteral("x-api-key")));
        notes.markSeen();

        // A server version other than the running one is ignored.
        box.server.store().setRelease(QJsonObject{{"version", "9.9.9"}, {"notes", "будущее"}});
        ReleaseNotesService other(box.settings.get());
        QTRY_COMPARE_WITH_TIMEOUT(box.requests(QStringLiteral("/api/version")).size(), 2, 10000);
        QTest::qWait(100);
        QVERIFY(!other.visible());
        QVERIFY(other.version().isEmpty());
    }
};

QTEST_MAIN(NoticesReleaseNotesTest)
#include "NoticesReleaseNotesTest.moc"
