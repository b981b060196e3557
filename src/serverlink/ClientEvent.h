#pragma once

#include <QJsonObject>
#include <QString>

class AppSettings;

// Client events: a POST to the settings' event endpoint with the body
// {"event_type": <name>, "payload": {identity fields, then the event's own fields}}.

// "tenant_id", "device_id", "device_name", "client_id" (only those the settings
// hold) and "client_ts" (UTC now, ISO 8601 with milliseconds).
QJsonObject clientEventIdentity(const AppSettings *settings);

// The request body: the identity fields merged with fields (fields win on a clash).
QJsonObject clientEventEnvelope(const AppSettings *settings, const QString &eventType,
                                const QJsonObject &fields);
