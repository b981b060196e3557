#include "consumables/ConsumableEventPost.h"

#include "common/JsonRead.h"
#include "serverlink/ClientEvent.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

bool ConsumableEventResult::finalRejectionOf(const QString &eventType) const
{
    if (ok || !eventType.toLower().contains(u"writeoff"))
        return false;
    const QString code = failure.trimmed().toLower();
    return code == u"not_found" || code == u"empty";
}

namespace ConsumableEvent {

QJsonObject payloadFor(const AppSettings *settings, const QJsonObject &fields)
{
    // The same identity block as every client event; the type goes into the body later.
    return clientEventEnvelope(settings, QString(), fields).value(QLatin1String("payload")).toObject();
}

const QStringList &eventTypes()
{
    static const QStringList types{
        QStringLiteral("box_receive"),        QStringLiteral("ink_receive"),
        QStringLiteral("material_receive"),   QStringLiteral("consumable_receive"),
        QStringLiteral("wall_writeoff"),      QStringLiteral("material_writeoff_qr"),
        QStringLiteral("consumable_writeoff_qr"),
    };
    return types;
}

QString wordFailure(const QString &failure)
{
    const QString text = failure.trimmed();
    if (!text.isEmpty() && !text.contains(u' '))
        return describeServerStatus(text);
    return text;
}

bool replyHasStock(const QJsonObject &reply)
{
    for (const char *key : {"snapshot", "boxes", "inks", "materials"}) {
        if (reply.contains(QLatin1String(key)))
            return true;
    }
    return false;
}

void post(QNetworkAccessManager *network, AppSettings *settings, QObject *context,
          const QString &eventType, const QJsonObject &payload,
          std::function<void(const ConsumableEventResult &)> done)
{
    const QUrl url = settings ? resolveEndpointUrl(settings, settings->eventEndpoint()) : QUrl();
    if (!network || !url.isValid() || url.isEmpty() || url.isRelative()) {
        ConsumableEventResult result;
        result.failure = QStringLiteral("event API невалиден");
        result.failureText = result.failure;
        // Answered from the event loop like a real reply, so callers see one order.
        QTimer::singleShot(0, context, [done, result] { done(result); });
        return;
    }

    QJsonObject body;
    body.insert(QStringLiteral("event_type"), eventType);
    body.insert(QStringLiteral("type"), eventType);
    body.insert(QStringLiteral("payload"), payload);
    QNetworkRequest request(url);
    applyRequestHeaders(request, settings, true);
    QNetworkReply *reply = network->post(request, compactJson(body));
    ServerReplyOptions options;
    options.timeoutMs = kTimeoutMs;
    handleServerReply(reply, context, settings, [done](const ServerReply &r) {
        ConsumableEventResult result;
        result.reply = r.object;
        if (r.networkFailed()) {
            result.failure = r.timedOut ? QStringLiteral("timeout") : r.errorText;
            result.failureText = describeNetworkError(result.failure);
        } else if (r.isObject && r.accepted && r.error == QNetworkReply::NoError) {
            result.ok = true;
        } else {
            if (!r.rejection.isEmpty())
                result.failure = r.rejection;
            else if (r.isObject)
                result.failure = jsonFirstText(r.object, {"message", "error"});
            if (result.failure.isEmpty())
                result.failure = QStringLiteral("server_error");
            result.failureText = wordFailure(result.failure);
        }
        done(result);
    }, options);
}

} // namespace ConsumableEvent
