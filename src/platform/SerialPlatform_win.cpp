#include "platform/SerialPlatform.h"

namespace platform {

bool serialPathExists(const NativeString &)
{
    // Every COM port, USB adapters included, is enumerated by the serial library.
    return false;
}

bool serialReadErrorMeansHangUp()
{
    // A removed adapter is reported as a resource error here; a read error is transient.
    return false;
}

} // namespace platform
