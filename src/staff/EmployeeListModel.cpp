#include "staff/EmployeeListModel.h"

#include "staff/EmployeeWorkspaceStore.h"

EmployeeListModel::EmployeeListModel(EmployeeWorkspaceStore *store, QObject *parent)
    : QAbstractListModel(parent)
    , m_store(store)
{
    if (m_store)
        connect(m_store, &EmployeeWorkspaceStore::changed, this, &EmployeeListModel::rebuild);
    rebuild();
}

int EmployeeListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant EmployeeListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const QVariantMap row = m_rows.at(index.row()).toMap();
    switch (role) {
    case Qt::DisplayRole:
    case NameRole: return row.value(QStringLiteral("name")).toString();
    case EmployeeIdRole: return row.value(QStringLiteral("id")).toString();
    case RoleRole: return row.value(QStringLiteral("role")).toString();
    case RfidRole: return row.value(QStringLiteral("rfid")).toString();
    case RfidDataRole: return row.value(QStringLiteral("rfidData")).toString();
    case DefaultShiftRole: return row.value(QStringLiteral("defaultShift")).toString();
    case DisplayShiftRole: return row.value(QStringLiteral("displayShift")).toString();
    case MetaRole: return row.value(QStringLiteral("meta")).toString();
    case ActiveRole: return row.value(QStringLiteral("active")).toBool();
    }
    return {};
}

QHash<int, QByteArray> EmployeeListModel::roleNames() const
{
    return {{EmployeeIdRole, "employeeId"},   {NameRole, "name"},
            {RoleRole, "role"},               {RfidRole, "rfid"},
            {RfidDataRole, "rfidData"},       {DefaultShiftRole, "defaultShift"},
            {DisplayShiftRole, "displayShift"}, {MetaRole, "meta"},
            {ActiveRole, "active"}};
}

void EmployeeListModel::setSearch(const QString &value)
{
    const QString text = value.trimmed();
    if (text == m_search)
        return;
    m_search = text;
    rebuild();
    Q_EMIT searchChanged();
}

int EmployeeListModel::indexOfEmployee(const QString &employeeId) const
{
    const QString id = employeeId.trimmed();
    if (id.isEmpty())
        return -1;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).toMap().value(QStringLiteral("id")).toString() == id)
            return i;
    }
    return -1;
}

bool EmployeeListModel::matches(const QVariantMap &row) const
{
    if (m_search.isEmpty())
        return true;
    for (const char *key : {"name", "id", "role", "rfid"}) {
        if (row.value(QLatin1String(key)).toString().contains(m_search, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void EmployeeListModel::rebuild()
{
    QVariantList rows;
    if (m_store) {
        const QVariantList all = m_store->employees();
        for (const QVariant &item : all) {
            const QVariantMap row = item.toMap();
            if (matches(row))
                rows.append(row);
        }
    }
    if (rows == m_rows)
        return;
    const int before = int(m_rows.size());
    beginResetModel();
    m_rows = rows;
    endResetModel();
    if (before != m_rows.size())
        Q_EMIT countChanged();
}
