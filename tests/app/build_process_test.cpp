// The real foliobuilder run as a child process: two builds at once, and builds interrupted by
// a signal. The programs are placed in a scratch directory, and each child gets a temporary
// directory of its own, so the test sees every file a build leaves behind.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "bookreader/site_book.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace fs = std::filesystem;
using folio_test::ReadFile;
using folio_test::WriteFile;

namespace {

class BuildProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* binary = std::getenv("FOLIO_BINARY_DIR");
        ASSERT_NE(binary, nullptr) << "FOLIO_BINARY_DIR is set by CTest";
        fs::create_directories(tmp / "bin");
        fs::create_directories(tmp / "tmp");
        for (const char* program : {"foliobuilder", "Folio3.bin"}) {
            const fs::path from = fs::path(binary) / "bin" / program;
            std::error_code ec;
            fs::create_hard_link(from, tmp / ("bin/" + std::string(program)), ec);
            if (ec) {
                fs::copy_file(from, tmp / ("bin/" + std::string(program)));
            }
        }
        templateSize = FileSizeOf(tmp / "bin/Folio3.bin");
    }

    // Bytes no compressor can shrink (xorshift from seed); size is a multiple of 8.
    static std::string NoiseBytes(size_t size, uint64_t seed) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < bytes.size(); i += 8) {
            seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
            std::memcpy(&bytes[i], &seed, 8);
        }
        return bytes;
    }

    // A site that takes the builder a while at the highest level: incompressible sounds.
    std::string MakeBigSite(const std::string& name) {
        for (int f = 0; f < 5; ++f) {
            WriteFile(tmp / (name + "/sound" + std::to_string(f) + ".wav"),
                      NoiseBytes(8 << 20, 0x9E3779B97F4A7C15ull + f));
        }
        WriteFile(tmp / (name + "/index.html"), "<p>" + name + "</p>");
        return tmp / name;
    }

    // Starts foliobuilder with args (or another program, looked up in PATH, when program is
    // given); its output goes to NAME.out and NAME.err.
    pid_t Start(const std::string& name, std::vector<std::string> args,
                const std::string& program = "") {
        args.insert(args.begin(), program.empty() ? tmp / "bin/foliobuilder" : program);
        std::vector<std::string> env = {"TMPDIR=" + (childTmp.empty() ? tmp / "tmp" : childTmp)};
        for (char** e = environ; *e; ++e) {
            if (std::strncmp(*e, "TMPDIR=", 7) != 0 &&
                std::strncmp(*e, "FOLIO_PASSWORD=", 15) != 0) {
                env.emplace_back(*e);
            }
        }
        std::vector<char*> argv, envp;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        for (std::string& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string out = tmp / (name + ".out"), err = tmp / (name + ".err");
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        pid_t pid = -1;
        const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0 ? pid : -1;
    }

    // The child's wait status once it has ended.
    static int Wait(pid_t pid) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return status;
    }

    // Waits until the book has grown past the template (the archive is being written); false
    // when the child ended first.
    bool WaitUntilPacking(pid_t pid, const std::string& book) {
        for (int i = 0; i < 30000; ++i) {
            if (FileSizeOf(book) > templateSize) {
                return true;
            }
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    std::vector<std::string> LeftInTmp() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(tmp / "tmp")) {
            names.push_back(entry.path().string());
        }
        return names;
    }

    folio_test::TempDir tmp;
    int64_t templateSize = 0;
    std::string childTmp; // the children's TMPDIR; empty: tmp/tmp
};

TEST_F(BuildProcessTest, TwoBuildsAtOnceMakeTwoCorrectBooksAndLeaveNoConfiguration) {
    const std::string bigSite = MakeBigSite("big");
    WriteFile(tmp / "small/start.html", "<p>small</p>");
    const std::string bookA = tmp / "a-book", bookB = tmp / "b-book";

    const pid_t a = Start("a", {"build", bigSite, "--home", "index.html", "--title", "Book A",
                                "--password", "secret-a", "--level", "max", "-o", bookA});
    ASSERT_GT(a, 0);
    ASSERT_TRUE(WaitUntilPacking(a, bookA)) << ReadFile(tmp / "a.err");
    // Held while the second build runs from start to end: A's configuration must not change.
    ASSERT_EQ(::kill(a, SIGSTOP), 0);

    // Meanwhile A's configuration (with its password) lies in no file at all: it goes into
    // the book from memory.
    EXPECT_TRUE(LeftInTmp().empty());

    const pid_t b = Start("b", {"build", tmp / "small", "--home", "start.html", "--title", "Book B",
                                "--password", "secret-b", "-o", bookB});
    ASSERT_GT(b, 0);
    const int statusB = Wait(b);
    ::kill(a, SIGCONT);
    const int statusA = Wait(a);
    ASSERT_TRUE(WIFEXITED(statusB) && WEXITSTATUS(statusB) == 0) << ReadFile(tmp / "b.err");
    ASSERT_TRUE(WIFEXITED(statusA) && WEXITSTATUS(statusA) == 0) << ReadFile(tmp / "a.err");

    const TSiteBook openedA(bookA), openedB(bookB);
    EXPECT_EQ(openedA.Config().Caption, "Book A");
    EXPECT_EQ(openedA.Config().Password, "secret-a");
    EXPECT_EQ(openedA.Config().HomePage, bigSite + "/index.html");
    EXPECT_EQ(openedB.Config().Caption, "Book B");
    EXPECT_EQ(openedB.Config().Password, "secret-b");
    EXPECT_EQ(openedB.HomePageName(), "start.html");
    EXPECT_GE(openedA.Find("sound4.wav"), 0);
    EXPECT_LT(openedB.Find("sound4.wav"), 0);

    EXPECT_TRUE(LeftInTmp().empty());
    EXPECT_FALSE(fs::exists(tmp / "bin/folioauthor.html"));
}

// The same folder, options and template give the same book byte for byte, whatever the
// temporary folder is called: the configuration is packed under a fixed name, with the home
// page's date rather than the time of the build.
TEST_F(BuildProcessTest, TwoBuildsOfTheSameFolderAreIdentical) {
    const char* source = std::getenv("FOLIO_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "FOLIO_SOURCE_DIR is set by CTest";
    const std::string site = fs::path(source) / "examples/site";
    ASSERT_TRUE(fs::is_regular_file(site + "/index.html")) << site;
    std::string books[2];
    for (int i = 0; i < 2; ++i) {
        childTmp = tmp / ("tmp-of-build-" + std::to_string(i) + (i ? "-longer-name" : ""));
        fs::create_directories(childTmp);
        books[i] = tmp / ("book" + std::to_string(i));
        const std::string name = "same" + std::to_string(i);
        const pid_t pid = Start(name, {"build", site, "--home", "index.html", "--title", "Same",
                                       "--password", "pw", "-o", books[i]});
        ASSERT_GT(pid, 0);
        const int status = Wait(pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << ReadFile(tmp / (name + ".err"));
    }
    const std::string first = ReadFile(books[0]);
    ASSERT_GT(first.size(), size_t(templateSize));
    EXPECT_TRUE(first == ReadFile(books[1])) << "the two books differ";

    const TSiteBook book(books[0]);
    const int config = book.Find("folioauthor.html");
    ASSERT_GE(config, 0);
    const TArchiveMember& member = book.Archive().Member(config);
    EXPECT_EQ(member.Name, LowerCase(tmp / "bin") + "/folioauthor.html");
    EXPECT_EQ(member.Date, FileAge(site + "/index.html"));
    EXPECT_EQ(book.Config().Caption, "Same");
    EXPECT_EQ(book.Config().Password, "pw");
}

// A book that does not fit says the disk is full, whether the template copy or the archive runs
// out of room, and leaves nothing behind. The small file system is mounted in a mount
// namespace of the child's own, gone when it ends; where that is not allowed the test says so
// and is skipped.
TEST_F(BuildProcessTest, AFullDiskIsNamedAsTheReason) {
    const std::string disk = tmp / "disk";
    fs::create_directories(disk);
    // Runs command on a fresh file system of size at disk, then lists what is left there.
    const auto onSmallDisk = [&](const std::string& name, const std::string& size,
                                 const std::vector<std::string>& command) {
        std::vector<std::string> args = {"-m",
                                         "sh",
                                         "-c",
                                         "mount -t tmpfs -o size=" + size +
                                             " tmpfs \"$1\" || exit 99; disk=$1; shift; "
                                             "\"$@\"; status=$?; ls -A \"$disk\"; exit $status",
                                         "sh",
                                         disk};
        args.insert(args.end(), command.begin(), command.end());
        const pid_t pid = Start(name, args, "unshare");
        return pid > 0 ? Wait(pid) : -1;
    };
    const int probe = onSmallDisk("probe", "64k", {"true"});
    if (!WIFEXITED(probe) || WEXITSTATUS(probe) != 0) {
        GTEST_SKIP() << "no private mount namespace with a tmpfs here: "
                     << ReadFile(tmp / "probe.err");
    }
    WriteFile(tmp / "site/noise.wav", NoiseBytes(2 << 20, 88172645463325252ull));
    WriteFile(tmp / "site/index.html", "<p>home</p>");
    const std::vector<std::string> build = {tmp / "bin/foliobuilder",
                                            "build",
                                            tmp / "site",
                                            "--home",
                                            "index.html",
                                            "-o",
                                            disk + "/book"};

    // Too small for the template.
    const int noTemplate = onSmallDisk("template", "64k", build);
    EXPECT_TRUE(WIFEXITED(noTemplate) && WEXITSTATUS(noTemplate) == 1) << noTemplate;
    EXPECT_NE(ReadFile(tmp / "template.err")
                  .find("foliobuilder: Cannot copy the template \"Folio3.bin\" to " + disk +
                        "/book: the disk is full\n"),
              std::string::npos)
        << ReadFile(tmp / "template.err");
    EXPECT_EQ(ReadFile(tmp / "template.out"), ""); // nothing left on the disk

    // Room for the template, not for the archive.
    const std::string room = std::to_string((templateSize + (256 << 10)) / 4096 * 4096);
    const int noArchive = onSmallDisk("archive", room, build);
    EXPECT_TRUE(WIFEXITED(noArchive) && WEXITSTATUS(noArchive) == 1) << noArchive;
    EXPECT_NE(
        ReadFile(tmp / "archive.err")
            .find("foliobuilder: Cannot write to archive " + disk + "/book: the disk is full\n"),
        std::string::npos)
        << ReadFile(tmp / "archive.err");
    EXPECT_EQ(ReadFile(tmp / "archive.out"), "");
    EXPECT_TRUE(LeftInTmp().empty());
}

class InterruptedBuildTest : public BuildProcessTest, public ::testing::WithParamInterface<int> {};

TEST_P(InterruptedBuildTest, LeavesNoHalfMadeBookAndNoConfiguration) {
    const int sig = GetParam();
    const std::string book = tmp / "book";
    const pid_t child = Start("build", {"build", MakeBigSite("big"), "--home", "index.html",
                                        "--password", "pw", "--level", "max", "-o", book});
    ASSERT_GT(child, 0);
    ASSERT_TRUE(WaitUntilPacking(child, book)) << ReadFile(tmp / "build.err");
    ASSERT_EQ(::kill(child, sig), 0);
    const int status = Wait(child);
    // The signal still ends the program, so a shell sees it was interrupted.
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    EXPECT_FALSE(fs::exists(book));
    EXPECT_TRUE(LeftInTmp().empty());
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptedBuildTest, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) {
                             return std::string(info.param == SIGINT ? "SIGINT" : "SIGTERM");
                         });

} // namespace
