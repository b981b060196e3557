#pragma once

#include <QString>
#include <QtGlobal>

class MonotonicClock;

// Drops a text that repeats the last accepted one (exactly, case-sensitive) within a
// short window: a scanner firing twice for one trigger pull, a card held to the reader.
// A dropped repeat does not move the window.
class RepeatFilter
{
public:
    RepeatFilter(qint64 windowMs, const MonotonicClock &clock);

    bool accept(const QString &text);

private:
    const MonotonicClock &m_clock;
    qint64 m_windowMs;
    QString m_last;
    qint64 m_lastAtMs = 0;
};
