#include "supplies/WarehouseManualFilter.h"

#include "supplies/WarehouseFileModel.h"

WarehouseManualFilter::WarehouseManualFilter(QObject *parent)
    : SearchFilterModel(parent)
{
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
    if (needle().isEmpty())
        return true;
    // The operator types or scans a barcode; an article or a piece of the file name
    // is just as good for finding a picture by hand.
    for (int role : {WarehouseFileModel::BarcodeRole, WarehouseFileModel::ArticleRole,
                     WarehouseFileModel::FileNameRole}) {
        if (index.data(role).toString().contains(needle(), Qt::CaseInsensitive))
            return true;
    }
    return false;
}
