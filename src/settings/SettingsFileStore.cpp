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

bool SettingsFileStore::writeWithBackup(const QString &path, const QByteArray &content)
{
    const QFileInfo info(path);
    if (info.exists() && info.isFile() && info.size() > 2) {
        QFile current(path);
        if (current.open(QIODevice::ReadOnly)) {
            const QByteArray previous = current.readAll();
            current.close();
            const QJsonDocument doc = QJsonDocument::fromJson(previous);
            // Only a good file is worth keeping; a broken one must not replace the last good copy.
            if (doc.isObject() && !doc.object().isEmpty()
                && !writeFileAtomically(path + QStringLiteral(".bak"), previous))
                qCWarning(lcSettings) << "could not refresh the backup of" << path;
        }
    }
    if (!writeFileAtomically(path, content)) {
        qCWarning(lcSettings) << "could not write" << path;
        return false;
    }
    return true;
}
