#pragma once

#include "platform/NativeString.h"

namespace platform {

enum class InstanceMutexResult {
    Owned,         // this process holds the per-data-folder lock
    OtherInstance, // another process holds it (or it exists and may not be opened)
    Failed         // no lock could be made (e.g. read-only data folder); run without one
};

// Takes the process-wide single-instance lock for the 24-character key.
// Windows: the named mutex "Local\VornClientDesktopMutex-<key>" with initial ownership.
// POSIX: an exclusive flock() on "<dataFolder>/VornClientDesktopMutex-<key>.lock", which
// the kernel drops when the process dies, so a killed holder never leaves a stale lock.
// A process holds at most one such lock: a second successful acquire replaces the first.
InstanceMutexResult acquireInstanceMutex(const NativeString &key, const NativeString &dataFolder);

// Closes the lock handle and clears it; idempotent. Async-signal-safe on POSIX so the
// crash handler can free the lock before it starts the replacement process.
void releaseInstanceMutex();

bool instanceMutexHeld();

} // namespace platform
