#include "settings/OrderedJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

QByteArray scalarText(const QJsonValue &value)
{
    // Qt only serialises documents; wrap the scalar and strip the brackets.
    QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return text.mid(1, text.size() - 2);
}

QByteArray valueText(const QJsonValue &value)
{
    QByteArray text;
    if (value.isObject())
        text = QJsonDocument(value.toObject()).toJson(QJsonDocument::Indented);
    else if (value.isArray())
        text = QJsonDocument(value.toArray()).toJson(QJsonDocument::Indented);
    else
        return scalarText(value);
    if (text.endsWith('\n'))
        text.chop(1);
    text.replace("\n", "\n    ");
    return text;
}

} // namespace

void OrderedJson::insert(const QString &key, const QJsonValue &value)
{
    for (auto &field : m_fields) {
        if (field.first == key) {
            field.second = value;
            return;
        }
    }
    m_fields.append({key, value});
}

void OrderedJson::insertText(const QString &key, const QString &value)
{
    const QString text = value.trimmed();
    if (!text.isEmpty())
        insert(key, text);
}

void OrderedJson::insertIfNotEmpty(const QString &key, const QJsonValue &value)
{
    if (value.isArray() && value.toArray().isEmpty())
        return;
    if (value.isObject() && value.toObject().isEmpty())
        return;
    if (value.isNull() || value.isUndefined())
        return;
    insert(key, value);
}

QJsonObject OrderedJson::toObject() const
{
    QJsonObject object;
    for (const auto &field : m_fields)
        object.insert(field.first, field.second);
    return object;
}

QByteArray OrderedJson::toIndentedJson() const
{
    QByteArray out("{\n");
    for (int i = 0; i < m_fields.size(); ++i) {
        out += "    ";
        out += scalarText(QJsonValue(m_fields.at(i).first));
        out += ": ";
        out += valueText(m_fields.at(i).second);
        if (i + 1 < m_fields.size())
            out += ',';
        out += '\n';
    }
    out += "}\n";
    return out;
}
