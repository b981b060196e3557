#pragma once

#include "JournalProbe.h"
#include "app/EventLogModel.h"
#include "devices/MonotonicClock.h"

#include <QObject>
#include <QSemaphore>
#include <QStringList>
#include <QThread>

#include <atomic>

// A clock the test moves by hand; the port threads read it too.
class TestClock : public MonotonicClock
{
public:
    qint64 nowMs() const override { return m_now.load(); }
    void advance(qint64 ms) { m_now += ms; }

private:
    std::atomic<qint64> m_now{0};
};

// Holds a port thread busy until release(), as a driver hanging in an open call would.
class ThreadBlocker
{
public:
    explicit ThreadBlocker(QThread *thread)
    {
        m_anchor.moveToThread(thread);
        QMetaObject::invokeMethod(
            &m_anchor, [this] {
                m_entered.release();
                m_gate.acquire();
            },
            Qt::QueuedConnection);
        m_entered.acquire();
    }
    ~ThreadBlocker() { release(); }
    void release()
    {
        if (!m_released) {
            m_released = true;
            m_gate.release();
        }
    }

private:
    QObject m_anchor;
    QSemaphore m_entered;
    QSemaphore m_gate;
    bool m_released = false;
};

inline int countContaining(const QStringList &texts, const QString &needle)
{
    int count = 0;
    for (const QString &text : texts)
        count += text.contains(needle) ? 1 : 0;
    return count;
}
