#include "settings/SettingsRules.h"

#include "settings/PageKeys.h"
#include "settings/ScriptEntries.h"

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
