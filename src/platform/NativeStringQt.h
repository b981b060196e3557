#pragma once

#include "platform/NativeString.h"

#include <QDir>
#include <QFile>
#include <QString>

namespace platform {

// Qt-side conversion of a path into the operating system's form (native separators on
// Windows, the file-name encoding on POSIX).
inline NativeString toNativePath(const QString &path)
{
#ifdef _WIN32
    return QDir::toNativeSeparators(path).toStdWString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

// The same for free text such as a command-line argument: separators are left alone.
inline NativeString toNativeText(const QString &text)
{
#ifdef _WIN32
    return text.toStdWString();
#else
    return text.toLocal8Bit().toStdString();
#endif
}

// Back from the operating system's form, with forward slashes.
inline QString fromNativePath(const NativeString &path)
{
#ifdef _WIN32
    return QDir::fromNativeSeparators(QString::fromStdWString(path));
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

} // namespace platform
