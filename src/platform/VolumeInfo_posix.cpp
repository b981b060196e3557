#include "platform/VolumeInfo.h"

#if defined(__linux__)
#include <sys/vfs.h>
#endif

namespace platform {

bool volumeKeepsDirectoryTimes(const NativeString &path)
{
#if defined(__linux__)
    struct statfs info {};
    if (::statfs(path.c_str(), &info) != 0)
        return false;
    // Local file systems known to keep directory times exactly; network and FAT
    // family file systems, FUSE and everything else are not trusted.
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53UL:     // ext2, ext3, ext4
    case 0x58465342UL: // xfs
    case 0x9123683EUL: // btrfs
    case 0x01021994UL: // tmpfs
    case 0x858458F6UL: // ramfs
    case 0x794C7630UL: // overlayfs
    case 0xF2F52010UL: // f2fs
    case 0x2FC12FC1UL: // zfs
        return true;
    default:
        return false;
    }
#else
    (void)path;
    return false;
#endif
}

} // namespace platform
