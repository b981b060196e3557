#include "platform/ScriptProcess.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace platform {

namespace {

// One job object for every script of this client; its handle is never closed, so
// the system kills the scripts when the client process ends in any way.
HANDLE clientJob()
{
    static HANDLE job = [] {
        HANDLE handle = ::CreateJobObjectW(nullptr, nullptr);
        if (handle) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            ::SetInformationJobObject(handle, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        }
        return handle;
    }();
    return job;
}

} // namespace

const ScriptPrograms &scriptPrograms()
{
    static const ScriptPrograms programs{
        {"python", "py"},
        "python",
        {".venv/Scripts/python.exe", "venv/Scripts/python.exe", "env/Scripts/python.exe"},
        "cmd.exe",
        true,
        "pwsh",
        "powershell.exe",
        ';',
    };
    return programs;
}

void prepareScriptChild()
{
}

bool adoptScriptProcess(long long pid)
{
    HANDLE job = clientJob();
    if (!job || pid <= 0)
        return false;
    HANDLE process = ::OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return false;
    const BOOL assigned = ::AssignProcessToJobObject(job, process);
    ::CloseHandle(process);
    return assigned != FALSE;
}

bool signalScriptTree(long long, bool)
{
    return false;
}

} // namespace platform
