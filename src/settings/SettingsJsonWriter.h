#pragma once

#include "settings/OrderedJson.h"
#include "settings/SettingsState.h"

#include <QJsonObject>
#include <QString>

// The persisted and the server-facing forms of the settings state.
class SettingsJsonWriter
{
public:
    // "settings.json": this machine's keys, in their fixed order.
    static OrderedJson localObject(const SettingsState &state);
    // "identity.json": identity and server-given state, in their fixed order.
    static OrderedJson identityObject(const SettingsState &state);
    // Every identity key plus the snake-case names the server uses; a server
    // patch is merged into this before it is read back.
    static QJsonObject serverForm(const SettingsState &state);

    // Compact {"local", "identity"} text: what was, or would be, written.
    static QString persistedText(const SettingsState &state);
    // Like persistedText, plus the in-memory values that matter for change detection.
    static QString fullText(const SettingsState &state);
};
