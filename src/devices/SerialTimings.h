#pragma once

#include <QVector>

class MonotonicClock;

// Timing of the serial device services. The defaults are the production values;
// tests shorten the slow ones and hand in a clock they advance themselves.
struct SerialTimings
{
    int openTimeoutMs = 5000;       // a connection attempt that has not opened by then is dropped
    int idleFlushMs = 60;           // an unterminated line is delivered this long after its last byte
    QVector<int> reconnectDelaysMs = defaultReconnectDelaysMs(); // the last one repeats
    int threadStopWaitMs = 5000;    // shutdown: wait for the port thread to finish
    int threadKillWaitMs = 2000;    // then after interrupt/quit, and again after terminate
    // Bounce and line-rate windows; the system's steady clock when null. Read from the
    // port thread too, and must outlive the service.
    const MonotonicClock *clock = nullptr;

    // 1.2, 2.5, 5, 9 and 15 s.
    static QVector<int> defaultReconnectDelaysMs();
};
