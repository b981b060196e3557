#pragma once

#include "common/KeyedRowsModel.h"
#include "production/OrdersFilterModel.h"
#include "production/OrdersStockFilterModel.h"

#include <QObject>
#include <QPointer>
#include <QVariantList>

class OrdersModel;

// The lists of the orders page over the orders model: the filtered orders, and the
// FBO plan, print queue, reprints and stock of the same snapshot as keyed row models,
// so each snapshot updates them in place. The page sets the filters; all filtering
// happens here, never over whole lists in the scene.
class OrdersView : public QObject
{
    Q_OBJECT
    Q_PROPERTY(OrdersFilterModel *orders READ orders CONSTANT)
    Q_PROPERTY(KeyedRowsModel *fbo READ fbo CONSTANT)
    Q_PROPERTY(KeyedRowsModel *printQueue READ printQueue CONSTANT)
    Q_PROPERTY(KeyedRowsModel *reprints READ reprints CONSTANT)
    Q_PROPERTY(OrdersStockFilterModel *stock READ stock CONSTANT)

public:
    explicit OrdersView(OrdersModel *orders, QObject *parent = nullptr);

    OrdersFilterModel *orders() { return &m_orders; }
    KeyedRowsModel *fbo() { return &m_fbo; }
    KeyedRowsModel *printQueue() { return &m_printQueue; }
    KeyedRowsModel *reprints() { return &m_reprints; }
    OrdersStockFilterModel *stock() { return &m_stock; }
    KeyedRowsModel *stockRows() { return &m_stockRows; }

private:
    void followSideLists();

    QPointer<OrdersModel> m_model;
    OrdersFilterModel m_orders;
    KeyedRowsModel m_fbo;
    KeyedRowsModel m_printQueue;
    KeyedRowsModel m_reprints;
    KeyedRowsModel m_stockRows;
    OrdersStockFilterModel m_stock;
    // The lists last handed on; an unchanged list shares its data and compares at once.
    QVariantList m_lastFbo, m_lastQueue, m_lastReprints, m_lastStock;
};
