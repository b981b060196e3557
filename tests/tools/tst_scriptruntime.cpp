#include "ScriptTestSupport.h"
#include "serverlink/ServerLinkSandbox.h"
#include "tools/ScriptHeartbeat.h"
#include "tools/ScriptLaunch.h"
#include "tools/ScriptLog.h"
#include "tools/ScriptPathResolver.h"
#include "tools/ScriptRuntimeService.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

using namespace ScriptTest;

namespace {
constexpr int kWaitMs = 15000;
const QByteArray kTicker = "import time\nprint('ready', flush=True)\nwhile True:\n    time.sleep(0.05)\n";
const QByteArray kIgnoresTerm = "import signal, time\nsignal.signal(signal.SIGTERM, signal.SIG_IGN)\n"
                                "print('ready', flush=True)\nwhile True:\n    time.sleep(0.05)\n";
} // namespace

class ScriptRuntimeTest : public QObject
{
    Q_OBJECT

    // One runtime over a fresh settings store; short delays so tests wait little.
    struct Rig
    {
        ServerLinkSandbox box;
        QTemporaryDir scripts;
        std::unique_ptr<ScriptRuntimeService> runtime;

        Rig()
        {
            runtime = std::make_unique<ScriptRuntimeService>(box.settings.get(), &box.eventLog);
            runtime->setBaseFolder(scripts.path());
            runtime->setTimings(300, 250, 50);
        }
        QString status(int index) const { return runtime->entries().value(index).toMap().value("status").toString(); }
        QVariantMap entry(int index) const { return runtime->entries().value(index).toMap(); }
        // Starts the entry and waits for the script's "ready" line.
        bool startReady(int index)
        {
            runtime->start(index);
            return QTest::qWaitFor([&] { return runtime->entryLog(index).contains("ready"); }, kWaitMs);
        }
    };

private Q_SLOTS:
    void resolvesConfiguredPaths_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("file");      // relative to the folder, "" for none
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<bool>("exists");

        QTest::newRow("enclosing quotes") << "  \"@/my tool.py\"  " << "my tool.py" << QStringList{} << true;
        QTest::newRow("quoted file and flags") << "\"@/my tool.py\" --fast -v" << "my tool.py"
                                               << QStringList{"--fast", "-v"} << true;
        QTest::newRow("longest existing prefix") << "@/my tool.py --day \"1 2\"" << "my tool.py"
                                                 << QStringList{"--day", "1 2"} << true;
        QTest::newRow("first word of a command") << "@/tool.py a \"b c\"" << "tool.py" << QStringList{"a", "b c"}
                                                 << true;
        QTest::newRow("relative to the base folder") << "sub/run.sh --x" << "sub/run.sh" << QStringList{"--x"}
                                                     << true;
        QTest::newRow("a folder is no file") << "@/sub" << "sub" << QStringList{} << false;
        QTest::newRow("missing file") << "@/nope.py --x" << "nope.py --x" << QStringList{} << false;
        QTest::newRow("empty") << "  \"\" " << "" << QStringList{} << false;
    }

    void resolvesConfiguredPaths()
    {
        QFETCH(QString, configured);
        QFETCH(QString, file);
        QFETCH(QStringList, extra);
        QFETCH(bool, exists);
        QTemporaryDir dir;
        writeScript(dir, "tool.py", "");
        writeScript(dir, "my tool.py", "");
        writeScript(dir, "sub/run.sh", "");

        const ResolvedScriptPath resolved =
            ScriptPathResolver::resolve(configured.replace(u'@', dir.path()), dir.path());
        QCOMPARE(resolved.exists, exists);
        QCOMPARE(resolved.filePath, file.isEmpty() ? QString() : QDir(dir.path()).absoluteFilePath(file));
        QCOMPARE(resolved.extraArguments, extra);
    }

    void buildsTheLaunch_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("effective");
        QTest::addColumn<QStringList>("argumentsBeforeOwn");   // "@" stands for the script path

        QTest::newRow("auto py") << "auto" << "a.PY" << "python" << QStringList{"-u", "@"};
        QTest::newRow("python mode wins over .bat") << "python" << "a.bat" << "python" << QStringList{"-u", "@"};
        QTest::newRow("auto bat runs the shell") << "auto" << "a.bat" << "cmd" << QStringList{"@"};
        QTest::newRow("auto ps1") << "" << "a.ps1" << "powershell"
                                  << QStringList{"-NoProfile", "-ExecutionPolicy", "Bypass", "-File", "@"};
        QTest::newRow("unknown mode, plain program") << "manual" << "a.bin" << "exe" << QStringList{};
    }

    void buildsTheLaunch()
    {
        QFETCH(QString, mode);
        QFETCH(QString, file);
        QFETCH(QString, effective);
        QFETCH(QStringList, argumentsBeforeOwn);
        QTemporaryDir dir;
        const QString path = writeScript(dir, file, "");

        const ScriptLaunch launch = ScriptLaunchBuilder::build(mode, path, {"one", "two words"}, "/opt/vorn",
                                                               QProcessEnvironment());
        QCOMPARE(launch.mode, effective);
        QCOMPARE(launch.workDir, dir.path());
        QStringList expected = argumentsBeforeOwn;
        expected.replaceInStrings(QRegularExpression("^@$"), path);
        expected << "one" << "two words";
        QCOMPARE(launch.arguments, expected);
        if (effective == QLatin1String("exe"))
            QCOMPARE(launch.program, path);
        if (effective == QLatin1String("cmd"))
            QCOMPARE(launch.program, QStringLiteral("sh"));
    }

    void cmdLineQuoting()
    {
        QCOMPARE(ScriptLaunchBuilder::cmdCommandLine("C:/a \"b\"/run.bat", {" x ", "two words", "q\"t", ""}),
                 QStringLiteral("call \"C:/a \"\"b\"\"/run.bat\" x \"two words\" q\\\"t "));
    }

    void venvOfAGrandparentIsUsed()
    {
        QTemporaryDir dir;
        const QString python = writeScript(dir, "proj/.venv/bin/python", "");
        const QString script = writeScript(dir, "proj/jobs/daily/run.py", "");
        QProcessEnvironment system;
        system.insert("PATH", "/usr/bin");
        system.insert("PYTHONPATH", " /lib/py ");

        const ScriptLaunch launch = ScriptLaunchBuilder::build("auto", script, {}, "/opt/vorn", system);
        QCOMPARE(launch.program, python);
        const QString work = dir.filePath("proj/jobs/daily");
        QCOMPARE(launch.environment.value("PATH"), dir.filePath("proj/.venv/bin") + ":" + work + ":/usr/bin");
        QCOMPARE(launch.environment.value("PYTHONPATH"), work + ":/lib/py");
        QCOMPARE(launch.environment.value("VORN_SCRIPT_DIR"), work);
        QCOMPARE(launch.environment.value("VORN_APP_DIR"), QStringLiteral("/opt/vorn"));
        QCOMPARE(launch.environment.value("PYTHONIOENCODING"), QStringLiteral("utf-8"));
        QCOMPARE(launch.environment.value("PYTHONUTF8"), QStringLiteral("1"));
        // Six folders in all: a venv seven levels up is out of reach.
        const QString deep = writeScript(dir, "proj/a/b/c/d/e/f/run.py", "");
        QVERIFY(ScriptLaunchBuilder::findVenvInterpreter(QFileInfo(deep).absolutePath()).isEmpty());
    }

    void logFilter_data()
    {
        QTest::addColumn<QString>("log");
        QTest::addColumn<QString>("filtered");
        QTest::newRow("untouched") << "a\nb\n" << "a\nb\n";
        QTest::newRow("cwd and cmd lines go") << "x\n  CWD: C:/w\ncmd: run\ny" << "x\ny";
        QTest::newRow("launch line with interpreter") << "▶ C:/py/python.exe -u a.py\nout" << "▶ Запуск\nout";
        QTest::newRow("plain start mark stays") << "▶ Запуск\n▶ шаг 2" << "▶ Запуск\n▶ шаг 2";
    }

    void logFilter()
    {
        QFETCH(QString, log);
        QFETCH(QString, filtered);
        QCOMPARE(ScriptLog::filter(log), filtered);
    }

    void logCapKeepsTheNewest()
    {
        QString log = ScriptLog::append(QString(), QString(23990, u'a'));
        QCOMPARE(log.size(), 23990);
        log = ScriptLog::append(log, QString(20, u'b'));
        QCOMPARE(log.size(), 24002);
        QVERIFY(log.startsWith(QStringLiteral("…\naaa")));
        QVERIFY(log.endsWith(QString(20, u'b')));
        QCOMPARE(ScriptLog::append(log, QString()), log);
        const QString tail = ScriptLog::tail(log, ScriptLog::kServerTailChars);
        QCOMPARE(tail.size(), 12002);
        QVERIFY(tail.endsWith(QString(20, u'b')));
    }

    void heartbeatAgeText_data()
    {
        QTest::addColumn<int>("secondsAgo");   // -1: no file
        QTest::addColumn<QString>("text");
        QTest::newRow("no file") << -1 << "пульс: нет";
        QTest::newRow("seven seconds") << 7 << "пульс: 7с назад";
        QTest::newRow("from the future") << -30 << "пульс: 0с назад";
    }

    void heartbeatAgeText()
    {
        QFETCH(int, secondsAgo);
        QFETCH(QString, text);
        QTemporaryDir dir;
        const QDateTime now = QDateTime::currentDateTime();
        if (secondsAgo != -1) {
            QFile file(writeScript(dir, "heartbeat.txt", "x"));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(now.addSecs(-secondsAgo), QFileDevice::FileModificationTime));
        }
        QCOMPARE(ScriptHeartbeat::text(ScriptHeartbeat::ageSeconds(dir.path(), now)), text);
        QCOMPARE(ScriptHeartbeat::ageSeconds(QString(), now), -1);
    }

    void startOutputAndNormalEnd()
    {
        Rig rig;
        const QString path = writeScript(rig.scripts, "job/say.py",
                                         "import os, sys\nprint('args', sys.argv[1:])\n"
                                         "print('dir', os.environ['VORN_SCRIPT_DIR'])\n"
                                         "print('cmd: secret line')\nsys.exit(3)\n");
        addEntry(*rig.box.settings, "Говорун", "\"" + path + "\" --from-path", "auto", "own \"two words\"");
        QCOMPARE(rig.status(0), QStringLiteral("готов"));
        QSignalSpy logs(rig.runtime.get(), &ScriptRuntimeService::logChanged);

        rig.runtime->start(0);
        QCOMPARE(rig.status(0), QStringLiteral("запуск..."));
        QVERIFY(journalHas(rig.box.eventLog, "Запуск скрипта: Говорун"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.status(0), QStringLiteral("остановлен (3)"), kWaitMs);
        const QString log = rig.runtime->entryLog(0);
        QVERIFY2(log.contains("args ['--from-path', 'own', 'two words']"), qPrintable(log));
        QVERIFY(log.contains("dir " + rig.scripts.filePath("job")));
        QVERIFY(log.startsWith("\n▶ Запуск\n"));
        QVERIFY(log.endsWith("\n■ Завершение: code=3\n"));
        QVERIFY(!log.contains("secret"));
        QVERIFY(!logs.isEmpty());
        QCOMPARE(logs.last().at(0).toInt(), 0);
        QCOMPARE(rig.entry(0).value("running").toBool(), false);
        QCOMPARE(rig.entry(0).value("folder").toString(), rig.scripts.filePath("job"));
    }

    void startingTwiceDoesNothingAndStopEndsTheGroup()
    {
        Rig rig;
        // The shell starts a grandchild; stopping must end it too.
        const QString path = writeScript(rig.scripts, "group.sh", "sleep 300 &\necho \"child $!\"\nwait\n");
        addEntry(*rig.box.settings, "Группа", path, "cmd");
        rig.runtime->start(0);
        QTRY_VERIFY_WITH_TIMEOUT(rig.runtime->entryLog(0).contains("child "), kWaitMs);
        QCOMPARE(rig.status(0), QStringLiteral("запущен"));
        const qint64 pid = rig.runtime->processId(0);
        QCOMPARE(rig.entry(0).value("pid").toLongLong(), pid);
        const qint64 grandchild = QRegularExpression("child (\\d+)").match(rig.runtime->entryLog(0)).captured(1).toLongLong();
        QVERIFY(processAlive(grandchild));

        rig.runtime->start(0);
        QCOMPARE(rig.runtime->processId(0), pid);
        QCOMPARE(journalCount(rig.box.eventLog, "Запуск скрипта: "), 1);

        rig.runtime->stop(0);
        QCOMPARE(rig.status(0), QStringLiteral("останавливаю..."));
        QVERIFY(journalHas(rig.box.eventLog, "Остановка скрипта: Группа"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.status(0), QStringLiteral("упал (15)"), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(processGone(pid), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(grandchild), kWaitMs);
    }

    void killAfterTheDelayWhenTermIsIgnored()
    {
        Rig rig;
        addEntry(*rig.box.settings, "Упрямый", writeScript(rig.scripts, "stubborn.py", kIgnoresTerm));
        QVERIFY(rig.startReady(0));
        const qint64 pid = rig.runtime->processId(0);

        QElapsedTimer clock;
        clock.start();
        rig.runtime->stop(0);
        QTRY_COMPARE_WITH_TIMEOUT(rig.status(0), QStringLiteral("упал (9)"), kWaitMs);
        QVERIFY2(clock.elapsed() >= 300, "killed before the delay");
        QTRY_VERIFY_WITH_TIMEOUT(processGone(pid), kWaitMs);
    }

    void scriptsDieWithAKilledClient()
    {
        // The probe runs the script through the runtime; SIGKILL leaves it no stopAll.
        QTemporaryDir dir;
        const QString script = writeScript(dir, "stays.py", kIgnoresTerm);
        QProcess probe;
        probe.start(QStringLiteral(VORN_SCRIPT_PROBE), {script});
        QVERIFY(probe.waitForStarted(kWaitMs));
        QTRY_VERIFY_WITH_TIMEOUT(probe.canReadLine(), kWaitMs);
        const qint64 pid = QString::fromLatin1(probe.readLine()).section(u' ', 1).trimmed().toLongLong();
        QVERIFY(processAlive(pid));
        probe.kill();
        QVERIFY(probe.waitForFinished(kWaitMs));
        QTRY_VERIFY_WITH_TIMEOUT(!processAlive(pid), kWaitMs);
    }

    void restartStartsAFreshProcess()
    {
        Rig rig;
        addEntry(*rig.box.settings, "Тикер", writeScript(rig.scripts, "tick.py", kTicker));
        QVERIFY(rig.startReady(0));
        const qint64 first = rig.runtime->processId(0);
        rig.runtime->restart(0);
        QTRY_VERIFY_WITH_TIMEOUT(rig.runtime->processId(0) != 0 && rig.runtime->processId(0) != first, kWaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(rig.status(0), QStringLiteral("запущен"), kWaitMs);
        QVERIFY(processGone(first));
        QCOMPARE(rig.runtime->entryLog(0).count("▶ Запуск"), 2);
    }

    void floodKeepsTheLogBoundedAndBadUtf8Survives()
    {
        Rig rig;
        // About 20 MB as fast as the pipe takes it, then invalid UTF-8 and a last line.
        addEntry(*rig.box.settings, "Поток",
                 writeScript(rig.scripts, "flood.py",
                             "import sys\nchunk = ('x' * 1023 + '\\n').encode()\nfor _ in range(20000):\n"
                             "    sys.stdout.buffer.write(chunk)\nsys.stdout.buffer.write(b'\\xff\\xfe\\xd0 bad\\n')\n"
                             "sys.stdout.buffer.write('конец'.encode())\n"));
        QSignalSpy logs(rig.runtime.get(), &ScriptRuntimeService::logChanged);
        rig.runtime->start(0);
        QTRY_VERIFY_WITH_TIMEOUT(rig.status(0).startsWith("остановлен"), 60000);
        const QString log = rig.runtime->entryLog(0);
        QVERIFY(log.size() <= ScriptLog::kCapChars + 2);
        QVERIFY(log.startsWith(QStringLiteral("…\n")));
        QVERIFY(log.contains(QStringLiteral("\uFFFD")));
        QVERIFY(log.contains(QStringLiteral("bad\nконец")));
        for (const QList<QVariant> &signal : std::as_const(logs))
            QVERIFY(signal.at(1).toString().size() <= ScriptLog::kCapChars + 2);
    }

    void refusedStarts()
    {
        Rig rig;
        addEntry(*rig.box.settings, "Пропавший", rig.scripts.filePath("gone.py"));
        addEntry(*rig.box.settings, "Выключенный", writeScript(rig.scripts, "off.py", kTicker));
        rig.box.settings->setScriptEntryEnabled(1, false);
        addEntry(*rig.box.settings, "Без пути", QString());
        QCOMPARE(rig.status(0), QStringLiteral("нет пути"));
        QCOMPARE(rig.status(1), QStringLiteral("выключен"));
        QCOMPARE(rig.status(2), QStringLiteral("не задан"));

        rig.runtime->start(0);
        rig.runtime->start(1);
        QVERIFY(journalHas(rig.box.eventLog, "Скрипт не найден: " + rig.scripts.filePath("gone.py")));
        QVERIFY(journalHas(rig.box.eventLog, "Скрипт выключен: Выключенный"));
        QCOMPARE(rig.runtime->processId(0) + rig.runtime->processId(1), 0);
        QCOMPARE(rig.runtime->folderPath(0), QString());
        QVERIFY(!rig.runtime->openFolder(0));
        QVERIFY(!rig.runtime->openFolder(7));
        QCOMPARE(rig.runtime->entryLog(-1), QString());
    }

    void programThatCannotStart()
    {
        Rig rig;
        // Not executable and no interpreter mode: the start fails with a mark in the log.
        const QString path = writeScript(rig.scripts, "plain.bin", "no program");
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        addEntry(*rig.box.settings, "Файл", path);
        rig.runtime->start(0);
        QTRY_COMPARE_WITH_TIMEOUT(rig.status(0), QStringLiteral("ошибка запуска"), kWaitMs);
        QVERIFY(rig.runtime->entryLog(0).contains("\n[Ошибка] "));
        QCOMPARE(rig.entry(0).value("running").toBool(), false);
    }

    void heartbeatOfARunningScript()
    {
        Rig rig;
        addEntry(*rig.box.settings, "Пульс",
                 writeScript(rig.scripts, "beat/beat.py",
                             "import os, time\nopen(os.path.join(os.environ['VORN_SCRIPT_DIR'], 'heartbeat.txt'),"
                             " 'w').write('1')\nprint('ready', flush=True)\ntime.sleep(300)\n"));
        QCOMPARE(rig.entry(0).value("heartbeat").toString(), QStringLiteral("пульс: нет"));
        QVERIFY(rig.startReady(0));
        QTRY_VERIFY_WITH_TIMEOUT(rig.entry(0).value("heartbeat").toString().startsWith("пульс: ")
                                     && rig.entry(0).value("heartbeat").toString().endsWith("с назад"),
                                 kWaitMs);
        rig.runtime->stop(0);
    }

    void autoStartAndStopAll()
    {
        Rig rig;
        addEntry(*rig.box.settings, "Авто", writeScript(rig.scripts, "auto.py", kIgnoresTerm), "auto", {}, true);
        addEntry(*rig.box.settings, "Ручной", writeScript(rig.scripts, "manual.py", kTicker));
        addEntry(*rig.box.settings, "Авто выкл", writeScript(rig.scripts, "off.py", kTicker), "auto", {}, true);
        rig.box.settings->setScriptEntryEnabled(2, false);

        rig.runtime->startAutoStartScripts();
        QTRY_VERIFY_WITH_TIMEOUT(rig.runtime->entryLog(0).contains("ready"), kWaitMs);
        QCOMPARE(rig.runtime->processId(1), 0);
        QCOMPARE(rig.runtime->processId(2), 0);
        const qint64 pid = rig.runtime->processId(0);

        // It ignores SIGTERM: stopAll kills it after the delay, blocking only that long.
        QElapsedTimer clock;
        clock.start();
        rig.runtime->stopAll();
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(processGone(pid));
        QVERIFY(journalHas(rig.box.eventLog, "Скрипт остановлен при закрытии: Авто"));
        QVERIFY(rig.runtime->shuttingDown());

        rig.runtime->start(1);
        rig.runtime->restart(1);
        rig.runtime->startAutoStartScripts();
        // Nothing was scheduled either: a restart while shutting down returns at once.
        QCOMPARE(rig.runtime->findChildren<QProcess *>().size(), 0);
        QCOMPARE(rig.runtime->processId(0) + rig.runtime->processId(1), 0);
    }

    void renamedPathStopsTheOldProcess()
    {
        Rig rig;
        addEntry(*rig.box.settings, "Старый", writeScript(rig.scripts, "old.py", kIgnoresTerm));
        QVERIFY(rig.startReady(0));
        const qint64 pid = rig.runtime->processId(0);

        rig.box.settings->setScriptEntryPath(0, rig.scripts.filePath("new.py"));
        QCOMPARE(rig.status(0), QStringLiteral("нет пути"));
        QCOMPARE(rig.runtime->processId(0), 0);
        QTRY_VERIFY_WITH_TIMEOUT(processGone(pid), kWaitMs);

        writeScript(rig.scripts, "new.py", kTicker);
        rig.runtime->refresh();
        QCOMPARE(rig.status(0), QStringLiteral("готов"));
    }

    void remoteCommands_data()
    {
        QTest::addColumn<QVariantMap>("command");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("scriptId");
        QTest::newRow("case, blanks and punctuation") << QVariantMap{{"commandId", "c1"}, {"scriptId", " Nightly  JOB! "},
                                                                     {"action", "CLEAR_LOG"}}
                                                      << true << "accepted" << "nightly_job";
        QTest::newRow("id key and clearlog") << QVariantMap{{"id", "nightly_job"}, {"action", "clearlog"}} << true
                                             << "accepted" << "nightly_job";
        QTest::newRow("unknown script") << QVariantMap{{"script_id", "Other"}, {"action", "start"}} << false
                                        << "script_not_found" << "other";
    }

    void remoteCommands()
    {
        QFETCH(QVariantMap, command);
        QFETCH(bool, ok);
        QFETCH(QString, message);
        QFETCH(QString, scriptId);
        Rig rig;
        addEntry(*rig.box.settings, "Nightly job", writeScript(rig.scripts, "n.py", kTicker));
        QSignalSpy logs(rig.runtime.get(), &ScriptRuntimeService::logChanged);

        const QVariantMap result = rig.runtime->runRemoteCommand(command);
        QCOMPARE(result.value("ok").toBool(), ok);
        QCOMPARE(result.value("status").toString(), ok ? QStringLiteral("done") : QStringLiteral("failed"));
        QCOMPARE(result.value("message").toString(), message);
        QCOMPARE(result.value("script_id").toString(), scriptId);
        QCOMPARE(result.value("scriptId").toString(), scriptId);
        QCOMPARE(result.value("commandId"), result.value("command_id"));
        if (ok) {
            QCOMPARE(result.value("scriptTitle").toString(), QStringLiteral("Nightly job"));
            QCOMPARE(logs.size(), 1);
            QCOMPARE(logs.first().at(1).toString(), QString());
            QVERIFY(journalHas(rig.box.eventLog, "Скрипты: серверная команда " + result.value("action").toString()
                                                     + " принята для Nightly job"));
        }
        if (message == QLatin1String("script_not_found"))
            QVERIFY(journalHas(rig.box.eventLog, "Скрипты: серверная команда не найдена локально: other"));
    }

    void statusSnapshotForTheServer()
    {
        Rig rig;
        addEntry(*rig.box.settings, "Снимок", writeScript(rig.scripts, "s.py", "print('x' * 30000)\n"));
        rig.runtime->start(0);
        QTRY_VERIFY_WITH_TIMEOUT(rig.status(0).startsWith("остановлен"), kWaitMs);
        const QVariantMap item = rig.runtime->remoteStatusSnapshot().value(0).toMap();
        for (const char *key : {"name", "title", "script_title", "scriptTitle"})
            QCOMPARE(item.value(key).toString(), QStringLiteral("Снимок"));
        QCOMPARE(item.value("existsLocal").toBool(), true);
        QCOMPARE(item.value("status_text").toString(), QStringLiteral("остановлен (0)"));
        QCOMPARE(item.value("log_tail").toString().size(), ScriptLog::kServerTailChars + 2);
        QVERIFY(item.value("logTail").toString().startsWith(QStringLiteral("…\n")));
    }
};

QTEST_MAIN(ScriptRuntimeTest)
#include "tst_scriptruntime.moc"
