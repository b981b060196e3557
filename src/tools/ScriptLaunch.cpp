#include "tools/ScriptLaunch.h"

#include "platform/ScriptProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QStringList toStrings(const std::vector<std::string> &names)
{
    QStringList out;
    for (const std::string &name : names)
        out << QString::fromStdString(name);
    return out;
}

QString quoteCmdArgument(const QString &argument)
{
    QString word = argument.trimmed();
    word.replace(QLatin1String("\""), QLatin1String("\\\""));
    for (const QChar c : std::as_const(word)) {
        if (c.isSpace())
            return u'"' + word + u'"';
    }
    return word;
}

} // namespace

QString ScriptLaunchBuilder::effectiveMode(const QString &launchMode, const QString &scriptPath)
{
    const QString mode = launchMode.trimmed().toLower();
    static const QStringList known{QStringLiteral("python"), QStringLiteral("exe"), QStringLiteral("cmd"),
                                   QStringLiteral("powershell")};
    if (known.contains(mode))
        return mode;
    const QString suffix = QFileInfo(scriptPath).suffix().toLower();
    if (suffix == QLatin1String("py") || suffix == QLatin1String("pyw"))
        return QStringLiteral("python");
    if (suffix == QLatin1String("bat") || suffix == QLatin1String("cmd"))
        return QStringLiteral("cmd");
    if (suffix == QLatin1String("ps1"))
        return QStringLiteral("powershell");
    return QStringLiteral("exe");
}

QString ScriptLaunchBuilder::findVenvInterpreter(const QString &scriptFolder)
{
    const QStringList candidates = toStrings(platform::scriptPrograms().venvInterpreters);
    QDir folder(scriptFolder);
    for (int level = 0; level < 6; ++level) {
        for (const QString &candidate : candidates) {
            const QFileInfo info(folder.filePath(candidate));
            if (info.isFile())
                return info.absoluteFilePath();
        }
        if (!folder.cdUp())
            break;
    }
    return {};
}

QString ScriptLaunchBuilder::cmdCommandLine(const QString &scriptPath, const QStringList &arguments)
{
    QString path = scriptPath;
    path.replace(QLatin1String("\""), QLatin1String("\"\""));
    QStringList words{QStringLiteral("call"), u'"' + path + u'"'};
    for (const QString &argument : arguments)
        words << quoteCmdArgument(argument);
    return words.join(u' ');
}

QString ScriptLaunchBuilder::prependFolders(const QStringList &folders, const QString &oldValue, QChar separator)
{
    QStringList parts;
    for (const QString &folder : folders) {
        const QString native = QDir::toNativeSeparators(folder.trimmed());
        if (!native.isEmpty() && !parts.contains(native))
            parts << native;
    }
    const QString old = oldValue.trimmed();
    if (!old.isEmpty())
        parts << old;
    return parts.join(separator);
}

QProcessEnvironment ScriptLaunchBuilder::environment(const QProcessEnvironment &system, const QString &workDir,
                                                     const QString &appDir, const QString &venvInterpreter)
{
    const QChar separator = QLatin1Char(platform::scriptPrograms().pathListSeparator);
    QProcessEnvironment env = system;
    env.insert(QStringLiteral("PYTHONIOENCODING"), QStringLiteral("utf-8"));
    env.insert(QStringLiteral("PYTHONUTF8"), QStringLiteral("1"));
    env.insert(QStringLiteral("VORN_SCRIPT_DIR"), QDir::toNativeSeparators(workDir));
    env.insert(QStringLiteral("VORN_APP_DIR"), QDir::toNativeSeparators(appDir));
    QStringList pathFolders{workDir};
    if (!venvInterpreter.isEmpty())
        pathFolders.prepend(QFileInfo(venvInterpreter).absolutePath());
    env.insert(QStringLiteral("PATH"),
               prependFolders(pathFolders, env.value(QStringLiteral("PATH")), separator));
    env.insert(QStringLiteral("PYTHONPATH"),
               prependFolders({workDir}, env.value(QStringLiteral("PYTHONPATH")), separator));
    return env;
}

QString ScriptLaunchBuilder::searchProgram(const QStringList &names, const QString &fallback)
{
    for (const QString &name : names) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty())
            return found;
    }
    return fallback;
}

ScriptLaunch ScriptLaunchBuilder::build(const QString &launchMode, const QString &scriptPath,
                                        const QStringList &arguments, const QString &appDir,
                                        const QProcessEnvironment &system)
{
    const platform::ScriptPrograms &programs = platform::scriptPrograms();
    const QString absolute = QFileInfo(scriptPath).absoluteFilePath();
    ScriptLaunch launch;
    launch.mode = effectiveMode(launchMode, absolute);
    launch.workDir = QFileInfo(absolute).absolutePath();

    if (launch.mode == QLatin1String("python")) {
        launch.venvInterpreter = findVenvInterpreter(launch.workDir);
        launch.program = !launch.venvInterpreter.isEmpty()
            ? launch.venvInterpreter
            : searchProgram(toStrings(programs.pythonSearch), QString::fromStdString(programs.pythonFallback));
        launch.arguments = QStringList{QStringLiteral("-u"), absolute} + arguments;
    } else if (launch.mode == QLatin1String("cmd")) {
        launch.program = QString::fromStdString(programs.shellProgram);
        if (programs.shellTakesCommandLine)
            launch.arguments = {QStringLiteral("/D"), QStringLiteral("/C"), cmdCommandLine(absolute, arguments)};
        else
            launch.arguments = QStringList{absolute} + arguments;
    } else if (launch.mode == QLatin1String("powershell")) {
        launch.program = searchProgram({QString::fromStdString(programs.powershellSearch)},
                                       QString::fromStdString(programs.powershellFallback));
        launch.arguments = QStringList{QStringLiteral("-NoProfile"), QStringLiteral("-ExecutionPolicy"),
                                       QStringLiteral("Bypass"), QStringLiteral("-File"), absolute}
            + arguments;
    } else {
        launch.program = absolute;
        launch.arguments = arguments;
    }
    launch.environment = environment(system, launch.workDir, appDir, launch.venvInterpreter);
    return launch;
}
