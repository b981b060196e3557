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
class RfidPortWorker;

// The RFID card reader. Its port lives on a thread of its own inside RfidPortWorker;
// this object (main thread) speaks the reader's line protocol, sends read and write
// commands, tracks the one command that may be outstanding and reports cards.
// It never reconnects on its own.
class RfidScannerService : public QObject, public RunningDevice
{
    Q_OBJECT
    Q_PROPERTY(bool running READ running NOTIFY changed)
    Q_PROPERTY(QString statusText READ statusText NOTIFY changed)
    Q_PROPERTY(QString lastRaw READ lastRaw NOTIFY changed)
    Q_PROPERTY(QString lastUid READ lastUid NOTIFY changed)
    Q_PROPERTY(QString lastTagText READ lastTagText NOTIFY changed)
    Q_PROPERTY(QString pendingAction READ pendingAction NOTIFY changed)
    Q_PROPERTY(QString lastResponse READ lastResponse NOTIFY changed)
    Q_PROPERTY(QString portName READ portName NOTIFY changed)
    Q_PROPERTY(int baudRate READ baudRate NOTIFY changed)
    Q_PROPERTY(QStringList availablePorts READ availablePorts NOTIFY changed)

public:
    explicit RfidScannerService(AppSettings *settings, Journal *eventLog,
                                QObject *parent = nullptr);
    RfidScannerService(AppSettings *settings, Journal *eventLog,
                       const SerialTimings &timings, QObject *parent = nullptr);
    ~RfidScannerService() override;

    bool running() const override { return m_connected || m_connecting; }
    QString statusText() const { return m_statusText; }
    QString lastRaw() const { return m_lastRaw; }
    QString lastUid() const { return m_lastUid; }
    QString lastTagText() const { return m_lastTagText; }
    QString pendingAction() const { return m_pendingAction; }
    QString lastResponse() const { return m_lastResponse; }
    QString portName() const;
    int baudRate() const;
    QStringList availablePorts() const { return m_availablePorts; }

    bool connected() const { return m_connected; }
    // Diagnostics (and tests): the reader thread and the connection generation.
    QThread *portThread() { return &m_thread; }
    quint64 generation() const { return m_generation; }

    Q_INVOKABLE void start();
    Q_INVOKABLE void stop();
    Q_INVOKABLE void toggle();
    Q_INVOKABLE void refreshAvailablePorts();
    Q_INVOKABLE bool requestReadCard();
    Q_INVOKABLE bool requestWriteCard(const QString &payload);
    Q_INVOKABLE void clearPendingAction();

Q_SIGNALS:
    void changed();
    void rawLineReceived(const QString &raw);
    void cardReceived(const QString &uid, const QString &tagText, const QString &raw);
    void cardDataRead(const QString &uid, const QString &data);
    void commandResult(bool ok, const QString &message);

private:
    friend class RfidPortWorker;

    // Worker reports, each tagged with the generation the connection was started with.
    void onPortOpened(quint64 generation, const QString &portName, int baudRate);
    void onPortOpenFailed(quint64 generation, const QString &portName, const QString &message);
    void onPortError(quint64 generation, const QString &message, bool fatal);
    void onPortClosed(quint64 generation);
    void onCommandFailed(quint64 generation, const QString &message);
    void onLineReceived(quint64 generation, const QString &text);

    void acceptLine(const QString &line);
    bool handlePendingReply(const QString &line);
    void handleUnsolicited(const QString &line);
    void acceptCard(const QString &uidText, const QString &tagText, const QString &raw);
    void finishCommand(bool ok, const QString &message);
    bool sendReaderCommand(const QString &action, const QString &command, const QString &prompt);
    void setStatus(const QString &text, bool logged);
    void dropPendingAction();
    void onOpenTimeout();
    void queueClose();

    AppSettings *m_settings;
    Journal *m_eventLog = nullptr;
    SerialTimings m_timings;
    RfidPortWorker *m_worker = nullptr;
    QThread m_thread;
    QTimer m_openTimer;

    QStringList m_availablePorts;
    QString m_statusText;
    QString m_lastRaw;
    QString m_lastUid;
    QString m_lastTagText;
    QString m_pendingAction;
    QString m_pendingCommand;
    QString m_lastResponse;
    QString m_currentPort;
    int m_currentBaud = 0;
    QString m_lastLine;
    qint64 m_lastLineAtMs = 0;
    quint64 m_generation = 0;
    bool m_connected = false;
    bool m_connecting = false;
    bool m_refreshingPorts = false;
};
