#include "platform/InstanceMutex.h"

#include <atomic>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace platform {

namespace {

std::atomic<HANDLE> g_mutex{nullptr};

} // namespace

InstanceMutexResult acquireInstanceMutex(const NativeString &key, const NativeString &dataFolder)
{
    (void)dataFolder; // the kernel object's name alone identifies the instance
    const std::wstring name = L"Local\\VornClientDesktopMutex-" + key;

    HANDLE handle = ::CreateMutexW(nullptr, TRUE, name.c_str());
    const DWORD lastError = ::GetLastError();
    // 183: the mutex exists; 5: it exists but was created with rights we lack.
    if (lastError == ERROR_ALREADY_EXISTS || lastError == ERROR_ACCESS_DENIED) {
        if (handle)
            ::CloseHandle(handle);
        return InstanceMutexResult::OtherInstance;
    }
    if (!handle)
        return InstanceMutexResult::Failed;

    HANDLE previous = g_mutex.exchange(handle);
    if (previous)
        ::CloseHandle(previous);
    return InstanceMutexResult::Owned;
}

void releaseInstanceMutex()
{
    HANDLE handle = g_mutex.exchange(nullptr);
    if (handle)
        ::CloseHandle(handle);
}

bool instanceMutexHeld()
{
    return g_mutex.load() != nullptr;
}

} // namespace platform
