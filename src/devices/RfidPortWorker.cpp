#include "devices/RfidPortWorker.h"

#include "devices/QueuedReport.h"
#include "devices/RfidScannerService.h"

#include <QThread>

namespace {
constexpr int kMaxLinesPerSecond = 60;
} // namespace

RfidPortWorker::RfidPortWorker(RfidScannerService *service, int idleFlushMs)
    : SerialLineWorker(kMaxLinesPerSecond, idleFlushMs,
                       {QStringLiteral("RFID COM-порт отдаёт слишком много данных, подключение остановлено"),
                        QStringLiteral("RFID COM-порт отдаёт непрерывный поток данных, подключение остановлено"),
                        QStringLiteral("ошибка RFID COM-порта")})
    , m_service(service)
{
}

template <typename Call>
void RfidPortWorker::report(Call call)
{
    postQueuedReport(m_service, std::move(call));
}

void RfidPortWorker::openPort(quint64 generation, const QString &portName, int baudRate)
{
    tearDown();
    m_generation = generation;
    m_portName = portName;

    QString error;
    if (!openConnection(portName, baudRate, QIODevice::ReadWrite, &error)) {
        report([generation, portName, error](RfidScannerService *s) {
            s->onPortOpenFailed(generation, portName, error);
        });
        return;
    }
    report([generation, portName, baudRate](RfidScannerService *s) {
        s->onPortOpened(generation, portName, baudRate);
    });
}

void RfidPortWorker::closePort(quint64 generation)
{
    m_generation = generation;
    tearDown();
    report([generation](RfidScannerService *s) { s->onPortClosed(generation); });
}

void RfidPortWorker::sendCommand(quint64 generation, const QString &text)
{
    if (generation != m_generation)
        return;
    const auto fail = [this, generation](const QString &message) {
        report([generation, message](RfidScannerService *s) { s->onCommandFailed(generation, message); });
    };
    QSerialPort *serial = port();
    if (!serial || !serial->isOpen()) {
        fail(QStringLiteral("порт не открыт"));
        return;
    }
    QByteArray bytes = text.toUtf8();
    if (!bytes.endsWith('\n'))
        bytes.append('\n');
    if (serial->write(bytes) <= 0) {
        QString message = serial->errorString().trimmed();
        if (message.isEmpty())
            message = QStringLiteral("ошибка отправки команды");
        fail(message);
    }
}

void RfidPortWorker::shutdown(quint64 generation)
{
    closePort(generation);
    QThread::currentThread()->quit();
}

void RfidPortWorker::lineFramed(const QString &text)
{
    const quint64 generation = m_generation;
    report([generation, text](RfidScannerService *s) { s->onLineReceived(generation, text); });
}

void RfidPortWorker::connectionError(const QString &message, bool fatal)
{
    const quint64 generation = m_generation;
    report([generation, message, fatal](RfidScannerService *s) {
        s->onPortError(generation, message, fatal);
    });
}
