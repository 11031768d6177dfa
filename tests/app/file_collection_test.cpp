#include "app/file_collection.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/base/files.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

TEST(PackableFiles, AcceptsTheTwelveExtensionsIgnoringCase) {
    for (const char* name :
         {"a.htm", "a.HTM", "b.html", "c.txt", "d.Css", "e.bmp", "f.GIF", "g.jpg", "g.JPEG",
          "p.png", "h.wav", "i.mid", "b.Mp3", "/dir.x/page.html"}) {
        EXPECT_TRUE(IsPackableFile(name)) << name;
    }
}

TEST(PackableFiles, RefusesEverythingElse) {
    for (const char* name : {"c.jpe", "d.htm.bak", "noextension", "x.js", "y.png.bak", "z.ico",
                             "html", "page.", "dir.html/readme"}) {
        EXPECT_FALSE(IsPackableFile(name)) << name;
    }
}

// The expected walk, built from the order in which the file system lists each directory.
void ExpectedWalk(const std::string& dir, std::vector<std::string>& out) {
    for (const TSearchRec& e : FindFiles(dir, faArchive | faDirectory)) {
        if (e.Name == "." || e.Name == "..") {
            continue;
        }
        if (e.Attr == faDirectory) {
            ExpectedWalk(dir + "/" + e.Name, out);
        } else if (IsPackableFile(e.Name)) {
            out.push_back(dir + "/" + e.Name);
        }
    }
}

TEST(CollectFiles, WalksDepthFirstListingSubdirectoriesWhereTheyAreMet) {
    TempDir tmp;
    for (const char* f : {"a.html", "b.gif", "m.txt", "z.css", "sub/one.htm", "sub/two.jpg",
                          "sub/deeper/three.wav", "other/four.mid", "skip.js"}) {
        WriteFile(tmp.Sub(f), f);
    }
    TStringList files;
    CollectFiles(tmp.Path(), files);
    std::vector<std::string> expected;
    ExpectedWalk(tmp.Path(), expected);
    ASSERT_EQ(files.Count(), 8);
    ASSERT_EQ(static_cast<int>(expected.size()), files.Count());
    for (int i = 0; i < files.Count(); ++i) {
        EXPECT_EQ(files[i], expected[i]);
    }
    // A subdirectory's files stay together, inner ones inside them.
    int firstSub = -1;
    int lastSub = -1;
    for (int i = 0; i < files.Count(); ++i) {
        if (files[i].find("/sub/") != std::string::npos) {
            firstSub = firstSub < 0 ? i : firstSub;
            lastSub = i;
        }
    }
    EXPECT_EQ(lastSub - firstSub, 2);
}

TEST(CollectFiles, JoinsWithOneSeparatorSoATrailingOneDoubles) {
    TempDir tmp;
    WriteFile(tmp.Sub("page.html"), "x");
    TStringList files;
    CollectFiles(tmp.Path() + "/", files);
    ASSERT_EQ(files.Count(), 1);
    EXPECT_EQ(files[0], tmp.Path() + "//page.html");
}

TEST(CollectFiles, SkipsHiddenEntriesAndNeverFollowsDirectoryLinks) {
    TempDir tmp;
    WriteFile(tmp.Sub(".hidden.html"), "x");
    WriteFile(tmp.Sub(".git/inside.html"), "x");
    WriteFile(tmp.Sub("real/page.html"), "x");
    ASSERT_EQ(::symlink((tmp.Path() + "/real").c_str(), (tmp.Path() + "/loop").c_str()), 0);
    ASSERT_EQ(::symlink(tmp.Path().c_str(), (tmp.Path() + "/real/up").c_str()), 0);
    TStringList files;
    CollectFiles(tmp.Path(), files);
    ASSERT_EQ(files.Count(), 1);
    EXPECT_EQ(files[0], tmp.Path() + "/real/page.html");
}

TEST(CollectFiles, ListsByNameAloneAndLeavesWhatAnEntryIsToThePacker) {
    // The walk asks nothing of a file; only directories are told apart (without following
    // links), so a folder named like a page is walked and a pipe named like one is listed.
    TempDir tmp;
    WriteFile(tmp.Sub("target.txt"), "t");
    WriteFile(tmp.Sub("folder.html/inner.htm"), "i");
    ASSERT_EQ(::symlink((tmp.Path() + "/target.txt").c_str(), (tmp.Path() + "/link.html").c_str()),
              0);
    ASSERT_EQ(::mkfifo((tmp.Path() + "/pipe.html").c_str(), 0644), 0);
    TStringList files;
    CollectFiles(tmp.Path(), files);
    std::vector<std::string> got;
    for (int i = 0; i < files.Count(); ++i) {
        got.push_back(files[i]);
    }
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::string>{tmp.Path() + "/folder.html/inner.htm",
                                             tmp.Path() + "/link.html", tmp.Path() + "/pipe.html",
                                             tmp.Path() + "/target.txt"}));
}

TEST(CollectFiles, AnUnreadableDirectoryAddsNothing) {
    TStringList files;
    files.Add("/kept");
    CollectFiles("/no/such/directory/here", files);
    ASSERT_EQ(files.Count(), 1);
    EXPECT_EQ(files[0], "/kept");
}

} // namespace
