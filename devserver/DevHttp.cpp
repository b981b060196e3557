#include "DevHttp.h"

#include <QJsonDocument>

QByteArray DevRequest::header(const QByteArray &name) const
{
    for (const auto &pair : headers) {
        if (pair.first.compare(name, Qt::CaseInsensitive) == 0)
            return pair.second;
    }
    return QByteArray();
}

QString DevRequest::queryValue(const QString &key) const
{
    return query.queryItemValue(key, QUrl::FullyDecoded).trimmed();
}

QString DevRequest::deviceId() const
{
    QString id = json.value(QStringLiteral("device_id")).toString().trimmed();
    if (id.isEmpty())
        id = queryValue(QStringLiteral("device_id"));
    if (id.isEmpty())
        id = QString::fromUtf8(header("X-Device-Id")).trimmed();
    return id;
}

QString DevRequest::apiKey() const
{
    const QString direct = QString::fromUtf8(header("X-Api-Key")).trimmed();
    if (!direct.isEmpty())
        return direct;
    const QString authorization = QString::fromUtf8(header("Authorization")).trimmed();
    if (authorization.startsWith(QLatin1String("Bearer "), Qt::CaseInsensitive))
        return authorization.mid(7).trimmed();
    return QString();
}

DevResponse DevResponse::json(const QJsonObject &object, int status)
{
    DevResponse response;
    response.status = status;
    response.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
    response.contentType = "application/json; charset=utf-8";
    return response;
}

DevResponse DevResponse::raw(const QByteArray &body, int status, const QByteArray &contentType)
{
    DevResponse response;
    response.status = status;
    response.body = body;
    response.contentType = contentType;
    return response;
}

DevResponse DevResponse::failure(int status, const QString &error, const QString &message)
{
    QJsonObject object{{QStringLiteral("ok"), false}, {QStringLiteral("error"), error}};
    if (!message.isEmpty())
        object.insert(QStringLiteral("message"), message);
    return json(object, status);
}

DevResponse DevResponse::ok(const QJsonObject &object, int status)
{
    QJsonObject merged = object;
    if (!merged.contains(QStringLiteral("ok")))
        merged.insert(QStringLiteral("ok"), true);
    return json(merged, status);
}

QString jsonText(const QJsonObject &object, std::initializer_list<const char *> keys)
{
    for (const char *key : keys) {
        const QJsonValue value = object.value(QLatin1String(key));
        const QString t = value.isDouble() ? QString::number(value.toDouble(), 'g', 15)
                                           : value.toString().trimmed();
        if (!t.isEmpty())
            return t;
    }
    return {};
}
