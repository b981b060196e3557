#include "common/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

bool writeFileAtomically(const QString &path, const QByteArray &data)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
