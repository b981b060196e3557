#pragma once

#include <QJsonArray>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

// Script entries: the tenant's list of local scripts. `path`, `arguments`
// and `autoStart` belong to this machine and are also kept per script id in
// the machine's script bindings.
class ScriptEntries
{
public:
    static QVariantMap defaultEntry();
    // Canonical keys (name, path, arguments, enabled, launchMode, autoStart);
    // the alternative spellings are folded in, other keys are kept.
    static QVariantMap normalizeEntry(const QVariantMap &raw);
    static QVariantList normalizeList(const QVariantList &entries);
    static QVariantList fromJson(const QJsonArray &array);
    static QVariantList fromLegacyRoots(const QStringList &roots);

    // Stable id of an entry: slug of id/script_id/scriptId/name, else "script_<row+1>".
    static QString scriptId(const QVariantMap &entry, int row);
    // The ids of a whole list, unique: an id an earlier entry already has gets
    // "_2", "_3", ... so bindings and server commands never reach two scripts.
    static QStringList scriptIds(const QVariantList &entries);
    static QString slug(const QString &text);

    // The entries as kept in "identity.json": without path and autoStart.
    static QJsonArray toIdentityArray(const QVariantList &entries);

    static QVariantMap bindingOf(const QVariantMap &entry);
    static QVariantMap buildBindings(const QVariantList &entries);
    // Machine-local fields from the bindings win over the entries' own.
    static QVariantList applyBindings(const QVariantList &entries, const QVariantMap &bindings);
};
