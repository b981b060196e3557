#include "platform/WorkshopFolders.h"

#include <QDir>

namespace platform {

WorkshopFolders workshopFolders(const QString &dataDir)
{
    Q_UNUSED(dataDir);
    WorkshopFolders folders;
    folders.wholeLayouts = QStringLiteral("D:/ДЛЯ ОБОЕВ/Макеты ОБОИ 270/Макеты целиком");
    folders.strips = QStringLiteral("D:/ДЛЯ ОБОЕВ/Макеты ОБОИ 270/По полосам");
    folders.hotFolder4Passes = QStringLiteral("C:/MijCtrl/Hot/4 прохода");
    folders.hotFolder6Passes = QStringLiteral("C:/MijCtrl/Hot/6 прохода");
    folders.rasterJob = QStringLiteral("C:/MijCtrl/Jobs/1");
    folders.desktop = QDir::homePath() + QStringLiteral("/Desktop");
    return folders;
}

} // namespace platform
