#pragma once

#include "supplies/WarehouseEntry.h"

#include <QAbstractListModel>
#include <QList>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <functional>

class AppSettings;
class Journal;
class PrintArchiveStore;
class ScanConfirmer;
class WarehouseLookup;

// The ready label files of one marketplace ("wb", "ozon" or "ym"): lists them, finds
// the file of a scanned code, prints it on the label printer and renames it as printed.
// A print normally follows a confirmation by the server (through the scene) or by the
// spreadsheet; printing from the list by hand is allowed only for some articles.
class WarehouseFileModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int entryCount READ entryCount NOTIFY modelChanged)
    Q_PROPERTY(int manualEntryCount READ manualEntryCount NOTIFY modelChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    Q_PROPERTY(QString busyLabel READ busyLabel NOTIFY busyChanged)

public:
    enum Role {
        FileNameRole = Qt::UserRole + 1,
        FullPathRole,
        ModeRole,
        BarcodeRole,
        ArticleRole,
        LabelRole,
        SourceWarehouseRole,
        SourceSectionRole,
        SelfbuyRole,
        ManualPrintAllowedRole,
    };

    // path, printer name, error text out, copies
    using PrintFunction = std::function<bool(const QString &, const QString &, QString *, int)>;

    WarehouseFileModel(AppSettings *settings, Journal *eventLog, ScanConfirmer *gsClient,
                       PrintArchiveStore *archive, const QString &market, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int entryCount() const { return int(m_entries.size()); }
    int manualEntryCount() const;
    bool busy() const { return m_busy; }
    QString busyLabel() const { return m_busyLabel; }
    QString market() const { return m_market; }
    // The folder of this marketplace from the settings.
    QString folder() const;

    // printLabelFile unless replaced.
    void setPrintFunction(PrintFunction print) { m_print = std::move(print); }

    Q_INVOKABLE void reload();
    Q_INVOKABLE QVariantMap printRow(int row);
    Q_INVOKABLE QVariantMap rowInfo(int row) const;
    Q_INVOKABLE QVariantMap findBarcode(const QString &raw);
    Q_INVOKABLE QVariantMap printBarcode(const QString &raw, bool confirmGs = false);
    Q_INVOKABLE QString marketTitle() const;
    Q_INVOKABLE QString marketHint() const;

Q_SIGNALS:
    void printed();
    void modelChanged();
    void busyChanged();

private:
    int indexOfCode(const QString &raw) const;
    QVariantMap resultFor(const QString &barcode, const WarehouseEntry *entry, bool ok) const;
    QVariantMap printEntry(const WarehouseEntry &entry, bool confirmGs);
    bool printFile(const WarehouseEntry &entry, bool confirmGs);
    QString printerName() const;
    void applyPlaces();
    void setBusy(bool busy, const QString &label);
    void log(int level, const QString &message) const;

    AppSettings *m_settings = nullptr;
    Journal *m_eventLog = nullptr;
    ScanConfirmer *m_gsClient = nullptr;
    QPointer<PrintArchiveStore> m_archive;
    QString m_market;
    WarehouseLookup *m_lookup = nullptr;
    PrintFunction m_print;

    QList<WarehouseEntry> m_entries;
    QString m_missingFolderReported;
    QStringList m_hiddenReported;
    bool m_busy = false;
    QString m_busyLabel;
};
