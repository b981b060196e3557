#pragma once

#include "feeds/ArtifactOutcome.h"

#include <QString>
#include <QStringList>

struct ArtifactTask;

// Rename and delete commands on label files already in a local folder. A file
// belongs to a command when its name starts with one of the command's old
// prefixes and "_" and contains the label code; when an old file name is given,
// the rest of the name after the prefix must be the same as that file's.
namespace LocalLabelCommands {

// The print-state prefixes a label file name may start with, used when a command names none.
QStringList defaultOldPrefixes();
// The new prefix when a rename names none.
QString defaultNewPrefix();

// Label file names in folder that belong to the task, each once, sorted.
QStringList matchingFiles(const QString &folder, const ArtifactTask &task);

ArtifactOutcome rename(const QString &folder, const ArtifactTask &task);
ArtifactOutcome remove(const QString &folder, const ArtifactTask &task);

} // namespace LocalLabelCommands
