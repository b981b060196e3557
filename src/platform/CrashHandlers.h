#pragma once

#include "platform/NativeString.h"

#include <vector>

namespace platform {

struct CrashSetup {
    NativeString crashLogPath;       // "…/logs/crash-yyyy-MM-dd.log"; empty disables logging
    NativeString applicationPath;    // empty: crashes are logged but never restarted
    std::vector<NativeString> arguments; // without the program path
    int restartDelaySeconds = 6;
};

// Installs the process's last-resort handlers, once, on the calling (main) thread:
// Windows: the unhandled-exception filter, the abort signal and the terminate handler.
// POSIX: SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT on an alternate stack, and the
// terminate handler. Everything a handler needs is prepared here, so the handlers
// allocate nothing. Each writes one reason line, asks the restart guard (marker
// "crash-restart.marker" beside the crash log), frees the instance lock, starts the
// delayed restart and ends the process. Calling it again replaces the setup.
bool installCrashHandlers(const CrashSetup &setup);

} // namespace platform
