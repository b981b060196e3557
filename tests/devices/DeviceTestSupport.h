#pragma once

#include "JournalProbe.h"
#include "app/EventLogModel.h"
#include "devices/MonotonicClock.h"

#include <QFile>
#include <QObject>
#include <QProcess>
#include <QSemaphore>
#include <QStringList>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

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

// One line through a vorn-devices tool's named pipe (the tool reads what a closed writer left).
inline bool typeInto(const QString &fifo, const QByteArray &line)
{
    QFile pipe(fifo);
    return pipe.open(QIODevice::WriteOnly) && pipe.write(line) == line.size();
}

#ifdef VORN_DEVICES_BINARY
struct StopTool
{
    void operator()(QProcess *tool) const
    {
        tool->terminate();
        tool->waitForFinished(5000);
        delete tool;
    }
};
using DevicesTool = std::unique_ptr<QProcess, StopTool>;

// Runs the vorn-devices tool until the test ends; null when it does not get ready.
inline DevicesTool startTool(const QStringList &arguments)
{
    DevicesTool tool(new QProcess);
    tool->start(QStringLiteral(VORN_DEVICES_BINARY), arguments);
    if (!tool->waitForStarted(5000)
        || !QTest::qWaitFor([&] { return tool->readAllStandardOutput().contains("ready:"); }, 15000))
        return nullptr;
    return tool;
}
#endif
