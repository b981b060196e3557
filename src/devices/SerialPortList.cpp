#include "devices/SerialPortList.h"

#include "platform/NativeStringQt.h"
#include "platform/SerialPlatform.h"

#include <QSerialPortInfo>

#include <algorithm>

QStringList SerialPortList::presentPorts(const QString &configuredPort)
{
    QStringList ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        const QString name = info.portName().trimmed();
        if (!name.isEmpty() && !ports.contains(name))
            ports.append(name);
    }
    const QString configured = configuredPort.trimmed();
    if (!configured.isEmpty() && !ports.contains(configured)
        && platform::serialPathExists(platform::toNativePath(configured))) {
        ports.append(configured);
    }
    return ports;
}

QStringList SerialPortList::offeredPorts(const QString &configuredPort, bool configuredFirst)
{
    return offeredPorts(presentPorts(configuredPort), configuredPort, configuredFirst);
}

QStringList SerialPortList::offeredPorts(QStringList present, const QString &configuredPort,
                                         bool configuredFirst)
{
    QStringList ports = std::move(present);
    std::sort(ports.begin(), ports.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    const QString configured = configuredPort.trimmed();
    if (!configured.isEmpty() && !ports.contains(configured)) {
        if (configuredFirst) {
            ports.prepend(configured);
        } else {
            ports.append(configured);
            std::sort(ports.begin(), ports.end(), [](const QString &a, const QString &b) {
                return a.compare(b, Qt::CaseInsensitive) < 0;
            });
        }
    }
    return ports;
}

bool SerialPortList::containsPort(const QStringList &ports, const QString &portName)
{
    return ports.contains(portName.trimmed(), Qt::CaseInsensitive);
}
