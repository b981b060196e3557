#include "production/OrdersFilterModel.h"

#include "production/OrdersModel.h"

OrdersFilterModel::OrdersFilterModel(OrdersModel *orders, QObject *parent)
    : SearchFilterModel(parent), m_orders(orders)
{
    setSourceModel(orders);
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
    return needle().isEmpty() || m_orders->searchTextAt(sourceRow).contains(needle());
}

