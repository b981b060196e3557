#pragma once

#include "devices/SerialLineWorker.h"

#include <QPointer>

class ComScannerService;

// Owns one barcode scanner's serial port on the scanner's thread. Every call from the
// service carries the connection generation; every report goes back queued with it,
// through a weak pointer, so reports to a service that is gone are dropped.
class ComScannerPortWorker : public SerialLineWorker
{
    Q_OBJECT
public:
    ComScannerPortWorker(ComScannerService *service, int idleFlushMs);

    void openPort(quint64 generation, const QString &label, const QString &portName, int baudRate);
    void closePort(quint64 generation);
    // closePort, then ends the scanner thread's event loop.
    void shutdown(quint64 generation);

protected:
    void lineFramed(const QString &text) override;
    void connectionError(const QString &message, bool fatal) override;

private:
    template <typename Call>
    void report(Call call);

    QPointer<ComScannerService> m_service;
    quint64 m_generation = 0;
    QString m_label;
    QString m_portName;
    int m_baudRate = 0;
};
