#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QNetworkReply>
#include <QString>
#include <QUrl>

#include <functional>
#include <initializer_list>
#include <utility>

class AppSettings;
class QNetworkRequest;
class QObject;

// What every request to the platform and every reply handler has in common.
// Every server-facing class uses these; none restates them.
//
// Typical use (a GET with a 20 s time-out):
//
//     QUrl url = withQueryItems(resolveEndpointUrl(m_settings, m_settings->snapshotEndpoint()),
//                               {{"since_rev", revision}});
//     QNetworkRequest request(url);
//     applyRequestHeaders(request, m_settings, true);
//     QNetworkReply *reply = m_network.get(request);
//     handleServerReply(reply, this, m_settings, [this](const ServerReply &r) {
//         if (r.timedOut) ...            // our own deadline fired
//         if (r.networkFailed()) ...     // describeNetworkError(r.errorText)
//         if (!r.isObject) ...           // body was not a JSON object
//         if (!r.accepted) ...           // describeServerStatus(r.rejection)
//     }, {20000});

// ---- Addresses and headers -------------------------------------------------

// The endpoint resolved against the configured server address. An absolute
// endpoint is used unchanged; a leading "/" replaces the server URL's path.
// Empty endpoint gives an invalid URL (the caller reports it and sends nothing).
QUrl resolveEndpointUrl(const AppSettings *settings, const QString &endpoint);

// base without trailing slashes + "/" + path (both trimmed).
QString joinServerPath(const QString &base, const QString &path);

// A copy of url with the query items added, each value trimmed.
QUrl withQueryItems(const QUrl &url, std::initializer_list<std::pair<QString, QString>> items);

// At most this many redirects per request.
inline constexpr int kMaxRedirects = 3;

// HTTP/1.1 only; JSON content type and Accept when json is true; the key and
// identity headers from the settings (blank values send no header). At most
// kMaxRedirects redirects; with settings (the request carries credentials)
// only to the same origin, so the key never reaches another host.
void applyRequestHeaders(QNetworkRequest &request, const AppSettings *settings, bool json = true);

// ---- Judging replies ---------------------------------------------------------

// Switches the settings' service block on (blocking error, or 403 with a
// message) or off (any other reply whose "ok" is true or absent). No-op without settings.
void classifyServerReply(AppSettings *settings, int httpStatus, const QJsonObject &reply,
                         const QString &fallbackMessage = QString());

// False for "ok": false and for the failing result statuses; message gets the
// rejection code/text (empty on success). message may be null.
bool replySucceeded(const QJsonObject &reply, QString *message = nullptr);

// Network error text and server status codes in the operator's words.
QString describeNetworkError(const QString &errorText);
QString describeServerStatus(const QString &code);

// ---- The standard reply handling ------------------------------------------

// Everything a reply handler needs, read in the standard order: status, body,
// error; the reply itself is already scheduled for deletion.
struct ServerReply
{
    int httpStatus = 0;                  // 0 when no HTTP answer came
    QByteArray body;
    QString bodyText;                    // body as quotable text: secrets redacted, cleaned, short
    bool isJson = false;                 // body parsed as any JSON document
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorText;                   // QNetworkReply::errorString() when error is set
    bool timedOut = false;               // our own deadline aborted the request
    bool tooLarge = false;               // the body passed the read limit and was dropped
    bool isObject = false;               // body parsed as a JSON object
    QJsonObject object;                  // the parsed body (empty otherwise)
    bool accepted = false;               // replySucceeded() on the object; false when !isObject
    QString rejection;                   // replySucceeded()'s message

    // A transport failure without any HTTP answer (time-outs included).
    bool networkFailed() const
    {
        return timedOut || tooLarge || (error != QNetworkReply::NoError && httpStatus == 0);
    }
    bool statusOk() const { return httpStatus >= 200 && httpStatus <= 299; }
};

// Every request has a deadline and a read limit; a server that accepts and
// never answers would otherwise hold one of the few connections per host for good.
inline constexpr int kDefaultReplyTimeoutMs = 30000;
inline constexpr qint64 kDefaultMaxBodyBytes = 4LL * 1024 * 1024;

struct ServerReplyOptions
{
    // Deadline of our own; 0 or less means kDefaultReplyTimeoutMs.
    int timeoutMs = kDefaultReplyTimeoutMs;

    enum class Classify {
        JsonObjects,   // classifyServerReply for bodies that are JSON objects (the rule)
        Always,        // also for other bodies, with an empty object (the heartbeat)
        Never,         // the configuration push leaves the service block alone
    };
    Classify classify = Classify::JsonObjects;
    // The body text is the block message of last resort (onboarding, heartbeat,
    // snapshot); otherwise a blocking code without a message gets the standard wording.
    // Used only when the body is not JSON at all: a JSON body without a message
    // never puts its raw text on the lock screen.
    bool bodyAsFallbackMessage = false;
    // Bodies longer than this are not read: the request is aborted and reported
    // as a failure (ServerReply::tooLarge).
    qint64 maxBodyBytes = kDefaultMaxBodyBytes;
    // False: only the transport fields and the body are read; the caller parses
    // the body elsewhere (parseServerReplyBody or a reader of its own, any thread),
    // fills isJson, isObject and object, and then calls judgeServerReply on the
    // main thread. For bodies too big to parse there.
    bool parseBody = true;
};

// Starts the deadline: a single-shot timer parented to the reply that, while
// the reply still runs, sets its "timedOut" property and aborts it.
void armReplyTimeout(QNetworkReply *reply, int timeoutMs);
bool replyTimedOut(const QNetworkReply *reply);

// Aborts the reply as soon as its announced or received size passes maxBytes and
// marks it, so the body is never buffered whole.
void armReplyBodyLimit(QNetworkReply *reply, qint64 maxBytes);
bool replyTooLarge(const QNetworkReply *reply);
// The operator's words for a body over the limit.
QString describeTooLargeBody(qint64 maxBytes);

// Reads a finished reply in the standard order, schedules it for deletion,
// parses, classifies (unless told not to, and never after a transport failure)
// and judges the body. Call only from the reply's finished signal.
ServerReply readServerReply(QNetworkReply *reply, AppSettings *settings,
                            const ServerReplyOptions &options = {});

// The part of readServerReply after the transport: from out's status, body and
// transport flags, fills bodyText, the parsed body and the verdict, classifying
// as options say. Touches no network object.
void judgeServerReplyBody(ServerReply &out, AppSettings *settings,
                          const ServerReplyOptions &options = {});
// For a body read with parseBody false, the two steps judgeServerReplyBody
// would have run: parsing touches nothing but out, so it may run on any thread;
// judging classifies (settings, main thread) and fills accepted and rejection.
void parseServerReplyBody(ServerReply &out);
void judgeServerReply(ServerReply &out, AppSettings *settings, const ServerReplyOptions &options = {});

// Arms the deadline and the read limit and calls handler once with the read reply when it
// finishes. context bounds the handler's lifetime like a connect() context.
void handleServerReply(QNetworkReply *reply, QObject *context, AppSettings *settings,
                       std::function<void(const ServerReply &)> handler,
                       ServerReplyOptions options = {});
