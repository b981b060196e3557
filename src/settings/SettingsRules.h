#pragma once

#include "settings/SettingsState.h"

// Rules that keep a settings state consistent after it was read or edited.
class SettingsRules
{
public:
    // Empty app name and help title get their defaults; the sidebar order is
    // rebuilt and the page keys of hidden tabs and feature flags normalised.
    static void applyInterfaceDefaults(SettingsState &state);
    // Script entries in canonical form and their machine bindings rebuilt from them.
    static void normalizeScriptBindings(SettingsState &state);
    // A device with tenant, device, server and key counts as set up.
    static void completeOnboarding(SettingsState &state);
};
