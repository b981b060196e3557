#pragma once

#include "platform/NativeString.h"

#include <string>

namespace platform {

// How handing a file to the system's own print handler ended.
struct ShellPrintOutcome
{
    enum class Kind {
        Ok,
        VerbFailed,  // Windows: ShellExecuteW answered 32 or less (code holds the answer)
        ToolMissing, // POSIX: the lp command could not be started
        ToolFailed,  // POSIX: lp ran and failed or hung (code: exit status, -1 when killed)
    };
    Kind kind = Kind::Ok;
    long code = 0;
    std::string detail; // POSIX: lp's error output, UTF-8, trimmed
};

// Prints a file that the application does not draw itself (neither image nor PDF).
// Windows: the "printto" verb with parameters when a printer is named, else "print".
// POSIX: CUPS's "lp -d <printer>" (plain "lp" without a printer); printToParameters is
// not used there.
ShellPrintOutcome shellPrintFile(const NativeString &path, const NativeString &printerName,
                                 const NativeString &printToParameters);

} // namespace platform
