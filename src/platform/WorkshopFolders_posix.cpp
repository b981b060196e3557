#include "platform/WorkshopFolders.h"

#include <QDir>

namespace platform {

WorkshopFolders workshopFolders(const QString &dataDir)
{
    QString root = qEnvironmentVariable(kWorkshopRootVariable).trimmed();
    if (root.isEmpty())
        root = QDir(dataDir).filePath(QStringLiteral("workshop"));
    const QDir base(root);
    WorkshopFolders folders;
    folders.wholeLayouts = base.filePath(QStringLiteral("D/ДЛЯ ОБОЕВ/Макеты ОБОИ 270/Макеты целиком"));
    folders.strips = base.filePath(QStringLiteral("D/ДЛЯ ОБОЕВ/Макеты ОБОИ 270/По полосам"));
    folders.hotFolder4Passes = base.filePath(QStringLiteral("C/MijCtrl/Hot/4 прохода"));
    folders.hotFolder6Passes = base.filePath(QStringLiteral("C/MijCtrl/Hot/6 прохода"));
    folders.rasterJob = base.filePath(QStringLiteral("C/MijCtrl/Jobs/1"));
    folders.desktop = base.filePath(QStringLiteral("Desktop"));
    return folders;
}

} // namespace platform
