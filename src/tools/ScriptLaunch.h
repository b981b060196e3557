#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Program, arguments, working folder and environment of one script start.
struct ScriptLaunch
{
    QString mode;              // python, cmd, powershell or exe
    QString program;
    QStringList arguments;
    QString workDir;
    QString venvInterpreter;   // empty when no virtual environment was found
    QProcessEnvironment environment;
};

class ScriptLaunchBuilder
{
public:
    // scriptPath: the resolved, existing script file; arguments: the path's extra
    // arguments followed by the entry's own; appDir: the application's folder.
    static ScriptLaunch build(const QString &launchMode, const QString &scriptPath, const QStringList &arguments,
                              const QString &appDir, const QProcessEnvironment &system);

    // The entry's mode when known, else "auto"; "auto" decided by the file suffix.
    static QString effectiveMode(const QString &launchMode, const QString &scriptPath);
    // The interpreter of a virtual environment in the script's folder or up to five parents.
    static QString findVenvInterpreter(const QString &scriptFolder);
    // The one command string cmd.exe gets after "/D /C".
    static QString cmdCommandLine(const QString &scriptPath, const QStringList &arguments);
    // Folders (native separators, no duplicates) in front of an old PATH-like value.
    static QString prependFolders(const QStringList &folders, const QString &oldValue, QChar separator);
    static QProcessEnvironment environment(const QProcessEnvironment &system, const QString &workDir,
                                           const QString &appDir, const QString &venvInterpreter);

private:
    static QString searchProgram(const QStringList &names, const QString &fallback);
};
