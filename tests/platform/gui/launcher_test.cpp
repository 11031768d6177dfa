#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "platform/gui/application.h"
#include "platform/gui/launcher.h"
#include "tests/support/files.h"

using folio_test::ReadFile;

namespace fs = std::filesystem;

TEST(Launcher, HookRecordsInsteadOfLaunching) {
    std::vector<std::string> opened;
    TLaunchHook old = SetLaunchHook([&](const std::string& t) { opened.push_back(t); });
    ShellOpen("http://example.org/");
    ShellOpen("mailto:someone@example.org");
    SetLaunchHook(old);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], "http://example.org/");
    EXPECT_EQ(opened[1], "mailto:someone@example.org");
}

// The real launcher, with a stand-in program that writes down its argument and what its
// standard input holds.
TEST(Launcher, SpawnsProgramWithTargetAndNullStreams) {
    fs::path dir = fs::temp_directory_path() / ("folio-launch-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::path out = dir / "out.txt";
    fs::path prog = dir / "fake-open";
    {
        std::ofstream f(prog);
        f << "#!/bin/sh\nprintf '%s\\n' \"$1\" > \"" << out.string() << ".tmp\"\n"
          << "cat >> \"" << out.string() << ".tmp\"\necho alive\n"
          << "mv \"" << out.string() << ".tmp\" \"" << out.string() << "\"\n";
    }
    fs::permissions(prog, fs::perms::owner_all);
    ASSERT_TRUE(SpawnDetached(prog.string(), "-rf name"));
    for (int i = 0; i < 200 && !fs::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(out));
    // A leading "-" is never passed as an option; stdin is empty (/dev/null).
    EXPECT_EQ(ReadFile(out), "./-rf name\n");
    EXPECT_FALSE(SpawnDetached((dir / "missing").string(), "x"));
    fs::remove_all(dir);
}

// The watched launch: an opener that ends at once with a failure, or none at all, is reported
// from the loop with the reason; one that succeeds, or is still running when the watch ends,
// is not.
TEST(Launcher, AWatchedOpenSaysWhenNothingOpensTheTarget) {
    const fs::path dir = fs::temp_directory_path() / ("folio-watch-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string path = std::getenv("PATH");
    struct TRestore {
        std::string Path;
        fs::path Dir;
        ~TRestore() {
            setenv("PATH", Path.c_str(), 1);
            fs::remove_all(Dir);
        }
    } restore{path, dir};
    const auto opener = [&](const std::string& body) {
        std::ofstream(dir / "xdg-open") << "#!/bin/sh\n" << body << "\n";
        fs::permissions(dir / "xdg-open", fs::perms::owner_all);
    };
    setenv("PATH", (dir.string() + ":" + path).c_str(), 1);
    std::vector<std::string> reasons;
    const auto watch = [&](int ms) {
        ShellOpenWatched(
            "http://example.org/", [&](const std::string& r) { reasons.push_back(r); }, ms);
        // Long enough for a shell to start and end; the report comes through the loop.
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
        while (std::chrono::steady_clock::now() < end) {
            Application().ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    opener("exit 3");
    watch(5000);
    EXPECT_EQ(reasons, std::vector<std::string>{"no program on this system opens it"});
    opener("exit 0");
    watch(5000);
    EXPECT_EQ(reasons.size(), 1u);
    opener("sleep 1; exit 4"); // fails only after the watch ended: counted as opened
    watch(200);
    EXPECT_EQ(reasons.size(), 1u);
    setenv("PATH", (dir / "none").c_str(), 1);
    watch(5000);
    ASSERT_EQ(reasons.size(), 2u);
    EXPECT_EQ(reasons[1], "xdg-open, the desktop's opener, is not installed");
}
