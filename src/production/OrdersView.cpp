#include "production/OrdersView.h"

#include "production/OrdersModel.h"

OrdersView::OrdersView(OrdersModel *orders, QObject *parent)
    : QObject(parent)
    , m_model(orders)
    , m_orders(orders)
    , m_fbo(QStringList{QStringLiteral("plan_key"), QStringLiteral("planKey"), QStringLiteral("key")})
    , m_printQueue(QStringList{QStringLiteral("queue_key"), QStringLiteral("queueKey"), QStringLiteral("key"),
                               QStringLiteral("order_key")})
    , m_reprints(QStringList{QStringLiteral("reprint_key"), QStringLiteral("reprintKey"), QStringLiteral("key")})
    // Stock elements have no key of their own: they are matched by position.
    , m_stockRows(QStringList{})
    , m_stock(&m_stockRows)
{
    if (orders)
        connect(orders, &OrdersModel::changed, this, &OrdersView::followSideLists);
    followSideLists();
}

void OrdersView::followSideLists()
{
    if (!m_model)
        return;
    const auto follow = [](KeyedRowsModel &rows, QVariantList &last, const QVariantList &now) {
        if (now == last)
            return;
        last = now;
        rows.setRows(now);
    };
    follow(m_fbo, m_lastFbo, m_model->fbo());
    follow(m_printQueue, m_lastQueue, m_model->printQueue());
    follow(m_reprints, m_lastReprints, m_model->reprints());
    follow(m_stockRows, m_lastStock, m_model->stockMovements());
}
