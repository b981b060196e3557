#include "common/SearchFilterModel.h"

SearchFilterModel::SearchFilterModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    // The source's order is the page's order: no sorting, only filtering.
    setDynamicSortFilter(true);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(this, signal, this, &SearchFilterModel::noteCount);
    connect(this, &QAbstractItemModel::modelReset, this, &SearchFilterModel::noteCount);
    connect(this, &QAbstractItemModel::layoutChanged, this, &SearchFilterModel::noteCount);
}

void SearchFilterModel::setSearch(const QString &search)
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

void SearchFilterModel::noteCount()
{
    const int now = rowCount();
    if (now == m_lastCount)
        return;
    m_lastCount = now;
    Q_EMIT countChanged();
}
