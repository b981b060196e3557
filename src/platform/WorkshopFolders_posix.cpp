#include "platform/WorkshopFolders.h"

#include <cstdlib>

namespace platform {

WorkshopFolders workshopFolders(const NativeString &dataDir)
{
    const char *variable = std::getenv(kWorkshopRootVariable);
    NativeString root = variable && *variable ? NativeString(variable) : dataDir + "/workshop";
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    WorkshopFolders folders;
    folders.wholeLayouts = root + "/D/ДЛЯ ОБОЕВ/Макеты ОБОИ 270/Макеты целиком";
    folders.strips = root + "/D/ДЛЯ ОБОЕВ/Макеты ОБОИ 270/По полосам";
    folders.hotFolder4Passes = root + "/C/MijCtrl/Hot/4 прохода";
    folders.hotFolder6Passes = root + "/C/MijCtrl/Hot/6 прохода";
    folders.rasterJob = root + "/C/MijCtrl/Jobs/1";
    folders.desktop = root + "/Desktop";
    return folders;
}

} // namespace platform
