// Turning specifications into the files to pack.
#include <sys/stat.h>

#include <algorithm>

#include "archive/file_pattern.h"
#include "archive_test_util.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

std::vector<std::string> Names(TFileSpecExpander& e) {
    std::vector<std::string> v;
    for (const auto& f : e.Files())
        v.push_back(f.Name);
    std::sort(v.begin(), v.end());
    return v;
}

TEST(FileSpec, WildcardsMatchIgnoringCase) {
    EXPECT_TRUE(MatchFileSpec("*.html", "Index.HTML"));
    EXPECT_TRUE(MatchFileSpec("*.*", "README"));
    EXPECT_TRUE(MatchFileSpec("page?.htm", "page1.htm"));
    EXPECT_FALSE(MatchFileSpec("page?.htm", "page12.htm"));
    EXPECT_FALSE(MatchFileSpec("*.html", "index.htm"));
    EXPECT_TRUE(MatchFileSpec("a*b*c", "aXXbYYc"));
    EXPECT_FALSE(MatchFileSpec("a*b*c", "aXXbYY"));
}

TEST(FileSpec, ExpandFileNameMakesAbsolutePaths) {
    EXPECT_EQ(ExpandFileName("/a/./b/../c"), "/a/c");
    EXPECT_EQ(ExpandFileName("//name"), "//name"); // a source directory of "/"
    char buf[4096];
    ASSERT_NE(getcwd(buf, sizeof buf), nullptr);
    EXPECT_EQ(ExpandFileName("x.html"), std::string(buf) + "/x.html");
}

TEST(FileSpec, RecursionOnlyByTrailingSwitch) {
    TempDir dir;
    // A folder whose path holds "/s" must not read as a recursion request.
    ASSERT_EQ(::mkdir((dir / "site").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir / "site/sub").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir / "site/.hidden").c_str(), 0755), 0);
    WriteFile(dir / "site/a.html", "a");
    WriteFile(dir / "site/sub/b.html", "b");
    WriteFile(dir / "site/sub/c.gif", "c");
    WriteFile(dir / "site/.hidden/d.html", "d");
    {
        TFileSpecExpander e({});
        e.Expand(dir / "site/*.html");
        EXPECT_EQ(Names(e), std::vector<std::string>{LowerAscii(dir / "site/a.html")});
    }
    {
        TFileSpecExpander e({});
        e.Expand(dir / "site/*.* /S");
        EXPECT_EQ(Names(e), (std::vector<std::string>{LowerAscii(dir / "site/.hidden/d.html"),
                                                      LowerAscii(dir / "site/a.html"),
                                                      LowerAscii(dir / "site/sub/b.html"),
                                                      LowerAscii(dir / "site/sub/c.gif")}));
    }
}

TEST(FileSpec, ArchiveItselfAndNonRegularFilesAreLeftOut) {
    TempDir dir;
    WriteFile(dir / "a", "a");
    WriteFile(dir / "Out.arc", "old");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
    TExpandOptions o;
    o.ArchiveLower = LowerAscii(dir / "out.arc");
    TFileSpecExpander e(o);
    e.Expand(dir / "*");
    EXPECT_EQ(Names(e), std::vector<std::string>{LowerAscii(dir / "a")});
}

TEST(FileSpec, PathsKeepTheirCapitalsForOpeningAndNamesAreLowerCased) {
    TempDir dir;
    WriteFile(dir / "MiXed.Html", "m");
    TFileSpecExpander e({});
    e.Expand("  " + dir / "MIXED.HTML" + "  ");
    ASSERT_EQ(e.Files().size(), 1u);
    EXPECT_EQ(e.Files()[0].Path, dir / "MiXed.Html");
    EXPECT_EQ(e.Files()[0].Name, LowerAscii(dir / "mixed.html"));
}

TEST(FileSpec, NothingMatchedAddsNothing) {
    TempDir dir;
    TFileSpecExpander e({});
    e.Expand(dir / "*.none");
    e.Expand(dir / "missing/x.html");
    e.Expand("");
    EXPECT_TRUE(e.Files().empty());
}

} // namespace
