#pragma once

#include <QString>
#include <QStringList>

// The file a script entry's configured path names, and the arguments written
// into that path after the file ("C:\\Tools\\sync.py" --fast, or an unquoted
// path with blanks followed by words).
struct ResolvedScriptPath
{
    QString filePath;          // absolute when the file was found; empty for an empty path
    QStringList extraArguments;
    bool exists = false;       // an existing regular file
};

class ScriptPathResolver
{
public:
    // Relative paths are taken against baseFolder (the application's folder).
    static ResolvedScriptPath resolve(const QString &configured, const QString &baseFolder);
    // Trimmed, with one pair of enclosing double quotes removed.
    static QString unquote(const QString &text);

private:
    static QString existingFile(const QString &candidate, const QString &baseFolder);
};
