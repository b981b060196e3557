#include "platform/CrashHandlers.h"

#include "platform/CrashText.h"
#include "platform/InstanceMutex.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::size_t kPathCapacity = 4096;
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
// A handler that hangs (a lock held by the crashed thread) is ended by the alarm.
constexpr unsigned kHandlerWatchdogSeconds = 15;

// Written once by installCrashHandlers, read only by the handlers.
char g_crashLogPath[kPathCapacity];
char g_logFolder[kPathCapacity];
char g_markerPath[kPathCapacity];
char **g_restartArgv = nullptr; // /bin/sh -c <script> <program> <args...>
long g_utcOffsetSeconds = 0;
int g_spareFd = -1;             // closed first so a crash at the descriptor limit can still log

std::atomic<int> g_crashOwner{0};
std::atomic<int> g_terminateRecorded{0};

bool copyPath(char *target, const std::string &source)
{
    if (source.size() >= kPathCapacity) {
        target[0] = '\0';
        return false;
    }
    std::memcpy(target, source.c_str(), source.size() + 1);
    return true;
}

std::int64_t nowUnixMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void writeAll(int fd, const char *data, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        data += written;
        length -= static_cast<std::size_t>(written);
    }
}

int openRetrying(const char *path, int flags, mode_t mode = 0644)
{
    int fd = -1;
    do {
        fd = ::open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// mkdir -p on a copy of the folder path in a stack buffer.
void makeFolders(const char *folder)
{
    char path[kPathCapacity];
    std::size_t length = 0;
    while (folder[length] && length + 1 < kPathCapacity) {
        path[length] = folder[length];
        ++length;
    }
    path[length] = '\0';
    for (std::size_t i = 1; i <= length; ++i) {
        if (path[i] == '/' || path[i] == '\0') {
            const char saved = path[i];
            path[i] = '\0';
            ::mkdir(path, 0755);
            path[i] = saved;
        }
    }
}

void appendCrashLine(const char *reason)
{
    if (g_crashLogPath[0] == '\0')
        return;
    makeFolders(g_logFolder);
    char line[512];
    TextBuffer text(line, sizeof line);
    formatCrashLine(text, civilTimeFromUnixMs(nowUnixMs() + g_utcOffsetSeconds * 1000LL), reason,
                    "\n");
    const int fd = openRetrying(g_crashLogPath, O_WRONLY | O_APPEND | O_CREAT);
    if (fd < 0)
        return;
    writeAll(fd, text.data, text.length);
    ::close(fd);
}

bool restartGuardAllows()
{
    if (g_crashLogPath[0] == '\0')
        return true;
    makeFolders(g_logFolder);
    const std::int64_t now = nowUnixMs();
    int fd = openRetrying(g_markerPath, O_RDONLY);
    if (fd >= 0) {
        struct stat info{};
        const bool known = ::fstat(fd, &info) == 0;
        ::close(fd);
        const std::int64_t modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000
            + info.st_mtim.tv_nsec / 1000000;
        if (known && restartMarkerIsRecent(modified, now)) {
            appendCrashLine("restart_suppressed_recent_crash");
            return false;
        }
    }
    fd = openRetrying(g_markerPath, O_WRONLY | O_CREAT | O_TRUNC);
    if (fd >= 0) {
        char stamp[64];
        TextBuffer text(stamp, sizeof stamp);
        text.appendIsoMs(civilTimeFromUnixMs(now), true);
        text.append('\n');
        writeAll(fd, text.data, text.length);
        ::close(fd);
    }
    return true;
}

pid_t forkForRestart()
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    return ::_Fork(); // no atfork handlers: the crashed thread may hold the malloc lock
#else
    return ::fork();
#endif
}

// Standard streams that are pipes or sockets lead to whoever started the crashed process;
// that reader may be gone, and the first log line would then kill the new client with
// SIGPIPE. Such streams go to /dev/null; terminals and files are kept.
void detachFromPipes()
{
    int devNull = -1;
    for (int fd = 0; fd <= 2; ++fd) {
        struct stat info{};
        if (::fstat(fd, &info) != 0 || !(S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)))
            continue;
        if (devNull < 0)
            devNull = ::open("/dev/null", O_RDWR);
        if (devNull >= 0)
            ::dup2(devNull, fd);
    }
    if (devNull > 2)
        ::close(devNull);
}

// Starts "/bin/sh -c 'sleep N; exec "$0" "$@"' program args..." in its own session.
// The program and the arguments travel as argv, never as shell text.
bool startDelayedRestart()
{
    int status[2];
    if (::pipe(status) != 0)
        return false;
    ::fcntl(status[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(status[1], F_SETFD, FD_CLOEXEC);

    const pid_t child = forkForRestart();
    if (child < 0) {
        ::close(status[0]);
        ::close(status[1]);
        return false;
    }
    if (child == 0) {
        ::close(status[0]);
        ::setsid();
        // The handler's blocked signals would otherwise stay blocked in the new client.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        detachFromPipes();
        ::execv(g_restartArgv[0], g_restartArgv);
        const int error = errno;
        writeAll(status[1], reinterpret_cast<const char *>(&error), sizeof error);
        ::_exit(127);
    }
    ::close(status[1]);
    // End of file means exec succeeded (the descriptor closed on exec); data means it failed.
    int error = 0;
    ssize_t got = -1;
    do {
        got = ::read(status[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(status[0]);
    return got == 0;
}

void handleCrash(const char *reason)
{
    appendCrashLine(reason);
    if (!g_restartArgv)
        return;
    if (!restartGuardAllows())
        return;
    // The replacement must be able to take the lock while this process is still ending.
    releaseInstanceMutex();
    if (!startDelayedRestart())
        appendCrashLine("restart_failed_createprocess");
}

void freeDescriptorSlot()
{
    const int spare = g_spareFd;
    g_spareFd = -1;
    if (spare >= 0)
        ::close(spare);
}

void onFatalSignal(int signalNumber)
{
    ::alarm(kHandlerWatchdogSeconds);
    // abort() from the terminate handler: its line is written already.
    if (signalNumber == SIGABRT && g_terminateRecorded.load() != 0)
        ::_exit(128 + signalNumber);
    // A second failing thread waits for the first one, which ends the process.
    if (g_crashOwner.exchange(1) != 0) {
        for (;;)
            ::pause();
    }
    freeDescriptorSlot();
    char reason[32];
    TextBuffer text(reason, sizeof reason);
    text.append("crash_signal:");
    text.appendNumber(static_cast<std::uint64_t>(signalNumber));
    handleCrash(text.data);
    ::_exit(128 + signalNumber);
}

[[noreturn]] void onTerminate()
{
    if (g_crashOwner.exchange(1) != 0) {
        for (;;)
            ::pause();
    }
    ::alarm(kHandlerWatchdogSeconds);
    freeDescriptorSlot();
    handleCrash("std_terminate");
    g_terminateRecorded.store(1);
    std::abort();
}

char *duplicate(const std::string &text)
{
    char *copy = static_cast<char *>(std::malloc(text.size() + 1));
    if (copy)
        std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

void buildRestartArgv(const CrashSetup &setup)
{
    if (g_restartArgv) {
        for (char **arg = g_restartArgv; *arg; ++arg)
            std::free(*arg);
        std::free(g_restartArgv);
        g_restartArgv = nullptr;
    }
    if (isBlankText(setup.applicationPath.c_str()))
        return;

    std::vector<std::string> argv;
    argv.push_back("/bin/sh");
    argv.push_back("-c");
    const int delay = setup.restartDelaySeconds < 1 ? 1 : setup.restartDelaySeconds;
    argv.push_back("sleep " + std::to_string(delay) + "; exec \"$0\" \"$@\"");
    argv.push_back(setup.applicationPath);
    for (const std::string &argument : setup.arguments) {
        if (!isBlankText(argument.c_str()))
            argv.push_back(argument);
    }
    char **array = static_cast<char **>(std::calloc(argv.size() + 1, sizeof(char *)));
    if (!array)
        return;
    for (std::size_t i = 0; i < argv.size(); ++i)
        array[i] = duplicate(argv[i]);
    g_restartArgv = array;
}

void installAlternateStack()
{
    static void *stackMemory = nullptr;
    if (stackMemory)
        return;
    const std::size_t size = 256 * 1024;
    stackMemory = std::malloc(size);
    if (!stackMemory)
        return;
    stack_t stack{};
    stack.ss_sp = stackMemory;
    stack.ss_size = size;
    stack.ss_flags = 0;
    ::sigaltstack(&stack, nullptr);
}

} // namespace

bool installCrashHandlers(const CrashSetup &setup)
{
    bool complete = copyPath(g_crashLogPath, setup.crashLogPath);
    std::string folder = setup.crashLogPath;
    const std::size_t slash = folder.find_last_of('/');
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    complete = copyPath(g_logFolder, folder) && complete;
    complete = copyPath(g_markerPath, folder + "/crash-restart.marker") && complete;
    if (!complete)
        g_crashLogPath[0] = '\0';

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local))
        g_utcOffsetSeconds = local.tm_gmtoff;

    buildRestartArgv(setup);
    if (g_spareFd < 0)
        g_spareFd = openRetrying("/dev/null", O_RDONLY);

    installAlternateStack();
    struct sigaction action{};
    action.sa_handler = onFatalSignal;
    action.sa_flags = SA_ONSTACK | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : kFatalSignals)
        sigaddset(&action.sa_mask, signalNumber);
    for (const int signalNumber : kFatalSignals) {
        if (::sigaction(signalNumber, &action, nullptr) != 0)
            complete = false;
    }
    std::set_terminate(onTerminate);
    return complete;
}

} // namespace platform
