#pragma once

#include "platform/NativeString.h"

#include <cstdint>

namespace platform {

// The times that change when entries are added to, removed from or renamed in a
// directory, at the file system's own precision. Cheaper than the toolkit's date-time
// objects when a thousand directories are checked for every scan.
struct FileStamp
{
    int64_t modifiedNs = 0; // last write (POSIX st_mtim, Windows ftLastWriteTime)
    int64_t changedNs = 0;  // POSIX: status change st_ctim; Windows: creation time
    bool isDirectory = false;
};

// Both times as nanoseconds since the Unix epoch. False when the path does not exist.
bool readFileStamp(const NativeString &path, FileStamp *stamp);

} // namespace platform
