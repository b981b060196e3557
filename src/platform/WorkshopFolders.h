#pragma once

#include "platform/NativeString.h"

namespace platform {

// The workshop's fixed folders that new layouts are put into: the whole-layout and strip
// folders of the wallpaper drive, the RIP's hot folders and job folder, and the desktop
// that order layouts go to.
struct WorkshopFolders
{
    NativeString wholeLayouts;
    NativeString strips;
    NativeString hotFolder4Passes;
    NativeString hotFolder6Passes;
    NativeString rasterJob;       // the RIP writes "JobInfo.ini" here
    NativeString desktop;
};

// Without a Windows drive layout the same tree lives under one root: this variable,
// or the folder "workshop" inside dataDir.
inline constexpr char kWorkshopRootVariable[] = "VORN_WORKSHOP_ROOT";

// Windows: the fixed paths on D: and C: and the desktop in the user's profile; dataDir is
// not used. POSIX: the same tree below the root ("D/ДЛЯ ОБОЕВ/...", "C/MijCtrl/...", "Desktop").
WorkshopFolders workshopFolders(const NativeString &dataDir);

} // namespace platform
