#pragma once

#include "platform/NativeString.h"

namespace platform {

// What the system's print spooler knows about a printer, for the shell's "printto" verb.
struct PrinterDriverInfo
{
    NativeString driverName;
    NativeString portName;
};

// Windows: the spooler's driver and port names (OpenPrinterW, GetPrinterW level 2).
// POSIX: CUPS has no driver/port pair of that kind (lp takes the queue name alone), so
// this answers false and leaves info empty.
bool queryPrinterDriver(const NativeString &printerName, PrinterDriverInfo *info);

} // namespace platform
