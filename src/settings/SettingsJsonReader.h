#pragma once

#include "settings/SettingsState.h"

#include <QJsonObject>
#include <QString>

// Reads the settings objects into the state, with the fallbacks older files
// and server payloads need. Values of the wrong JSON type count as absent.
class SettingsJsonReader
{
public:
    // Identity and server-given state. A missing key takes its empty or
    // default value; orderScanConfirmMode is always reset to "app".
    static void applyIdentity(SettingsState &state, const QJsonObject &object);
    // This machine's keys (paths, printers, ports, script bindings).
    static void applyMachine(SettingsState &state, const QJsonObject &object);

    // Trimmed, without trailing "/"; empty or the legacy address gives the default.
    static QString normalizeServerUrl(const QString &url);
};
