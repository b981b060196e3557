#pragma once

#include <QJsonObject>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>

#include "common/HeartbeatFigures.h"

class AppSettings;
class WriteFailureMonitor;

// The once-a-minute "client_heartbeat": device state and upload queue sizes.
// The figures are read at the moment of sending from the objects handed in: the
// outbox sizes of the consumables service and of the print archive, the running
// state of the six scanner services (slot order) and of the RFID service. Objects
// not (yet) handed in count as 0 / not running; all of them outlive the sender.
// A tick while the last heartbeat is still open sends nothing; the deadline ends a hung one.
class HeartbeatSender : public QObject
{
    Q_OBJECT
public:
    static constexpr int kScannerSlots = 6;
    static constexpr int kDefaultTimeoutMs = 20000;

    explicit HeartbeatSender(AppSettings *settings, QObject *parent = nullptr);

    void setConsumables(const PendingEventsSource *service) { m_consumables = service; }
    void setPrintArchive(const PendingEventsSource *store) { m_printArchive = store; }
    // Slot 1 first; missing slots count as not running.
    void setScanners(const QList<const RunningDevice *> &scanners) { m_scanners = scanners; }
    void setRfid(const RunningDevice *service) { m_rfid = service; }
    // Folders the client cannot write to are reported with every heartbeat.
    void setWriteFailures(const WriteFailureMonitor *monitor) { m_writeFailures = monitor; }
    void setRequestTimeoutMs(int ms) { m_timeoutMs = ms; }
    bool inFlight() const { return m_inFlight; }

    // The request body as it would be sent now.
    QJsonObject buildBody() const;

    Q_INVOKABLE void sendHeartbeat();

Q_SIGNALS:
    // A heartbeat reply arrived (httpStatus 0: no HTTP answer). For diagnostics and tests.
    void replied(int httpStatus);

private:
    QPointer<AppSettings> m_settings;
    const PendingEventsSource *m_consumables = nullptr;
    const PendingEventsSource *m_printArchive = nullptr;
    QList<const RunningDevice *> m_scanners;
    const RunningDevice *m_rfid = nullptr;
    const WriteFailureMonitor *m_writeFailures = nullptr;
    QNetworkAccessManager m_network;
    int m_timeoutMs = kDefaultTimeoutMs;
    bool m_inFlight = false;
};
