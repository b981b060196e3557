#include "platform/VolumeInfo.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cwchar>

namespace platform {

bool volumeKeepsDirectoryTimes(const NativeString &path)
{
    wchar_t volume[MAX_PATH + 1] = {};
    if (!::GetVolumePathNameW(path.c_str(), volume, MAX_PATH))
        return false;
    // Mapped and UNC network drives may cache directory times on the client side.
    if (::GetDriveTypeW(volume) != DRIVE_FIXED)
        return false;
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH))
        return false;
    return ::_wcsicmp(fileSystem, L"NTFS") == 0 || ::_wcsicmp(fileSystem, L"ReFS") == 0;
}

} // namespace platform
