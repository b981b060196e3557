#pragma once

#include <string>
#include <vector>

namespace platform {

// What the script runtime needs of the operating system to run a tenant's
// scripts as child processes. Program names are plain ASCII.
struct ScriptPrograms
{
    // Python: the first of these found on the search path, else the fallback name.
    std::vector<std::string> pythonSearch;
    std::string pythonFallback;
    // Virtual-environment interpreters, relative to a folder, in lookup order.
    std::vector<std::string> venvInterpreters;
    // Batch files: Windows "cmd.exe /D /C call ..."; POSIX runs them with "sh".
    std::string shellProgram;
    bool shellTakesCommandLine = false;
    // PowerShell: "pwsh" when found on the search path, else the fallback.
    std::string powershellSearch;
    std::string powershellFallback;
    // Separator of PATH-like variables.
    char pathListSeparator = ';';
};

const ScriptPrograms &scriptPrograms();

// Runs in the child between fork and exec (POSIX): its own process group, so a
// stop reaches what the script started, and death together with the client.
// Only async-signal-safe calls. No-op on Windows.
void prepareScriptChild();

// After the child started. Windows: it joins the client's kill-on-close job
// object, so it cannot outlive the client. POSIX: nothing more to do.
bool adoptScriptProcess(long long pid);

// Asks the child's whole process group to end (POSIX SIGTERM), or kills it
// (SIGKILL). Returns false where the platform has no such call (Windows), and
// the caller then falls back to the process object's own terminate/kill.
bool signalScriptTree(long long pid, bool kill);

} // namespace platform
