#pragma once

#include "devices/SerialLineWorker.h"

// Owns one barcode scanner's serial port on the scanner's thread: opened read-only,
// at most 80 lines a second.
class ComScannerPortWorker : public SerialLineWorker
{
    Q_OBJECT
public:
    ComScannerPortWorker(int idleFlushMs, const MonotonicClock &clock);
};
