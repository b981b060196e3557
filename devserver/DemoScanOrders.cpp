#include "DemoScanOrders.h"

#include "DemoData.h"
#include "DevStore.h"

#include <QJsonObject>

namespace {

struct ScenarioOrder
{
    const char *code;
    bool legacy;
    const char *market;
    const char *sourceType;
    const char *sku;
    const char *title;
    const char *status;
    int qty;
};

const ScenarioOrder kScenario[] = {
    {DemoScan::kPackedWb, false, "WB", "orders", "OB-PEONY-300", "Фотообои «Пионы» 300×270", "new", 1},
    {DemoScan::kPrintLabelYm, false, "YM", "orders", "ST-FOX-30", "Наклейка «Лиса» 30×30", "new", 1},
    {DemoScan::kWaitingOzon, false, "OZON", "orders", "OB-WAVE-250", "Фотообои «Волна» 250×270", "new", 2},
    {DemoScan::kMarketError, false, "WB", "orders", "OB-DUNE-200", "Фотообои «Дюны» 200×270", "new", 1},
    {DemoScan::kDuplicate, false, "WB", "orders", "OB-SNOW-300", "Фотообои «Снег» 300×270", "packed", 1},
    {DemoScan::kCancelled, false, "WB", "pictures", "К_ЛЕС_40х60", "Картина «Лес» 40×60", "cancelled", 1},
    {DemoScan::kStockIn, false, "", "stock", "OB-STOCK-100", "Складской приход «Пионы»", "Приход", 3},
    {DemoScan::kLegacyNew, true, "WB", "orders", "OB-RIVER-300", "Фотообои «Река» 300×270", "new", 1},
    {DemoScan::kLegacyPacked, true, "OZON", "orders", "OB-FIELD-200", "Фотообои «Поле» 200×270", "packed", 1},
};

} // namespace

QJsonArray demoScanScenarioOrders()
{
    QJsonArray rows;
    int n = 0;
    for (const ScenarioOrder &order : kScenario) {
        ++n;
        const QString code = QLatin1String(order.code);
        const QString market = QLatin1String(order.market);
        QJsonObject row{
            {"key", QStringLiteral("scan-%1").arg(code.toLower())},
            {"source", market},
            {"marketplace", market},
            {"source_type", order.sourceType},
            {"order_id", QStringLiteral("77%1").arg(1000 + n)},
            {"sku", QString::fromUtf8(order.sku)},
            {"title", QString::fromUtf8(order.title)},
            {"status", QString::fromUtf8(order.status)},
            {"work_status", QString::fromUtf8(order.status)},
            {"qty", order.qty},
            {"created_at", demoDaysAgo(0, 8, n)},
            {"updated_at", demoDaysAgo(0, 8, n)},
            {"printer", n % 2 ? "Mimaki JV150" : "Epson L805"},
        };
        row.insert(order.legacy ? "unique_no" : "production_code", code);
        if (QLatin1String(order.sourceType) == QLatin1String("stock"))
            row.insert("warehouse_target", QStringLiteral("Склад"));
        rows.append(row);
    }
    return rows;
}

QStringList demoScanScenarioCodes()
{
    QStringList codes;
    for (const ScenarioOrder &order : kScenario)
        codes << QLatin1String(order.code);
    return codes;
}

void addNewWbOrder(DevTenant &tenant, const QString &code)
{
    QJsonObject orders = tenant.data.value(QLatin1String("orders")).toObject();
    QJsonArray items = orders.value(QLatin1String("items")).toArray();
    QJsonObject row;
    row.insert(QLatin1String("key"), QString(QStringLiteral("WB-") + code));
    row.insert(QLatin1String("unique_no"), code);
    row.insert(QLatin1String("barcode"), code);
    row.insert(QLatin1String("marketplace"), QStringLiteral("WB"));
    row.insert(QLatin1String("status"), QStringLiteral("new"));
    items.append(row);
    orders.insert(QLatin1String("items"), items);
    tenant.data.insert(QLatin1String("orders"), orders);
}
