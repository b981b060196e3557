#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>

#include <functional>

// Watches the serial ports present in the system for every device service at once:
// one enumeration per tick, run off the main thread (the system's device enumeration
// can take long), and a signal only when the set of ports has changed.
// Created once by the object graph and handed to the services; it must outlive them.
class SerialPortWatcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDefaultIntervalMs = 12000;

    explicit SerialPortWatcher(int intervalMs = kDefaultIntervalMs, QObject *parent = nullptr);
    // Waits for an enumeration that is still running.
    ~SerialPortWatcher() override;

    // Each service names the port it is configured for, read at every tick: the serial
    // library does not list ptys or links, those are looked up on the file system.
    void addConfiguredPort(const QObject *owner, std::function<QString()> port);
    void removeConfiguredPort(const QObject *owner);

    // The ports found by the last enumeration (none before the first has finished).
    QStringList presentPorts() const { return m_present; }
    bool hasEnumerated() const { return m_enumerated; }

    // Enumerates now instead of waiting for the next tick.
    void refresh();

Q_SIGNALS:
    // The present ports differ from the last enumeration (the first one always counts).
    void portsChanged();
    // An enumeration has finished, changed or not.
    void refreshed();

private:
    void enumerated(const QStringList &ports);

    QTimer m_timer;
    QThreadPool m_pool;
    QHash<const QObject *, std::function<QString()>> m_configuredPorts;
    QStringList m_present;
    bool m_enumerated = false;
    bool m_running = false;
    bool m_again = false;
};
