#include "devices/RateWindow.h"

#include "devices/MonotonicClock.h"

RateWindow::RateWindow(int limit, const MonotonicClock &clock)
    : m_clock(clock)
    , m_limit(limit)
{
}

bool RateWindow::count()
{
    const qint64 now = m_clock.nowMs();
    if (!m_open || now - m_startMs > kWindowMs) {
        m_open = true;
        m_startMs = now;
        m_events = 0;
    }
    return ++m_events <= m_limit;
}

void RateWindow::reset()
{
    m_open = false;
    m_events = 0;
}
