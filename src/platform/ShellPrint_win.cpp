#include "platform/ShellPrint.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>

namespace platform {

ShellPrintOutcome shellPrintFile(const NativeString &path, const NativeString &printerName,
                                 const NativeString &printToParameters)
{
    ShellPrintOutcome outcome;
    const bool named = !printerName.empty();
    HINSTANCE result = ::ShellExecuteW(nullptr, named ? L"printto" : L"print", path.c_str(),
                                       named ? printToParameters.c_str() : nullptr, nullptr,
                                       SW_HIDE);
    // ShellExecuteW reports success with a value above 32.
    const auto code = reinterpret_cast<INT_PTR>(result);
    outcome.code = static_cast<long>(code);
    if (code <= 32)
        outcome.kind = ShellPrintOutcome::Kind::VerbFailed;
    return outcome;
}

} // namespace platform
