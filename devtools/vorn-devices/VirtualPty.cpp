#include "VirtualPty.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

VirtualPty::VirtualPty(QObject *parent)
    : QObject(parent)
{
}

VirtualPty::~VirtualPty()
{
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).isSymLink())
        QFile::remove(m_linkPath);
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool VirtualPty::open(const QString &linkPath, QString *error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
    m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(m_slavePath, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // Raw and without echo until the client sets its own mode: bytes pass unchanged.
    termios tio {};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_slave, TCSANOW, &tio);

    if (!linkPath.isEmpty()) {
        const QFileInfo existing(linkPath);
        if (existing.isSymLink())
            QFile::remove(linkPath);
        else if (existing.exists()) {
            *error = QStringLiteral("%1 exists and is not a link").arg(linkPath);
            return false;
        }
        if (!QFile::link(m_slavePath, linkPath)) {
            *error = QStringLiteral("cannot create the link %1").arg(linkPath);
            return false;
        }
        m_linkPath = linkPath;
    }

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &VirtualPty::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &VirtualPty::writeMaster);
    return true;
}

void VirtualPty::send(const QByteArray &bytes)
{
    m_outgoing += bytes;
    writeMaster();
}

void VirtualPty::readMaster()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            Q_EMIT received(QByteArray(buffer, int(n)));
            continue;
        }
        return; // EAGAIN: all read
    }
}

void VirtualPty::writeMaster()
{
    while (!m_outgoing.isEmpty()) {
        const ssize_t n = ::write(m_master, m_outgoing.constData(), size_t(m_outgoing.size()));
        if (n > 0) {
            m_outgoing.remove(0, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // The line is full (nobody reads): wait until it takes more.
        m_writeNotifier->setEnabled(true);
        return;
    }
    m_writeNotifier->setEnabled(false);
    Q_EMIT drained();
}
