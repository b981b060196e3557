#pragma once

#include <QtGlobal>

// Milliseconds from a clock that never steps back (a time sync must not swallow a rescan
// or freeze a rate window). Read from the main thread and the port threads alike.
// Tests hand the services a clock they advance by hand.
class MonotonicClock
{
public:
    virtual ~MonotonicClock() = default;
    virtual qint64 nowMs() const = 0;

    // The steady clock of the system.
    static const MonotonicClock &system();
};
