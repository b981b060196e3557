#include "DemoData.h"
#include "DemoScanOrders.h"

namespace {

// Production codes: "P01" + 7 characters of the code alphabet (no 0, 1, I, O).
QString productionCode(int n)
{
    static const char alphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";
    QString code = QStringLiteral("P01");
    quint32 seed = 7919u * quint32(n + 11) + 104729u;
    for (int i = 0; i < 7; ++i) {
        code.append(QLatin1Char(alphabet[seed % 32]));
        seed = seed / 32 + 2654435761u * quint32(i + n + 1);
    }
    return code;
}

struct DemoOrder
{
    const char *source;       // WB, OZON, YM
    const char *sourceType;   // "orders" or "pictures"
    const char *sku;
    const char *title;
    const char *status;
    const char *workStatus;
    int qty;
    bool legacyUid;           // numeric UID of the old label printer instead of P01…
    int daysAgo;
};

const DemoOrder kOrders[] = {
    {"WB", "orders", "OB-ROSE-300", "Фотообои «Пионы в тумане» 300×270", "new", "в очереди печати", 1, false, 0},
    {"WB", "orders", "OB-LOFT-200", "Фотообои «Кирпичный лофт» 200×270", "in_work", "печать", 1, false, 0},
    {"OZON", "orders", "OB-FOREST-350", "Фотообои «Сосновый бор» 350×270", "new", "в очереди печати", 1, false, 0},
    {"YM", "orders", "ST-CAT-30", "Наклейка «Кот в очках» 30×30", "packed", "упакован", 3, false, 0},
    {"WB", "pictures", "К_МОРЕ_50х70", "Картина на холсте «Море на закате» 50×70", "in_work", "натяжка", 1, false, 0},
    {"OZON", "pictures", "К_ГОРЫ_40х60", "Картина на холсте «Горы Алтая» 40×60", "new", "в очереди печати", 1, false, 1},
    {"WB", "orders", "OB-KIDS-250", "Фотообои «Воздушные шары» 250×270", "packed", "упакован", 1, true, 1},
    {"YM", "orders", "OB-CITY-300", "Фотообои «Ночная Москва» 300×270", "shipped", "отгружен", 1, true, 2},
    {"WB", "pictures", "ПОС_ЛЕВ_60х90", "Постер «Лев» 60×90", "new", "в очереди печати", 2, false, 0},
    {"OZON", "orders", "ST-PLANTS-50", "Наклейки «Монстера» 50×50", "in_work", "резка", 4, false, 0},
    {"WB", "orders", "OB-MARBLE-200", "Фотообои «Белый мрамор» 200×250", "cancelled", "отменён", 1, true, 3},
    {"YM", "pictures", "К_ЦВЕТЫ_30х40", "Картина «Полевые цветы» 30×40", "packed", "упакован", 1, false, 1},
    {"WB", "orders", "FR-VENICE-280", "Фреска «Венеция» 280×200", "in_work", "печать", 1, false, 0},
    {"OZON", "orders", "OB-BAMBOO-300", "Фотообои «Бамбук» 300×270", "new", "в очереди печати", 1, true, 2},
    {"WB", "orders", "ST-MAP-100", "Наклейка «Карта мира» 100×60", "new", "в очереди печати", 1, false, 0},
    {"YM", "orders", "OB-SKY-400", "Фотообои «Небо с облаками» 400×270", "in_work", "печать", 1, false, 0},
};

QString orderId(const DemoOrder &order, int n)
{
    const QString market = QLatin1String(order.source);
    if (market == QLatin1String("OZON"))
        return QStringLiteral("0%1-0%2-1").arg(38120455 + n * 131).arg(7 + n % 3);
    if (market == QLatin1String("YM"))
        return QString::number(51234870 + n * 977);
    return QString::number(2489117300LL + n * 4421);
}

} // namespace

QJsonObject demoOrdersSection()
{
    QJsonArray items;
    QJsonArray printQueue;
    QJsonArray scans;
    int open = 0;
    int packedToday = 0;
    int n = 0;
    for (const DemoOrder &order : kOrders) {
        ++n;
        const QString id = orderId(order, n);
        const QString created = demoDaysAgo(order.daysAgo, 8 + n % 9, (n * 7) % 60);
        QJsonObject row{
            {"key", QStringLiteral("%1-%2").arg(QString::fromLatin1(order.source).toLower(), id)},
            {"source", order.source},
            {"marketplace", order.source},
            {"source_type", order.sourceType},
            {"order_id", id},
            {"sku", QString::fromUtf8(order.sku)},
            {"title", QString::fromUtf8(order.title)},
            {"status", order.status},
            {"work_status", QString::fromUtf8(order.workStatus)},
            {"qty", order.qty},
            {"barcode", QStringLiteral("46%1").arg(10000000000LL + n * 7331)},
            {"created_at", created},
            {"updated_at", demoDaysAgo(0, 9, n)},
        };
        if (QLatin1String(order.source) == QLatin1String("OZON"))
            row.insert("posting_number", id);
        if (order.legacyUid)
            row.insert("unique_no", QString::number(480000 + n * 37));
        else
            row.insert("production_code", productionCode(n));
        items.append(row);

        const QString status = QLatin1String(order.status);
        if (status == QLatin1String("new") || status == QLatin1String("in_work"))
            ++open;
        if (status == QLatin1String("packed") && order.daysAgo == 0)
            ++packedToday;
        if (status == QLatin1String("new"))
            printQueue.append(QJsonObject{{"order_key", row.value("key")}, {"title", row.value("title")},
                                          {"uid", row.value(order.legacyUid ? "unique_no" : "production_code")},
                                          {"marketplace", order.source}, {"qty", order.qty}});
        if (status == QLatin1String("packed") || status == QLatin1String("in_work"))
            scans.append(QJsonObject{{"ts", demoDaysAgo(order.daysAgo, 10 + n % 7, n % 60)},
                                     {"raw_scan", row.value(order.legacyUid ? "unique_no" : "production_code")},
                                     {"order_key", row.value("key")}, {"result", "ok"},
                                     {"employee_name", n % 2 ? "Ирина Соколова" : "Алексей Морозов"}});
    }

    for (const QJsonValue &row : demoScanScenarioOrders())
        items.append(row);

    const QJsonArray stock{
        QJsonObject{{"warehouse", "Склад"}, {"sku", "OB-ROSE-300"}, {"marketplace", "WB"}, {"qty", 4}},
        QJsonObject{{"warehouse", "Склад"}, {"sku", "ST-CAT-30"}, {"marketplace", "YM"}, {"qty", 25}},
        QJsonObject{{"warehouse", "FBO Коледино"}, {"sku", "OB-LOFT-200"}, {"marketplace", "WB"}, {"qty", 9}},
        QJsonObject{{"warehouse", "FBO Хоругвино"}, {"sku", "OB-FOREST-350"}, {"marketplace", "OZON"}, {"qty", 6}},
    };
    const QJsonArray reprints{
        QJsonObject{{"reprint_key", "rp-demo-1"}, {"order_key", "wb-2489125142"}, {"source_order_key", "wb-2489125142"},
                    {"marketplace", "WB"}, {"sku", "OB-LOFT-200"}, {"title", "Фотообои «Кирпичный лофт» 200×270"},
                    {"strip_no", 2}, {"printer", "Mimaki JV150"}, {"status", "Печать"},
                    {"reason", "Полосы на печати"}, {"requested_by", "Ирина Соколова"},
                    {"ts", demoDaysAgo(0, 11, 20)}},
    };
    const QJsonArray fbo{
        QJsonObject{{"plan_key", "fbo-wb-loft"}, {"warehouse", "Коледино"}, {"marketplace", "WB"}, {"sku", "OB-LOFT-200"},
                    {"planned", 20}, {"done", 11}, {"manual_prio", 1}, {"in_prod", 3}, {"local_stock", 2}},
        QJsonObject{{"plan_key", "fbo-ozon-forest"}, {"warehouse", "Хоругвино"}, {"marketplace", "OZON"},
                    {"sku", "OB-FOREST-350"}, {"planned", 12}, {"done", 6}, {"manual_prio", 0}, {"in_prod", 1},
                    {"local_stock", 0}},
    };
    const QJsonArray products{
        QJsonObject{{"sku", "OB-ROSE-300"}, {"title", "Фотообои «Пионы в тумане»"}, {"price", 3490}},
        QJsonObject{{"sku", "К_МОРЕ_50х70"}, {"title", "Картина «Море на закате»"}, {"price", 2790}},
    };

    return QJsonObject{{"orders", QJsonObject{
        {"items", items},
        {"summary", QJsonObject{{"total", items.size()}, {"open", open}, {"todayPacked", packedToday},
                                {"todayUnknown", 1}}},
        {"scans", scans},
        {"print_queue", printQueue},
        {"reprints", reprints},
        {"fbo", fbo},
        {"products", products},
        {"stock_balances", stock},
    }}};
}
