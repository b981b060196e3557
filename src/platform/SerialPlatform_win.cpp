#include "platform/SerialPlatform.h"

#include <cwchar>

namespace platform {

bool serialPathExists(const NativeString &)
{
    // Every COM port, USB adapters included, is enumerated by the serial library.
    return false;
}

bool serialPortNameAllowed(const NativeString &portName)
{
    for (const wchar_t c : portName) {
        if (c < 0x20 || c == 0x7f || std::wcschr(L"<>\"|?*", c) != nullptr)
            return false;
    }
    return true;
}

bool serialReadErrorMeansHangUp()
{
    // A removed adapter is reported as a resource error here; a read error is transient.
    return false;
}

} // namespace platform
