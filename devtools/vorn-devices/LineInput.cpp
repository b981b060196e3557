#include "LineInput.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

LineInput::LineInput(QObject *parent)
    : QObject(parent)
{
}

LineInput::~LineInput()
{
    if (m_fifo >= 0) {
        ::close(m_fifo);
        QFile::remove(m_fifoPath);
    }
}

void LineInput::watchStdin()
{
    m_stdinNotifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_stdinNotifier, &QSocketNotifier::activated, this,
            [this] { readFd(STDIN_FILENO, &m_stdinPending, m_stdinNotifier); });
}

bool LineInput::watchFifo(const QString &path, QString *error)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) == 0 && !S_ISFIFO(info.st_mode)) {
        *error = QStringLiteral("%1 exists and is not a named pipe").arg(path);
        return false;
    }
    if (::stat(native.constData(), &info) != 0 && ::mkfifo(native.constData(), 0600) != 0) {
        *error = QStringLiteral("cannot create %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    // Opened for writing too, so the pipe never reports end of file between writers.
    m_fifo = ::open(native.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_fifo < 0) {
        *error = QStringLiteral("cannot open %1").arg(path);
        return false;
    }
    m_fifoPath = path;
    m_fifoNotifier = new QSocketNotifier(m_fifo, QSocketNotifier::Read, this);
    connect(m_fifoNotifier, &QSocketNotifier::activated, this,
            [this] { readFd(m_fifo, &m_fifoPending, m_fifoNotifier); });
    return true;
}

void LineInput::readFd(int fd, QByteArray *pending, QSocketNotifier *notifier)
{
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) {
        if (n == 0 || errno != EAGAIN)
            notifier->setEnabled(false); // end of input (a closed stdin): keep running
        return;
    }
    pending->append(buffer, int(n));
    qsizetype newline;
    while ((newline = pending->indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(pending->left(newline)).trimmed();
        pending->remove(0, newline + 1);
        if (!line.isEmpty())
            Q_EMIT lineEntered(line);
    }
}
