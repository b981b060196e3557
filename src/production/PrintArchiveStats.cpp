#include "production/PrintArchiveStats.h"

#include "common/JsonRead.h"

#include <QStringList>

namespace {

double firstNumber(const QVariantMap &stats, const QStringList &keys)
{
    for (const QString &key : keys) {
        const auto it = stats.constFind(key);
        if (it != stats.constEnd() && !variantIsEmpty(*it))
            return variantToNumber(*it, 0.0);
    }
    return 0.0;
}

QStringList spellings(const QString &snake)
{
    // "today_wb_area_m2" -> also "todayWbAreaM2"
    QStringList parts = snake.split(u'_');
    QString camel = parts.takeFirst();
    for (const QString &part : parts)
        camel += part.left(1).toUpper() + part.mid(1);
    return {snake, camel};
}

QStringList keysFor(std::initializer_list<const char *> snakeKeys)
{
    QStringList keys;
    for (const char *key : snakeKeys)
        keys << spellings(QLatin1String(key));
    return keys;
}

} // namespace

QVariantMap PrintArchiveStats::read(const QVariantMap &stats)
{
    QVariantMap out;
    const auto put = [&](const char *name, std::initializer_list<const char *> keys) {
        out.insert(QLatin1String(name), firstNumber(stats, keysFor(keys)));
    };
    put("todayCount", {"today_count", "today_prints", "today_total", "today"});
    put("yesterdayCount", {"yesterday_count", "yesterday_prints", "yesterday_total", "yesterday"});
    put("monthCount", {"current_month_count", "month_count", "current_month_prints", "month_prints"});
    put("prevMonthCount", {"prev_month_count", "previous_month_count", "prev_month_prints",
                           "previous_month_prints"});
    put("todayArea", {"today_area", "today_area_m2", "today_m2"});
    put("yesterdayArea", {"yesterday_area", "yesterday_area_m2", "yesterday_m2"});
    put("monthArea", {"current_month_area", "month_area", "month_area_m2",
                      "current_month_area_m2"});
    put("prevMonthArea", {"prev_month_area", "previous_month_area", "prev_month_area_m2",
                          "previous_month_area_m2"});
    for (const char *market : {"wb", "ozon", "ym", "fbo"}) {
        const QString m = QLatin1String(market);
        QStringList countKeys, areaKeys;
        for (const QString &k : {QStringLiteral("today_%1_count").arg(m),
                                 QStringLiteral("today_%1_prints").arg(m),
                                 QStringLiteral("%1_count").arg(m)})
            countKeys << spellings(k);
        for (const QString &k : {QStringLiteral("today_%1_area").arg(m),
                                 QStringLiteral("today_%1_area_m2").arg(m),
                                 QStringLiteral("%1_area").arg(m),
                                 QStringLiteral("%1_area_m2").arg(m)})
            areaKeys << spellings(k);
        out.insert(m + QStringLiteral("Count"), firstNumber(stats, countKeys));
        out.insert(m + QStringLiteral("Area"), firstNumber(stats, areaKeys));
    }
    out.insert(QStringLiteral("raw"), stats);
    return out;
}
