#pragma once

// Generated orders snapshots and process figures shared by the orders benchmarks.

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <vector>

#include <time.h>

namespace BenchOrders {

inline QString code(int n)
{
    static const char alphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
    QString text = QStringLiteral("P01");
    quint32 seed = quint32(n) * 2654435761u + 12345u;
    for (int i = 0; i < 7; ++i) {
        text.append(QLatin1Char(alphabet[seed % 32]));
        seed = seed / 32 + 7919u * quint32(i + 1);
    }
    return text;
}

// changedEvery > 0: every changedEvery-th order gets another status, one order in
// a thousand is gone and as many new ones come (a busy workshop between two polls).
inline QByteArray snapshotBytes(int count, int changedEvery = 0)
{
    static const char *const markets[] = {"WB", "OZON", "YM"};
    QJsonArray items;
    for (int n = 0; n < count; ++n) {
        if (changedEvery > 0 && n % 1000 == 7)
            continue;
        const bool picture = n % 4 == 0;
        const QString market = QLatin1String(markets[n % 3]);
        QJsonObject row{
            {"key", QStringLiteral("%1-%2").arg(market.toLower()).arg(2489117300LL + n)},
            {"source", market},
            {"marketplace", market},
            {"source_type", picture ? "pictures" : "wallpaper"},
            {"order_id", QString::number(2489117300LL + n)},
            {"external_order_id", QString::number(2489117300LL + n)},
            {"posting_number", QStringLiteral("0%1-0%2-1").arg(38120455 + n).arg(n % 9)},
            {"barcode", QStringLiteral("46%1").arg(10000000000LL + n * 7331)},
            {"sku", picture ? QStringLiteral("К_МОРЕ_%1").arg(n % 97) : QStringLiteral("OB-ROSE-%1").arg(n % 211)},
            {"title", QStringLiteral("Фотообои «Пионы в тумане» вариант %1, 300×270 см, флизелин").arg(n % 53)},
            {"status", changedEvery > 0 && n % changedEvery == 3 ? "printed" : (n % 5 ? "new" : "packed")},
            {"work_status", n % 5 ? QStringLiteral("в очереди печати") : QStringLiteral("упакован")},
            {"qty", 1 + n % 3},
            {"ml", (n % 17) * 0.5},
            {n % 10 ? "production_code" : "unique_no", n % 10 ? code(n) : QString::number(480000 + n)},
            {"created_at", QStringLiteral("2026-12-05T%1:%2:00").arg(8 + n % 10, 2, 10, QLatin1Char('0')).arg(n % 60, 2, 10, QLatin1Char('0'))},
            {"updated_at", QStringLiteral("2026-12-05T12:%1:00").arg(n % 60, 2, 10, QLatin1Char('0'))},
            {"comment", n % 7 ? QString() : QStringLiteral("Срочно, клиент просил до пятницы")},
            {"note", QStringLiteral("Рулон %1, резак %2").arg(n % 40).arg(1 + n % 2)},
            {"warehouse_target", n % 3 ? "Склад" : "Склад WB"},
            {"writeoff_source", "Склад"},
            {"printer", n % 2 ? "Mimaki JV150" : "Epson SureColor"},
            {"cell_h", picture ? QStringLiteral("К_МОРЕ_%1").arg(n % 97) : QString()},
            {"cell_w", QStringLiteral("46%1").arg(10000000000LL + n * 7331)},
            {"col_ac_uid", n % 10 ? code(n) : QString::number(480000 + n)},
            {"employee_name", n % 2 ? "Ирина Соколова" : "Алексей Морозов"},
        };
        items.append(row);
        if (changedEvery > 0 && n % 1000 == 11) {
            row.insert("key", QStringLiteral("new-%1").arg(n));
            items.append(row);
        }
    }
    QJsonObject orders{{"items", items},
                       {"summary", QJsonObject{{"total", count}, {"open", count * 4 / 5}}},
                       {"print_queue", QJsonArray()}, {"scans", QJsonArray()}};
    QJsonObject root{{"ok", true}, {"changed", true}, {"revision", "42"},
                     {"snapshot", QJsonObject{{"orders", orders}}}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

inline double cpuMs(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

inline qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// A 1 ms timer on the main thread: the longest gap between its ticks is the longest
// time the window could not have painted.
class StallWatch
{
public:
    StallWatch()
    {
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, double(m_tick.nsecsElapsed()) / 1e6);
            m_tick.restart();
        });
    }
    // Forgets the longest gap so far and watches from now.
    void restart()
    {
        m_tick.restart();
        m_longest = 0;
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    double longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_tick;
    double m_longest = 0;
};

} // namespace BenchOrders
