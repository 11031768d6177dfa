// The site book trailer and finding the archive inside a book.
#include "archive/book_file.h"
#include "archive_test_util.h"
#include "tests/support/data_paths.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

std::string Book(const std::string& templ, TempDir& dir) {
    WriteFile(dir / "home.html", "<p>home</p>");
    TMemoryStream out;
    out.WriteString(templ);
    TBackupFile b;
    b.BackupTitle = "Folio";
    b.CompressionLevel = clMax;
    EXPECT_TRUE(b.BackupToStream(ListOf({dir / "home.html"}), &out));
    WriteBookTrailer(out, int64_t(templ.size()));
    return out.DataString();
}

TMemoryStream StreamOf(const std::string& bytes) {
    TMemoryStream s;
    s.WriteString(bytes);
    return s;
}

TEST(BookFile, TrailerHoldsTheTemplateSize) {
    TempDir dir;
    const std::string book = Book(std::string(1234, '\x7f'), dir);
    EXPECT_EQ(Int32At(book, book.size() - 4), 1234);
    TMemoryStream s = StreamOf(book);
    EXPECT_EQ(ReadBookTrailer(s), 1234);
    auto r = OpenBookArchive(s);
    EXPECT_EQ(r->Title(), "Folio");
    EXPECT_EQ(r->ExtractToString(r->IndexOfFileName("HOME.HTML")), "<p>home</p>");
}

TEST(BookFile, SmallBookUnderTestDataOpens) {
    TMemoryStream s;
    s.LoadFromFile(folio_test::ProjectData("archive/small.book").string());
    auto r = OpenBookArchive(s);
    EXPECT_EQ(r->StartOffset(), 31); // the little shell script in front
    ASSERT_EQ(r->Count(), 2);
    EXPECT_EQ(r->ExtractToString(r->IndexOfFileName("hello.txt")), "Hello, folio!\n");
}

TEST(BookFile, OpensFromAFileStream) {
    TempDir dir;
    WriteFile(dir / "book", Book(std::string(4096, 'T'), dir));
    TFileStream s(dir / "book", fmOpenRead | fmShareDenyNone);
    auto r = OpenBookArchive(s);
    EXPECT_EQ(r->StartOffset(), 4096);
    EXPECT_EQ(r->ExtractToString(0), "<p>home</p>");
}

TEST(BookFile, EmptyTemplateStartsTheArchiveAtZero) {
    TempDir dir;
    const std::string book = Book("", dir);
    EXPECT_EQ(Int32At(book, book.size() - 4), 0);
    TMemoryStream s = StreamOf(book);
    EXPECT_EQ(OpenBookArchive(s)->Count(), 1);
}

TEST(BookFile, TrailerThatPointsOutsideIsNoArchive) {
    for (const std::string& bytes :
         {std::string(), std::string("abc"), std::string("\xff\xff\xff\xff", 4),
          std::string(100, '\0') + std::string("\x60\0\0\0", 4),
          std::string(100, 'x') + std::string("\xff\xff\xff\x7f", 4)}) {
        TMemoryStream s = StreamOf(bytes);
        EXPECT_THROW(OpenBookArchive(s), ENoBookArchive) << bytes.size();
    }
}

TEST(BookFile, StrayBytesBeforeTheTrailerAreDamage) {
    TempDir dir;
    std::string book = Book("TEMPLATE", dir);
    book.insert(book.size() - 4, "xx");
    TMemoryStream s = StreamOf(book);
    try {
        OpenBookArchive(s);
        FAIL() << "accepted";
    } catch (const ENoBookArchive&) {
        FAIL() << "wrong kind of error";
    } catch (const EArchiveError& e) {
        EXPECT_NE(std::string(e.what()).find("stray bytes"), std::string::npos);
    }
}

TEST(BookFile, EveryTruncatedBookIsAnErrorNeverACrash) {
    TempDir dir;
    const std::string book = Book("TEMPLATE", dir);
    for (size_t n = 0; n < book.size(); ++n) {
        TMemoryStream s = StreamOf(book.substr(0, n));
        EXPECT_THROW(OpenBookArchive(s), EArchiveError) << n;
    }
}

TEST(BookFile, TrailerRefusesOffsetsItCannotHold) {
    TMemoryStream s;
    EXPECT_THROW(WriteBookTrailer(s, int64_t(1) << 31), EArchiveError);
    EXPECT_THROW(WriteBookTrailer(s, -1), EArchiveError);
    WriteBookTrailer(s, 0x01020304);
    EXPECT_EQ(s.DataString(), std::string("\x04\x03\x02\x01", 4));
}

} // namespace
