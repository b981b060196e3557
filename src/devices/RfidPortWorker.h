#pragma once

#include "devices/SerialLineWorker.h"

#include <QPointer>

class RfidScannerService;

// Owns the RFID reader's serial port on the reader thread: opens it for reading and
// writing, frames the reader's lines and writes its commands. Calls and reports carry
// the connection generation; reports go back through a weak pointer to the service.
class RfidPortWorker : public SerialLineWorker
{
    Q_OBJECT
public:
    RfidPortWorker(RfidScannerService *service, int idleFlushMs);

    void openPort(quint64 generation, const QString &portName, int baudRate);
    void closePort(quint64 generation);
    void sendCommand(quint64 generation, const QString &text);
    // closePort, then ends the reader thread's event loop.
    void shutdown(quint64 generation);

protected:
    void lineFramed(const QString &text) override;
    void connectionError(const QString &message, bool fatal) override;

private:
    template <typename Call>
    void report(Call call);

    QPointer<RfidScannerService> m_service;
    quint64 m_generation = 0;
    QString m_portName;
};
