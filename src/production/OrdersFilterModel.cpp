#include "production/OrdersFilterModel.h"

#include "production/OrdersModel.h"

OrdersFilterModel::OrdersFilterModel(OrdersModel *orders, QObject *parent)
    : QSortFilterProxyModel(parent), m_orders(orders)
{
    // The model's order is the page's order: no sorting, only filtering.
    setDynamicSortFilter(true);
    setSourceModel(orders);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(this, signal, this, &OrdersFilterModel::noteCount);
    connect(this, &QAbstractItemModel::modelReset, this, &OrdersFilterModel::noteCount);
    connect(this, &QAbstractItemModel::layoutChanged, this, &OrdersFilterModel::noteCount);
    m_lastCount = rowCount();
}

bool OrdersFilterModel::isPictureGroup(const QString &group)
{
    const QString g = group.trimmed().toLower();
    return g == u"paintings" || g == u"kartiny" || g == u"pictures";
}

void OrdersFilterModel::setGroup(const QString &group)
{
    const QString value = group.trimmed();
    if (value == m_group)
        return;
    m_group = value;
    Q_EMIT groupChanged();
    const bool pictures = isPictureGroup(value);
    if (pictures != m_pictures) {
        m_pictures = pictures;
        invalidateRowsFilter();
    }
}

void OrdersFilterModel::setSearch(const QString &search)
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

QVariantMap OrdersFilterModel::rowAt(int row) const
{
    if (!m_orders || row < 0 || row >= rowCount())
        return {};
    return m_orders->rowAt(mapToSource(index(row, 0)).row());
}

bool OrdersFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (!m_orders || sourceParent.isValid() || sourceRow < 0 || sourceRow >= m_orders->count())
        return false;
    if (m_orders->pictureAt(sourceRow) != m_pictures)
        return false;
    return m_needle.isEmpty() || m_orders->searchTextAt(sourceRow).contains(m_needle);
}

void OrdersFilterModel::noteCount()
{
    const int now = rowCount();
    if (now == m_lastCount)
        return;
    m_lastCount = now;
    Q_EMIT countChanged();
}
