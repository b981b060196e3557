#include "VirtualScanner.h"

#include "VirtualPty.h"

#include <QRandomGenerator>
#include <QTextStream>
#include <QTimer>

VirtualScanner::VirtualScanner(VirtualPty *pty, QByteArray terminator, QObject *parent)
    : QObject(parent)
    , m_pty(pty)
    , m_terminator(std::move(terminator))
{
    connect(m_pty, &VirtualPty::drained, this, &VirtualScanner::feedFlood);
}

void VirtualScanner::typeLater(const QStringList &scans, int delayMs)
{
    int at = 0;
    for (const QString &scan : scans) {
        at += delayMs;
        QTimer::singleShot(at, this, [this, scan] { type(scan); });
    }
}

void VirtualScanner::type(const QString &scan)
{
    m_pty->send(scan.toUtf8() + m_terminator);
    QTextStream(stdout) << "scan: " << scan << Qt::endl;
}

void VirtualScanner::startFlood(Flood kind)
{
    m_flood = kind;
    feedFlood();
}

void VirtualScanner::feedFlood()
{
    if (m_flood == Flood::None || m_pty->pendingBytes() > 0)
        return;
    QByteArray chunk;
    chunk.reserve(8192);
    if (m_flood == Flood::Lines) {
        while (chunk.size() < 8192)
            chunk += "FLOOD" + QByteArray::number(++m_floodCounter).rightJustified(8, '0') + m_terminator;
    } else {
        while (chunk.size() < 8192) {
            const char byte = char(QRandomGenerator::global()->bounded(256));
            if (byte != '\r' && byte != '\n')
                chunk += byte;
        }
    }
    // Queued: the pty asks for more once this is written.
    QTimer::singleShot(0, this, [this, chunk] { m_pty->send(chunk); });
}
