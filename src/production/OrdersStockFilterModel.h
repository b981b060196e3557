#pragma once

#include "common/SearchFilterModel.h"

#include <QString>

// The stock movements of one warehouse ("Склад", "Склад WB", "Склад OZON"), narrowed
// by the search text. The source is a KeyedRowsModel of the stock list; the rules
// are those of OrdersModel::stockCountForWarehouse, so the tab counts and the list agree.
class OrdersStockFilterModel : public SearchFilterModel
{
    Q_OBJECT
    Q_PROPERTY(QString warehouse READ warehouse WRITE setWarehouse NOTIFY warehouseChanged)

public:
    explicit OrdersStockFilterModel(QAbstractItemModel *stockRows = nullptr, QObject *parent = nullptr);

    QString warehouse() const { return m_warehouse; }
    void setWarehouse(const QString &warehouse);

    // A stock element's warehouse label: "warehouse", "kind", "source", else "Склад".
    static QString warehouseOf(const QVariantMap &element);
    // Lower-case text the search looks in: article, marketplace and order key.
    static QString searchTextOf(const QVariantMap &element);

Q_SIGNALS:
    void warehouseChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QString m_warehouse = QStringLiteral("Склад");
};
