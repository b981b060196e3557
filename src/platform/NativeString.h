#pragma once

#include <string>

namespace platform {

// Paths and names in the form the operating system takes them: UTF-16 for the
// wide Windows API, bytes (UTF-8) for POSIX. Kept free of Qt so the Windows
// sources compile on their own.
#ifdef _WIN32
using NativeString = std::wstring;
#else
using NativeString = std::string;
#endif

} // namespace platform
