#include "tools/ScriptPathResolver.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

QString ScriptPathResolver::unquote(const QString &text)
{
    QString s = text.trimmed();
    if (s.size() >= 2 && s.startsWith(u'"') && s.endsWith(u'"'))
        s = s.mid(1, s.size() - 2);
    return s;
}

QString ScriptPathResolver::existingFile(const QString &candidate, const QString &baseFolder)
{
    const QString text = unquote(candidate);
    if (text.isEmpty())
        return {};
    const QFileInfo info(QDir(baseFolder).filePath(text));
    return info.isFile() ? info.absoluteFilePath() : QString();
}

ResolvedScriptPath ScriptPathResolver::resolve(const QString &configured, const QString &baseFolder)
{
    ResolvedScriptPath result;
    const QString text = unquote(configured);
    if (text.isEmpty())
        return result;
    auto found = [&result](const QString &file, const QStringList &extra) {
        result.filePath = file;
        result.extraArguments = extra;
        result.exists = true;
        return result;
    };

    if (const QString file = existingFile(text, baseFolder); !file.isEmpty())
        return found(file, {});

    // The enclosing quotes are gone only when the text ended with one, so a
    // quoted file followed by flags still begins with its quote here.
    if (text.startsWith(u'"')) {
        const qsizetype close = text.indexOf(u'"', 1);
        if (close > 1) {
            if (const QString file = existingFile(text.mid(1, close - 1), baseFolder); !file.isEmpty())
                return found(file, QProcess::splitCommand(text.mid(close + 1)));
        }
    }

    const QStringList words = QProcess::splitCommand(text);
    if (!words.isEmpty()) {
        if (const QString file = existingFile(words.first(), baseFolder); !file.isEmpty())
            return found(file, words.mid(1));
    }

    for (qsizetype blank = text.lastIndexOf(u' '); blank > 0; blank = text.lastIndexOf(u' ', blank - 1)) {
        if (const QString file = existingFile(text.left(blank), baseFolder); !file.isEmpty())
            return found(file, QProcess::splitCommand(text.mid(blank + 1)));
    }

    result.filePath = QFileInfo(QDir(baseFolder).filePath(text)).absoluteFilePath();
    return result;
}
