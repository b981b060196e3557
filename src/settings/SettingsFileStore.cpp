#include "settings/SettingsFileStore.h"

#include "common/AtomicFile.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

QJsonObject SettingsFileStore::readObject(const QString &path)
{
    return readJsonObjectFile(path);
}

QJsonObject SettingsFileStore::readNewestBackup(const QString &path)
{
    const QFileInfo info(path);
    QDir dir = info.absoluteDir();
    const QFileInfoList candidates = dir.entryInfoList(
        {info.fileName() + QStringLiteral(".bak*")}, QDir::Files | QDir::Hidden, QDir::Time);
    for (const QFileInfo &candidate : candidates) {
        const QJsonObject object = readJsonObjectFile(candidate.absoluteFilePath());
        if (!object.isEmpty()) {
            qCInfo(lcSettings) << "using backup" << candidate.fileName() << "for" << info.fileName();
            return object;
        }
    }
    return {};
}

QJsonObject SettingsFileStore::readObjectOrBackup(const QString &path)
{
    const QJsonObject object = readObject(path);
    if (!object.isEmpty())
        return object;
    if (QFileInfo::exists(path))
        qCWarning(lcSettings) << "damaged" << path << "- reading its backup";
    return readNewestBackup(path);
}

bool SettingsFileStore::writeWithBackup(const QString &path, const QByteArray &content,
                                        QFileDevice::Permissions permissions)
{
    const QFileInfo info(path);
    if (info.exists() && info.isFile() && info.size() > 2) {
        QFile current(path);
        if (current.open(QIODevice::ReadOnly)) {
            const QByteArray previous = current.readAll();
            current.close();
            const QJsonDocument doc = QJsonDocument::fromJson(previous);
            const QFileDevice::Permissions backupPermissions =
                permissions != QFileDevice::Permissions() ? permissions : info.permissions();
            // Only a good file is worth keeping; a broken one must not replace the last good copy.
            if (doc.isObject() && !doc.object().isEmpty()
                && !writeFileAtomically(path + QStringLiteral(".bak"), previous, backupPermissions))
                qCWarning(lcSettings) << "could not refresh the backup of" << path;
        }
    }
    if (!writeFileAtomically(path, content, permissions)) {
        qCWarning(lcSettings) << "could not write" << path;
        return false;
    }
    return true;
}
