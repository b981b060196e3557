#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QStringList>
#include <QVariantList>

// A list of row maps for a ListView that follows a list the backend rebuilds whole
// (for instance on every snapshot). Rows are matched by one key field, so a rebuild
// that changes nothing emits nothing, a changed row emits dataChanged and new, gone or
// moved rows are inserted, removed or moved: the view keeps its scroll position and
// its current item instead of being reset.
class KeyedRowsModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role { RowRole = Qt::UserRole + 1, KeyRole };

    explicit KeyedRowsModel(const QString &keyField, QObject *parent = nullptr);
    // The key is the first of these fields whose value is not empty (servers spell keys
    // differently); with no fields every row is keyed by its position.
    explicit KeyedRowsModel(const QStringList &keyFields, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_rows.size()); }
    // The row map at a position, empty when out of range.
    Q_INVOKABLE QVariantMap get(int row) const;

    void setRows(const QVariantList &rows);

Q_SIGNALS:
    void countChanged();

private:
    QString keyOf(const QVariant &row, int position) const;

    QStringList m_keyFields;
    QVariantList m_rows;
    QStringList m_keys;
};
