#pragma once

// Real child scripts written into a temporary folder, a settings store holding
// script entries for them, and checks on the processes behind them in /proc.

#include "JournalProbe.h"
#include "app/EventLogModel.h"
#include "settings/AppSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace ScriptTest {

// Writes a script file (executable) under dir and returns its absolute path.
inline QString writeScript(const QTemporaryDir &dir, const QString &relativePath, const QByteArray &text)
{
    const QString path = dir.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(text);
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return QFileInfo(path).absoluteFilePath();
}

// Appends a script entry to the settings; returns its row.
inline int addEntry(AppSettings &settings, const QString &name, const QString &path,
                    const QString &launchMode = QStringLiteral("auto"), const QString &arguments = QString(),
                    bool autoStart = false)
{
    settings.addScriptEntry();
    const int row = int(settings.scriptEntries().size()) - 1;
    settings.setScriptEntryName(row, name);
    settings.setScriptEntryPath(row, path);
    settings.setScriptEntryLaunchMode(row, launchMode);
    settings.setScriptEntryArguments(row, arguments);
    settings.setScriptEntryAutoStart(row, autoStart);
    return row;
}

// A process that still runs (exists in /proc and is not a zombie).
inline bool processAlive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && text.size() > close + 2 && text.at(close + 2) != 'Z';
}

// Gone from the process table altogether: ended and reaped.
inline bool processGone(qint64 pid)
{
    return pid > 0 && !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}

inline bool journalHas(const EventLogModel &log, const QString &message)
{
    return journalMessages(log).contains(message);
}

inline int journalCount(const EventLogModel &log, const QString &prefix)
{
    const QStringList messages = journalMessages(log);
    return int(std::count_if(messages.cbegin(), messages.cend(),
                             [&](const QString &m) { return m.startsWith(prefix); }));
}

} // namespace ScriptTest
