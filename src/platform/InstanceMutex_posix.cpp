#include "platform/InstanceMutex.h"

#include <atomic>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<int> g_lockFd{-1};

int openLockFile(const std::string &path, bool *writable)
{
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    *writable = fd >= 0;
    if (fd >= 0)
        return fd;
    // A lock file left by another user's instance may be readable only; flock works on it.
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

void writePid(int fd)
{
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%ld\n", static_cast<long>(::getpid()));
    if (length <= 0 || ::ftruncate(fd, 0) != 0)
        return;
    // The holder's pid is informative only; a short write changes nothing.
    (void)!::pwrite(fd, text, static_cast<size_t>(length), 0);
}

} // namespace

InstanceMutexResult acquireInstanceMutex(const NativeString &key, const NativeString &dataFolder)
{
    std::string path = dataFolder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += "VornClientDesktopMutex-";
    path += key;
    path += ".lock";

    bool writable = false;
    const int fd = openLockFile(path, &writable);
    if (fd < 0)
        return InstanceMutexResult::Failed;

    int rc = -1;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? InstanceMutexResult::OtherInstance
                                    : InstanceMutexResult::Failed;
    }

    if (writable)
        writePid(fd);
    const int previous = g_lockFd.exchange(fd);
    if (previous >= 0)
        ::close(previous);
    return InstanceMutexResult::Owned;
}

void releaseInstanceMutex()
{
    const int fd = g_lockFd.exchange(-1);
    if (fd >= 0)
        ::close(fd);
}

bool instanceMutexHeld()
{
    return g_lockFd.load() >= 0;
}

} // namespace platform
