#pragma once

#include "common/HeartbeatFigures.h"
#include "devices/RepeatFilter.h"
#include "devices/SerialTimings.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <functional>

class Journal;
class MonotonicClock;
class SerialLineWorker;
class SerialPortWatcher;

// What the barcode scanners and the RFID reader share (a QObject on the main thread):
// the port thread and its worker, connection attempts bounded by a time-out, the
// generation that tells the current connection's reports from stale ones, the status
// line, the reconnect schedule, the offered port list, the presence watch and the bounded
// shutdown. The worker is reached only by calls queued onto its thread and answers only
// through queued signals tagged with the generation.
class SerialDeviceService : public QObject, public RunningDevice
{
    Q_OBJECT
    Q_PROPERTY(bool running READ running NOTIFY changed FINAL)
    Q_PROPERTY(QString statusText READ statusText NOTIFY changed FINAL)
    Q_PROPERTY(QString portName READ portName NOTIFY changed FINAL)
    Q_PROPERTY(int baudRate READ baudRate NOTIFY changed FINAL)
    Q_PROPERTY(QStringList availablePorts READ availablePorts NOTIFY changed FINAL)

public:
    ~SerialDeviceService() override;

    bool running() const override { return m_connected || m_connecting; }
    QString statusText() const { return m_statusText; }
    // The configured port (trimmed) and baud rate (9600 unless positive), read each time.
    QString portName() const;
    int baudRate() const;
    QStringList availablePorts() const { return m_availablePorts; }

    QString label() const { return m_setup.label; }
    bool connected() const { return m_connected; }
    // Diagnostics (and tests): the port thread, the connection generation, the pending
    // reconnect and its delay.
    QThread *portThread() { return &m_thread; }
    quint64 generation() const { return m_generation; }
    bool reconnectPending() const { return m_reconnectTimer.isActive(); }
    int reconnectDelayMs() const { return m_reconnectTimer.interval(); }

    Q_INVOKABLE void start();
    Q_INVOKABLE void stop();
    Q_INVOKABLE void toggle();
    Q_INVOKABLE void refreshAvailablePorts();

Q_SIGNALS:
    void changed();

protected:
    struct Setup
    {
        QString label;      // begins every status line: "Сканер 3", "RFID"
        QString threadName;
        std::function<QString()> port; // the configured port, read at the moment of use
        std::function<int()> baud;
        qint64 repeatWindowMs = 0;       // the same line again within this is dropped
        bool reconnects = true;          // reconnect schedule and presence watch
        bool configuredPortFirst = true; // a missing configured port heads the offered list
    };

    // Takes the worker (created without a parent), moves it to the port thread and
    // listens to its reports. `ports` may be null: no presence watch then.
    SerialDeviceService(Setup setup, Journal *journal, SerialPortWatcher *ports,
                        const SerialTimings &timings, SerialLineWorker *worker, QObject *parent);

    static const MonotonicClock &clockOf(const SerialTimings &timings);

    // A line of the current connection: trimmed, not empty, not a repeat.
    virtual void acceptLine(const QString &text) = 0;
    // The connection is over or abandoned (stop, failure, time-out, loss).
    virtual void connectionEnded() {}

    Journal *journal() const { return m_journal; }
    SerialLineWorker *worker() const { return m_worker; }

    // Connects a worker report to a handler, queued; reports of an older connection
    // (an earlier generation) are dropped here, in one place.
    template <typename Worker, typename Service, typename... Args>
    void listen(Worker *worker, void (Worker::*report)(quint64, Args...),
                void (Service::*handler)(Args...))
    {
        const auto deliver = [this, handler](quint64 generation, Args... args) {
            if (generation == m_generation)
                (static_cast<Service *>(this)->*handler)(args...);
        };
        connect(worker, report, this, deliver, Qt::QueuedConnection);
    }

    // Equal text: only changed() (the state behind it may have moved); else replaced,
    // changed() and, when logged, one journal line.
    void setStatus(const QString &text, bool logged);

private:
    // Reports of the current connection.
    void opened(const QString &portName, int baudRate);
    void openFailed(const QString &portName, const QString &message);
    void failed(const QString &message, bool fatal);
    void closed();
    void lineArrived(const QString &line);

    void onOpenTimeout();
    void onReconnectTimer();
    void onPortsChanged();
    void onPortsRefreshed();

    void dropConnection();
    void scheduleReconnect(const QString &reason);
    void queueClose();
    void showPorts(const QStringList &present);
    void stopThread();

    Setup m_setup;
    Journal *m_journal;
    QPointer<SerialPortWatcher> m_ports;
    SerialTimings m_timings;
    SerialLineWorker *m_worker;
    RepeatFilter m_repeats;
    QThread m_thread;
    QTimer m_openTimer;
    QTimer m_reconnectTimer;

    QStringList m_availablePorts;
    QString m_statusText;
    QString m_currentPort;
    int m_currentBaud = 0;
    quint64 m_generation = 0;
    int m_reconnectAttempt = 0;
    bool m_connected = false;
    bool m_connecting = false;
    bool m_refreshingPorts = false;
    bool m_stopped = false;
};
