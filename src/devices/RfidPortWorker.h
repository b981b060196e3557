#pragma once

#include "devices/SerialLineWorker.h"

// Owns the RFID reader's serial port on the reader thread: opened for reading and
// writing, at most 60 lines a second, and the reader's commands written to it.
class RfidPortWorker : public SerialLineWorker
{
    Q_OBJECT
public:
    RfidPortWorker(int idleFlushMs, const MonotonicClock &clock);

    // Writes one command line, only to the connection of that generation.
    void sendCommand(quint64 generation, const QString &text);

Q_SIGNALS:
    void commandFailed(quint64 generation, const QString &message);
};
