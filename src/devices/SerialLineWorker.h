#pragma once

#include "devices/RateWindow.h"
#include "devices/SerialLineFramer.h"

#include <QIODevice>
#include <QObject>
#include <QSerialPort>
#include <QString>

class MonotonicClock;
class QTimer;

// The port side of a serial device, living on the device's own thread: one QSerialPort
// per connection, created, read and deleted on that thread; line framing with the idle
// flush; flood stops; the mapping of serial errors to "connection over" or "keep going".
// The service calls the operations queued onto this thread; everything goes back as
// queued signals carrying the generation the connection was opened with, so the service
// drops what belongs to an older connection (and Qt drops what reaches a service that
// is gone).
class SerialLineWorker : public QObject
{
    Q_OBJECT
public:
    struct Config
    {
        int maxLinesPerSecond = 80;
        QIODevice::OpenMode openMode = QIODevice::ReadOnly;
        QString device;        // opens the flood-stop messages: "COM-порт"
        QString errorFallback; // a serial error without a text
    };

    ~SerialLineWorker() override;

    // Opens a new connection (any previous one is torn down first).
    void openPort(quint64 generation, const QString &portName, int baudRate);
    void closePort(quint64 generation);
    // closePort, then ends the thread's event loop.
    void shutdown(quint64 generation);

Q_SIGNALS:
    void portOpened(quint64 generation, const QString &portName, int baudRate);
    void portOpenFailed(quint64 generation, const QString &portName, const QString &message);
    void portError(quint64 generation, const QString &message, bool fatal);
    void portClosed(quint64 generation);
    void lineReceived(quint64 generation, const QString &text);

protected:
    SerialLineWorker(Config config, int idleFlushMs, const MonotonicClock &clock);

    QSerialPort *port() const { return m_port; }
    quint64 generation() const { return m_generation; }

private:
    bool openConnection(const QString &portName, int baudRate, QString *error);
    void readAvailable();
    void idleFlush();
    void handleError(QSerialPort::SerialPortError error);
    void deliver(SerialLineFramer::Result result, const QStringList &lines);
    void floodStop(const QString &message);
    // Releases the port, its idle timer, the buffer and the rate windows.
    void release(bool deferred);

    Config m_config;
    int m_idleFlushMs;
    SerialLineFramer m_framer;
    // A port that keeps reporting errors is treated as gone: a hung-up line can spin
    // the thread on the same error.
    RateWindow m_errorRate;
    quint64 m_generation = 0;
    QSerialPort *m_port = nullptr;
    QTimer *m_idleTimer = nullptr;
    bool m_opening = false;
};
