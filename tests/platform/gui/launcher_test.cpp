#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

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
