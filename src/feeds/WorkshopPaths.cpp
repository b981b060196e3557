#include "feeds/WorkshopPaths.h"

#include "platform/NativeStringQt.h"
#include "platform/WorkshopFolders.h"

WorkshopPaths workshopPaths(const QString &dataDir)
{
    using platform::fromNativePath;
    const platform::WorkshopFolders folders = platform::workshopFolders(platform::toNativePath(dataDir));
    return {fromNativePath(folders.wholeLayouts), fromNativePath(folders.strips),
            fromNativePath(folders.hotFolder4Passes), fromNativePath(folders.hotFolder6Passes),
            fromNativePath(folders.rasterJob), fromNativePath(folders.desktop)};
}
