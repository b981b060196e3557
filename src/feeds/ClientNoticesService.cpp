#include "feeds/ClientNoticesService.h"

#include "common/Journal.h"
#include "common/LogCategories.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkRequest>

ClientNoticesService::ClientNoticesService(AppSettings *settings, Journal *eventLog, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
{
    m_timer.setInterval(kDefaultIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ClientNoticesService::refresh);
}

void ClientNoticesService::start()
{
    if (!m_timer.isActive())
        m_timer.start();
    refresh();
}

void ClientNoticesService::stop()
{
    m_timer.stop();
}

void ClientNoticesService::refresh()
{
    if (!m_settings || m_settings->onboardingRequired() || m_busy)
        return;
    QUrl url = resolveEndpointUrl(m_settings, QStringLiteral("/api/client-notices"));
    if (!url.isValid() || url.isEmpty())
        return;
    url = withQueryItems(url, {{QStringLiteral("tenant_id"), m_settings->tenantId()}});

    m_busy = true;
    Q_EMIT changed();
    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    ServerReplyOptions options;
    options.timeoutMs = m_timeoutMs;
    handleServerReply(m_network.get(request), this, m_settings,
                      [this](const ServerReply &reply) { onReply(reply); }, options);
}

void ClientNoticesService::onReply(const ServerReply &reply)
{
    m_busy = false;
    Q_EMIT changed();

    if (reply.networkFailed()) {
        warnOnce(QStringLiteral("Плашки клиента: %1").arg(describeNetworkError(reply.errorText)));
        return;
    }
    if (!reply.isObject || !reply.accepted) {
        warnOnce(QStringLiteral("Плашки клиента: %1 (HTTP %2)")
                     .arg(describeServerStatus(reply.rejection), QString::number(reply.httpStatus)));
        return;
    }
    m_failing = false;

    const QJsonArray items = reply.object.value(QLatin1String("items")).toArray();
    const QString text = QString::fromUtf8(QJsonDocument(items).toJson(QJsonDocument::Compact));
    if (text == m_lastItemsText)
        return;
    m_lastItemsText = text;
    m_notices = items.toVariantList();
    Q_EMIT changed();
}

void ClientNoticesService::warnOnce(const QString &message)
{
    qCInfo(lcFeeds) << "notices:" << message;
    if (m_failing)
        return;
    m_failing = true;
    if (m_eventLog)
        m_eventLog->addWarn(message);
}
