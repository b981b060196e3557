#pragma once

#include "devices/SerialDeviceService.h"

class AppSettings;
class RfidPortWorker;

// The RFID card reader. Its port lives on a thread of its own inside RfidPortWorker;
// this object (main thread) speaks the reader's line protocol, sends read and write
// commands, tracks the one command that may be outstanding and reports cards.
// It never reconnects on its own.
class RfidScannerService : public SerialDeviceService
{
    Q_OBJECT
    Q_PROPERTY(QString lastRaw READ lastRaw NOTIFY changed)
    Q_PROPERTY(QString lastUid READ lastUid NOTIFY changed)
    Q_PROPERTY(QString lastTagText READ lastTagText NOTIFY changed)
    Q_PROPERTY(QString pendingAction READ pendingAction NOTIFY changed)
    Q_PROPERTY(QString lastResponse READ lastResponse NOTIFY changed)

public:
    // `ports` is the presence watcher shared by every device (may be null).
    RfidScannerService(AppSettings *settings, Journal *eventLog, SerialPortWatcher *ports,
                       QObject *parent = nullptr);
    RfidScannerService(AppSettings *settings, Journal *eventLog, SerialPortWatcher *ports,
                       const SerialTimings &timings, QObject *parent = nullptr);

    QString lastRaw() const { return m_lastRaw; }
    QString lastUid() const { return m_lastUid; }
    QString lastTagText() const { return m_lastTagText; }
    QString pendingAction() const { return m_pendingAction; }
    QString lastResponse() const { return m_lastResponse; }

    Q_INVOKABLE bool requestReadCard();
    Q_INVOKABLE bool requestWriteCard(const QString &payload);
    Q_INVOKABLE void clearPendingAction();

Q_SIGNALS:
    void rawLineReceived(const QString &raw);
    void cardReceived(const QString &uid, const QString &tagText, const QString &raw);
    void cardDataRead(const QString &uid, const QString &data);
    void commandResult(bool ok, const QString &message);

protected:
    void acceptLine(const QString &text) override;
    void connectionEnded() override;

private:
    void onCommandFailed(const QString &message);
    bool handlePendingReply(const QString &line);
    void handleUnsolicited(const QString &line);
    void acceptCard(const QString &uidText, const QString &tagText, const QString &raw);
    void finishCommand(bool ok, const QString &message);
    bool sendReaderCommand(const QString &action, const QString &command, const QString &prompt);
    void dropPendingAction();

    RfidPortWorker *m_reader;
    QString m_lastRaw;
    QString m_lastUid;
    QString m_lastTagText;
    QString m_pendingAction;
    QString m_pendingCommand;
    QString m_lastResponse;
};
