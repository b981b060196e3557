#include "devices/SerialLineWorker.h"

#include "common/LogCategories.h"
#include "platform/NativeStringQt.h"
#include "platform/SerialPlatform.h"

#include <QThread>
#include <QTimer>

namespace {
constexpr int kMaxErrorsPerSecond = 5;
} // namespace

SerialLineWorker::SerialLineWorker(Config config, int idleFlushMs, const MonotonicClock &clock)
    : m_config(std::move(config))
    , m_idleFlushMs(idleFlushMs)
    , m_framer(m_config.maxLinesPerSecond, clock)
    , m_errorRate(kMaxErrorsPerSecond, clock)
{
}

SerialLineWorker::~SerialLineWorker()
{
    release(false);
}

void SerialLineWorker::openPort(quint64 generation, const QString &portName, int baudRate)
{
    release(false);
    m_generation = generation;
    QString error;
    if (openConnection(portName, baudRate, &error))
        Q_EMIT portOpened(generation, portName, baudRate);
    else
        Q_EMIT portOpenFailed(generation, portName, error);
}

void SerialLineWorker::closePort(quint64 generation)
{
    m_generation = generation;
    release(false);
    Q_EMIT portClosed(generation);
}

void SerialLineWorker::shutdown(quint64 generation)
{
    closePort(generation);
    QThread::currentThread()->quit();
}

bool SerialLineWorker::openConnection(const QString &portName, int baudRate, QString *error)
{
    // A NUL would cut the name short inside the serial library and open another device.
    if (!platform::serialPortNameAllowed(platform::toNativePath(portName))) {
        *error = QStringLiteral("недопустимое имя порта");
        return false;
    }
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
    const bool opened = m_port->open(m_config.openMode);
    m_opening = false;
    if (!opened) {
        QString message = m_port->errorString().trimmed();
        if (message.isEmpty())
            message = QStringLiteral("не удалось открыть порт");
        release(false);
        *error = message;
        return false;
    }
    m_framer.reset();
    m_errorRate.reset();
    return true;
}

void SerialLineWorker::release(bool deferred)
{
    const auto dispose = [deferred](QObject *object) {
        if (deferred)
            object->deleteLater();
        else
            delete object;
    };
    if (m_idleTimer) {
        m_idleTimer->stop();
        dispose(m_idleTimer);
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
        dispose(m_port);
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
        Q_EMIT lineReceived(m_generation, line);
    if (result == SerialLineFramer::Result::TooManyBytes)
        floodStop(QStringLiteral("%1 отдаёт слишком много данных, подключение остановлено").arg(m_config.device));
    else if (result == SerialLineFramer::Result::TooManyLines)
        floodStop(QStringLiteral("%1 отдаёт непрерывный поток данных, подключение остановлено").arg(m_config.device));
}

void SerialLineWorker::floodStop(const QString &message)
{
    qCWarning(lcDevices) << "flood stop on" << (m_port ? m_port->portName() : QString()) << message;
    // Called from the port's own readyRead or the idle timer's timeout: defer deletion.
    release(true);
    Q_EMIT portError(m_generation, message, true);
}

void SerialLineWorker::handleError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::NotOpenError || m_opening || !m_port)
        return;
    QString message = m_port->errorString().trimmed();
    if (message.isEmpty())
        message = m_config.errorFallback;

    bool fatal = error == QSerialPort::PermissionError || error == QSerialPort::ResourceError
        || (error == QSerialPort::ReadError && platform::serialReadErrorMeansHangUp());
    if (!fatal && !m_errorRate.count())
        fatal = true;
    qCInfo(lcDevices) << "serial error" << error << "on" << m_port->portName() << message
                      << (fatal ? "(connection over)" : "");
    if (fatal)
        release(true);
    Q_EMIT portError(m_generation, message, fatal);
}
