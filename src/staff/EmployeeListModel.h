#pragma once

#include <QAbstractListModel>
#include <QPointer>
#include <QString>
#include <QVariantList>

class EmployeeWorkspaceStore;

// The staff page's employee list: the store's view rows narrowed by the search text
// (name, id, role or card UID). Rebuilt whenever the store changes; a rebuild that
// leaves the rows as they were signals nothing, so the list keeps its scroll position
// through every snapshot.
class EmployeeListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(QString search READ search WRITE setSearch NOTIFY searchChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role {
        EmployeeIdRole = Qt::UserRole + 1,
        NameRole,
        RoleRole,
        RfidRole,
        RfidDataRole,
        DefaultShiftRole,
        DisplayShiftRole,
        MetaRole,
        ActiveRole,
    };

    explicit EmployeeListModel(EmployeeWorkspaceStore *store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    QString search() const { return m_search; }
    void setSearch(const QString &value);
    int count() const { return int(m_rows.size()); }

    // The row of an employee id in this list, -1 when it is filtered out or unknown.
    Q_INVOKABLE int indexOfEmployee(const QString &employeeId) const;

Q_SIGNALS:
    void searchChanged();
    void countChanged();

private:
    void rebuild();
    bool matches(const QVariantMap &row) const;

    QPointer<EmployeeWorkspaceStore> m_store;
    QString m_search;
    QVariantList m_rows;
};
