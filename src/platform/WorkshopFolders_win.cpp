#include "platform/WorkshopFolders.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace platform {

namespace {

NativeString userProfile()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"USERPROFILE", buffer, MAX_PATH);
    return length > 0 && length <= MAX_PATH ? NativeString(buffer, length) : NativeString(L"C:/Users/Default");
}

} // namespace

WorkshopFolders workshopFolders(const NativeString &dataDir)
{
    (void)dataDir;
    WorkshopFolders folders;
    folders.wholeLayouts = L"D:/ДЛЯ ОБОЕВ/Макеты ОБОИ 270/Макеты целиком";
    folders.strips = L"D:/ДЛЯ ОБОЕВ/Макеты ОБОИ 270/По полосам";
    folders.hotFolder4Passes = L"C:/MijCtrl/Hot/4 прохода";
    folders.hotFolder6Passes = L"C:/MijCtrl/Hot/6 прохода";
    folders.rasterJob = L"C:/MijCtrl/Jobs/1";
    folders.desktop = userProfile() + L"\\Desktop";
    return folders;
}

} // namespace platform
