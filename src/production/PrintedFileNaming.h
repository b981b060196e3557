#pragma once

#include <QString>
#include <QStringList>

// Printed label files are renamed in place so that their names start with
// "напечатано"; later searches rank them last.

// The printed name for fileName, or empty when the file keeps its name. Names without a
// workshop prefix are marked only when the file lies in one of the marking folders.
QString printedFileName(const QString &fileName, bool inMarkingFolder);

// True when path lies in folder (at any depth). folder must be an existing directory.
bool pathIsInsideFolder(const QString &path, const QString &folder);

// Renames the file as printed and returns its new absolute path; the old path when no
// rename is due or the rename failed. An existing file of the new name is replaced.
// markingFolders: the folders whose unprefixed files are marked too.
QString renameAsPrinted(const QString &path, const QStringList &markingFolders,
                        QString *errorText = nullptr);
