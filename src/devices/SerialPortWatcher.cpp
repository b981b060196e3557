#include "devices/SerialPortWatcher.h"

#include "devices/SerialPortList.h"

SerialPortWatcher::SerialPortWatcher(int intervalMs, QObject *parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &SerialPortWatcher::refresh);
    m_timer.start();
}

SerialPortWatcher::~SerialPortWatcher()
{
    m_timer.stop();
    m_pool.waitForDone();
}

void SerialPortWatcher::addConfiguredPort(const QObject *owner, std::function<QString()> port)
{
    m_configuredPorts.insert(owner, std::move(port));
}

void SerialPortWatcher::removeConfiguredPort(const QObject *owner)
{
    m_configuredPorts.remove(owner);
}

void SerialPortWatcher::refresh()
{
    if (m_running) {
        // The running enumeration may have started before what asked for this one.
        m_again = true;
        return;
    }
    m_running = true;
    QStringList paths;
    for (const auto &port : std::as_const(m_configuredPorts))
        paths << port();
    // The destructor waits for the pool, so `this` outlives the task and its answer.
    m_pool.start([this, paths] {
        const QStringList ports = SerialPortList::presentPorts(paths);
        QMetaObject::invokeMethod(this, [this, ports] { enumerated(ports); }, Qt::QueuedConnection);
    });
}

void SerialPortWatcher::enumerated(const QStringList &ports)
{
    m_running = false;
    const bool changed = !m_enumerated || ports != m_present;
    m_enumerated = true;
    m_present = ports;
    if (changed)
        Q_EMIT portsChanged();
    Q_EMIT refreshed();
    if (m_again) {
        m_again = false;
        refresh();
    }
}
