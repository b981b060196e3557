#pragma once

#include <QByteArray>
#include <QString>

// Writes through a temporary file and replaces the target only when every byte
// was written, so a crash or a full disk never leaves a half-written file.
// Creates the parent folder when missing.
bool writeFileAtomically(const QString &path, const QByteArray &data);
