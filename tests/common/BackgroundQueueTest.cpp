// Jobs come back in the order they were sent, and a cancelled one never does.
#include "common/BackgroundQueue.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

class BackgroundQueueTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deliversInOrderOnTheOwnersThread()
    {
        BackgroundQueue queue;
        QSignalSpy idle(&queue, &BackgroundQueue::idle);
        QList<int> delivered;
        QThread *const owner = QThread::currentThread();
        bool offThread = true;
        // The first job is the slowest: order must not follow finishing speed.
        for (int n = 0; n < 5; ++n) {
            queue.submit<int>(
                [n, owner, &offThread] {
                    if (QThread::currentThread() == owner)
                        offThread = false;
                    QThread::msleep(n == 0 ? 200 : 1);
                    return n;
                },
                [&delivered, owner](int value) {
                    QCOMPARE(QThread::currentThread(), owner);
                    delivered.append(value);
                });
        }
        QVERIFY(queue.busy());
        QVERIFY(delivered.isEmpty()); // never delivered inside submit
        QVERIFY(idle.wait(10000));
        QCOMPARE(delivered, (QList<int>{0, 1, 2, 3, 4}));
        QVERIFY(offThread);
        QVERIFY(!queue.busy());
    }

    void cancelledResultsAreDropped()
    {
        BackgroundQueue queue;
        QSemaphore gate;
        QList<QString> delivered;
        const auto job = [&gate](const QString &name, bool wait) {
            return [&gate, name, wait] {
                if (wait)
                    gate.acquire();
                return name;
            };
        };
        const auto take = [&delivered](QString name) { delivered.append(name); };
        const quint64 first = queue.submit<QString>(job(QStringLiteral("stale"), true), take);
        queue.submit<QString>(job(QStringLiteral("stale too"), false), take);
        queue.cancelPending();
        const quint64 last = queue.submit<QString>(job(QStringLiteral("fresh"), false), take);
        QVERIFY(last > first);
        QCOMPARE(queue.lastGeneration(), last);
        gate.release();
        QSignalSpy idle(&queue, &BackgroundQueue::idle);
        QVERIFY(idle.wait(10000));
        QCOMPARE(delivered, QList<QString>{QStringLiteral("fresh")});
    }

    void destroyedQueueDeliversNothing()
    {
        bool delivered = false;
        {
            BackgroundQueue queue;
            queue.submit<int>([] { QThread::msleep(50); return 1; }, [&delivered](int) { delivered = true; });
        }
        // The destructor waited for the job; whatever it posted died with the queue.
        QCoreApplication::processEvents();
        QVERIFY(!delivered);
    }
};

QTEST_GUILESS_MAIN(BackgroundQueueTest)
#include "BackgroundQueueTest.moc"
