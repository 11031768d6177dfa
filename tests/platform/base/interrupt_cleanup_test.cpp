// A program ended by SIGINT, SIGTERM or SIGHUP leaves nothing behind that it registered: its
// files and folders are gone, a player it started is stopped, and the signal still ends it.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "platform/base/interrupt_cleanup.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// True once the process is gone or only a zombie waiting for a parent that may never reap it.
bool Ended(pid_t pid) {
    for (int i = 0; i < 500; ++i) {
        if (::kill(pid, 0) != 0)
            return true;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string field;
        for (int f = 0; f < 3 && stat >> field; ++f) {
        }
        if (field == "Z" || field == "X")
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// In a child: registers a folder, a file in it, a released file and a sleeping process group,
// tells the parent the sleeper's id, then sends itself the signal.
[[noreturn]] void RunChild(const std::string& dir, int sig, int reportFd) {
    ::mkdir((dir + "/work").c_str(), 0700);
    std::ofstream(dir + "/work/sound.wav") << "RIFF";
    std::ofstream(dir + "/kept.txt") << "kept";
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    char sleep[] = "sleep", seconds[] = "30";
    char* argv[] = {sleep, seconds, nullptr};
    pid_t player = -1;
    if (posix_spawnp(&player, "sleep", nullptr, &attr, argv, environ) != 0)
        ::_exit(2);
    InstallInterruptCleanup();
    TInterruptCleanup folder(dir + "/work", TInterruptCleanup::Directory);
    TInterruptCleanup file(dir + "/work/sound.wav", TInterruptCleanup::File);
    TInterruptCleanup kept(dir + "/kept.txt", TInterruptCleanup::File);
    kept.Release();
    TInterruptCleanup group(player);
    if (::write(reportFd, &player, sizeof player) != sizeof player)
        ::_exit(3);
    ::raise(sig);
    ::_exit(4); // not reached: the signal ends the program
}

TEST(InterruptCleanup, ASignalRemovesWhatIsRegisteredStopsThePlayerAndStillEndsTheProgram) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(sig);
        folio_test::TempDir dir;
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            RunChild(dir.Path(), sig, fds[1]);
        }
        ::close(fds[1]);
        pid_t player = -1;
        const ssize_t got = ::read(fds[0], &player, sizeof player);
        ::close(fds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_EQ(got, static_cast<ssize_t>(sizeof player));
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
        EXPECT_FALSE(Exists(dir / "work/sound.wav"));
        EXPECT_FALSE(Exists(dir / "work"));
        EXPECT_TRUE(Exists(dir / "kept.txt"));
        EXPECT_TRUE(Ended(player)) << "the player " << player << " still runs";
        if (!Ended(player))
            ::kill(-player, SIGKILL);
    }
}

} // namespace
