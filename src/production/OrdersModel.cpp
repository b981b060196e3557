#include "production/OrdersModel.h"

#include "common/JsonRead.h"

#include <QStringList>

namespace {

QVariantList listOf(const QVariantMap &map, const char *key)
{
    return map.value(QLatin1String(key)).toList();
}

QString roleText(const QVariantMap &row, int role)
{
    switch (role) {
    case OrdersModel::KeyRole:
        return variantFirstText(row, {"key", "order_key"});
    case OrdersModel::SourceRole:
        return variantFirstText(row, {"source", "marketplace"});
    case OrdersModel::MarketplaceRole:
        return variantFirstText(row, {"marketplace", "source"});
    case OrdersModel::SourceTypeRole:
        return variantFirstText(row, {"sourceType", "source_type"});
    case OrdersModel::OrderIdRole:
        return variantFirstText(row, {"orderId", "order_id", "externalOrderId", "external_order_id",
                                      "postingNumber", "posting_number", "orderNo", "order_no"});
    case OrdersModel::OrderNoRole:
        return variantFirstText(row, {"orderNo", "order_no"});
    case OrdersModel::ExternalOrderIdRole:
        return variantFirstText(row, {"externalOrderId", "external_order_id", "order_id"});
    case OrdersModel::PostingNumberRole:
        return variantFirstText(row, {"postingNumber", "posting_number"});
    case OrdersModel::BarcodeRole:
        return variantFirstText(row, {"barcode", "rawScan", "raw_scan"});
    case OrdersModel::ScanUidRole:
        return variantFirstText(row, {"productionCode", "production_code", "datamatrix",
                                      "dataMatrix", "data_matrix", "scanUid", "scan_uid",
                                      "uniqueNo", "unique_no"});
    case OrdersModel::SkuRole:
        return variantFirstText(row, {"sku", "article"});
    case OrdersModel::TitleRole:
        return variantFirstText(row, {"title", "name"});
    case OrdersModel::StatusRole:
        return variantFirstText(row, {"status"});
    case OrdersModel::CommentRole:
        return variantFirstText(row, {"comment"});
    case OrdersModel::NoteRole:
        return variantFirstText(row, {"note", "remark"});
    case OrdersModel::UniqueNoRole:
        return variantFirstText(row, {"productionCode", "production_code", "datamatrix",
                                      "dataMatrix", "data_matrix", "uniqueNo", "unique_no",
                                      "scanUid", "scan_uid"});
    case OrdersModel::WorkStatusRole:
        return variantFirstText(row, {"workStatus", "work_status"});
    case OrdersModel::WriteoffSourceRole:
        return variantFirstText(row, {"writeoffSource", "writeoff_source"});
    case OrdersModel::WarehouseTargetRole:
        return variantFirstText(row, {"warehouseTarget", "warehouse_target"});
    case OrdersModel::CreatedAtRole:
        return variantFirstText(row, {"createdAt", "created_at", "ts"});
    case OrdersModel::UpdatedAtRole:
        return variantFirstText(row, {"updatedAt", "updated_at"});
    default:
        return {};
    }
}

// Key groups built once: the snapshot path looks up hundreds of thousands of
// keys, and converting Latin-1 names to QString on every lookup dominated it.
QStringList keyList(std::initializer_list<const char *> keys)
{
    QStringList list;
    for (const char *key : keys)
        list << QString::fromLatin1(key);
    return list;
}

QString firstText(const QVariantMap &row, const QStringList &keys)
{
    for (const QString &key : keys) {
        const auto it = row.constFind(key);
        if (it == row.constEnd())
            continue;
        const QString text = variantToText(*it);
        if (!text.isEmpty())
            return text;
    }
    return {};
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
    const QVariantMap &row = m_rows.at(index.row()).map;
    switch (role) {
    case QtyRole: {
        const auto qty = row.constFind(QStringLiteral("qty"));
        if (qty != row.constEnd())
            return *qty;
        return row.value(QStringLiteral("count"), 0);
    }
    case MlRole:
        return row.value(QStringLiteral("ml"), 0);
    case RawRole:
        return row;
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
    static const QStringList typeKeys = keyList({"source_type", "sourceType", "worksheet", "sheet"});
    static const QStringList articleKeys =
        keyList({"sku", "article", "cell_h", "col_h_sku", "cell_c", "col_c_sku"});
    const QString type = firstText(row, typeKeys).toLower();
    if (type.contains(u"picture") || type.contains(u"kartiny") || type.contains(u"карти"))
        return true;
    const QString article = firstText(row, articleKeys).toUpper();
    return article.startsWith(u"К_") || article.startsWith(u"ПОС_") || article.startsWith(u"POS_");
}

QString OrdersModel::searchTextOf(const QVariantMap &row)
{
    static const QStringList groups[] = {
        keyList({"source", "marketplace"}),
        keyList({"orderId", "order_id", "externalOrderId", "external_order_id", "postingNumber",
                 "posting_number", "orderNo", "order_no"}),
        keyList({"barcode", "rawScan", "raw_scan", "cell_w", "col_w_barcode"}),
        keyList({"sku", "article", "cell_h", "col_h_sku", "cell_c", "col_c_sku"}),
        keyList({"title", "name"}),
        keyList({"productionCode", "production_code", "datamatrix", "dataMatrix", "data_matrix",
                 "scanUid", "scan_uid", "uniqueNo", "unique_no", "cell_ac", "col_ac_uid"}),
        keyList({"status", "workStatus", "work_status"}),
        keyList({"warehouseTarget", "warehouse_target", "writeoffSource", "writeoff_source"}),
        keyList({"comment", "note", "remark"}),
    };
    QString text;
    text.reserve(160);
    for (const QStringList &keys : groups) {
        if (!text.isEmpty())
            text += u' ';
        text += firstText(row, keys);
    }
    return text.toLower();
}

void OrdersModel::applySnapshot(const QVariantMap &snapshot)
{
    QVariantMap root = snapshot;
    const auto wrapped = root.constFind(QStringLiteral("snapshot"));
    if (wrapped != root.constEnd())
        root = wrapped->toMap();
    QVariantMap orders = root.value(QStringLiteral("orders")).toMap();
    if (orders.isEmpty()
        && (root.contains(QStringLiteral("items")) || root.contains(QStringLiteral("summary"))))
        orders = root;

    const QVariantList items = listOf(orders, "items");
    QVector<Row> rows;
    rows.reserve(items.size());
    for (const QVariant &item : items) {
        Row row;
        row.map = item.toMap();
        if (row.map.isEmpty())
            continue;
        row.picture = isPictureRow(row.map);
        row.searchText = searchTextOf(row.map);
        rows.append(std::move(row));
    }

    beginResetModel();
    m_rows = std::move(rows);
    m_summary = orders.value(QStringLiteral("summary")).toMap();
    m_scans = listOf(orders, "scans");
    m_products = listOf(orders, "products");
    m_fbo = listOf(orders, "fbo");
    m_printQueue = listOf(orders, "print_queue");
    if (m_printQueue.isEmpty())
        m_printQueue = listOf(orders, "printQueue");
    m_stockMovements.clear();
    for (const char *key : {"stock_balances", "stockBalances", "stock_movements", "stockMovements"}) {
        m_stockMovements = listOf(orders, key);
        if (!m_stockMovements.isEmpty())
            break;
    }
    m_reprints = listOf(orders, "reprints");
    endResetModel();
    Q_EMIT changed();
}

QVariantMap OrdersModel::rowAt(int index) const
{
    if (index < 0 || index >= m_rows.size())
        return {};
    return m_rows.at(index).map;
}

int OrdersModel::countBySourceGroup(const QString &group, const QString &search) const
{
    const bool pictures = isPictureGroup(group);
    const QString needle = search.trimmed().toLower();
    int total = 0;
    for (const Row &row : m_rows) {
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
    for (const QVariant &item : m_stockMovements) {
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
    beginResetModel();
    m_rows.clear();
    m_summary.clear();
    m_scans.clear();
    m_products.clear();
    m_fbo.clear();
    m_printQueue.clear();
    m_reprints.clear();
    m_stockMovements.clear();
    endResetModel();
    Q_EMIT changed();
}
