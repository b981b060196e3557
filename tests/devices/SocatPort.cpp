#include "SocatPort.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

SocatPort::SocatPort(QString linkPath)
    : m_linkPath(std::move(linkPath))
{
}

SocatPort::~SocatPort()
{
    stop();
}

bool SocatPort::start()
{
    stop();
    m_received.clear();
    m_process.setProgram(QStringLiteral("socat"));
    m_process.setArguments({QStringLiteral("-b65536"),
                            QStringLiteral("pty,raw,echo=0,link=%1").arg(m_linkPath),
                            QStringLiteral("STDIO")});
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    if (!m_process.waitForStarted(5000))
        return false;
    QDeadlineTimer deadline(10000);
    while (!QFileInfo::exists(m_linkPath)) {
        if (deadline.hasExpired() || m_process.state() != QProcess::Running)
            return false;
        QThread::msleep(5);
    }
    return true;
}

void SocatPort::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    // socat removes its link on the way out; wait for that so "gone" is really gone.
    QDeadlineTimer deadline(5000);
    while (QFileInfo::exists(m_linkPath) && !deadline.hasExpired())
        QThread::msleep(5);
}

bool SocatPort::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

bool SocatPort::write(const QByteArray &bytes)
{
    if (m_process.write(bytes) != bytes.size())
        return false;
    return m_process.waitForBytesWritten(5000);
}

QByteArray SocatPort::received()
{
    m_received += m_process.readAllStandardOutput();
    return m_received;
}
