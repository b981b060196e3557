#include "staff/StaffParsing.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>

namespace {

const char *const kListKeys[] = {"items", "list", "rows", "events", "employees", "attendance", "archive"};

QDateTime dateTimeOnly(const QString &t)
{
    QDateTime time = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!time.isValid())
        time = QDateTime::fromString(t, Qt::ISODate);
    if (!time.isValid())
        time = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!time.isValid())
        time = QDateTime::fromString(t, QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    // Times with a zone are shown in the workshop's local time.
    if (time.isValid() && time.timeSpec() != Qt::LocalTime)
        time = time.toLocalTime();
    return time;
}

} // namespace

QVariantList StaffParsing::jsonToList(const QJsonValue &value)
{
    if (value.isArray())
        return value.toArray().toVariantList();
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (const char *key : kListKeys) {
            const QJsonValue inner = object.value(QLatin1String(key));
            if (inner.isArray())
                return inner.toArray().toVariantList();
        }
    }
    return {};
}

bool StaffParsing::isListLike(const QJsonValue &value)
{
    if (value.isArray())
        return true;
    if (!value.isObject())
        return false;
    const QJsonObject object = value.toObject();
    for (const char *key : kListKeys) {
        if (object.value(QLatin1String(key)).isArray())
            return true;
    }
    return false;
}

QVariantMap StaffParsing::jsonToMap(const QJsonValue &value)
{
    return value.isObject() ? value.toObject().toVariantMap() : QVariantMap();
}

QDateTime StaffParsing::parseDateTime(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    const QDateTime time = dateTimeOnly(t);
    if (time.isValid())
        return time;
    const QDate date = parseDate(t);
    return date.isValid() ? date.startOfDay() : QDateTime();
}

QDate StaffParsing::parseDate(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    for (const QString &format : {QStringLiteral("yyyy-MM-dd"), QStringLiteral("dd.MM.yyyy"),
                                  QStringLiteral("dd-MM-yyyy"), QStringLiteral("dd/MM/yyyy"),
                                  QStringLiteral("yyyy/MM/dd")}) {
        const QDate date = QDate::fromString(t, format);
        if (date.isValid())
            return date;
    }
    return dateTimeOnly(t).date();
}

QString StaffParsing::hoursText(double hours)
{
    const double rounded = std::round(hours * 10.0) / 10.0;
    QString number = QString::number(rounded, 'f', 1);
    if (number.endsWith(QLatin1String(".0")))
        number.chop(2);
    number.replace(u'.', u',');
    if (number == QLatin1String("-0"))
        number = QStringLiteral("0");
    return number + QStringLiteral(" ч");
}
