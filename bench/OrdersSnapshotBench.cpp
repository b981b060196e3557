// A snapshot of 20,000 generated orders (about 15 MB of JSON) applied through
// OrdersModel::applySnapshot, then countBySourceGroup("orders", "p01"), beside
// a bare QJsonDocument parse of the same bytes.
#include "production/OrdersModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

QString code(int n)
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

QByteArray snapshotBytes(int count)
{
    static const char *const markets[] = {"WB", "OZON", "YM"};
    QJsonArray items;
    for (int n = 0; n < count; ++n) {
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
            {"status", n % 5 ? "new" : "packed"},
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
    }
    QJsonObject orders{{"items", items},
                       {"summary", QJsonObject{{"total", count}, {"open", count * 4 / 5}}},
                       {"print_queue", QJsonArray()}, {"scans", QJsonArray()}};
    QJsonObject root{{"ok", true}, {"changed", true}, {"revision", "42"},
                     {"snapshot", QJsonObject{{"orders", orders}}}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int orders = argc > 1 ? QByteArray(argv[1]).toInt() : 20000;
    const int rounds = 7;
    const QByteArray bytes = snapshotBytes(orders);
    out << "snapshot: " << orders << " orders, " << QString::number(bytes.size() / 1e6, 'f', 1)
        << " MB of JSON\n";

    std::vector<double> parseMs, convertMs, applyMs, countMs, totalMs;
    int counted = 0;
    OrdersModel model;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const QJsonDocument bare = QJsonDocument::fromJson(bytes);
        parseMs.push_back(timer.nsecsElapsed() / 1e6);
        Q_UNUSED(bare);

        // What the client does with a snapshot: parse, hand the root on as a
        // variant map, apply, count.
        timer.restart();
        const QJsonDocument doc = QJsonDocument::fromJson(bytes);
        const qint64 afterParse = timer.nsecsElapsed();
        const QVariantMap root = doc.object().toVariantMap();
        const qint64 afterConvert = timer.nsecsElapsed();
        model.applySnapshot(root);
        const qint64 afterApply = timer.nsecsElapsed();
        counted = model.countBySourceGroup(QStringLiteral("orders"), QStringLiteral("p01"));
        const qint64 end = timer.nsecsElapsed();
        convertMs.push_back((afterConvert - afterParse) / 1e6);
        applyMs.push_back((afterApply - afterConvert) / 1e6);
        countMs.push_back((end - afterApply) / 1e6);
        totalMs.push_back(end / 1e6);
    }
    const double parse = median(parseMs);
    const double total = median(totalMs);
    out << "rows " << model.count() << ", countBySourceGroup(\"orders\", \"p01\") = " << counted << '\n';
    out << "median of " << rounds << " rounds (ms):\n";
    out << "  bare QJsonDocument parse:      " << QString::number(parse, 'f', 1) << '\n';
    out << "  parse + toVariantMap + apply + count: " << QString::number(total, 'f', 1) << '\n';
    out << "    of which toVariantMap:       " << QString::number(median(convertMs), 'f', 1) << '\n';
    out << "    of which applySnapshot:      " << QString::number(median(applyMs), 'f', 1) << '\n';
    out << "    of which countBySourceGroup: " << QString::number(median(countMs), 'f', 2) << '\n';
    out << "ratio (whole road / bare parse): " << QString::number(total / parse, 'f', 2) << '\n';
    out << "ratio (applySnapshot + count / bare parse): "
        << QString::number((median(applyMs) + median(countMs)) / parse, 'f', 2) << '\n';
    return 0;
}
