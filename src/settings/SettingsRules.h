#pragma once

#include "settings/SettingsState.h"

#include <QJsonObject>
#include <QString>

// Rules that keep a settings state consistent after it was read or edited.
class SettingsRules
{
public:
    // A machine that has no settings yet: default tabs, sidebar and scanner slots.
    static SettingsState initialState(const QString &deviceName);
    // Both settings files read into the state (also the older layout that kept
    // everything in one file), then completed by the rules below.
    static void applyFiles(SettingsState &state, const QJsonObject &identity, const QJsonObject &local);
    // Empty app name and help title get their defaults; the sidebar order is
    // rebuilt and the page keys of hidden tabs and feature flags normalised.
    static void applyInterfaceDefaults(SettingsState &state);
    // Script entries in canonical form and their machine bindings rebuilt from them.
    static void normalizeScriptBindings(SettingsState &state);
    // A device with tenant, device, server and key counts as set up.
    static void completeOnboarding(SettingsState &state);
};
