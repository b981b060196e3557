#pragma once

#include <QString>

// The merged output of a script as the operator and the server see it: bounded,
// and without the command lines and working folders the runtime writes.
class ScriptLog
{
public:
    static constexpr int kCapChars = 24000;
    static constexpr int kServerTailChars = 12000;

    // log + text, cut to its newest kCapChars behind "…\n", then filtered.
    static QString append(const QString &log, const QString &text);
    // Lines starting "cwd:"/"cmd:" go; launch lines that name an interpreter become "▶ Запуск".
    static QString filter(const QString &log);
    // The newest maxChars behind "…\n" when longer.
    static QString tail(const QString &log, int maxChars);
};
