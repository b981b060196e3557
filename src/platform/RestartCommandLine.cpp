#include "platform/RestartCommandLine.h"

#include "platform/CrashText.h"

namespace platform {

std::wstring quoteRestartValue(const std::wstring &value)
{
    std::wstring quoted;
    quoted.reserve(value.size() + 2);
    quoted += L'"';
    for (const wchar_t c : value) {
        if (c == L'"')
            quoted += L'\\';
        quoted += c;
    }
    quoted += L'"';
    return quoted;
}

std::wstring toWindowsSeparators(std::wstring path)
{
    for (wchar_t &c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

std::wstring chooseCommandShell(const std::wstring &comSpec)
{
    if (!comSpec.empty() && comSpec.size() < 260)
        return toWindowsSeparators(comSpec);
    return kDefaultCommandShell;
}

std::wstring buildRestartCommandLine(const std::wstring &shell, const std::wstring &program,
                                     const std::vector<std::wstring> &arguments,
                                     int delaySeconds)
{
    std::wstring start = L"start \"\" " + quoteRestartValue(toWindowsSeparators(program));
    for (const std::wstring &argument : arguments) {
        if (isBlankText(argument.c_str()))
            continue;
        start += L' ';
        start += quoteRestartValue(argument);
    }
    const int delay = delaySeconds < 1 ? 1 : delaySeconds;
    return quoteRestartValue(toWindowsSeparators(shell)) + L" /D /C timeout /T "
        + std::to_wstring(delay) + L" /NOBREAK >NUL & " + start;
}

} // namespace platform
