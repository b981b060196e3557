#pragma once

#include <QString>

// The workshop folders of platform/WorkshopFolders.h as the client's paths.
struct WorkshopPaths
{
    QString wholeLayouts;
    QString strips;
    QString hotFolder4Passes;
    QString hotFolder6Passes;
    QString rasterJob;
    QString desktop;
};

WorkshopPaths workshopPaths(const QString &dataDir);
