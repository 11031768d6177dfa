// Books that are cut short, have bytes added, or hold damaged parts: told apart from the bare
// template, with what can still be read; and sizes listed without decompressing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "bookreader/book_commands.h"
#include "bookreader/program_image.h"
#include "bookreader/site_book.h"
#include "tests/bookreader/archive_builder.h"
#include "tests/support/captured_output.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::ReadFile;
using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

void PutLE(std::string& s, size_t at, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

// A stand-in for the reader program: a 64-bit ELF header and one segment that covers all of it,
// so its size is known from its headers as the real program's is.
std::string TinyProgram(size_t size) {
    std::string p(size, '\x90');
    p.replace(0, 8,
              std::string("\x7f"
                          "ELF\x02\x01\x01\x00",
                          8));
    PutLE(p, 0x20, 64, 8); // program headers at 64
    PutLE(p, 0x28, 0, 8);  // no section headers
    PutLE(p, 0x34, 64, 2); // header size
    PutLE(p, 0x36, 56, 2); // program header size
    PutLE(p, 0x38, 1, 2);  // one program header
    PutLE(p, 0x3A, 64, 2);
    PutLE(p, 0x3C, 0, 2);
    PutLE(p, 64, 1, 4);           // a loadable segment
    PutLE(p, 64 + 0x08, 0, 8);    // from the file's start
    PutLE(p, 64 + 0x20, size, 8); // over all of it
    return p;
}

const std::string kProgram = TinyProgram(300);
const std::string kBigPage = std::string(16384, 'a') + "tail of the page";

// Three pages (the first of two compressed blocks), then the configuration, as the builder packs.
TArchiveBytes GoodArchive() {
    TArchiveBytes a("Folio", 0, 4);
    a.Record("/s/big.html").Section().ZlibBlock(kBigPage.substr(0, 16384));
    a.ZlibBlock(kBigPage.substr(16384)).EndSection();
    a.Member("/s/pic.gif", "GIF89a-picture");
    a.Member("/s/empty.txt", "");
    a.Member("/b/folioauthor.html", ConfigText("/s/big.html"));
    return a.End();
}

const std::string kGoodBook = GoodArchive().Book(kProgram);

// Where a member's record starts in kGoodBook.
size_t RecordOf(const std::string& name) {
    return kGoodBook.find(name) - 4;
}

class DamagedBook : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes) {
        WriteFile(path, bytes);
        return path;
    }
    // The message of opening path whole, and that it was refused as damaged.
    std::string DamageOf(const std::string& bytes) {
        Write(bytes);
        try {
            TSiteBook book(path);
        } catch (const EDamagedBook& e) {
            return e.Message();
        }
        ADD_FAILURE() << "opened whole";
        return {};
    }
    std::vector<std::string> SalvagedNames(const std::string& bytes) {
        Write(bytes);
        TSiteBook book(path, boSalvage);
        std::vector<std::string> names;
        for (int i : book.Served()) {
            if (book.Archive().Member(i).Complete) {
                names.push_back(TSiteBook::ServedName(book.Archive().Member(i).Name));
            }
        }
        return names;
    }

    TempDir tmp;
    std::string path = tmp / "book";
};

TEST_F(DamagedBook, TheProgramsEndIsReadFromItsHeaders) {
    TMemoryStream s;
    s.WriteString(TinyProgram(1000) + "appended");
    EXPECT_EQ(ProgramImageSize(s), 1000);
    TFileStream self("/proc/self/exe", fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(ProgramImageSize(self), self.Size());
    for (const std::string& other : {std::string("#!/bin/sh\n"),
                                     std::string("\x7f"
                                                 "ELF"),
                                     std::string()}) {
        TMemoryStream o;
        o.WriteString(other);
        EXPECT_EQ(ProgramImageSize(o), -1);
    }
    // Tables that claim to lie far out or to be huge are not read and cost nothing.
    std::string wild = TinyProgram(200);
    PutLE(wild, 0x28, 0x7FFFFFFFFFFFULL, 8);
    PutLE(wild, 0x3A, 0xFFFF, 2);
    PutLE(wild, 0x3C, 0xFFFE, 2);
    TMemoryStream w;
    w.WriteString(wild);
    EXPECT_GT(ProgramImageSize(w), 200); // its tables would lie beyond the file: cut short
}

TEST_F(DamagedBook, AWholeBookAndTheBareTemplate) {
    Write(kGoodBook);
    TSiteBook whole(path);
    EXPECT_FALSE(whole.Damaged());
    EXPECT_EQ(whole.Served().size(), 4u);

    Write(kProgram);
    try {
        TSiteBook bare(path);
        ADD_FAILURE() << "the template opened as a book";
    } catch (const ENotABook& e) {
        EXPECT_NE(e.Message().find("reader template"), std::string::npos) << e.Message();
    }
}

// Each way of damaging the book, the words its message must hold, and the pages left readable.
struct TDamageCase {
    const char* Name;
    std::string Bytes;
    std::vector<std::string> Says;
    std::vector<std::string> Readable;
};

TEST_F(DamagedBook, EachDamageIsNamedWithWhatCanStillBeRead) {
    const size_t pic = RecordOf("/s/pic.gif");
    const size_t config = RecordOf("/b/folioauthor.html");
    const size_t end = kGoodBook.size() - 4;
    std::string badTrailer = kGoodBook;
    badTrailer[end + 1] = '\x55';
    const std::vector<TDamageCase> cases = {
        {"cut inside a page",
         kGoodBook.substr(0, pic + 20),
         {"book is damaged: it is cut short", "in \"pic.gif\"", "1 file can still be read",
          "--extract DIR", "configuration \"folioauthor.html\"", "is missing"},
         {"big.html"}},
        {"cut before the configuration",
         kGoodBook.substr(0, config + 6),
         {"cut short", "3 files can still be read", "it held 4 files", "is missing"},
         {"big.html", "pic.gif", "empty.txt"}},
        {"cut inside the first block",
         kGoodBook.substr(0, kProgram.size() + 40),
         {"cut short", "in \"big.html\"", "None of its files can be read"},
         {}},
        {"cut inside the archive's header",
         kGoodBook.substr(0, kProgram.size() + 6),
         {"cut short", "None of its files"},
         {}},
        {"only the trailer lost",
         kGoodBook.substr(0, end + 1),
         {"cut short: 3 bytes of its end are missing", "All 4 of its files can still be read:"},
         {"big.html", "pic.gif", "empty.txt", "folioauthor.html"}},
        {"bytes added",
         kGoodBook + "downloaded twice?",
         {"17 bytes were added after its end", "All 4 of its files"},
         {"big.html", "pic.gif", "empty.txt", "folioauthor.html"}},
        {"trailer changed",
         badTrailer,
         {"the last four bytes", "All 4 of its files"},
         {"big.html", "pic.gif", "empty.txt", "folioauthor.html"}},
        {"a broken record",
         kGoodBook.substr(0, pic) + std::string("\xF0\xFF\xFF\xFF", 4) + kGoodBook.substr(pic + 4),
         {"its archive is damaged at offset " + std::to_string(pic), "negative name length",
          "1 file can still be read"},
         {"big.html"}},
        {"junk after the program",
         kProgram + "this is not an archive at all",
         {"29 bytes follow the reader program", "None of its files"},
         {}},
    };
    for (const TDamageCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string message = DamageOf(c.Bytes);
        EXPECT_EQ(message.find("template"), std::string::npos) << message;
        for (const std::string& words : c.Says) {
            EXPECT_NE(message.find(words), std::string::npos) << words << "\n in: " << message;
        }
        if (c.Readable.empty()) {
            continue; // nothing to salvage: opening for what is left may refuse too
        }
        EXPECT_EQ(SalvagedNames(c.Bytes), c.Readable);
        TSiteBook salvaged(path, boSalvage);
        EXPECT_EQ(salvaged.DamageReport(), message);
    }
}

TEST_F(DamagedBook, TheProgramCutShortIsNoTemplateEither) {
    const std::string message = DamageOf(kProgram.substr(0, 250));
    EXPECT_NE(message.find("cut short inside the reader program"), std::string::npos) << message;
}

TEST_F(DamagedBook, AMissingConfigurationInAWholeArchive) {
    TArchiveBytes a;
    a.Member("/s/index.html", "ok").End();
    const std::string message = DamageOf(a.Book(kProgram));
    EXPECT_NE(message.find("its configuration \"folioauthor.html\" (home page, title and "
                           "password) is missing. Its only file can still be read: run"),
              std::string::npos)
        << message;
}

// Sizes come from the block table and the last block alone: a damaged block before the last
// does not hide the size, and one bad member does not stop the list.
TEST_F(DamagedBook, ListingReadsOnlyEachMembersLastBlock) {
    TArchiveBytes a;
    a.Record("/s/big.html").Section().CompressedBlock("not zlib at all");
    a.ZlibBlock(kBigPage.substr(16384)).EndSection();
    a.Record("/s/bad.html").Section().CompressedBlock("broken too").EndSection();
    a.Member("/s/pic.gif", "GIF89a-picture");
    a.Member("/b/folioauthor.html", ConfigText("/s/big.html")).End();
    Write(a.Book(kProgram));
    TSiteBook book(path);
    TCapture out;
    try {
        ListBook(book, out.File());
        ADD_FAILURE() << "a damaged member went unreported";
    } catch (const EArchiveError& e) {
        EXPECT_NE(e.Message().find("1 file cannot be read: bad.html ("), std::string::npos)
            << e.Message();
    }
    const std::string listing = out.Text();
    EXPECT_NE(listing.find("     16400  ----------------  big.html\n"), std::string::npos)
        << listing;
    EXPECT_NE(listing.find("         ?  ----------------  bad.html\n"), std::string::npos);
    EXPECT_NE(listing.find("        14  ----------------  pic.gif\n"), std::string::npos);
    EXPECT_THROW(book.Archive().ExtractToString(book.Find("big.html")), EArchiveError);
}

TEST_F(DamagedBook, ABlockShortOfFullBeforeTheLastIsDamage) {
    TArchiveBytes a;
    a.Record("/s/gap.html").Section().RawBlock("only a little").RawBlock("end").EndSection();
    a.Member("/b/folioauthor.html", ConfigText("/s/gap.html")).End();
    Write(a.Book(kProgram));
    TSiteBook book(path);
    const int gap = book.Find("gap.html");
    EXPECT_EQ(book.Archive().MemberSize(gap), 16384 + 3); // what the block table says
    try {
        book.Archive().ExtractToString(gap);
        ADD_FAILURE() << "the lost bytes went unnoticed";
    } catch (const EArchiveError& e) {
        EXPECT_NE(e.Message().find("block of 13 bytes before the member's last"), std::string::npos)
            << e.Message();
    }
}

TEST_F(DamagedBook, ExtractionSavesEveryReadableMemberAndNamesTheOthers) {
    TArchiveBytes a;
    a.Member("/s/first.html", "first");
    a.Record("/s/bad.html").Section().CompressedBlock("nonsense").EndSection();
    a.Member("/s/last.html", "last");
    a.Member("/b/folioauthor.html", ConfigText("/s/first.html")).End();
    Write(a.Book(kProgram));
    TSiteBook book(path);
    TCapture err;
    const std::string dir = tmp / "out";
    const TExtraction done = ExtractBookFiles(book, dir, err.File());
    EXPECT_EQ(done.Written, 3);
    EXPECT_EQ(done.Failed, 1);
    EXPECT_EQ(ReadFile(dir + "/first.html"), "first");
    EXPECT_EQ(ReadFile(dir + "/last.html"), "last");
    EXPECT_FALSE(std::filesystem::exists(dir + "/bad.html"));
    EXPECT_NE(err.Text().find("bad.html cannot be read: Damaged archive: corrupt compressed "
                              "block"),
              std::string::npos)
        << err.Text();
    // Nothing half-written is left in the directory.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              3);
    TCapture err2;
    EXPECT_EQ(ExtractBook(book, tmp / "again", err2.File()), -1);
    EXPECT_NE(err2.Text().find("3 files written to " + tmp / "again" + "; 1 was not"),
              std::string::npos)
        << err2.Text();
}

// A file in the target directory that is a hard link to a file elsewhere, or a symbolic link,
// is replaced by the member; what it pointed at keeps its bytes.
TEST_F(DamagedBook, ExtractionReplacesNamesAndNeverWritesThroughLinks) {
    Write(kGoodBook);
    TSiteBook book(path);
    const std::string dir = tmp / "out";
    std::filesystem::create_directories(dir);
    WriteFile(tmp / "victim.txt", "keep me");
    WriteFile(tmp / "other.txt", "keep me too");
    ASSERT_EQ(::link((tmp / "victim.txt").c_str(), (dir + "/pic.gif").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "other.txt").c_str(), (dir + "/big.html").c_str()), 0);
    TCapture err;
    EXPECT_EQ(ExtractBook(book, dir, err.File()), 4) << err.Text();
    EXPECT_EQ(ReadFile(tmp / "victim.txt"), "keep me");
    EXPECT_EQ(ReadFile(tmp / "other.txt"), "keep me too");
    EXPECT_EQ(ReadFile(dir + "/pic.gif"), "GIF89a-picture");
    EXPECT_EQ(ReadFile(dir + "/big.html"), kBigPage);
    EXPECT_FALSE(std::filesystem::is_symlink(dir + "/big.html"));
    // A directory in the way is named, and the other members are still written.
    std::filesystem::remove(dir + "/empty.txt");
    std::filesystem::create_directories(dir + "/empty.txt/inside");
    TCapture err2;
    EXPECT_EQ(ExtractBook(book, dir, err2.File()), -1);
    EXPECT_NE(err2.Text().find("Cannot write " + dir + "/empty.txt: "), std::string::npos)
        << err2.Text();
    EXPECT_TRUE(std::filesystem::exists(dir + "/empty.txt/inside"));
}

// A member's name may hold any byte; the messages and the listing show control characters as
// escapes, never raw on the terminal.
TEST_F(DamagedBook, NamesReachTheTerminalEscaped) {
    TArchiveBytes a;
    a.Member("/s/clear\x1b[2J.html", "x");
    a.Record("/s/bad\nline.html").Section().CompressedBlock("nonsense").EndSection();
    a.Member("/b/folioauthor.html", ConfigText("/s/a.html")).End();
    const std::string bytes = a.Book(kProgram);
    Write(bytes);
    TSiteBook book(path);
    TCapture out, err;
    EXPECT_THROW(ListBook(book, out.File()), EArchiveError);
    EXPECT_NE(out.Text().find("clear\\x1b[2J.html"), std::string::npos) << out.Text();
    EXPECT_NE(out.Text().find("bad\\nline.html"), std::string::npos) << out.Text();
    EXPECT_EQ(ExtractBook(book, tmp / "out", err.File()), -1);
    EXPECT_NE(err.Text().find("bad\\nline.html cannot be read"), std::string::npos) << err.Text();
    for (const std::string& text : {out.Text(), err.Text()}) {
        EXPECT_EQ(text.find('\x1b'), std::string::npos);
    }
    const std::string cut = bytes.substr(0, bytes.find("/s/bad") + 20);
    const std::string message = DamageOf(cut);
    EXPECT_NE(message.find("in \"bad\\nline.html\""), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos);
}

} // namespace
