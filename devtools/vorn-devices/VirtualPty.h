#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// One pseudo-terminal: the client opens its slave end (or the link to it) as a serial
// port; we hold the master end. The slave is kept open here too, so a client closing and
// reopening its port never hangs the line up; only ending this process does.
class VirtualPty : public QObject
{
    Q_OBJECT
public:
    explicit VirtualPty(QObject *parent = nullptr);
    ~VirtualPty() override;

    // Creates the pair and, when linkPath is set, a symbolic link to the slave end.
    bool open(const QString &linkPath, QString *error);
    QString slavePath() const { return m_slavePath; }
    QString clientPath() const { return m_linkPath.isEmpty() ? m_slavePath : m_linkPath; }

    // Queues bytes for the client; written as fast as the line takes them.
    void send(const QByteArray &bytes);
    qint64 pendingBytes() const { return m_outgoing.size(); }

Q_SIGNALS:
    void received(const QByteArray &bytes); // what the client wrote
    void drained();                         // everything queued has been written

private:
    void readMaster();
    void writeMaster();

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    QByteArray m_outgoing;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
};
