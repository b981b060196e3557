#pragma once

#include <QSortFilterProxyModel>
#include <QString>

// A list narrowed by a search text, in the source's own order, with a row count the
// scene can bind to. Subclasses decide what a row must match; needle() is the search
// trimmed and in lower case, empty when there is nothing to look for.
class SearchFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_PROPERTY(QString search READ search WRITE setSearch NOTIFY searchChanged)
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    explicit SearchFilterModel(QObject *parent = nullptr);

    QString search() const { return m_search; }
    void setSearch(const QString &search);
    int count() const { return rowCount(); }

Q_SIGNALS:
    void searchChanged();
    void countChanged();

protected:
    const QString &needle() const { return m_needle; }

private:
    void noteCount();

    QString m_search;
    QString m_needle;
    int m_lastCount = 0;
};
