#include "production/DashboardTexts.h"

#include <QtMath>

namespace {

constexpr double kAreaEpsilon = 0.001;

QString delta(double current, double previous, const QString &suffix, bool equal, const QString &differenceText)
{
    if (equal)
        return QStringLiteral("→ без изменений %1").arg(suffix);
    const QString pct = DashboardTexts::percentage(current, previous);
    if (current - previous < 0)
        return QStringLiteral("↓ %1 %2%3").arg(differenceText, suffix, pct);
    return QStringLiteral("↑ +%1 %2%3").arg(differenceText, suffix, pct);
}

} // namespace

QString DashboardTexts::countDelta(double current, double previous, const QString &suffix)
{
    const qint64 difference = qRound64(current) - qRound64(previous);
    return delta(current, previous, suffix, difference == 0, QString::number(difference));
}

QString DashboardTexts::areaDelta(double current, double previous, const QString &suffix)
{
    const double difference = current - previous;
    return delta(current, previous, suffix, qAbs(difference) < kAreaEpsilon, areaText(difference));
}

QString DashboardTexts::percentage(double current, double previous)
{
    if (qAbs(current - previous) < kAreaEpsilon)
        return {};
    if (qAbs(previous) < kAreaEpsilon)
        return current > 0 ? QStringLiteral(" (+100%)") : QString();
    const qint64 value = qRound64((current - previous) * 100.0 / previous);
    return QStringLiteral(" (%1%2%)").arg(value > 0 ? QStringLiteral("+") : QString()).arg(value);
}

QString DashboardTexts::areaText(double area)
{
    // -0.00 would read oddly after rounding a tiny negative difference.
    const double rounded = qRound64(area * 100.0) / 100.0;
    return QString::number(rounded == 0.0 ? 0.0 : rounded, 'f', 2) + QStringLiteral(" м²");
}
