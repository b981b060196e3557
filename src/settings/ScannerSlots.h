#pragma once

#include <QVariant>

#include "settings/SettingsState.h"

#include <QJsonArray>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// The serial scanner slots (numbered from 1, 2 to 6 of them). Slots 1 and 2
// are mirrored by comPort/comBaudRate and comPort2/comBaudRate2.
class ScannerSlots
{
public:
    static constexpr int kMinSlots = 2;
    static constexpr int kMaxSlots = 6;

    static int normalizeBaud(int baudRate) { return baudRate < 1 ? 9600 : baudRate; }
    // A baud rate as stored in a file or sent by the server: any number, text or nothing.
    static int baudFrom(const QVariant &value);
    static QVariantMap makeSlot(int number, const QString &port, int baudRate);
    static QVariantList fromJson(const QJsonArray &array);

    // At most 6 slots, at least 2, numbered in order; comPort/comPort2 fill
    // empty slots 1 and 2 and then mirror them.
    static void normalize(SettingsState &state);

    static QString port(const SettingsState &state, int number);
    static int baudRate(const SettingsState &state, int number);

    // Edits; each leaves the state normalised.
    static void setPort(SettingsState &state, int number, const QString &port);
    static void setBaudRate(SettingsState &state, int number, int baudRate);
    static void addSlot(SettingsState &state);
    static void removeSlot(SettingsState &state, int number);
    // comPort/comPort2 edited directly: carry the value into the slot.
    static void mirrorIntoSlots(SettingsState &state);

private:
    static void growTo(SettingsState &state, int count);
    static void syncMirrorsFromSlots(SettingsState &state);
};
