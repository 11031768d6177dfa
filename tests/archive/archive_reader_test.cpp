// The reader: indexing, look-up, extraction, and damaged archives of every kind.
#include <zlib.h>

#include "archive/archive_reader.h"
#include "archive/little_endian.h"
#include "archive_test_util.h"
#include "tests/support/data_paths.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

// Builds archives byte by byte, for shapes the writer never makes.
class TArchiveBytes {
public:
    TArchiveBytes& Int(int32_t v) {
        uint8_t b[4];
        PutInt32LE(b, v);
        s.append(reinterpret_cast<char*>(b), 4);
        return *this;
    }
    TArchiveBytes& Str(const std::string& t) {
        s += t;
        return *this;
    }
    TArchiveBytes& Header(const std::string& title = "T") {
        return Int(int32_t(title.size())).Str(title).Int(0).Int(0);
    }
    TArchiveBytes& Record(const std::string& name, int32_t date = 0) {
        return Int(int32_t(name.size())).Str(name).Int(date);
    }
    TArchiveBytes& Marker() { return Str(std::string("EC2\0", 4)); }
    TArchiveBytes& Zlib(const std::string& data) {
        uLongf n = compressBound(data.size());
        std::string out(n, '\0');
        compress(reinterpret_cast<Bytef*>(out.data()), &n,
                 reinterpret_cast<const Bytef*>(data.data()), data.size());
        out.resize(n);
        return Int(int32_t(n)).Str(out);
    }
    TArchiveBytes& Raw(const std::string& data) { return Int(-int32_t(data.size())).Str(data); }
    std::string s;
};

std::string Pack(const std::vector<std::pair<std::string, std::string>>& files,
                 std::vector<std::string>* paths, TempDir& dir) {
    for (const auto& [name, data] : files) {
        paths->push_back(dir / name);
        WriteFile(paths->back(), data);
    }
    TBackupFile b;
    b.BackupTitle = "Folio";
    return PackToMemory(b, *paths);
}

TMemoryStream StreamOf(const std::string& bytes) {
    TMemoryStream s;
    s.WriteString(bytes);
    return s;
}

// Indexes and extracts everything: what a reader of untrusted bytes does.
void ReadAll(const std::string& bytes) {
    TMemoryStream s = StreamOf(bytes);
    TArchiveReader r(s);
    for (int i = 0; i < r.Count(); ++i)
        r.ExtractToString(i);
}

TEST(ArchiveReader, IndexesWithoutDecompressingAndFindsByName) {
    TempDir dir;
    std::vector<std::string> paths;
    const std::string a = Pack({{"Index.html", TextBytes(40000, 1)},
                                {"logo.gif", RandomBytes(20000, 2)},
                                {"empty.txt", ""}},
                               &paths, dir);
    TMemoryStream s = StreamOf(a);
    TArchiveReader r(s);
    EXPECT_EQ(r.Title(), "Folio");
    EXPECT_EQ(r.HeaderFileCount(), 3);
    EXPECT_EQ(r.HeaderTotalSize(), 60000);
    ASSERT_EQ(r.Count(), 3);
    EXPECT_EQ(r.IndexOf(paths[1]), 1);
    EXPECT_EQ(r.IndexOf(LowerAscii(paths[0])), 0);
    EXPECT_EQ(r.IndexOfFileName("INDEX.HTML"), 0);
    EXPECT_EQ(r.IndexOfFileName("empty.txt"), 2);
    EXPECT_EQ(r.IndexOfFileName("missing.html"), -1);
    EXPECT_EQ(r.Member(0).Blocks.size(), 3u);
    EXPECT_EQ(r.Member(1).Blocks[0].Raw, true);
    EXPECT_EQ(r.Member(1).SizeBound(), 16384 + 16384);
    EXPECT_TRUE(r.Member(2).Blocks.empty());
    EXPECT_EQ(r.ExtractToString(0), TextBytes(40000, 1));
    TMemoryStream dest;
    EXPECT_EQ(r.Extract(1, dest), 20000);
    EXPECT_EQ(dest.DataString(), RandomBytes(20000, 2));
    EXPECT_EQ(r.ExtractToString(2), "");
    EXPECT_THROW(r.Member(3), EArchiveError);
    EXPECT_THROW(r.ExtractToString(-1), EArchiveError);
}

TEST(ArchiveReader, ReadsFromAnOffsetWithinALimit) {
    const std::string arc =
        TArchiveBytes().Header().Record("/x/a").Marker().Raw("abc").Int(0).Int(0).s;
    TMemoryStream s = StreamOf("PREFIX" + arc + "TRAILER");
    TArchiveReader r(s, 6, 6 + int64_t(arc.size()));
    EXPECT_EQ(r.EndOffset(), 6 + int64_t(arc.size()));
    EXPECT_EQ(r.ExtractToString(0), "abc");
    // The limit is respected: the same archive cut by one byte is damaged.
    EXPECT_THROW(TArchiveReader(s, 6, 6 + int64_t(arc.size()) - 1), EArchiveError);
}

TEST(ArchiveReader, DoesNotTrustTheFileCount) {
    std::string arc = TArchiveBytes()
                          .Int(1)
                          .Str("T")
                          .Int(3)
                          .Int(99)
                          .Record("/a")
                          .Marker()
                          .Zlib("hello")
                          .Int(0)
                          .Record("/b")
                          .Int(0)
                          .s;
    TMemoryStream s = StreamOf(arc);
    TArchiveReader r(s);
    EXPECT_EQ(r.HeaderFileCount(), 99);
    EXPECT_EQ(r.Count(), 2);
    EXPECT_EQ(r.ExtractToString(0), "hello");
}

TEST(ArchiveReader, EveryTruncationIsAnError) {
    TempDir dir;
    std::vector<std::string> paths;
    const std::string a =
        Pack({{"a.html", TextBytes(17000, 3)}, {"e", ""}, {"r", RandomBytes(300, 4)}}, &paths, dir);
    for (size_t n = 0; n < a.size(); ++n)
        EXPECT_THROW(ReadAll(a.substr(0, n)), EArchiveError) << "cut at " << n;
    EXPECT_NO_THROW(ReadAll(a));
}

TEST(ArchiveReader, CorruptedBytesNeverCrash) {
    TempDir dir;
    std::vector<std::string> paths;
    const std::string a =
        Pack({{"a.html", TextBytes(1500, 5)}, {"r", RandomBytes(100, 6)}}, &paths, dir);
    int errors = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        for (uint8_t flip : {0x01, 0xFF}) {
            std::string bad = a;
            bad[i] = static_cast<char>(bad[i] ^ flip);
            try {
                ReadAll(bad);
            } catch (const EArchiveError&) {
                ++errors;
            }
        }
    }
    // Flips in lengths, markers and compressed data are caught; flips in names, dates, the
    // header's figures and raw bytes are not damage the reader can see.
    EXPECT_GT(errors, int(a.size()));
}

TEST(ArchiveReader, DamageIsReportedWithAClearMessage) {
    auto message = [](const std::string& bytes) {
        try {
            ReadAll(bytes);
        } catch (const EArchiveError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    const TArchiveBytes head = TArchiveBytes().Header();
    EXPECT_NE(message(TArchiveBytes().Int(-1).s).find("negative title length"), std::string::npos);
    EXPECT_NE(message(TArchiveBytes().Int(1000).Str("T").s).find("title runs past the end"),
              std::string::npos);
    EXPECT_NE(message(TArchiveBytes(head).Int(-5).s).find("negative name length"),
              std::string::npos);
    EXPECT_NE(message(TArchiveBytes(head)
                          .Record("/a")
                          .Marker()
                          .Int(20000)
                          .Str(std::string(20000, 'x'))
                          .Int(0)
                          .Int(0)
                          .s)
                  .find("more than a block holds"),
              std::string::npos);
    EXPECT_NE(message(TArchiveBytes(head).Record("/a").Marker().Int(INT32_MIN).s)
                  .find("more than a block holds"),
              std::string::npos);
    EXPECT_NE(
        message(TArchiveBytes(head).Record("/a").Marker().Int(10).Str("0123456789").Int(0).Int(0).s)
            .find("corrupt compressed block"),
        std::string::npos);
    EXPECT_NE(message(TArchiveBytes(head).Record("/a").Marker().Raw("abc").s)
                  .find("section end is missing"),
              std::string::npos);
    EXPECT_NE(message(TArchiveBytes(head).Record("/a").s).find("end marker is missing"),
              std::string::npos);
    EXPECT_NE(message(TArchiveBytes(head).Record("NEXT:DISK002").s).find("volume 002"),
              std::string::npos);
}

TEST(ArchiveReader, CompressedBlockMustBeOneStreamThatFitsABlock) {
    const TArchiveBytes head = TArchiveBytes().Header();
    // 20000 bytes compress well below 16384 but expand beyond a block.
    EXPECT_THROW(ReadAll(TArchiveBytes(head)
                             .Record("/a")
                             .Marker()
                             .Zlib(std::string(20000, 'a'))
                             .Int(0)
                             .Int(0)
                             .s),
                 EArchiveError);
    // Bytes after a complete stream inside a block's payload.
    TArchiveBytes one;
    one.Zlib("abc");
    std::string payload = one.s.substr(4) + "junk";
    EXPECT_THROW(ReadAll(TArchiveBytes(head)
                             .Record("/a")
                             .Marker()
                             .Int(int32_t(payload.size()))
                             .Str(payload)
                             .Int(0)
                             .Int(0)
                             .s),
                 EArchiveError);
    // A stream cut short inside the payload.
    std::string cut = one.s.substr(4, one.s.size() - 6);
    EXPECT_THROW(ReadAll(TArchiveBytes(head)
                             .Record("/a")
                             .Marker()
                             .Int(int32_t(cut.size()))
                             .Str(cut)
                             .Int(0)
                             .Int(0)
                             .s),
                 EArchiveError);
    EXPECT_NO_THROW(ReadAll(
        TArchiveBytes(head).Record("/a").Marker().Zlib(std::string(16384, 'a')).Int(0).Int(0).s));
}

TEST(ArchiveReader, SmallArchivesUnderTestDataReadBack) {
    TMemoryStream s;
    s.LoadFromFile(folio_test::ProjectData("archive/three-members.arc").string());
    TArchiveReader r(s);
    ASSERT_EQ(r.Count(), 3);
    EXPECT_EQ(r.ExtractToString(r.IndexOfFileName("hello.txt")), "Hello, folio!\n");
    EXPECT_EQ(r.ExtractToString(r.IndexOfFileName("empty.txt")), "");
    EXPECT_EQ(r.ExtractToString(r.IndexOfFileName("page.html")).size(), 16385u);
    EXPECT_EQ(r.Member(0).Name, "/tmp/folio/site/hello.txt");

    TMemoryStream raw;
    raw.LoadFromFile(folio_test::ProjectData("archive/raw-blocks.arc").string());
    TArchiveReader rr(raw);
    ASSERT_EQ(rr.Count(), 2);
    EXPECT_TRUE(rr.Member(0).Blocks[0].Raw);
    EXPECT_EQ(rr.ExtractToString(0).size(), 16384u);

    TMemoryStream ids;
    ids.LoadFromFile(folio_test::ProjectData("archive/file-list.arc").string());
    TArchiveReader ri(ids);
    ASSERT_EQ(ri.Count(), 2);
    EXPECT_EQ(ri.Member(0).Name, "FILE:LIST");
    EXPECT_TRUE(ri.ExtractToString(0).starts_with("/tmp/folio/site/hello.txt\t"));
}

// A memory stream that counts the reads and seeks made of it.
class TCountingStream : public TMemoryStream {
public:
    int64_t Read(void* buffer, int64_t count) override {
        ++Reads;
        return TMemoryStream::Read(buffer, count);
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        ++Seeks;
        return TMemoryStream::Seek(offset, origin);
    }
    int Reads = 0;
    int Seeks = 0;
};

// Indexing a large archive reads it in large pieces, not a read and a seek for every field of
// every member; the members found and their blocks are the same as ever, and a cut archive is
// still damaged exactly where it was cut.
TEST(ArchiveReader, IndexesThroughFewLargeReads) {
    constexpr int kMembers = 5000;
    TArchiveBytes a;
    a.Header();
    for (int i = 0; i < kMembers; ++i) {
        a.Record("/site/p" + std::to_string(i) + ".html").Marker();
        const std::string text(100 + i % 300, static_cast<char>('a' + i % 26));
        if (i % 2 == 0)
            a.Raw(text);
        else
            a.Zlib(text);
        a.Int(0);
    }
    a.Int(0);
    TCountingStream s;
    s.WriteBuffer(a.s.data(), static_cast<int64_t>(a.s.size()));
    s.Reads = s.Seeks = 0;
    TArchiveReader r(s);
    ASSERT_EQ(r.Count(), kMembers);
    // Some 1.3 MB: two reads of the window.
    EXPECT_LE(s.Reads, 4) << a.s.size();
    EXPECT_LE(s.Seeks, 8);
    EXPECT_EQ(r.ExtractToString(4999), std::string(100 + 4999 % 300, 'a' + 4999 % 26));
    EXPECT_EQ(r.ExtractToString(1234), std::string(100 + 1234 % 300, 'a' + 1234 % 26));
    EXPECT_EQ(r.EndOffset(), static_cast<int64_t>(a.s.size()));

    // Cut inside the 3000th member's block: the same damage as a byte-by-byte walk finds.
    const std::string cut = a.s.substr(0, a.s.size() * 3 / 5);
    TMemoryStream c;
    c.WriteBuffer(cut.data(), static_cast<int64_t>(cut.size()));
    TArchiveReader salvaged(c, 0, -1, aiSalvage);
    EXPECT_TRUE(salvaged.Damage().Found);
    EXPECT_TRUE(salvaged.Damage().Truncated);
    EXPECT_GT(salvaged.Count(), 2000);
    EXPECT_FALSE(salvaged.Member(salvaged.Count() - 1).Complete);
    EXPECT_THROW(TArchiveReader strict(c), EArchiveError);
}

} // namespace
