#pragma once

#include "common/HeartbeatFigures.h"
#include "devices/SerialTimings.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>

class AppSettings;
class Journal;
class ComScannerPortWorker;

// One barcode scanner slot. The port itself lives on a thread of its own inside
// ComScannerPortWorker; this object (main thread) keeps the status, suppresses bounces,
// reconnects after errors on a growing delay, watches the port's presence and emits
// every accepted scan.
class ComScannerService : public QObject, public RunningDevice
{
    Q_OBJECT
    Q_PROPERTY(bool running READ running NOTIFY changed)
    Q_PROPERTY(QString statusText READ statusText NOTIFY changed)
    Q_PROPERTY(QString lastScan READ lastScan NOTIFY changed)
    Q_PROPERTY(QString portName READ portName NOTIFY changed)
    Q_PROPERTY(int baudRate READ baudRate NOTIFY changed)
    Q_PROPERTY(QStringList availablePorts READ availablePorts NOTIFY changed)

public:
    ComScannerService(AppSettings *settings, Journal *eventLog, int slot,
                      QObject *parent = nullptr);
    ComScannerService(AppSettings *settings, Journal *eventLog, int slot,
                      const SerialTimings &timings, QObject *parent = nullptr);
    ~ComScannerService() override;

    bool running() const override { return m_connected || m_connecting; }
    QString statusText() const { return m_statusText; }
    QString lastScan() const { return m_lastScan; }
    QString portName() const;
    int baudRate() const;
    QStringList availablePorts() const { return m_availablePorts; }

    int slot() const { return m_slot; }
    QString label() const;
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
    void scanReceived(const QString &raw);

private:
    friend class ComScannerPortWorker;

    // Worker reports, each tagged with the generation the connection was started with.
    void onPortOpened(quint64 generation, const QString &portName, int baudRate);
    void onPortOpenFailed(quint64 generation, const QString &portName, const QString &message);
    void onPortError(quint64 generation, const QString &message, bool fatal);
    void onPortClosed(quint64 generation);
    void onLineReceived(quint64 generation, const QString &text);

    void acceptScan(const QString &text);
    void setStatus(const QString &text, bool logged);
    void scheduleReconnect(const QString &reason);
    void onReconnectTimer();
    void onOpenTimeout();
    void checkPresence();
    void queueClose();
    QString configuredPort() const;
    int configuredBaud() const;

    AppSettings *m_settings;
    Journal *m_eventLog = nullptr;
    int m_slot;
    SerialTimings m_timings;
    ComScannerPortWorker *m_worker = nullptr;
    QThread m_thread;
    QTimer m_openTimeoutTimer;
    QTimer m_reconnectTimer;
    QTimer m_presenceTimer;

    QStringList m_availablePorts;
    QString m_statusText;
    QString m_lastScan;
    QString m_lastRaw;
    qint64 m_lastRawAtMs = 0;
    QString m_currentPort;
    int m_currentBaud = 0;
    quint64 m_generation = 0;
    int m_reconnectAttempt = 0;
    bool m_connected = false;
    bool m_connecting = false;
    bool m_refreshingPorts = false;
    bool m_stopped = false;
};
