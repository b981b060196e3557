#include "platform/ScriptProcess.h"

#include <signal.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace platform {

const ScriptPrograms &scriptPrograms()
{
    static const ScriptPrograms programs{
        {"python3", "python"},
        "python3",
        {".venv/Scripts/python.exe", "venv/Scripts/python.exe", "env/Scripts/python.exe", ".venv/bin/python",
         "venv/bin/python", "env/bin/python"},
        "sh",
        false,
        "pwsh",
        "pwsh",
        ':',
    };
    return programs;
}

void prepareScriptChild()
{
    ::setpgid(0, 0);
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
}

bool adoptScriptProcess(long long)
{
    return true;
}

bool signalScriptTree(long long pid, bool kill)
{
    if (pid <= 0)
        return false;
    const pid_t group = static_cast<pid_t>(pid);
    // The group exists once the child ran setpgid; before that, only the child itself.
    if (::kill(-group, kill ? SIGKILL : SIGTERM) == 0)
        return true;
    return ::kill(group, kill ? SIGKILL : SIGTERM) == 0;
}

} // namespace platform
