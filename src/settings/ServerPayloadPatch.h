#pragma once

#include "settings/SettingsState.h"

#include <QJsonObject>
#include <QVariantMap>

// The configuration carried by a server reply or snapshot, gathered from the
// places the server may put it into one flat patch of identity keys.
// Keys that belong to this machine (paths, printers, ports) never make it in.
class ServerPayloadPatch
{
public:
    static QJsonObject extract(const QVariantMap &payload);
    static QJsonObject extract(const QJsonObject &payload);

    // The state with the patch applied: merged into the state's server form and
    // read back; this machine's settings stay, wall bindings are never shortened.
    static SettingsState applied(const SettingsState &state, const QJsonObject &patch);

    // Objects merge key by key at every depth; any other value replaces.
    static void mergeRecursive(QJsonObject &target, const QJsonObject &source);

private:
    static void mergeSource(QJsonObject &patch, const QJsonObject &source);
    static void liftUiKeys(QJsonObject &patch);
    static void removeMachineKeys(QJsonObject &patch);
};
