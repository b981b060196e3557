#include "supplies/WarehouseManualFilter.h"

#include "supplies/WarehouseFileModel.h"

WarehouseManualFilter::WarehouseManualFilter(QObject *parent)
    : QSortFilterProxyModel(parent)
{
    // A reload resets the source; a lookup answer only changes labels, which may
    // not move a row in or out, but the filter follows them anyway.
    setDynamicSortFilter(true);
}

void WarehouseManualFilter::setSearch(const QString &value)
{
    const QString text = value.trimmed();
    if (text == m_search)
        return;
    m_search = text;
    invalidateRowsFilter();
    Q_EMIT searchChanged();
}

int WarehouseManualFilter::sourceRow(int row) const
{
    const QModelIndex source = mapToSource(index(row, 0));
    return source.isValid() ? source.row() : -1;
}

bool WarehouseManualFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const QAbstractItemModel *model = sourceModel();
    if (!model)
        return false;
    const QModelIndex index = model->index(sourceRow, 0, sourceParent);
    if (!index.data(WarehouseFileModel::ManualPrintAllowedRole).toBool())
        return false;
    if (m_search.isEmpty())
        return true;
    // The operator types or scans a barcode; an article or a piece of the file name
    // is just as good for finding a picture by hand.
    for (int role : {WarehouseFileModel::BarcodeRole, WarehouseFileModel::ArticleRole,
                     WarehouseFileModel::FileNameRole}) {
        if (index.data(role).toString().contains(m_search, Qt::CaseInsensitive))
            return true;
    }
    return false;
}
