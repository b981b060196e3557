#include "production/OrdersStockFilterModel.h"

#include "common/JsonRead.h"
#include "common/KeyedRowsModel.h"

OrdersStockFilterModel::OrdersStockFilterModel(QAbstractItemModel *stockRows, QObject *parent)
    : QSortFilterProxyModel(parent)
{
    setDynamicSortFilter(true);
    setSourceModel(stockRows);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(this, signal, this, &OrdersStockFilterModel::noteCount);
    connect(this, &QAbstractItemModel::modelReset, this, &OrdersStockFilterModel::noteCount);
    connect(this, &QAbstractItemModel::layoutChanged, this, &OrdersStockFilterModel::noteCount);
    m_lastCount = rowCount();
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

void OrdersStockFilterModel::setSearch(const QString &search)
{
    if (search == m_search)
        return;
    m_search = search;
    Q_EMIT searchChanged();
    const QString needle = search.trimmed().toLower();
    if (needle != m_needle) {
        m_needle = needle;
        invalidateRowsFilter();
    }
}

bool OrdersStockFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const QAbstractItemModel *rows = sourceModel();
    if (!rows)
        return false;
    const QVariantMap element = rows->data(rows->index(sourceRow, 0, sourceParent), KeyedRowsModel::RowRole).toMap();
    if (warehouseOf(element) != m_warehouse)
        return false;
    return m_needle.isEmpty() || searchTextOf(element).contains(m_needle);
}

void OrdersStockFilterModel::noteCount()
{
    const int now = rowCount();
    if (now == m_lastCount)
        return;
    m_lastCount = now;
    Q_EMIT countChanged();
}
