#include "production/OrdersStockFilterModel.h"

#include "common/JsonRead.h"
#include "common/KeyedRowsModel.h"

OrdersStockFilterModel::OrdersStockFilterModel(QAbstractItemModel *stockRows, QObject *parent)
    : SearchFilterModel(parent)
{
    setSourceModel(stockRows);
}

QString OrdersStockFilterModel::warehouseOf(const QVariantMap &element)
{
    return variantFirstText(element, {"warehouse", "kind", "source"}, QStringLiteral("Склад"));
}

QString OrdersStockFilterModel::searchTextOf(const QVariantMap &element)
{
    return (variantFirstText(element, {"sku", "article"}) + u' '
            + variantFirstText(element, {"marketplace", "source"}) + u' '
            + variantFirstText(element, {"order_key", "orderKey"}))
        .toLower();
}

void OrdersStockFilterModel::setWarehouse(const QString &warehouse)
{
    const QString value = warehouse.trimmed();
    if (value == m_warehouse)
        return;
    m_warehouse = value;
    Q_EMIT warehouseChanged();
    invalidateRowsFilter();
}

bool OrdersStockFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const QAbstractItemModel *rows = sourceModel();
    if (!rows)
        return false;
    const QVariantMap element = rows->data(rows->index(sourceRow, 0, sourceParent), KeyedRowsModel::RowRole).toMap();
    if (warehouseOf(element) != m_warehouse)
        return false;
    return needle().isEmpty() || searchTextOf(element).contains(needle());
}

