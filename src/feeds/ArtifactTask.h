#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// One pending server task for this workstation: a file to save, or a rename or
// delete of local label files. Read with the fallback keys the server may use.
struct ArtifactTask
{
    enum class Kind { SaveFile, RenameLabels, DeleteLabels };

    Kind kind = Kind::SaveFile;
    QString operation;          // trimmed, lower-case
    QString key;                // what the confirmation names
    QString fileName;           // as sent; made safe only where it is used
    QByteArray content;
    bool hasContent = false;
    QString destinationText;    // destination, folder hint, kind and marketplaces, lower-case
    QString marketplace;        // the task's marketplace, else its source marketplace
    QString labelCode;
    QString newPrefix;          // empty: the default
    QStringList oldPrefixes;    // lower-case, without "_"; empty: the default status words
    QString oldFileName;

    static ArtifactTask fromJson(const QJsonObject &object);
    static Kind kindOf(const QString &operation);
};
