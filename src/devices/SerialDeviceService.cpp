#include "devices/SerialDeviceService.h"

#include "common/Journal.h"
#include "common/LogCategories.h"
#include "devices/MonotonicClock.h"
#include "devices/SerialLineWorker.h"
#include "devices/SerialPortList.h"
#include "devices/SerialPortWatcher.h"

namespace {
constexpr int kDefaultBaud = 9600;

int wholeSecondsUp(int ms)
{
    return (ms + 999) / 1000;
}
} // namespace

SerialDeviceService::SerialDeviceService(Setup setup, Journal *journal, SerialPortWatcher *ports,
                                         const SerialTimings &timings, SerialLineWorker *worker,
                                         QObject *parent)
    : QObject(parent)
    , m_setup(std::move(setup))
    , m_journal(journal)
    , m_ports(ports)
    , m_timings(timings)
    , m_worker(worker)
    , m_repeats(m_setup.repeatWindowMs, clockOf(timings))
{
    if (m_timings.reconnectDelaysMs.isEmpty())
        m_timings.reconnectDelaysMs = SerialTimings::defaultReconnectDelaysMs();

    m_thread.setObjectName(m_setup.threadName);
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    listen(m_worker, &SerialLineWorker::portOpened, &SerialDeviceService::opened);
    listen(m_worker, &SerialLineWorker::portOpenFailed, &SerialDeviceService::openFailed);
    listen(m_worker, &SerialLineWorker::portError, &SerialDeviceService::failed);
    listen(m_worker, &SerialLineWorker::portClosed, &SerialDeviceService::closed);
    listen(m_worker, &SerialLineWorker::lineReceived, &SerialDeviceService::lineArrived);
    m_thread.start();

    m_openTimer.setSingleShot(true);
    m_openTimer.setInterval(m_timings.openTimeoutMs);
    connect(&m_openTimer, &QTimer::timeout, this, &SerialDeviceService::onOpenTimeout);
    m_reconnectTimer.setSingleShot(true);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &SerialDeviceService::onReconnectTimer);

    if (m_ports) {
        m_ports->addConfiguredPort(this, m_setup.port);
        connect(m_ports, &SerialPortWatcher::portsChanged, this, &SerialDeviceService::onPortsChanged);
        connect(m_ports, &SerialPortWatcher::refreshed, this, &SerialDeviceService::onPortsRefreshed);
    }
    const QString port = portName();
    if (!port.isEmpty())
        m_availablePorts = QStringList{port};
    m_statusText = QStringLiteral("%1 отключён").arg(label());
}

SerialDeviceService::~SerialDeviceService()
{
    if (m_ports)
        m_ports->removeConfiguredPort(this);
    m_stopped = true;
    m_reconnectTimer.stop();
    m_openTimer.stop();
    ++m_generation;
    stopThread();
}

void SerialDeviceService::stopThread()
{
    if (m_thread.isRunning()) {
        SerialLineWorker *worker = m_worker;
        const quint64 generation = m_generation;
        QMetaObject::invokeMethod(
            worker, [worker, generation] { worker->shutdown(generation); }, Qt::QueuedConnection);
    } else {
        m_thread.quit();
    }
    if (m_thread.wait(m_timings.threadStopWaitMs))
        return;

    qCWarning(lcDevices) << label() << "port thread did not stop in time";
    if (m_journal)
        m_journal->addWarn(QStringLiteral("%1: поток COM-порта не завершился штатно").arg(label()));
    m_thread.requestInterruption();
    m_thread.quit();
    if (!m_thread.wait(m_timings.threadKillWaitMs)) {
        m_thread.terminate();
        m_thread.wait(m_timings.threadKillWaitMs);
    }
}

const MonotonicClock &SerialDeviceService::clockOf(const SerialTimings &timings)
{
    return timings.clock ? *timings.clock : MonotonicClock::system();
}

QString SerialDeviceService::portName() const
{
    return m_setup.port ? m_setup.port().trimmed() : QString();
}

int SerialDeviceService::baudRate() const
{
    const int baud = m_setup.baud ? m_setup.baud() : kDefaultBaud;
    return baud > 0 ? baud : kDefaultBaud;
}

void SerialDeviceService::setStatus(const QString &text, bool logged)
{
    // Port names and reader lines reach the status; control characters never do.
    QString shown = text;
    for (QChar &c : shown) {
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    }
    if (shown == m_statusText) {
        Q_EMIT changed();
        return;
    }
    m_statusText = shown;
    Q_EMIT changed();
    if (logged && m_journal)
        m_journal->addInfo(shown);
}

void SerialDeviceService::start()
{
    m_stopped = false;
    m_reconnectTimer.stop();
    const QString port = portName();
    const int baud = baudRate();

    if (port.isEmpty()) {
        m_stopped = true;
        m_connected = m_connecting = false;
        setStatus(QStringLiteral("%1: не выбран COM-порт").arg(label()), true);
        return;
    }
    if (m_connecting) {
        const QString shown = m_currentPort.isEmpty() ? port : m_currentPort;
        setStatus(QStringLiteral("%1: подключение %2...").arg(label(), shown), false);
        return;
    }
    if (m_connected && m_currentPort == port && m_currentBaud == baud) {
        setStatus(QStringLiteral("%1 подключён: %2").arg(label(), port), false);
        return;
    }

    ++m_generation;
    m_connected = false;
    m_connecting = true;
    m_currentPort = port;
    m_currentBaud = baud;
    setStatus(QStringLiteral("%1: подключение %2...").arg(label(), port), true);
    m_openTimer.start();

    SerialLineWorker *worker = m_worker;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        worker, [worker, generation, port, baud] { worker->openPort(generation, port, baud); },
        Qt::QueuedConnection);
}

void SerialDeviceService::stop()
{
    m_stopped = true;
    m_reconnectTimer.stop();
    m_openTimer.stop();
    m_reconnectAttempt = 0;
    ++m_generation;
    m_connected = m_connecting = false;
    m_currentPort.clear();
    m_currentBaud = 0;
    connectionEnded();
    setStatus(QStringLiteral("%1 отключён").arg(label()), true);
    queueClose();
}

void SerialDeviceService::toggle()
{
    if (!m_connected && !m_connecting)
        start();
    else
        stop();
}

void SerialDeviceService::queueClose()
{
    SerialLineWorker *worker = m_worker;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        worker, [worker, generation] { worker->closePort(generation); }, Qt::QueuedConnection);
}

void SerialDeviceService::dropConnection()
{
    m_openTimer.stop();
    m_connected = m_connecting = false;
    connectionEnded();
}

void SerialDeviceService::refreshAvailablePorts()
{
    if (m_refreshingPorts)
        return;
    if (!m_ports) {
        showPorts({});
        return;
    }
    // The list is rebuilt when the watcher's enumeration (off this thread) comes back.
    m_refreshingPorts = true;
    Q_EMIT changed();
    m_ports->refresh();
}

void SerialDeviceService::onPortsRefreshed()
{
    if (!m_refreshingPorts)
        return;
    m_refreshingPorts = false;
    m_availablePorts = SerialPortList::offeredPorts(m_ports->presentPorts(), portName(),
                                                    m_setup.configuredPortFirst);
    Q_EMIT changed();
}

void SerialDeviceService::showPorts(const QStringList &present)
{
    const QStringList offered =
        SerialPortList::offeredPorts(present, portName(), m_setup.configuredPortFirst);
    if (offered == m_availablePorts)
        return;
    m_availablePorts = offered;
    Q_EMIT changed();
}

void SerialDeviceService::opened(const QString &portName, int baudRate)
{
    m_reconnectTimer.stop();
    m_openTimer.stop();
    m_connected = true;
    m_connecting = false;
    m_currentPort = portName;
    m_currentBaud = baudRate;
    m_reconnectAttempt = 0;
    setStatus(QStringLiteral("%1 подключён: %2").arg(label(), portName), true);
}

void SerialDeviceService::openFailed(const QString &portName, const QString &message)
{
    dropConnection();
    setStatus(QStringLiteral("%1: ошибка открытия %2 (%3)").arg(label(), portName, message), true);
    scheduleReconnect(message);
}

void SerialDeviceService::failed(const QString &message, bool fatal)
{
    if (fatal)
        dropConnection();
    setStatus(QStringLiteral("%1: ошибка %2").arg(label(), message), true);
    if (fatal)
        scheduleReconnect(message);
}

void SerialDeviceService::closed()
{
    dropConnection();
    if (m_stopped || !m_setup.reconnects || portName().isEmpty()) {
        setStatus(QStringLiteral("%1 отключён").arg(label()), false);
        return;
    }
    scheduleReconnect(QStringLiteral("порт закрыт"));
}

void SerialDeviceService::lineArrived(const QString &line)
{
    const QString text = line.trimmed();
    if (!text.isEmpty() && m_repeats.accept(text))
        acceptLine(text);
}

void SerialDeviceService::scheduleReconnect(const QString &reason)
{
    const QString port = portName();
    if (!m_setup.reconnects || m_stopped || port.isEmpty() || m_reconnectTimer.isActive())
        return;
    ++m_reconnectAttempt;
    const QVector<int> &delays = m_timings.reconnectDelaysMs;
    const int delay = delays.at(qMin(m_reconnectAttempt, int(delays.size())) - 1);
    m_currentPort = port;
    m_currentBaud = baudRate();

    // Interval first: whoever reacts to the status sees the delay it announces.
    m_reconnectTimer.setInterval(delay);
    const bool first = m_reconnectAttempt == 1;
    setStatus(QStringLiteral("%1: переподключение %2 через %3 сек")
                  .arg(label(), port)
                  .arg(wholeSecondsUp(delay)),
              first);
    if (first && m_journal && !reason.trimmed().isEmpty()) {
        m_journal->addWarn(QStringLiteral("%1: восстановление после ошибки COM (%2)")
                               .arg(label(), reason.trimmed()));
    }
    m_reconnectTimer.start();
}

void SerialDeviceService::onReconnectTimer()
{
    if (m_stopped || portName().isEmpty())
        return;
    m_connected = m_connecting = false;
    refreshAvailablePorts();
    start();
}

void SerialDeviceService::onOpenTimeout()
{
    if (!m_connecting)
        return;
    ++m_generation;
    dropConnection();
    const QString port = m_currentPort.isEmpty() ? QStringLiteral("COM-порт") : m_currentPort;
    setStatus(QStringLiteral("%1: %2 не ответил за %3 сек")
                  .arg(label(), port)
                  .arg(wholeSecondsUp(m_timings.openTimeoutMs)),
              true);
    queueClose();
    scheduleReconnect(QStringLiteral("таймаут открытия"));
}

void SerialDeviceService::onPortsChanged()
{
    const QStringList present = m_ports->presentPorts();
    if (!m_refreshingPorts)
        showPorts(present);

    const QString port = portName();
    if (!m_setup.reconnects || m_stopped || port.isEmpty())
        return;
    if (m_connected && !SerialPortList::containsPort(present, m_currentPort)) {
        ++m_generation;
        dropConnection();
        setStatus(QStringLiteral("%1: %2 пропал из системы").arg(label(), m_currentPort), true);
        queueClose();
        scheduleReconnect(QStringLiteral("COM-порт пропал из системы"));
    } else if (!m_connected && !m_connecting && !m_reconnectTimer.isActive()
               && SerialPortList::containsPort(present, port)) {
        scheduleReconnect(QStringLiteral("COM-порт снова доступен"));
    }
}
