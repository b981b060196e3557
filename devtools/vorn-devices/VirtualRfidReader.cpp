#include "VirtualRfidReader.h"

#include "VirtualPty.h"

#include "DemoStaffCards.h"

#include <QTextStream>

namespace {
const QString kNoCard = QStringLiteral("ERR:нет карты");

bool hasProtocolPrefix(const QString &line)
{
    for (const char *prefix : {"RFID:", "TAG:", "DATA:", "OK", "ERR:"}) {
        if (line.startsWith(QLatin1String(prefix), Qt::CaseInsensitive))
            return true;
    }
    return false;
}
} // namespace

VirtualRfidReader::VirtualRfidReader(VirtualPty *pty, QObject *parent)
    : QObject(parent)
    , m_pty(pty)
{
    connect(m_pty, &VirtualPty::received, this, &VirtualRfidReader::onReceived);
}

void VirtualRfidReader::setCard(const QString &card)
{
    const qsizetype colon = card.indexOf(QLatin1Char(':'));
    m_uid = (colon < 0 ? card : card.left(colon)).trimmed();
    m_data = colon < 0 ? QString() : card.mid(colon + 1);
}

QString VirtualRfidReader::demoCard(const QString &employeeId)
{
    const Demo::StaffMember *member = Demo::staffMember(employeeId.trimmed().toUtf8().constData());
    if (!member)
        return {};
    // The staff page writes "id|name" onto a card.
    return QStringLiteral("%1:%2|%3").arg(QLatin1String(member->cardUid), QLatin1String(member->id),
                                          QString::fromUtf8(member->name));
}

void VirtualRfidReader::present(const QString &line)
{
    if (line.startsWith(QLatin1String("emp:"), Qt::CaseInsensitive)) {
        const QString card = demoCard(line.mid(4));
        if (card.isEmpty()) {
            QTextStream(stderr) << "no demo employee " << line.mid(4).trimmed() << Qt::endl;
            return;
        }
        present(card);
        return;
    }
    if (hasProtocolPrefix(line)) {
        sendLine(line);
        return;
    }
    setCard(line);
    sendLine(m_data.isEmpty() ? QStringLiteral("RFID:") + m_uid
                              : QStringLiteral("TAG:%1:%2").arg(m_uid, m_data));
}

void VirtualRfidReader::onReceived(const QByteArray &bytes)
{
    m_pending += bytes;
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QString command = QString::fromUtf8(m_pending.left(end)).trimmed();
        m_pending.remove(0, end + 1);
        if (!command.isEmpty())
            answer(command);
    }
    if (m_pending.size() > 65536)
        m_pending.clear(); // a client that never ends its lines
}

void VirtualRfidReader::answer(const QString &command)
{
    QTextStream(stdout) << "command: " << command << Qt::endl;
    if (command.compare(QLatin1String("READ"), Qt::CaseInsensitive) == 0) {
        if (m_uid.isEmpty())
            sendLine(kNoCard);
        else if (m_readReplyAsTag)
            sendLine(QStringLiteral("TAG:%1:%2").arg(m_uid, m_data));
        else
            sendLine(QStringLiteral("DATA:") + m_data);
        return;
    }
    if (command.startsWith(QLatin1String("WRITE:"), Qt::CaseInsensitive)) {
        if (!m_writeError.isEmpty())
            sendLine(QStringLiteral("ERR:") + m_writeError);
        else if (m_uid.isEmpty())
            sendLine(kNoCard);
        else {
            m_data = command.mid(6);
            sendLine(QStringLiteral("OK"));
        }
        return;
    }
    sendLine(QStringLiteral("ERR:неизвестная команда"));
}

void VirtualRfidReader::sendLine(const QString &line)
{
    m_pty->send(line.toUtf8() + "\r\n");
    QTextStream(stdout) << "sent: " << line << Qt::endl;
}
