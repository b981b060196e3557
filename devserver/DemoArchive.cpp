#include "DemoData.h"

namespace {

struct DemoPrint
{
    int daysAgo;
    int hour;
    const char *marketplace;
    const char *maket;
    int widthCm;
    int heightCm;
    const char *uid;
    const char *printer;
};

const DemoPrint kPrints[] = {
    {0, 9, "WB", "Пионы в тумане", 300, 270, "P01A7K3M9Q", "Mimaki JV150"},
    {0, 10, "OZON", "Сосновый бор", 350, 270, "P01B8L4N2R", "Mimaki JV150"},
    {0, 11, "YM", "Кот в очках", 30, 30, "P01C9M5P3S", "Epson L805"},
    {0, 12, "FBO", "Кирпичный лофт", 200, 270, "480259", "Mimaki JV150"},
    {1, 10, "WB", "Море на закате", 50, 70, "P01D2N6Q4T", "Epson SureColor"},
    {1, 15, "WB", "Воздушные шары", 250, 270, "480296", "Mimaki JV150"},
    {1, 16, "OZON", "Монстера", 50, 50, "P01E3P7R5U", "Epson L805"},
    {2, 9, "YM", "Ночная Москва", 300, 270, "480333", "Mimaki JV150"},
    {3, 14, "WB", "Белый мрамор", 200, 250, "480370", "Mimaki JV150"},
    {5, 11, "OZON", "Бамбук", 300, 270, "480407", "Mimaki JV150"},
    {34, 13, "WB", "Венеция", 280, 200, "P01F4Q8S6V", "Mimaki JV150"},
};

double area(const DemoPrint &p)
{
    return (p.widthCm / 100.0) * (p.heightCm / 100.0);
}

} // namespace

QJsonObject demoArchiveSection()
{
    QJsonArray events;
    double todayArea = 0, yesterdayArea = 0, monthArea = 0, prevMonthArea = 0;
    int todayCount = 0, yesterdayCount = 0, monthCount = 0, prevMonthCount = 0;
    QJsonObject perMarket;
    const QDate today = QDate::currentDate();
    // Prints are spread over the printers and cutters of the demo staff.
    const char *const printedBy[] = {"E001", "E002", "E004"};
    int index = 0;
    for (const DemoPrint &p : kPrints) {
        const char *employee = printedBy[index++ % 3];
        const QString printed = demoDaysAgo(p.daysAgo, p.hour, 17);
        const QString file = QStringLiteral("печать_%1 %2x%3.jpg").arg(QString::fromUtf8(p.maket)).arg(p.widthCm).arg(p.heightCm);
        const double m2 = qRound(area(p) * 100.0) / 100.0;
        events.append(QJsonObject{
            {"type", "print"}, {"date", printed}, {"printed_at", printed},
            {"file", file}, {"full_path", QStringLiteral("D:/Печать/%1/%2").arg(QLatin1String(p.marketplace), file)},
            {"maket", p.maket}, {"label", p.maket}, {"printer", p.printer}, {"marketplace", p.marketplace},
            {"size_cm", QStringLiteral("%1×%2 см").arg(p.widthCm).arg(p.heightCm)},
            {"area_m2", m2}, {"scan_uid", p.uid}, {"unique_no", p.uid}, {"emp_id", employee},
        });
        const QDate day = today.addDays(-p.daysAgo);
        if (p.daysAgo == 0) {
            todayArea += m2;
            ++todayCount;
            const QString market = QString::fromLatin1(p.marketplace).toLower();
            perMarket.insert(QStringLiteral("today_%1_count").arg(market),
                             perMarket.value(QStringLiteral("today_%1_count").arg(market)).toInt() + 1);
            perMarket.insert(QStringLiteral("today_%1_area").arg(market),
                             perMarket.value(QStringLiteral("today_%1_area").arg(market)).toDouble() + m2);
        } else if (p.daysAgo == 1) {
            yesterdayArea += m2;
            ++yesterdayCount;
        }
        if (day.year() == today.year() && day.month() == today.month()) {
            monthArea += m2;
            ++monthCount;
        } else if (day.addMonths(1).month() == today.month()) {
            prevMonthArea += m2;
            ++prevMonthCount;
        }
    }
    QJsonObject stats{
        {"today_count", todayCount}, {"today_area", todayArea},
        {"yesterday_count", yesterdayCount}, {"yesterday_area", yesterdayArea},
        {"current_month_count", monthCount}, {"current_month_area", monthArea},
        {"prev_month_count", prevMonthCount}, {"prev_month_area", prevMonthArea},
    };
    for (auto it = perMarket.constBegin(); it != perMarket.constEnd(); ++it)
        stats.insert(it.key(), it.value());
    return QJsonObject{{"archive", QJsonObject{{"events", events}}}, {"archive_stats", stats}};
}
