#pragma once

#include <QVector>

// Timing of the serial device services. The defaults are the production values;
// tests shorten the slow ones so a reconnect series does not take half a minute.
struct SerialTimings
{
    int openTimeoutMs = 5000;       // a connection attempt that has not opened by then is dropped
    int presenceIntervalMs = 12000; // scanner presence watch
    int idleFlushMs = 60;           // an unterminated line is delivered this long after its last byte
    QVector<int> reconnectDelaysMs{1200, 2500, 5000, 9000, 15000}; // the last one repeats
    int threadStopWaitMs = 5000;    // shutdown: wait for the port thread to finish
    int threadKillWaitMs = 2000;    // then after interrupt/quit, and again after terminate
};
