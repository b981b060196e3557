#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QVector>

// Production orders of the last snapshot, plus the other production lists that
// come with it (scan log, products, FBO plan, print queue, reprints, stock).
// Each applySnapshot replaces everything.
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
    QVariantMap summary() const { return m_summary; }
    QVariantList scans() const { return m_scans; }
    QVariantList products() const { return m_products; }
    QVariantList fbo() const { return m_fbo; }
    QVariantList printQueue() const { return m_printQueue; }
    QVariantList reprints() const { return m_reprints; }
    QVariantList stockMovements() const { return m_stockMovements; }

    Q_INVOKABLE void applySnapshot(const QVariantMap &snapshot);
    Q_INVOKABLE QVariantMap rowAt(int index) const;
    Q_INVOKABLE int countBySourceGroup(const QString &group, const QString &search) const;
    Q_INVOKABLE int stockCountForWarehouse(const QString &warehouse, const QString &search) const;
    Q_INVOKABLE void clear();

    // Row classification, also used by the page's filters.
    static bool isPictureRow(const QVariantMap &row);
    static QString searchTextOf(const QVariantMap &row);

Q_SIGNALS:
    void changed();

private:
    struct Row
    {
        QVariantMap map;
        QString searchText; // lower case, computed once per snapshot
        bool picture = false;
    };

    QVector<Row> m_rows;
    QVariantMap m_summary;
    QVariantList m_scans;
    QVariantList m_products;
    QVariantList m_fbo;
    QVariantList m_printQueue;
    QVariantList m_reprints;
    QVariantList m_stockMovements;
};
