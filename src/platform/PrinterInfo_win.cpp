#include "platform/PrinterInfo.h"

#include <vector>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <winspool.h>

namespace platform {

bool queryPrinterDriver(const NativeString &printerName, PrinterDriverInfo *info)
{
    if (!info || printerName.empty())
        return false;
    *info = {};

    HANDLE printer = nullptr;
    std::wstring name = printerName; // OpenPrinterW wants a mutable buffer
    if (!::OpenPrinterW(name.data(), &printer, nullptr) || !printer)
        return false;

    DWORD needed = 0;
    ::GetPrinterW(printer, 2, nullptr, 0, &needed);
    bool ok = false;
    if (needed > 0) {
        std::vector<BYTE> buffer(needed);
        if (::GetPrinterW(printer, 2, buffer.data(), needed, &needed)) {
            const auto *details = reinterpret_cast<const PRINTER_INFO_2W *>(buffer.data());
            if (details->pDriverName)
                info->driverName = details->pDriverName;
            if (details->pPortName)
                info->portName = details->pPortName;
            ok = true;
        }
    }
    ::ClosePrinter(printer);
    return ok;
}

} // namespace platform
