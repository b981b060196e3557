#pragma once

#include <QString>

// File names that come from outside (the server, a scanned code) and must never
// reach beyond the folder they are written to.

// At most this many UTF-8 bytes, so the name plus the temporary suffix of an
// atomic write stays below every file system's component limit.
inline constexpr int kMaxSafeFileNameBytes = 200;

// The name made a plain file name: trimmed; every run of control and format
// characters and of < > : " / \ | ? * becomes "_"; trailing dots and blanks go;
// a Windows device name (CON, PRN, AUX, NUL, COM0-9, LPT0-9, CONIN$, CONOUT$,
// also with an extension) gets a leading "_"; too long a name is shortened,
// keeping a short extension. Empty when nothing usable is left ("." and ".." are not names).
QString safeFileName(const QString &name);

// True for a name that the rules above leave unchanged and do not reject.
bool isSafeFileName(const QString &name);

// True when the base name (before the first dot, trailing blanks ignored) is a Windows device.
bool isReservedDeviceName(const QString &name);

// folder/name, or empty when name is not a safe file name, the folder does not
// exist, or the resulting path is not directly inside the folder once links are
// resolved (an existing link or folder under that name is refused as well).
QString pathInsideFolder(const QString &folder, const QString &name);
