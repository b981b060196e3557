#include "settings/ScriptEntries.h"

#include "common/JsonRead.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QRegularExpression>

namespace {
const QString kName = QStringLiteral("name");
const QString kPath = QStringLiteral("path");
const QString kArguments = QStringLiteral("arguments");
const QString kEnabled = QStringLiteral("enabled");
const QString kLaunchMode = QStringLiteral("launchMode");
const QString kAutoStart = QStringLiteral("autoStart");
} // namespace

QVariantMap ScriptEntries::defaultEntry()
{
    return {
        {kName, QStringLiteral("Новый скрипт")}, {kPath, QString()},
        {kArguments, QString()},                {kEnabled, true},
        {kLaunchMode, QStringLiteral("auto")},  {kAutoStart, false},
    };
}

QVariantMap ScriptEntries::normalizeEntry(const QVariantMap &raw)
{
    QVariantMap entry = raw;
    for (const char *alias : {"title", "filename", "fileName", "args", "auto_start", "launch_mode"})
        entry.remove(QLatin1String(alias));
    entry.insert(kName, variantFirstText(raw, {"name", "title"}));
    entry.insert(kPath, variantFirstText(raw, {"path", "filename", "fileName"}));
    entry.insert(kArguments, variantFirstText(raw, {"arguments", "args"}));
    entry.insert(kEnabled, variantToBool(raw.value(kEnabled), true));
    entry.insert(kLaunchMode, variantFirstText(raw, {"launchMode", "launch_mode"}, QStringLiteral("auto")));
    entry.insert(kAutoStart, variantToBool(variantFirstValue(raw, {"autoStart", "auto_start"}), false));
    return entry;
}

QVariantList ScriptEntries::normalizeList(const QVariantList &entries)
{
    QVariantList out;
    for (const QVariant &entry : entries) {
        if (entry.typeId() == QMetaType::QVariantMap)
            out.append(normalizeEntry(entry.toMap()));
    }
    return out;
}

QVariantList ScriptEntries::fromJson(const QJsonArray &array)
{
    QVariantList out;
    for (const QJsonValue &value : array) {
        if (value.isObject())
            out.append(normalizeEntry(value.toObject().toVariantMap()));
    }
    return out;
}

QVariantList ScriptEntries::fromLegacyRoots(const QStringList &roots)
{
    QVariantList out;
    for (const QString &root : roots) {
        const QString path = root.trimmed();
        if (path.isEmpty())
            continue;
        QVariantMap entry = defaultEntry();
        const QString fileName = QFileInfo(path).fileName();
        entry.insert(kName, fileName.isEmpty() ? QStringLiteral("Скрипт %1").arg(out.size() + 1) : fileName);
        entry.insert(kPath, path);
        out.append(entry);
    }
    return out;
}

QString ScriptEntries::slug(const QString &text)
{
    static const QRegularExpression other(QStringLiteral("[^a-z0-9_.\\-]"));
    QString s = text.trimmed().toLower();
    s.replace(other, QStringLiteral("_"));
    while (s.contains(QLatin1String("__")))
        s.replace(QLatin1String("__"), QLatin1String("_"));
    auto isEdge = [](QChar c) { return c == u'_' || c == u'-' || c == u'.'; };
    int begin = 0;
    int end = int(s.size());
    while (begin < end && isEdge(s.at(begin)))
        ++begin;
    while (end > begin && isEdge(s.at(end - 1)))
        --end;
    return s.mid(begin, end - begin).left(80);
}

QString ScriptEntries::scriptId(const QVariantMap &entry, int row)
{
    for (const char *key : {"id", "script_id", "scriptId", "name"}) {
        const QString id = slug(variantToText(entry.value(QLatin1String(key))));
        if (!id.isEmpty())
            return id;
    }
    return QStringLiteral("script_%1").arg(row + 1);
}

QStringList ScriptEntries::scriptIds(const QVariantList &entries)
{
    QStringList ids;
    ids.reserve(entries.size());
    for (int row = 0; row < entries.size(); ++row) {
        const QString base = scriptId(entries.at(row).toMap(), row);
        QString id = base;
        for (int n = 2; ids.contains(id); ++n)
            id = base + QLatin1Char('_') + QString::number(n);
        ids.append(id);
    }
    return ids;
}

QJsonArray ScriptEntries::toIdentityArray(const QVariantList &entries)
{
    QJsonArray out;
    for (const QVariant &entry : entries) {
        QVariantMap map = normalizeEntry(entry.toMap());
        map.remove(kPath);
        map.remove(kAutoStart);
        out.append(QJsonObject::fromVariantMap(map));
    }
    return out;
}

QVariantMap ScriptEntries::bindingOf(const QVariantMap &entry)
{
    return {
        {kPath, entry.value(kPath).toString()},
        {kArguments, entry.value(kArguments).toString()},
        {kAutoStart, entry.value(kAutoStart).toBool()},
    };
}

QVariantMap ScriptEntries::buildBindings(const QVariantList &entries)
{
    QVariantMap bindings;
    const QStringList ids = scriptIds(entries);
    for (int row = 0; row < entries.size(); ++row)
        bindings.insert(ids.at(row), bindingOf(entries.at(row).toMap()));
    return bindings;
}

QVariantList ScriptEntries::applyBindings(const QVariantList &entries, const QVariantMap &bindings)
{
    QVariantList out;
    const QStringList ids = scriptIds(entries);
    for (int row = 0; row < entries.size(); ++row) {
        QVariantMap entry = normalizeEntry(entries.at(row).toMap());
        const QVariantMap binding = bindings.value(ids.at(row)).toMap();
        const QString path = variantFirstText(binding, {"path", "filename", "fileName"});
        if (!path.isEmpty())
            entry.insert(kPath, path);
        const QVariant arguments = variantFirstValue(binding, {"arguments", "args"});
        if (arguments.isValid())
            entry.insert(kArguments, variantToText(arguments));
        const QVariant autoStart = variantFirstValue(binding, {"autoStart", "auto_start"});
        if (autoStart.isValid())
            entry.insert(kAutoStart, variantToBool(autoStart, false));
        out.append(entry);
    }
    return out;
}
