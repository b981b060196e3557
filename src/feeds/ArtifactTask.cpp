#include "feeds/ArtifactTask.h"

#include "common/JsonRead.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace {

// Base64 first; text is stored as UTF-8. Broken Base64 counts as no content.
void readContent(const QJsonObject &object, ArtifactTask &task)
{
    const QJsonValue encoded = jsonFirstValue(object, {"content_b64", "contentB64"});
    if (encoded.isString()) {
        const auto decoded = QByteArray::fromBase64Encoding(encoded.toString().trimmed().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        task.hasContent = bool(decoded) && !decoded.decoded.isEmpty();
        task.content = task.hasContent ? decoded.decoded : QByteArray();
        return;
    }
    const QJsonValue text = jsonFirstValue(object, {"content_text", "contentText"});
    if (text.isString()) {
        task.content = text.toString().toUtf8();
        task.hasContent = true;
    }
}

// A list of prefixes may come as an array or as one text with separators.
QStringList readPrefixes(const QJsonObject &object)
{
    const QJsonValue value = jsonFirstValue(object, {"from_prefixes", "fromPrefixes", "from_prefix", "fromPrefix",
                                                     "old_prefix", "oldPrefix"});
    QStringList raw;
    if (value.isArray()) {
        for (const QJsonValue &item : value.toArray())
            raw << jsonToText(item);
    } else {
        static const QRegularExpression separators(QStringLiteral("[,;|\\s]+"));
        raw = jsonToText(value).split(separators, Qt::SkipEmptyParts);
    }
    QStringList prefixes;
    for (const QString &item : std::as_const(raw)) {
        QString prefix = item.trimmed().toLower();
        while (prefix.endsWith(QLatin1Char('_')))
            prefix.chop(1);
        if (!prefix.isEmpty() && !prefixes.contains(prefix))
            prefixes << prefix;
    }
    return prefixes;
}

} // namespace

ArtifactTask::Kind ArtifactTask::kindOf(const QString &operation)
{
    static const QStringList deletes{
        QStringLiteral("local_artifact_delete"), QStringLiteral("local_artifact_remove"),
        QStringLiteral("delete_local_artifact"), QStringLiteral("remove_local_artifact"),
        QStringLiteral("artifact_delete"), QStringLiteral("artifact_remove"),
        QStringLiteral("delete"), QStringLiteral("remove"),
    };
    static const QStringList renames{
        QStringLiteral("local_artifact_rename"), QStringLiteral("rename_local_artifact"),
        QStringLiteral("artifact_rename"),
    };
    const QString op = operation.trimmed().toLower();
    if (deletes.contains(op))
        return Kind::DeleteLabels;
    if (renames.contains(op))
        return Kind::RenameLabels;
    return Kind::SaveFile;
}

ArtifactTask ArtifactTask::fromJson(const QJsonObject &object)
{
    ArtifactTask task;
    task.operation = jsonFirstText(object, {"kind", "type", "action", "command", "op", "operation"}).toLower();
    task.kind = kindOf(task.operation);
    task.key = jsonFirstText(object, {"artifact_key", "artifactKey", "key"});
    task.fileName = jsonFirstText(object, {"filename", "fileName", "name"});
    readContent(object, task);

    const QString destination = jsonFirstText(object, {"destination", "target", "destination_type", "destinationType"});
    const QString folderHint = jsonFirstText(object, {"folder", "target_folder", "targetFolder", "folder_hint", "folderHint",
                                                      "local_folder", "localFolder", "save_as", "saveAs"});
    const QString market = jsonFirstText(object, {"marketplace", "source"});
    const QString sourceMarket = jsonFirstText(object, {"source_marketplace", "sourceMarketplace"});
    task.destinationText = QStringList{destination, folderHint, task.operation, market, sourceMarket}
                               .join(QLatin1Char(' ')).trimmed().toLower();
    task.marketplace = (market.isEmpty() ? sourceMarket : market).toLower();

    task.labelCode = jsonFirstText(object, {"production_code", "productionCode", "barcode", "uid", "scan_uid", "scanUid",
                                            "row_uid", "rowUid"});
    task.newPrefix = jsonFirstText(object, {"to_prefix", "toPrefix", "new_prefix", "newPrefix", "prefix"});
    while (task.newPrefix.endsWith(QLatin1Char('_')))
        task.newPrefix.chop(1);
    task.oldPrefixes = readPrefixes(object);
    task.oldFileName = jsonFirstText(object, {"filename", "fileName", "old_filename", "oldFilename"});
    return task;
}
