#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class VirtualPty;

// An RFID reader on a pseudo-terminal speaking the reader's line protocol. A person
// presents cards by typing "UID" or "UID:DATA" (sent as "RFID:UID" / "TAG:UID:DATA");
// lines that already carry a protocol prefix are sent as they are. The client's "READ"
// is answered from the card on the reader, "WRITE:payload" stores the payload on it.
class VirtualRfidReader : public QObject
{
    Q_OBJECT
public:
    VirtualRfidReader(VirtualPty *pty, QObject *parent = nullptr);

    void setCard(const QString &card); // "UID" or "UID:DATA", not announced
    void setReadReplyAsTag(bool tag) { m_readReplyAsTag = tag; }
    void setWriteError(const QString &message) { m_writeError = message; }
    void present(const QString &line);
    // "UID:id|name" of a demo employee's card, empty for an unknown id. A line
    // "emp:<id>" presents that card.
    static QString demoCard(const QString &employeeId);

private:
    void onReceived(const QByteArray &bytes);
    void answer(const QString &command);
    void sendLine(const QString &line);

    VirtualPty *m_pty;
    QByteArray m_pending;
    QString m_uid;
    QString m_data;
    QString m_writeError;
    bool m_readReplyAsTag = false;
};
