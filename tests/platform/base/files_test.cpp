#include "platform/base/files.h"

#include <algorithm>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::ReadFile;
using folio_test::WriteFile;

namespace {

std::map<std::string, TSearchRec> ByName(const std::vector<TSearchRec>& recs) {
    std::map<std::string, TSearchRec> out;
    for (const TSearchRec& r : recs)
        out[r.Name] = r;
    return out;
}

std::vector<std::string> DirNames(const std::string& dir) {
    std::vector<std::string> out;
    DIR* d = ::opendir(dir.c_str());
    while (dirent* e = ::readdir(d))
        out.push_back(e->d_name);
    ::closedir(d);
    return out;
}

// A tree with a hidden file, a hidden directory, a link loop, a dangling link and a link to a
// file:  a.html  .hidden  .hdir/  sub/  sub/page.htm  sub/loop -> ..  dangling -> nowhere
//        link.html -> a.html  sublink -> sub
class Tree : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(dir / "a.html", "<p>a</p>");
        WriteFile(dir / ".hidden", "h");
        ASSERT_EQ(::mkdir((dir / ".hdir").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0755), 0);
        WriteFile(dir / "sub/page.htm", "page");
        ASSERT_EQ(::symlink("..", (dir / "sub/loop").c_str()), 0);
        ASSERT_EQ(::symlink("nowhere", (dir / "dangling").c_str()), 0);
        ASSERT_EQ(::symlink("a.html", (dir / "link.html").c_str()), 0);
        ASSERT_EQ(::symlink("sub", (dir / "sublink").c_str()), 0);
    }
    folio_test::TempDir dir;
};

} // namespace

TEST_F(Tree, AttributesFollowTheLinuxMapping) {
    auto recs = ByName(FindFiles(dir.Path(), faAnyFile));
    ASSERT_EQ(recs.size(), 9u);
    EXPECT_EQ(recs["."].Attr, faDirectory);
    EXPECT_EQ(recs[".."].Attr, faDirectory);
    EXPECT_EQ(recs["a.html"].Attr, faArchive);
    EXPECT_EQ(recs["a.html"].Size, 8);
    EXPECT_EQ(recs[".hidden"].Attr, faArchive | faHidden);
    EXPECT_EQ(recs[".hdir"].Attr, faDirectory | faHidden);
    EXPECT_EQ(recs["sub"].Attr, faDirectory);
    EXPECT_EQ(recs["dangling"].Attr, 0);
    EXPECT_EQ(recs["link.html"].Attr, faArchive); // stands for the file it names
    EXPECT_EQ(recs["link.html"].Size, 8);
    EXPECT_EQ(recs["sublink"].Attr, 0); // a link to a directory is no directory
    for (const auto& [name, rec] : recs)
        EXPECT_EQ(rec.Attr & faSysFile, 0) << name;
}

TEST_F(Tree, HiddenEntriesOnlyWhenAskedFor) {
    auto recs = ByName(FindFiles(dir.Path(), faArchive | faDirectory));
    EXPECT_EQ(recs.count(".hidden"), 0u);
    EXPECT_EQ(recs.count(".hdir"), 0u);
    for (const char* name : {".", "..", "a.html", "sub", "dangling", "link.html", "sublink"})
        EXPECT_EQ(recs.count(name), 1u) << name;
    EXPECT_EQ(ByName(FindFiles(dir.Path(), 0)).count("sub"), 1u);
    EXPECT_EQ(ByName(FindFiles(dir.Path(), faHidden)).count(".hidden"), 1u);
}

TEST_F(Tree, EnumerationKeepsTheFileSystemOrder) {
    std::vector<std::string> names;
    for (const TSearchRec& r : FindFiles(dir.Path(), faAnyFile))
        names.push_back(r.Name);
    EXPECT_EQ(names, DirNames(dir.Path()));
}

TEST_F(Tree, WalkingDirectoriesNeverLoops) {
    std::vector<std::string> files;
    std::function<void(const std::string&, int)> walk = [&](const std::string& d, int depth) {
        ASSERT_LT(depth, 10) << "walk went round a loop";
        for (const TSearchRec& r : FindFiles(d, faArchive | faDirectory)) {
            if (r.Name == "." || r.Name == "..")
                continue;
            if (r.Attr & faDirectory)
                walk(d + "/" + r.Name, depth + 1);
            else if (r.Attr & faArchive)
                files.push_back(d.substr(dir.Path().size()) + "/" + r.Name);
        }
    };
    walk(dir.Path(), 0);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"/a.html", "/link.html", "/sub/page.htm"}));
}

TEST_F(Tree, UnreadableDirectoryGivesNothing) {
    EXPECT_TRUE(FindFiles(dir / "absent", faAnyFile).empty());
    EXPECT_TRUE(FindFiles(dir / "a.html", faAnyFile).empty());
}

TEST_F(Tree, ReadOnlyAndSingleEntryAttributes) {
    ASSERT_EQ(::chmod((dir / "a.html").c_str(), 0444), 0);
    EXPECT_EQ(FileGetAttr(dir / "a.html"), faArchive | faReadOnly);
    EXPECT_EQ(FileGetAttr(dir / "sub"), faDirectory);
    EXPECT_EQ(FileGetAttr(dir / "sub/"), faDirectory);
    EXPECT_EQ(FileGetAttr(dir / ".hidden"), faArchive | faHidden);
    EXPECT_EQ(FileGetAttr(dir / "dangling"), 0);
    EXPECT_EQ(FileGetAttr(dir / "none"), -1);
    EXPECT_TRUE(FileSetAttr(dir / "a.html", faArchive));
    EXPECT_EQ(FileGetAttr(dir / "a.html"), faArchive);
    EXPECT_FALSE(FileSetAttr(dir / "none", 0));
}

TEST_F(Tree, ClearedArchiveFlagReturnsWhenTheFileChanges) {
    const std::string path = dir / "a.html";
    ASSERT_TRUE(FileSetAttr(path, FileGetAttr(path) & ~faArchive));
    if (FileGetAttr(path) & faArchive)
        GTEST_SKIP() << "no user extended attributes on this file system";
    EXPECT_EQ(FileGetAttr(path), 0);
    EXPECT_EQ(ByName(FindFiles(dir.Path(), faAnyFile))["a.html"].Attr, 0);
    WriteFile(path, "<p>changed, and longer</p>");
    EXPECT_EQ(FileGetAttr(path), faArchive);
}

TEST_F(Tree, ArchiveFlagOfAReadOnlyFileCanBeCleared) {
    const std::string path = dir / "a.html";
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ASSERT_TRUE(FileSetAttr(path, FileGetAttr(path) & ~faArchive));
    if (FileGetAttr(path) & faArchive)
        GTEST_SKIP() << "no user extended attributes on this file system";
    EXPECT_EQ(FileGetAttr(path), faReadOnly);
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST(DosTime, PacksKnownDates) {
    EXPECT_EQ(PackDosDateTime(1980, 1, 1, 0, 0, 0), 0x00210000);
    EXPECT_EQ(PackDosDateTime(2024, 2, 29, 13, 45, 30), 0x585D6DAF);
    EXPECT_EQ(PackDosDateTime(2001, 9, 9, 1, 46, 41), 0x2B290DD4); // odd seconds round down
    EXPECT_EQ(static_cast<uint32_t>(PackDosDateTime(2107, 12, 31, 23, 59, 59)), 0xFF9FBF7Du);
}

TEST(DosTime, OutOfRangeGivesMinusOne) {
    EXPECT_EQ(PackDosDateTime(1979, 12, 31, 23, 59, 59), -1);
    EXPECT_EQ(PackDosDateTime(2108, 1, 1, 0, 0, 0), -1);
    EXPECT_EQ(PackDosDateTime(2000, 13, 1, 0, 0, 0), -1);
    EXPECT_EQ(PackDosDateTime(2000, 0, 1, 0, 0, 0), -1);
    EXPECT_EQ(PackDosDateTime(2000, 1, 0, 0, 0, 0), -1);
    EXPECT_EQ(PackDosDateTime(2000, 1, 1, 24, 0, 0), -1);
    EXPECT_EQ(PackDosDateTime(2000, 1, 1, 0, 60, 0), -1);
}

TEST(DosTime, FileAgeIsTheLocalModificationTime) {
    folio_test::TempDir dir;
    const std::string path = dir / "dated.txt";
    WriteFile(path, "x");
    struct tm tm {};
    tm.tm_year = 2001 - 1900;
    tm.tm_mon = 8;
    tm.tm_mday = 9;
    tm.tm_hour = 1;
    tm.tm_min = 46;
    tm.tm_sec = 40;
    tm.tm_isdst = -1;
    const time_t t = mktime(&tm);
    const timeval times[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(::utimes(path.c_str(), times), 0);
    EXPECT_EQ(FileAge(path), PackDosDateTime(2001, 9, 9, 1, 46, 40));
    EXPECT_EQ(FileAge(dir / "missing"), -1);
    EXPECT_EQ(FileAge(dir.Path()), -1);
    auto recs = ByName(FindFiles(dir.Path(), faAnyFile));
    EXPECT_EQ(recs["dated.txt"].Time, PackDosDateTime(2001, 9, 9, 1, 46, 40));
    // Before 1980 the packed form has no value.
    const timeval old[2] = {{86400, 0}, {86400, 0}};
    ASSERT_EQ(::utimes(path.c_str(), old), 0);
    EXPECT_EQ(FileAge(path), -1);
}

TEST(CopyFileTest, CopiesAndReplaces) {
    folio_test::TempDir dir;
    WriteFile(dir / "src", std::string(70000, 'q') + "end");
    ASSERT_EQ(::chmod((dir / "src").c_str(), 0750), 0);
    WriteFile(dir / "dst", "old target that is longer than nothing");
    EXPECT_TRUE(CopyFile(dir / "src", dir / "dst"));
    EXPECT_EQ(ReadFile(dir / "dst"), std::string(70000, 'q') + "end");
    struct stat st;
    ASSERT_EQ(::stat((dir / "dst").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0750u);
    EXPECT_EQ(FileAge(dir / "dst"), FileAge(dir / "src"));
    EXPECT_EQ(DirNames(dir.Path()).size(), 4u); // ., .., src, dst: no temporary left
}

TEST(CopyFileTest, FailIfExistsKeepsTheTarget) {
    folio_test::TempDir dir;
    WriteFile(dir / "src", "new");
    WriteFile(dir / "dst", "old");
    EXPECT_FALSE(CopyFile(dir / "src", dir / "dst", true));
    EXPECT_EQ(ReadFile(dir / "dst"), "old");
    EXPECT_TRUE(CopyFile(dir / "src", dir / "fresh", true));
    EXPECT_EQ(ReadFile(dir / "fresh"), "new");
}

TEST(CopyFileTest, FailuresLeaveNoTarget) {
    folio_test::TempDir dir;
    WriteFile(dir / "src", "data");
    EXPECT_FALSE(CopyFile(dir / "missing", dir / "t1"));
    EXPECT_FALSE(CopyFile(dir.Path(), dir / "t2"));
    EXPECT_FALSE(CopyFile(dir / "src", dir / "no/such/t3"));
    // A source that fails while being read (this process's memory file gives an I/O error at
    // offset 0): the copy stops and neither the target nor a temporary remains.
    EXPECT_FALSE(CopyFile("/proc/self/mem", dir / "t4"));
    WriteFile(dir / "t5", "keep me");
    EXPECT_FALSE(CopyFile("/proc/self/mem", dir / "t5"));
    EXPECT_EQ(ReadFile(dir / "t5"), "keep me");
    auto names = DirNames(dir.Path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "src", "t5"}));
}

TEST(TempFileNameTest, ReservesAFreshName) {
    folio_test::TempDir dir;
    const std::string a = TempFileName(dir.Path(), "FID");
    const std::string b = TempFileName(dir.Path(), "FID");
    ASSERT_FALSE(a.empty());
    EXPECT_NE(a, b);
    EXPECT_EQ(ExtractFilePath(a), dir.Path() + "/");
    EXPECT_EQ(ExtractFileName(a).substr(0, 3), "FID");
    EXPECT_TRUE(FileExists(a));
    EXPECT_EQ(FileSizeOf(a), 0);
    EXPECT_EQ(TempFileName(dir / "absent", "FID"), "");
    const std::string sys = TempFileName("", "FID");
    ASSERT_FALSE(sys.empty());
    EXPECT_TRUE(DeleteFile(sys));
}

TEST(Paths, ProgramPathIsThisExecutable) {
    const std::string self = ProgramPath();
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(self, RealPath("/proc/self/exe"));
    EXPECT_TRUE(FileExists(self));
    EXPECT_EQ(ProgramDir(), ExtractFilePath(self));
    EXPECT_EQ(ProgramDir().back(), '/');
}

TEST(Paths, Pieces) {
    EXPECT_EQ(ExtractFileName("/a/b.c/name.html"), "name.html");
    EXPECT_EQ(ExtractFileName("plain"), "plain");
    EXPECT_EQ(ExtractFilePath("/a/b.c/name.html"), "/a/b.c/");
    EXPECT_EQ(ExtractFilePath("plain"), "");
    EXPECT_EQ(ExtractFileDir("/a/b/name"), "/a/b");
    EXPECT_EQ(ExtractFileDir("/name"), "/");
    EXPECT_EQ(ExtractFileDir("name"), "");
    EXPECT_EQ(ExtractFileExt("/a/b.c/name.HTML"), ".HTML");
    EXPECT_EQ(ExtractFileExt("/a/b.c/name"), "");
    EXPECT_EQ(ExtractFileExt("archive.tar.gz"), ".gz");
    EXPECT_EQ(ChangeFileExt("/x/FolioBuilder.exe", ".ini"), "/x/FolioBuilder.ini");
    EXPECT_EQ(ChangeFileExt("/x.d/foliobuilder", ".ini"), "/x.d/foliobuilder.ini");
    EXPECT_EQ(ChangeFileExt("book.exe", ".002"), "book.002");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/src"), "/src/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/"), "/");
}

TEST(Paths, ExistenceRenameAndDelete) {
    folio_test::TempDir dir;
    WriteFile(dir / "f", "1");
    WriteFile(dir / "g", "2");
    EXPECT_TRUE(FileExists(dir / "f"));
    EXPECT_FALSE(FileExists(dir.Path()));
    EXPECT_TRUE(DirectoryExists(dir.Path()));
    EXPECT_FALSE(DirectoryExists(dir / "f"));
    EXPECT_EQ(FileSizeOf(dir / "f"), 1);
    EXPECT_EQ(FileSizeOf(dir / "none"), -1);
    EXPECT_FALSE(RenameFile(dir / "f", dir / "g")); // never replaces
    EXPECT_EQ(ReadFile(dir / "g"), "2");
    EXPECT_TRUE(RenameFile(dir / "f", dir / "h"));
    EXPECT_EQ(ReadFile(dir / "h"), "1");
    EXPECT_TRUE(DeleteFile(dir / "h"));
    EXPECT_FALSE(DeleteFile(dir / "h"));
    EXPECT_FALSE(DeleteFile(dir.Path()));
    EXPECT_EQ(RealPath(dir / "none"), "");
}
