#include "ScriptTestSupport.h"
#include "serverlink/ServerLinkSandbox.h"
#include "tools/ScriptCommandSyncService.h"
#include "tools/ScriptRuntimeService.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSignalSpy>
#include <QtTest>

using namespace ScriptTest;

namespace {
constexpr int kWaitMs = 15000;
const QString kPath = QStringLiteral("/api/client-scripts");
} // namespace

class ScriptCommandsTest : public QObject
{
    Q_OBJECT

    struct Rig
    {
        ServerLinkSandbox box;
        QTemporaryDir scripts;
        ScriptRuntimeService runtime{box.settings.get(), &box.eventLog};
        ScriptCommandSyncService sync{box.settings.get(), &box.eventLog, &runtime};
        QNetworkAccessManager network;

        // Set up as the demo device unless a test needs it bare.
        explicit Rig(bool setUp = true)
        {
            runtime.setTimings(300, 250, 50);
            if (setUp)
                box.setUpDemoDevice();
        }

        // Queues commands for the demo device through the devserver's development interface.
        QJsonObject queue(const QJsonArray &commands)
        {
            return box.devPost(QStringLiteral("/__dev/scripts/command"), {{"commands", commands}});
        }
        QJsonArray polls() const { return filtered("GET"); }
        QJsonArray reports() const { return filtered("POST"); }
        QJsonArray filtered(const QString &method) const
        {
            QJsonArray out;
            for (const QJsonValue &entry : box.requests(kPath)) {
                if (entry.toObject().value("method").toString() == method)
                    out.append(entry);
            }
            return out;
        }
        QJsonObject lastReportBody() const
        {
            return reports().last().toObject().value("body").toObject();
        }
        int warnings(const QString &prefix) const { return journalCount(box.eventLog, prefix); }
    };

private Q_SLOTS:
    void commandsRunInOrderAndComeBackInOneReport()
    {
        Rig rig;
        addEntry(*rig.box.settings, "Ticker",
                 writeScript(rig.scripts, "tick.py", "import time\nprint('tick', flush=True)\ntime.sleep(300)\n"));
        const QJsonObject queued = rig.queue({
            QJsonObject{{"command_id", "a"}, {"script_id", "TICKER"}, {"action", "start"}},
            QJsonObject{{"command_id", "b"}, {"script_id", "ticker"}, {"action", "stop"}},
            QJsonObject{{"command_id", "c"}, {"scriptId", "ticker"}, {"action", "clear_log"}},
            QJsonObject{{"command_id", "d"}, {"id", "ticker"}, {"action", "Restart"}},
            QJsonObject{{"command_id", "e"}, {"script_id", "ticker"}, {"action", "dance"}},
            QJsonObject{{"command_id", "f"}, {"script_id", "ghost"}, {"action", "start"}},
        });
        QCOMPARE(queued.value("pending").toInt(), 6);

        rig.sync.syncNow();
        QTRY_COMPARE_WITH_TIMEOUT(rig.reports().size(), 1, kWaitMs);
        const QJsonObject poll = rig.polls().first().toObject();
        const QJsonObject query = poll.value("query").toObject();
        QCOMPARE(query.value("limit").toString(), QStringLiteral("20"));
        QCOMPARE(query.value("device_id").toString(), QStringLiteral("demo-pc"));
        QCOMPARE(query.value("tenant_id").toString(), QStringLiteral("demo"));

        const QJsonObject body = rig.lastReportBody();
        QCOMPARE(body.value("action").toString(), QStringLiteral("status"));
        QCOMPARE(body.value("tenant_id").toString(), QStringLiteral("demo"));
        QVERIFY(body.value("client_ts").toString().endsWith(u'Z'));
        const QJsonArray results = body.value("commands").toArray();
        QCOMPARE(results.size(), 6);
        const QStringList ids{"a", "b", "c", "d", "e", "f"};
        const QStringList messages{"accepted", "accepted", "accepted", "accepted", "bad_script_action",
                                   "script_not_found"};
        for (int i = 0; i < 6; ++i) {
            const QJsonObject result = results.at(i).toObject();
            QCOMPARE(result.value("command_id").toString(), ids.at(i));
            QCOMPARE(result.value("message").toString(), messages.at(i));
        }
        QCOMPARE(results.at(3).toObject().value("action").toString(), QStringLiteral("restart"));
        const QJsonObject script = body.value("scripts").toArray().first().toObject();
        QCOMPARE(script.value("script_id").toString(), QStringLiteral("ticker"));
        QCOMPARE(script.value("status").toString(), QStringLiteral("останавливаю..."));

        // The restart brings it back; the next report says so, without command results.
        QTRY_VERIFY_WITH_TIMEOUT(rig.runtime.entryLog(0).contains("tick"), kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(rig.runtime.entries().first().toMap().value("status").toString(),
                                  QStringLiteral("запущен"), kWaitMs);
        rig.sync.syncNow();
        QTRY_COMPARE_WITH_TIMEOUT(rig.reports().size(), 2, kWaitMs);
        QVERIFY(!rig.lastReportBody().contains("commands"));
        QCOMPARE(rig.lastReportBody().value("scripts").toArray().first().toObject().value("status").toString(),
                 QStringLiteral("запущен"));
        rig.runtime.stopAll();
    }

    void onlyObjectsAreCommands()
    {
        Rig rig;
        addEntry(*rig.box.settings, "Ticker", writeScript(rig.scripts, "tick.py", "print(1)\n"));
        rig.box.fault(QJsonObject{{"path", kPath}, {"method", "GET"}, {"status", 200}, {"times", 1},
                                  {"json", QJsonObject{{"ok", true},
                                                       {"commands", QJsonArray{5, "start",
                                                                               QJsonObject{{"script_id", "ticker"},
                                                                                           {"action", "clear_log"}}}}}}});
        rig.sync.syncNow();
        QTRY_COMPARE_WITH_TIMEOUT(rig.reports().size(), 1, kWaitMs);
        QCOMPARE(rig.lastReportBody().value("commands").toArray().size(), 1);
    }

    void nothingIsSentBeforeSetUp()
    {
        Rig rig(false);
        rig.sync.syncNow();
        // The first request after set-up is the only one the server ever sees.
        rig.box.setUpDemoDevice();
        rig.sync.syncNow();
        QTRY_COMPARE_WITH_TIMEOUT(rig.reports().size(), 1, kWaitMs);
        QCOMPARE(rig.polls().size(), 1);
        QCOMPARE(rig.box.server.journal().size(), 2);
    }

    void anOutageIsLoggedOnce()
    {
        Rig rig;
        const QString outage = QStringLiteral("Скрипты: сервер команд недоступен: ");
        rig.box.fault(QJsonObject{{"path", kPath}, {"drop", true}});
        for (int round = 1; round <= 3; ++round) {
            rig.sync.syncNow();
            // The poll, then the report that follows its failure.
            QTRY_COMPARE_WITH_TIMEOUT(rig.reports().size(), round, kWaitMs);
        }
        QTRY_COMPARE_WITH_TIMEOUT(rig.warnings(outage), 1, kWaitMs);
        QCOMPARE(rig.warnings(QStringLiteral("Скрипты: статус не дошёл")), 0);

        // An accepted poll ends the outage; the next one is logged again.
        rig.box.server.faults().clear();
        rig.sync.syncNow();
        QTRY_COMPARE_WITH_TIMEOUT(rig.reports().size(), 4, kWaitMs);
        rig.box.fault(QJsonObject{{"path", kPath}, {"drop", true}});
        rig.sync.syncNow();
        QTRY_COMPARE_WITH_TIMEOUT(rig.warnings(outage), 2, kWaitMs);
    }

    void aRejectionIsLoggedOnceAndStillReported()
    {
        Rig rig;
        rig.box.fault(QJsonObject{{"path", kPath}, {"method", "GET"}, {"status", 200},
                                  {"json", QJsonObject{{"ok", false}, {"error", "forbidden"}}}});
        rig.sync.syncNow();
        QTRY_COMPARE_WITH_TIMEOUT(rig.reports().size(), 1, kWaitMs);
        rig.sync.syncNow();
        QTRY_COMPARE_WITH_TIMEOUT(rig.reports().size(), 2, kWaitMs);
        QCOMPARE(rig.warnings(QStringLiteral("Скрипты: сервер отклонил команды: доступ к операции запрещён")), 1);
    }

    void startPollsOnItsOwn()
    {
        Rig rig;
        rig.sync.setPollInterval(100);
        rig.sync.start();
        QTRY_VERIFY_WITH_TIMEOUT(rig.reports().size() >= 3, kWaitMs);
    }

    void devserverKeepsTheReport()
    {
        Rig rig;
        addEntry(*rig.box.settings, "Ticker", writeScript(rig.scripts, "tick.py", "print(1)\n"));
        rig.queue({QJsonObject{{"command_id", "x1"}, {"script_id", "ticker"}, {"action", "clear_log"}}});
        rig.sync.syncNow();
        QTRY_COMPARE_WITH_TIMEOUT(rig.reports().size(), 1, kWaitMs);

        QNetworkReply *reply = rig.network.get(QNetworkRequest(
            rig.box.server.baseUrl().resolved(QUrl("/__dev/scripts?tenant_id=demo&device_id=demo-pc"))));
        QSignalSpy done(reply, &QNetworkReply::finished);
        QVERIFY(done.wait(kWaitMs));
        const QJsonObject device =
            QJsonDocument::fromJson(reply->readAll()).object().value("devices").toObject().value("demo/demo-pc").toObject();
        reply->deleteLater();
        QCOMPARE(device.value("queue").toArray().size(), 0);
        QCOMPARE(device.value("results").toArray().first().toObject().value("command_id").toString(),
                 QStringLiteral("x1"));
        QCOMPARE(device.value("last_report").toObject().value("scripts").toArray().size(), 1);
    }
};

QTEST_MAIN(ScriptCommandsTest)
#include "tst_scriptcommands.moc"
