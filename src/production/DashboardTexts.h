#pragma once

#include <QString>

// The ready-made texts of the home figures: a value compared with the previous
// period ("↑ +2 к вчера (+20%)", "→ без изменений к вчера").
class DashboardTexts
{
public:
    static QString countDelta(double current, double previous, const QString &suffix);
    static QString areaDelta(double current, double previous, const QString &suffix);
    // " (+20%)", " (-17%)", " (+100%)" from zero, or nothing when unchanged.
    static QString percentage(double current, double previous);
    // "12.34 м²"
    static QString areaText(double area);

    static QString yesterdaySuffix() { return QStringLiteral("к вчера"); }
    static QString previousMonthSuffix() { return QStringLiteral("к прошлому месяцу"); }
    static QString noData() { return QStringLiteral("нет данных"); }
    static QString emptyValue() { return QStringLiteral("—"); }
};
