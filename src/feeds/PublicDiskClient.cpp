#include "feeds/PublicDiskClient.h"

#include "common/LogCategories.h"
#include "serverlink/ServerRequest.h"

#include <QNetworkReply>
#include <QNetworkRequest>

PublicDiskClient::PublicDiskClient(QObject *parent)
    : QObject(parent)
{
    m_apiBase = qEnvironmentVariable(kApiBaseVariable).trimmed();
    if (m_apiBase.isEmpty())
        m_apiBase = QString::fromLatin1(kDefaultApiBase);
    m_stall.setSingleShot(true);
    connect(&m_stall, &QTimer::timeout, this, [this] {
        if (m_reply)
            m_reply->abort();
    });
}

void PublicDiskClient::fetchMetadata(const QString &publicKey, const QString &path, AnswerHandler handler)
{
    get(QStringLiteral("v1/disk/public/resources"), publicKey, path, std::move(handler));
}

void PublicDiskClient::fetchDownloadLink(const QString &publicKey, const QString &path, AnswerHandler handler)
{
    get(QStringLiteral("v1/disk/public/resources/download"), publicKey, path, std::move(handler));
}

void PublicDiskClient::get(const QString &endpoint, const QString &publicKey, const QString &path,
                           AnswerHandler handler)
{
    QUrl url(joinServerPath(m_apiBase, endpoint));
    if (path.trimmed().isEmpty())
        url = withQueryItems(url, {{QStringLiteral("public_key"), publicKey}, {QStringLiteral("limit"), QStringLiteral("1")}});
    else
        url = withQueryItems(url, {{QStringLiteral("public_key"), publicKey},
                                   {QStringLiteral("path"), path},
                                   {QStringLiteral("limit"), QStringLiteral("1")}});
    // An outside service: none of the platform's headers or keys go there.
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setRawHeader("Accept", "application/json");
    ServerReplyOptions options;
    options.timeoutMs = kRequestTimeoutMs;
    options.classify = ServerReplyOptions::Classify::Never;
    handleServerReply(m_network.get(request), this, nullptr, [handler](const ServerReply &reply) {
        Answer answer;
        answer.answered = reply.isObject;
        answer.object = reply.object;
        if (reply.networkFailed()) {
            answer.error = describeNetworkError(reply.errorText);
        } else if (!reply.statusOk()) {
            const QString message = reply.object.value(QLatin1String("message")).toString().trimmed();
            answer.error = message.isEmpty() ? QStringLiteral("HTTP %1").arg(reply.httpStatus)
                                             : QStringLiteral("HTTP %1: %2").arg(reply.httpStatus).arg(message);
        } else {
            answer.ok = reply.isObject;
        }
        handler(answer);
    }, options);
}

void PublicDiskClient::download(const QUrl &href, const QString &finalPath,
                                std::function<void(qint64, qint64)> progress,
                                std::function<void(const Download &)> done)
{
    abortDownload();
    m_progress = std::move(progress);
    m_done = std::move(done);
    m_finalPath = finalPath;
    m_received = 0;
    m_hash = std::make_unique<QCryptographicHash>(QCryptographicHash::Sha1);
    m_part.setFileName(finalPath + QStringLiteral(".part"));
    if (!m_part.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Download result;
        result.failure = Download::Failure::OpenFailed;
        result.error = m_part.errorString();
        finishDownload(result);
        return;
    }
    QNetworkRequest request(href);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    QNetworkReply *reply = m_network.get(request);
    m_reply = reply;
    m_stall.start(m_stallTimeoutMs);
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (reply != m_reply)
            return;
        const QByteArray chunk = reply->readAll();
        if (m_part.write(chunk) != chunk.size()) {
            reply->abort();
            return;
        }
        m_hash->addData(chunk);
        m_received += chunk.size();
        m_stall.start(m_stallTimeoutMs);
        if (m_progress)
            m_progress(m_received, reply->header(QNetworkRequest::ContentLengthHeader).isValid()
                                       ? reply->header(QNetworkRequest::ContentLengthHeader).toLongLong()
                                       : -1);
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        if (reply != m_reply)
            return;
        m_stall.stop();
        const QByteArray rest = reply->readAll();
        const bool written = m_part.write(rest) == rest.size();
        m_hash->addData(rest);
        m_received += rest.size();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        Download result;
        result.failure = Download::Failure::TransferFailed;
        if (!written || !m_part.flush()) {
            result.error = m_part.errorString();
        } else if (reply->error() != QNetworkReply::NoError) {
            result.error = reply->error() == QNetworkReply::OperationCanceledError && !m_stall.isActive()
                               ? QStringLiteral("загрузка остановилась")
                               : describeNetworkError(reply->errorString());
        } else if (status < 200 || status > 299) {
            result.error = QStringLiteral("HTTP %1").arg(status);
        } else if (length.isValid() && length.toLongLong() != m_received) {
            result.error = QStringLiteral("получено %1 из %2 байт").arg(m_received).arg(length.toLongLong());
        } else {
            result.failure = Download::Failure::None;
        }
        m_part.close();
        if (result.failure == Download::Failure::None) {
            QFile::remove(m_finalPath);
            if (!QFile::rename(m_part.fileName(), m_finalPath)) {
                result.failure = Download::Failure::RenameFailed;
                result.error = m_part.errorString();
            }
        }
        if (result.failure != Download::Failure::None) {
            // Nothing to resume from: a cut-off file is removed, never given the final name.
            QFile::remove(m_part.fileName());
        } else {
            result.size = m_received;
            result.sha1 = QString::fromLatin1(m_hash->result().toHex());
        }
        finishDownload(result);
    });
}

void PublicDiskClient::abortDownload()
{
    if (m_reply) {
        QNetworkReply *reply = m_reply;
        m_reply = nullptr;
        reply->abort();
        m_part.close();
        QFile::remove(m_part.fileName());
    }
    m_stall.stop();
}

void PublicDiskClient::finishDownload(const Download &result)
{
    m_reply = nullptr;
    auto done = std::move(m_done);
    m_done = nullptr;
    m_progress = nullptr;
    if (done)
        done(result);
}
