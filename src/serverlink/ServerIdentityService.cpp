#include "serverlink/ServerIdentityService.h"

#include "common/AppVersion.h"
#include "common/Journal.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <QNetworkRequest>
#include <QSysInfo>

namespace {

QString nestedText(const QJsonObject &object, const char *outer, const char *inner)
{
    return jsonFirstText(object.value(QLatin1String(outer)).toObject(), {inner});
}

} // namespace

ServerIdentityService::ServerIdentityService(AppSettings *settings, Journal *eventLog, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
    , m_statusText(QStringLiteral("Ожидает первичную настройку"))
{
}

QString ServerIdentityService::validate(Mode mode) const
{
    if (!m_settings)
        return QStringLiteral("Настройки недоступны.");
    if (m_settings->serverUrl().trimmed().isEmpty())
        return QStringLiteral("Укажи адрес Ворна.");
    if (mode == Mode::Connect) {
        if (m_settings->tenantId().trimmed().isEmpty())
            return QStringLiteral("Для подключения клиента нужен tenant_id.");
        if (m_settings->apiKey().trimmed().isEmpty())
            return QStringLiteral("Для подключения клиента нужен ключ подключения к Vorn.");
    }
    return QString();
}

void ServerIdentityService::createNewAccount()
{
    startOnboarding(Mode::Create);
}

void ServerIdentityService::connectExistingAccount()
{
    startOnboarding(Mode::Connect);
}

void ServerIdentityService::startOnboarding(Mode mode)
{
    const QString problem = validate(mode);
    if (!problem.isEmpty()) {
        reportValidation(problem);
        return;
    }
    if (m_busy)
        return;

    if (m_settings->deviceName().trimmed().isEmpty()) {
        const QString host = QSysInfo::machineHostName().trimmed();
        m_settings->setDeviceName(host.isEmpty() ? QStringLiteral("VornClient-PC") : host);
    }

    QJsonObject body{
        {QStringLiteral("tenant_id"), m_settings->tenantId()},
        {QStringLiteral("device_id"), m_settings->deviceId()},
        {QStringLiteral("client_id"), m_settings->clientId()},
        {QStringLiteral("device_name"), m_settings->deviceName()},
        {QStringLiteral("operator_name"), m_settings->operatorName()},
        {QStringLiteral("app_version"), appVersionText()},
    };
    QString endpoint;
    if (mode == Mode::Create) {
        const QString name = m_settings->franchiseName().trimmed();
        body.insert(QStringLiteral("display_name"), name.isEmpty() ? QStringLiteral("Новый клиент") : name);
        endpoint = m_settings->bootstrapEndpoint();
    } else {
        body.insert(QStringLiteral("api_key"), m_settings->apiKey().trimmed());
        endpoint = m_settings->deviceRegisterEndpoint();
    }

    setBusy(true);
    setLastError(QString());
    setLastSuccess(QString());
    const QString status = mode == Mode::Create
        ? QStringLiteral("Создаём новую учётную запись на сервере...")
        : QStringLiteral("Подключаем устройство к существующему tenant...");
    setStatusText(status);
    if (m_eventLog)
        m_eventLog->addInfo(status);

    QNetworkRequest request(QUrl(joinServerPath(m_settings->serverUrl(), endpoint)));
    applyRequestHeaders(request, m_settings, true);
    QNetworkReply *reply = m_network.post(request, compactJson(body));
    handleServerReply(reply, this, m_settings,
                      [this, mode](const ServerReply &r) { onOnboardingReply(mode, r); },
                      {m_timeoutMs, ServerReplyOptions::Classify::JsonObjects, true});
}

bool ServerIdentityService::onboardingAccepted(const ServerReply &reply)
{
    if (!reply.statusOk() || !reply.isObject)
        return false;
    const QJsonValue ok = reply.object.value(QLatin1String("ok"));
    return ok.isUndefined() || ok.toBool(false);
}

QString ServerIdentityService::failureText(const ServerReply &reply, const QString &fallback)
{
    QString text = jsonFirstText(reply.object, {"error"});
    if (text.isEmpty())
        text = jsonFirstText(reply.object, {"message"});
    if (text.isEmpty())
        text = reply.bodyText;
    return text.isEmpty() ? fallback : text;
}

void ServerIdentityService::onOnboardingReply(Mode mode, const ServerReply &reply)
{
    setBusy(false);
    if (reply.timedOut) {
        reportError(QStringLiteral("Сервер не ответил вовремя."));
        return;
    }
    if (reply.networkFailed()) {
        reportError(QStringLiteral("Сетевая ошибка: %1").arg(describeNetworkError(reply.errorText)));
        return;
    }
    if (!onboardingAccepted(reply)) {
        reportError(QStringLiteral("Ошибка bootstrap/register (%1): %2")
                        .arg(reply.httpStatus)
                        .arg(failureText(reply, QStringLiteral("Сервер отклонил запрос."))));
        return;
    }
    if (!m_settings) {
        reportError(QStringLiteral("Настройки недоступны."));
        return;
    }

    const QJsonValue data = reply.object.value(QLatin1String("data"));
    const QJsonObject identity = data.isObject() ? data.toObject() : reply.object;
    applyIdentity(identity);
    m_settings->applyServerPayload(reply.object.toVariantMap());
    m_settings->applyServerPayload(identity.toVariantMap());
    m_settings->setServiceBlockNotice(QString());
    m_settings->save();

    reportSuccess(mode == Mode::Create
                      ? QStringLiteral("Новая учётная запись создана. tenant_id: %1").arg(m_settings->tenantId())
                      : QStringLiteral("Устройство подключено к tenant %1").arg(m_settings->tenantId()));
    Q_EMIT setupCompleted();
}

void ServerIdentityService::refreshClientConfig()
{
    const QString problem = validate(Mode::Create);
    if (!problem.isEmpty()) {
        reportValidation(problem);
        return;
    }
    if (m_busy)
        return;

    QString endpoint = m_settings->clientConfigEndpoint().trimmed();
    if (endpoint.isEmpty())
        endpoint = QStringLiteral("/api/client-config");
    const QUrl url = withQueryItems(QUrl(joinServerPath(m_settings->serverUrl(), endpoint)),
                                    {{QStringLiteral("tenant_id"), m_settings->tenantId()},
                                     {QStringLiteral("client_id"), m_settings->clientId()},
                                     {QStringLiteral("device_id"), m_settings->deviceId()},
                                     {QStringLiteral("device_name"), m_settings->deviceName()}});

    setBusy(true);
    setLastError(QString());
    setStatusText(QStringLiteral("Обновляем конфигурацию клиента с сервера..."));
    if (m_eventLog)
        m_eventLog->addInfo(QStringLiteral("Запрошена конфигурация клиента с сервера"));

    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    handleServerReply(m_network.get(request), this, m_settings,
                      [this](const ServerReply &r) { onConfigReply(r); }, {m_timeoutMs, ServerReplyOptions::Classify::JsonObjects, true});
}

void ServerIdentityService::onConfigReply(const ServerReply &reply)
{
    setBusy(false);
    if (reply.timedOut) {
        reportError(QStringLiteral("Синхронизация конфигурации не выполнена: сервер не ответил вовремя."));
        return;
    }
    if (reply.networkFailed()) {
        reportError(QStringLiteral("Синхронизация конфигурации не выполнена: %1")
                        .arg(describeNetworkError(reply.errorText)));
        return;
    }
    if (!onboardingAccepted(reply)) {
        reportError(QStringLiteral("Ошибка конфигурации клиента (%1): %2")
                        .arg(reply.httpStatus)
                        .arg(failureText(reply, QStringLiteral("Сервер отклонил конфигурацию клиента."))));
        return;
    }
    if (!m_settings) {
        reportError(QStringLiteral("Настройки недоступны."));
        return;
    }
    applyIdentity(reply.object);
    m_settings->applyServerPayload(reply.object.toVariantMap());
    m_settings->setServiceBlockNotice(QString());
    m_settings->save();
    reportSuccess(QStringLiteral("Конфигурация клиента обновлена"));
}

void ServerIdentityService::applyIdentity(const QJsonObject &identity)
{
    AppSettings *s = m_settings;
    const auto apply = [](const QString &value, auto setter) {
        if (!value.isEmpty())
            setter(value);
    };
    QString tenant = jsonFirstText(identity, {"tenant_id"});
    if (tenant.isEmpty())
        tenant = nestedText(identity, "tenant", "id");
    apply(tenant, [s](const QString &v) { s->setTenantId(v); });

    QString franchise = jsonFirstText(identity, {"tenant_name"});
    if (franchise.isEmpty())
        franchise = nestedText(identity, "tenant", "name");
    apply(franchise, [s](const QString &v) { s->setFranchiseName(v); });

    QString device = jsonFirstText(identity, {"device_id"});
    if (device.isEmpty())
        device = nestedText(identity, "device", "id");
    apply(device, [s](const QString &v) { s->setDeviceId(v); });
    apply(nestedText(identity, "device", "name"), [s](const QString &v) { s->setDeviceName(v); });

    QString key = jsonFirstText(identity, {"api_key"});
    if (key.isEmpty())
        key = nestedText(identity, "admin", "api_key");
    apply(key, [s](const QString &v) { s->setApiKey(v); });
    apply(jsonFirstText(identity, {"server_url"}), [s](const QString &v) { s->setServerUrl(v); });

    QString cabinet = jsonFirstText(identity, {"cabinet_url"});
    if (cabinet.isEmpty())
        cabinet = nestedText(identity, "cabinet", "url");
    apply(cabinet, [s](const QString &v) { s->setCabinetUrl(v); });

    apply(jsonFirstText(identity, {"bootstrap_endpoint"}), [s](const QString &v) { s->setBootstrapEndpoint(v); });
    apply(jsonFirstText(identity, {"device_register_endpoint"}),
          [s](const QString &v) { s->setDeviceRegisterEndpoint(v); });
    apply(jsonFirstText(identity, {"client_config_endpoint"}),
          [s](const QString &v) { s->setClientConfigEndpoint(v); });
    apply(jsonFirstText(identity, {"event_endpoint"}), [s](const QString &v) { s->setEventEndpoint(v); });
    apply(jsonFirstText(identity, {"snapshot_endpoint"}), [s](const QString &v) { s->setSnapshotEndpoint(v); });

    if (s->eventEndpoint().trimmed().isEmpty())
        s->setEventEndpoint(QStringLiteral("/api/client-event"));
    if (s->snapshotEndpoint().trimmed().isEmpty())
        s->setSnapshotEndpoint(QStringLiteral("/api/client-snapshot"));
    if (s->clientConfigEndpoint().trimmed().isEmpty())
        s->setClientConfigEndpoint(QStringLiteral("/api/client-config"));
    if (s->clientId().trimmed().isEmpty())
        s->setClientId(QStringLiteral("desktop"));
}

void ServerIdentityService::reportValidation(const QString &message)
{
    setLastError(message);
    setStatusText(message);
    setLastSuccess(QString());
    if (m_eventLog)
        m_eventLog->addWarn(message);
}

void ServerIdentityService::reportError(const QString &message)
{
    setStatusText(message);
    setLastError(message);
    qCInfo(lcServerLink) << "identity request failed:" << message;
    if (m_eventLog)
        m_eventLog->addError(message);
}

void ServerIdentityService::reportSuccess(const QString &text)
{
    setStatusText(text);
    setLastSuccess(text);
    setLastError(QString());
    if (m_eventLog)
        m_eventLog->addInfo(text);
}

void ServerIdentityService::setBusy(bool value)
{
    if (m_busy == value)
        return;
    m_busy = value;
    Q_EMIT busyChanged();
}

void ServerIdentityService::setStatusText(const QString &value)
{
    if (m_statusText == value)
        return;
    m_statusText = value;
    Q_EMIT statusTextChanged();
}

void ServerIdentityService::setLastError(const QString &value)
{
    if (m_lastError == value)
        return;
    m_lastError = value;
    Q_EMIT lastErrorChanged();
}

void ServerIdentityService::setLastSuccess(const QString &value)
{
    if (m_lastSuccess == value)
        return;
    m_lastSuccess = value;
    Q_EMIT lastSuccessChanged();
}
