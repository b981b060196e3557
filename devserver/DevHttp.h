#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrlQuery>

#include <functional>
#include <memory>
#include <initializer_list>

struct DevTenant;

// One received request, copied out of the HTTP layer so a handler may run
// later (delayed answers) and never touches the socket.
struct DevRequest
{
    QString method;                              // "GET", "POST", ...
    QString path;                                // decoded path, no query
    QUrlQuery query;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    bool hasJson = false;                        // body parsed as a JSON object
    QJsonObject json;
    QString remote;

    // Filled by authentication for routes that need a tenant.
    DevTenant *tenant = nullptr;

    QByteArray header(const QByteArray &name) const;
    QString queryValue(const QString &key) const;
    // The API key from "X-Api-Key" or "Authorization: Bearer ...".
    QString apiKey() const;
    // The device the request speaks for: "device_id" of the JSON body, else of the
    // query, else the "X-Device-Id" header.
    QString deviceId() const;
};

// A file body sent in pieces after the headers, as a slow link would: download progress
// shows, and a cut-off transfer can be played.
struct DevFileStream
{
    QString filePath;
    qint64 chunkBytes = 64 * 1024;
    int chunkDelayMs = 20;
    qint64 cutAfter = -1;   // close the connection after this many body bytes (-1: never)
};

struct DevResponse
{
    int status = 200;
    QByteArray body;
    QByteArray contentType = "application/json";
    // A note for the request's journal entry (what the answer changed), if any.
    QString outcome;
    std::shared_ptr<DevFileStream> stream;   // when set, the body is this file

    static DevResponse json(const QJsonObject &object, int status = 200);
    static DevResponse raw(const QByteArray &body, int status = 200,
                           const QByteArray &contentType = "text/plain; charset=utf-8");
    // The reply envelope of a failure: {"ok": false, "error": code, "message": text}.
    static DevResponse failure(int status, const QString &error, const QString &message = QString());
    // {"ok": true} merged with the given keys.
    static DevResponse ok(const QJsonObject &object = QJsonObject(), int status = 200);
};

using DevHandler = std::function<DevResponse(DevRequest &)>;

// The first non-empty of the keys as trimmed text (numbers without a trailing ".0").
QString jsonText(const QJsonObject &object, std::initializer_list<const char *> keys);

enum class DevAuth {
    None,     // open: onboarding, version, the development endpoints
    Tenant,   // needs a valid tenant key; blocked tenants and devices get 403
};
