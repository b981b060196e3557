#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>

class AppSettings;
class QNetworkAccessManager;
class QObject;

// One stock movement posted to the event endpoint: {"event_type", "type", "payload"}.
struct ConsumableEventResult
{
    bool ok = false;
    QJsonObject reply;     // the reply object (also for rejections that carried one)
    QString failure;       // raw failure: network text, the server's message or code, "server_error"
    QString failureText;   // the failure in the operator's words

    // A write-off the server rejects for good ("not_found", "empty"): retrying cannot help.
    bool finalRejectionOf(const QString &eventType) const;
};

namespace ConsumableEvent {

// Deadline of one post; a stuck server must not keep the outbox pass forever.
inline constexpr int kTimeoutMs = 20000;

// The body of a fresh event: the identity fields, then the event's own fields.
QJsonObject payloadFor(const AppSettings *settings, const QJsonObject &fields);

// Posts the event; done is called once on the main thread (never synchronously from
// post itself, except without a usable event address: "event API невалиден").
void post(QNetworkAccessManager *network, AppSettings *settings, QObject *context,
          const QString &eventType, const QJsonObject &payload,
          std::function<void(const ConsumableEventResult &)> done);

// Every event type of the consumables: their rows in the shared outbox are ours.
const QStringList &eventTypes();

// Carries stock figures ("snapshot", "boxes", "inks" or "materials").
bool replyHasStock(const QJsonObject &reply);

// A bare code without blanks put into words; other texts unchanged.
QString wordFailure(const QString &failure);

} // namespace ConsumableEvent
