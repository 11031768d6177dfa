#include <csignal>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "app/settings/ini_files.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::ReadFile;
using folio_test::WriteFile;

namespace {

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> out;
    DIR* d = ::opendir(dir.c_str());
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
            out.push_back(name);
    }
    ::closedir(d);
    return out;
}

class IniWrite : public ::testing::Test {
protected:
    std::string Path() const { return dir / "t.ini"; }
    folio_test::TempDir dir;
};

} // namespace

TEST_F(IniWrite, NewFileStartsWithAnEmptyLine) {
    TIniFile32 ini(Path());
    ini.WriteString("Settings", "lastDir", "/src");
    EXPECT_EQ(ReadFile(Path()), "\r\n[Settings]\r\nlastDir=/src\r\n");
}

TEST_F(IniWrite, EachWriteSavesTheWholeFile) {
    TIniFile32 ini(Path());
    ini.WriteBool("FolioerF", "State", false);
    EXPECT_EQ(TIniFile32(Path()).ReadString("FolioerF", "State", "none"), "0");
    ini.WriteInteger("FolioerF", "Left", -94);
    ini.WriteBool("FolioerF", "Max", true);
    EXPECT_EQ(ReadFile(Path()), "\r\n[FolioerF]\r\nState=0\r\nLeft=-94\r\nMax=1\r\n");
    const TIniFile32 again(Path());
    EXPECT_EQ(again.ReadInteger("FolioerF", "Left", 0), -94);
    EXPECT_TRUE(again.ReadBool("FolioerF", "Max", false));
}

TEST_F(IniWrite, ExistingEntryIsReplacedInPlace) {
    WriteFile(Path(), "[A]\r\nx=1\r\ny=2\r\n");
    TIniFile32 ini(Path());
    ini.WriteString("A", "x", "new");
    EXPECT_EQ(ReadFile(Path()), "[A]\r\nx=new\r\ny=2\r\n");
}

TEST_F(IniWrite, OnlyTheFirstOfTwoEqualKeysIsReplaced) {
    WriteFile(Path(), "[A]\r\nTop=1\r\nTop=2\r\n");
    TIniFile32 ini(Path());
    ini.WriteInteger("A", "Top", 3);
    EXPECT_EQ(ReadFile(Path()), "[A]\r\nTop=3\r\nTop=2\r\n");
}

TEST_F(IniWrite, KeyOfOtherCaseAddsASecondEntry) {
    WriteFile(Path(), "\r\n[FolioerF]\r\nleft=5\r\n");
    TIniFile32 ini(Path());
    ini.WriteString("FolioerF", "Left", "120");
    EXPECT_EQ(ReadFile(Path()), "\r\n[FolioerF]\r\nleft=5\r\nLeft=120\r\n");
    EXPECT_EQ(ini.ReadString("FolioerF", "left", ""), "5");
    EXPECT_EQ(ini.ReadString("FolioerF", "Left", ""), "120");
}

TEST_F(IniWrite, NewKeyGoesAfterTheEmptyLineBeforeTheNextHeader) {
    WriteFile(Path(), "\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    TIniFile32 ini(Path());
    ini.WriteString("A", "z", "3");
    EXPECT_EQ(ReadFile(Path()), "\r\n[A]\r\nx=1\r\n\r\nz=3\r\n[B]\r\ny=2\r\n");
    // It still belongs to [A].
    EXPECT_EQ(TIniFile32(Path()).ReadString("A", "z", ""), "3");
}

TEST_F(IniWrite, IndentedHeaderIsNotFoundSoTheSectionIsAppended) {
    WriteFile(Path(), "[FolioerF]\r\nLeft=1\r\n [Settings]\r\nlastDir=/old\r\n");
    TIniFile32 ini(Path());
    ini.WriteString("Settings", "lastDir", "/new");
    EXPECT_EQ(ReadFile(Path()),
              "[FolioerF]\r\nLeft=1\r\n [Settings]\r\nlastDir=/old\r\n\r\n[Settings]\r\n"
              "lastDir=/new\r\n");
    EXPECT_EQ(TIniFile32(Path()).ReadString("Settings", "lastDir", ""), "/new");
}

TEST_F(IniWrite, NewKeyAtTheEndOfTheLastSection) {
    WriteFile(Path(), "[A]\r\nx=1");
    TIniFile32 ini(Path());
    ini.WriteString("a", "y", "2");
    EXPECT_EQ(ReadFile(Path()), "[A]\r\nx=1\r\ny=2\r\n");
}

TEST_F(IniWrite, EmptyKeyWritesOnlyTheHeader) {
    TIniFile32 ini(Path());
    ini.WriteString("Empty", "", "ignored");
    EXPECT_EQ(ReadFile(Path()), "\r\n[Empty]\r\n");
    ini.WriteString("Empty", "", "ignored");
    EXPECT_EQ(ReadFile(Path()), "\r\n[Empty]\r\n");
}

TEST_F(IniWrite, LineBreaksCannotAddLines) {
    // A Linux directory name may contain a line break; it must not become a header.
    TIniFile32 ini(Path());
    ini.WriteString("Settings", "lastDir", "/a\r\n[FolioerF]\nState=1");
    EXPECT_EQ(ReadFile(Path()), "\r\n[Settings]\r\nlastDir=/a  [FolioerF] State=1\r\n");
    EXPECT_FALSE(TIniFile32(Path()).ReadBool("FolioerF", "State", false));
}

TEST_F(IniWrite, PermissionsOfTheOldFileAreKept) {
    WriteFile(Path(), "[A]\r\nx=1\r\n");
    ASSERT_EQ(::chmod(Path().c_str(), 0640), 0);
    TIniFile32 ini(Path());
    ini.WriteString("A", "x", "2");
    struct stat st;
    ASSERT_EQ(::stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(IniWrite, NewFileGetsTheUsualPermissions) {
    const mode_t mask = ::umask(022);
    TIniFile32 ini(Path());
    ini.WriteString("A", "x", "1");
    ::umask(mask);
    struct stat st;
    ASSERT_EQ(::stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}

TEST_F(IniWrite, LinkedFileIsUpdatedThroughTheLink) {
    WriteFile(dir / "real.ini", "[A]\r\nx=1\r\n");
    ASSERT_EQ(::symlink("real.ini", Path().c_str()), 0);
    TIniFile32 ini(Path());
    ini.WriteString("A", "x", "2");
    struct stat st;
    ASSERT_EQ(::lstat(Path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFile(dir / "real.ini"), "[A]\r\nx=2\r\n");
}

TEST_F(IniWrite, NoTemporaryFilesRemain) {
    TIniFile32 ini(Path());
    for (int i = 0; i < 5; ++i)
        ini.WriteInteger("A", "n", i);
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"t.ini"});
}

TEST_F(IniWrite, UnwritablePathRaisesCannotCreateFile) {
    const std::string inMissingDir = dir / "no/such/dir/t.ini";
    TIniFile32 a(inMissingDir);
    try {
        a.WriteString("A", "x", "1");
        FAIL() << "wrote into a missing directory";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file " + inMissingDir);
    }
    WriteFile(dir / "plain", "not a directory");
    TIniFile32 b(dir / "plain/t.ini");
    EXPECT_THROW(b.WriteString("A", "x", "1"), EFCreateError);
    ASSERT_EQ(::mkdir((dir / "isdir.ini").c_str(), 0755), 0);
    TIniFile32 c(dir / "isdir.ini");
    EXPECT_THROW(c.WriteString("A", "x", "1"), EFCreateError);
    EXPECT_EQ(ReadFile(dir / "plain"), "not a directory");
}

TEST_F(IniWrite, ReadOnlyDirectoryRaisesAndKeepsTheOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root; see FailedWriteLeavesTheOldFileWhole";
    WriteFile(Path(), "[A]\r\nx=1\r\n");
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0555), 0);
    TIniFile32 ini(Path());
    EXPECT_THROW(ini.WriteString("A", "x", "2"), EFCreateError);
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(ReadFile(Path()), "[A]\r\nx=1\r\n");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"t.ini"});
}

TEST_F(IniWrite, ReadOnlyFileRaisesAndStaysUnchanged) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root";
    WriteFile(Path(), "[A]\r\nx=1\r\n");
    ASSERT_EQ(::chmod(Path().c_str(), 0444), 0);
    TIniFile32 ini(Path());
    EXPECT_THROW(ini.WriteString("A", "x", "2"), EFCreateError);
    EXPECT_EQ(ReadFile(Path()), "[A]\r\nx=1\r\n");
}

TEST_F(IniWrite, FailedWriteLeavesTheOldFileWhole) {
    // A file-size limit makes the write itself fail part way (even for root): the old file
    // must stay exactly as it was and the partial temporary must be gone.
    const std::string old = "[A]\r\nx=1\r\n";
    WriteFile(Path(), old);
    TIniFile32 ini(Path());
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    try {
        ini.WriteString("A", "x", std::string(4096, 'v'));
    } catch (const EFCreateError&) {
        raised = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(raised);
    EXPECT_EQ(ReadFile(Path()), old);
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"t.ini"});
}
