#pragma once

#include "supplies/SupplyRow.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>

class AppSettings;
class Journal;

// The scan list of a marketplace supply being packed: quantities per barcode and
// marketplace, kept in "supplies_state.json" across restarts and exported as CSV for
// the marketplace's supply form.
class SupplyListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int totalCount READ totalCount NOTIFY changed)
    Q_PROPERTY(int uniqueCount READ uniqueCount NOTIFY changed)

public:
    enum Role {
        BarcodeRole = Qt::UserRole + 1,
        QtyRole,
        MarketplaceRole,
        MarketplaceTitleRole,
    };

    SupplyListModel(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int totalCount() const;
    int uniqueCount() const { return int(m_rows.size()); }
    const QList<SupplyRow> &rows() const { return m_rows; }

    Q_INVOKABLE void load();
    Q_INVOKABLE void addBarcode(const QString &barcode, int qty = 1);
    Q_INVOKABLE void addMarketplaceBarcode(const QString &barcode, const QString &marketplace, int qty = 1);
    Q_INVOKABLE void changeQty(int row, int delta);
    Q_INVOKABLE void removeRow(int row);
    Q_INVOKABLE void clearAll();
    Q_INVOKABLE QString exportCsv(const QString &path);
    Q_INVOKABLE QString exportDefaultCsv();

Q_SIGNALS:
    void changed();

private:
    QString statePath() const;
    void saveState();
    void info(const QString &message);

    AppSettings *m_settings = nullptr;
    Journal *m_eventLog = nullptr;
    QList<SupplyRow> m_rows;
};
