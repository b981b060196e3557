#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Writes through a temporary file and replaces the target only when every byte
// was written, so a crash or a full disk never leaves a half-written file.
// Creates the parent folder when missing. An existing file keeps its
// permissions unless permissions are given; a new one gets the process default.
// Every outcome is reported to WriteFailureMonitor::global().
bool writeFileAtomically(const QString &path, const QByteArray &data,
                         QFileDevice::Permissions permissions = {});

// Owner read and write only: files that hold a key.
inline constexpr QFileDevice::Permissions kOwnerOnlyPermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner;
