#include "supplies/WarehouseLookup.h"

#include "common/Journal.h"
#include "common/JsonRead.h"
#include "serverlink/ClientEvent.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

WarehouseLookup::WarehouseLookup(AppSettings *settings, Journal *eventLog, QObject *parent)
    : QObject(parent), m_settings(settings), m_eventLog(eventLog),
      m_network(new QNetworkAccessManager(this))
{
}

bool WarehouseLookup::request(const QStringList &uids)
{
    if (m_running || !m_settings || m_settings->onboardingRequired())
        return false;
    QStringList fresh;
    for (const QString &uid : uids) {
        const QString code = uid.trimmed();
        if (!code.isEmpty() && !m_places.contains(code) && !m_asked.contains(code) && !fresh.contains(code))
            fresh.append(code);
    }
    if (fresh.isEmpty())
        return false;
    const QUrl url = resolveEndpointUrl(m_settings, QStringLiteral("/api/order-warehouse-lookup.php"));
    if (!url.isValid() || url.isRelative())
        return false;

    QJsonObject body = clientEventIdentity(m_settings);
    body.remove(QStringLiteral("client_ts"));
    body.insert(QStringLiteral("uids"), QJsonArray::fromStringList(fresh));
    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    m_running = true;
    QNetworkReply *reply = m_network->post(request, compactJson(body));
    ServerReplyOptions options;
    options.timeoutMs = kTimeoutMs;
    handleServerReply(reply, this, m_settings, [this, fresh](const ServerReply &r) {
        m_running = false;
        const auto warn = [this](const QString &message) {
            if (m_eventLog)
                m_eventLog->addWarn(message);
        };
        if (r.networkFailed()) {
            warn(QStringLiteral("Склады: не удалось получить склад по UID: %1").arg(describeNetworkError(r.errorText)));
            return;
        }
        if (!r.isObject) {
            warn(QStringLiteral("Склады: сервер вернул некорректный ответ по складам UID"));
            return;
        }
        if (!r.accepted) {
            warn(QStringLiteral("Склады: сервер не отдал склад по UID: %1").arg(describeServerStatus(r.rejection)));
            return;
        }
        // Asked and answered: a UID the server does not know is not asked again.
        for (const QString &uid : fresh)
            m_asked.insert(uid);
        const QJsonObject items = r.object.value(QLatin1String("items")).toObject();
        bool any = false;
        for (auto it = items.constBegin(); it != items.constEnd(); ++it) {
            const QJsonObject item = it.value().toObject();
            Place place;
            place.warehouse = jsonFirstText(item, {"warehouse"});
            place.section = jsonFirstText(item, {"section", "section_code", "sectionCode", "storageSection",
                                                 "storageSectionCode", "storage_section_code"});
            if (place.warehouse.isEmpty() && place.section.isEmpty())
                continue;
            m_places.insert(it.key().trimmed(), place);
            any = true;
        }
        if (any)
            Q_EMIT answered();
    }, options);
    return true;
}
