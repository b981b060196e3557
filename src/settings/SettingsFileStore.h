#pragma once

#include <QByteArray>
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

    // Keeps the previous good content as "<file>.bak", then replaces the file
    // atomically. Returns false when the new content could not be committed.
    static bool writeWithBackup(const QString &path, const QByteArray &content);
};
