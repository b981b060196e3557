#include "common/AtomicFile.h"

#include "common/WriteFailureMonitor.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {

bool writeThroughTemporary(const QString &path, const QByteArray &data, QFileDevice::Permissions permissions)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Set on the temporary file, so the target never exists with wider rights.
    if (permissions != QFileDevice::Permissions() && !file.setPermissions(permissions)) {
        file.cancelWriting();
        return false;
    }
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

bool writeFileAtomically(const QString &path, const QByteArray &data, QFileDevice::Permissions permissions)
{
    const bool ok = writeThroughTemporary(path, data, permissions);
    if (ok)
        WriteFailureMonitor::global().noteSuccess(path);
    else
        WriteFailureMonitor::global().noteFailure(path);
    return ok;
}
