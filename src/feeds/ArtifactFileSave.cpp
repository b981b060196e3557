#include "feeds/ArtifactFileSave.h"

#include "common/AtomicFile.h"
#include "common/SafeFileName.h"
#include "feeds/ArtifactFolders.h"
#include "feeds/ArtifactTask.h"

#include <QDir>

ArtifactOutcome saveArtifactFile(const AppSettings *settings, const ArtifactTask &task)
{
    ArtifactOutcome out;
    QString name = safeFileName(task.fileName);
    if (name.isEmpty() && !safeFileName(task.key).isEmpty())
        name = safeFileName(task.key + QStringLiteral(".bin"));
    const QString shownName = name.isEmpty() ? task.key : name;

    if (!task.hasContent) {
        out.warn(QStringLiteral("Приложение: серверное задание без содержимого, пропущено: %1").arg(shownName));
        out.done = true;
        return out;
    }
    if (name.isEmpty()) {
        out.warn(QStringLiteral("Приложение: не удалось сохранить серверное задание: %1").arg(task.fileName));
        out.done = true;
        return out;
    }

    const QString folder = ArtifactFolders::forDestination(settings, task.destinationText);
    if (!QDir().mkpath(folder)) {
        out.warn(QStringLiteral("Приложение: не удалось создать папку для серверного задания: %1")
                     .arg(QDir::toNativeSeparators(folder)));
        return out;
    }
    const QString path = pathInsideFolder(folder, name);
    if (path.isEmpty()) {
        out.warn(QStringLiteral("Приложение: не удалось сохранить серверное задание: %1").arg(name));
        return out;
    }
    if (!writeFileAtomically(path, task.content)) {
        out.warn(QStringLiteral("Приложение: не удалось записать серверное задание: %1").arg(QDir::toNativeSeparators(path)));
        return out;
    }
    out.success(QStringLiteral("Приложение: серверный файл сохранён: %1").arg(QDir::toNativeSeparators(path)));
    out.done = true;
    out.changedFiles = 1;
    return out;
}
