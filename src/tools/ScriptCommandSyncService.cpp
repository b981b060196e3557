#include "tools/ScriptCommandSyncService.h"

#include "common/IsoTime.h"
#include "common/Journal.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"
#include "tools/ScriptRuntimeService.h"

#include <QJsonArray>
#include <QNetworkRequest>

namespace {
const QString kEndpoint = QStringLiteral("/api/client-scripts");
} // namespace

ScriptCommandSyncService::ScriptCommandSyncService(AppSettings *settings, Journal *eventLog,
                                                   ScriptRuntimeService *runtime, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
    , m_runtime(runtime)
{
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &ScriptCommandSyncService::syncNow);
}

void ScriptCommandSyncService::start()
{
    if (m_timer.isActive())
        return;
    m_timer.start();
    QTimer::singleShot(kFirstPollDelayMs, this, &ScriptCommandSyncService::syncNow);
}

void ScriptCommandSyncService::stop()
{
    m_timer.stop();
}

QUrl ScriptCommandSyncService::endpoint() const
{
    if (!m_runtime || !m_settings || m_settings->onboardingRequired())
        return {};
    if (m_settings->serverUrl().trimmed().isEmpty() || m_settings->tenantId().trimmed().isEmpty())
        return {};
    const QUrl url = resolveEndpointUrl(m_settings, kEndpoint);
    return url.isValid() && !url.isEmpty() ? url : QUrl();
}

void ScriptCommandSyncService::syncNow()
{
    if (m_inFlight)
        return;
    const QUrl base = endpoint();
    if (base.isEmpty())
        return;
    const QUrl url = withQueryItems(base, {{QStringLiteral("tenant_id"), m_settings->tenantId()},
                                           {QStringLiteral("device_id"), m_settings->deviceId()},
                                           {QStringLiteral("device_name"), m_settings->deviceName()},
                                           {QStringLiteral("client_id"), m_settings->clientId()},
                                           {QStringLiteral("limit"), QStringLiteral("20")}});
    m_inFlight = true;
    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    handleServerReply(m_network.get(request), this, m_settings,
                      [this](const ServerReply &reply) { onPollReply(reply); }, {kRequestTimeoutMs});
}

void ScriptCommandSyncService::onPollReply(const ServerReply &reply)
{
    m_inFlight = false;
    if (reply.networkFailed()) {
        warnOnce(QStringLiteral("Скрипты: сервер команд недоступен: %1")
                     .arg(describeNetworkError(reply.timedOut ? QStringLiteral("timeout") : reply.errorText)));
        sendStatusReport({});
        return;
    }
    if (!reply.isObject) {
        sendStatusReport({});
        return;
    }
    if (!reply.accepted) {
        warnOnce(QStringLiteral("Скрипты: сервер отклонил команды: %1").arg(describeServerStatus(reply.rejection)));
        sendStatusReport({});
        return;
    }
    m_reported = false;
    QVariantList results;
    const QJsonArray commands = reply.object.value(QLatin1String("commands")).toArray();
    for (const QJsonValue &command : commands) {
        if (command.isObject() && m_runtime)
            results.append(m_runtime->runRemoteCommand(command.toObject().toVariantMap()));
    }
    sendStatusReport(results);
}

void ScriptCommandSyncService::sendStatusReport(const QVariantList &results)
{
    const QUrl url = endpoint();
    if (url.isEmpty())
        return;
    QJsonObject body{
        {QStringLiteral("action"), QStringLiteral("status")},
        {QStringLiteral("tenant_id"), m_settings->tenantId().trimmed()},
        {QStringLiteral("device_id"), m_settings->deviceId().trimmed()},
        {QStringLiteral("device_name"), m_settings->deviceName().trimmed()},
        {QStringLiteral("client_id"), m_settings->clientId().trimmed()},
        {QStringLiteral("client_ts"), isoUtcNowMs()},
        {QStringLiteral("scripts"), QJsonArray::fromVariantList(m_runtime->remoteStatusSnapshot())},
    };
    if (!results.isEmpty())
        body.insert(QStringLiteral("commands"), QJsonArray::fromVariantList(results));

    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    handleServerReply(m_network.post(request, compactJson(body)), this, m_settings,
                      [this](const ServerReply &reply) {
        if (reply.networkFailed())
            warnOnce(QStringLiteral("Скрипты: статус не дошёл до сервера: %1")
                         .arg(describeNetworkError(reply.timedOut ? QStringLiteral("timeout") : reply.errorText)));
    }, {kRequestTimeoutMs});
}

void ScriptCommandSyncService::warnOnce(const QString &message)
{
    qCInfo(lcTools) << message;
    if (m_reported)
        return;
    m_reported = true;
    if (m_eventLog)
        m_eventLog->addWarn(message);
}
