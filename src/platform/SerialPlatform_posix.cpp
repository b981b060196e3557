#include "platform/SerialPlatform.h"

#include <sys/stat.h>

namespace platform {

bool serialPathExists(const NativeString &portName)
{
    if (portName.empty())
        return false;
    // A bare name such as "ttyUSB0" is what the serial library opens under /dev.
    const std::string path = portName.find('/') == std::string::npos ? "/dev/" + portName : portName;
    struct stat info {};
    // stat() follows links: a dangling socat link counts as gone.
    return ::stat(path.c_str(), &info) == 0;
}

bool serialReadErrorMeansHangUp()
{
    return true;
}

} // namespace platform
