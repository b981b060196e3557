#include "settings/AppSettings.h"

#include "common/AppVersion.h"
#include "common/AtomicFile.h"
#include "common/LogCategories.h"
#include "common/SecretRedaction.h"
#include "settings/ConsumableTabs.h"
#include "settings/HelpSections.h"
#include "settings/PageKeys.h"
#include "settings/ScannerSlots.h"
#include "settings/ScriptEntries.h"
#include "settings/ServerLinks.h"
#include "settings/ServerPayloadPatch.h"
#include "settings/SettingsFileStore.h"
#include "settings/SettingsJsonReader.h"
#include "settings/SettingsJsonWriter.h"
#include "settings/SettingsRules.h"
#include "settings/WallBindings.h"

#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>

namespace {
const QString kDefaultAppName = QStringLiteral("VornClient");

QString &dataDirectoryOverride()
{
    static QString path;
    return path;
}

QString resolveDataDirectory()
{
    if (!dataDirectoryOverride().isEmpty())
        return dataDirectoryOverride();
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/AppData/Roaming/VornClient");
    return dir;
}

bool validRow(const QVariantList &list, int row)
{
    return row >= 0 && row < list.size();
}

void removeRow(QVariantList &list, int row)
{
    if (validRow(list, row))
        list.removeAt(row);
}

void moveRow(QVariantList &list, int row, int delta)
{
    const int target = row + delta;
    if (delta != 0 && validRow(list, row) && validRow(list, target))
        list.move(row, target);
}

// Sets one field of a row; text is trimmed.
void setRowField(QVariantList &list, int row, const QString &field, const QVariant &value)
{
    if (!validRow(list, row))
        return;
    QVariantMap map = list.at(row).toMap();
    map.insert(field, value.typeId() == QMetaType::QString ? QVariant(value.toString().trimmed()) : value);
    list[row] = map;
}
} // namespace

void AppSettings::setDataDirectoryOverride(const QString &path)
{
    dataDirectoryOverride() = path;
}

AppSettings::AppSettings(QObject *parent)
    : QObject(parent)
    , m_appDataDir(resolveDataDirectory())
{
    // Made once here: every file of the client lives below it.
    if (!QDir().mkpath(m_appDataDir))
        qCWarning(lcSettings) << "cannot create the data folder" << m_appDataDir;
    m_s = SettingsRules::initialState(QSysInfo::machineHostName());
    // Whatever the settings hold as a secret is masked in the journal and the logs.
    connect(this, &AppSettings::changed, this, [this] {
        SecretRedaction::setKnownSecrets({m_s.apiKey, m_s.wbToken, m_s.ozonApiKey, m_s.cabinetPassword});
    });
}

// ---- derived values and paths ----

bool AppSettings::hasServerIdentity() const
{
    return !m_s.tenantId.trimmed().isEmpty() && !m_s.deviceId.trimmed().isEmpty()
           && !m_s.serverUrl.trimmed().isEmpty();
}

bool AppSettings::onboardingRequired() const
{
    if (!hasServerIdentity())
        return true;
    if (m_s.onboardingCompleted)
        return false;
    return m_s.apiKey.trimmed().isEmpty();
}

QString AppSettings::firstConsumableTabId() const
{
    return m_s.consumableTabs.value(0).toMap().value(QStringLiteral("id")).toString();
}

QVariantList AppSettings::sidebarItems() const
{
    return PageKeys::sidebarItems(m_s.sidebarOrder, m_s.hiddenTabs, m_s.featureFlags, m_s.helpTitle);
}

QString AppSettings::appVersion() const
{
    return appVersionText();
}

QString AppSettings::appDataDir() const { return m_appDataDir; }
QString AppSettings::settingsPath() const { return m_appDataDir + QStringLiteral("/settings.json"); }
QString AppSettings::identityCachePath() const { return m_appDataDir + QStringLiteral("/identity.json"); }
QString AppSettings::clientBufferPath() const { return m_appDataDir + QStringLiteral("/client_buffer.sqlite"); }
QString AppSettings::runtimeScriptsPath() const { return {}; }
QString AppSettings::suppliesStatePath() const { return m_appDataDir + QStringLiteral("/supplies_state.json"); }

bool AppSettings::dirty() const
{
    return !samePersisted(m_s, m_savedState);
}

QJsonObject AppSettings::localSettingsObject() const
{
    return SettingsJsonWriter::localObject(m_s).toObject();
}

QJsonObject AppSettings::identityObject() const
{
    return SettingsJsonWriter::identityObject(m_s).toObject();
}

// ---- setters ----

void AppSettings::commitChange(bool onboardingBefore)
{
    Q_EMIT changed();
    if (onboardingRequired() != onboardingBefore)
        Q_EMIT onboardingRequiredChanged();
}

void AppSettings::updateText(QString &field, const QString &value)
{
    const QString text = value.trimmed();
    if (field == text)
        return;
    const bool before = onboardingRequired();
    field = text;
    commitChange(before);
}

void AppSettings::updateBaud(int &field, int value)
{
    const int baud = ScannerSlots::normalizeBaud(value);
    if (field == baud)
        return;
    field = baud;
    Q_EMIT changed();
}

void AppSettings::mutate(const std::function<void()> &edit)
{
    const bool before = onboardingRequired();
    const SettingsState was = m_s;
    edit();
    if (!sameState(m_s, was))
        commitChange(before);
}

void AppSettings::setFranchiseName(const QString &value) { updateText(m_s.franchiseName, value); }
void AppSettings::setOperatorName(const QString &value) { updateText(m_s.operatorName, value); }
void AppSettings::setTenantId(const QString &value) { updateText(m_s.tenantId, value); }
void AppSettings::setDeviceId(const QString &value) { updateText(m_s.deviceId, value); }
void AppSettings::setDeviceName(const QString &value) { updateText(m_s.deviceName, value); }
void AppSettings::setDeviceRegisterEndpoint(const QString &value) { updateText(m_s.deviceRegisterEndpoint, value); }
void AppSettings::setClientConfigEndpoint(const QString &value) { updateText(m_s.clientConfigEndpoint, value); }
void AppSettings::setApiKey(const QString &value) { updateText(m_s.apiKey, value); }
void AppSettings::setCabinetUrl(const QString &value) { updateText(m_s.cabinetUrl, value); }
void AppSettings::setCabinetLogin(const QString &value) { updateText(m_s.cabinetLogin, value); }
void AppSettings::setCabinetPassword(const QString &value) { updateText(m_s.cabinetPassword, value); }
void AppSettings::setGsConfirmEndpoint(const QString &value) { updateText(m_s.gsConfirmEndpoint, value); }
void AppSettings::setOrderScanConfirmMode(const QString &value) { updateText(m_s.orderScanConfirmMode, value); }
void AppSettings::setEventEndpoint(const QString &value) { updateText(m_s.eventEndpoint, value); }
void AppSettings::setSnapshotEndpoint(const QString &value) { updateText(m_s.snapshotEndpoint, value); }
void AppSettings::setWbPath(const QString &value) { updateText(m_s.wbPath, value); }
void AppSettings::setOzonPath(const QString &value) { updateText(m_s.ozonPath, value); }
void AppSettings::setYmPath(const QString &value) { updateText(m_s.ymPath, value); }
void AppSettings::setYandexLabelsPath(const QString &value) { updateText(m_s.yandexLabelsPath, value); }
void AppSettings::setWarehousePath(const QString &value) { updateText(m_s.warehousePath, value); }
void AppSettings::setWbLabelsDir(const QString &value) { updateText(m_s.wbLabelsDir, value); }
void AppSettings::setOzonLabelsDir(const QString &value) { updateText(m_s.ozonLabelsDir, value); }
void AppSettings::setMarelaRollsDir(const QString &value) { updateText(m_s.marelaRollsDir, value); }
void AppSettings::setPicturesMarelaDir(const QString &value) { updateText(m_s.picturesMarelaDir, value); }
void AppSettings::setIvraRollsDir(const QString &value) { updateText(m_s.ivraRollsDir, value); }
void AppSettings::setWbToken(const QString &value) { updateText(m_s.wbToken, value); }
void AppSettings::setOzonClientId(const QString &value) { updateText(m_s.ozonClientId, value); }
void AppSettings::setOzonApiKey(const QString &value) { updateText(m_s.ozonApiKey, value); }
void AppSettings::setOzonApiBase(const QString &value) { updateText(m_s.ozonApiBase, value); }
void AppSettings::setLabelPrinterName(const QString &value) { updateText(m_s.labelPrinterName, value); }
void AppSettings::setYandexLabelPrinterName(const QString &value) { updateText(m_s.yandexLabelPrinterName, value); }
void AppSettings::setRfidPort(const QString &value) { updateText(m_s.rfidPort, value); }
void AppSettings::setRfidBaudRate(int value) { updateBaud(m_s.rfidBaudRate, value); }
void AppSettings::setEmployeeInoutMode(const QString &value) { updateText(m_s.employeeInoutMode, value); }
void AppSettings::setUidSearchRoot1(const QString &value) { updateText(m_s.uidSearchRoot1, value); }
void AppSettings::setUidSearchRoot2(const QString &value) { updateText(m_s.uidSearchRoot2, value); }
void AppSettings::setUidSearchRoot3(const QString &value) { updateText(m_s.uidSearchRoot3, value); }

void AppSettings::setClientId(const QString &value)
{
    const QString text = value.trimmed();
    updateText(m_s.clientId, text.isEmpty() ? QStringLiteral("desktop") : text);
}

void AppSettings::setBootstrapEndpoint(const QString &value)
{
    const QString text = value.trimmed();
    updateText(m_s.bootstrapEndpoint, text.isEmpty() ? QStringLiteral("/api/bootstrap") : text);
}

void AppSettings::setServerUrl(const QString &value)
{
    updateText(m_s.serverUrl, SettingsJsonReader::normalizeServerUrl(value));
}

void AppSettings::setDisplayAppName(const QString &value)
{
    const QString text = value.trimmed();
    updateText(m_s.displayAppName, text.isEmpty() ? kDefaultAppName : text);
}

void AppSettings::setOnboardingCompleted(bool value)
{
    if (m_s.onboardingCompleted == value)
        return;
    const bool before = onboardingRequired();
    m_s.onboardingCompleted = value;
    commitChange(before);
}

// comPort/comPort2 and their baud rates are slots 1 and 2 under another name.
void AppSettings::updateComPort(QString &field, const QString &value)
{
    if (field == value.trimmed())
        return;
    mutate([&] {
        field = value.trimmed();
        ScannerSlots::mirrorIntoSlots(m_s);
    });
}

void AppSettings::updateComBaud(int &field, int value)
{
    if (field == ScannerSlots::normalizeBaud(value))
        return;
    mutate([&] {
        field = ScannerSlots::normalizeBaud(value);
        ScannerSlots::mirrorIntoSlots(m_s);
    });
}

void AppSettings::setComPort(const QString &value) { updateComPort(m_s.comPort, value); }
void AppSettings::setComPort2(const QString &value) { updateComPort(m_s.comPort2, value); }
void AppSettings::setComBaudRate(int value) { updateComBaud(m_s.comBaudRate, value); }
void AppSettings::setComBaudRate2(int value) { updateComBaud(m_s.comBaudRate2, value); }

void AppSettings::setServiceBlockNotice(const QString &notice)
{
    const QString text = notice.trimmed();
    if (text == m_serviceBlockNotice)
        return;
    m_serviceBlockNotice = text;
    Q_EMIT serviceBlockChanged();
}

// ---- load and save ----

bool AppSettings::load()
{
    const bool before = onboardingRequired();
    const QString localPath = settingsPath();
    // A damaged file falls back to its backup, so a broken identity never loses the key.
    const QJsonObject identity = SettingsFileStore::readObjectOrBackup(identityCachePath());
    const QJsonObject local = SettingsFileStore::readObjectOrBackup(localPath);
    SettingsRules::applyFiles(m_s, identity, local);

    bool ok = true;
    if (identity.isEmpty() && local.isEmpty()) {
        qCInfo(lcSettings) << "first run, writing settings to" << appDataDir();
        ok = save();
    } else {
        markSaved();
    }
    Q_EMIT changed();
    if (onboardingRequired() != before)
        Q_EMIT onboardingRequiredChanged();
    return ok;
}

bool AppSettings::reload()
{
    return load();
}

void AppSettings::markSaved()
{
    m_savedState = m_s;
    m_lastSavedState = SettingsJsonWriter::persistedText(m_s);
}

bool AppSettings::writeFiles()
{
    const bool localOk = SettingsFileStore::writeWithBackup(
        settingsPath(), SettingsJsonWriter::localObject(m_s).toIndentedJson());
    // The identity holds the API key: owner-only, and so is its backup.
    const bool identityOk = SettingsFileStore::writeWithBackup(
        identityCachePath(), SettingsJsonWriter::identityObject(m_s).toIndentedJson(), kOwnerOnlyPermissions);
    if (!localOk || !identityOk)
        return false;
    markSaved();
    return true;
}

bool AppSettings::save()
{
    SettingsRules::normalizeScriptBindings(m_s);
    if (!writeFiles())
        return false;
    Q_EMIT serverSyncRequested();
    return true;
}

void AppSettings::resetMachineSettings()
{
    const bool before = onboardingRequired();
    const SettingsState defaults;
    for (QString *field : {&m_s.wbPath, &m_s.ozonPath, &m_s.ymPath, &m_s.yandexLabelsPath,
                           &m_s.warehousePath, &m_s.wbLabelsDir, &m_s.ozonLabelsDir, &m_s.marelaRollsDir,
                           &m_s.ivraRollsDir, &m_s.labelPrinterName, &m_s.yandexLabelPrinterName,
                           &m_s.comPort, &m_s.comPort2, &m_s.rfidPort, &m_s.uidSearchRoot1,
                           &m_s.uidSearchRoot2, &m_s.uidSearchRoot3, &m_s.displayAppName})
        field->clear();
    m_s.picturesMarelaDir = defaults.picturesMarelaDir;
    m_s.comBaudRate = m_s.comBaudRate2 = m_s.rfidBaudRate = 9600;
    m_s.scannerPorts.clear();
    ScannerSlots::normalize(m_s);
    m_s.scriptBindings.clear();
    for (QVariant &entry : m_s.scriptEntries) {
        QVariantMap map = entry.toMap();
        map.insert(QStringLiteral("path"), QString());
        entry = map;
    }
    SettingsRules::applyInterfaceDefaults(m_s);
    commitChange(before);
}

// ---- server payload ----

bool AppSettings::applyServerPayload(const QVariantMap &payload)
{
    return applyServerPayloadObject(QJsonObject::fromVariantMap(payload));
}

bool AppSettings::applyServerPayloadObject(const QJsonObject &payload)
{
    const QJsonObject patch = ServerPayloadPatch::extract(payload);
    if (patch.isEmpty())
        return false;
    const bool before = onboardingRequired();
    SettingsRules::normalizeScriptBindings(m_s);
    SettingsState next = ServerPayloadPatch::applied(m_s, patch);
    if (sameState(next, m_s))
        return false;
    m_s = next;
    SettingsRules::normalizeScriptBindings(m_s);
    // Saved without a push request: what the server sent is not sent back.
    if (!writeFiles())
        qCWarning(lcSettings) << "server configuration applied but not saved";
    commitChange(before);
    Q_EMIT serverPayloadApplied();
    return true;
}

bool AppSettings::pageVisible(const QString &key) const
{
    return PageKeys::isVisible(key, m_s.hiddenTabs);
}

bool AppSettings::pageEnabled(const QString &key) const
{
    return PageKeys::isEnabled(key, m_s.featureFlags);
}

QString AppSettings::pageTitle(const QString &key) const
{
    return PageKeys::title(key, m_s.helpTitle);
}

QString AppSettings::serverLink(const QString &key) const
{
    return ServerLinks::resolve(m_s.links, key, m_s.serverUrl);
}

// ---- scanner slots ----

QString AppSettings::scannerPort(int index) const { return ScannerSlots::port(m_s, index); }
int AppSettings::scannerBaudRate(int index) const { return ScannerSlots::baudRate(m_s, index); }

void AppSettings::setScannerPort(int index, const QString &value)
{
    mutate([&] { ScannerSlots::setPort(m_s, index, value); });
}

void AppSettings::setScannerBaudRate(int index, int value)
{
    mutate([&] { ScannerSlots::setBaudRate(m_s, index, value); });
}

void AppSettings::addScannerSlot()
{
    mutate([&] { ScannerSlots::addSlot(m_s); });
}

void AppSettings::removeScannerSlot(int index)
{
    mutate([&] { ScannerSlots::removeSlot(m_s, index); });
}

// ---- script entries ----

void AppSettings::editScriptEntry(int index, const QString &field, const QVariant &value)
{
    mutate([&] {
        setRowField(m_s.scriptEntries, index, field, value);
        if (!validRow(m_s.scriptEntries, index))
            return;
        // Machine-local fields are mirrored into the bindings at once.
        const QVariantMap entry = m_s.scriptEntries.at(index).toMap();
        m_s.scriptBindings.insert(ScriptEntries::scriptIds(m_s.scriptEntries).at(index),
                                  ScriptEntries::bindingOf(entry));
    });
}

void AppSettings::addScriptEntry()
{
    mutate([&] { m_s.scriptEntries.append(ScriptEntries::defaultEntry()); });
}

void AppSettings::removeScriptEntry(int index)
{
    mutate([&] { removeRow(m_s.scriptEntries, index); });
}

void AppSettings::setScriptEntryName(int index, const QString &name)
{
    editScriptEntry(index, QStringLiteral("name"), name);
}

void AppSettings::setScriptEntryPath(int index, const QString &path)
{
    editScriptEntry(index, QStringLiteral("path"), path);
}

void AppSettings::setScriptEntryArguments(int index, const QString &arguments)
{
    editScriptEntry(index, QStringLiteral("arguments"), arguments);
}

void AppSettings::setScriptEntryEnabled(int index, bool enabled)
{
    editScriptEntry(index, QStringLiteral("enabled"), enabled);
}

void AppSettings::setScriptEntryAutoStart(int index, bool autoStart)
{
    editScriptEntry(index, QStringLiteral("autoStart"), autoStart);
}

void AppSettings::setScriptEntryLaunchMode(int index, const QString &mode)
{
    const QString text = mode.trimmed();
    editScriptEntry(index, QStringLiteral("launchMode"), text.isEmpty() ? QStringLiteral("auto") : text);
}

void AppSettings::moveScriptEntry(int index, int delta)
{
    mutate([&] { moveRow(m_s.scriptEntries, index, delta); });
}

// ---- consumable tabs ----

void AppSettings::editConsumableTab(int index, const QString &field, const QVariant &value)
{
    mutate([&] {
        setRowField(m_s.consumableTabs, index, field, value);
        // Empty titles and measures fall back to the defaults of the mode.
        if (validRow(m_s.consumableTabs, index))
            m_s.consumableTabs[index] = ConsumableTabs::normalizeTab(m_s.consumableTabs.at(index).toMap(), index);
    });
}

void AppSettings::addConsumableTab()
{
    mutate([&] {
        m_s.consumableTabs.append(ConsumableTabs::normalizeTab(ConsumableTabs::newTab(),
                                                               int(m_s.consumableTabs.size())));
    });
}

void AppSettings::removeConsumableTab(int index)
{
    mutate([&] { removeRow(m_s.consumableTabs, index); });
}

void AppSettings::setConsumableTabTitle(int index, const QString &title)
{
    editConsumableTab(index, QStringLiteral("title"), title);
}

void AppSettings::setConsumableTabMode(int index, const QString &mode)
{
    editConsumableTab(index, QStringLiteral("mode"), ConsumableTabs::normalizeMode(mode));
}

void AppSettings::setConsumableTabServerType(int index, const QString &serverType)
{
    editConsumableTab(index, QStringLiteral("serverType"), serverType);
}

void AppSettings::setConsumableTabMeasure(int index, const QString &measure)
{
    editConsumableTab(index, QStringLiteral("measure"), measure);
}

void AppSettings::setConsumableTabOptionsText(int index, const QString &optionsText)
{
    QVariantList options;
    for (const QString &option : ConsumableTabs::splitOptions(optionsText))
        options.append(option);
    editConsumableTab(index, QStringLiteral("options"), options);
}

QString AppSettings::consumableTabOptionsText(int index) const
{
    if (!validRow(m_s.consumableTabs, index))
        return {};
    return m_s.consumableTabs.at(index).toMap().value(QStringLiteral("options")).toStringList().join(
        QStringLiteral(", "));
}

void AppSettings::moveConsumableTab(int index, int delta)
{
    mutate([&] { moveRow(m_s.consumableTabs, index, delta); });
}

QVariant AppSettings::tabField(const QString &tabId, const char *field) const
{
    return ConsumableTabs::tabById(m_s.consumableTabs, tabId).value(QLatin1String(field));
}

QString AppSettings::consumableTabMode(const QString &tabId) const { return tabField(tabId, "mode").toString(); }

QString AppSettings::consumableTabTitle(const QString &tabId) const { return tabField(tabId, "title").toString(); }

QString AppSettings::consumableTabServerType(const QString &tabId) const { return tabField(tabId, "serverType").toString(); }

QString AppSettings::consumableTabMeasure(const QString &tabId) const { return tabField(tabId, "measure").toString(); }

QVariantList AppSettings::consumableTabOptions(const QString &tabId) const { return tabField(tabId, "options").toList(); }

// ---- wall bindings ----

void AppSettings::addWallBinding()
{
    const QVariantMap binding = WallBindings::bindingForTab(m_s.consumableTabs.value(0).toMap());
    mutate([&] { m_s.wallBindings.append(binding); });
}

void AppSettings::removeWallBinding(int index)
{
    mutate([&] { removeRow(m_s.wallBindings, index); });
}

void AppSettings::setWallBindingTabId(int index, const QString &tabId)
{
    mutate([&] {
        if (!validRow(m_s.wallBindings, index))
            return;
        QVariantMap binding = m_s.wallBindings.at(index).toMap();
        binding.insert(QStringLiteral("tabId"), tabId.trimmed());
        // Title, server type and measure now come from the new tab.
        for (const char *field : {"title", "serverType", "measure"})
            binding.remove(QLatin1String(field));
        m_s.wallBindings[index] = binding;
    });
}

void AppSettings::setWallBindingItemName(int index, const QString &itemName)
{
    mutate([&] { setRowField(m_s.wallBindings, index, QStringLiteral("itemName"), itemName); });
}

void AppSettings::setWallBindingAmount(int index, double amount)
{
    mutate([&] { setRowField(m_s.wallBindings, index, QStringLiteral("amount"), amount); });
}

QString AppSettings::wallBindingPayload(int index) const
{
    if (!validRow(m_s.wallBindings, index))
        return {};
    const QVariantMap binding = m_s.wallBindings.at(index).toMap();
    const QVariantMap tab = ConsumableTabs::tabById(
        m_s.consumableTabs, binding.value(QStringLiteral("tabId")).toString());
    return WallBindings::payload(binding, tab);
}
