#pragma once

#include "platform/NativeString.h"

namespace platform {

// True when the volume holding the path updates a directory's times whenever an entry
// is added, removed or renamed in it: NTFS and ReFS on Windows, the common local file
// systems on POSIX. FAT, exFAT, network shares and anything unknown answer false, and
// callers must not trust a directory listing kept across such changes.
bool volumeKeepsDirectoryTimes(const NativeString &path);

} // namespace platform
