#include "devices/ComScannerPortWorker.h"

#include "devices/QueuedReport.h"
#include "devices/ComScannerService.h"

#include <QThread>

namespace {
constexpr int kMaxLinesPerSecond = 80;
} // namespace

ComScannerPortWorker::ComScannerPortWorker(ComScannerService *service, int idleFlushMs)
    : SerialLineWorker(kMaxLinesPerSecond, idleFlushMs,
                       {QStringLiteral("COM-порт отдаёт слишком много данных, подключение остановлено"),
                        QStringLiteral("COM-порт отдаёт непрерывный поток данных, подключение остановлено"),
                        QStringLiteral("ошибка COM-порта")})
    , m_service(service)
{
}

template <typename Call>
void ComScannerPortWorker::report(Call call)
{
    postQueuedReport(m_service, std::move(call));
}

void ComScannerPortWorker::openPort(quint64 generation, const QString &label,
                                    const QString &portName, int baudRate)
{
    tearDown();
    m_generation = generation;
    m_label = label;
    m_portName = portName;
    m_baudRate = baudRate;

    QString error;
    if (!openConnection(portName, baudRate, QIODevice::ReadOnly, &error)) {
        report([generation, portName, error](ComScannerService *s) {
            s->onPortOpenFailed(generation, portName, error);
        });
        return;
    }
    report([generation, portName, baudRate](ComScannerService *s) {
        s->onPortOpened(generation, portName, baudRate);
    });
}

void ComScannerPortWorker::closePort(quint64 generation)
{
    m_generation = generation;
    tearDown();
    report([generation](ComScannerService *s) { s->onPortClosed(generation); });
}

void ComScannerPortWorker::shutdown(quint64 generation)
{
    closePort(generation);
    QThread::currentThread()->quit();
}

void ComScannerPortWorker::lineFramed(const QString &text)
{
    const quint64 generation = m_generation;
    report([generation, text](ComScannerService *s) { s->onLineReceived(generation, text); });
}

void ComScannerPortWorker::connectionError(const QString &message, bool fatal)
{
    const quint64 generation = m_generation;
    report([generation, message, fatal](ComScannerService *s) {
        s->onPortError(generation, message, fatal);
    });
}
