// Crash capture and self-restart in real processes: the probe installs the handlers as the
// client does (with a 1 s restart delay) and crashes in the ways the client can.
#include "ChildProcesses.h"
#include "CrashLogReader.h"
#include "app/SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <utime.h>

namespace {

const QString kProbe = QStringLiteral(VORN_CRASH_PROBE);

QMap<qint64, QStringList> startedProbes(const QString &dataFolder)
{
    QMap<qint64, QStringList> started;
    const QDir dir(dataFolder);
    for (const QString &name : dir.entryList({QStringLiteral("started-*.json")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QStringList arguments;
        for (const QJsonValue &value : QJsonDocument::fromJson(file.readAll()).array())
            arguments.append(value.toString());
        started.insert(name.mid(8, name.size() - 13).toLongLong(), arguments);
    }
    return started;
}

QString markerPath(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("logs/crash-restart.marker"));
}

int showRequestCount(const QString &dataFolder)
{
    QFile file(QDir(dataFolder).filePath(QStringLiteral("show-requests.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().count("show\n");
}

} // namespace

class TestCrashRestart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void terminateRecordsOnceAndRestartChainEnds();
    void signalRestartKeepsArgumentsAndLock();
    void abortAndStackOverflowWithoutRestart();

private:
    bool startProbe(QProcess &process, const QStringList &arguments, bool restart = true);

    QTemporaryDir *m_dir = nullptr;
    QString m_data;
};

void TestCrashRestart::initTestCase()
{
    QVERIFY(QFile::exists(kProbe));
    QVERIFY(ChildProcesses::becomeSubreaper());
}

void TestCrashRestart::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_data = m_dir->filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(m_data));
}

void TestCrashRestart::cleanup()
{
    // Restarted probes run outside QProcess; none may outlive the test.
    ChildProcesses::killAll(m_data);
    delete m_dir;
    m_dir = nullptr;
}

bool TestCrashRestart::startProbe(QProcess &process, const QStringList &arguments, bool restart)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!restart)
        environment.insert(QStringLiteral("VORN_PROBE_NO_RESTART"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_data);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(kProbe, QStringList{m_data} + arguments);
    return process.waitForStarted(5000);
}

void TestCrashRestart::terminateRecordsOnceAndRestartChainEnds()
{
    QProcess first;
    QVERIFY(startProbe(first, {QStringLiteral("terminate")}));
    const qint64 firstPid = first.processId();
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 128 + SIGABRT);
    // The abort that follows the terminate handler adds no line of its own.
    QCOMPARE(CrashLogReader(m_data).reasons, QStringList{QStringLiteral("std_terminate")});
    QVERIFY(QFile::exists(markerPath(m_data)));

    // The replacement starts a second later, fails the same way and is not restarted again.
    QTRY_COMPARE_WITH_TIMEOUT(startedProbes(m_data).size(), 2, 15000);
    QMap<qint64, QStringList> started = startedProbes(m_data);
    QVERIFY(started.remove(firstPid) == 1);
    const qint64 second = started.firstKey();
    QCOMPARE(started.first(), (QStringList{m_data, QStringLiteral("terminate")}));
    const ChildProcesses::Exit exit = ChildProcesses::waitForExit(second, 15000);
    QVERIFY(exit.ended);
    QCOMPARE(exit.code, 128 + SIGABRT);
    QCOMPARE(CrashLogReader(m_data).reasons,
             (QStringList{QStringLiteral("std_terminate"), QStringLiteral("std_terminate"),
                          QStringLiteral("restart_suppressed_recent_crash")}));
    QVERIFY(ChildProcesses::findByCommandLine(m_data).isEmpty());
    QTest::qWait(1500); // longer than the probe's restart delay
    QVERIFY(ChildProcesses::findByCommandLine(m_data).isEmpty());
    QCOMPARE(startedProbes(m_data).size(), 2);
}

void TestCrashRestart::signalRestartKeepsArgumentsAndLock()
{
    // A marker older than the guard window does not hold the restart back.
    QVERIFY(QDir().mkpath(m_data + QStringLiteral("/logs")));
    {
        QFile marker(markerPath(m_data));
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.write("2020-01-01T00:00:00.000Z\n");
    }
    const QByteArray markerBytes = QFile::encodeName(markerPath(m_data));
    const utimbuf old{::time(nullptr) - 25, ::time(nullptr) - 25};
    QCOMPARE(::utime(markerBytes.constData(), &old), 0);

    const QStringList arguments = {QStringLiteral("wait"), QStringLiteral("quote \"inside\""),
                                   QStringLiteral("two words"), QStringLiteral("$(touch pwned)"),
                                   QStringLiteral("; touch pwned2 #"), QStringLiteral("   "), QStringLiteral("Резак 1"),
                                   QStringLiteral("'single'")};
    QProcess first;
    QVERIFY(startProbe(first, arguments));
    const qint64 firstPid = first.processId();
    QTRY_VERIFY_WITH_TIMEOUT(startedProbes(m_data).contains(firstPid), 10000);

    const QDateTime crashTime = QDateTime::currentDateTime();
    QCOMPARE(::kill(pid_t(firstPid), SIGSEGV), 0);
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitCode(), 128 + SIGSEGV);
    CrashLogReader log(m_data);
    QCOMPARE(log.reasons, QStringList{QStringLiteral("crash_signal:11")});
    QVERIFY2(log.timesNear(crashTime, 60), qPrintable(log.times.first().toString(Qt::ISODateWithMs)));
    {
        QFile marker(markerPath(m_data));
        QVERIFY(marker.open(QIODevice::ReadOnly));
        const QDateTime stamp =
            QDateTime::fromString(QString::fromLatin1(marker.readAll().trimmed()), Qt::ISODateWithMs);
        QVERIFY(stamp.isValid());
        QCOMPARE(stamp.timeSpec(), Qt::UTC);
        QVERIFY(qAbs(stamp.secsTo(QDateTime::currentDateTimeUtc())) < 60);
    }

    QTRY_COMPARE_WITH_TIMEOUT(startedProbes(m_data).size(), 2, 15000);
    QMap<qint64, QStringList> started = startedProbes(m_data);
    QVERIFY(started.remove(firstPid) == 1);
    const qint64 restarted = started.firstKey();
    // Blank arguments are dropped; every other one arrives byte for byte, none ran as shell text.
    QStringList expected = QStringList{m_data} + arguments;
    expected.removeAll(QStringLiteral("   "));
    QCOMPARE(started.first(), expected);
    QVERIFY(!QFile::exists(m_data + QStringLiteral("/pwned")));
    QVERIFY(!QFile::exists(m_data + QStringLiteral("/pwned2")));

    // The replacement holds the lock and took over the dead instance's socket name.
    const QString key = SingleInstanceGuard::instanceKey(m_data);
    QFile lock(m_data + QStringLiteral("/VornClientDesktopMutex-%1.lock").arg(key));
    QVERIFY(lock.open(QIODevice::ReadOnly));
    QCOMPARE(lock.readAll().trimmed().toLongLong(), restarted);
    {
        SingleInstanceGuard later(m_data);
        QVERIFY(!later.claim());
    }
    QTRY_COMPARE_WITH_TIMEOUT(showRequestCount(m_data), 1, 5000);

    // A second crash inside 20 s is logged and ends the chain.
    QCOMPARE(::kill(pid_t(restarted), SIGSEGV), 0);
    const ChildProcesses::Exit exit = ChildProcesses::waitForExit(restarted, 10000);
    QVERIFY(exit.ended);
    QCOMPARE(exit.code, 128 + SIGSEGV);
    QCOMPARE(CrashLogReader(m_data).reasons,
             (QStringList{QStringLiteral("crash_signal:11"), QStringLiteral("crash_signal:11"),
                          QStringLiteral("restart_suppressed_recent_crash")}));
    QVERIFY(ChildProcesses::findByCommandLine(m_data).isEmpty());
    QTest::qWait(1500);
    QVERIFY(ChildProcesses::findByCommandLine(m_data).isEmpty());
}

void TestCrashRestart::abortAndStackOverflowWithoutRestart()
{
    QProcess aborting;
    QVERIFY(startProbe(aborting, {QStringLiteral("abort")}, false));
    QVERIFY(aborting.waitForFinished(10000));
    QCOMPARE(aborting.exitCode(), 128 + SIGABRT);
    QCOMPARE(CrashLogReader(m_data).reasons, QStringList{QStringLiteral("crash_signal:6")});
    // Without an application path the guard is not even asked.
    QVERIFY(!QFile::exists(markerPath(m_data)));

    // An uncaught exception ends in the terminate handler.
    QProcess throwing;
    QVERIFY(startProbe(throwing, {QStringLiteral("throw")}, false));
    QVERIFY(throwing.waitForFinished(10000));
    QCOMPARE(throwing.exitCode(), 128 + SIGABRT);

    // Only the alternate signal stack lets the handler run after a stack overflow.
    QProcess overflowing;
    QVERIFY(startProbe(overflowing, {QStringLiteral("overflow")}, false));
    QVERIFY(overflowing.waitForFinished(20000));
    QCOMPARE(overflowing.exitCode(), 128 + SIGSEGV);
    QCOMPARE(CrashLogReader(m_data).reasons,
             (QStringList{QStringLiteral("crash_signal:6"), QStringLiteral("std_terminate"),
                          QStringLiteral("crash_signal:11")}));
    QVERIFY(!QFile::exists(markerPath(m_data)));
    QVERIFY(ChildProcesses::findByCommandLine(m_data).isEmpty());
}

QTEST_GUILESS_MAIN(TestCrashRestart)
#include "tst_crashrestart.moc"
