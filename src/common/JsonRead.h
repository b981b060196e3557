#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <initializer_list>

// Reading JSON and variant maps that come from the server or from old files.
// A value is looked up under a list of alternative keys (usually the snake-case
// and the camel-case spelling); the first present, non-empty one wins.

using JsonKeys = std::initializer_list<const char *>;

// Null, undefined and blank strings count as empty; everything else is a value.
bool jsonIsEmpty(const QJsonValue &value);
bool variantIsEmpty(const QVariant &value);

QJsonValue jsonFirstValue(const QJsonObject &object, JsonKeys keys);
QVariant variantFirstValue(const QVariantMap &map, JsonKeys keys);

// Text form of a scalar (numbers without a trailing ".0", bools as "true"/"false"), trimmed.
QString jsonToText(const QJsonValue &value);
QString variantToText(const QVariant &value);
QString jsonFirstText(const QJsonObject &object, JsonKeys keys, const QString &fallback = {});
QString variantFirstText(const QVariantMap &map, JsonKeys keys, const QString &fallback = {});

// Bool-like values: bools, numbers (non-zero is true) and words such as "1", "yes", "да".
bool jsonToBool(const QJsonValue &value, bool fallback);
bool variantToBool(const QVariant &value, bool fallback);

// Numbers, also when sent as text ("12,5" is read with a comma as decimal separator).
double jsonToNumber(const QJsonValue &value, double fallback = 0.0);
double variantToNumber(const QVariant &value, double fallback = 0.0);

// The object in the bytes; empty when they are not valid JSON or not an object.
QJsonObject jsonObjectFromBytes(const QByteArray &bytes);
// The object stored in a file; empty when the file is missing, unreadable or not an object.
QJsonObject readJsonObjectFile(const QString &path);

QByteArray compactJson(const QJsonObject &object);
QString compactJsonText(const QJsonObject &object);
