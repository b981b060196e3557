#include "devices/ComScannerService.h"

#include "common/Journal.h"
#include "common/LogCategories.h"
#include "devices/ComScannerPortWorker.h"
#include "devices/SerialPortList.h"
#include "settings/AppSettings.h"

#include <QDateTime>

namespace {
constexpr int kDefaultBaud = 9600;
constexpr qint64 kBounceMs = 400;

int wholeSecondsUp(int ms)
{
    return (ms + 999) / 1000;
}
} // namespace

ComScannerService::ComScannerService(AppSettings *settings, Journal *eventLog, int slot,
                                     QObject *parent)
    : ComScannerService(settings, eventLog, slot, SerialTimings(), parent)
{
}

ComScannerService::ComScannerService(AppSettings *settings, Journal *eventLog, int slot,
                                     const SerialTimings &timings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
    , m_slot(qMax(1, slot))
    , m_timings(timings)
{
    if (m_timings.reconnectDelaysMs.isEmpty())
        m_timings.reconnectDelaysMs = SerialTimings().reconnectDelaysMs;

    // Created without a parent: it moves to the port thread and is deleted there.
    m_worker = new ComScannerPortWorker(this, m_timings.idleFlushMs);
    m_thread.setObjectName(QStringLiteral("ComScannerService-%1").arg(m_slot));

    const QString port = configuredPort();
    if (!port.isEmpty())
        m_availablePorts = QStringList{port};

    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();

    m_openTimeoutTimer.setSingleShot(true);
    m_openTimeoutTimer.setInterval(m_timings.openTimeoutMs);
    connect(&m_openTimeoutTimer, &QTimer::timeout, this, &ComScannerService::onOpenTimeout);
    m_reconnectTimer.setSingleShot(true);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &ComScannerService::onReconnectTimer);
    m_presenceTimer.setInterval(m_timings.presenceIntervalMs);
    connect(&m_presenceTimer, &QTimer::timeout, this, &ComScannerService::checkPresence);
    m_presenceTimer.start();

    m_statusText = QStringLiteral("%1 отключён").arg(label());
    Q_EMIT changed();
}

ComScannerService::~ComScannerService()
{
    m_stopped = true;
    m_reconnectTimer.stop();
    m_openTimeoutTimer.stop();
    m_presenceTimer.stop();
    ++m_generation;

    if (m_worker && m_thread.isRunning()) {
        ComScannerPortWorker *worker = m_worker;
        const quint64 generation = m_generation;
        QMetaObject::invokeMethod(
            worker, [worker, generation] { worker->shutdown(generation); }, Qt::QueuedConnection);
    } else {
        m_thread.quit();
    }
    if (m_thread.wait(m_timings.threadStopWaitMs))
        return;

    qCWarning(lcDevices) << label() << "port thread did not stop in time";
    if (m_eventLog)
        m_eventLog->addWarn(QStringLiteral("%1: поток COM-порта не завершился штатно").arg(label()));
    m_thread.requestInterruption();
    m_thread.quit();
    if (!m_thread.wait(m_timings.threadKillWaitMs)) {
        m_thread.terminate();
        m_thread.wait(m_timings.threadKillWaitMs);
    }
}

QString ComScannerService::label() const
{
    return QStringLiteral("Сканер %1").arg(m_slot);
}

QString ComScannerService::portName() const
{
    return configuredPort();
}

int ComScannerService::baudRate() const
{
    return configuredBaud();
}

QString ComScannerService::configuredPort() const
{
    return m_settings ? m_settings->scannerPort(m_slot).trimmed() : QString();
}

int ComScannerService::configuredBaud() const
{
    const int baud = m_settings ? m_settings->scannerBaudRate(m_slot) : kDefaultBaud;
    return baud > 0 ? baud : kDefaultBaud;
}

void ComScannerService::setStatus(const QString &text, bool logged)
{
    if (text == m_statusText) {
        Q_EMIT changed();
        return;
    }
    m_statusText = text;
    Q_EMIT changed();
    if (logged && m_eventLog)
        m_eventLog->addInfo(text);
}

void ComScannerService::start()
{
    if (!m_worker)
        return;
    m_stopped = false;
    m_reconnectTimer.stop();
    const QString port = configuredPort();
    const int baud = configuredBaud();

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
    m_openTimeoutTimer.start();

    ComScannerPortWorker *worker = m_worker;
    const quint64 generation = m_generation;
    const QString name = label();
    QMetaObject::invokeMethod(
        worker, [worker, generation, name, port, baud] { worker->openPort(generation, name, port, baud); },
        Qt::QueuedConnection);
}

void ComScannerService::stop()
{
    if (!m_worker)
        return;
    m_stopped = true;
    m_reconnectTimer.stop();
    m_openTimeoutTimer.stop();
    m_reconnectAttempt = 0;
    ++m_generation;
    m_connected = m_connecting = false;
    m_currentPort.clear();
    m_currentBaud = 0;
    setStatus(QStringLiteral("%1 отключён").arg(label()), true);
    queueClose();
}

void ComScannerService::toggle()
{
    if (!m_connected && !m_connecting)
        start();
    else
        stop();
}

void ComScannerService::queueClose()
{
    ComScannerPortWorker *worker = m_worker;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        worker, [worker, generation] { worker->closePort(generation); }, Qt::QueuedConnection);
}

void ComScannerService::refreshAvailablePorts()
{
    if (m_refreshingPorts)
        return;
    m_refreshingPorts = true;
    Q_EMIT changed();
    m_availablePorts = SerialPortList::offeredPorts(configuredPort(), true);
    m_refreshingPorts = false;
    Q_EMIT changed();
}

void ComScannerService::onPortOpened(quint64 generation, const QString &portName, int baudRate)
{
    if (generation != m_generation)
        return;
    m_reconnectTimer.stop();
    m_openTimeoutTimer.stop();
    m_connected = true;
    m_connecting = false;
    m_currentPort = portName;
    m_currentBaud = baudRate;
    m_reconnectAttempt = 0;
    setStatus(QStringLiteral("%1 подключён: %2").arg(label(), portName), true);
}

void ComScannerService::onPortOpenFailed(quint64 generation, const QString &portName,
                                         const QString &message)
{
    if (generation != m_generation)
        return;
    m_openTimeoutTimer.stop();
    m_connected = m_connecting = false;
    setStatus(QStringLiteral("%1: ошибка открытия %2 (%3)").arg(label(), portName, message), true);
    scheduleReconnect(message);
}

void ComScannerService::onPortError(quint64 generation, const QString &message, bool fatal)
{
    if (generation != m_generation)
        return;
    if (fatal) {
        m_openTimeoutTimer.stop();
        m_connected = m_connecting = false;
    }
    setStatus(QStringLiteral("%1: ошибка %2").arg(label(), message), true);
    if (fatal)
        scheduleReconnect(message);
}

void ComScannerService::onPortClosed(quint64 generation)
{
    if (generation != m_generation)
        return;
    m_openTimeoutTimer.stop();
    m_connected = m_connecting = false;
    if (m_stopped || configuredPort().isEmpty()) {
        setStatus(QStringLiteral("%1 отключён").arg(label()), false);
        return;
    }
    scheduleReconnect(QStringLiteral("порт закрыт"));
}

void ComScannerService::onLineReceived(quint64 generation, const QString &text)
{
    if (generation != m_generation)
        return;
    acceptScan(text);
}

void ComScannerService::acceptScan(const QString &raw)
{
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // A scanner that fires twice for one trigger pull sends the same text right away.
    if (text == m_lastRaw && now - m_lastRawAtMs < kBounceMs)
        return;
    m_lastRaw = text;
    m_lastRawAtMs = now;
    m_lastScan = text;
    Q_EMIT changed();

    // Card numbers typed by a scanner are staff data: routed, but kept out of the journal.
    const bool cardText = text.startsWith(QLatin1String("RFID:"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("TAG:"), Qt::CaseInsensitive);
    if (m_eventLog && !cardText) {
        const QString prefix = m_slot == 1 ? QStringLiteral("Скан")
                                           : QStringLiteral("Скан %1").arg(m_slot);
        m_eventLog->addInfo(QStringLiteral("%1: %2").arg(prefix, text));
    }
    Q_EMIT scanReceived(text);
}

void ComScannerService::scheduleReconnect(const QString &reason)
{
    const QString port = configuredPort();
    if (m_stopped || !m_worker || port.isEmpty() || m_reconnectTimer.isActive())
        return;
    ++m_reconnectAttempt;
    const QVector<int> &delays = m_timings.reconnectDelaysMs;
    const int delay = delays.at(qMin(m_reconnectAttempt, int(delays.size())) - 1);
    m_currentPort = port;
    m_currentBaud = configuredBaud();

    // Interval first: whoever reacts to the status sees the delay it announces.
    m_reconnectTimer.setInterval(delay);
    const bool first = m_reconnectAttempt == 1;
    setStatus(QStringLiteral("%1: переподключение %2 через %3 сек")
                  .arg(label(), port)
                  .arg(wholeSecondsUp(delay)),
              first);
    if (first && m_eventLog && !reason.trimmed().isEmpty()) {
        m_eventLog->addWarn(QStringLiteral("%1: восстановление после ошибки COM (%2)")
                                .arg(label(), reason.trimmed()));
    }
    m_reconnectTimer.start();
}

void ComScannerService::onReconnectTimer()
{
    if (m_stopped)
        return;
    if (configuredPort().isEmpty())
        return;
    m_connected = m_connecting = false;
    if (!m_refreshingPorts)
        refreshAvailablePorts();
    start();
}

void ComScannerService::onOpenTimeout()
{
    if (!m_connecting)
        return;
    ++m_generation;
    m_connected = m_connecting = false;
    const QString port = m_currentPort.isEmpty() ? QStringLiteral("COM-порт") : m_currentPort;
    setStatus(QStringLiteral("%1: %2 не ответил за %3 сек")
                  .arg(label(), port)
                  .arg(wholeSecondsUp(m_timings.openTimeoutMs)),
              true);
    queueClose();
    scheduleReconnect(QStringLiteral("таймаут открытия"));
}

void ComScannerService::checkPresence()
{
    const QString port = configuredPort();
    if (port.isEmpty())
        return;
    const QStringList present = SerialPortList::presentPorts(port);
    if (!m_refreshingPorts) {
        m_availablePorts = SerialPortList::offeredPorts(present, port, true);
        Q_EMIT changed();
    }

    if (!m_stopped && m_connected && !SerialPortList::containsPort(present, m_currentPort)) {
        ++m_generation;
        m_connected = m_connecting = false;
        setStatus(QStringLiteral("%1: %2 пропал из системы").arg(label(), m_currentPort), true);
        queueClose();
        scheduleReconnect(QStringLiteral("COM-порт пропал из системы"));
    } else if (!m_stopped && !m_connected && !m_connecting && !m_reconnectTimer.isActive()
               && SerialPortList::containsPort(present, port)) {
        scheduleReconnect(QStringLiteral("COM-порт снова доступен"));
    }
}
