#include "serverlink/HeartbeatSender.h"

#include "common/IsoTime.h"
#include "common/JsonRead.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <QJsonArray>
#include <QNetworkRequest>

namespace {

int pendingOf(const PendingEventsSource *source)
{
    return source ? source->pendingCount() : 0;
}

bool runningOf(const RunningDevice *device)
{
    return device && device->running();
}

} // namespace

HeartbeatSender::HeartbeatSender(AppSettings *settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
{
}

QJsonObject HeartbeatSender::buildBody() const
{
    if (!m_settings)
        return QJsonObject();
    const AppSettings &s = *m_settings;

    QJsonObject payload{
        {QStringLiteral("tenant_id"), s.tenantId()},
        {QStringLiteral("device_id"), s.deviceId()},
        {QStringLiteral("client_id"), s.clientId()},
        {QStringLiteral("device_name"), s.deviceName()},
        {QStringLiteral("app_version"), s.appVersion()},
        {QStringLiteral("pending"), QJsonObject{{QStringLiteral("consumables"), pendingOf(m_consumables)},
                                                {QStringLiteral("print_archive"), pendingOf(m_printArchive)}}},
    };
    QJsonArray scanners;
    for (int slot = 1; slot <= kScannerSlots; ++slot) {
        const RunningDevice *scanner = slot <= m_scanners.size() ? m_scanners.at(slot - 1) : nullptr;
        const bool running = runningOf(scanner);
        payload.insert(slot == 1 ? QStringLiteral("scanner_running")
                                 : QStringLiteral("scanner%1_running").arg(slot),
                       running);
        scanners.append(QJsonObject{{QStringLiteral("index"), slot},
                                    {QStringLiteral("running"), running},
                                    {QStringLiteral("configured"), !s.scannerPort(slot).trimmed().isEmpty()}});
    }
    payload.insert(QStringLiteral("scanners"), scanners);
    payload.insert(QStringLiteral("rfid_running"), runningOf(m_rfid));

    const QJsonObject event{
        {QStringLiteral("ts"), isoUtcNowMs()},
        {QStringLiteral("source"), QStringLiteral("vornclient")},
        {QStringLiteral("event"), QStringLiteral("client_heartbeat")},
        {QStringLiteral("payload"), payload},
    };
    return QJsonObject{
        {QStringLiteral("tenant_id"), s.tenantId()},
        {QStringLiteral("device_id"), s.deviceId()},
        {QStringLiteral("client_id"), s.clientId()},
        {QStringLiteral("items"), QJsonArray{event}},
    };
}

void HeartbeatSender::sendHeartbeat()
{
    if (!m_settings || m_settings->onboardingRequired() || m_settings->serverUrl().trimmed().isEmpty()
        || m_settings->tenantId().trimmed().isEmpty())
        return;
    const QUrl url = resolveEndpointUrl(m_settings, QStringLiteral("/api/heartbeat"));
    if (!url.isValid() || url.isEmpty())
        return;

    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    // Silent by design: only the service block is judged; the next tick sends a fresh one.
    handleServerReply(m_network.post(request, compactJson(buildBody())), this, m_settings,
                      [this](const ServerReply &reply) { Q_EMIT replied(reply.httpStatus); },
                      {0, ServerReplyOptions::Classify::Always, true});
}
