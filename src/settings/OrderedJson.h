#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QPair>
#include <QString>

// A JSON object whose top-level keys keep the order they were added in.
// QJsonObject sorts its keys, but the settings files are written in a fixed,
// human-friendly order; nested values keep Qt's own layout.
class OrderedJson
{
public:
    void insert(const QString &key, const QJsonValue &value);
    // Adds a string only when its trimmed text is not empty.
    void insertText(const QString &key, const QString &value);
    // Adds an array or object only when it is not empty.
    void insertIfNotEmpty(const QString &key, const QJsonValue &value);

    bool isEmpty() const { return m_fields.isEmpty(); }
    QJsonObject toObject() const;
    // Indented text in the same layout as QJsonDocument::Indented.
    QByteArray toIndentedJson() const;

private:
    QList<QPair<QString, QJsonValue>> m_fields;
};
