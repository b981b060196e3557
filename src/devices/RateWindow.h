#pragma once

#include <QtGlobal>

class MonotonicClock;

// Counts events in fixed windows: a window opens with the first event and lasts while
// less than 1001 ms have passed since; more than `limit` events in one window trip it.
class RateWindow
{
public:
    RateWindow(int limit, const MonotonicClock &clock);

    // Counts one event now; false once the window holds more than the limit.
    bool count();
    void reset();

private:
    static constexpr qint64 kWindowMs = 1000;

    const MonotonicClock &m_clock;
    int m_limit;
    bool m_open = false;
    qint64 m_startMs = 0;
    int m_events = 0;
};
