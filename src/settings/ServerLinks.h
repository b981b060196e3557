#pragma once

#include <QString>
#include <QVariantMap>

// Web pages the server points the scene to (staff portal, bug tracker...).
class ServerLinks
{
public:
    // The link under key as an absolute address: glued double URLs are cut to
    // the second one, bare paths are joined to the server URL.
    static QString resolve(const QVariantMap &links, const QString &key, const QString &serverUrl);
};
