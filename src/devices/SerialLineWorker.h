#pragma once

#include "devices/SerialLineFramer.h"

#include <QIODevice>
#include <QObject>
#include <QSerialPort>
#include <QString>

class QTimer;

// The part of a port worker that both device kinds share: one QSerialPort per connection,
// created, read and deleted on the worker's own thread; line framing with the idle flush;
// flood stops; the mapping of serial errors to "connection over" or "keep going".
// Subclasses add the queued operations and report to their service.
class SerialLineWorker : public QObject
{
    Q_OBJECT
public:
    struct Texts
    {
        QString tooManyBytes; // read too large / buffer overflow
        QString tooManyLines; // line-rate guard tripped
        QString errorFallback; // a serial error without a text
    };

    ~SerialLineWorker() override;

protected:
    SerialLineWorker(int maxLinesPerSecond, int idleFlushMs, Texts texts);

    // Opens a new connection (any previous one is torn down first). On failure the port
    // is released and *error holds the library's text, or a fallback.
    bool openConnection(const QString &portName, int baudRate, QIODevice::OpenMode mode,
                        QString *error);
    // Releases the port, its idle timer, the buffer and the rate window.
    void tearDown();
    QSerialPort *port() const { return m_port; }

    virtual void lineFramed(const QString &text) = 0;
    virtual void connectionError(const QString &message, bool fatal) = 0;

private:
    void readAvailable();
    void idleFlush();
    void handleError(QSerialPort::SerialPortError error);
    void deliver(SerialLineFramer::Result result, const QStringList &lines);
    void floodStop(const QString &message);
    void release(bool deferred);
    bool errorsRepeatTooFast();

    SerialLineFramer m_framer;
    int m_idleFlushMs;
    Texts m_texts;
    QSerialPort *m_port = nullptr;
    QTimer *m_idleTimer = nullptr;
    bool m_opening = false;
    qint64 m_errorWindowStartMs = 0;
    int m_errorsInWindow = 0;
};
