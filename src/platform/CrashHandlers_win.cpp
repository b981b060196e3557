#include "platform/CrashHandlers.h"

#include "platform/CrashText.h"
#include "platform/InstanceMutex.h"
#include "platform/RestartCommandLine.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <exception>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace platform {

namespace {

constexpr std::size_t kPathCapacity = 1024;
constexpr std::size_t kCommandCapacity = 32768; // CreateProcessW's command line limit

// Written once by installCrashHandlers, read only by the handlers.
wchar_t g_crashLogPath[kPathCapacity];
wchar_t g_logFolder[kPathCapacity];
wchar_t g_markerPath[kPathCapacity];
wchar_t g_restartCommand[kCommandCapacity]; // empty: no restart
wchar_t g_commandScratch[kCommandCapacity]; // CreateProcessW may modify its argument

std::atomic<int> g_crashOwner{0};
std::atomic<int> g_terminateRecorded{0};

bool copyText(wchar_t *target, std::size_t capacity, const std::wstring &source)
{
    if (source.size() >= capacity) {
        target[0] = L'\0';
        return false;
    }
    std::wmemcpy(target, source.c_str(), source.size() + 1);
    return true;
}

std::int64_t unixMsFromFileTime(const FILETIME &time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    // FILETIME counts 100 ns steps since 1601-01-01.
    return static_cast<std::int64_t>((value.QuadPart - 116444736000000000ULL) / 10000ULL);
}

CivilTime civilFromSystemTime(const SYSTEMTIME &time)
{
    CivilTime civil;
    civil.year = time.wYear;
    civil.month = time.wMonth;
    civil.day = time.wDay;
    civil.hour = time.wHour;
    civil.minute = time.wMinute;
    civil.second = time.wSecond;
    civil.millisecond = time.wMilliseconds;
    return civil;
}

void makeFolders(const wchar_t *folder)
{
    wchar_t path[kPathCapacity];
    std::size_t length = 0;
    while (folder[length] && length + 1 < kPathCapacity) {
        path[length] = folder[length];
        ++length;
    }
    path[length] = L'\0';
    for (std::size_t i = 1; i <= length; ++i) {
        const wchar_t c = path[i];
        if ((c == L'\\' || c == L'/' || c == L'\0') && path[i - 1] != L':') {
            path[i] = L'\0';
            ::CreateDirectoryW(path, nullptr);
            path[i] = c;
        }
    }
}

void writeFile(const wchar_t *path, DWORD disposition, DWORD access, const char *data,
               std::size_t length)
{
    HANDLE file = ::CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    ::WriteFile(file, data, static_cast<DWORD>(length), &written, nullptr);
    ::CloseHandle(file);
}

void appendCrashLine(const char *reason)
{
    if (g_crashLogPath[0] == L'\0')
        return;
    makeFolders(g_logFolder);
    SYSTEMTIME local;
    ::GetLocalTime(&local);
    char line[2048];
    TextBuffer text(line, sizeof line);
    formatCrashLine(text, civilFromSystemTime(local), reason, "\r\n");
    writeFile(g_crashLogPath, OPEN_ALWAYS, FILE_APPEND_DATA, text.data, text.length);
}

bool restartGuardAllows()
{
    if (g_crashLogPath[0] == L'\0')
        return true;
    makeFolders(g_logFolder);
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    WIN32_FILE_ATTRIBUTE_DATA marker;
    if (::GetFileAttributesExW(g_markerPath, GetFileExInfoStandard, &marker)
        && restartMarkerIsRecent(unixMsFromFileTime(marker.ftLastWriteTime),
                                 unixMsFromFileTime(now))) {
        appendCrashLine("restart_suppressed_recent_crash");
        return false;
    }
    SYSTEMTIME utc;
    ::FileTimeToSystemTime(&now, &utc);
    char stamp[64];
    TextBuffer text(stamp, sizeof stamp);
    text.appendIsoMs(civilFromSystemTime(utc), true);
    text.append("\r\n");
    writeFile(g_markerPath, CREATE_ALWAYS, GENERIC_WRITE, text.data, text.length);
    return true;
}

bool startDelayedRestart()
{
    std::wmemcpy(g_commandScratch, g_restartCommand, kCommandCapacity);
    STARTUPINFOW startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    if (!::CreateProcessW(nullptr, g_commandScratch, nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

void handleCrash(const char *reason)
{
    appendCrashLine(reason);
    if (g_restartCommand[0] == L'\0')
        return;
    if (!restartGuardAllows())
        return;
    releaseInstanceMutex();
    if (!startDelayedRestart())
        appendCrashLine("restart_failed_createprocess");
}

bool claimCrash()
{
    return g_crashOwner.exchange(1) == 0;
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS *info)
{
    if (!claimCrash())
        return EXCEPTION_EXECUTE_HANDLER;
    const EXCEPTION_RECORD *record = info ? info->ExceptionRecord : nullptr;
    char reason[1536];
    TextBuffer text(reason, sizeof reason);
    text.append("windows_unhandled_exception:0x");
    text.appendNumber(record ? record->ExceptionCode : 0, 16);
    if (record) {
        const auto address = reinterpret_cast<std::uintptr_t>(record->ExceptionAddress);
        text.append(" address=0x");
        text.appendNumber(address, 16);
        HMODULE module = nullptr;
        if (::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS
                                     | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 reinterpret_cast<LPCWSTR>(record->ExceptionAddress), &module)
            && module) {
            wchar_t modulePath[MAX_PATH + 1];
            const DWORD length = ::GetModuleFileNameW(module, modulePath, MAX_PATH);
            char moduleUtf8[MAX_PATH * 4];
            const int bytes = length > 0
                ? ::WideCharToMultiByte(CP_UTF8, 0, modulePath, static_cast<int>(length),
                                        moduleUtf8, sizeof moduleUtf8 - 1, nullptr, nullptr)
                : 0;
            if (bytes > 0) {
                moduleUtf8[bytes] = '\0';
                text.append(" module=");
                text.append(moduleUtf8);
            }
        }
        if (record->NumberParameters >= 1) {
            text.append(" param0=0x");
            text.appendNumber(static_cast<std::uint64_t>(record->ExceptionInformation[0]), 16);
        }
    }
    handleCrash(text.data);
    // Handled: Windows ends the process without its error dialog.
    return EXCEPTION_EXECUTE_HANDLER;
}

void onAbortSignal(int signalNumber)
{
    std::signal(signalNumber, SIG_DFL);
    if (g_terminateRecorded.load() == 0 && claimCrash()) {
        char reason[32];
        TextBuffer text(reason, sizeof reason);
        text.append("crash_signal:");
        text.appendNumber(static_cast<std::uint64_t>(signalNumber));
        handleCrash(text.data);
    }
    std::_Exit(128 + signalNumber);
}

[[noreturn]] void onTerminate()
{
    if (claimCrash())
        handleCrash("std_terminate");
    g_terminateRecorded.store(1);
    std::abort();
}

} // namespace

bool installCrashHandlers(const CrashSetup &setup)
{
    bool complete = copyText(g_crashLogPath, kPathCapacity, setup.crashLogPath);
    std::wstring folder = setup.crashLogPath;
    const std::size_t slash = folder.find_last_of(L"\\/");
    folder = slash == std::wstring::npos ? std::wstring(L".") : folder.substr(0, slash);
    complete = copyText(g_logFolder, kPathCapacity, folder) && complete;
    complete = copyText(g_markerPath, kPathCapacity, folder + L"\\crash-restart.marker") && complete;
    if (!complete)
        g_crashLogPath[0] = L'\0';

    g_restartCommand[0] = L'\0';
    if (!isBlankText(setup.applicationPath.c_str())) {
        wchar_t comSpec[260];
        const DWORD length = ::GetEnvironmentVariableW(L"ComSpec", comSpec, 260);
        const std::wstring shell =
            chooseCommandShell(length > 0 && length < 260 ? std::wstring(comSpec, length)
                                                           : std::wstring());
        const std::wstring command = buildRestartCommandLine(
            shell, setup.applicationPath, setup.arguments, setup.restartDelaySeconds);
        complete = copyText(g_restartCommand, kCommandCapacity, command) && complete;
    }

    ::SetUnhandledExceptionFilter(onUnhandledException);
    std::signal(SIGABRT, onAbortSignal);
    std::set_terminate(onTerminate);
    return complete;
}

} // namespace platform
