#include "platform/PrinterInfo.h"

namespace platform {

bool queryPrinterDriver(const NativeString &printerName, PrinterDriverInfo *info)
{
    (void)printerName;
    if (info)
        *info = {};
    return false;
}

} // namespace platform
