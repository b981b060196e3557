// The single-instance guard with real lock files and local sockets, in this process and
// against a second process (the crash probe, which claims a data folder like the client).
#include "ChildProcesses.h"
#include "app/SingleInstanceGuard.h"
#include "platform/InstanceMutex.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kProbe = QStringLiteral(VORN_CRASH_PROBE);

QString lockPath(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("VornClientDesktopMutex-%1.lock")
                                         .arg(SingleInstanceGuard::instanceKey(dataFolder)));
}

qint64 lockHolder(const QString &dataFolder)
{
    QFile file(lockPath(dataFolder));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}

QString socketPath(const QString &dataFolder)
{
    return QDir(QDir::tempPath()).filePath(SingleInstanceGuard::serverNameFor(dataFolder));
}

int showRequestCount(const QString &dataFolder)
{
    QFile file(QDir(dataFolder).filePath(QStringLiteral("show-requests.txt")));
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count("show\n")) : 0;
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void handOverInProcess();
    void staleSocketOfKilledHolder();
    void laterStartsLeaveTheHolderServing();
    void withoutLockStillServes_data();
    void withoutLockStillServes();

private:
    bool startProbe(QProcess &process, const QString &dataFolder);
    QTemporaryDir m_dir;
};

void TestSingleInstance::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFile::exists(kProbe));
}

void TestSingleInstance::cleanup()
{
    ChildProcesses::killAll(m_dir.path());
}

bool TestSingleInstance::startProbe(QProcess &process, const QString &dataFolder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VORN_PROBE_NO_RESTART"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(kProbe, {dataFolder, QStringLiteral("wait")});
    return process.waitForStarted(5000);
}

void TestSingleInstance::handOverInProcess()
{
    const QString data = m_dir.filePath(QStringLiteral("inprocess/data")); // created by claim()
    SingleInstanceGuard first(data);
    QSignalSpy shows(&first, &SingleInstanceGuard::showRequested);
    QVERIFY(first.claim());
    QVERIFY(first.isListening());
    QVERIFY(platform::instanceMutexHeld());
    QCOMPARE(lockHolder(data), QCoreApplication::applicationPid());

    {
        SingleInstanceGuard second(data);
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY(!second.claim());
        QVERIFY2(elapsed.elapsed() < 2000, qPrintable(QString::number(elapsed.elapsed())));
        QVERIFY(!second.isListening());
    } // a losing guard's destructor must not free the holder's lock
    QTRY_COMPARE_WITH_TIMEOUT(shows.count(), 1, 5000);
    QVERIFY(platform::instanceMutexHeld());
    {
        SingleInstanceGuard third(data);
        QVERIFY(!third.claim());
    }
    QTRY_COMPARE_WITH_TIMEOUT(shows.count(), 2, 5000);

    first.release();
    first.release();
    QVERIFY(!first.isListening());
    QVERIFY(!platform::instanceMutexHeld());
    QVERIFY(!QFile::exists(socketPath(data)));

    SingleInstanceGuard fourth(data);
    QVERIFY(fourth.claim());
    QVERIFY(fourth.isListening());
    QCOMPARE(shows.count(), 2);
}

void TestSingleInstance::staleSocketOfKilledHolder()
{
    const QString data = m_dir.filePath(QStringLiteral("stale/data"));
    const QString other = m_dir.filePath(QStringLiteral("stale/other"));
    QProcess holder;
    QVERIFY(startProbe(holder, data));
    const qint64 holderPid = holder.processId();
    QTRY_VERIFY_WITH_TIMEOUT(lockHolder(data) == holderPid, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socketPath(data)), 10000);
    // Killed only once it has got as far as the client would (crash capture in place).
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QDir(data).filePath(QStringLiteral("started-%1.json").arg(holderPid))),
                             10000);

    // Another data folder is another instance.
    {
        SingleInstanceGuard independent(other);
        QVERIFY(independent.claim());
        QVERIFY(independent.isListening());
    }

    holder.kill();
    QVERIFY(holder.waitForFinished(5000));
    QVERIFY(QFile::exists(socketPath(data))); // left behind by the killed holder

    SingleInstanceGuard guard(data);
    QSignalSpy shows(&guard, &SingleInstanceGuard::showRequested);
    QVERIFY(guard.claim());
    QVERIFY(guard.isListening());
    QCOMPARE(lockHolder(data), QCoreApplication::applicationPid());

    // A later process hands over to us and leaves with 0 before doing anything else.
    QProcess later;
    QVERIFY(startProbe(later, data));
    QTRY_VERIFY_WITH_TIMEOUT(later.state() == QProcess::NotRunning, 5000);
    QCOMPARE(later.exitStatus(), QProcess::NormalExit);
    QCOMPARE(later.exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(shows.count(), 1, 5000);
    // Only the killed holder ever got as far as installing crash capture.
    QCOMPARE(QDir(data).entryList({QStringLiteral("started-*.json")}),
             QStringList{QStringLiteral("started-%1.json").arg(holderPid)});
}

void TestSingleInstance::laterStartsLeaveTheHolderServing()
{
    const QString data = m_dir.filePath(QStringLiteral("serving/data"));
    QProcess holder;
    QVERIFY(startProbe(holder, data));
    QTRY_VERIFY_WITH_TIMEOUT(lockHolder(data) == holder.processId(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socketPath(data)), 10000);

    for (int round = 1; round <= 3; ++round) {
        SingleInstanceGuard later(data);
        QVERIFY(!later.claim());
        QTRY_COMPARE_WITH_TIMEOUT(showRequestCount(data), round, 5000);
        QVERIFY(QFile::exists(socketPath(data)));
    }
    QCOMPARE(holder.state(), QProcess::Running);
    holder.kill();
    QVERIFY(holder.waitForFinished(5000));
}

void TestSingleInstance::withoutLockStillServes_data()
{
    QTest::addColumn<bool>("staleSocket");
    QTest::newRow("no socket file") << false;
    QTest::newRow("socket file of a killed instance") << true;
}

void TestSingleInstance::withoutLockStillServes()
{
    // A data folder that cannot exist (its parent is a file): no lock, but the client runs
    // and still answers later starts through its socket, over a stale socket file too.
    QFETCH(bool, staleSocket);
    QFile blocker(m_dir.filePath(QStringLiteral("plainfile-%1").arg(staleSocket)));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString data = blocker.fileName() + QStringLiteral("/data");
    QFile stale(socketPath(data));
    if (staleSocket)
        QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();

    const QRegularExpression noLock(QStringLiteral("instance lock unavailable"));
    QTest::ignoreMessage(QtWarningMsg, noLock);
    QTest::ignoreMessage(QtWarningMsg, noLock);
    SingleInstanceGuard guard(data);
    QSignalSpy shows(&guard, &SingleInstanceGuard::showRequested);
    QVERIFY(guard.claim());
    QVERIFY(!platform::instanceMutexHeld());
    QVERIFY(guard.isListening());
    {
        SingleInstanceGuard later(data);
        QVERIFY(!later.claim());
    }
    QTRY_COMPARE_WITH_TIMEOUT(shows.count(), 1, 5000);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
