#include "platform/ShellPrint.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace platform {

namespace {

// lp only queues the job; a scheduler that does not answer must not hold the caller forever.
constexpr int kLpDeadlineMs = 30000;

std::string trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

long long nowMs()
{
    timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

ShellPrintOutcome shellPrintFile(const NativeString &path, const NativeString &printerName,
                                 const NativeString &printToParameters)
{
    (void)printToParameters;
    ShellPrintOutcome outcome;

    std::vector<std::string> args { "lp" };
    if (!printerName.empty()) {
        args.push_back("-d");
        args.push_back(printerName);
    }
    args.push_back("--");
    args.push_back(path);
    std::vector<char *> argv;
    for (auto &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        outcome.kind = ShellPrintOutcome::Kind::ToolMissing;
        return outcome;
    }

    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    ::posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);

    pid_t pid = -1;
    const int spawnError = ::posix_spawnp(&pid, "lp", &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawnError != 0) {
        ::close(pipeFds[0]);
        outcome.kind = ShellPrintOutcome::Kind::ToolMissing;
        return outcome;
    }

    std::string output;
    const long long deadline = nowMs() + kLpDeadlineMs;
    bool timedOut = false;
    for (;;) {
        const long long left = deadline - nowMs();
        if (left <= 0) {
            timedOut = true;
            break;
        }
        pollfd fd { pipeFds[0], POLLIN, 0 };
        const int ready = ::poll(&fd, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            continue;
        char buffer[1024];
        const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break; // end of output: lp has exited or closed its streams
        if (output.size() < 4096)
            output.append(buffer, static_cast<size_t>(got));
    }
    ::close(pipeFds[0]);
    if (timedOut)
        ::kill(pid, SIGKILL);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }

    if (timedOut) {
        outcome.kind = ShellPrintOutcome::Kind::ToolFailed;
        outcome.code = -1;
        return outcome;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return outcome;
    outcome.kind = ShellPrintOutcome::Kind::ToolFailed;
    outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    // A shell-less spawn cannot tell "not installed" from "failed" by itself: 127 is the
    // conventional exit of a command that could not be executed.
    if (outcome.code == 127)
        outcome.kind = ShellPrintOutcome::Kind::ToolMissing;
    outcome.detail = trimmed(output);
    return outcome;
}

} // namespace platform
