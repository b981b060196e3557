#include "production/OrdersModel.h"

#include "common/JsonRead.h"
#include "common/LogCategories.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

namespace {

QString roleText(const QJsonObject &row, int role)
{
    switch (role) {
    case OrdersModel::KeyRole:
        return jsonFirstText(row, {"key", "order_key"});
    case OrdersModel::SourceRole:
        return jsonFirstText(row, {"source", "marketplace"});
    case OrdersModel::MarketplaceRole:
        return jsonFirstText(row, {"marketplace", "source"});
    case OrdersModel::SourceTypeRole:
        return jsonFirstText(row, {"sourceType", "source_type"});
    case OrdersModel::OrderIdRole:
        return jsonFirstText(row, {"orderId", "order_id", "externalOrderId", "external_order_id",
                                      "postingNumber", "posting_number", "orderNo", "order_no"});
    case OrdersModel::OrderNoRole:
        return jsonFirstText(row, {"orderNo", "order_no"});
    case OrdersModel::ExternalOrderIdRole:
        return jsonFirstText(row, {"externalOrderId", "external_order_id", "order_id"});
    case OrdersModel::PostingNumberRole:
        return jsonFirstText(row, {"postingNumber", "posting_number"});
    case OrdersModel::BarcodeRole:
        return jsonFirstText(row, {"barcode", "rawScan", "raw_scan"});
    case OrdersModel::ScanUidRole:
        return jsonFirstText(row, {"productionCode", "production_code", "datamatrix",
                                      "dataMatrix", "data_matrix", "scanUid", "scan_uid",
                                      "uniqueNo", "unique_no"});
    case OrdersModel::SkuRole:
        return jsonFirstText(row, {"sku", "article"});
    case OrdersModel::TitleRole:
        return jsonFirstText(row, {"title", "name"});
    case OrdersModel::StatusRole:
        return jsonFirstText(row, {"status"});
    case OrdersModel::CommentRole:
        return jsonFirstText(row, {"comment"});
    case OrdersModel::NoteRole:
        return jsonFirstText(row, {"note", "remark"});
    case OrdersModel::UniqueNoRole:
        return jsonFirstText(row, {"productionCode", "production_code", "datamatrix",
                                      "dataMatrix", "data_matrix", "uniqueNo", "unique_no",
                                      "scanUid", "scan_uid"});
    case OrdersModel::WorkStatusRole:
        return jsonFirstText(row, {"workStatus", "work_status"});
    case OrdersModel::WriteoffSourceRole:
        return jsonFirstText(row, {"writeoffSource", "writeoff_source"});
    case OrdersModel::WarehouseTargetRole:
        return jsonFirstText(row, {"warehouseTarget", "warehouse_target"});
    case OrdersModel::CreatedAtRole:
        return jsonFirstText(row, {"createdAt", "created_at", "ts"});
    case OrdersModel::UpdatedAtRole:
        return jsonFirstText(row, {"updatedAt", "updated_at"});
    default:
        return {};
    }
}

bool isPictureGroup(const QString &group)
{
    const QString g = group.trimmed().toLower();
    return g == u"paintings" || g == u"kartiny" || g == u"pictures";
}

} // namespace

OrdersModel::OrdersModel(QObject *parent) : QAbstractListModel(parent) {}

int OrdersModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant OrdersModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.parent().isValid() || index.row() < 0
        || index.row() >= m_rows.size())
        return {};
    const QJsonObject &row = m_rows.at(index.row()).object;
    switch (role) {
    case QtyRole: {
        const auto qty = row.constFind(QLatin1String("qty"));
        if (qty != row.constEnd())
            return qty->toVariant();
        const auto count = row.constFind(QLatin1String("count"));
        return count != row.constEnd() ? count->toVariant() : QVariant(0);
    }
    case MlRole: {
        const auto ml = row.constFind(QLatin1String("ml"));
        return ml != row.constEnd() ? ml->toVariant() : QVariant(0);
    }
    case RawRole:
        return row.toVariantMap();
    default:
        if (role >= KeyRole && role <= UpdatedAtRole)
            return roleText(row, role);
        return {};
    }
}

QHash<int, QByteArray> OrdersModel::roleNames() const
{
    return {
        {KeyRole, "key"},
        {SourceRole, "source"},
        {MarketplaceRole, "marketplace"},
        {SourceTypeRole, "sourceType"},
        {OrderIdRole, "orderId"},
        {OrderNoRole, "orderNo"},
        {ExternalOrderIdRole, "externalOrderId"},
        {PostingNumberRole, "postingNumber"},
        {BarcodeRole, "barcode"},
        {ScanUidRole, "scanUid"},
        {SkuRole, "sku"},
        {TitleRole, "title"},
        {StatusRole, "status"},
        {CommentRole, "comment"},
        {NoteRole, "note"},
        {QtyRole, "qty"},
        {MlRole, "ml"},
        {UniqueNoRole, "uniqueNo"},
        {WorkStatusRole, "workStatus"},
        {WriteoffSourceRole, "writeoffSource"},
        {WarehouseTargetRole, "warehouseTarget"},
        {CreatedAtRole, "createdAt"},
        {UpdatedAtRole, "updatedAt"},
        {RawRole, "raw"},
    };
}

bool OrdersModel::isPictureRow(const QVariantMap &row)
{
    return OrdersSnapshotPlan::isPictureRow(QJsonObject::fromVariantMap(row));
}

QString OrdersModel::searchTextOf(const QVariantMap &row)
{
    return OrdersSnapshotPlan::searchTextOf(QJsonObject::fromVariantMap(row));
}

void OrdersModel::applySnapshot(const QVariantMap &snapshot)
{
    applySnapshot(QJsonObject::fromVariantMap(snapshot));
}

void OrdersModel::applySnapshot(const QJsonObject &snapshot, const SnapshotItems &items)
{
    m_queue.cancelPending();
    commit(OrdersSnapshotPlan::make(m_rows, m_side, snapshot, items));
}

void OrdersModel::applySnapshotInBackground(const QJsonObject &snapshot, const SnapshotItems &items)
{
    m_queue.cancelPending();
    const quint64 base = m_version;
    m_queue.submit<OrdersSnapshotPlan>(
        [rows = m_rows, side = m_side, snapshot, items] { return OrdersSnapshotPlan::make(rows, side, snapshot, items); },
        // The snapshot is not kept here: its last reference should go on the
        // background thread, which then frees the rows nobody took over.
        [this, base](OrdersSnapshotPlan plan) {
            // Every apply cancels the pending one, so the rows cannot have moved on.
            if (base != m_version) {
                qCWarning(lcProduction) << "orders plan made for other rows; dropped";
                return;
            }
            commit(std::move(plan));
        });
}

void OrdersModel::commit(OrdersSnapshotPlan plan)
{
    const bool rowsChanged = plan.rowsChanged();
    if (rowsChanged) {
        ++m_version;
        if (plan.wantsReset(int(m_rows.size()))) {
            beginResetModel();
            m_rows = std::move(plan.rows);
            endResetModel();
        } else {
            applyRowChanges(plan);
        }
    }
    if (plan.sideChanged)
        m_side = std::move(plan.side);
    if (rowsChanged || plan.sideChanged)
        Q_EMIT changed();
    Q_EMIT snapshotApplied();
}

void OrdersModel::applyRowChanges(OrdersSnapshotPlan &plan)
{
    for (const auto &[first, last] : std::as_const(plan.removals)) {
        beginRemoveRows({}, first, last);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        endRemoveRows();
    }

    if (plan.reordered) {
        // The kept rows sit in their old order; bring them into the new one.
        QVector<int> oldOrder = plan.keptOrder;
        std::sort(oldOrder.begin(), oldOrder.end());
        QHash<int, int> positionNow; // old index -> row now
        for (int i = 0; i < oldOrder.size(); ++i)
            positionNow.insert(oldOrder.at(i), i);
        Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        QVector<OrderRow> rows;
        rows.reserve(m_rows.size());
        QVector<int> target(m_rows.size());
        for (int j = 0; j < plan.keptOrder.size(); ++j) {
            const int now = positionNow.value(plan.keptOrder.at(j));
            rows.append(m_rows.at(now));
            target[now] = j;
        }
        const QModelIndexList from = persistentIndexList();
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex &index : from)
            to.append(this->index(target.at(index.row()), index.column()));
        m_rows = std::move(rows);
        changePersistentIndexList(from, to);
        Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }

    for (const auto &[first, last] : std::as_const(plan.insertions)) {
        beginInsertRows({}, first, last);
        m_rows.insert(first, last - first + 1, OrderRow());
        std::copy(plan.rows.cbegin() + first, plan.rows.cbegin() + last + 1, m_rows.begin() + first);
        endInsertRows();
    }

    // Same rows in the same order now; the updated ones take their new content.
    m_rows = std::move(plan.rows);
    for (const auto &[first, last] : std::as_const(plan.updates))
        Q_EMIT dataChanged(index(first), index(last));
}

QVariantMap OrdersModel::rowAt(int index) const
{
    if (index < 0 || index >= m_rows.size())
        return {};
    return m_rows.at(index).object.toVariantMap();
}

int OrdersModel::countBySourceGroup(const QString &group, const QString &search) const
{
    const bool pictures = isPictureGroup(group);
    const QString needle = search.trimmed().toLower();
    int total = 0;
    for (const OrderRow &row : m_rows) {
        if (row.picture != pictures)
            continue;
        if (needle.isEmpty() || row.searchText.contains(needle))
            ++total;
    }
    return total;
}

int OrdersModel::stockCountForWarehouse(const QString &warehouse, const QString &search) const
{
    const QString wanted = warehouse.trimmed();
    const QString needle = search.trimmed().toLower();
    int total = 0;
    for (const QVariant &item : m_side.stock) {
        const QVariantMap map = item.toMap();
        const QString label =
            variantFirstText(map, {"warehouse", "kind", "source"}, QStringLiteral("Склад"));
        if (label != wanted)
            continue;
        if (!needle.isEmpty()) {
            const QString text = (variantFirstText(map, {"sku", "article"}) + u' '
                                  + variantFirstText(map, {"marketplace", "source"}) + u' '
                                  + variantFirstText(map, {"order_key", "orderKey"}))
                                     .toLower();
            if (!text.contains(needle))
                continue;
        }
        ++total;
    }
    return total;
}

void OrdersModel::clear()
{
    m_queue.cancelPending();
    ++m_version;
    beginResetModel();
    m_rows.clear();
    m_side = OrdersSideLists();
    endResetModel();
    Q_EMIT changed();
}
