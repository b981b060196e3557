#include "serverlink/ServerRequest.h"

#include "common/SecretRedaction.h"
#include "settings/AppSettings.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrlQuery>

#include <algorithm>

namespace {

const char kTimedOutProperty[] = "timedOut";
const char kTooLargeProperty[] = "tooLarge";

QString trimmedText(const QJsonValue &value)
{
    return value.isString() ? value.toString().trimmed() : QString();
}

} // namespace

QUrl resolveEndpointUrl(const AppSettings *settings, const QString &endpoint)
{
    const QString path = endpoint.trimmed();
    if (path.isEmpty())
        return QUrl();

    const QUrl direct(path, QUrl::StrictMode);
    if (direct.isValid() && !direct.isRelative() && !direct.scheme().isEmpty())
        return direct;

    const QString serverText = settings ? settings->serverUrl().trimmed() : QString();
    const QUrl server(serverText, QUrl::StrictMode);
    if (!serverText.isEmpty() && server.isValid() && !server.scheme().isEmpty())
        return server.resolved(QUrl(path));
    return QUrl(path);
}

QString joinServerPath(const QString &base, const QString &path)
{
    QString head = base.trimmed();
    while (head.endsWith(u'/'))
        head.chop(1);
    QString tail = path.trimmed();
    if (!tail.startsWith(u'/'))
        tail.prepend(u'/');
    return head + tail;
}

QUrl withQueryItems(const QUrl &url, std::initializer_list<std::pair<QString, QString>> items)
{
    QUrl result(url);
    QUrlQuery query(result);
    for (const auto &item : items)
        query.addQueryItem(item.first, item.second.trimmed());
    result.setQuery(query);
    return result;
}

void applyRequestHeaders(QNetworkRequest &request, const AppSettings *settings, bool json)
{
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         settings ? QNetworkRequest::SameOriginRedirectPolicy
                                  : QNetworkRequest::NoLessSafeRedirectPolicy);
    if (json) {
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/json; charset=utf-8"));
        request.setRawHeader("Accept", "application/json");
    }
    if (!settings)
        return;

    const QByteArray key = settings->apiKey().trimmed().toUtf8();
    if (!key.isEmpty()) {
        request.setRawHeader("X-Api-Key", key);
        request.setRawHeader("Authorization", "Bearer " + key);
    }
    const auto setIfPresent = [&request](const char *name, const QString &value) {
        const QString text = value.trimmed();
        if (!text.isEmpty())
            request.setRawHeader(name, text.toUtf8());
    };
    setIfPresent("X-Tenant-Id", settings->tenantId());
    setIfPresent("X-Device-Id", settings->deviceId());
    setIfPresent("X-Client-Id", settings->clientId());
}

void classifyServerReply(AppSettings *settings, int httpStatus, const QJsonObject &reply,
                         const QString &fallbackMessage)
{
    if (!settings)
        return;

    QString error = trimmedText(reply.value(QLatin1String("error"))).toLower();
    QString message = trimmedText(reply.value(QLatin1String("message")));
    if (message.isEmpty())
        message = trimmedText(reply.value(QLatin1String("reason")));

    const QJsonObject result = reply.value(QLatin1String("result")).toObject();
    if (error.isEmpty())
        error = trimmedText(result.value(QLatin1String("error"))).toLower();
    if (message.isEmpty())
        message = trimmedText(result.value(QLatin1String("message")));
    if (message.isEmpty())
        message = trimmedText(result.value(QLatin1String("reason")));
    if (message.isEmpty())
        message = fallbackMessage.trimmed();

    const bool tenantBlocked = error == u"tenant_blocked";
    const bool deviceBlocked = error == u"device_blocked";
    if (!tenantBlocked && !deviceBlocked) {
        if (httpStatus != 403 || message.isEmpty()) {
            const QJsonValue ok = reply.value(QLatin1String("ok"));
            const bool accepted = ok.isUndefined() ? true : ok.toBool(false);
            if (accepted)
                settings->setServiceBlockNotice(QString());
            return;
        }
    } else if (message.isEmpty()) {
        message = tenantBlocked ? QStringLiteral("Клиент заблокирован Администратором Ворна.")
                                : QStringLiteral("Это устройство заблокировано в Ворне.");
    }
    settings->setServiceBlockNotice(message);
}

bool replySucceeded(const QJsonObject &reply, QString *message)
{
    const auto answer = [message](bool ok, const QString &text) {
        if (message)
            *message = text;
        return ok;
    };

    if (reply.contains(QLatin1String("ok")) && !reply.value(QLatin1String("ok")).toBool(false)) {
        QString text = trimmedText(reply.value(QLatin1String("message")));
        if (text.isEmpty())
            text = trimmedText(reply.value(QLatin1String("error")));
        if (text.isEmpty())
            text = QStringLiteral("server_error");
        return answer(false, text);
    }

    const QJsonObject result = reply.value(QLatin1String("result")).toObject();
    const QString status = trimmedText(result.value(QLatin1String("status"))).toLower();
    if (status == u"ignored" || status == u"unsupported")
        return answer(false, status);
    if (status == u"bad_request" || status == u"not_found" || status == u"empty"
        || status == u"forbidden") {
        const QString text = trimmedText(result.value(QLatin1String("message")));
        return answer(false, text.isEmpty() ? status : text);
    }
    return answer(true, QString());
}

QString describeNetworkError(const QString &errorText)
{
    const QString text = errorText.trimmed();
    const QString lower = text.toLower();
    if (lower.contains(u"server stopped accepting new streams"))
        return QStringLiteral("сервер временно перегружен, повторите через пару секунд");
    if (lower.contains(u"timed out") || lower.contains(u"timeout"))
        return QStringLiteral("сервер не ответил вовремя");
    if (lower.contains(u"connection refused"))
        return QStringLiteral("сервер недоступен");
    if (lower.contains(u"remote host closed") || lower.contains(u"connection closed"))
        return QStringLiteral("сервер разорвал соединение");
    if (lower.contains(u"host not found"))
        return QStringLiteral("адрес сервера не найден");
    if (lower.contains(u"ssl"))
        return QStringLiteral("ошибка защищённого соединения");
    if (!text.isEmpty())
        return text;
    return QStringLiteral("неизвестная сетевая ошибка");
}

QString describeServerStatus(const QString &code)
{
    const QString text = code.trimmed();
    const QString lower = text.toLower();
    if (lower == u"ignored")
        return QStringLiteral("сервер принял запрос без изменений");
    if (lower == u"unsupported")
        return QStringLiteral("Ворн пока не поддерживает эту операцию");
    if (lower == u"server_error")
        return QStringLiteral("сервер вернул ошибку");
    if (lower == u"bad_request")
        return QStringLiteral("сервер отклонил переданные данные");
    if (lower == u"not_found")
        return QStringLiteral("нужные данные на сервере не найдены");
    if (lower == u"empty")
        return QStringLiteral("для этой операции на сервере нет данных");
    if (lower == u"forbidden")
        return QStringLiteral("доступ к операции запрещён");
    if (!text.isEmpty())
        return text;
    return QStringLiteral("сервер вернул неизвестный ответ");
}

void armReplyTimeout(QNetworkReply *reply, int timeoutMs)
{
    if (!reply)
        return;
    if (timeoutMs <= 0)
        timeoutMs = kDefaultReplyTimeoutMs;
    // Parented to the reply, so it dies with it; abort() finishes the reply synchronously.
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, reply, [reply] {
        if (reply->isRunning()) {
            reply->setProperty(kTimedOutProperty, true);
            reply->abort();
        }
    });
    timer->start(timeoutMs);
}

bool replyTimedOut(const QNetworkReply *reply)
{
    return reply && reply->property(kTimedOutProperty).toBool();
}

void armReplyBodyLimit(QNetworkReply *reply, qint64 maxBytes)
{
    if (!reply || maxBytes <= 0)
        return;
    const auto stop = [reply] {
        if (reply->isRunning()) {
            reply->setProperty(kTooLargeProperty, true);
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, maxBytes, stop] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBytes)
            stop();
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [maxBytes, stop](qint64 received, qint64) {
        if (received > maxBytes)
            stop();
    });
}

bool replyTooLarge(const QNetworkReply *reply)
{
    return reply && reply->property(kTooLargeProperty).toBool();
}

QString describeTooLargeBody(qint64 maxBytes)
{
    return QStringLiteral("ответ сервера больше %1 МБ, приём прерван").arg(std::max<qint64>(1, maxBytes >> 20));
}

ServerReply readServerReply(QNetworkReply *reply, AppSettings *settings,
                            const ServerReplyOptions &options)
{
    ServerReply out;
    if (!reply)
        return out;

    out.timedOut = replyTimedOut(reply);
    out.tooLarge = replyTooLarge(reply);
    out.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // An aborted reply is closed; reading it would only warn.
    if (reply->isOpen() && !out.tooLarge)
        out.body = reply->readAll();
    out.error = reply->error();
    if (out.tooLarge)
        out.errorText = describeTooLargeBody(options.maxBodyBytes);
    else if (out.timedOut)
        out.errorText = QStringLiteral("Operation timed out"); // worded by describeNetworkError
    else if (out.error != QNetworkReply::NoError)
        out.errorText = SecretRedaction::redactSecrets(reply->errorString());
    reply->deleteLater();

    judgeServerReplyBody(out, settings, options);
    return out;
}

void judgeServerReplyBody(ServerReply &out, AppSettings *settings, const ServerReplyOptions &options)
{
    out.bodyText = SecretRedaction::quoteServerText(out.body);
    if (out.networkFailed())
        return;

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(out.body, &parseError);
    out.isJson = parseError.error == QJsonParseError::NoError;
    if (out.isJson && document.isObject()) {
        out.isObject = true;
        out.object = document.object();
    }

    using Classify = ServerReplyOptions::Classify;
    if (options.classify == Classify::Always || (options.classify == Classify::JsonObjects && out.isObject))
        classifyServerReply(settings, out.httpStatus, out.object,
                            options.bodyAsFallbackMessage && !out.isJson ? out.bodyText : QString());

    if (out.isObject)
        out.accepted = replySucceeded(out.object, &out.rejection);
}

void handleServerReply(QNetworkReply *reply, QObject *context, AppSettings *settings,
                       std::function<void(const ServerReply &)> handler,
                       ServerReplyOptions options)
{
    if (!reply)
        return;
    armReplyTimeout(reply, options.timeoutMs);
    armReplyBodyLimit(reply, options.maxBodyBytes);
    QPointer<AppSettings> guarded(settings);
    QObject::connect(reply, &QNetworkReply::finished, context ? context : reply,
                     [reply, guarded, handler = std::move(handler), options] {
                         const ServerReply read = readServerReply(reply, guarded.data(), options);
                         if (handler)
                             handler(read);
                     });
}
