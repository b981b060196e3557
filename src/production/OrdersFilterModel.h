#pragma once

#include "common/SearchFilterModel.h"

#include <QPointer>
#include <QString>
#include <QVariantMap>

class OrdersModel;

// The rows of the orders model one tab of the orders page shows: ordinary orders or
// pictures, narrowed by the search text. Row order stays the model's; the proxy
// follows the model's keyed updates, so a snapshot keeps the view's place.
class OrdersFilterModel : public SearchFilterModel
{
    Q_OBJECT
    // "paintings" (also "kartiny", "pictures") for picture rows, anything else for orders.
    Q_PROPERTY(QString group READ group WRITE setGroup NOTIFY groupChanged)

public:
    explicit OrdersFilterModel(OrdersModel *orders = nullptr, QObject *parent = nullptr);

    QString group() const { return m_group; }
    void setGroup(const QString &group);

    // The whole row map at a position of this list, empty outside it.
    Q_INVOKABLE QVariantMap rowAt(int row) const;

    static bool isPictureGroup(const QString &group);

Q_SIGNALS:
    void groupChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    QPointer<OrdersModel> m_orders;
    QString m_group = QStringLiteral("orders");
    bool m_pictures = false;
};
