#pragma once

#include "devices/SerialDeviceService.h"

class AppSettings;

// One barcode scanner slot. The port itself lives on a thread of its own inside
// ComScannerPortWorker; this object (main thread) keeps the status, suppresses bounces,
// reconnects after errors on a growing delay, follows the port's presence and emits
// every accepted scan.
class ComScannerService : public SerialDeviceService
{
    Q_OBJECT
    Q_PROPERTY(QString lastScan READ lastScan NOTIFY changed)

public:
    // `ports` is the presence watcher shared by every device (may be null: no watch).
    ComScannerService(AppSettings *settings, Journal *eventLog, int slot, SerialPortWatcher *ports,
                      QObject *parent = nullptr);
    ComScannerService(AppSettings *settings, Journal *eventLog, int slot, SerialPortWatcher *ports,
                      const SerialTimings &timings, QObject *parent = nullptr);

    QString lastScan() const { return m_lastScan; }
    int slot() const { return m_slot; }

Q_SIGNALS:
    void scanReceived(const QString &raw);

protected:
    void acceptLine(const QString &text) override;

private:
    int m_slot;
    QString m_lastScan;
};
