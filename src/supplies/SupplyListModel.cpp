#include "supplies/SupplyListModel.h"

#include "common/AtomicFile.h"
#include "common/Journal.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "settings/AppSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

SupplyListModel::SupplyListModel(AppSettings *settings, Journal *eventLog, QObject *parent)
    : QAbstractListModel(parent), m_settings(settings), m_eventLog(eventLog)
{
}

int SupplyListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant SupplyListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const SupplyRow &row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case BarcodeRole: return row.barcode;
    case QtyRole: return row.qty;
    case MarketplaceRole: return row.marketplace;
    case MarketplaceTitleRole: return SupplyCodes::marketplaceTitle(row.marketplace);
    default: return {};
    }
}

QHash<int, QByteArray> SupplyListModel::roleNames() const
{
    return {{BarcodeRole, "barcode"},
            {QtyRole, "qty"},
            {MarketplaceRole, "marketplace"},
            {MarketplaceTitleRole, "marketplaceTitle"}};
}

int SupplyListModel::totalCount() const
{
    int total = 0;
    for (const SupplyRow &row : m_rows)
        total += row.qty;
    return total;
}

void SupplyListModel::info(const QString &message)
{
    if (m_eventLog)
        m_eventLog->addInfo(message);
}

QString SupplyListModel::statePath() const
{
    return m_settings ? m_settings->suppliesStatePath() : QString();
}

void SupplyListModel::load()
{
    QList<SupplyRow> rows;
    const QJsonArray items = readJsonObjectFile(statePath()).value(QLatin1String("items")).toArray();
    for (const QJsonValue &value : items) {
        const QJsonObject item = value.toObject();
        SupplyRow row;
        row.barcode = SupplyCodes::normalizeBarcode(jsonFirstText(item, {"barcode"}));
        if (row.barcode.isEmpty())
            continue;
        row.marketplace = SupplyCodes::normalizeMarketplace(jsonFirstText(item, {"marketplace"}));
        row.qty = std::max(1, int(jsonToNumber(item.value(QLatin1String("qty")), 1)));
        rows.append(row);
    }
    beginResetModel();
    m_rows = rows;
    endResetModel();
    Q_EMIT changed();
}

void SupplyListModel::saveState()
{
    QJsonArray items;
    for (const SupplyRow &row : std::as_const(m_rows)) {
        items.append(QJsonObject{{QStringLiteral("barcode"), row.barcode},
                                 {QStringLiteral("marketplace"), row.marketplace},
                                 {QStringLiteral("qty"), row.qty}});
    }
    const QString path = statePath();
    if (path.isEmpty() || !writeFileAtomically(path, compactJson({{QStringLiteral("items"), items}})))
        qCWarning(lcSupplies) << "supply list state not written to" << path;
}

void SupplyListModel::addBarcode(const QString &barcode, int qty)
{
    addMarketplaceBarcode(barcode, QStringLiteral("wb"), qty);
}

void SupplyListModel::addMarketplaceBarcode(const QString &barcode, const QString &marketplace, int qty)
{
    const QString code = SupplyCodes::normalizeBarcode(barcode);
    const QString market = SupplyCodes::normalizeMarketplace(marketplace);
    const QString title = SupplyCodes::marketplaceTitle(market);
    if (code.isEmpty()) {
        if (m_eventLog)
            m_eventLog->addWarn(QStringLiteral("Поставки/%1: не похож на баркод.").arg(title));
        return;
    }
    const int add = std::max(1, qty);
    const auto it = std::find_if(m_rows.begin(), m_rows.end(), [&](const SupplyRow &row) {
        return row.barcode == code && row.marketplace == market;
    });
    if (it != m_rows.end()) {
        it->qty += add;
        const QModelIndex index = this->index(int(it - m_rows.begin()));
        Q_EMIT dataChanged(index, index, {QtyRole});
        info(QStringLiteral("Поставки/%1: %2 -> %3 шт.").arg(title, code).arg(it->qty));
    } else {
        beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size()));
        m_rows.append(SupplyRow{code, market, add});
        endInsertRows();
        info(QStringLiteral("Поставки/%1: добавлен %2").arg(title, code));
    }
    saveState();
    Q_EMIT changed();
}

void SupplyListModel::changeQty(int row, int delta)
{
    if (row < 0 || row >= m_rows.size() || delta == 0)
        return;
    SupplyRow &entry = m_rows[row];
    const int qty = std::max(1, entry.qty + delta);
    if (qty != entry.qty) {
        entry.qty = qty;
        Q_EMIT dataChanged(index(row), index(row), {QtyRole});
    }
    saveState();
    Q_EMIT changed();
}

void SupplyListModel::removeRow(int row)
{
    if (row < 0 || row >= m_rows.size())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    saveState();
    Q_EMIT changed();
}

void SupplyListModel::clearAll()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
    saveState();
    Q_EMIT changed();
    info(QStringLiteral("Поставки: локальный буфер очищен."));
}

QString SupplyListModel::exportCsv(const QString &path)
{
    const QString target = path.trimmed();
    if (target.isEmpty())
        return {};
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        qCWarning(lcSupplies) << "CSV export failed" << target << file.errorString();
        return {};
    }
    const QByteArray bytes = SupplyCsv::bytes(m_rows);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        qCWarning(lcSupplies) << "CSV export incomplete" << target << file.errorString();
        return {};
    }
    file.close();
    info(QStringLiteral("Поставки: CSV сохранён: %1").arg(target));
    return target;
}

QString SupplyListModel::exportDefaultCsv()
{
    if (!m_settings)
        return {};
    const QString folder = QDir(m_settings->appDataDir()).filePath(QStringLiteral("exports"));
    if (!QDir().mkpath(folder))
        return {};
    const QString name = QStringLiteral("postavka_%1.csv")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss")));
    return exportCsv(QDir(folder).filePath(name));
}
