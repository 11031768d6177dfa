// A run's behaviour: progress and stopping, errors and their reports, incremental mode,
// volumes, the file-identity list, and files that change while they are packed.
#include <sys/stat.h>

#include "archive/archive_reader.h"
#include "archive_test_util.h"
#include "platform/base/strings.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::ReadFile;
using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

struct TProgressLog {
    std::vector<std::pair<std::string, int>> calls;
    TProgressEvent Handler(int stopAfter = -1) {
        return [this, stopAfter](TObject*, const std::string& name, TPercentage p, bool& cont) {
            calls.push_back({name, p});
            if (stopAfter >= 0 && int(calls.size()) > stopAfter)
                cont = false;
        };
    }
};

TEST(BackupProgress, StartsAtZeroEndsAtHundredAndReportsEveryBlock) {
    TempDir dir;
    WriteFile(dir / "a", TextBytes(16384 * 2 + 5, 1)); // 3 blocks
    WriteFile(dir / "b", TextBytes(100, 2));           // 1 block
    TBackupFile b;
    TProgressLog log;
    b.OnProgress = log.Handler();
    int pumped = 0;
    b.ProcessMessages = [&] { ++pumped; };
    ASSERT_TRUE(PackToMemory(b, {dir / "a", dir / "b"}).size() > 0);
    ASSERT_EQ(log.calls.size(), 6u);
    EXPECT_EQ(log.calls.front(), std::make_pair(std::string(), 0));
    EXPECT_EQ(log.calls.back(), std::make_pair(std::string(), 100));
    EXPECT_EQ(log.calls[1].first, LowerAscii(dir / "a"));
    EXPECT_EQ(log.calls[4].first, LowerAscii(dir / "b"));
    const int64_t total = 16384 * 2 + 5 + 100;
    EXPECT_EQ(log.calls[1].second, int(16384 * 100 / total));
    EXPECT_EQ(log.calls[2].second, int(2 * 16384 * 100 / total));
    EXPECT_EQ(log.calls[4].second, 100);
    EXPECT_EQ(pumped, 4);
    EXPECT_FALSE(b.Busy());
}

TEST(BackupProgress, ClearingContinueStopsWithoutEndMarkerOrError) {
    TempDir dir;
    WriteFile(dir / "a", TextBytes(16384 * 3, 1));
    WriteFile(dir / "b", TextBytes(100, 2));
    TBackupFile b;
    TProgressLog log;
    b.OnProgress = log.Handler(1); // stop at the first block
    int errors = 0;
    b.OnError = [&](TObject*, int32_t, const std::string&) { ++errors; };
    bool ok = true;
    const std::string a = PackToMemory(b, {dir / "a", dir / "b"}, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(b.ErrorCode(), 0);
    // The stop came after the first block: its section is closed, nothing else follows.
    const size_t marker = a.find(std::string("EC2\0", 4));
    ASSERT_NE(marker, std::string::npos);
    const int32_t n = Int32At(a, marker + 4);
    EXPECT_EQ(a.size(), marker + 8 + size_t(n) + 4);
    EXPECT_EQ(Int32At(a, a.size() - 4), 0);
    TMemoryStream s;
    s.WriteString(a);
    EXPECT_THROW(TArchiveReader r(s), EArchiveError); // no end marker
    // The final progress call still comes.
    EXPECT_EQ(log.calls.back().second, 100);
}

TEST(BackupProgress, StopFromProcessMessagesHook) {
    TempDir dir;
    WriteFile(dir / "a", TextBytes(16384 * 4, 1));
    TBackupFile b;
    int blocks = 0;
    b.ProcessMessages = [&] {
        if (++blocks == 2)
            b.SetContinue(false); // a Stop button pressed while messages are processed
    };
    bool ok = true;
    PackToMemory(b, {dir / "a"}, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(blocks, 2);
}

TEST(BackupErrors, UnreadableFileGivesCode1ThroughOnError) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    TempDir dir;
    WriteFile(dir / "locked", "secret");
    ::chmod((dir / "locked").c_str(), 0);
    TBackupFile b;
    std::vector<std::pair<int, std::string>> errors;
    b.OnError = [&](TObject* sender, int32_t code, const std::string& text) {
        EXPECT_EQ(sender, &b);
        errors.push_back({code, text});
    };
    bool ok = true;
    PackToMemory(b, {dir / "locked"}, &ok);
    EXPECT_FALSE(ok);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], std::make_pair(1, std::string("Cannot read file")));
    EXPECT_EQ(b.ErrorCode(), 1);
}

TEST(BackupErrors, MissingFileAddsNothingAndReportsNothing) {
    TempDir dir;
    WriteFile(dir / "here", "x");
    TBackupFile b;
    int errors = 0;
    b.OnError = [&](TObject*, int32_t, const std::string&) { ++errors; };
    bool ok = false;
    const auto w = WalkArchive(PackToMemory(b, {dir / "gone", dir / "here"}, &ok));
    EXPECT_TRUE(ok);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(w.members.size(), 1u);
}

TEST(BackupErrors, ArchiveThatCannotBeCreatedGivesCode4AndTheErrorBoxWithoutOnError) {
    TempDir dir;
    WriteFile(dir / "a", "x");
    TBackupFile b;
    std::vector<std::string> boxes;
    b.ShowErrorBox = [&](const std::string& text) { boxes.push_back(text); };
    EXPECT_FALSE(b.Backup(ListOf({dir / "a"}), dir / "no/such/dir/out.arc"));
    EXPECT_EQ(b.ErrorCode(), 4);
    EXPECT_EQ(boxes, std::vector<std::string>{"Cannot write to archive"});
}

// A stream that accepts a fixed number of bytes and then fails.
class TFailingStream : public TMemoryStream {
public:
    explicit TFailingStream(int64_t room) : room_(room) {}
    int64_t Write(const void* buffer, int64_t count) override {
        if (Size() + count > room_)
            return 0;
        return TMemoryStream::Write(buffer, count);
    }

private:
    int64_t room_;
};

TEST(BackupErrors, FailingWritesGiveCode4WhereverTheyHappen) {
    TempDir dir;
    WriteFile(dir / "a", RandomBytes(40000, 1));
    TBackupFile probe;
    probe.CompressionLevel = clNone;
    const size_t full = PackToMemory(probe, {dir / "a"}).size();
    // Every cut point: header, name, date, marker, blocks, section end, end marker.
    for (size_t room = 0; room < full; room += (room < 200 ? 1 : 997)) {
        TBackupFile b;
        b.CompressionLevel = clNone;
        std::vector<int> codes;
        b.OnError = [&](TObject*, int32_t code, const std::string&) { codes.push_back(code); };
        TFailingStream out{int64_t(room)};
        EXPECT_FALSE(b.BackupToStream(ListOf({dir / "a"}), &out)) << room;
        ASSERT_EQ(codes.size(), 1u) << room;
        EXPECT_EQ(codes[0], 4) << room;
        EXPECT_FALSE(b.Busy());
    }
    TBackupFile b;
    TFailingStream out(int64_t(full - 1)); // everything but the end marker's last byte
    EXPECT_FALSE(b.BackupToStream(ListOf({dir / "a"}), &out));
    EXPECT_EQ(b.ErrorCode(), 4);
}

TEST(BackupErrors, WriteRefusedAtTheDateGivesCode4LikeAnyOtherWrite) {
    // Writes are buffered, so a refusal is seen when the buffer is handed on, and is what it
    // is wherever it falls: the archive cannot be written (the file was read fine).
    TempDir dir;
    WriteFile(dir / "a", "x");
    const std::string name = LowerAscii(dir / "a");
    TBackupFile b;
    TFailingStream out{int64_t(12 + 4 + name.size())}; // header and name fit, the date not
    EXPECT_FALSE(b.BackupToStream(ListOf({dir / "a"}), &out));
    EXPECT_EQ(b.ErrorCode(), 4);
}

TEST(BackupErrors, FileIDListWithoutTemporaryFolderGivesCode7) {
    TempDir dir;
    WriteFile(dir / "a", "x");
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    setenv("TMPDIR", (dir / "missing").c_str(), 1);
    TBackupFile b;
    b.SaveFileID = true;
    int code = 0;
    b.OnError = [&](TObject*, int32_t c, const std::string&) { code = c; };
    bool ok = true;
    PackToMemory(b, {dir / "a"}, &ok);
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
    EXPECT_FALSE(ok);
    EXPECT_EQ(code, 7);
}

TEST(BackupFileIDs, ListIsTheFirstMemberAndCountedInTotalNotInCount) {
    TempDir dir;
    TempDir temp;
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    setenv("TMPDIR", temp.Path().c_str(), 1);
    WriteFile(dir / "a.html", "<p>a</p>");
    WriteFile(dir / "b.gif", "GIF89a");
    TBackupFile b;
    b.SaveFileID = true;
    TMemoryStream out;
    ASSERT_TRUE(b.BackupToStream(ListOf({dir / "a.html", dir / "b.gif"}), &out));
    TArchiveReader r(out);
    ASSERT_EQ(r.Count(), 3);
    EXPECT_EQ(r.Member(0).Name, "FILE:LIST");
    EXPECT_EQ(r.HeaderFileCount(), 2);
    const std::string a = LowerAscii(dir / "a.html"), g = LowerAscii(dir / "b.gif");
    const std::string expected = a + "\t" + IntToStr(FileAge(dir / "a.html")) + "=8\r\n" + g +
                                 "\t" + IntToStr(FileAge(dir / "b.gif")) + "=6\r\n";
    EXPECT_EQ(r.ExtractToString(0), expected);
    EXPECT_EQ(r.HeaderTotalSize(), int32_t(14 + expected.size()));
    EXPECT_EQ(r.ExtractToString(2), "GIF89a");
    // The temporary list was made in the temporary folder and is gone again.
    int left = 0;
    for (const auto& rec : FindFiles(temp.Path(), faAnyFile))
        left += rec.Name != "." && rec.Name != "..";
    EXPECT_EQ(left, 0);
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

TEST(BackupIncremental, SettingItAlsoSetsTheArchiveFlagOption) {
    TBackupFile b;
    EXPECT_FALSE(b.SetArchiveFlag);
    b.SetBackupMode(bmIncremental);
    EXPECT_TRUE(b.SetArchiveFlag);
    b.SetArchiveFlag = false;
    b.SetBackupMode(bmIncremental); // no change, no side effect
    EXPECT_FALSE(b.SetArchiveFlag);
}

TEST(BackupIncremental, PacksOnlyMarkedFilesAndClearsTheMark) {
    TempDir dir;
    WriteFile(dir / "old", "old");
    WriteFile(dir / "new", "new");
    if (!(FileGetAttr(dir / "old") & faArchive))
        GTEST_SKIP() << "new files carry no archive attribute here";
    FileSetAttr(dir / "old", FileGetAttr(dir / "old") & ~faArchive);
    if (FileGetAttr(dir / "old") & faArchive)
        GTEST_SKIP() << "the file system cannot keep the archive attribute";
    TBackupFile b;
    b.SetBackupMode(bmIncremental);
    const auto w = WalkArchive(PackToMemory(b, {dir / "old", dir / "new"}));
    ASSERT_EQ(w.members.size(), 1u);
    EXPECT_EQ(w.members[0].name, LowerAscii(dir / "new"));
    EXPECT_FALSE(FileGetAttr(dir / "new") & faArchive);
    // A second incremental run finds nothing to pack.
    EXPECT_TRUE(WalkArchive(PackToMemory(b, {dir / "old", dir / "new"})).members.empty());
}

TEST(BackupIncremental, StoppedRunKeepsTheMarks) {
    TempDir dir;
    WriteFile(dir / "a", "a");
    WriteFile(dir / "b", TextBytes(20000, 1));
    if (!(FileGetAttr(dir / "a") & faArchive))
        GTEST_SKIP() << "new files carry no archive attribute here";
    TBackupFile b;
    b.SetBackupMode(bmIncremental);
    TProgressLog log;
    b.OnProgress = log.Handler(2); // stop during "b", after "a" was packed whole
    bool ok = true;
    PackToMemory(b, {dir / "a", dir / "b"}, &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(FileGetAttr(dir / "a") & faArchive);
    EXPECT_TRUE(FileGetAttr(dir / "b") & faArchive);
}

std::string VolumeName(const std::string& first, int v) {
    return ChangeFileExt(first, "." + IntToStr(1000 + v).substr(1));
}

// Joins volume files the way a reader that follows NEXT:DISK records would see them.
std::string JoinVolumes(const std::string& first, int count) {
    std::string all;
    for (int v = 1; v <= count; ++v) {
        std::string part = ReadFile(v == 1 ? first : VolumeName(first, v));
        if (v < count) {
            const std::string next = std::string("\x0c\0\0\0NEXT:DISK", 13);
            EXPECT_EQ(part.substr(part.size() - 16, 13), next);
            part.resize(part.size() - 16);
        }
        all += part;
    }
    return all;
}

TEST(BackupVolumes, FullVolumeContinuesInTheNextFile) {
    TempDir dir;
    const std::string data = RandomBytes(5 * 16384 + 77, 2);
    WriteFile(dir / "a", data);
    WriteFile(dir / "b", "after");
    TBackupFile b;
    b.MaxSize = 40000;
    std::vector<int> disks;
    b.OnNeedDisk = [&](TObject*, uint16_t id, bool& cont) {
        disks.push_back(id);
        EXPECT_TRUE(cont);
    };
    const std::string arc = dir / "book.exe";
    ASSERT_TRUE(b.Backup(ListOf({dir / "a", dir / "b"}), arc));
    ASSERT_GE(disks.size(), 2u);
    for (size_t i = 0; i < disks.size(); ++i)
        EXPECT_EQ(disks[i], int(i) + 2);
    for (size_t i = 0; i < disks.size(); ++i) {
        const int64_t size = FileSizeOf(VolumeName(arc, disks[i]));
        EXPECT_GT(size, 0);
        EXPECT_LE(size, 40000);
    }
    EXPECT_LE(FileSizeOf(arc), 40000);
    const std::string joined = JoinVolumes(arc, int(disks.size()) + 1);
    TMemoryStream s;
    s.WriteString(joined);
    TArchiveReader r(s);
    ASSERT_EQ(r.Count(), 2);
    EXPECT_EQ(r.ExtractToString(0), data);
    EXPECT_EQ(r.ExtractToString(1), "after");
    // The reader refuses a lone first volume with a clear message.
    TMemoryStream first;
    first.WriteString(ReadFile(arc));
    EXPECT_THROW(TArchiveReader lone(first), EArchiveError);
}

TEST(BackupVolumes, TinyMaxSizeStillProgresses) {
    TempDir dir;
    WriteFile(dir / "a", TextBytes(3 * 16384, 3));
    TBackupFile b;
    b.MaxSize = 10;
    int asked = 0;
    b.OnNeedDisk = [&](TObject*, uint16_t, bool& cont) { cont = ++asked < 100; };
    EXPECT_TRUE(b.Backup(ListOf({dir / "a"}), dir / "tiny.arc"));
    EXPECT_EQ(asked, 2); // one volume per block: each takes at least one block
}

TEST(BackupVolumes, CancelledDiskStopsWithoutError) {
    TempDir dir;
    WriteFile(dir / "a", RandomBytes(4 * 16384, 4));
    TBackupFile b;
    b.MaxSize = 20000;
    std::vector<std::string> asked;
    b.AskForDisk = [&](const std::string& text) {
        asked.push_back(text);
        return false;
    };
    int errors = 0;
    b.OnError = [&](TObject*, int32_t, const std::string&) { ++errors; };
    EXPECT_FALSE(b.Backup(ListOf({dir / "a"}), dir / "c.arc"));
    EXPECT_EQ(asked, std::vector<std::string>{"Please insert disk 2 and click OK to continue."});
    EXPECT_EQ(errors, 0);
    EXPECT_FALSE(FileExists(dir / "c.002"));
}

TEST(BackupVolumes, StreamsNeverSplit) {
    TempDir dir;
    WriteFile(dir / "a", RandomBytes(4 * 16384, 5));
    TBackupFile b;
    b.MaxSize = 20000;
    TMemoryStream out;
    ASSERT_TRUE(b.BackupToStream(ListOf({dir / "a"}), &out));
    EXPECT_EQ(b.MaxSize, 0);
    EXPECT_EQ(WalkArchive(out.DataString()).members[0].sections, 1);
}

TEST(BackupChanges, FileThatShrinksEndsItsSection) {
    TempDir dir;
    const std::string path = dir / "shrinks";
    const std::string data = TextBytes(50000, 6);
    WriteFile(path, data);
    TBackupFile b;
    b.MaxThreads = 1; // the shrink must land before the next block is read
    int calls = 0;
    b.OnProgress = [&](TObject*, const std::string&, TPercentage, bool&) {
        if (++calls == 2)
            ::truncate(path.c_str(), 20000); // after the first block
    };
    TMemoryStream out;
    ASSERT_TRUE(b.BackupToStream(ListOf({path}), &out));
    TArchiveReader r(out);
    ASSERT_EQ(r.Count(), 1);
    EXPECT_EQ(r.ExtractToString(0), data.substr(0, 20000));
    EXPECT_EQ(r.Member(0).Blocks.size(), 2u); // 16384 + the 3616 that were left
    EXPECT_EQ(b.ChangedFiles(), std::vector<std::string>{path});
}

TEST(BackupChanges, TargetFileIsNeverPackedIntoItself) {
    TempDir dir;
    WriteFile(dir / "page.html", "<p>x</p>");
    WriteFile(dir / "book", "TEMPLATE");
    TFileStream target(dir / "book", fmOpenReadWrite);
    target.Seek(0, soEnd);
    TBackupFile b;
    ASSERT_TRUE(b.BackupToStream(ListOf({dir / "*.* /s"}), &target));
    EXPECT_EQ(b.FileCount(), 1);
}

TEST(BackupChanges, SecondRunWhileBusyIsRefused) {
    TempDir dir;
    WriteFile(dir / "a", TextBytes(16384 * 2, 7));
    TBackupFile b;
    bool inner = true;
    b.ProcessMessages = [&] {
        TMemoryStream other;
        inner = b.BackupToStream(ListOf({dir / "a"}), &other);
    };
    bool ok = false;
    PackToMemory(b, {dir / "a"}, &ok);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(inner);
}

TEST(BackupChanges, ExceptionFromAHandlerGivesFalseAndLeavesTheComponentReusable) {
    TempDir dir;
    WriteFile(dir / "a", "x");
    TBackupFile b;
    b.OnProgress = [](TObject*, const std::string&, TPercentage p, bool&) {
        if (p == 0)
            throw std::runtime_error("handler failed");
    };
    TMemoryStream out;
    EXPECT_FALSE(b.BackupToStream(ListOf({dir / "a"}), &out));
    EXPECT_FALSE(b.Busy());
    b.OnProgress = nullptr;
    EXPECT_TRUE(b.BackupToStream(ListOf({dir / "a"}), &out));
}

} // namespace
