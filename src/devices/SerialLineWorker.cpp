#include "devices/SerialLineWorker.h"

#include "common/LogCategories.h"
#include "platform/SerialPlatform.h"

#include <QDateTime>
#include <QTimer>

namespace {
// A port that reports more errors than this within one second is treated as gone; a
// hung-up line can otherwise spin the thread on the same error.
constexpr int kMaxErrorsPerSecond = 5;
} // namespace

SerialLineWorker::SerialLineWorker(int maxLinesPerSecond, int idleFlushMs, Texts texts)
    : m_framer(maxLinesPerSecond)
    , m_idleFlushMs(idleFlushMs)
    , m_texts(std::move(texts))
{
}

SerialLineWorker::~SerialLineWorker()
{
    release(false);
}

bool SerialLineWorker::openConnection(const QString &portName, int baudRate,
                                      QIODevice::OpenMode mode, QString *error)
{
    tearDown();

    m_port = new QSerialPort(this);
    m_idleTimer = new QTimer(this);
    m_idleTimer->setSingleShot(true);
    m_idleTimer->setInterval(m_idleFlushMs);
    connect(m_idleTimer, &QTimer::timeout, this, &SerialLineWorker::idleFlush);
    connect(m_port, &QSerialPort::readyRead, this, &SerialLineWorker::readAvailable);
    connect(m_port, &QSerialPort::errorOccurred, this, &SerialLineWorker::handleError);

    // No DTR or pin-out calls: pseudo-terminals answer them with an ioctl error.
    m_port->setPortName(portName);
    m_port->setBaudRate(baudRate, QSerialPort::AllDirections);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);

    // Errors raised inside open() belong to the open result, not to a live connection.
    m_opening = true;
    const bool opened = m_port->open(mode);
    m_opening = false;
    if (!opened) {
        QString message = m_port->errorString().trimmed();
        if (message.isEmpty())
            message = QStringLiteral("не удалось открыть порт");
        tearDown();
        *error = message;
        return false;
    }
    m_framer.reset();
    m_errorWindowStartMs = 0;
    m_errorsInWindow = 0;
    return true;
}

void SerialLineWorker::tearDown()
{
    release(false);
}

void SerialLineWorker::release(bool deferred)
{
    if (m_idleTimer) {
        m_idleTimer->stop();
        if (deferred)
            m_idleTimer->deleteLater();
        else
            delete m_idleTimer;
        m_idleTimer = nullptr;
    }
    m_framer.reset();
    if (m_port) {
        // Disconnect first: clearing a hung-up line raises yet another error.
        m_port->disconnect(this);
        if (m_port->isOpen()) {
            m_port->clear(QSerialPort::AllDirections);
            m_port->close();
        }
        if (deferred)
            m_port->deleteLater();
        else
            delete m_port;
        m_port = nullptr;
    }
}

void SerialLineWorker::readAvailable()
{
    if (!m_port)
        return;
    const QByteArray chunk = m_port->readAll();
    if (chunk.isEmpty())
        return;
    QStringList lines;
    const SerialLineFramer::Result result = m_framer.feed(chunk, &lines);
    deliver(result, lines);
    if (result == SerialLineFramer::Result::Ok && m_idleTimer) {
        if (m_framer.hasPendingBytes())
            m_idleTimer->start();
        else
            m_idleTimer->stop();
    }
}

void SerialLineWorker::idleFlush()
{
    if (!m_port)
        return;
    QStringList lines;
    deliver(m_framer.flush(&lines), lines);
}

void SerialLineWorker::deliver(SerialLineFramer::Result result, const QStringList &lines)
{
    for (const QString &line : lines)
        lineFramed(line);
    if (result == SerialLineFramer::Result::TooManyBytes)
        floodStop(m_texts.tooManyBytes);
    else if (result == SerialLineFramer::Result::TooManyLines)
        floodStop(m_texts.tooManyLines);
}

void SerialLineWorker::floodStop(const QString &message)
{
    qCWarning(lcDevices) << "flood stop on" << (m_port ? m_port->portName() : QString()) << message;
    // Called from the port's own readyRead or the idle timer's timeout: defer deletion.
    release(true);
    connectionError(message, true);
}

void SerialLineWorker::handleError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::NotOpenError || m_opening || !m_port)
        return;
    QString message = m_port->errorString().trimmed();
    if (message.isEmpty())
        message = m_texts.errorFallback;

    bool fatal = error == QSerialPort::PermissionError || error == QSerialPort::ResourceError
        || (error == QSerialPort::ReadError && platform::serialReadErrorMeansHangUp());
    if (!fatal && errorsRepeatTooFast())
        fatal = true;
    qCInfo(lcDevices) << "serial error" << error << "on" << m_port->portName() << message
                      << (fatal ? "(connection over)" : "");
    if (fatal)
        release(true);
    connectionError(message, fatal);
}

bool SerialLineWorker::errorsRepeatTooFast()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (m_errorWindowStartMs <= 0 || now - m_errorWindowStartMs > 1000) {
        m_errorWindowStartMs = now;
        m_errorsInWindow = 0;
    }
    return ++m_errorsInWindow > kMaxErrorsPerSecond;
}
