#pragma once

#include <QJsonObject>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>

#include "common/HeartbeatFigures.h"

class AppSettings;

// The once-a-minute "client_heartbeat": device state and upload queue sizes.
// The figures are read at the moment of sending from the objects handed in: the
// outbox sizes of the consumables service and of the print archive, the running
// state of the six scanner services (slot order) and of the RFID service. Objects
// not (yet) handed in count as 0 / not running; all of them outlive the sender.
class HeartbeatSender : public QObject
{
    Q_OBJECT
public:
    static constexpr int kScannerSlots = 6;

    explicit HeartbeatSender(AppSettings *settings, QObject *parent = nullptr);

    void setConsumables(const PendingEventsSource *service) { m_consumables = service; }
    void setPrintArchive(const PendingEventsSource *store) { m_printArchive = store; }
    // Slot 1 first; missing slots count as not running.
    void setScanners(const QList<const RunningDevice *> &scanners) { m_scanners = scanners; }
    void setRfid(const RunningDevice *service) { m_rfid = service; }

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
    QNetworkAccessManager m_network;
};
