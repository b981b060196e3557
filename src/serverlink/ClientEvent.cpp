#include "serverlink/ClientEvent.h"

#include "common/IsoTime.h"
#include "settings/AppSettings.h"

QJsonObject clientEventIdentity(const AppSettings *settings)
{
    QJsonObject identity;
    if (settings) {
        const auto put = [&identity](const char *key, const QString &value) {
            if (!value.trimmed().isEmpty())
                identity.insert(QLatin1String(key), value.trimmed());
        };
        put("tenant_id", settings->tenantId());
        put("device_id", settings->deviceId());
        put("device_name", settings->deviceName());
        put("client_id", settings->clientId());
    }
    identity.insert(QStringLiteral("client_ts"), isoUtcNowMs());
    return identity;
}

QJsonObject clientEventEnvelope(const AppSettings *settings, const QString &eventType,
                                const QJsonObject &fields)
{
    QJsonObject payload = clientEventIdentity(settings);
    for (auto it = fields.constBegin(); it != fields.constEnd(); ++it)
        payload.insert(it.key(), it.value());
    QJsonObject body;
    body.insert(QStringLiteral("event_type"), eventType);
    body.insert(QStringLiteral("payload"), payload);
    return body;
}
