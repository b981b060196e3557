#include "supplies/GsConfirmClient.h"

#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "common/NumberClamp.h"
#include "common/SecretRedaction.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <QDateTime>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QUrl>

#include <memory>

namespace {

bool fail(QString *errorText, const QString &message)
{
    if (errorText)
        *errorText = message;
    return false;
}

// A text as a JSON string literal, quotes and escapes included.
QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray { text }).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

GsConfirmClient::GsConfirmClient(AppSettings *settings, QObject *parent)
    : QObject(parent), m_settings(settings)
{
}

bool GsConfirmClient::confirm(const QString &barcode, QString *errorText)
{
    const QString endpoint = m_settings ? m_settings->gsConfirmEndpoint().trimmed() : QString();
    if (endpoint.isEmpty())
        return fail(errorText, QStringLiteral("Не указан GS API."));
    // The local event loop lets scans and timers in; a second confirmation started from
    // one of them must not nest another loop inside this one.
    if (m_waiting)
        return fail(errorText, QStringLiteral("GS: предыдущая запись ещё не подтверждена."));

    const QUrl url(endpoint);
    if (!url.isValid() || url.isRelative())
        return fail(errorText, QStringLiteral("GS API указан неверно: %1").arg(endpoint));

    // Keys in this order; the spreadsheet script reads them as they come.
    const QString ts = QDateTime::currentDateTime().toString(Qt::ISODate);
    const QByteArray body = "{\"user\":\"desktop\",\"barcode\":" + jsonString(barcode)
                            + ",\"source\":\"temvar\",\"ts\":" + jsonString(ts) + '}';

    // The spreadsheet is an outside service: no platform key or device headers go there.
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setMaximumRedirectsAllowed(kMaxRedirects);

    m_waiting = true;
    auto network = std::make_unique<QNetworkAccessManager>();
    QPointer<QNetworkReply> reply = network->post(request, body);
    // The nested loop must end even when the spreadsheet never answers or answers without end.
    armReplyTimeout(reply, kDefaultReplyTimeoutMs);
    armReplyBodyLimit(reply, kDefaultMaxBodyBytes);
    QEventLoop loop;
    connect(reply.data(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    m_waiting = false;

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QNetworkReply::NetworkError error = reply->error();
    const bool tooLarge = replyTooLarge(reply);
    const bool timedOut = replyTimedOut(reply);
    const QByteArray replyBody = reply->isOpen() && !tooLarge ? reply->readAll() : QByteArray();
    delete reply.data();
    if (tooLarge)
        return fail(errorText, QStringLiteral("GS: %1").arg(describeTooLargeBody(kDefaultMaxBodyBytes)));
    if (timedOut)
        return fail(errorText, QStringLiteral("GS: сервер не ответил вовремя."));

    qCInfo(lcSupplies) << "GS confirm" << barcode << "status" << status << "error" << error;
    if (error == QNetworkReply::NoError && status == 200) {
        const QJsonDocument document = QJsonDocument::fromJson(replyBody);
        if (document.isObject() && document.object().contains(QStringLiteral("wrote"))) {
            const double wrote = jsonToNumber(document.object().value(QStringLiteral("wrote")), 0.0);
            if (clampToInt(wrote) < 1)
                return fail(errorText, QStringLiteral("GS вернул wrote <= 0."));
        }
        return true;
    }
    const QString text = SecretRedaction::quoteServerText(replyBody);
    return fail(errorText, text.isEmpty() ? QStringLiteral("GS не подтвердил запись.") : text);
}
