#pragma once

#include <QString>

// Points the client's "settings.json" at virtual devices: scanner slot 1 and the RFID
// reader get the given ports when they have none yet, so a user's own choice survives.
class SettingsPatch
{
public:
    static bool apply(const QString &settingsFile, const QString &scannerPort,
                      const QString &rfidPort, QString *error);
};
