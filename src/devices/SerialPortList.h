#pragma once

#include <QString>
#include <QStringList>

// The serial ports the system offers, as the device services list and watch them.
class SerialPortList
{
public:
    // Ports present right now: the serial library's enumeration, plus the configured
    // port when the platform sees it as an existing path (ptys and socat links, which
    // the library does not enumerate on POSIX).
    static QStringList presentPorts(const QString &configuredPort);

    // The list offered to the user: present ports trimmed, without empties or duplicates,
    // sorted without regard to case; a configured port that is missing is put first
    // (configuredFirst) or sorted in with the rest.
    static QStringList offeredPorts(const QString &configuredPort, bool configuredFirst);
    // The same, built from a list presentPorts() has just produced.
    static QStringList offeredPorts(QStringList present, const QString &configuredPort,
                                    bool configuredFirst);

    // Port names compare without regard to case (Windows "COM3" vs "com3").
    static bool containsPort(const QStringList &ports, const QString &portName);
};
