#include "devices/RfidScannerService.h"

#include "common/CardUid.h"
#include "common/Journal.h"
#include "devices/RfidPortWorker.h"
#include "settings/AppSettings.h"

namespace {
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
} // namespace

RfidScannerService::RfidScannerService(AppSettings *settings, Journal *eventLog,
                                       SerialPortWatcher *ports, QObject *parent)
    : RfidScannerService(settings, eventLog, ports, SerialTimings(), parent)
{
}

RfidScannerService::RfidScannerService(AppSettings *settings, Journal *eventLog,
                                       SerialPortWatcher *ports, const SerialTimings &timings,
                                       QObject *parent)
    : SerialDeviceService(
        {QStringLiteral("RFID"), QStringLiteral("RfidScannerService"),
         [settings] { return settings ? settings->rfidPort() : QString(); },
         [settings] { return settings ? settings->rfidBaudRate() : 0; },
         // The reader never reconnects on its own; its port list is sorted as a whole.
         kRepeatMs, false, false},
        eventLog, ports, timings, new RfidPortWorker(timings.idleFlushMs, clockOf(timings)), parent)
    , m_reader(static_cast<RfidPortWorker *>(worker()))
{
    listen(m_reader, &RfidPortWorker::commandFailed, &RfidScannerService::onCommandFailed);
}

void RfidScannerService::connectionEnded()
{
    dropPendingAction();
}

void RfidScannerService::dropPendingAction()
{
    m_pendingAction.clear();
    m_pendingCommand.clear();
}

void RfidScannerService::onCommandFailed(const QString &message)
{
    dropPendingAction();
    m_lastResponse = message.trimmed();
    Q_EMIT commandResult(false, m_lastResponse);
    setStatus(QStringLiteral("RFID: ошибка отправки команды"), true);
}

void RfidScannerService::acceptLine(const QString &text)
{
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
    if (journal())
        journal()->addInfo(QStringLiteral("RFID RAW: %1").arg(line));
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
    if (!connected()) {
        setStatus(QStringLiteral("RFID: нет связи (подключи RFID порт)"), true);
        return false;
    }
    m_pendingAction = action;
    m_pendingCommand = command;
    m_lastResponse.clear();
    setStatus(prompt, true);

    RfidPortWorker *reader = m_reader;
    const quint64 generation = this->generation();
    QMetaObject::invokeMethod(
        reader, [reader, generation, command] { reader->sendCommand(generation, command); },
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
        if (journal())
            journal()->addWarn(QStringLiteral("RFID: нечего записывать на карту."));
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
