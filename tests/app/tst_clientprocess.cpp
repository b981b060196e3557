// Black-box checks of the built client: started as a separate process from a copy outside
// the build tree (so its QML module cannot resolve from the build folder), offscreen,
// with its own data folder.
#include "ChildProcesses.h"
#include "CrashLogReader.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

const QString kClientBinary = QStringLiteral(VORN_CLIENT_BINARY);
const QByteArray kStartedEntry = QByteArrayLiteral("Клиент запущен.");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestClientProcess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void secondStartHandsOverAndLeaves();
    void crashRestartsOnceThenStaysDown();
    void corruptSettingsStartFromBackup();

private:
    void startClient(QProcess &process);
    int startedEntries() const;
    qint64 lockHolder() const;

    QTemporaryDir m_binDir;
    QString m_binary;
    QTemporaryDir *m_home = nullptr;
    QString m_data;
};

void TestClientProcess::initTestCase()
{
    QVERIFY(ChildProcesses::becomeSubreaper());
    QVERIFY2(QFile::exists(kClientBinary), qPrintable(kClientBinary));
    QVERIFY(m_binDir.isValid());
    m_binary = m_binDir.filePath(QStringLiteral("VornClient"));
    QVERIFY(QFile::copy(kClientBinary, m_binary));
    QVERIFY(QFile::setPermissions(m_binary, QFile::permissions(kClientBinary)));
}

void TestClientProcess::init()
{
    m_home = new QTemporaryDir;
    QVERIFY(m_home->isValid());
    // AppDataLocation on Linux: $XDG_DATA_HOME/<organisation>/<application>.
    m_data = m_home->filePath(QStringLiteral("share/VornClient/VornClient"));
}

void TestClientProcess::cleanup()
{
    // Kills the clients and any pending or finished restart of them.
    ChildProcesses::killAll(m_binary);
    delete m_home;
    m_home = nullptr;
}

void TestClientProcess::startClient(QProcess &process)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home->filePath(QStringLiteral("share")));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home->filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_home->filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("vorn.*=true"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_home->path());
    process.start(m_binary, {});
    QVERIFY(process.waitForStarted(5000));
}

int TestClientProcess::startedEntries() const
{
    const QString log = QDir(m_data).filePath(QStringLiteral("logs/client-%1.log")
            .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    return int(readAll(log).count(kStartedEntry));
}

qint64 TestClientProcess::lockHolder() const
{
    const QStringList locks = QDir(m_data).entryList({QStringLiteral("VornClientDesktopMutex-*.lock")}, QDir::Files);
    return locks.size() == 1 ? readAll(QDir(m_data).filePath(locks.first())).trimmed().toLongLong() : 0;
}

void TestClientProcess::secondStartHandsOverAndLeaves()
{
    QProcess first;
    startClient(first);
    QTRY_COMPARE_WITH_TIMEOUT(startedEntries(), 1, 20000);
    QCOMPARE(lockHolder(), first.processId());

    QProcess second;
    QElapsedTimer elapsed;
    elapsed.start();
    startClient(second);
    QVERIFY(second.waitForFinished(5000));
    QVERIFY2(elapsed.elapsed() < 5000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);

    QByteArray firstErrors;
    QTRY_VERIFY_WITH_TIMEOUT((firstErrors += first.readAllStandardError()).contains("show requested"), 5000);
    // The later start built nothing: one start entry, the first client still runs.
    QCOMPARE(startedEntries(), 1);
    QCOMPARE(first.state(), QProcess::Running);
    first.kill();
    QVERIFY(first.waitForFinished(5000));
}

void TestClientProcess::crashRestartsOnceThenStaysDown()
{
    QProcess first;
    startClient(first);
    const qint64 firstPid = first.processId();
    QTRY_COMPARE_WITH_TIMEOUT(startedEntries(), 1, 20000);

    QCOMPARE(::kill(pid_t(firstPid), SIGSEGV), 0);
    QElapsedTimer sinceCrash;
    sinceCrash.start();
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 128 + SIGSEGV);
    CrashLogReader log(m_data);
    QCOMPARE(log.reasons, QStringList{QStringLiteral("crash_signal:11")});
    QVERIFY(log.timesNear(QDateTime::currentDateTime(), 60));
    // The delayed restart is already waiting when the crashed process is gone.
    QVERIFY(!ChildProcesses::findByCommandLine(m_binary).isEmpty());
    QVERIFY(QFile::exists(QDir(m_data).filePath(QStringLiteral("logs/crash-restart.marker"))));

    QTRY_COMPARE_WITH_TIMEOUT(startedEntries(), 2, 30000);
    QVERIFY2(sinceCrash.elapsed() >= 5000, qPrintable(QString::number(sinceCrash.elapsed())));
    QTRY_VERIFY_WITH_TIMEOUT(lockHolder() != 0 && lockHolder() != firstPid, 10000);
    const qint64 restarted = lockHolder();
    QVERIFY(ChildProcesses::isAlive(restarted));

    // Crashing again within 20 s of the restart attempt ends the chain.
    QCOMPARE(::kill(pid_t(restarted), SIGSEGV), 0);
    const ChildProcesses::Exit exit = ChildProcesses::waitForExit(restarted, 10000);
    QVERIFY(exit.ended);
    QCOMPARE(exit.code, 128 + SIGSEGV);
    QCOMPARE(CrashLogReader(m_data).reasons,
             (QStringList{QStringLiteral("crash_signal:11"), QStringLiteral("crash_signal:11"),
                          QStringLiteral("restart_suppressed_recent_crash")}));
    QVERIFY(ChildProcesses::findByCommandLine(m_binary).isEmpty());
}

void TestClientProcess::corruptSettingsStartFromBackup()
{
    QVERIFY(QDir().mkpath(m_data));
    const QByteArray backupBytes = R"({"wbPath": "/srv/wb-from-backup", "labelPrinterName": "Backup Printer"})";
    const QString settings = QDir(m_data).filePath(QStringLiteral("settings.json"));
    const QString identity = QDir(m_data).filePath(QStringLiteral("identity.json"));
    {
        QFile corrupt(settings);
        QVERIFY(corrupt.open(QIODevice::WriteOnly));
        corrupt.write("{\"wbPath\": \"/srv/broken\", ");
        QFile good(settings + QStringLiteral(".bak"));
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write(backupBytes);
    }

    QProcess client;
    startClient(client);
    QTRY_COMPARE_WITH_TIMEOUT(startedEntries(), 1, 20000);
    QTest::qWait(1500); // past the start-up configuration push
    client.kill();
    QVERIFY(client.waitForFinished(5000));
    const QByteArray errors = client.readAllStandardError();

    QVERIFY2(errors.contains("settings.json.bak"), errors.constData());
    // Loaded settings are not a first run, so nothing was saved over the broken file
    // and the backup is untouched; a rewritten file would carry the backup's values.
    QCOMPARE(readAll(settings + QStringLiteral(".bak")), backupBytes);
    const QJsonDocument rewritten = QJsonDocument::fromJson(readAll(settings));
    if (rewritten.isObject()) {
        QCOMPARE(rewritten.object().value("wbPath").toString(), QStringLiteral("/srv/wb-from-backup"));
        QCOMPARE(rewritten.object().value("labelPrinterName").toString(), QStringLiteral("Backup Printer"));
    } else {
        QVERIFY(!QFile::exists(identity));
    }

    // Without a backup the same broken file is a first run: defaults are written at once.
    QVERIFY(QFile::remove(settings + QStringLiteral(".bak")));
    QProcess fresh;
    startClient(fresh);
    QTRY_COMPARE_WITH_TIMEOUT(startedEntries(), 2, 20000);
    fresh.kill();
    QVERIFY(fresh.waitForFinished(5000));
    QVERIFY(QFile::exists(identity));
    const QJsonDocument defaults = QJsonDocument::fromJson(readAll(settings));
    QVERIFY(defaults.isObject());
    QVERIFY(defaults.object().value("wbPath").toString().isEmpty());
}

QTEST_GUILESS_MAIN(TestClientProcess)
#include "tst_clientprocess.moc"
