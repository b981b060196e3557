#pragma once

#include <QDate>
#include <QDateTime>
#include <QJsonValue>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

// Reading the loosely typed staff data of server replies, snapshots and the cache.
class StaffParsing
{
public:
    // An array gives its elements; an object gives the first array under items,
    // list, rows, events, employees, attendance, archive; anything else nothing.
    static QVariantList jsonToList(const QJsonValue &value);
    static QVariantMap jsonToMap(const QJsonValue &value);
    // True when the value is a list jsonToList can read (an array, or an object
    // holding one), so a wrong type can be told from a real empty list.
    static bool isListLike(const QJsonValue &value);

    // ISO 8601, "yyyy-MM-dd HH:mm:ss", "dd.MM.yyyy HH:mm:ss", else a date at midnight.
    static QDateTime parseDateTime(const QString &text);
    // "yyyy-MM-dd", "dd.MM.yyyy", "dd-MM-yyyy", "dd/MM/yyyy", "yyyy/MM/dd", then
    // the date part of the date-time forms.
    static QDate parseDate(const QString &text);

    // "%1 ч" with at most one decimal (comma), e.g. "7,5 ч", "0 ч".
    static QString hoursText(double hours);
    static QString minutesAsHoursText(qint64 minutes) { return hoursText(minutes / 60.0); }
};
