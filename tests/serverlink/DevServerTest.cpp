#include "DemoData.h"
#include "DevServer.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

// vorn-devserver as the client sees it, over loopback HTTP.
class DevServerTest : public QObject
{
    Q_OBJECT

    struct Answer
    {
        int status = 0;
        QNetworkReply::NetworkError error = QNetworkReply::NoError;
        QJsonObject json;
        QByteArray body;
    };

    QNetworkAccessManager m_network;

    Answer call(DevServer &server, const QByteArray &method, const QString &pathAndQuery,
                const QByteArray &body = QByteArray(), const QByteArray &key = QByteArray(),
                const QList<QPair<QByteArray, QByteArray>> &headers = {})
    {
        QNetworkRequest request(QUrl(server.baseUrl().toString() + pathAndQuery));
        request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        if (!key.isEmpty())
            request.setRawHeader("X-Api-Key", key);
        for (const auto &header : headers)
            request.setRawHeader(header.first, header.second);
        QNetworkReply *reply = m_network.sendCustomRequest(request, method, body);
        if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, 15000))
            reply->abort();
        Answer answer;
        answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        answer.error = reply->error();
        answer.body = reply->readAll();
        answer.json = QJsonDocument::fromJson(answer.body).object();
        reply->deleteLater();
        return answer;
    }

    static QByteArray json(const QJsonObject &object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); }

private Q_SLOTS:
    void authentication()
    {
        DevServer server;
        QVERIFY(server.listenOn() > 0);
        const QByteArray key(Demo::kApiKey);

        Answer a = call(server, "GET", QStringLiteral("/api/client-notices?tenant_id=demo"));
        QCOMPARE(a.status, 401);
        QCOMPARE(a.json.value("ok").toBool(true), false);
        QCOMPARE(a.json.value("error").toString(), QStringLiteral("unauthorized"));
        QCOMPARE(call(server, "GET", QStringLiteral("/api/client-notices"), {}, "nope").status, 401);

        a = call(server, "GET", QStringLiteral("/api/client-notices"), {}, {}, {{"Authorization", "Bearer " + key}});
        QCOMPARE(a.status, 200);
        QCOMPARE(a.json.value("items").toArray().size(), 2);

        a = call(server, "GET", QStringLiteral("/api/client-notices"), {}, key, {{"X-Tenant-Id", "other"}});
        QCOMPARE(a.status, 403);
        QCOMPARE(a.json.value("error").toString(), QStringLiteral("forbidden"));

        // Blocked tenant and device, switched through the development endpoint.
        QCOMPARE(call(server, "POST", QStringLiteral("/__dev/tenant"),
                      json({{"tenant_id", "demo"}, {"devices", QJsonObject{{"demo-pc", QJsonObject{{"blocked", true}}}}}}))
                     .status, 200);
        a = call(server, "GET", QStringLiteral("/api/client-config?device_id=demo-pc"), {}, key);
        QCOMPARE(a.status, 403);
        QCOMPARE(a.json.value("error").toString(), QStringLiteral("device_blocked"));
        call(server, "POST", QStringLiteral("/__dev/tenant"), json({{"tenant_id", "demo"}, {"blocked", true}}));
        a = call(server, "GET", QStringLiteral("/api/client-snapshot"), {}, key);
        QCOMPARE(a.json.value("error").toString(), QStringLiteral("tenant_blocked"));

        // The version endpoint is open.
        QCOMPARE(call(server, "GET", QStringLiteral("/api/version?channel=stable")).json
                     .value("version").toString(), QStringLiteral("2.0.1.18"));
    }

    void revisionsAndEvents()
    {
        DevServer server;
        server.listenOn();
        const QByteArray key(Demo::kApiKey);

        Answer a = call(server, "GET", QStringLiteral("/api/client-snapshot?refresh=1"), {}, key);
        QCOMPARE(a.json.value("changed").toBool(), true);
        const QString revision = a.json.value("revision").toString();
        const QJsonObject snapshot = a.json.value("snapshot").toObject();
        for (const char *section : {"orders", "employees", "archive", "archive_stats", "bugs", "defects", "boxes",
                                    "consumableTabs"})
            QVERIFY2(snapshot.contains(QLatin1String(section)), section);
        const QJsonArray orders = snapshot.value("orders").toObject().value("items").toArray();
        bool hasCode = false, hasLegacy = false;
        for (const QJsonValue &order : orders) {
            hasCode |= QRegularExpression(QStringLiteral("^P\\d{2}[23456789A-HJ-NP-Z]{7}$"))
                           .match(order.toObject().value("production_code").toString()).hasMatch();
            hasLegacy |= order.toObject().value("unique_no").toString().toInt() >= 100;
        }
        QVERIFY(hasCode && hasLegacy);

        a = call(server, "GET", QStringLiteral("/api/client-snapshot?since_rev=") + revision, {}, key);
        QCOMPARE(a.json, (QJsonObject{{"ok", true}, {"changed", false}, {"revision", revision}}));
        a = call(server, "GET", QStringLiteral("/api/client-snapshot?refresh=1&since_rev=") + revision, {}, key);
        QCOMPARE(a.json.value("changed").toBool(), true);

        // A configuration event changes what later snapshots and client-config return.
        const QJsonArray tabs{QJsonObject{{"id", "tab_x"}, {"title", "Холсты"}, {"mode", "count"}}};
        a = call(server, "POST", QStringLiteral("/api/client-event"),
                 json({{"event_type", "consumable_tabs_replace"}, {"payload", QJsonObject{{"consumableTabs", tabs}}}}), key);
        QCOMPARE(a.status, 200);
        QCOMPARE(a.json.value("result").toObject().value("status").toString(), QStringLiteral("ok"));
        a = call(server, "GET", QStringLiteral("/api/client-snapshot?since_rev=") + revision, {}, key);
        QCOMPARE(a.json.value("changed").toBool(), true);
        QVERIFY(a.json.value("revision").toString() != revision);
        QCOMPARE(a.json.value("snapshot").toObject().value("consumableTabs").toArray(), tabs);
        QCOMPARE(call(server, "GET", QStringLiteral("/api/client-config"), {}, key).json
                     .value("consumableTabs").toArray(), tabs);
        // The same tabs again leave the revision alone.
        const QString after = a.json.value("revision").toString();
        call(server, "POST", QStringLiteral("/api/client-event"),
             json({{"event_type", "consumable_tabs_replace"}, {"payload", QJsonObject{{"consumableTabs", tabs}}}}), key);
        QCOMPARE(call(server, "GET", QStringLiteral("/api/client-snapshot?since_rev=") + after, {}, key).json
                     .value("changed").toBool(), false);

        call(server, "POST", QStringLiteral("/api/client-event"),
             json({{"event_type", "settings_replace"}, {"payload", QJsonObject{{"help_sections", QJsonArray{}}}}}), key);
        a = call(server, "POST", QStringLiteral("/api/client-event"),
                 json({{"event_type", "order_scan"}, {"payload", QJsonObject{{"raw", "P01ABCDEFG"}}}}), key);
        QCOMPARE(a.json.value("ok").toBool(), true);
        QCOMPARE(call(server, "POST", QStringLiteral("/api/client-event"), json({{"payload", QJsonObject{}}}), key).status, 400);

        const QJsonArray events = server.store().tenantById(QStringLiteral("demo"))->events;
        QCOMPARE(events.size(), 4);
        QCOMPARE(events.last().toObject().value("event_type").toString(), QStringLiteral("order_scan"));
        QVERIFY(server.store().tenantById(QStringLiteral("demo"))->config.value("help_sections").toArray().isEmpty());
    }

    void faultSwitchesAndJournal()
    {
        DevServer server;
        server.listenOn();
        const QByteArray key(Demo::kApiKey);
        const QString path = QStringLiteral("/api/heartbeat");

        call(server, "POST", QStringLiteral("/__dev/faults"),
             json({{"faults", QJsonArray{QJsonObject{{"path", path}, {"status", 503}, {"body", "busy"}, {"times", 1}},
                                          QJsonObject{{"path", "/api/version"}, {"delay_ms", 400}}}}}));
        Answer a = call(server, "POST", path, json({{"items", QJsonArray{QJsonObject{{"event", "client_heartbeat"}}}}}), key);
        QCOMPARE(a.status, 503);
        QCOMPARE(a.body, QByteArray("busy"));
        a = call(server, "POST", path, json({{"items", QJsonArray{QJsonObject{{"event", "client_heartbeat"}}}}}), key);
        QCOMPARE(a.status, 200);

        QElapsedTimer clock;
        clock.start();
        QCOMPARE(call(server, "GET", QStringLiteral("/api/version")).status, 200);
        QVERIFY(clock.elapsed() >= 380);

        call(server, "POST", QStringLiteral("/__dev/faults"), json({{"path", path}, {"block", "tenant_blocked"}}));
        a = call(server, "POST", path, "{}", key);
        QCOMPARE(a.status, 403);
        QCOMPARE(a.json, (QJsonObject{{"ok", false}, {"error", "tenant_blocked"}}));

        call(server, "POST", QStringLiteral("/__dev/faults"), json({{"path", path}, {"drop", true}}));
        a = call(server, "POST", path, "{}", key);
        QCOMPARE(a.status, 0);
        QVERIFY(a.error != QNetworkReply::NoError);

        QCOMPARE(call(server, "POST", QStringLiteral("/__dev/faults/clear"), "{}").status, 200);
        QCOMPARE(call(server, "GET", QStringLiteral("/__dev/faults")).json.value("faults").toArray().size(), 0);

        // The journal holds method, path, query, headers and the JSON body; /__dev/ is not journaled.
        call(server, "GET", QStringLiteral("/api/client-notices?tenant_id=demo"), {}, key);
        const QJsonArray items = call(server, "GET", QStringLiteral("/__dev/journal?path=/api/client-notices"))
                                     .json.value("items").toArray();
        QCOMPARE(items.size(), 1);
        const QJsonObject entry = items.first().toObject();
        QCOMPARE(entry.value("method").toString(), QStringLiteral("GET"));
        QCOMPARE(entry.value("query").toObject(), (QJsonObject{{"tenant_id", "demo"}}));
        QCOMPARE(entry.value("headers").toObject().value("x-api-key").toString(), QString::fromLatin1(key));
        QCOMPARE(entry.value("status").toInt(), 200);
        const QJsonArray all = call(server, "GET", QStringLiteral("/__dev/journal")).json.value("items").toArray();
        for (const QJsonValue &e : all)
            QVERIFY(!e.toObject().value("path").toString().startsWith(QStringLiteral("/__dev")));
        QCOMPARE(all.first().toObject().value("body").toObject().value("items").toArray().size(), 1);

        call(server, "POST", QStringLiteral("/__dev/reset"));
        QCOMPARE(server.journal().size(), 0);
        QCOMPARE(server.store().tenantById(QStringLiteral("demo"))->revision, 1);
    }

    void faultPrefixRateAndDelayRange()
    {
        DevServer server;
        server.listenOn();
        const QByteArray key(Demo::kApiKey);

        // A prefix reaches every path below it, and only those.
        call(server, "POST", QStringLiteral("/__dev/faults"), json({{"path", "/api/client-*"}, {"status", 502}}));
        QCOMPARE(call(server, "GET", QStringLiteral("/api/client-notices"), {}, key).status, 502);
        QCOMPARE(call(server, "GET", QStringLiteral("/api/client-snapshot"), {}, key).status, 502);
        QCOMPARE(call(server, "GET", QStringLiteral("/api/version")).status, 200);

        // Rate 0 lets everything through; the switch stays listed.
        call(server, "POST", QStringLiteral("/__dev/faults"),
             json({{"path", "/api/client-*"}, {"status", 502}, {"rate", 0}}));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(call(server, "GET", QStringLiteral("/api/client-notices"), {}, key).status, 200);
        QCOMPARE(call(server, "GET", QStringLiteral("/__dev/faults")).json.value("faults").toArray().size(), 1);

        // A half rate hits some of many requests and spares some.
        call(server, "POST", QStringLiteral("/__dev/faults"),
             json({{"path", "/api/version"}, {"status", 503}, {"rate", 0.5}}));
        int hit = 0;
        for (int i = 0; i < 40; ++i)
            hit += call(server, "GET", QStringLiteral("/api/version")).status == 503 ? 1 : 0;
        QVERIFY2(hit > 0 && hit < 40, qPrintable(QString::number(hit)));

        // A delay range waits at least its lower bound and never past its upper one by much.
        call(server, "POST", QStringLiteral("/__dev/faults"),
             json({{"path", "/api/version"}, {"delay_ms", 200}, {"delay_max_ms", 400}}));
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(call(server, "GET", QStringLiteral("/api/version")).status, 200);
            QVERIFY(clock.elapsed() >= 190);
            QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        }
    }

    void robustness()
    {
        DevServer server;
        server.listenOn();
        const QByteArray key(Demo::kApiKey);

        Answer a = call(server, "POST", QStringLiteral("/api/client-event"), "{not json", key);
        QCOMPARE(a.status, 400);
        QCOMPARE(a.json.value("error").toString(), QStringLiteral("bad_json"));
        QCOMPARE(call(server, "POST", QStringLiteral("/api/client-event"), "[1,2]", key).status, 400);

        a = call(server, "POST", QStringLiteral("/api/client-event"), QByteArray(DevServer::kMaxBodyBytes + 1, 'x'), key);
        QCOMPARE(a.status, 413);
        QCOMPARE(a.json.value("ok").toBool(true), false);

        QCOMPARE(call(server, "GET", QStringLiteral("/api/nothing-here")).status, 404);
        QCOMPARE(call(server, "DELETE", QStringLiteral("/api/heartbeat"), {}, key).status, 405);

        server.addRoute(QStringLiteral("GET"), QStringLiteral("/api/explode"), DevAuth::None,
                        [](DevRequest &) -> DevResponse { throw std::runtime_error("boom"); });
        a = call(server, "GET", QStringLiteral("/api/explode"));
        QCOMPARE(a.status, 500);
        QCOMPARE(a.json.value("error").toString(), QStringLiteral("server_error"));

        // 200 simultaneous connections, each answered.
        const QByteArray request = "GET /api/version?channel=stable HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        std::vector<QByteArray> received(200);
        for (int i = 0; i < 200; ++i) {
            auto socket = std::make_unique<QTcpSocket>();
            QTcpSocket *raw = socket.get();
            connect(raw, &QTcpSocket::connected, raw, [raw, request] { raw->write(request); });
            connect(raw, &QTcpSocket::readyRead, raw, [raw, &received, i] { received[i] += raw->readAll(); });
            raw->connectToHost(QHostAddress::LocalHost, server.port());
            sockets.push_back(std::move(socket));
        }
        const auto answered = [&] {
            int count = 0;
            for (const QByteArray &data : received)
                count += data.startsWith("HTTP/1.1 200") && data.endsWith("}") ? 1 : 0;
            return count;
        };
        QTRY_COMPARE_WITH_TIMEOUT(answered(), 200, 20000);
        QCOMPARE(call(server, "GET", QStringLiteral("/api/version")).status, 200);
    }

    void stateFileAndBootstrap()
    {
        QTemporaryDir dir;
        const QString statePath = dir.filePath(QStringLiteral("devserver-state.json"));
        QString tenantId;
        {
            DevServer server;
            server.setStatePath(statePath);
            server.listenOn();
            const Answer a = call(server, "POST", QStringLiteral("/api/bootstrap"),
                                  json({{"display_name", "Мастерская Север"}, {"device_id", "pc-1"},
                                        {"device_name", "Печать"}}));
            QCOMPARE(a.status, 201);
            tenantId = a.json.value("tenant_id").toString();
            QVERIFY(!tenantId.isEmpty());
            QCOMPARE(call(server, "POST", QStringLiteral("/api/bootstrap"), json({{"tenant_id", tenantId}})).status, 409);
        }
        DevServer reloaded;
        reloaded.setStatePath(statePath);
        QVERIFY(reloaded.store().tenantById(tenantId));
        QCOMPARE(reloaded.store().tenantById(tenantId)->name, QStringLiteral("Мастерская Север"));
        QVERIFY(reloaded.store().tenantById(QStringLiteral("demo")));
    }
};

QTEST_MAIN(DevServerTest)
#include "DevServerTest.moc"
