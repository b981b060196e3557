#pragma once

#include <string>
#include <vector>

// The command line that restarts the client on Windows through the command shell:
//   "<shell>" /D /C timeout /T <delay> /NOBREAK >NUL & start "" "<program>" "<arg>"...
// Plain string work, so it is built and tested on every platform.
namespace platform {

constexpr const wchar_t *kDefaultCommandShell = L"C:\\Windows\\System32\\cmd.exe";

// A backslash before every double quote, the whole enclosed in double quotes.
std::wstring quoteRestartValue(const std::wstring &value);

// Forward slashes become backslashes.
std::wstring toWindowsSeparators(std::wstring path);

// The shell to run: the ComSpec value when it is set and shorter than 260 characters,
// otherwise the default command interpreter.
std::wstring chooseCommandShell(const std::wstring &comSpec);

// Arguments that are empty after trimming are left out; a delay below 1 becomes 1.
std::wstring buildRestartCommandLine(const std::wstring &shell, const std::wstring &program,
                                     const std::vector<std::wstring> &arguments,
                                     int delaySeconds);

} // namespace platform
