#include "production/OrdersSnapshotPlan.h"

#include "common/JsonRead.h"

#include <QHash>
#include <QStringList>

namespace {

// Key names as QString once: a snapshot means hundreds of thousands of lookups.
QStringList keyList(std::initializer_list<const char *> keys)
{
    QStringList list;
    for (const char *key : keys)
        list << QString::fromLatin1(key);
    return list;
}

QString firstText(const QJsonObject &row, const QStringList &keys)
{
    for (const QString &key : keys) {
        const auto it = row.constFind(key);
        if (it == row.constEnd())
            continue;
        const QString text = jsonToText(*it);
        if (!text.isEmpty())
            return text;
    }
    return {};
}

QJsonArray arrayOf(const QJsonObject &orders, const char *key)
{
    return orders.value(QLatin1String(key)).toArray();
}

OrdersSideLists sideListsOf(const QJsonObject &orders)
{
    OrdersSideLists side;
    side.summaryJson = orders.value(QLatin1String("summary")).toObject();
    side.scansJson = arrayOf(orders, "scans");
    side.productsJson = arrayOf(orders, "products");
    side.fboJson = arrayOf(orders, "fbo");
    side.printQueueJson = arrayOf(orders, "print_queue");
    if (side.printQueueJson.isEmpty())
        side.printQueueJson = arrayOf(orders, "printQueue");
    side.reprintsJson = arrayOf(orders, "reprints");
    for (const char *key : {"stock_balances", "stockBalances", "stock_movements", "stockMovements"}) {
        side.stockJson = arrayOf(orders, key);
        if (!side.stockJson.isEmpty())
            break;
    }
    return side;
}

bool sameSide(const OrdersSideLists &a, const OrdersSideLists &b)
{
    return a.summaryJson == b.summaryJson && a.scansJson == b.scansJson && a.productsJson == b.productsJson
        && a.fboJson == b.fboJson && a.printQueueJson == b.printQueueJson && a.reprintsJson == b.reprintsJson
        && a.stockJson == b.stockJson;
}

void fillVariants(OrdersSideLists &side)
{
    side.summary = side.summaryJson.toVariantMap();
    side.scans = side.scansJson.toVariantList();
    side.products = side.productsJson.toVariantList();
    side.fbo = side.fboJson.toVariantList();
    side.printQueue = side.printQueueJson.toVariantList();
    side.reprints = side.reprintsJson.toVariantList();
    side.stock = side.stockJson.toVariantList();
}

// Consecutive indices as first/last runs.
QVector<QPair<int, int>> runsOf(const QVector<int> &sorted)
{
    QVector<QPair<int, int>> runs;
    for (int index : sorted) {
        if (!runs.isEmpty() && runs.last().second + 1 == index)
            runs.last().second = index;
        else
            runs.append({index, index});
    }
    return runs;
}

} // namespace

bool OrdersSnapshotPlan::isPictureRow(const QJsonObject &row)
{
    static const QStringList typeKeys = keyList({"source_type", "sourceType", "worksheet", "sheet"});
    static const QStringList articleKeys = keyList({"sku", "article", "cell_h", "col_h_sku", "cell_c", "col_c_sku"});
    const QString type = firstText(row, typeKeys).toLower();
    if (type.contains(u"picture") || type.contains(u"kartiny") || type.contains(u"карти"))
        return true;
    const QString article = firstText(row, articleKeys).toUpper();
    return article.startsWith(u"К_") || article.startsWith(u"ПОС_") || article.startsWith(u"POS_");
}

QString OrdersSnapshotPlan::searchTextOf(const QJsonObject &row)
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

bool OrdersSnapshotPlan::wantsReset(int oldCount) const
{
    // Each removal or insertion run moves the tail of the rows once.
    const qsizetype runs = removals.size() + insertions.size();
    return runs > 64 || (oldCount > 0 && rows.isEmpty() && runs > 1);
}

OrdersSnapshotPlan OrdersSnapshotPlan::make(const QVector<OrderRow> &current, const OrdersSideLists &currentSide,
                                            const QJsonObject &snapshot, const SnapshotItems &items)
{
    static const QStringList identityKeys = keyList({"key", "order_key"});
    QJsonObject root = snapshot;
    const auto wrapped = root.constFind(QLatin1String("snapshot"));
    if (wrapped != root.constEnd())
        root = wrapped->toObject();
    QJsonObject orders = root.value(QLatin1String("orders")).toObject();
    if (orders.isEmpty() && (root.contains(QLatin1String("items")) || root.contains(QLatin1String("summary"))))
        orders = root;

    OrdersSnapshotPlan plan;
    plan.side = sideListsOf(orders);
    plan.sideChanged = !sameSide(plan.side, currentSide);
    if (plan.sideChanged)
        fillVariants(plan.side);

    // Made when the first row needs it: an unchanged snapshot never does.
    QHash<QString, int> oldIndex;
    const auto oldRowOf = [&](const QString &identity) {
        if (oldIndex.isEmpty() && !current.isEmpty()) {
            oldIndex.reserve(current.size());
            for (int i = 0; i < current.size(); ++i)
                oldIndex.insert(current.at(i).identity, i);
        }
        return oldIndex.value(identity, -1);
    };

    const QJsonArray array = items.isCut() ? QJsonArray() : orders.value(QLatin1String("items")).toArray();
    const qsizetype count = items.isCut() ? items.items().size() : array.size();
    plan.rows.reserve(count);
    QHash<QString, int> seen;
    seen.reserve(count);
    const auto identityOf = [&](const QString &key) {
        int &occurrence = seen[key];
        const QString identity = occurrence == 0 ? key : key + QLatin1Char('#') + QString::number(occurrence);
        ++occurrence;
        return identity;
    };
    QVector<bool> kept(current.size(), false);
    QVector<int> inserted, updated;
    int cursor = 0; // the old row expected next: the one after the last kept

    const auto keep = [&](int old, size_t digest, qsizetype bytes) {
        kept[old] = true;
        plan.keptOrder.append(old);
        cursor = old + 1;
        OrderRow row = current.at(old);
        row.digest = digest;
        row.bytes = bytes;
        plan.rows.append(std::move(row));
    };
    const auto place = [&](const QJsonObject &object, size_t digest, qsizetype bytes) {
        if (object.isEmpty())
            return;
        OrderRow row;
        row.object = object;
        row.digest = digest;
        row.bytes = bytes;
        row.key = firstText(row.object, identityKeys);
        row.identity = identityOf(row.key);

        const int newIndex = int(plan.rows.size());
        const int old = oldRowOf(row.identity);
        if (old >= 0 && !kept.at(old)) {
            const OrderRow &before = current.at(old);
            if ((bytes >= 0 && before.bytes == bytes && before.digest == digest) || before.object == row.object) {
                keep(old, digest, bytes);
                return;
            }
            kept[old] = true;
            plan.keptOrder.append(old);
            cursor = old + 1;
            updated.append(newIndex);
        } else {
            inserted.append(newIndex);
        }
        row.picture = isPictureRow(row.object);
        row.searchText = searchTextOf(row.object);
        plan.rows.append(std::move(row));
    };

    if (items.isCut()) {
        for (const SnapshotItems::Item &item : items.items()) {
            // The same bytes as the row that stood here: the same row, unless an
            // earlier repeat of its key moved its occurrence.
            if (cursor < current.size() && !kept.at(cursor)) {
                const OrderRow &before = current.at(cursor);
                if (before.bytes == item.size && before.digest == item.digest) {
                    int &occurrence = seen[before.key];
                    if (before.identity
                        == (occurrence == 0 ? before.key
                                            : before.key + QLatin1Char('#') + QString::number(occurrence))) {
                        ++occurrence;
                        keep(cursor, item.digest, item.size);
                        continue;
                    }
                }
            }
            place(items.objectOf(item), item.digest, item.size);
        }
    } else {
        for (const QJsonValue &item : array)
            place(item.toObject(), 0, -1);
    }

    QVector<int> removed;
    for (int i = int(current.size()) - 1; i >= 0; --i) {
        if (!kept.at(i))
            removed.append(i);
    }
    // Descending runs: removing one never shifts the next.
    for (int index : std::as_const(removed)) {
        if (!plan.removals.isEmpty() && plan.removals.last().first - 1 == index)
            plan.removals.last().first = index;
        else
            plan.removals.append({index, index});
    }
    for (int i = 1; i < plan.keptOrder.size(); ++i) {
        if (plan.keptOrder.at(i) < plan.keptOrder.at(i - 1)) {
            plan.reordered = true;
            break;
        }
    }
    plan.insertions = runsOf(inserted);
    plan.updates = runsOf(updated);
    return plan;
}
