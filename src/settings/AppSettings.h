#pragma once

#include "settings/SettingsState.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <functional>

// The one configuration object of the client: device identity and server
// settings ("identity.json"), this machine's settings ("settings.json"), the
// editable collections, the server-driven page state and the service block.
// Every service keeps a pointer to it and reads values at the moment of use.
class AppSettings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString franchiseName READ franchiseName WRITE setFranchiseName NOTIFY changed)
    Q_PROPERTY(QString operatorName READ operatorName WRITE setOperatorName NOTIFY changed)
    Q_PROPERTY(QString tenantId READ tenantId WRITE setTenantId NOTIFY changed)
    Q_PROPERTY(QString deviceId READ deviceId WRITE setDeviceId NOTIFY changed)
    Q_PROPERTY(QString clientId READ clientId WRITE setClientId NOTIFY changed)
    Q_PROPERTY(QString deviceName READ deviceName WRITE setDeviceName NOTIFY changed)
    Q_PROPERTY(QString serverUrl READ serverUrl WRITE setServerUrl NOTIFY changed)
    Q_PROPERTY(QString bootstrapEndpoint READ bootstrapEndpoint WRITE setBootstrapEndpoint NOTIFY changed)
    Q_PROPERTY(QString deviceRegisterEndpoint READ deviceRegisterEndpoint WRITE setDeviceRegisterEndpoint NOTIFY changed)
    Q_PROPERTY(QString clientConfigEndpoint READ clientConfigEndpoint WRITE setClientConfigEndpoint NOTIFY changed)
    Q_PROPERTY(QString apiKey READ apiKey WRITE setApiKey NOTIFY changed)
    Q_PROPERTY(QString cabinetUrl READ cabinetUrl WRITE setCabinetUrl NOTIFY changed)
    Q_PROPERTY(QString cabinetLogin READ cabinetLogin WRITE setCabinetLogin NOTIFY changed)
    Q_PROPERTY(QString cabinetPassword READ cabinetPassword WRITE setCabinetPassword NOTIFY changed)
    Q_PROPERTY(bool onboardingCompleted READ onboardingCompleted WRITE setOnboardingCompleted NOTIFY changed)
    Q_PROPERTY(bool onboardingRequired READ onboardingRequired NOTIFY onboardingRequiredChanged)
    Q_PROPERTY(QString gsConfirmEndpoint READ gsConfirmEndpoint WRITE setGsConfirmEndpoint NOTIFY changed)
    Q_PROPERTY(QString orderScanConfirmMode READ orderScanConfirmMode WRITE setOrderScanConfirmMode NOTIFY changed)
    Q_PROPERTY(QString eventEndpoint READ eventEndpoint WRITE setEventEndpoint NOTIFY changed)
    Q_PROPERTY(QString snapshotEndpoint READ snapshotEndpoint WRITE setSnapshotEndpoint NOTIFY changed)
    Q_PROPERTY(QString wbPath READ wbPath WRITE setWbPath NOTIFY changed)
    Q_PROPERTY(QString ozonPath READ ozonPath WRITE setOzonPath NOTIFY changed)
    Q_PROPERTY(QString ymPath READ ymPath WRITE setYmPath NOTIFY changed)
    Q_PROPERTY(QString yandexLabelsPath READ yandexLabelsPath WRITE setYandexLabelsPath NOTIFY changed)
    Q_PROPERTY(QString warehousePath READ warehousePath WRITE setWarehousePath NOTIFY changed)
    Q_PROPERTY(QString wbLabelsDir READ wbLabelsDir WRITE setWbLabelsDir NOTIFY changed)
    Q_PROPERTY(QString ozonLabelsDir READ ozonLabelsDir WRITE setOzonLabelsDir NOTIFY changed)
    Q_PROPERTY(QString marelaRollsDir READ marelaRollsDir WRITE setMarelaRollsDir NOTIFY changed)
    Q_PROPERTY(QString picturesMarelaDir READ picturesMarelaDir WRITE setPicturesMarelaDir NOTIFY changed)
    Q_PROPERTY(QString ivraRollsDir READ ivraRollsDir WRITE setIvraRollsDir NOTIFY changed)
    Q_PROPERTY(QString wbToken READ wbToken WRITE setWbToken NOTIFY changed)
    Q_PROPERTY(QString ozonClientId READ ozonClientId WRITE setOzonClientId NOTIFY changed)
    Q_PROPERTY(QString ozonApiKey READ ozonApiKey WRITE setOzonApiKey NOTIFY changed)
    Q_PROPERTY(QString ozonApiBase READ ozonApiBase WRITE setOzonApiBase NOTIFY changed)
    Q_PROPERTY(QString labelPrinterName READ labelPrinterName WRITE setLabelPrinterName NOTIFY changed)
    Q_PROPERTY(QString yandexLabelPrinterName READ yandexLabelPrinterName WRITE setYandexLabelPrinterName NOTIFY changed)
    Q_PROPERTY(QString comPort READ comPort WRITE setComPort NOTIFY changed)
    Q_PROPERTY(int comBaudRate READ comBaudRate WRITE setComBaudRate NOTIFY changed)
    Q_PROPERTY(QString comPort2 READ comPort2 WRITE setComPort2 NOTIFY changed)
    Q_PROPERTY(int comBaudRate2 READ comBaudRate2 WRITE setComBaudRate2 NOTIFY changed)
    Q_PROPERTY(QVariantList scannerPorts READ scannerPorts NOTIFY changed)
    Q_PROPERTY(QString rfidPort READ rfidPort WRITE setRfidPort NOTIFY changed)
    Q_PROPERTY(int rfidBaudRate READ rfidBaudRate WRITE setRfidBaudRate NOTIFY changed)
    Q_PROPERTY(QString employeeInoutMode READ employeeInoutMode WRITE setEmployeeInoutMode NOTIFY changed)
    Q_PROPERTY(QString uidSearchRoot1 READ uidSearchRoot1 WRITE setUidSearchRoot1 NOTIFY changed)
    Q_PROPERTY(QString uidSearchRoot2 READ uidSearchRoot2 WRITE setUidSearchRoot2 NOTIFY changed)
    Q_PROPERTY(QString uidSearchRoot3 READ uidSearchRoot3 WRITE setUidSearchRoot3 NOTIFY changed)
    Q_PROPERTY(QVariantList scriptEntries READ scriptEntries NOTIFY changed)
    Q_PROPERTY(QVariantList consumableTabs READ consumableTabs NOTIFY changed)
    Q_PROPERTY(QVariantList wallBindings READ wallBindings NOTIFY changed)
    Q_PROPERTY(QVariantList helpSections READ helpSections NOTIFY changed)
    Q_PROPERTY(QString firstConsumableTabId READ firstConsumableTabId NOTIFY changed)
    Q_PROPERTY(QString displayAppName READ displayAppName WRITE setDisplayAppName NOTIFY changed)
    Q_PROPERTY(QString helpTitle READ helpTitle NOTIFY changed)
    Q_PROPERTY(QVariantList sidebarItems READ sidebarItems NOTIFY changed)
    Q_PROPERTY(bool serviceBlocked READ serviceBlocked NOTIFY serviceBlockChanged)
    Q_PROPERTY(QString serviceBlockNotice READ serviceBlockNotice NOTIFY serviceBlockChanged)
    Q_PROPERTY(QString appVersion READ appVersion CONSTANT)
    Q_PROPERTY(QString appDataDir READ appDataDir CONSTANT)
    Q_PROPERTY(QString settingsPath READ settingsPath CONSTANT)
    Q_PROPERTY(QString identityCachePath READ identityCachePath CONSTANT)
    Q_PROPERTY(QString clientBufferPath READ clientBufferPath CONSTANT)
    Q_PROPERTY(QString runtimeScriptsPath READ runtimeScriptsPath CONSTANT)
    Q_PROPERTY(QString suppliesStatePath READ suppliesStatePath CONSTANT)
    Q_PROPERTY(bool dirty READ dirty NOTIFY changed)

public:
    explicit AppSettings(QObject *parent = nullptr);

    // Points every settings store made afterwards at this folder instead of the
    // platform's data location; empty restores the default. For tests and tools: the
    // client itself takes no options.
    static void setDataDirectoryOverride(const QString &path);

    QString franchiseName() const { return m_s.franchiseName; }
    QString operatorName() const { return m_s.operatorName; }
    QString tenantId() const { return m_s.tenantId; }
    QString deviceId() const { return m_s.deviceId; }
    QString clientId() const { return m_s.clientId; }
    QString deviceName() const { return m_s.deviceName; }
    QString serverUrl() const { return m_s.serverUrl; }
    QString bootstrapEndpoint() const { return m_s.bootstrapEndpoint; }
    QString deviceRegisterEndpoint() const { return m_s.deviceRegisterEndpoint; }
    QString clientConfigEndpoint() const { return m_s.clientConfigEndpoint; }
    QString apiKey() const { return m_s.apiKey; }
    QString cabinetUrl() const { return m_s.cabinetUrl; }
    QString cabinetLogin() const { return m_s.cabinetLogin; }
    QString cabinetPassword() const { return m_s.cabinetPassword; }
    bool onboardingCompleted() const { return m_s.onboardingCompleted; }
    bool onboardingRequired() const;
    // Tenant, device and server URL are all set (the key may still be missing).
    bool hasServerIdentity() const;
    QString gsConfirmEndpoint() const { return m_s.gsConfirmEndpoint; }
    QString orderScanConfirmMode() const { return m_s.orderScanConfirmMode; }
    QString eventEndpoint() const { return m_s.eventEndpoint; }
    QString snapshotEndpoint() const { return m_s.snapshotEndpoint; }
    QString wbPath() const { return m_s.wbPath; }
    QString ozonPath() const { return m_s.ozonPath; }
    QString ymPath() const { return m_s.ymPath; }
    QString yandexLabelsPath() const { return m_s.yandexLabelsPath; }
    QString warehousePath() const { return m_s.warehousePath; }
    QString wbLabelsDir() const { return m_s.wbLabelsDir; }
    QString ozonLabelsDir() const { return m_s.ozonLabelsDir; }
    QString marelaRollsDir() const { return m_s.marelaRollsDir; }
    QString picturesMarelaDir() const { return m_s.picturesMarelaDir; }
    QString ivraRollsDir() const { return m_s.ivraRollsDir; }
    QString wbToken() const { return m_s.wbToken; }
    QString ozonClientId() const { return m_s.ozonClientId; }
    QString ozonApiKey() const { return m_s.ozonApiKey; }
    QString ozonApiBase() const { return m_s.ozonApiBase; }
    QString labelPrinterName() const { return m_s.labelPrinterName; }
    QString yandexLabelPrinterName() const { return m_s.yandexLabelPrinterName; }
    QString comPort() const { return m_s.comPort; }
    int comBaudRate() const { return m_s.comBaudRate; }
    QString comPort2() const { return m_s.comPort2; }
    int comBaudRate2() const { return m_s.comBaudRate2; }
    QVariantList scannerPorts() const { return m_s.scannerPorts; }
    QString rfidPort() const { return m_s.rfidPort; }
    int rfidBaudRate() const { return m_s.rfidBaudRate; }
    QString employeeInoutMode() const { return m_s.employeeInoutMode; }
    QString uidSearchRoot1() const { return m_s.uidSearchRoot1; }
    QString uidSearchRoot2() const { return m_s.uidSearchRoot2; }
    QString uidSearchRoot3() const { return m_s.uidSearchRoot3; }
    QVariantList scriptEntries() const { return m_s.scriptEntries; }
    QVariantList consumableTabs() const { return m_s.consumableTabs; }
    QVariantList wallBindings() const { return m_s.wallBindings; }
    QVariantList helpSections() const { return m_s.helpSections; }
    QString firstConsumableTabId() const;
    QString displayAppName() const { return m_s.displayAppName; }
    QString helpTitle() const { return m_s.helpTitle; }
    QVariantList sidebarItems() const;
    bool serviceBlocked() const { return !m_serviceBlockNotice.trimmed().isEmpty(); }
    QString serviceBlockNotice() const { return m_serviceBlockNotice; }
    QString appVersion() const;
    QString appDataDir() const;
    QString settingsPath() const;
    QString identityCachePath() const;
    QString clientBufferPath() const;
    QString runtimeScriptsPath() const;
    QString suppliesStatePath() const;
    bool dirty() const;

    void setFranchiseName(const QString &value);
    void setOperatorName(const QString &value);
    void setTenantId(const QString &value);
    void setDeviceId(const QString &value);
    void setClientId(const QString &value);
    void setDeviceName(const QString &value);
    void setServerUrl(const QString &value);
    void setBootstrapEndpoint(const QString &value);
    void setDeviceRegisterEndpoint(const QString &value);
    void setClientConfigEndpoint(const QString &value);
    void setApiKey(const QString &value);
    void setCabinetUrl(const QString &value);
    void setCabinetLogin(const QString &value);
    void setCabinetPassword(const QString &value);
    void setOnboardingCompleted(bool value);
    void setGsConfirmEndpoint(const QString &value);
    void setOrderScanConfirmMode(const QString &value);
    void setEventEndpoint(const QString &value);
    void setSnapshotEndpoint(const QString &value);
    void setWbPath(const QString &value);
    void setOzonPath(const QString &value);
    void setYmPath(const QString &value);
    void setYandexLabelsPath(const QString &value);
    void setWarehousePath(const QString &value);
    void setWbLabelsDir(const QString &value);
    void setOzonLabelsDir(const QString &value);
    void setMarelaRollsDir(const QString &value);
    void setPicturesMarelaDir(const QString &value);
    void setIvraRollsDir(const QString &value);
    void setWbToken(const QString &value);
    void setOzonClientId(const QString &value);
    void setOzonApiKey(const QString &value);
    void setOzonApiBase(const QString &value);
    void setLabelPrinterName(const QString &value);
    void setYandexLabelPrinterName(const QString &value);
    void setComPort(const QString &value);
    void setComBaudRate(int value);
    void setComPort2(const QString &value);
    void setComBaudRate2(int value);
    void setRfidPort(const QString &value);
    void setRfidBaudRate(int value);
    void setEmployeeInoutMode(const QString &value);
    void setUidSearchRoot1(const QString &value);
    void setUidSearchRoot2(const QString &value);
    void setUidSearchRoot3(const QString &value);
    void setDisplayAppName(const QString &value);

    // Set by the reply classification of the server link; an empty text lifts the block.
    void setServiceBlockNotice(const QString &notice);

    // C++-side views of the server-driven state and the persisted form.
    QStringList sidebarOrder() const { return m_s.sidebarOrder; }
    QStringList hiddenTabs() const { return m_s.hiddenTabs; }
    QVariantMap featureFlags() const { return m_s.featureFlags; }
    QVariantMap links() const { return m_s.links; }
    QVariantMap branding() const { return m_s.branding; }
    QVariantMap scriptBindings() const { return m_s.scriptBindings; }
    QString lastSavedState() const { return m_lastSavedState; }
    QJsonObject localSettingsObject() const;
    QJsonObject identityObject() const;

    Q_INVOKABLE bool load();
    Q_INVOKABLE bool reload();
    Q_INVOKABLE bool save();
    Q_INVOKABLE void resetMachineSettings();

    // Scanner slots, numbered from 1.
    Q_INVOKABLE QString scannerPort(int index) const;
    Q_INVOKABLE int scannerBaudRate(int index) const;
    Q_INVOKABLE void setScannerPort(int index, const QString &value);
    Q_INVOKABLE void setScannerBaudRate(int index, int value);
    Q_INVOKABLE void addScannerSlot();
    Q_INVOKABLE void removeScannerSlot(int index);

    // Script entries, rows from 0.
    Q_INVOKABLE void addScriptEntry();
    Q_INVOKABLE void removeScriptEntry(int index);
    Q_INVOKABLE void setScriptEntryName(int index, const QString &name);
    Q_INVOKABLE void setScriptEntryPath(int index, const QString &path);
    Q_INVOKABLE void setScriptEntryArguments(int index, const QString &arguments);
    Q_INVOKABLE void setScriptEntryEnabled(int index, bool enabled);
    Q_INVOKABLE void setScriptEntryAutoStart(int index, bool autoStart);
    Q_INVOKABLE void setScriptEntryLaunchMode(int index, const QString &mode);
    Q_INVOKABLE void moveScriptEntry(int index, int delta);

    // Consumable tabs, rows from 0; the queries by tab id return "" for an unknown id.
    Q_INVOKABLE void addConsumableTab();
    Q_INVOKABLE void removeConsumableTab(int index);
    Q_INVOKABLE void setConsumableTabTitle(int index, const QString &title);
    Q_INVOKABLE void setConsumableTabMode(int index, const QString &mode);
    Q_INVOKABLE void setConsumableTabServerType(int index, const QString &serverType);
    Q_INVOKABLE void setConsumableTabMeasure(int index, const QString &measure);
    Q_INVOKABLE void setConsumableTabOptionsText(int index, const QString &optionsText);
    Q_INVOKABLE QString consumableTabOptionsText(int index) const;
    Q_INVOKABLE void moveConsumableTab(int index, int delta);
    Q_INVOKABLE QString consumableTabMode(const QString &tabId) const;
    Q_INVOKABLE QString consumableTabTitle(const QString &tabId) const;
    Q_INVOKABLE QString consumableTabServerType(const QString &tabId) const;
    Q_INVOKABLE QString consumableTabMeasure(const QString &tabId) const;
    Q_INVOKABLE QVariantList consumableTabOptions(const QString &tabId) const;

    // Wall bindings, rows from 0.
    Q_INVOKABLE void addWallBinding();
    Q_INVOKABLE void removeWallBinding(int index);
    Q_INVOKABLE void setWallBindingTabId(int index, const QString &tabId);
    Q_INVOKABLE void setWallBindingItemName(int index, const QString &itemName);
    Q_INVOKABLE void setWallBindingAmount(int index, double amount);
    Q_INVOKABLE QString wallBindingPayload(int index) const;

    // Server-sent configuration and the page questions of the scene.
    Q_INVOKABLE bool applyServerPayload(const QVariantMap &payload);
    Q_INVOKABLE bool pageVisible(const QString &key) const;
    Q_INVOKABLE bool pageEnabled(const QString &key) const;
    Q_INVOKABLE QString pageTitle(const QString &key) const;
    Q_INVOKABLE QString serverLink(const QString &key) const;

Q_SIGNALS:
    void changed();
    void serverSyncRequested();
    // A server-sent configuration has just been applied (the push takes it as already known).
    void serverPayloadApplied();
    void onboardingRequiredChanged();
    void serviceBlockChanged();

private:
    void updateText(QString &field, const QString &value);
    void updateBaud(int &field, int value);
    // Runs an edit and announces it only when the state really changed.
    void mutate(const std::function<void()> &edit);
    void commitChange(bool onboardingBefore);
    void editScriptEntry(int index, const QString &field, const QVariant &value);
    void editConsumableTab(int index, const QString &field, const QVariant &value);
    QVariant tabField(const QString &tabId, const char *field) const;
    void updateComPort(QString &field, const QString &value);
    void updateComBaud(int &field, int value);
    bool writeFiles();
    void markSaved();

    SettingsState m_s;
    QString m_appDataDir;
    QString m_lastSavedState;
    SettingsState m_savedState;
    QString m_serviceBlockNotice;
};
