#include "ServerLinkSandbox.h"

#include "serverlink/ConfigPushService.h"
#include "settings/ScriptEntries.h"

#include <QSignalSpy>
#include <QtTest>

class ConfigPushTest : public QObject
{
    Q_OBJECT

private:
    static QStringList sentTypes(ServerLinkSandbox &box)
    {
        QStringList types;
        for (const QJsonValue &entry : box.requests(QStringLiteral("/api/client-event")))
            types << entry.toObject().value("body").toObject().value("event_type").toString();
        return types;
    }

private Q_SLOTS:
    void catalogueItems()
    {
        QCOMPARE(ScriptEntries::slug(QStringLiteral("  Выгрузка WB: Этикетки__v2!  ")), QStringLiteral("wb_v2"));
        QCOMPARE(ScriptEntries::slug(QStringLiteral("..Rip-Hot.Folder__")), QStringLiteral("rip-hot.folder"));
        QCOMPARE(ScriptEntries::slug(QString(100, u'a')).size(), 80);

        const QJsonArray items = ConfigPushService::scriptsCatalog(QVariantList{
            QVariantMap{{"name", "Rip Sync"}, {"path", "C:/scripts/rip_sync.py"}, {"arguments", "--fast"},
                        {"enabled", false}, {"launchMode", "manual"}},
            QVariantMap{{"name", "Счёт"}, {"script_id", " Count Job "}, {"kind", "python"}, {"fileName", "c.py"}},
            QVariantMap{},
        });
        QCOMPARE(items.size(), 3);
        QCOMPARE(items.at(0).toObject(),
                 (QJsonObject{{"id", "rip_sync"}, {"title", "Rip Sync"}, {"enabled", false}, {"launch_mode", "manual"},
                              {"arguments", "--fast"}, {"kind", "custom"}, {"filename", "rip_sync.py"}}));
        // An explicit id goes out as the slug the machine's bindings are keyed by.
        QCOMPARE(items.at(1).toObject().value("id").toString(), QStringLiteral("count_job"));
        QCOMPARE(items.at(1).toObject().value("id").toString(),
                 ScriptEntries::buildBindings({QVariantMap{{"name", "Счёт"}, {"script_id", " Count Job "}}}).firstKey());
        QCOMPARE(items.at(1).toObject().value("filename").toString(), QStringLiteral("c.py"));
        QCOMPARE(items.at(2).toObject().value("id").toString(), QStringLiteral("script_3"));
        QCOMPARE(items.at(2).toObject().value("title").toString(), QStringLiteral("Скрипт 3"));
        QCOMPARE(items.at(2).toObject().value("launch_mode").toString(), QStringLiteral("auto"));
    }

    void serverSentCollectionsAreNotPushedBack()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        ConfigPushService push(box.settings.get(), &box.eventLog);
        QSignalSpy finished(&push, &ConfigPushService::pushFinished);
        push.recordBaselines();

        // The client-config reply lands after the start-up baselines were taken.
        QVERIFY(box.settings->applyServerPayload(QVariantMap{
            {"consumableTabs", QVariantList{QVariantMap{{"id", "tab_srv"}, {"title", "С сервера"}, {"mode", "count"}}}},
            {"help_sections", QVariantList{QVariantMap{{"id", "s1"}, {"title", "Раздел"}, {"text", "Текст"}}}},
        }));
        push.run();

        // Only local edits go out, one after the other.
        box.settings->setConsumableTabTitle(0, QStringLiteral("Местная"));
        push.run();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        box.settings->addScriptEntry();
        push.run();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 10000);
        QCOMPARE(sentTypes(box), (QStringList{"consumable_tabs_replace", "settings_replace"}));
        QCOMPARE(box.requests(QStringLiteral("/api/client-event")).first().toObject().value("body").toObject()
                     .value("payload").toObject().value("consumableTabs").toArray().first().toObject()
                     .value("title").toString(), QStringLiteral("Местная"));
    }

    void sendsOnlyChangedCollections()
    {
        ServerLinkSandbox box;
        ConfigPushService push(box.settings.get(), &box.eventLog);
        QSignalSpy finished(&push, &ConfigPushService::pushFinished);
        push.recordBaselines();
        box.settings->addWallBinding();

        // Not set up: the start-up shot sends nothing.
        push.run();
        QCOMPARE(box.requestsSoFar(), 0);

        box.setUpDemoDevice();
        push.run();
        QVERIFY(finished.wait(10000));
        QCOMPARE(sentTypes(box), QStringList{QStringLiteral("qr_wall_bindings_replace")});
        const QJsonObject payload = box.requests(QStringLiteral("/api/client-event")).first().toObject()
                                        .value("body").toObject().value("payload").toObject();
        const QJsonObject binding = payload.value("wallBindings").toArray().first().toObject();
        const QString wallPayload = box.settings->wallBindingPayload(0);
        QCOMPARE(binding.value("payload").toString(), wallPayload);
        QCOMPARE(binding.value("qr_payload").toString(), wallPayload);
        QCOMPARE(binding.value("qr").toString(), QStringLiteral("VORN_WALL:") + wallPayload);
        QVERIFY(box.hasLogEntry(QStringLiteral("QR стены: привязки отправлены на сервер.")));
        QCOMPARE(box.demoTenant().config.value("wallBindings").toArray().size(), 1);

        push.run();
        box.requestsSoFar();
        QCOMPARE(sentTypes(box).size(), 1);

        // The bound tab's title is part of the wall QR payload, so both go out.
        box.settings->setConsumableTabTitle(0, QStringLiteral("Краски"));
        push.run();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 3, 10000);
        QStringList types = sentTypes(box).mid(1);
        types.sort();
        QCOMPARE(types, (QStringList{QStringLiteral("consumable_tabs_replace"),
                                     QStringLiteral("qr_wall_bindings_replace")}));
        QCOMPARE(box.demoTenant().config.value("consumableTabs").toArray().first().toObject()
                     .value("title").toString(), QStringLiteral("Краски"));
        QVERIFY(box.hasLogEntry(QStringLiteral("Расходники: схема вкладок отправлена на сервер.")));
    }

    void resendsAfterRejection()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        ConfigPushService push(box.settings.get(), &box.eventLog);
        QSignalSpy finished(&push, &ConfigPushService::pushFinished);
        push.recordBaselines();

        box.settings->addScriptEntry();
        box.fault({{"path", "/api/client-event"}, {"status", 200}, {"times", 1},
                   {"json", QJsonObject{{"ok", false}, {"message", "каталог заблокирован"}}}});
        push.run();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.last().at(1).toBool(), false);
        QVERIFY(box.hasLogEntry(QStringLiteral("Скрипты: сервер не принял каталог (каталог заблокирован / HTTP 200)")));
        QVERIFY(!box.settings->serviceBlocked());

        box.fault({{"path", "/api/client-event"}, {"status", 500}, {"body", "oops"}, {"times", 1}});
        push.run();
        QVERIFY(finished.wait(10000));
        QVERIFY(box.hasLogEntry(QStringLiteral("Скрипты: сервер не принял каталог (bad reply / HTTP 500)")));

        push.run();
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.last().at(1).toBool(), true);
        QVERIFY(box.hasLogEntry(QStringLiteral("Скрипты: каталог отправлен на сервер.")));
        QCOMPARE(sentTypes(box), QStringList(3, QStringLiteral("settings_replace")));
        const QJsonArray catalog = box.demoTenant().config.value("scripts_catalog").toArray();
        QCOMPARE(catalog.last().toObject().value("title").toString(), QStringLiteral("Новый скрипт"));

        // Undelivered: the network layer's words, and sent again next time.
        const QString before = push.lastSent(ConfigPushService::ScriptsCatalog);
        box.settings->setScriptEntryName(0, QStringLiteral("Другое имя"));
        box.settings->setServerUrl(QStringLiteral("http://127.0.0.1:1"));
        push.run();
        QVERIFY(finished.wait(10000));
        QCOMPARE(push.lastSent(ConfigPushService::ScriptsCatalog), before);
        const bool undelivered = !journalMessages(box.eventLog)
                                      .filter(QRegularExpression(QStringLiteral("^Скрипты: каталог не дошёл до сервера \\(")))
                                      .isEmpty();
        QVERIFY(undelivered);
    }
};

QTEST_MAIN(ConfigPushTest)
#include "ConfigPushTest.moc"
