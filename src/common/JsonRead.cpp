#include "common/JsonRead.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

QString numberText(double number)
{
    return QString::number(number, 'g', 15);
}

bool wordToBool(const QString &raw, bool fallback)
{
    const QString word = raw.trimmed().toLower();
    if (word == u"1" || word == u"true" || word == u"yes" || word == u"on" || word == u"да" || word == u"y")
        return true;
    if (word == u"0" || word == u"false" || word == u"no" || word == u"off" || word == u"нет" || word == u"n")
        return false;
    return fallback;
}

double textToNumber(const QString &raw, double fallback)
{
    QString text = raw.trimmed();
    text.replace(u',', u'.');
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : fallback;
}

} // namespace

bool jsonIsEmpty(const QJsonValue &value)
{
    if (value.isNull() || value.isUndefined())
        return true;
    if (value.isString())
        return value.toString().trimmed().isEmpty();
    return false;
}

bool variantIsEmpty(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return true;
    if (value.typeId() == QMetaType::QString)
        return value.toString().trimmed().isEmpty();
    return false;
}

QJsonValue jsonFirstValue(const QJsonObject &object, JsonKeys keys)
{
    for (const char *key : keys) {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!jsonIsEmpty(value))
            return value;
    }
    return QJsonValue(QJsonValue::Undefined);
}

QVariant variantFirstValue(const QVariantMap &map, JsonKeys keys)
{
    for (const char *key : keys) {
        const auto it = map.constFind(QLatin1String(key));
        if (it != map.constEnd() && !variantIsEmpty(*it))
            return *it;
    }
    return {};
}

QString jsonToText(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString().trimmed();
    case QJsonValue::Double:
        return numberText(value.toDouble());
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return {};
    }
}

QString variantToText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return numberText(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::QVariantMap:
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        return {};
    default:
        return value.toString().trimmed();
    }
}

QString jsonFirstText(const QJsonObject &object, JsonKeys keys, const QString &fallback)
{
    for (const char *key : keys) {
        const QString text = jsonToText(object.value(QLatin1String(key)));
        if (!text.isEmpty())
            return text;
    }
    return fallback;
}

QString variantFirstText(const QVariantMap &map, JsonKeys keys, const QString &fallback)
{
    for (const char *key : keys) {
        const QString text = variantToText(map.value(QLatin1String(key)));
        if (!text.isEmpty())
            return text;
    }
    return fallback;
}

bool jsonToBool(const QJsonValue &value, bool fallback)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double:
        return value.toDouble() != 0.0;
    case QJsonValue::String:
        return wordToBool(value.toString(), fallback);
    default:
        return fallback;
    }
}

bool variantToBool(const QVariant &value, bool fallback)
{
    if (!value.isValid() || value.isNull())
        return fallback;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return wordToBool(value.toString(), fallback);
    default:
        bool ok = false;
        const double number = value.toDouble(&ok);
        return ok ? number != 0.0 : fallback;
    }
}

double jsonToNumber(const QJsonValue &value, double fallback)
{
    if (value.isDouble())
        return value.toDouble();
    if (value.isString())
        return textToNumber(value.toString(), fallback);
    if (value.isBool())
        return value.toBool() ? 1.0 : 0.0;
    return fallback;
}

double variantToNumber(const QVariant &value, double fallback)
{
    if (!value.isValid() || value.isNull())
        return fallback;
    if (value.typeId() == QMetaType::QString)
        return textToNumber(value.toString(), fallback);
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? number : fallback;
}

QJsonObject jsonObjectFromBytes(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return {};
    return doc.object();
}

QJsonObject readJsonObjectFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return jsonObjectFromBytes(file.readAll());
}

QByteArray compactJson(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString compactJsonText(const QJsonObject &object)
{
    return QString::fromUtf8(compactJson(object));
}
