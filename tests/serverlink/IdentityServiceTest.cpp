#include "ServerLinkSandbox.h"

#include "serverlink/ServerIdentityService.h"

#include <QSignalSpy>
#include <QtTest>

class IdentityServiceTest : public QObject
{
    Q_OBJECT

private:
    static bool waitIdle(ServerIdentityService &service)
    {
        return QTest::qWaitFor([&] { return !service.busy(); }, 10000);
    }

private Q_SLOTS:
    void validationSendsNothing()
    {
        ServerLinkSandbox box;
        ServerIdentityService service(box.settings.get(), &box.eventLog);
        QCOMPARE(service.statusText(), QStringLiteral("Ожидает первичную настройку"));
        box.settings->setServerUrl(box.url());

        service.connectExistingAccount();
        QCOMPARE(service.lastError(), QStringLiteral("Для подключения клиента нужен tenant_id."));
        box.settings->setTenantId(QStringLiteral("demo"));
        box.settings->setApiKey(QStringLiteral("   "));
        service.connectExistingAccount();
        QCOMPARE(service.lastError(), QStringLiteral("Для подключения клиента нужен ключ подключения к Vorn."));
        QCOMPARE(service.statusText(), service.lastError());
        QVERIFY(!service.busy());
        QVERIFY(box.hasLogEntry(service.lastError()));

        ServerIdentityService orphan(nullptr, &box.eventLog);
        orphan.refreshClientConfig();
        QCOMPARE(orphan.lastError(), QStringLiteral("Настройки недоступны."));

        QCOMPARE(box.requestsSoFar(), 0);
    }

    void createAccount()
    {
        ServerLinkSandbox box;
        box.settings->setServerUrl(box.url());
        box.settings->setDeviceName(QString());
        box.settings->setOperatorName(QStringLiteral("Ирина"));
        ServerIdentityService service(box.settings.get(), &box.eventLog);
        QSignalSpy completed(&service, &ServerIdentityService::setupCompleted);
        QVERIFY(box.settings->onboardingRequired());

        service.createNewAccount();
        QVERIFY(service.busy());
        QCOMPARE(service.statusText(), QStringLiteral("Создаём новую учётную запись на сервере..."));
        QVERIFY(completed.wait(10000));
        QVERIFY(!service.busy());

        const QJsonObject body = box.requests(QStringLiteral("/api/bootstrap")).first()
                                     .toObject().value("body").toObject();
        QCOMPARE(body.value("display_name").toString(), QStringLiteral("Новый клиент"));
        QCOMPARE(body.value("app_version").toString(), QStringLiteral("2.0.1.18"));
        QCOMPARE(body.value("operator_name").toString(), QStringLiteral("Ирина"));
        QVERIFY(!body.value("device_name").toString().isEmpty());
        QCOMPARE(body.keys().size(), 7);

        QVERIFY(!box.settings->onboardingRequired());
        DevTenant *tenant = box.server.store().tenantById(box.settings->tenantId());
        QVERIFY(tenant);
        QCOMPARE(box.settings->apiKey(), tenant->apiKey);
        QVERIFY(tenant->device(box.settings->deviceId()));
        QCOMPARE(service.lastSuccess(), QStringLiteral("Новая учётная запись создана. tenant_id: %1").arg(tenant->id));
        QVERIFY(box.hasLogEntry(service.lastSuccess()));
        QVERIFY(readJsonObjectFile(box.settings->identityCachePath()).value("apiKey").toString() == tenant->apiKey);
    }

    void connectExistingAndRefresh()
    {
        ServerLinkSandbox box;
        box.settings->setServerUrl(box.url());
        box.settings->setTenantId(QStringLiteral("demo"));
        box.settings->setDeviceId(QStringLiteral("ws-7"));
        box.settings->setApiKey(QStringLiteral(" vorn-demo-key "));
        ServerIdentityService service(box.settings.get(), &box.eventLog);
        QSignalSpy completed(&service, &ServerIdentityService::setupCompleted);

        service.connectExistingAccount();
        QVERIFY(completed.wait(10000));
        QCOMPARE(service.lastSuccess(), QStringLiteral("Устройство подключено к tenant demo"));
        const QJsonObject body = box.requests(QStringLiteral("/api/device-register")).first()
                                     .toObject().value("body").toObject();
        QCOMPARE(body.value("api_key").toString(), QStringLiteral("vorn-demo-key"));
        QVERIFY(!body.contains("display_name"));
        QCOMPARE(box.settings->franchiseName(), QString::fromUtf8(Demo::kTenantName));
        // The tenant's consumable tabs came with the reply.
        QCOMPARE(box.settings->consumableTabTitle(QStringLiteral("tab_boxes")), QStringLiteral("Коробки"));

        service.refreshClientConfig();
        QVERIFY(QTest::qWaitFor([&] { return !service.busy(); }, 10000));
        QCOMPARE(service.lastSuccess(), QStringLiteral("Конфигурация клиента обновлена"));
        QCOMPARE(completed.count(), 1);
        const QJsonObject query = box.requests(QStringLiteral("/api/client-config")).first()
                                      .toObject().value("query").toObject();
        QCOMPARE(query.value("tenant_id").toString(), QStringLiteral("demo"));
        QCOMPARE(query.value("device_id").toString(), QStringLiteral("ws-7"));
        QCOMPARE(query.value("client_id").toString(), QStringLiteral("desktop"));
        QVERIFY(query.contains("device_name"));
    }

    void rejectedAndOddReplies()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        ServerIdentityService service(box.settings.get(), &box.eventLog);
        QSignalSpy completed(&service, &ServerIdentityService::setupCompleted);

        box.fault({{"path", "/api/device-register"}, {"status", 200}, {"times", 1},
                   {"json", QJsonObject{{"ok", false}, {"error", "quota"}, {"message", "Лимит устройств"}}}});
        service.connectExistingAccount();
        QVERIFY(waitIdle(service));
        QCOMPARE(service.lastError(), QStringLiteral("Ошибка bootstrap/register (200): quota"));
        QVERIFY(box.hasLogEntry(service.lastError()));

        box.settings->setApiKey(QStringLiteral("wrong-key"));
        service.connectExistingAccount();
        QVERIFY(waitIdle(service));
        QCOMPARE(service.lastError(), QStringLiteral("Ошибка bootstrap/register (401): invalid_api_key"));

        // A 201 without "ok" is a success; the identity may come inside "data".
        box.fault({{"path", "/api/device-register"}, {"status", 201}, {"times", 1},
                   {"json", QJsonObject{{"data", QJsonObject{{"tenant_id", "demo"}, {"device", QJsonObject{{"id", "ws-9"}, {"name", "Резак 9"}}},
                                                             {"api_key", "vorn-demo-key"}}}}}});
        service.connectExistingAccount();
        QVERIFY(completed.wait(10000));
        QCOMPARE(box.settings->deviceId(), QStringLiteral("ws-9"));
        QCOMPARE(box.settings->deviceName(), QStringLiteral("Резак 9"));
        QCOMPARE(box.settings->eventEndpoint(), QStringLiteral("/api/client-event"));

        // A failed request that names tenant_blocked still blocks.
        box.fault({{"path", "/api/client-config"}, {"block", "tenant_blocked"}, {"times", 1}});
        service.refreshClientConfig();
        QVERIFY(waitIdle(service));
        QCOMPARE(service.lastError(), QStringLiteral("Ошибка конфигурации клиента (403): tenant_blocked"));
        QVERIFY(box.settings->serviceBlocked());
        service.refreshClientConfig();
        QVERIFY(waitIdle(service));
        QVERIFY(!box.settings->serviceBlocked());

        box.fault({{"path", "/api/client-config"}, {"status", 502}, {"body", " Bad gateway "}, {"times", 1}});
        service.refreshClientConfig();
        QVERIFY(waitIdle(service));
        QCOMPARE(service.lastError(), QStringLiteral("Ошибка конфигурации клиента (502): Bad gateway"));
    }

    void timeoutAndNetworkErrors()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        ServerIdentityService service(box.settings.get(), &box.eventLog);
        service.setRequestTimeoutMs(300);

        box.fault({{"path", "/api/device-register"}, {"delay_ms", 3000}, {"times", 1}});
        service.connectExistingAccount();
        service.connectExistingAccount(); // ignored while busy
        QVERIFY(waitIdle(service));
        QCOMPARE(service.lastError(), QStringLiteral("Сервер не ответил вовремя."));
        QCOMPARE(box.requests(QStringLiteral("/api/device-register")).size(), 1);

        box.fault({{"path", "/api/client-config"}, {"delay_ms", 3000}, {"times", 1}});
        service.refreshClientConfig();
        QVERIFY(waitIdle(service));
        QCOMPARE(service.lastError(),
                 QStringLiteral("Синхронизация конфигурации не выполнена: сервер не ответил вовремя."));

        // Qt resends a GET once when a kept-alive connection closes unanswered.
        box.fault({{"path", "/api/client-config"}, {"drop", true}, {"times", 2}});
        service.refreshClientConfig();
        QVERIFY(waitIdle(service));
        QCOMPARE(service.lastError(),
                 QStringLiteral("Синхронизация конфигурации не выполнена: сервер разорвал соединение"));

        box.settings->setServerUrl(QStringLiteral("http://127.0.0.1:1"));
        service.createNewAccount();
        QVERIFY(waitIdle(service));
        QCOMPARE(service.lastError(), QStringLiteral("Сетевая ошибка: сервер недоступен"));
        QCOMPARE(service.statusText(), service.lastError());
    }
};

QTEST_MAIN(IdentityServiceTest)
#include "IdentityServiceTest.moc"
