#include "devices/ComScannerPortWorker.h"

ComScannerPortWorker::ComScannerPortWorker(int idleFlushMs, const MonotonicClock &clock)
    : SerialLineWorker(
        {80, QIODevice::ReadOnly,
         QStringLiteral("COM-порт отдаёт слишком много данных, подключение остановлено"),
         QStringLiteral("COM-порт отдаёт непрерывный поток данных, подключение остановлено"),
         QStringLiteral("ошибка COM-порта")},
        idleFlushMs, clock)
{
}
