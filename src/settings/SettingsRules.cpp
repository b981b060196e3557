#include "settings/SettingsRules.h"

#include "settings/ConsumableTabs.h"
#include "settings/PageKeys.h"
#include "settings/ScannerSlots.h"
#include "settings/ScriptEntries.h"
#include "settings/SettingsJsonReader.h"

SettingsState SettingsRules::initialState(const QString &deviceName)
{
    SettingsState s;
    s.deviceName = deviceName.trimmed();
    if (s.deviceName.isEmpty())
        s.deviceName = QStringLiteral("VornClient-PC");
    s.consumableTabs = ConsumableTabs::defaults();
    s.sidebarOrder = PageKeys::defaultSidebarOrder();
    ScannerSlots::normalize(s);
    applyInterfaceDefaults(s);
    return s;
}

void SettingsRules::applyFiles(SettingsState &s, const QJsonObject &identity, const QJsonObject &local)
{
    if (!identity.isEmpty())
        SettingsJsonReader::applyIdentity(s, identity);
    else if (!local.isEmpty())
        SettingsJsonReader::applyIdentity(s, local); // older installations kept one file
    if (!local.isEmpty())
        SettingsJsonReader::applyMachine(s, local);
    s.scriptEntries = ScriptEntries::applyBindings(s.scriptEntries, s.scriptBindings);
    ScannerSlots::normalize(s);
    applyInterfaceDefaults(s);
    completeOnboarding(s);
}

void SettingsRules::applyInterfaceDefaults(SettingsState &s)
{
    if (s.displayAppName.trimmed().isEmpty())
        s.displayAppName = QStringLiteral("VornClient");
    if (s.helpTitle.trimmed().isEmpty())
        s.helpTitle = QStringLiteral("Инструкция");
    s.sidebarOrder = PageKeys::rebuildSidebarOrder(s.sidebarOrder);
    s.hiddenTabs = PageKeys::normalizeList(s.hiddenTabs);
    s.featureFlags = PageKeys::normalizeFlagKeys(s.featureFlags);
}

void SettingsRules::normalizeScriptBindings(SettingsState &s)
{
    s.scriptEntries = ScriptEntries::normalizeList(s.scriptEntries);
    s.scriptBindings = ScriptEntries::buildBindings(s.scriptEntries);
}

void SettingsRules::completeOnboarding(SettingsState &s)
{
    if (!s.onboardingCompleted && !s.tenantId.trimmed().isEmpty() && !s.deviceId.trimmed().isEmpty()
        && !s.serverUrl.trimmed().isEmpty() && !s.apiKey.trimmed().isEmpty())
        s.onboardingCompleted = true;
}
