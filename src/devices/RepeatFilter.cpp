#include "devices/RepeatFilter.h"

#include "devices/MonotonicClock.h"

RepeatFilter::RepeatFilter(qint64 windowMs, const MonotonicClock &clock)
    : m_clock(clock)
    , m_windowMs(windowMs)
{
}

bool RepeatFilter::accept(const QString &text)
{
    const qint64 now = m_clock.nowMs();
    if (!m_last.isNull() && text == m_last && now - m_lastAtMs < m_windowMs)
        return false;
    m_last = text;
    m_lastAtMs = now;
    return true;
}
