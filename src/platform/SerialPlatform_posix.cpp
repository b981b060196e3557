#include "platform/SerialPlatform.h"

#include <sys/stat.h>

namespace platform {

bool serialPathExists(const NativeString &portName)
{
    if (portName.empty() || !serialPortNameAllowed(portName))
        return false;
    // A bare name such as "ttyUSB0" is what the serial library opens under /dev.
    const std::string path = portName.find('/') == std::string::npos ? "/dev/" + portName : portName;
    struct stat info {};
    // stat() follows links: a dangling socat link counts as gone.
    return ::stat(path.c_str(), &info) == 0;
}

bool serialPortNameAllowed(const NativeString &portName)
{
    for (const char c : portName) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            return false;
    }
    return true;
}

bool serialReadErrorMeansHangUp()
{
    return true;
}

} // namespace platform
