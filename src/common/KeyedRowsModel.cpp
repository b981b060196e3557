#include "common/KeyedRowsModel.h"

#include <QHash>
#include <QSet>

KeyedRowsModel::KeyedRowsModel(const QString &keyField, QObject *parent)
    : KeyedRowsModel(QStringList{keyField}, parent)
{
}

KeyedRowsModel::KeyedRowsModel(const QStringList &keyFields, QObject *parent)
    : QAbstractListModel(parent), m_keyFields(keyFields)
{
}

int KeyedRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant KeyedRowsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case RowRole:
        return m_rows.at(index.row());
    case KeyRole:
        return m_keys.at(index.row());
    }
    return {};
}

QHash<int, QByteArray> KeyedRowsModel::roleNames() const
{
    return {{RowRole, "row"}, {KeyRole, "rowKey"}};
}

QVariantMap KeyedRowsModel::get(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).toMap() : QVariantMap();
}

QString KeyedRowsModel::keyOf(const QVariant &row, int position) const
{
    const QVariantMap map = row.toMap();
    QString key;
    for (const QString &field : m_keyFields) {
        key = map.value(field).toString().trimmed();
        if (!key.isEmpty())
            break;
    }
    // Rows without a key still get a stable identity: their position.
    return key.isEmpty() ? QStringLiteral("#%1").arg(position) : key;
}

void KeyedRowsModel::setRows(const QVariantList &rows)
{
    const int before = count();
    QStringList keys;
    keys.reserve(rows.size());
    QSet<QString> seen;
    seen.reserve(rows.size());
    // A repeated key would make the matching ambiguous; later copies get a suffix
    // (', '', ...). Each key remembers how far its copies got, so a list full of
    // one key stays linear.
    QHash<QString, int> copies;
    for (int i = 0; i < rows.size(); ++i) {
        QString key = keyOf(rows.at(i), i);
        if (seen.contains(key)) {
            int &suffix = copies[key];
            QString copy = key + QString(++suffix, QLatin1Char('\''));
            while (seen.contains(copy)) {
                copy += QLatin1Char('\'');
                ++suffix;
            }
            key = std::move(copy);
        }
        seen.insert(key);
        keys << key;
    }

    // 1. Rows whose key is gone, from the end so positions stay valid.
    for (int i = int(m_keys.size()) - 1; i >= 0; --i) {
        if (seen.contains(m_keys.at(i)))
            continue;
        beginRemoveRows({}, i, i);
        m_rows.removeAt(i);
        m_keys.removeAt(i);
        endRemoveRows();
    }

    // 2. Walk the new order: keep, move into place, or insert.
    for (int i = 0; i < keys.size(); ++i) {
        const QString &key = keys.at(i);
        if (i < m_keys.size() && m_keys.at(i) == key) {
            if (m_rows.at(i) != rows.at(i)) {
                m_rows[i] = rows.at(i);
                const QModelIndex at = index(i);
                Q_EMIT dataChanged(at, at, {RowRole});
            }
            continue;
        }
        const int from = m_keys.indexOf(key, i);
        if (from > i) {
            beginMoveRows({}, from, from, {}, i);
            m_rows.move(from, i);
            m_keys.move(from, i);
            endMoveRows();
            if (m_rows.at(i) != rows.at(i)) {
                m_rows[i] = rows.at(i);
                const QModelIndex at = index(i);
                Q_EMIT dataChanged(at, at, {RowRole});
            }
        } else {
            beginInsertRows({}, i, i);
            m_rows.insert(i, rows.at(i));
            m_keys.insert(i, key);
            endInsertRows();
        }
    }
    if (count() != before)
        Q_EMIT countChanged();
}
