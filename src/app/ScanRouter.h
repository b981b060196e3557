#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

class AppSettings;
class ConsumablesService;
class EmployeeWorkspaceStore;
class Journal;
class LocalToolsService;
class OrdersApiService;
class SupplyListModel;
class UidPrintService;
class WarehouseFileModel;

// Where every hardware scan goes: to the employee registry (badge, card), to the
// choice of a scanner's workplace (cutter QR), to the consumables write-off, to the
// supply list, to the warehouse label files or, by default, to the server as an order
// scan, whose verdict may then print a label. Two cutters on one PC stay apart through
// the workplace chosen per scanner and the employee last seen per workplace.
//
// The scene sets the page shown and the tabs of the pages; everything else comes from
// the scanners, the RFID reader and the server's answers.
class ScanRouter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantMap scannerWorkplaces READ scannerWorkplaces NOTIFY scannerWorkplacesChanged)
    Q_PROPERTY(QVariantMap localActiveCutters READ localActiveCutters NOTIFY localActiveCuttersChanged)
    Q_PROPERTY(QVariantMap pendingWarehousePrints READ pendingWarehousePrints NOTIFY pendingWarehousePrintsChanged)
    Q_PROPERTY(QString pageKey READ pageKey WRITE setPageKey NOTIFY pageKeyChanged)
    Q_PROPERTY(QString suppliesMarket READ suppliesMarket WRITE setSuppliesMarket NOTIFY suppliesMarketChanged)
    Q_PROPERTY(QString consumablesTab READ consumablesTab WRITE setConsumablesTab NOTIFY consumablesTabChanged)
    Q_PROPERTY(QString warehouseTab READ warehouseTab WRITE setWarehouseTab NOTIFY warehouseTabChanged)
    Q_PROPERTY(bool employeeEditorOpen READ employeeEditorOpen WRITE setEmployeeEditorOpen
                   NOTIFY employeeEditorOpenChanged)

public:
    // The services a scan may be handed to; each may be null (that road is then closed).
    struct Services
    {
        AppSettings *settings = nullptr;
        Journal *journal = nullptr;
        LocalToolsService *localTools = nullptr;
        EmployeeWorkspaceStore *employees = nullptr;
        ConsumablesService *consumables = nullptr;
        SupplyListModel *supplies = nullptr;
        WarehouseFileModel *warehouseWb = nullptr;
        WarehouseFileModel *warehouseOzon = nullptr;
        WarehouseFileModel *warehouseYm = nullptr;
        OrdersApiService *ordersApi = nullptr;
        UidPrintService *uidPrint = nullptr;
    };

    explicit ScanRouter(const Services &services, QObject *parent = nullptr);

    QVariantMap scannerWorkplaces() const { return m_scannerWorkplaces; }
    QVariantMap localActiveCutters() const { return m_localActiveCutters; }
    QVariantMap pendingWarehousePrints() const;
    QString pageKey() const { return m_pageKey; }
    QString suppliesMarket() const { return m_suppliesMarket; }
    QString consumablesTab() const { return m_consumablesTab; }
    QString warehouseTab() const { return m_warehouseTab; }
    bool employeeEditorOpen() const { return m_employeeEditorOpen; }

    void setPageKey(const QString &value);
    void setSuppliesMarket(const QString &value);
    void setConsumablesTab(const QString &value);
    void setWarehouseTab(const QString &value);
    void setEmployeeEditorOpen(bool value);

    Q_INVOKABLE int scannerIndexFromKey(const QString &key) const;
    Q_INVOKABLE QString scannerKeyForIndex(int index) const;
    Q_INVOKABLE QString normalizeScannerKey(const QString &key) const;
    Q_INVOKABLE QString scannerLabelForKey(const QString &key) const;
    Q_INVOKABLE int configuredScannerCount() const;
    Q_INVOKABLE QString normalizeWorkplace(const QString &value) const;
    Q_INVOKABLE QString workplaceLabel(const QString &id) const;
    Q_INVOKABLE QString cutterQrPayload(const QVariant &number) const;
    Q_INVOKABLE QString workplaceForScanner(const QString &key) const;
    Q_INVOKABLE bool setScannerWorkplace(const QString &key, const QString &workplace);
    Q_INVOKABLE void rememberActiveCutter(const QString &key, const QString &employeeId);
    Q_INVOKABLE QVariantMap scanContext(const QString &key) const;
    Q_INVOKABLE QString activeScanEmployeeId(const QString &key) const;

    Q_INVOKABLE QString rfidUidFromHardwareScan(const QString &raw) const;
    Q_INVOKABLE QString cutterFromScan(const QString &raw) const;
    Q_INVOKABLE bool isConsumableWallPayload(const QString &raw) const;
    Q_INVOKABLE bool isStructuredScanPayload(const QString &raw) const;
    Q_INVOKABLE bool isPlainOrderOrWarehouseScan(const QString &raw) const;

    Q_INVOKABLE void handleHardwareScan(const QString &raw, const QString &key);
    Q_INVOKABLE void submitOrderScan(const QString &scan, const QString &key);
    Q_INVOKABLE bool submitWarehouseScan(const QString &scan, bool currentOnly, const QString &key);
    Q_INVOKABLE bool requestWarehouseServerPrint(QObject *model, const QString &scan, const QString &key);
    Q_INVOKABLE bool orderScanResultAllowsPrint(const QString &result, const QString &message,
                                                const QVariantMap &details) const;
    Q_INVOKABLE void handleOrderScanResult(const QString &raw, const QString &result, bool ok,
                                           const QString &message, const QVariantMap &details);
    Q_INVOKABLE QObject *currentWarehouseModel() const;

    // A card held to the RFID reader: beep, then to the registry unless the employee
    // editor is open (the editor reads the card itself).
    void handleRfidCard(const QString &uid, const QString &tagText, const QString &raw);

Q_SIGNALS:
    void scannerWorkplacesChanged();
    void localActiveCuttersChanged();
    void pendingWarehousePrintsChanged();
    void pageKeyChanged();
    void suppliesMarketChanged();
    void consumablesTabChanged();
    void warehouseTabChanged();
    void employeeEditorOpenChanged();

private:
    struct PendingPrint
    {
        QPointer<WarehouseFileModel> model;
        QString printCode;
    };

    bool handlePendingWarehousePrint(const QString &scan, bool ok, bool allowed, const QVariantMap &details);
    void beep();
    void info(const QString &message);
    void warn(const QString &message);
    bool hasServerIdentity() const;

    Services m_services;
    QVariantMap m_scannerWorkplaces;
    QVariantMap m_localActiveCutters;
    QHash<QString, PendingPrint> m_pendingWarehousePrints;
    QString m_pageKey = QStringLiteral("home");
    QString m_suppliesMarket = QStringLiteral("wb");
    QString m_consumablesTab;
    QString m_warehouseTab = QStringLiteral("wb");
    bool m_employeeEditorOpen = false;
};
