#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QJsonObject>
#include <QString>

// Reading and writing the two settings files. Reads never fail loudly: a
// missing, unreadable or malformed file is an empty object.
class SettingsFileStore
{
public:
    static QJsonObject readObject(const QString &path);

    // The first non-empty object among "<file>.bak*" beside the file, newest first.
    static QJsonObject readNewestBackup(const QString &path);

    // The object in the file, else in its newest good backup; empty when neither holds one.
    static QJsonObject readObjectOrBackup(const QString &path);

    // Keeps the previous good content as "<file>.bak", then replaces the file
    // atomically. Returns false when the new content could not be committed.
    // With permissions, the file and its backup get exactly those (files that
    // hold a key); otherwise the backup keeps the permissions of the file it copies.
    static bool writeWithBackup(const QString &path, const QByteArray &content,
                                QFileDevice::Permissions permissions = {});
};
