#include "devices/SerialPortList.h"

#include "platform/NativeStringQt.h"
#include "platform/SerialPlatform.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace {
bool lessIgnoringCase(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) < 0;
}
} // namespace

QStringList SerialPortList::presentPorts(const QStringList &paths)
{
    QStringList ports;
    const auto add = [&ports](const QString &name) {
        if (!name.isEmpty() && !ports.contains(name))
            ports.append(name);
    };
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        add(info.portName().trimmed());
    for (const QString &path : paths) {
        const QString name = path.trimmed();
        if (!name.isEmpty() && platform::serialPathExists(platform::toNativePath(name)))
            add(name);
    }
    std::sort(ports.begin(), ports.end(), lessIgnoringCase);
    return ports;
}

QStringList SerialPortList::offeredPorts(const QStringList &present, const QString &configuredPort,
                                         bool configuredFirst)
{
    QStringList ports = present;
    const QString configured = configuredPort.trimmed();
    if (configured.isEmpty() || ports.contains(configured))
        return ports;
    if (configuredFirst)
        ports.prepend(configured);
    else
        ports.insert(std::lower_bound(ports.begin(), ports.end(), configured, lessIgnoringCase), configured);
    return ports;
}

bool SerialPortList::containsPort(const QStringList &ports, const QString &portName)
{
    return ports.contains(portName.trimmed(), Qt::CaseInsensitive);
}
