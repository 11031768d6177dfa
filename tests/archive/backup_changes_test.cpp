// Files that change between the list's expansion (where their size is taken) and their
// packing: the archive stays readable, each changed file is named, and the others are not.
// The change is made from the first progress event, which fires after the expansion and
// before any file is read, so it lands at the same point on any number of threads.
#include <sys/stat.h>
#include <unistd.h>

#include "archive/archive_reader.h"
#include "archive_test_util.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

struct TChangeCase {
    const char* name;
    size_t size;     // the file when the list is expanded
    long truncateTo; // then cut to this size (-1: not cut)
    size_t appended; // then this many bytes added
    size_t packed;   // bytes the member holds
    bool changed;    // named in ChangedFiles
};

const TChangeCase kCases[] = {
    {"shrinks inside its one block", 9000, 4000, 0, 4000, true},
    {"shrinks to a block boundary", 3 * 16384 + 10, 2 * 16384, 0, 2 * 16384, true},
    {"shrinks to nothing", 20000, 0, 0, 0, true},
    {"grows past its one block", 9000, -1, 30000, 9000, true},
    {"grows by one byte at a block boundary", 2 * 16384, -1, 1, 2 * 16384, true},
    {"rewritten longer", 5000, 0, 7000, 5000, true},
    {"unchanged, exactly one block", 16384, -1, 0, 16384, false},
    {"unchanged, empty", 0, -1, 0, 0, false},
};

TEST(BackupChangedFiles, ArchiveStaysReadableAndEveryChangedFileIsNamed) {
    for (int threads : {1, 0}) {
        TempDir dir;
        std::vector<std::string> paths;
        std::vector<std::string> contents;
        for (size_t i = 0; i < std::size(kCases); ++i) {
            paths.push_back(dir / ("f" + std::to_string(i) + ".html"));
            contents.push_back(TextBytes(kCases[i].size, uint32_t(i + 1)));
            WriteFile(paths.back(), contents.back());
        }
        TBackupFile b;
        b.MaxThreads = threads;
        b.OnProgress = [&](TObject*, const std::string&, TPercentage p, bool&) {
            if (p != 0)
                return;
            for (size_t i = 0; i < std::size(kCases); ++i) {
                const TChangeCase& c = kCases[i];
                if (c.truncateTo >= 0) {
                    ASSERT_EQ(::truncate(paths[i].c_str(), c.truncateTo), 0);
                }
                if (c.appended > 0) {
                    const std::string more = TextBytes(c.appended, 77);
                    FILE* f = std::fopen(paths[i].c_str(), "ab");
                    ASSERT_NE(f, nullptr);
                    std::fwrite(more.data(), 1, more.size(), f);
                    std::fclose(f);
                }
            }
        };
        TMemoryStream out;
        ASSERT_TRUE(b.BackupToStream(ListOf(paths), &out)) << "threads " << threads;
        EXPECT_EQ(b.ErrorCode(), 0);

        TArchiveReader r(out);
        ASSERT_EQ(r.Count(), int(std::size(kCases)));
        std::vector<std::string> changed;
        for (size_t i = 0; i < std::size(kCases); ++i) {
            const TChangeCase& c = kCases[i];
            SCOPED_TRACE(std::string(c.name) + ", threads " + std::to_string(threads));
            const std::string now = folio_test::ReadFile(paths[i]);
            EXPECT_EQ(r.ExtractToString(int(i)), now.substr(0, c.packed));
            // Every block but the last is full, as the format wants.
            const auto& blocks = r.Member(int(i)).Blocks;
            EXPECT_EQ(blocks.size(), (c.packed + 16383) / 16384);
            if (c.changed)
                changed.push_back(paths[i]);
        }
        EXPECT_EQ(b.ChangedFiles(), changed) << "threads " << threads;
    }
}

TEST(BackupChangedFiles, AFileThatVanishesBeforeItIsPackedLeavesNoRecordAndNoError) {
    TempDir dir;
    WriteFile(dir / "a.html", "a");
    WriteFile(dir / "b.html", "b");
    TBackupFile b;
    b.OnProgress = [&](TObject*, const std::string&, TPercentage p, bool&) {
        if (p == 0)
            ::unlink((dir / "a.html").c_str());
    };
    TMemoryStream out;
    ASSERT_TRUE(b.BackupToStream(ListOf({dir / "a.html", dir / "b.html"}), &out));
    const TWalkedArchive w = WalkArchive(out.DataString());
    EXPECT_EQ(w.fileCount, 2); // counted when the list was made
    ASSERT_EQ(w.members.size(), 1u);
    EXPECT_EQ(w.members[0].name, LowerAscii(dir / "b.html"));
    EXPECT_TRUE(b.ChangedFiles().empty());
}

TEST(BackupChangedFiles, ANewRunStartsWithNoChangedFiles) {
    TempDir dir;
    WriteFile(dir / "a.html", TextBytes(5000, 1));
    TBackupFile b;
    b.OnProgress = [&](TObject*, const std::string&, TPercentage p, bool&) {
        if (p == 0)
            ::truncate((dir / "a.html").c_str(), 10);
    };
    TMemoryStream first;
    ASSERT_TRUE(b.BackupToStream(ListOf({dir / "a.html"}), &first));
    ASSERT_EQ(b.ChangedFiles().size(), 1u);
    b.OnProgress = nullptr;
    TMemoryStream second;
    ASSERT_TRUE(b.BackupToStream(ListOf({dir / "a.html"}), &second));
    EXPECT_TRUE(b.ChangedFiles().empty());
}

TEST(BackupChangedFiles, TheTargetIsKnownByItsIdentityUnderAnyName) {
    // A hard link gives the target a second name that no path resolution can tie to it.
    TempDir dir;
    WriteFile(dir / "page.html", "<p>x</p>");
    WriteFile(dir / "book", "TEMPLATE");
    ASSERT_EQ(::link((dir / "book").c_str(), (dir / "book.html").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "book").c_str(), (dir / "link.html").c_str()), 0);
    TFileStream target(dir / "book", fmOpenReadWrite);
    target.Seek(0, soEnd);
    TBackupFile b;
    ASSERT_TRUE(b.BackupToStream(ListOf({dir / "page.html", dir / "book.html", dir / "link.html"}),
                                 &target));
    EXPECT_EQ(b.FileCount(), 1);
}

} // namespace
