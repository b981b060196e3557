#include "platform/FileStamp.h"

#include <sys/stat.h>

namespace platform {

bool readFileStamp(const NativeString &path, FileStamp *stamp)
{
    struct stat info {};
    if (!stamp || ::stat(path.c_str(), &info) != 0)
        return false;
    stamp->modifiedNs = int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp->changedNs = int64_t(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    stamp->isDirectory = S_ISDIR(info.st_mode);
    return true;
}

} // namespace platform
