#pragma once

#include "common/BackgroundQueue.h"
#include "production/OrdersSnapshotPlan.h"

#include <QAbstractListModel>
#include <QJsonObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QVector>

// Production orders of the last snapshot, plus the other production lists that
// come with it (scan log, products, FBO plan, print queue, reprints, stock).
// A snapshot replaces everything, but only what differs reaches the views: rows
// are matched by their order key and removed, moved, inserted or updated with the
// matching signals; an unchanged snapshot emits nothing.
class OrdersModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY changed)
    Q_PROPERTY(QVariantMap summary READ summary NOTIFY changed)
    Q_PROPERTY(QVariantList scans READ scans NOTIFY changed)
    Q_PROPERTY(QVariantList products READ products NOTIFY changed)
    Q_PROPERTY(QVariantList fbo READ fbo NOTIFY changed)
    Q_PROPERTY(QVariantList printQueue READ printQueue NOTIFY changed)
    Q_PROPERTY(QVariantList reprints READ reprints NOTIFY changed)
    Q_PROPERTY(QVariantList stockMovements READ stockMovements NOTIFY changed)

public:
    enum Role {
        KeyRole = Qt::UserRole + 1,
        SourceRole,
        MarketplaceRole,
        SourceTypeRole,
        OrderIdRole,
        OrderNoRole,
        ExternalOrderIdRole,
        PostingNumberRole,
        BarcodeRole,
        ScanUidRole,
        SkuRole,
        TitleRole,
        StatusRole,
        CommentRole,
        NoteRole,
        QtyRole,
        MlRole,
        UniqueNoRole,
        WorkStatusRole,
        WriteoffSourceRole,
        WarehouseTargetRole,
        CreatedAtRole,
        UpdatedAtRole,
        RawRole,
    };
    Q_ENUM(Role)

    explicit OrdersModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_rows.size()); }
    QVariantMap summary() const { return m_side.summary; }
    QVariantList scans() const { return m_side.scans; }
    QVariantList products() const { return m_side.products; }
    QVariantList fbo() const { return m_side.fbo; }
    QVariantList printQueue() const { return m_side.printQueue; }
    QVariantList reprints() const { return m_side.reprints; }
    QVariantList stockMovements() const { return m_side.stock; }

    Q_INVOKABLE void applySnapshot(const QVariantMap &snapshot);
    void applySnapshot(const QJsonObject &snapshot, const SnapshotItems &items = {});
    // Works the difference out on a background thread and applies it here later
    // (snapshotApplied). Any later apply or clear makes a pending one stale.
    // items: the orders' items when they were cut out of the snapshot's body.
    void applySnapshotInBackground(const QJsonObject &snapshot, const SnapshotItems &items = {});
    bool applyPending() const { return m_queue.busy(); }
    Q_INVOKABLE QVariantMap rowAt(int index) const;
    Q_INVOKABLE int countBySourceGroup(const QString &group, const QString &search) const;
    Q_INVOKABLE int stockCountForWarehouse(const QString &warehouse, const QString &search) const;
    Q_INVOKABLE void clear();

    // What the page's filters read of a row, worked out once per snapshot.
    bool pictureAt(int row) const { return m_rows.at(row).picture; }
    const QString &searchTextAt(int row) const { return m_rows.at(row).searchText; }

    // Row classification, also used by the page's filters.
    static bool isPictureRow(const QVariantMap &row);
    static QString searchTextOf(const QVariantMap &row);

Q_SIGNALS:
    void changed();
    // A snapshot has been applied (whether or not anything changed).
    void snapshotApplied();

private:
    void commit(OrdersSnapshotPlan plan);
    void applyRowChanges(OrdersSnapshotPlan &plan);

    QVector<OrderRow> m_rows;
    OrdersSideLists m_side;
    quint64 m_version = 0; // counts commits, so a plan knows the rows it was made for
    BackgroundQueue m_queue;
};
