#pragma once

#include <QString>
#include <QStringList>

// The serial ports the system offers, as the device services list and watch them.
class SerialPortList
{
public:
    // Ports present right now, sorted without regard to case, without empties or
    // duplicates: the serial library's enumeration, plus each of `paths` the platform sees
    // as an existing node (ptys and socat links, which the library does not enumerate on
    // POSIX). The enumeration can take long on Windows: call it off the main thread.
    static QStringList presentPorts(const QStringList &paths);

    // The list offered to the user: the present ports, and a configured port that is
    // missing put first (configuredFirst) or sorted in with the rest.
    static QStringList offeredPorts(const QStringList &present, const QString &configuredPort,
                                    bool configuredFirst);

    // Port names compare without regard to case (Windows "COM3" vs "com3").
    static bool containsPort(const QStringList &ports, const QString &portName);
};
