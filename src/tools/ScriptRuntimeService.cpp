#include "tools/ScriptRuntimeService.h"

#include "common/Journal.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "platform/ScriptProcess.h"
#include "settings/AppSettings.h"
#include "settings/ScriptEntries.h"
#include "tools/ScriptHeartbeat.h"
#include "tools/ScriptLaunch.h"
#include "tools/ScriptLog.h"
#include "tools/ScriptPathResolver.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

void endProcessTree(QProcess *process, bool kill)
{
    if (platform::signalScriptTree(process->processId(), kill))
        return;
    if (kill)
        process->kill();
    else
        process->terminate();
}

} // namespace

ScriptRuntimeService::ScriptRuntimeService(AppSettings *settings, Journal *eventLog, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
    , m_baseFolder(QCoreApplication::applicationDirPath())
    , m_systemEnvironment(QProcessEnvironment::systemEnvironment())
{
    m_heartbeatTimer.setInterval(kHeartbeatMs);
    connect(&m_heartbeatTimer, &QTimer::timeout, this, &ScriptRuntimeService::tickHeartbeat);
    m_heartbeatTimer.start();
    if (m_settings)
        connect(m_settings, &AppSettings::changed, this, &ScriptRuntimeService::refresh);
    refresh();
}

ScriptRuntimeService::~ScriptRuntimeService()
{
    const QList<QProcess *> processes = findChildren<QProcess *>(QString(), Qt::FindDirectChildrenOnly);
    for (QProcess *process : processes) {
        disconnect(process, nullptr, this, nullptr);
        if (process->state() != QProcess::NotRunning) {
            endProcessTree(process, true);
            process->waitForFinished(kFinalKillWaitMs);
        }
    }
}

void ScriptRuntimeService::setTimings(int killDelayMs, int restartDelayMs, int heartbeatMs)
{
    m_killDelayMs = killDelayMs;
    m_restartDelayMs = restartDelayMs;
    m_heartbeatTimer.setInterval(heartbeatMs);
}

qint64 ScriptRuntimeService::processId(int index) const
{
    if (!validIndex(index) || !m_entries.at(index).run.process)
        return 0;
    return m_entries.at(index).run.process->processId();
}

int ScriptRuntimeService::indexOfProcess(const QProcess *process) const
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (process && m_entries.at(i).run.process == process)
            return i;
    }
    return -1;
}

QString ScriptRuntimeService::resolvedFile(const ScriptEntry &entry, bool *exists) const
{
    const ResolvedScriptPath resolved = ScriptPathResolver::resolve(entry.path, m_baseFolder);
    if (exists)
        *exists = resolved.exists;
    return resolved.filePath;
}

QString ScriptRuntimeService::computedStatus(const ScriptEntry &entry) const
{
    if (!entry.enabled)
        return QStringLiteral("выключен");
    if (entry.path.isEmpty())
        return QStringLiteral("не задан");
    bool exists = false;
    resolvedFile(entry, &exists);
    return exists ? QStringLiteral("готов") : QStringLiteral("нет пути");
}

// ---- reload ----

void ScriptRuntimeService::refresh()
{
    const QVariantList rows = m_settings ? m_settings->scriptEntries() : QVariantList();
    QList<ScriptEntry> next;
    QList<bool> taken(m_entries.size(), false);
    const QStringList ids = ScriptEntries::scriptIds(rows);
    for (int row = 0; row < rows.size(); ++row) {
        ScriptEntry entry = ScriptEntry::fromRow(rows.at(row).toMap(), row, ids.at(row));
        for (int old = 0; old < m_entries.size(); ++old) {
            if (!taken.at(old) && m_entries.at(old).key == entry.key) {
                entry.run = m_entries.at(old).run;
                taken[old] = true;
                break;
            }
        }
        if (!entry.hasLiveProcess())
            entry.run.status = computedStatus(entry);
        next.append(entry);
    }
    for (int old = 0; old < m_entries.size(); ++old) {
        if (taken.at(old) || !m_entries.at(old).run.process)
            continue;
        QProcess *process = m_entries.at(old).run.process;
        // Its finished signal finds no entry any more and releases the object.
        if (process->state() != QProcess::NotRunning)
            terminateLater(process);
        else
            releaseProcess(process);
    }
    m_entries = next;
    Q_EMIT changed();
}

// ---- start and stop ----

void ScriptRuntimeService::startAutoStartScripts()
{
    if (m_shuttingDown)
        return;
    for (int i = 0; i < m_entries.size(); ++i) {
        const ScriptEntry &entry = m_entries.at(i);
        if (entry.enabled && entry.autoStart && !entry.hasLiveProcess())
            start(i);
    }
}

void ScriptRuntimeService::start(int index)
{
    if (m_shuttingDown || !validIndex(index) || m_entries.at(index).hasLiveProcess())
        return;
    ScriptEntry &entry = m_entries[index];
    if (!entry.enabled) {
        entry.run.status = QStringLiteral("выключен");
        if (m_eventLog)
            m_eventLog->addWarn(QStringLiteral("Скрипт выключен: ") + entry.name);
        Q_EMIT changed();
        return;
    }
    const ResolvedScriptPath resolved = ScriptPathResolver::resolve(entry.path, m_baseFolder);
    if (!resolved.exists) {
        entry.run.status = QStringLiteral("нет пути");
        if (m_eventLog)
            m_eventLog->addWarn(QStringLiteral("Скрипт не найден: ") + entry.path);
        Q_EMIT changed();
        return;
    }

    const QStringList arguments = resolved.extraArguments + QProcess::splitCommand(entry.arguments);
    const ScriptLaunch launch = ScriptLaunchBuilder::build(entry.launchMode, resolved.filePath, arguments,
                                                           QCoreApplication::applicationDirPath(),
                                                           m_systemEnvironment);
    entry.run.workDir = launch.workDir;

    auto *process = new QProcess(this);
    process->setProcessEnvironment(launch.environment);
    process->setProgram(launch.program);
    process->setWorkingDirectory(launch.workDir);
    process->setProcessChannelMode(QProcess::MergedChannels);
#ifdef Q_OS_WIN
    if (launch.mode == QLatin1String("cmd") && launch.arguments.size() == 3) {
        // cmd.exe parses its own command line; Qt's quoting would break "call".
        process->setArguments(launch.arguments.mid(0, 2));
        process->setNativeArguments(launch.arguments.at(2));
    } else {
        process->setArguments(launch.arguments);
    }
#else
    process->setArguments(launch.arguments);
    process->setChildProcessModifier(&platform::prepareScriptChild);
#endif
    qCDebug(lcTools) << "script" << entry.id << "program" << launch.program << launch.arguments;

    entry.run.process = process;
    entry.run.decoder = std::make_shared<QStringDecoder>(QStringDecoder::Utf8);
    entry.run.running = true;
    entry.run.pid = 0;
    entry.run.exitCode = 0;
    entry.run.lastError.clear();
    entry.run.status = QStringLiteral("запуск...");
    const QString name = entry.name;
    appendLog(index, QStringLiteral("\n▶ Запуск\n"));
    watch(process);
    process->start(QIODevice::ReadWrite);
    if (m_eventLog)
        m_eventLog->addInfo(QStringLiteral("Запуск скрипта: ") + name);
    Q_EMIT changed();
}

void ScriptRuntimeService::watch(QProcess *process)
{
    connect(process, &QProcess::started, this, [this, process] { onStarted(process); });
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process] { onOutput(process); });
    connect(process, &QProcess::readyReadStandardError, this, [this, process] { onOutput(process); });
    connect(process, &QProcess::errorOccurred, this, [this, process] { onError(process); });
    connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus status) {
        onFinished(process, code, status);
    });
}

void ScriptRuntimeService::onStarted(QProcess *process)
{
    const int index = indexOfProcess(process);
    if (index < 0)
        return;
    ScriptEntry &entry = m_entries[index];
    entry.run.pid = process->processId();
    entry.run.running = true;
    entry.run.status = QStringLiteral("запущен");
    if (!platform::adoptScriptProcess(entry.run.pid))
        qCWarning(lcTools) << "script" << entry.id << "could not be tied to the client's lifetime";
    Q_EMIT changed();
}

void ScriptRuntimeService::onOutput(QProcess *process)
{
    const int index = indexOfProcess(process);
    const QByteArray bytes = process->readAll();
    if (index < 0 || bytes.isEmpty())
        return;
    ScriptEntry &entry = m_entries[index];
    const QString text = entry.run.decoder ? entry.run.decoder->decode(bytes) : QString::fromUtf8(bytes);
    appendLog(index, text);
}

void ScriptRuntimeService::onError(QProcess *process)
{
    const int index = indexOfProcess(process);
    if (index < 0)
        return;
    ScriptEntry &entry = m_entries[index];
    entry.run.lastError = process->errorString();
    entry.run.status = QStringLiteral("ошибка запуска");
    entry.run.running = false;
    const QString error = entry.run.lastError;
    // A process that never started sends no finished signal.
    if (process->error() == QProcess::FailedToStart) {
        entry.run.process = nullptr;
        entry.run.pid = 0;
        releaseProcess(process);
    }
    appendLog(index, QStringLiteral("\n[Ошибка] ") + error + QStringLiteral("\n"));
    Q_EMIT changed();
}

void ScriptRuntimeService::onFinished(QProcess *process, int exitCode, QProcess::ExitStatus exitStatus)
{
    onOutput(process);
    const int index = indexOfProcess(process);
    if (index < 0) {
        releaseProcess(process);
        return;
    }
    ScriptEntry &entry = m_entries[index];
    entry.run.running = false;
    entry.run.exitCode = exitCode;
    entry.run.pid = 0;
    entry.run.status = exitStatus == QProcess::CrashExit ? QStringLiteral("упал (%1)").arg(exitCode)
                                                     : QStringLiteral("остановлен (%1)").arg(exitCode);
    entry.run.process = nullptr;
    releaseProcess(process);
    appendLog(index, QStringLiteral("\n■ Завершение: code=%1\n").arg(exitCode));
    Q_EMIT changed();
}

void ScriptRuntimeService::terminateLater(QProcess *process)
{
    endProcessTree(process, false);
    QTimer::singleShot(m_killDelayMs, process, [process] {
        if (process->state() != QProcess::NotRunning)
            endProcessTree(process, true);
    });
}

void ScriptRuntimeService::releaseProcess(QProcess *process)
{
    // Still running (an entry that left the list): released when it finishes.
    if (process->state() != QProcess::NotRunning)
        return;
    disconnect(process, nullptr, this, nullptr);
    process->deleteLater();
}

void ScriptRuntimeService::stop(int index)
{
    if (!validIndex(index))
        return;
    ScriptEntry &entry = m_entries[index];
    entry.run.pid = 0;
    entry.run.running = false;
    if (entry.hasLiveProcess()) {
        entry.run.status = QStringLiteral("останавливаю...");
        terminateLater(entry.run.process);
    } else {
        if (entry.run.process) {
            releaseProcess(entry.run.process);
            entry.run.process = nullptr;
        }
        entry.run.status = QStringLiteral("остановлен");
    }
    if (m_eventLog)
        m_eventLog->addWarn(QStringLiteral("Остановка скрипта: ") + entry.name);
    Q_EMIT changed();
}

void ScriptRuntimeService::restart(int index)
{
    if (m_shuttingDown || !validIndex(index))
        return;
    const QString key = m_entries.at(index).key;
    stop(index);
    // The entry may have moved in a reload meanwhile; find it by its key.
    QTimer::singleShot(m_restartDelayMs, this, [this, key] {
        for (int i = 0; i < m_entries.size(); ++i) {
            if (m_entries.at(i).key == key) {
                start(i);
                return;
            }
        }
    });
}

void ScriptRuntimeService::stopAll()
{
    if (m_shuttingDown)
        return;
    m_shuttingDown = true;
    m_heartbeatTimer.stop();
    for (ScriptEntry &entry : m_entries) {
        if (!entry.hasLiveProcess())
            continue;
        QProcess *process = entry.run.process;
        // Statuses stay as they were: nothing reacts to the process any more.
        disconnect(process, nullptr, this, nullptr);
        endProcessTree(process, false);
        if (!process->waitForFinished(m_killDelayMs)) {
            endProcessTree(process, true);
            process->waitForFinished(kFinalKillWaitMs);
        }
        if (process->state() == QProcess::NotRunning)
            delete process;
        else
            process->deleteLater();
        entry.run.process = nullptr;
        entry.run.running = false;
        entry.run.pid = 0;
        if (m_eventLog)
            m_eventLog->addWarn(QStringLiteral("Скрипт остановлен при закрытии: ") + entry.name);
    }
    Q_EMIT changed();
}

// ---- log and heartbeat ----

void ScriptRuntimeService::appendLog(int index, const QString &text)
{
    if (text.isEmpty() || !validIndex(index))
        return;
    ScriptEntry &entry = m_entries[index];
    entry.run.log = ScriptLog::append(entry.run.log, text);
    entry.run.lastOutputAt = QDateTime::currentDateTimeUtc();
    Q_EMIT logChanged(index, entry.run.log);
}

void ScriptRuntimeService::clearLog(int index)
{
    if (!validIndex(index))
        return;
    m_entries[index].run.log.clear();
    Q_EMIT logChanged(index, QString());
}

QString ScriptRuntimeService::entryLog(int index) const
{
    return validIndex(index) ? ScriptLog::filter(m_entries.at(index).run.log) : QString();
}

void ScriptRuntimeService::tickHeartbeat()
{
    const QDateTime now = QDateTime::currentDateTime();
    bool any = false;
    for (ScriptEntry &entry : m_entries) {
        if (entry.run.workDir.isEmpty())
            continue;
        const int age = ScriptHeartbeat::ageSeconds(entry.run.workDir, now);
        const QString text = ScriptHeartbeat::text(age);
        if (age != entry.run.heartbeatAge || text != entry.run.heartbeatText) {
            entry.run.heartbeatAge = age;
            entry.run.heartbeatText = text;
            any = true;
        }
    }
    if (any)
        Q_EMIT changed();
}

// ---- folders ----

QString ScriptRuntimeService::folderPath(int index) const
{
    if (!validIndex(index))
        return {};
    bool exists = false;
    const QString file = resolvedFile(m_entries.at(index), &exists);
    return exists ? QFileInfo(file).absolutePath() : QString();
}

bool ScriptRuntimeService::openFolder(int index)
{
    const QString folder = folderPath(index);
    return !folder.isEmpty() && QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

// ---- the scene's and the server's view ----

QVariantMap ScriptRuntimeService::entryMap(int index) const
{
    const ScriptEntry &entry = m_entries.at(index);
    bool exists = false;
    const QString file = resolvedFile(entry, &exists);
    return {
        {QStringLiteral("index"), index},
        {QStringLiteral("id"), entry.id},
        {QStringLiteral("script_id"), entry.id},
        {QStringLiteral("scriptId"), entry.id},
        {QStringLiteral("name"), entry.name},
        {QStringLiteral("path"), entry.path},
        {QStringLiteral("resolvedPath"), file},
        {QStringLiteral("arguments"), entry.arguments},
        {QStringLiteral("enabled"), entry.enabled},
        {QStringLiteral("autoStart"), entry.autoStart},
        {QStringLiteral("launchMode"), entry.launchMode},
        {QStringLiteral("exists"), exists},
        {QStringLiteral("running"), entry.run.running},
        {QStringLiteral("pid"), entry.run.pid},
        {QStringLiteral("status"), entry.run.status},
        {QStringLiteral("log"), ScriptLog::filter(entry.run.log)},
        {QStringLiteral("heartbeat"), entry.run.heartbeatText},
        {QStringLiteral("folder"), exists ? QFileInfo(file).absolutePath() : QString()},
    };
}

QVariantList ScriptRuntimeService::entries() const
{
    QVariantList out;
    for (int i = 0; i < m_entries.size(); ++i)
        out.append(entryMap(i));
    return out;
}

QVariantList ScriptRuntimeService::remoteStatusSnapshot() const
{
    QVariantList out;
    for (int i = 0; i < m_entries.size(); ++i) {
        const ScriptEntry &entry = m_entries.at(i);
        bool exists = false;
        resolvedFile(entry, &exists);
        const QString log = ScriptLog::tail(ScriptLog::filter(entry.run.log), ScriptLog::kServerTailChars);
        out.append(QVariantMap{
            {QStringLiteral("index"), i},
            {QStringLiteral("id"), entry.id},
            {QStringLiteral("script_id"), entry.id},
            {QStringLiteral("scriptId"), entry.id},
            {QStringLiteral("name"), entry.name},
            {QStringLiteral("title"), entry.name},
            {QStringLiteral("script_title"), entry.name},
            {QStringLiteral("scriptTitle"), entry.name},
            {QStringLiteral("enabled"), entry.enabled},
            {QStringLiteral("autoStart"), entry.autoStart},
            {QStringLiteral("launchMode"), entry.launchMode},
            {QStringLiteral("exists"), exists},
            {QStringLiteral("exists_local"), exists},
            {QStringLiteral("existsLocal"), exists},
            {QStringLiteral("running"), entry.run.running},
            {QStringLiteral("pid"), entry.run.pid},
            {QStringLiteral("status"), entry.run.status},
            {QStringLiteral("status_text"), entry.run.status},
            {QStringLiteral("statusText"), entry.run.status},
            {QStringLiteral("log_tail"), log},
            {QStringLiteral("logTail"), log},
            {QStringLiteral("heartbeat"), entry.run.heartbeatText},
        });
    }
    return out;
}

QVariantMap ScriptRuntimeService::runRemoteCommand(const QVariantMap &command)
{
    const QString commandId = variantFirstText(command, {"command_id", "commandId"});
    const QString scriptId = ScriptEntries::slug(variantFirstText(command, {"script_id", "scriptId", "id"}));
    const QString action = variantFirstText(command, {"action"}).toLower();
    QVariantMap result{
        {QStringLiteral("command_id"), commandId}, {QStringLiteral("commandId"), commandId},
        {QStringLiteral("script_id"), scriptId},   {QStringLiteral("scriptId"), scriptId},
        {QStringLiteral("action"), action},
    };
    auto failed = [&result](const char *message) {
        result.insert(QStringLiteral("ok"), false);
        result.insert(QStringLiteral("status"), QStringLiteral("failed"));
        result.insert(QStringLiteral("message"), QString::fromLatin1(message));
        return result;
    };

    int target = -1;
    for (int i = 0; i < m_entries.size() && !scriptId.isEmpty(); ++i) {
        if (m_entries.at(i).id == scriptId) {
            target = i;
            break;
        }
    }
    if (target < 0) {
        if (m_eventLog)
            m_eventLog->addWarn(QStringLiteral("Скрипты: серверная команда не найдена локально: ") + scriptId);
        return failed("script_not_found");
    }

    if (action == QLatin1String("start"))
        start(target);
    else if (action == QLatin1String("stop"))
        stop(target);
    else if (action == QLatin1String("restart"))
        restart(target);
    else if (action == QLatin1String("clear_log") || action == QLatin1String("clearlog"))
        clearLog(target);
    else
        return failed("bad_script_action");

    const QString name = m_entries.at(target).name;
    result.insert(QStringLiteral("ok"), true);
    result.insert(QStringLiteral("status"), QStringLiteral("done"));
    result.insert(QStringLiteral("message"), QStringLiteral("accepted"));
    result.insert(QStringLiteral("script_title"), name);
    result.insert(QStringLiteral("scriptTitle"), name);
    if (m_eventLog)
        m_eventLog->addInfo(QStringLiteral("Скрипты: серверная команда %1 принята для %2").arg(action, name));
    return result;
}
