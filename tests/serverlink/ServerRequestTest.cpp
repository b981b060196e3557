#include "ServerLinkSandbox.h"

#include "serverlink/ServerRequest.h"

#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QSignalSpy>
#include <QtTest>

class ServerRequestTest : public QObject
{
    Q_OBJECT

private:
    // Sends one GET through the shared reply handling and returns what it read.
    static ServerReply fetch(ServerLinkSandbox &box, const QString &endpoint)
    {
        QNetworkAccessManager network;
        QNetworkRequest request(resolveEndpointUrl(box.settings.get(), endpoint));
        applyRequestHeaders(request, box.settings.get(), true);
        ServerReply result;
        bool done = false;
        handleServerReply(network.get(request), &network, box.settings.get(),
                          [&](const ServerReply &reply) { result = reply; done = true; });
        if (!QTest::qWaitFor([&] { return done; }, 10000))
            qWarning("no reply within 10 s");
        return result;
    }

private Q_SLOTS:
    void endpointResolution()
    {
        ServerLinkSandbox box;
        box.settings->setServerUrl(QStringLiteral("https://vorn.example/tenant/app"));
        QCOMPARE(resolveEndpointUrl(box.settings.get(), QStringLiteral("/api/x")).toString(),
                 QStringLiteral("https://vorn.example/api/x"));
        QCOMPARE(resolveEndpointUrl(box.settings.get(), QStringLiteral("api/x")).toString(),
                 QStringLiteral("https://vorn.example/tenant/api/x"));
        QCOMPARE(resolveEndpointUrl(box.settings.get(), QStringLiteral(" http://other:9/e ")).toString(),
                 QStringLiteral("http://other:9/e"));
        QVERIFY(!resolveEndpointUrl(box.settings.get(), QStringLiteral("   ")).isValid());
        QCOMPARE(resolveEndpointUrl(nullptr, QStringLiteral("/api/x")).toString(), QStringLiteral("/api/x"));

        QCOMPARE(joinServerPath(QStringLiteral(" http://h:1/base/// "), QStringLiteral("api/v")),
                 QStringLiteral("http://h:1/base/api/v"));
        QCOMPARE(joinServerPath(QStringLiteral("http://h"), QStringLiteral("/api")), QStringLiteral("http://h/api"));
    }

    void headersOverTheWire()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        box.settings->setClientId(QStringLiteral("desktop"));
        QVERIFY(fetch(box, QStringLiteral("/api/client-notices")).accepted);
        QJsonObject headers = box.requests(QStringLiteral("/api/client-notices")).last()
                                  .toObject().value("headers").toObject();
        QCOMPARE(headers.value("x-api-key").toString(), QStringLiteral("vorn-demo-key"));
        QCOMPARE(headers.value("authorization").toString(), QStringLiteral("Bearer vorn-demo-key"));
        QCOMPARE(headers.value("x-tenant-id").toString(), QStringLiteral("demo"));
        QCOMPARE(headers.value("x-device-id").toString(), QStringLiteral("demo-pc"));
        QCOMPARE(headers.value("x-client-id").toString(), QStringLiteral("desktop"));
        QCOMPARE(headers.value("accept").toString(), QStringLiteral("application/json"));
        QCOMPARE(headers.value("content-type").toString(), QStringLiteral("application/json; charset=utf-8"));

        // A key of blanks sends neither key header; the server then refuses.
        box.settings->setApiKey(QStringLiteral("   "));
        box.settings->setDeviceId(QString());
        const ServerReply refused = fetch(box, QStringLiteral("/api/client-notices"));
        QCOMPARE(refused.httpStatus, 401);
        headers = box.requests(QStringLiteral("/api/client-notices")).last().toObject().value("headers").toObject();
        QVERIFY(!headers.contains("x-api-key"));
        QVERIFY(!headers.contains("authorization"));
        QVERIFY(!headers.contains("x-device-id"));
        QVERIFY(headers.contains("x-tenant-id"));
    }

    void serviceBlockFollowsReplies()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        QSignalSpy blockChanges(box.settings.get(), &AppSettings::serviceBlockChanged);
        const QString path = QStringLiteral("/api/client-notices");

        box.fault({{"path", path}, {"status", 403}, {"times", 1},
                   {"json", QJsonObject{{"message", "  Оплата просрочена  "}}}});
        fetch(box, path);
        QCOMPARE(box.settings->serviceBlockNotice(), QStringLiteral("Оплата просрочена"));
        QVERIFY(box.settings->serviceBlocked());

        box.fault({{"path", path}, {"status", 200}, {"times", 1},
                   {"json", QJsonObject{{"ok", false}, {"message", "не сейчас"}}}});
        const ServerReply rejected = fetch(box, path);
        QVERIFY(!rejected.accepted);
        QCOMPARE(rejected.rejection, QStringLiteral("не сейчас"));
        QVERIFY(box.settings->serviceBlocked());

        QVERIFY(fetch(box, path).accepted);
        QVERIFY(!box.settings->serviceBlocked());
        QCOMPARE(blockChanges.count(), 2);

        // A blocking code in capitals without a message uses the tenant wording.
        classifyServerReply(box.settings.get(), 200, QJsonObject{{"ok", false}, {"error", " TENANT_BLOCKED "}});
        QCOMPARE(box.settings->serviceBlockNotice(), QStringLiteral("Клиент заблокирован Администратором Ворна."));
        classifyServerReply(nullptr, 403, QJsonObject{{"message", "x"}}); // no settings: nothing to do
        // The device switch of the devserver answers 403 "device_blocked".
        box.fault({{"path", path}, {"block", "device_blocked"}, {"times", 1}});
        fetch(box, path);
        QCOMPARE(box.settings->serviceBlockNotice(), QStringLiteral("Это устройство заблокировано в Ворне."));

        // Non-JSON bodies never touch the block.
        box.fault({{"path", path}, {"status", 403}, {"body", "<html>nope</html>"}, {"times", 1}});
        const ServerReply html = fetch(box, path);
        QVERIFY(!html.isObject);
        QCOMPARE(html.httpStatus, 403);
        QVERIFY(box.settings->serviceBlocked());
    }

    void replyJudgement()
    {
        QString message;
        QVERIFY(replySucceeded(QJsonObject{}, &message));
        QVERIFY(message.isEmpty());
        QVERIFY(!replySucceeded(QJsonObject{{"ok", false}}, &message));
        QCOMPARE(message, QStringLiteral("server_error"));
        QVERIFY(!replySucceeded(QJsonObject{{"ok", "yes"}}, &message)); // not a bool: counts as false
        QVERIFY(!replySucceeded(QJsonObject{{"ok", true}, {"result", QJsonObject{{"status", " Ignored "}}}}, &message));
        QCOMPARE(message, QStringLiteral("ignored"));
        QCOMPARE(describeServerStatus(message), QStringLiteral("сервер принял запрос без изменений"));
        QVERIFY(!replySucceeded(QJsonObject{{"result", QJsonObject{{"status", "not_found"}, {"message", " нет "}}}},
                                &message));
        QCOMPARE(message, QStringLiteral("нет"));
        QVERIFY(!replySucceeded(QJsonObject{{"result", QJsonObject{{"status", "forbidden"}}}}, &message));
        QCOMPARE(message, QStringLiteral("forbidden"));
        QVERIFY(replySucceeded(QJsonObject{{"result", QJsonObject{{"status", "done"}}}}, &message));
        QVERIFY(replySucceeded(QJsonObject{{"ok", true}}, nullptr));

        QCOMPARE(describeNetworkError(QStringLiteral("Connection REFUSED by peer")), QStringLiteral("сервер недоступен"));
        QCOMPARE(describeNetworkError(QStringLiteral("Socket operation timed out")), QStringLiteral("сервер не ответил вовремя"));
        QCOMPARE(describeNetworkError(QStringLiteral("Remote host closed the connection")),
                 QStringLiteral("сервер разорвал соединение"));
        QCOMPARE(describeNetworkError(QStringLiteral("Host not found")), QStringLiteral("адрес сервера не найден"));
        QCOMPARE(describeNetworkError(QStringLiteral("SSL handshake failed")), QStringLiteral("ошибка защищённого соединения"));
        QCOMPARE(describeNetworkError(QStringLiteral(" odd ")), QStringLiteral("odd"));
        QCOMPARE(describeNetworkError(QString()), QStringLiteral("неизвестная сетевая ошибка"));
        QCOMPARE(describeServerStatus(QStringLiteral("UNSUPPORTED")), QStringLiteral("Ворн пока не поддерживает эту операцию"));
        QCOMPARE(describeServerStatus(QStringLiteral(" custom ")), QStringLiteral("custom"));
        QCOMPARE(describeServerStatus(QString()), QStringLiteral("сервер вернул неизвестный ответ"));
    }

    // The body judge alone, as fed by readServerReply: which bodies parse, which
    // count as accepted, and which touch the service block.
    void bodyJudgement_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("classify");
        QTest::addColumn<bool>("fallback");
        QTest::addColumn<bool>("transportFailed");
        QTest::addColumn<bool>("isJson");
        QTest::addColumn<bool>("isObject");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("blockNotice");

        const int objects = int(ServerReplyOptions::Classify::JsonObjects);
        const int always = int(ServerReplyOptions::Classify::Always);
        const int never = int(ServerReplyOptions::Classify::Never);
        QTest::newRow("plain ok") << 200 << QByteArray(R"({"ok":true})") << objects << false << false
                                  << true << true << true << "";
        QTest::newRow("html with 200") << 200 << QByteArray("<html>x</html>") << objects << false << false
                                       << false << false << false << "";
        QTest::newRow("array is json, not an object") << 200 << QByteArray("[1,2]") << objects << false << false
                                                      << true << false << false << "";
        QTest::newRow("403 with message blocks") << 403 << QByteArray(R"({"message":"Стоп"})") << objects << false
                                                 << false << true << true << true << "Стоп";
        QTest::newRow("block left alone when told") << 403 << QByteArray(R"({"message":"Стоп"})") << never
                                                    << false << false << true << true << true << "";
        QTest::newRow("non-json body as block text") << 403 << QByteArray("Доступ закрыт") << always << true
                                                     << false << false << false << false << "Доступ закрыт";
        // The heartbeat's options: a message beats the blocking code, an array says nothing.
        QTest::newRow("message beats the code") << 403 << QByteArray(R"({"error":"tenant_blocked","message":"Оплата"})")
                                                << always << true << false << true << true << true << "Оплата";
        QTest::newRow("array is no block text") << 403 << QByteArray(R"(["blocked"])") << always << true << false
                                                << true << false << false << "";
        QTest::newRow("transport failure reads nothing") << 0 << QByteArray(R"({"ok":true})") << objects << false
                                                         << true << false << false << false << "";
    }

    void bodyJudgement()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, classify);
        QFETCH(bool, fallback);
        QFETCH(bool, transportFailed);
        QFETCH(bool, isJson);
        QFETCH(bool, isObject);
        QFETCH(bool, accepted);
        QFETCH(QString, blockNotice);

        ServerLinkSandbox box;
        ServerReply reply;
        reply.httpStatus = status;
        reply.body = body;
        reply.timedOut = transportFailed;
        ServerReplyOptions options;
        options.classify = static_cast<ServerReplyOptions::Classify>(classify);
        options.bodyAsFallbackMessage = fallback;
        judgeServerReplyBody(reply, box.settings.get(), options);

        QCOMPARE(reply.isJson, isJson);
        QCOMPARE(reply.isObject, isObject);
        QCOMPARE(reply.accepted, accepted);
        QCOMPARE(reply.bodyText.isEmpty(), body.isEmpty());
        QCOMPARE(box.settings->serviceBlockNotice(), blockNotice);
    }
};

QTEST_MAIN(ServerRequestTest)
#include "ServerRequestTest.moc"
