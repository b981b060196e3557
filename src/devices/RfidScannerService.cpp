#include "devices/RfidScannerService.h"

#include "common/Journal.h"
#include "common/CardUid.h"
#include "common/LogCategories.h"
#include "devices/RfidPortWorker.h"
#include "devices/SerialPortList.h"
#include "settings/AppSettings.h"

#include <QDateTime>

namespace {
constexpr int kDefaultBaud = 9600;
// A reader repeats the line of a card held against it; within this window it counts once.
constexpr qint64 kRepeatMs = 250;
const QString kReadDone = QStringLiteral("данные карты считаны");

bool hasPrefix(const QString &line, QLatin1String prefix)
{
    return line.startsWith(prefix, Qt::CaseInsensitive);
}

QString afterFirstColon(const QString &line)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : line.mid(colon + 1);
}

bool isOkLine(const QString &line)
{
    return line.compare(QLatin1String("OK"), Qt::CaseInsensitive) == 0
        || hasPrefix(line, QLatin1String("OK:"));
}

int wholeSecondsUp(int ms)
{
    return (ms + 999) / 1000;
}
} // namespace

RfidScannerService::RfidScannerService(AppSettings *settings, Journal *eventLog,
                                       QObject *parent)
    : RfidScannerService(settings, eventLog, SerialTimings(), parent)
{
}

RfidScannerService::RfidScannerService(AppSettings *settings, Journal *eventLog,
                                       const SerialTimings &timings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
    , m_timings(timings)
{
    // Created without a parent: it moves to the reader thread and is deleted there.
    m_worker = new RfidPortWorker(this, m_timings.idleFlushMs);
    m_thread.setObjectName(QStringLiteral("RfidScannerService"));
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();

    m_openTimer.setSingleShot(true);
    m_openTimer.setInterval(m_timings.openTimeoutMs);
    connect(&m_openTimer, &QTimer::timeout, this, &RfidScannerService::onOpenTimeout);

    const QString port = portName().trimmed();
    if (!port.isEmpty())
        m_availablePorts = QStringList{port};
    m_statusText = QStringLiteral("RFID отключён");
}

RfidScannerService::~RfidScannerService()
{
    m_openTimer.stop();
    ++m_generation;
    if (m_worker && m_thread.isRunning()) {
        RfidPortWorker *worker = m_worker;
        const quint64 generation = m_generation;
        QMetaObject::invokeMethod(
            worker, [worker, generation] { worker->shutdown(generation); }, Qt::QueuedConnection);
    } else {
        m_thread.quit();
    }
    if (m_thread.wait(m_timings.threadStopWaitMs))
        return;

    qCWarning(lcDevices) << "RFID port thread did not stop in time";
    if (m_eventLog)
        m_eventLog->addWarn(QStringLiteral("RFID: поток COM-порта не завершился штатно"));
    m_thread.requestInterruption();
    m_thread.quit();
    if (!m_thread.wait(m_timings.threadKillWaitMs)) {
        m_thread.terminate();
        m_thread.wait(m_timings.threadKillWaitMs);
    }
}

QString RfidScannerService::portName() const
{
    return m_settings ? m_settings->rfidPort() : QString();
}

int RfidScannerService::baudRate() const
{
    const int baud = m_settings ? m_settings->rfidBaudRate() : kDefaultBaud;
    return baud > 0 ? baud : kDefaultBaud;
}

void RfidScannerService::setStatus(const QString &text, bool logged)
{
    if (text != m_statusText) {
        m_statusText = text;
        if (logged && m_eventLog)
            m_eventLog->addInfo(text);
    }
    Q_EMIT changed();
}

void RfidScannerService::start()
{
    if (!m_worker)
        return;
    const QString port = portName().trimmed();
    const int baud = baudRate();
    if (port.isEmpty()) {
        setStatus(QStringLiteral("RFID: не выбран COM-порт"), true);
        return;
    }
    if (m_connected && m_currentPort == port && m_currentBaud == baud) {
        setStatus(QStringLiteral("RFID подключён: %1").arg(port), false);
        return;
    }

    ++m_generation;
    m_connecting = true;
    m_connected = false;
    m_currentPort = port;
    m_currentBaud = baud;
    setStatus(QStringLiteral("RFID: подключение %1...").arg(port), true);
    m_openTimer.start();

    RfidPortWorker *worker = m_worker;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        worker, [worker, generation, port, baud] { worker->openPort(generation, port, baud); },
        Qt::QueuedConnection);
}

void RfidScannerService::stop()
{
    m_openTimer.stop();
    ++m_generation;
    m_connected = m_connecting = false;
    m_currentBaud = 0;
    dropPendingAction();
    setStatus(QStringLiteral("RFID отключён"), true);
    if (m_worker)
        queueClose();
}

void RfidScannerService::toggle()
{
    if (!m_connected && !m_connecting)
        start();
    else
        stop();
}

void RfidScannerService::queueClose()
{
    RfidPortWorker *worker = m_worker;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        worker, [worker, generation] { worker->closePort(generation); }, Qt::QueuedConnection);
}

void RfidScannerService::refreshAvailablePorts()
{
    if (m_refreshingPorts)
        return;
    m_refreshingPorts = true;
    Q_EMIT changed();
    m_availablePorts = SerialPortList::offeredPorts(portName(), false);
    m_refreshingPorts = false;
    Q_EMIT changed();
}

void RfidScannerService::dropPendingAction()
{
    m_pendingAction.clear();
    m_pendingCommand.clear();
}

void RfidScannerService::onPortOpened(quint64 generation, const QString &portName, int baudRate)
{
    if (generation != m_generation)
        return;
    m_openTimer.stop();
    m_connected = true;
    m_connecting = false;
    m_currentPort = portName;
    m_currentBaud = baudRate;
    setStatus(QStringLiteral("RFID подключён: %1").arg(portName), true);
}

void RfidScannerService::onPortOpenFailed(quint64 generation, const QString &portName,
                                          const QString &message)
{
    if (generation != m_generation)
        return;
    m_openTimer.stop();
    m_connected = m_connecting = false;
    m_currentBaud = 0;
    dropPendingAction();
    setStatus(QStringLiteral("RFID: ошибка открытия %1 (%2)").arg(portName, message), true);
}

void RfidScannerService::onPortError(quint64 generation, const QString &message, bool fatal)
{
    if (generation != m_generation)
        return;
    if (fatal) {
        m_openTimer.stop();
        m_connected = m_connecting = false;
        m_currentBaud = 0;
        dropPendingAction();
    }
    setStatus(QStringLiteral("RFID: ошибка %1").arg(message), true);
}

void RfidScannerService::onPortClosed(quint64 generation)
{
    if (generation != m_generation)
        return;
    m_openTimer.stop();
    m_connected = m_connecting = false;
    m_currentBaud = 0;
    dropPendingAction();
    setStatus(QStringLiteral("RFID отключён"), false);
}

void RfidScannerService::onCommandFailed(quint64 generation, const QString &message)
{
    if (generation != m_generation)
        return;
    dropPendingAction();
    m_lastResponse = message.trimmed();
    Q_EMIT commandResult(false, m_lastResponse);
    setStatus(QStringLiteral("RFID: ошибка отправки команды"), true);
}

void RfidScannerService::onOpenTimeout()
{
    if (!m_connecting)
        return;
    ++m_generation;
    m_connected = m_connecting = false;
    m_currentBaud = 0;
    dropPendingAction();
    const QString port = m_currentPort.isEmpty() ? QStringLiteral("COM-порт") : m_currentPort;
    setStatus(QStringLiteral("RFID: %1 не ответил за %2 сек")
                  .arg(port)
                  .arg(wholeSecondsUp(m_timings.openTimeoutMs)),
              true);
    queueClose();
}

void RfidScannerService::onLineReceived(quint64 generation, const QString &text)
{
    if (generation != m_generation)
        return;
    acceptLine(text);
}

void RfidScannerService::acceptLine(const QString &line)
{
    const QString text = line.trimmed();
    if (text.isEmpty())
        return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (text == m_lastLine && now - m_lastLineAtMs < kRepeatMs)
        return;
    m_lastLine = text;
    m_lastLineAtMs = now;
    m_lastRaw = text;
    Q_EMIT changed();
    Q_EMIT rawLineReceived(text);

    if (!m_pendingAction.isEmpty() && handlePendingReply(text))
        return;
    handleUnsolicited(text);
}

bool RfidScannerService::handlePendingReply(const QString &line)
{
    const bool reading = m_pendingAction == QLatin1String("read");
    if (hasPrefix(line, QLatin1String("TAG:"))) {
        const QStringList parts = afterFirstColon(line).split(QLatin1Char(':'));
        const QString uid = normalizeCardUid(parts.value(0));
        const QString data = parts.size() < 2 ? QString() : parts.mid(1).join(QLatin1Char(':'));
        if (!uid.isEmpty())
            m_lastUid = uid;
        if (reading && !data.isEmpty()) {
            m_lastTagText = data;
            finishCommand(true, kReadDone);
            Q_EMIT cardDataRead(m_lastUid, m_lastTagText);
        } else {
            Q_EMIT changed();
        }
        return true;
    }
    if (hasPrefix(line, QLatin1String("DATA:"))) {
        const QString data = afterFirstColon(line).trimmed();
        setStatus(line, false);
        if (reading) {
            m_lastTagText = data;
            finishCommand(true, kReadDone);
            Q_EMIT cardDataRead(m_lastUid, data);
        }
        return true;
    }
    if (isOkLine(line)) {
        const QString message = afterFirstColon(line).trimmed();
        finishCommand(true, message.isEmpty() ? QStringLiteral("операция выполнена") : message);
        return true;
    }
    if (hasPrefix(line, QLatin1String("ERR:"))) {
        finishCommand(false, afterFirstColon(line).trimmed());
        return true;
    }
    return false;
}

void RfidScannerService::handleUnsolicited(const QString &line)
{
    if (hasPrefix(line, QLatin1String("RFID:"))) {
        acceptCard(afterFirstColon(line), QString(), line);
        return;
    }
    if (hasPrefix(line, QLatin1String("TAG:"))) {
        const QStringList parts = afterFirstColon(line).split(QLatin1Char(':'));
        acceptCard(parts.value(0), parts.mid(1).join(QLatin1Char(':')), line);
        return;
    }
    if (hasPrefix(line, QLatin1String("ERR:")) || isOkLine(line)
        || hasPrefix(line, QLatin1String("DATA:"))) {
        setStatus(line, true);
        return;
    }
    if (m_eventLog)
        m_eventLog->addInfo(QStringLiteral("RFID RAW: %1").arg(line));
    // Readers without a prefix send the bare card number.
    if (normalizeCardUid(line).size() >= 4)
        acceptCard(line, line, line);
}

void RfidScannerService::acceptCard(const QString &uidText, const QString &tagText,
                                    const QString &raw)
{
    const QString uid = normalizeCardUid(uidText);
    if (uid.isEmpty())
        return;
    m_lastUid = uid;
    m_lastTagText = tagText.trimmed();
    Q_EMIT changed();
    Q_EMIT cardReceived(uid, m_lastTagText, raw);
}

void RfidScannerService::finishCommand(bool ok, const QString &message)
{
    dropPendingAction();
    m_lastResponse = message;
    Q_EMIT changed();
    Q_EMIT commandResult(ok, m_lastResponse);
}

bool RfidScannerService::sendReaderCommand(const QString &action, const QString &command,
                                           const QString &prompt)
{
    if (!m_connected || !m_worker) {
        setStatus(QStringLiteral("RFID: нет связи (подключи RFID порт)"), true);
        return false;
    }
    m_pendingAction = action;
    m_pendingCommand = command;
    m_lastResponse.clear();
    setStatus(prompt, true);

    RfidPortWorker *worker = m_worker;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        worker, [worker, generation, command] { worker->sendCommand(generation, command); },
        Qt::QueuedConnection);
    return true;
}

bool RfidScannerService::requestReadCard()
{
    return sendReaderCommand(QStringLiteral("read"), QStringLiteral("READ"),
                             QStringLiteral("RFID: приложи карту для чтения..."));
}

bool RfidScannerService::requestWriteCard(const QString &payload)
{
    const QString text = payload.trimmed();
    if (text.isEmpty()) {
        if (m_eventLog)
            m_eventLog->addWarn(QStringLiteral("RFID: нечего записывать на карту."));
        return false;
    }
    return sendReaderCommand(QStringLiteral("write"), QStringLiteral("WRITE:") + text,
                             QStringLiteral("RFID: приложи карту для записи..."));
}

void RfidScannerService::clearPendingAction()
{
    dropPendingAction();
    Q_EMIT changed();
}
