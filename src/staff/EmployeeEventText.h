#pragma once

#include <QString>
#include <QVariantMap>

// The operator's words for the server's answer to an employee event.
class EmployeeEventText
{
public:
    // Action of a result: action, else state, trimmed and lower-cased.
    static QString action(const QVariantMap &result);
    // Empty when the event and action have no wording.
    static QString describeEventResult(const QString &eventType, const QVariantMap &result,
                                       const QString &name);
};
