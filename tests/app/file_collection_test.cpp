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

void Link(const std::string& target, const std::string& link) {
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0) << link;
}

std::vector<std::string> Sorted(const TStringList& files) {
    std::vector<std::string> got;
    for (int i = 0; i < files.Count(); ++i) {
        got.push_back(files[i]);
    }
    std::sort(got.begin(), got.end());
    return got;
}

// Only regular files go into a book; everything else the walk meets under a page's name is
// named with why it was left out, and files that links bring in from elsewhere are named with
// where they lie. A folder named like a page is still walked.
TEST(CollectFiles, SkipsSpecialEntriesAndNamesThemAndWhatLinksBringFromOutside) {
    TempDir tmp;
    TempDir elsewhere;
    const std::string site = tmp.Path();
    WriteFile(site + "/target.txt", "t");
    WriteFile(site + "/folder.html/inner.htm", "i");
    WriteFile(elsewhere.Sub("private.txt"), "secret");
    Link(site + "/target.txt", site + "/link.html");     // inside: taken without a word
    Link(elsewhere.Sub("private.txt"), site + "/p.txt"); // outside: taken and named
    ASSERT_EQ(::mkfifo((site + "/pipe.html").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((site + "/pipe.js").c_str(), 0644), 0); // not a page: nothing to say
    Link("/dev/null", site + "/device.gif");
    Link(site + "/gone.html", site + "/dangling.html");
    Link(site + "/self.html", site + "/self.html");
    Link(elsewhere.Path(), site + "/pictures");
    Link("/proc/self/environ", site + "/environ.txt");

    TStringList files;
    TCollectionNotes notes;
    CollectFiles(site, files, &notes);
    EXPECT_EQ(Sorted(files),
              (std::vector<std::string>{site + "/folder.html/inner.htm", site + "/link.html",
                                        site + "/p.txt", site + "/target.txt"}));
    std::vector<std::string> skipped;
    for (const auto& note : notes.Skipped) {
        skipped.push_back(note.Path + " | " + note.Detail);
    }
    std::sort(skipped.begin(), skipped.end());
    EXPECT_EQ(skipped, (std::vector<std::string>{
                           site + "/dangling.html | a dangling link",
                           site + "/device.gif | a link to a device",
                           site + "/environ.txt | a link to a file of the system, " +
                               RealPath("/proc/self/environ"),
                           site + "/pictures | a link to a folder, which is never walked",
                           site + "/pipe.html | a named pipe",
                           site + "/self.html | a link that leads back to itself",
                       }));
    ASSERT_EQ(notes.Outside.size(), 1u);
    EXPECT_EQ(notes.Outside[0].Path, site + "/p.txt");
    EXPECT_EQ(notes.Outside[0].Detail, RealPath(elsewhere.Sub("private.txt")));

    // The same walk without notes takes the same files.
    TStringList plain;
    CollectFiles(site, plain);
    EXPECT_EQ(Sorted(plain), Sorted(files));
}

TEST(CollectFiles, TheSummaryShowsTheFirstEntriesOfEachKindAndCountsTheRest) {
    TCollectionNotes notes;
    EXPECT_TRUE(CollectionSummary(notes, 3).empty());
    for (int i = 0; i < 5; ++i) {
        notes.Skipped.push_back({"/s/pipe" + std::to_string(i) + ".html", "a named pipe"});
    }
    notes.Outside.push_back({"/s/p\\x.txt", "/etc/pass\x1b"
                                            "wd"});
    const std::string text = CollectionSummary(notes, 2, " (--verbose lists them all)");
    EXPECT_EQ(text,
              "5 entries were skipped: a book takes regular files only, and never follows a link "
              "to a folder:\n"
              "  /s/pipe0.html: a named pipe\n"
              "  /s/pipe1.html: a named pipe\n"
              "  and 3 more (--verbose lists them all)\n"
              "1 file comes from outside the chosen folder through a link, and goes into the "
              "book:\n"
              "  /s/p\\\\x.txt -> /etc/pass\\x1bwd");
    EXPECT_EQ(CollectionSummary(notes, 10).find("\n  and "), std::string::npos);
}

TEST(CollectFiles, AnUnreadableDirectoryAddsNothing) {
    TStringList files;
    files.Add("/kept");
    CollectFiles("/no/such/directory/here", files);
    ASSERT_EQ(files.Count(), 1);
    EXPECT_EQ(files[0], "/kept");
}

} // namespace
