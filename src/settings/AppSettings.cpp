#include "settings/AppSettings.h"

#include <QDir>
#include <QStandardPaths>

AppSettings::AppSettings(QObject *parent) : QObject(parent) {}

bool AppSettings::onboardingRequired() const
{
    if (m_s.tenantId.trimmed().isEmpty() || m_s.deviceId.trimmed().isEmpty()
        || m_s.serverUrl.trimmed().isEmpty())
        return true;
    if (m_s.onboardingCompleted)
        return false;
    return m_s.apiKey.trimmed().isEmpty();
}

QString AppSettings::firstConsumableTabId() const { return {}; }
QVariantList AppSettings::sidebarItems() const { return {}; }
QString AppSettings::appVersion() const { return QStringLiteral("2.0.1.18"); }
QString AppSettings::appDataDir() const
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/AppData/Roaming/VornClient");
    QDir().mkpath(dir);
    return dir;
}
QString AppSettings::settingsPath() const { return appDataDir() + QStringLiteral("/settings.json"); }
QString AppSettings::identityCachePath() const { return appDataDir() + QStringLiteral("/identity.json"); }
QString AppSettings::clientBufferPath() const { return appDataDir() + QStringLiteral("/client_buffer.sqlite"); }
QString AppSettings::runtimeScriptsPath() const { return {}; }
QString AppSettings::suppliesStatePath() const { return appDataDir() + QStringLiteral("/supplies_state.json"); }
bool AppSettings::dirty() const { return currentStateText() != m_lastSavedState; }

bool AppSettings::setText(QString &field, const QString &value)
{
    const QString v = value.trimmed();
    if (field == v)
        return false;
    field = v;
    return true;
}
void AppSettings::setBaud(int &field, int value)
{
    const int v = value < 1 ? 9600 : value;
    if (field == v)
        return;
    field = v;
    Q_EMIT changed();
}
void AppSettings::commitChange(bool) { Q_EMIT changed(); }
void AppSettings::normalizeScannerSlots() {}
void AppSettings::applyInterfaceDefaults() {}
QString AppSettings::currentStateText() const { return {}; }
bool AppSettings::writeFiles() { return false; }

void AppSettings::setFranchiseName(const QString &value)
{
    if (setText(m_s.franchiseName, value))
        Q_EMIT changed();
}
void AppSettings::setOperatorName(const QString &value)
{
    if (setText(m_s.operatorName, value))
        Q_EMIT changed();
}
void AppSettings::setTenantId(const QString &value)
{
    if (setText(m_s.tenantId, value))
        Q_EMIT changed();
}
void AppSettings::setDeviceId(const QString &value)
{
    if (setText(m_s.deviceId, value))
        Q_EMIT changed();
}
void AppSettings::setClientId(const QString &value)
{
    if (setText(m_s.clientId, value))
        Q_EMIT changed();
}
void AppSettings::setDeviceName(const QString &value)
{
    if (setText(m_s.deviceName, value))
        Q_EMIT changed();
}
void AppSettings::setServerUrl(const QString &value)
{
    if (setText(m_s.serverUrl, value))
        Q_EMIT changed();
}
void AppSettings::setBootstrapEndpoint(const QString &value)
{
    if (setText(m_s.bootstrapEndpoint, value))
        Q_EMIT changed();
}
void AppSettings::setDeviceRegisterEndpoint(const QString &value)
{
    if (setText(m_s.deviceRegisterEndpoint, value))
        Q_EMIT changed();
}
void AppSettings::setClientConfigEndpoint(const QString &value)
{
    if (setText(m_s.clientConfigEndpoint, value))
        Q_EMIT changed();
}
void AppSettings::setApiKey(const QString &value)
{
    if (setText(m_s.apiKey, value))
        Q_EMIT changed();
}
void AppSettings::setCabinetUrl(const QString &value)
{
    if (setText(m_s.cabinetUrl, value))
        Q_EMIT changed();
}
void AppSettings::setCabinetLogin(const QString &value)
{
    if (setText(m_s.cabinetLogin, value))
        Q_EMIT changed();
}
void AppSettings::setCabinetPassword(const QString &value)
{
    if (setText(m_s.cabinetPassword, value))
        Q_EMIT changed();
}
void AppSettings::setOnboardingCompleted(bool value)
{
    if (m_s.onboardingCompleted == value)
        return;
    m_s.onboardingCompleted = value;
    Q_EMIT changed();
}
void AppSettings::setGsConfirmEndpoint(const QString &value)
{
    if (setText(m_s.gsConfirmEndpoint, value))
        Q_EMIT changed();
}
void AppSettings::setOrderScanConfirmMode(const QString &value)
{
    if (setText(m_s.orderScanConfirmMode, value))
        Q_EMIT changed();
}
void AppSettings::setEventEndpoint(const QString &value)
{
    if (setText(m_s.eventEndpoint, value))
        Q_EMIT changed();
}
void AppSettings::setSnapshotEndpoint(const QString &value)
{
    if (setText(m_s.snapshotEndpoint, value))
        Q_EMIT changed();
}
void AppSettings::setWbPath(const QString &value)
{
    if (setText(m_s.wbPath, value))
        Q_EMIT changed();
}
void AppSettings::setOzonPath(const QString &value)
{
    if (setText(m_s.ozonPath, value))
        Q_EMIT changed();
}
void AppSettings::setYmPath(const QString &value)
{
    if (setText(m_s.ymPath, value))
        Q_EMIT changed();
}
void AppSettings::setYandexLabelsPath(const QString &value)
{
    if (setText(m_s.yandexLabelsPath, value))
        Q_EMIT changed();
}
void AppSettings::setWarehousePath(const QString &value)
{
    if (setText(m_s.warehousePath, value))
        Q_EMIT changed();
}
void AppSettings::setWbLabelsDir(const QString &value)
{
    if (setText(m_s.wbLabelsDir, value))
        Q_EMIT changed();
}
void AppSettings::setOzonLabelsDir(const QString &value)
{
    if (setText(m_s.ozonLabelsDir, value))
        Q_EMIT changed();
}
void AppSettings::setMarelaRollsDir(const QString &value)
{
    if (setText(m_s.marelaRollsDir, value))
        Q_EMIT changed();
}
void AppSettings::setPicturesMarelaDir(const QString &value)
{
    if (setText(m_s.picturesMarelaDir, value))
        Q_EMIT changed();
}
void AppSettings::setIvraRollsDir(const QString &value)
{
    if (setText(m_s.ivraRollsDir, value))
        Q_EMIT changed();
}
void AppSettings::setWbToken(const QString &value)
{
    if (setText(m_s.wbToken, value))
        Q_EMIT changed();
}
void AppSettings::setOzonClientId(const QString &value)
{
    if (setText(m_s.ozonClientId, value))
        Q_EMIT changed();
}
void AppSettings::setOzonApiKey(const QString &value)
{
    if (setText(m_s.ozonApiKey, value))
        Q_EMIT changed();
}
void AppSettings::setOzonApiBase(const QString &value)
{
    if (setText(m_s.ozonApiBase, value))
        Q_EMIT changed();
}
void AppSettings::setLabelPrinterName(const QString &value)
{
    if (setText(m_s.labelPrinterName, value))
        Q_EMIT changed();
}
void AppSettings::setYandexLabelPrinterName(const QString &value)
{
    if (setText(m_s.yandexLabelPrinterName, value))
        Q_EMIT changed();
}
void AppSettings::setComPort(const QString &value)
{
    if (setText(m_s.comPort, value))
        Q_EMIT changed();
}
void AppSettings::setComBaudRate(int value) { setBaud(m_s.comBaudRate, value); }
void AppSettings::setComPort2(const QString &value)
{
    if (setText(m_s.comPort2, value))
        Q_EMIT changed();
}
void AppSettings::setComBaudRate2(int value) { setBaud(m_s.comBaudRate2, value); }
void AppSettings::setRfidPort(const QString &value)
{
    if (setText(m_s.rfidPort, value))
        Q_EMIT changed();
}
void AppSettings::setRfidBaudRate(int value) { setBaud(m_s.rfidBaudRate, value); }
void AppSettings::setEmployeeInoutMode(const QString &value)
{
    if (setText(m_s.employeeInoutMode, value))
        Q_EMIT changed();
}
void AppSettings::setUidSearchRoot1(const QString &value)
{
    if (setText(m_s.uidSearchRoot1, value))
        Q_EMIT changed();
}
void AppSettings::setUidSearchRoot2(const QString &value)
{
    if (setText(m_s.uidSearchRoot2, value))
        Q_EMIT changed();
}
void AppSettings::setUidSearchRoot3(const QString &value)
{
    if (setText(m_s.uidSearchRoot3, value))
        Q_EMIT changed();
}
void AppSettings::setDisplayAppName(const QString &value)
{
    if (setText(m_s.displayAppName, value))
        Q_EMIT changed();
}

void AppSettings::setServiceBlockNotice(const QString &notice)
{
    const QString v = notice.trimmed();
    if (v == m_serviceBlockNotice)
        return;
    m_serviceBlockNotice = v;
    Q_EMIT serviceBlockChanged();
}
QJsonObject AppSettings::localSettingsObject() const { return {}; }
QJsonObject AppSettings::identityObject() const { return {}; }
bool AppSettings::load() { return true; }
bool AppSettings::reload() { return load(); }
bool AppSettings::save() { return false; }
void AppSettings::resetMachineSettings() {}
QString AppSettings::scannerPort(int) const { return {}; }
int AppSettings::scannerBaudRate(int) const { return 9600; }
void AppSettings::setScannerPort(int, const QString &) {}
void AppSettings::setScannerBaudRate(int, int) {}
void AppSettings::addScannerSlot() {}
void AppSettings::removeScannerSlot(int) {}
void AppSettings::addScriptEntry() {}
void AppSettings::removeScriptEntry(int) {}
void AppSettings::setScriptEntryName(int, const QString &) {}
void AppSettings::setScriptEntryPath(int, const QString &) {}
void AppSettings::setScriptEntryArguments(int, const QString &) {}
void AppSettings::setScriptEntryEnabled(int, bool) {}
void AppSettings::setScriptEntryAutoStart(int, bool) {}
void AppSettings::setScriptEntryLaunchMode(int, const QString &) {}
void AppSettings::moveScriptEntry(int, int) {}
void AppSettings::addConsumableTab() {}
void AppSettings::removeConsumableTab(int) {}
void AppSettings::setConsumableTabTitle(int, const QString &) {}
void AppSettings::setConsumableTabMode(int, const QString &) {}
void AppSettings::setConsumableTabServerType(int, const QString &) {}
void AppSettings::setConsumableTabMeasure(int, const QString &) {}
void AppSettings::setConsumableTabOptionsText(int, const QString &) {}
QString AppSettings::consumableTabOptionsText(int) const { return {}; }
void AppSettings::moveConsumableTab(int, int) {}
QString AppSettings::consumableTabMode(const QString &) const { return {}; }
QString AppSettings::consumableTabTitle(const QString &) const { return {}; }
QString AppSettings::consumableTabServerType(const QString &) const { return {}; }
QString AppSettings::consumableTabMeasure(const QString &) const { return {}; }
QVariantList AppSettings::consumableTabOptions(const QString &) const { return {}; }
void AppSettings::addWallBinding() {}
void AppSettings::removeWallBinding(int) {}
void AppSettings::setWallBindingTabId(int, const QString &) {}
void AppSettings::setWallBindingItemName(int, const QString &) {}
void AppSettings::setWallBindingAmount(int, double) {}
QString AppSettings::wallBindingPayload(int) const { return {}; }
bool AppSettings::applyServerPayload(const QVariantMap &) { return false; }
bool AppSettings::pageVisible(const QString &) const { return true; }
bool AppSettings::pageEnabled(const QString &) const { return true; }
QString AppSettings::pageTitle(const QString &key) const { return key; }
QString AppSettings::serverLink(const QString &) const { return {}; }
