#include "platform/gui/launcher.h"

#include "platform/gui/application.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>

extern char** environ;

namespace {

std::mutex hookMutex;
TLaunchHook& Hook() {
    static TLaunchHook hook;
    return hook;
}

// A file name that begins with "-" would be read by the handler as an option.
std::string Guarded(const std::string& target) {
    if (!target.empty() && target[0] == '-')
        return "./" + target;
    return target;
}

// A test's hook takes the target instead of the desktop; answers whether one did.
bool Hooked(const std::string& target) {
    TLaunchHook hook;
    {
        std::lock_guard<std::mutex> lock(hookMutex);
        hook = Hook();
    }
    if (!hook)
        return false;
    hook(target);
    return true;
}

// Starts program with target, its standard streams on /dev/null; the child's id, or -1.
pid_t SpawnQuiet(const std::string& program, const std::string& target) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return -1;
    bool ok = true;
    for (int fd = 0; fd <= 2 && ok; ++fd)
        ok = posix_spawn_file_actions_addopen(&actions, fd, "/dev/null",
                                              fd == 0 ? O_RDONLY : O_WRONLY, 0) == 0;
    pid_t pid = -1;
    if (ok) {
        std::string arg = Guarded(target);
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(arg.c_str()),
                        nullptr};
        if (posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0)
            pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

} // namespace

void ShellOpenWatched(const std::string& target,
                      std::function<void(const std::string& reason)> onFailure, int watchMs) {
    if (Hooked(target))
        return;
    if (target.empty())
        return;
    const pid_t pid = SpawnQuiet("xdg-open", target);
    if (pid < 0) {
        Application().QueueCall([onFailure] {
            if (onFailure)
                onFailure("xdg-open, the desktop's opener, is not installed");
        });
        return;
    }
    // The child is reaped on a thread of its own; a quick failure is reported on the loop.
    const auto started = std::chrono::steady_clock::now();
    std::thread([pid, started, watchMs, onFailure = std::move(onFailure)] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        const bool failed = !WIFEXITED(status) || WEXITSTATUS(status) != 0;
        if (!failed ||
            std::chrono::steady_clock::now() - started > std::chrono::milliseconds(watchMs))
            return;
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        // xdg-open's statuses: 3 no program for the kind of target, 4 the program failed.
        const std::string reason = code == 3 ? "no program on this system opens it"
                                   : code == 4
                                       ? "the program that opens it failed"
                                       : "xdg-open failed (status " + std::to_string(code) + ")";
        Application().QueueCall([onFailure, reason] {
            if (onFailure)
                onFailure(reason);
        });
    }).detach();
}

bool SpawnDetached(const std::string& program, const std::string& target) {
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return false;
    bool ok = true;
    for (int fd = 0; fd <= 2 && ok; ++fd)
        ok = posix_spawn_file_actions_addopen(&actions, fd, "/dev/null",
                                              fd == 0 ? O_RDONLY : O_WRONLY, 0) == 0;
    pid_t pid = 0;
    if (ok) {
        std::string arg = Guarded(target);
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(arg.c_str()),
                        nullptr};
        ok = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ) == 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (!ok)
        return false;
    // Reap the child when it ends so no zombie is left behind, without making the caller wait.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

void ShellOpen(const std::string& target) {
    if (Hooked(target))
        return;
    if (target.empty())
        return;
    SpawnDetached("xdg-open", target);
}

TLaunchHook SetLaunchHook(TLaunchHook hook) {
    std::lock_guard<std::mutex> lock(hookMutex);
    return std::exchange(Hook(), std::move(hook));
}
