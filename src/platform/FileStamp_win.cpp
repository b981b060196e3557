#include "platform/FileStamp.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace platform {

namespace {

// FILETIME counts 100 ns steps from 1601-01-01.
int64_t toUnixNs(const FILETIME &time)
{
    const int64_t ticks = (int64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (ticks - 116444736000000000LL) * 100;
}

} // namespace

bool readFileStamp(const NativeString &path, FileStamp *stamp)
{
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!stamp || !::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    stamp->modifiedNs = toUnixNs(data.ftLastWriteTime);
    stamp->changedNs = toUnixNs(data.ftCreationTime);
    stamp->isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

} // namespace platform
