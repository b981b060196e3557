#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThreadPool>

#include <functional>
#include <utility>

// Runs jobs off the owner's thread, one at a time and in the order they were
// submitted, and hands each result back on the owner's thread in that same order.
// Every job carries a generation number: cancelPending() drops the results of
// every job submitted before it, so an answer that a newer one has overtaken
// (or that nobody waits for any more) never reaches the owner.
class BackgroundQueue : public QObject
{
    Q_OBJECT
public:
    explicit BackgroundQueue(QObject *parent = nullptr);
    // Waits for the running job; results not yet delivered are dropped.
    ~BackgroundQueue() override;

    // work runs on the queue's thread and must touch only what it captured by value;
    // done runs on this object's thread with its result unless the job was cancelled.
    template <typename Result>
    quint64 submit(std::function<Result()> work, std::function<void(Result)> done)
    {
        const quint64 generation = ++m_submitted;
        m_pool.start([this, generation, work = std::move(work), done = std::move(done)]() mutable {
            Result result = work();
            QMetaObject::invokeMethod(
                this,
                [this, generation, done = std::move(done), result = std::move(result)]() mutable {
                    m_finished = generation;
                    if (generation > m_cancelledUpTo && done)
                        done(std::move(result));
                    if (m_finished == m_submitted)
                        Q_EMIT idle();
                },
                Qt::QueuedConnection);
        });
        return generation;
    }

    // Frees value on the queue's thread, after the jobs before it: dropping the
    // last copy of thousands of rows costs the owner's thread milliseconds.
    template <typename Value>
    void dispose(Value value)
    {
        m_pool.start([value = std::move(value)]() mutable { Value gone = std::move(value); });
    }

    // Results of every job submitted so far are dropped; the jobs still run.
    void cancelPending() { m_cancelledUpTo = m_submitted; }
    // True while a submitted job has not come back yet.
    bool busy() const { return m_finished != m_submitted; }
    quint64 lastGeneration() const { return m_submitted; }
    // Blocks until the running and queued jobs have run (not until delivered).
    void waitForJobs() { m_pool.waitForDone(); }

Q_SIGNALS:
    // Every submitted job has come back (delivered or dropped).
    void idle();

private:
    QThreadPool m_pool;
    quint64 m_submitted = 0;
    quint64 m_finished = 0;
    quint64 m_cancelledUpTo = 0;
};
