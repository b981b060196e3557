#include "devices/ComScannerPortWorker.h"

ComScannerPortWorker::ComScannerPortWorker(int idleFlushMs, const MonotonicClock &clock)
    : SerialLineWorker({80, QIODevice::ReadOnly, QStringLiteral("COM-порт"), QStringLiteral("ошибка COM-порта")},
                       idleFlushMs, clock)
{
}
