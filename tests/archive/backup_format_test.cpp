// The bytes TBackupFile writes: header, member records, data sections, blocks, end marker, and
// the figures it counts while writing them.
#include <zlib.h>

#include <fcntl.h>
#include <sys/stat.h>

#include "archive/archive_reader.h"
#include "archive/block_compressor.h"
#include "archive_test_util.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

std::string Inflate(const std::string& payload) {
    std::string out(BackupBlockSize, '\0');
    uLongf n = BackupBlockSize;
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &n,
                         reinterpret_cast<const Bytef*>(payload.data()), payload.size()),
              Z_OK);
    out.resize(n);
    return out;
}

TEST(BackupFormat, EmptyListWritesHeaderAndEndMarkerOnly) {
    TBackupFile b;
    b.BackupTitle = "Folio";
    bool ok = false;
    const std::string a = PackToMemory(b, {}, &ok);
    EXPECT_TRUE(ok);
    // 5 "Folio" | total 0 | count 0 | end marker 0
    EXPECT_EQ(a, std::string("\x05\0\0\0Folio", 9) + std::string(12, '\0'));
    EXPECT_EQ(b.CompressionRate(), 0);
    EXPECT_EQ(b.TotalSize(), 0);
    EXPECT_EQ(b.FileCount(), 0);
}

TEST(BackupFormat, WritesIntoTheStreamFromItsPositionAndLeavesItThere) {
    TempDir dir;
    WriteFile(dir / "a.txt", "hello");
    TMemoryStream out;
    out.WriteString("TEMPLATE");
    TBackupFile b;
    b.BackupTitle = "Folio";
    ASSERT_TRUE(b.BackupToStream(ListOf({dir / "a.txt"}), &out));
    EXPECT_EQ(out.Position(), out.Size());
    const std::string all = out.DataString();
    EXPECT_EQ(all.substr(0, 8), "TEMPLATE");
    const TWalkedArchive w = WalkArchive(all, 8);
    EXPECT_EQ(w.end, all.size());
    EXPECT_EQ(w.title, "Folio");
}

TEST(BackupFormat, NullStreamGivesFalse) {
    TBackupFile b;
    EXPECT_FALSE(b.BackupToStream(TStringList(), nullptr));
}

TEST(BackupFormat, MemberRecordHoldsLowerCasedAbsoluteNameDateAndOneBlock) {
    TempDir dir;
    const std::string path = dir / "Index.HTML";
    const std::string text = TextBytes(5000, 1);
    WriteFile(path, text);
    TBackupFile b;
    b.BackupTitle = "T";
    b.CompressionLevel = clMax;
    const std::string a = PackToMemory(b, {path});
    const TWalkedArchive w = WalkArchive(a);
    EXPECT_EQ(w.totalSize, 5000);
    EXPECT_EQ(w.fileCount, 1);
    ASSERT_EQ(w.members.size(), 1u);
    EXPECT_EQ(w.members[0].name, LowerAscii(path));
    EXPECT_EQ(w.members[0].date, FileAge(path));
    EXPECT_NE(w.members[0].date, -1);
    ASSERT_EQ(w.members[0].blocks.size(), 1u);
    const int32_t n = w.members[0].blocks[0].length;
    ASSERT_GT(n, 0);
    // The block is a complete zlib stream right after the section marker and length.
    const size_t marker = a.find(std::string("EC2\0", 4));
    ASSERT_NE(marker, std::string::npos);
    EXPECT_EQ(Inflate(a.substr(marker + 8, size_t(n))), text);
    // Section end and end marker follow the payload.
    EXPECT_EQ(Int32At(a, marker + 8 + size_t(n)), 0);
    EXPECT_EQ(Int32At(a, marker + 12 + size_t(n)), 0);
    EXPECT_EQ(a.size(), marker + 16 + size_t(n));
    // Counted: marker 4 + length 4 + payload.
    EXPECT_EQ(b.CompressedSize(), 8 + n);
}

TEST(BackupFormat, EmptyFileHasNoDataSection) {
    TempDir dir;
    WriteFile(dir / "empty", "");
    WriteFile(dir / "next", "x");
    TBackupFile b;
    const std::string a = PackToMemory(b, {dir / "empty", dir / "next"});
    const TWalkedArchive w = WalkArchive(a);
    ASSERT_EQ(w.members.size(), 2u);
    EXPECT_EQ(w.members[0].sections, 0);
    EXPECT_EQ(w.members[1].sections, 1);
    // The next record's name length follows the empty file's date directly.
    const size_t rec = 4 + 0 + 8;
    const size_t nameLen = size_t(Int32At(a, rec));
    EXPECT_EQ(size_t(Int32At(a, rec + 4 + nameLen + 4)), LowerAscii(dir / "next").size());
}

TEST(BackupFormat, BlockBoundaryAt16384Bytes) {
    TempDir dir;
    WriteFile(dir / "a", TextBytes(16384, 2));
    WriteFile(dir / "b", TextBytes(16385, 3));
    TBackupFile b;
    const TWalkedArchive w = WalkArchive(PackToMemory(b, {dir / "a", dir / "b"}));
    ASSERT_EQ(w.members.size(), 2u);
    EXPECT_EQ(w.members[0].blocks.size(), 1u);
    ASSERT_EQ(w.members[1].blocks.size(), 2u);
    // The second block holds the one last byte: a zlib stream of one byte.
    EXPECT_GT(w.members[1].blocks[1].length, 0);
    EXPECT_LT(w.members[1].blocks[1].length, 16);
}

TEST(BackupFormat, IncompressibleBlockIsStoredRaw) {
    TempDir dir;
    const std::string data = RandomBytes(16384 + 1000, 7);
    WriteFile(dir / "r", data);
    TBackupFile b;
    b.CompressionLevel = clMax;
    const std::string a = PackToMemory(b, {dir / "r"});
    const TWalkedArchive w = WalkArchive(a);
    ASSERT_EQ(w.members[0].blocks.size(), 2u);
    EXPECT_EQ(w.members[0].blocks[0].length, -16384);
    // A short random block still fits in 16384 bytes as a zlib stream.
    EXPECT_GT(w.members[0].blocks[1].length, 1000);
    const size_t marker = a.find(std::string("EC2\0", 4));
    EXPECT_EQ(a.substr(marker + 8, 16384), data.substr(0, 16384));
    // The overhead is below 1% here, which truncates to a rate of 0.
    EXPECT_EQ(b.CompressionRate(), 0);
    // Overhead of 1% or more makes the rate negative.
    WriteFile(dir / "small", RandomBytes(1000, 8));
    TBackupFile c;
    PackToMemory(c, {dir / "small"});
    EXPECT_GT(c.CompressedSize(), 1010);
    EXPECT_EQ(c.CompressionRate(), 100 - int32_t(c.CompressedSize() * 100 / 1000));
    EXPECT_LT(c.CompressionRate(), 0);
}

TEST(BackupFormat, LevelNoneStoresEveryFullBlockRaw) {
    TempDir dir;
    WriteFile(dir / "t", TextBytes(3 * 16384 + 10, 4));
    TBackupFile b;
    b.CompressionLevel = clNone;
    const TWalkedArchive w = WalkArchive(PackToMemory(b, {dir / "t"}));
    ASSERT_EQ(w.members[0].blocks.size(), 4u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(w.members[0].blocks[size_t(i)].length, -16384);
    // 10 bytes as a stored zlib stream: 2 header + 5 stored-block header + 10 + 4 Adler-32.
    EXPECT_EQ(w.members[0].blocks[3].length, 21);
}

TEST(BackupFormat, LevelsMapToZlibLevels) {
    EXPECT_EQ(BackupZlibLevel(clFastest), 1);
    EXPECT_EQ(BackupZlibLevel(clNone), 0);
    EXPECT_EQ(BackupZlibLevel(clDefault), -1);
    EXPECT_EQ(BackupZlibLevel(clMax), 9);
    // Higher levels pack this text smaller.
    TempDir dir;
    WriteFile(dir / "t", TextBytes(16384, 5));
    TBackupFile fast, max;
    fast.CompressionLevel = clFastest;
    max.CompressionLevel = clMax;
    const auto wf = WalkArchive(PackToMemory(fast, {dir / "t"}));
    const auto wm = WalkArchive(PackToMemory(max, {dir / "t"}));
    EXPECT_LT(wm.members[0].blocks[0].length, wf.members[0].blocks[0].length);
}

TEST(BackupFormat, SameFileTwiceOrInOtherCapitalsIsPackedOnce) {
    TempDir dir;
    WriteFile(dir / "Page.html", "<p>x</p>");
    TBackupFile b;
    const TWalkedArchive w =
        WalkArchive(PackToMemory(b, {dir / "Page.html", dir / "Page.html", dir / "PAGE.HTML"}));
    EXPECT_EQ(w.fileCount, 1);
    EXPECT_EQ(w.members.size(), 1u);
    EXPECT_EQ(w.totalSize, 8);
}

TEST(BackupFormat, TitleFolioGivesLengthFive) {
    TBackupFile b;
    b.BackupTitle = "Folio";
    const std::string a = PackToMemory(b, {});
    EXPECT_EQ(Int32At(a, 0), 5);
}

TEST(BackupFormat, CompressionRateRoundsTowardZeroAndGoesNegative) {
    TempDir dir;
    // 1000 bytes of text: the rate is 100 - counted * 100 / 1000, truncated.
    WriteFile(dir / "t", TextBytes(1000, 6));
    TBackupFile b;
    b.CompressionLevel = clMax;
    PackToMemory(b, {dir / "t"});
    const int64_t counted = b.CompressedSize();
    EXPECT_EQ(b.CompressionRate(), 100 - int32_t(counted * 100 / 1000));
    EXPECT_GT(b.CompressionRate(), 0);
    // One byte costs marker, length and a whole zlib stream: far more than it holds.
    WriteFile(dir / "one", "z");
    TBackupFile c;
    PackToMemory(c, {dir / "one"});
    EXPECT_EQ(c.CompressedSize(), 4 + 4 + 9);
    EXPECT_EQ(c.CompressionRate(), 100 - 1700);
}

TEST(BackupFormat, CompressionRateUses64BitFigures) {
    // 22 MB stored raw: CompressedSize * 100 passes 2^31, which a 32-bit figure would wrap.
    // A sparse file of zeros at level 0 is quick to make and to pack.
    TempDir dir;
    const size_t n = 22u * 1000 * 1000;
    const int fd = ::open((dir / "big").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t(n)), 0);
    ::close(fd);
    TBackupFile b;
    b.CompressionLevel = clNone;
    TMemoryStream out;
    ASSERT_TRUE(b.BackupToStream(ListOf({dir / "big"}), &out));
    EXPECT_EQ(b.TotalSize(), int64_t(n));
    EXPECT_GT(b.CompressedSize() * 100, int64_t(INT32_MAX));
    EXPECT_EQ(b.CompressionRate(), 100 - int32_t(b.CompressedSize() * 100 / int64_t(n)));
    EXPECT_EQ(b.CompressionRate(), 0);
}

TEST(BackupFormat, TotalSizeFieldSaturatesPast2GiB) {
    TempDir dir;
    const std::string path = dir / "sparse";
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const int64_t size = int64_t(3) << 30;
    const bool sized = ::ftruncate(fd, size) == 0;
    ::close(fd);
    if (!sized)
        GTEST_SKIP() << "the file system cannot hold a sparse 3 GiB file";
    TBackupFile b;
    // Stop at the first progress event: only the header gets written.
    b.OnProgress = [](TObject*, const std::string&, TPercentage, bool& cont) { cont = false; };
    TMemoryStream out;
    EXPECT_FALSE(b.BackupToStream(ListOf({path}), &out));
    EXPECT_EQ(b.TotalSize(), size);
    const std::string a = out.DataString();
    EXPECT_EQ(Int32At(a, 4), INT32_MAX);
    EXPECT_EQ(Int32At(a, 8), 1);
    EXPECT_EQ(b.ErrorCode(), 0);
}

TEST(BackupFormat, VersionIsFixed) {
    TBackupFile b;
    b.SetVersion("9.99");
    EXPECT_EQ(b.Version(), "3.00");
}

TEST(BackupFormat, ErrorTexts) {
    EXPECT_EQ(BackupErrorText(1), "Cannot read file");
    EXPECT_EQ(BackupErrorText(2), "Overwriting file failed");
    EXPECT_EQ(BackupErrorText(3), "Cannot read archive");
    EXPECT_EQ(BackupErrorText(4), "Cannot write to archive");
    EXPECT_EQ(BackupErrorText(5), "Invalid archive type");
    EXPECT_EQ(BackupErrorText(6), "Compression error");
    EXPECT_EQ(BackupErrorText(7), "Cannot create temporary file to save the file IDs");
}

TEST(BackupFormat, RoundTripThroughTheReader) {
    TempDir dir;
    std::vector<std::string> paths;
    std::vector<std::string> contents = {"", TextBytes(16384, 1), TextBytes(16385, 2),
                                         RandomBytes(40000, 3),
                                         TextBytes(100000, 4) + RandomBytes(5, 5)};
    for (size_t i = 0; i < contents.size(); ++i) {
        paths.push_back(dir / ("f" + std::to_string(i)));
        WriteFile(paths.back(), contents[i]);
    }
    for (TCompressionLevel level : {clFastest, clNone, clDefault, clMax}) {
        TBackupFile b;
        b.CompressionLevel = level;
        TMemoryStream out;
        ASSERT_TRUE(b.BackupToStream(ListOf(paths), &out));
        TArchiveReader r(out);
        ASSERT_EQ(r.Count(), int(contents.size()));
        EXPECT_EQ(r.EndOffset(), out.Size());
        for (size_t i = 0; i < contents.size(); ++i) {
            EXPECT_EQ(r.Member(int(i)).Name, LowerAscii(paths[i]));
            EXPECT_EQ(r.ExtractToString(int(i)), contents[i]) << "member " << i;
        }
    }
}

} // namespace

namespace {

TEST(BlockCompressor, ReportsRawFitAndFailure) {
    std::string text = TextBytes(16384, 11);
    std::string random = RandomBytes(16384, 12);
    std::vector<uint8_t> out(BackupBlockSize);
    int32_t n = -1;
    TBlockCompressor c(9);
    ASSERT_TRUE(c.Ok());
    EXPECT_EQ(c.Compress(reinterpret_cast<const uint8_t*>(text.data()), 16384, out.data(), n),
              TBlockCompressor::Compressed);
    EXPECT_GT(n, 0);
    EXPECT_EQ(c.Compress(reinterpret_cast<const uint8_t*>(random.data()), 16384, out.data(), n),
              TBlockCompressor::StoreRaw);
    // After a block that did not fit, the next starts afresh: same bytes as a new compressor.
    std::vector<uint8_t> again(BackupBlockSize);
    int32_t m = -1;
    TBlockCompressor fresh(9);
    c.Compress(reinterpret_cast<const uint8_t*>(text.data()), 100, out.data(), n);
    fresh.Compress(reinterpret_cast<const uint8_t*>(text.data()), 100, again.data(), m);
    ASSERT_EQ(n, m);
    EXPECT_EQ(std::memcmp(out.data(), again.data(), size_t(n)), 0);
    // A level zlib refuses fails to set up and fails every block: the run's code 6.
    TBlockCompressor bad(42);
    EXPECT_FALSE(bad.Ok());
    EXPECT_EQ(bad.Compress(reinterpret_cast<const uint8_t*>(text.data()), 10, out.data(), n),
              TBlockCompressor::Failed);
}

} // namespace

namespace {

TEST(BackupFormat, MemoryMembersFollowTheFilesWithTheirOwnNameDateAndBytes) {
    TempDir dir;
    WriteFile(dir / "a.txt", "hello");
    // Two full blocks and a part, so the member spans blocks like a file would.
    const std::string big = TextBytes(2 * BackupBlockSize + 100, 7);
    TBackupFile b;
    b.BackupTitle = "Folio";
    b.MemoryMembers = {{"/Fixed/Name.html", big, 0x12345678}, {"empty", "", -1}};
    for (const int threads : {1, 2}) {
        b.MaxThreads = threads;
        bool ok = false;
        const std::string a = PackToMemory(b, {dir / "a.txt"}, &ok);
        ASSERT_TRUE(ok);
        const TWalkedArchive w = WalkArchive(a);
        EXPECT_EQ(w.fileCount, 3);
        EXPECT_EQ(w.totalSize, int32_t(5 + big.size()));
        ASSERT_EQ(w.members.size(), 3u);
        EXPECT_EQ(w.members[0].name, LowerAscii(dir / "a.txt"));
        // Stored as given: capitals kept, no folder of the disk added.
        EXPECT_EQ(w.members[1].name, "/Fixed/Name.html");
        EXPECT_EQ(w.members[1].date, 0x12345678);
        EXPECT_EQ(w.members[1].blocks.size(), 3u);
        EXPECT_EQ(w.members[2].name, "empty");
        EXPECT_EQ(w.members[2].date, -1);
        EXPECT_EQ(w.members[2].sections, 0);

        TMemoryStream in;
        in.WriteString(a);
        const TArchiveReader reader(in);
        ASSERT_EQ(reader.Count(), 3);
        EXPECT_EQ(reader.ExtractToString(1), big);
        EXPECT_EQ(reader.ExtractToString(2), "");
        EXPECT_TRUE(b.ChangedFiles().empty());
    }
}

} // namespace
