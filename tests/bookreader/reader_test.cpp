// The reader program's behaviour on good, protected, hostile and damaged books.
#include "bookreader/reader_app.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>

#include "platform/base/files.h"
#include "tests/bookreader/archive_builder.h"
#include "tests/support/captured_output.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::ReadFile;
using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

class ReaderTest : public ::testing::Test {
protected:
    ReaderTest() {
        env.SelfPath = tmp.Path() + "/book";
        env.PasswordFile = tmp.Path() + "/state/folio3/passwords";
        env.AskPassword = [this](const std::string&) -> std::optional<std::string> {
            ++asked;
            return answer;
        };
        env.PasswordIterations = 50; // the real cost only slows the tests
        env.Out = out.File();
        env.Err = err.File();
    }
    void WriteBook(const TArchiveBytes& archive) {
        WriteFile(env.SelfPath, archive.Book("ELF-TEMPLATE-BYTES"));
    }
    TArchiveBytes SimpleBook(const std::string& password = "") {
        TArchiveBytes a;
        a.Member("/src/index.html", "<p>home</p>")
            .Member("/src/sub/pic.gif", "GIF89a....")
            .Member("/src/empty.txt", "")
            .Member("/builder/folioauthor.html", ConfigText("/src/Index.html", password))
            .End();
        return a;
    }
    int Run(std::vector<std::string> args) { return RunBookReader(args, env); }

    TempDir tmp;
    TCapture out;
    TCapture err;
    TReaderEnvironment env;
    std::optional<std::string> answer;
    int asked = 0;
};

TEST_F(ReaderTest, HelpAndVersion) {
    EXPECT_EQ(Run({"--help"}), kReaderOk);
    EXPECT_NE(out.Text().find("--extract DIR"), std::string::npos);
    EXPECT_EQ(Run({"--version"}), kReaderOk);
    EXPECT_NE(out.Text().find("Folio3.bin"), std::string::npos);
    EXPECT_EQ(Run({"--bogus"}), kReaderUsage);
    EXPECT_EQ(Run({"--extract"}), kReaderUsage);
    EXPECT_EQ(Run({"--list", "--extract", "d"}), kReaderUsage);
}

TEST_F(ReaderTest, ABareTemplateSaysWhatItIs) {
    WriteFile(env.SelfPath, std::string(5000, '\x7f'));
    EXPECT_EQ(Run({"--list"}), kReaderNoArchive);
    EXPECT_NE(err.Text().find("reader template of FolioBuilder"), std::string::npos);
    WriteFile(env.SelfPath, "ab");
    EXPECT_EQ(Run({}), kReaderNoArchive);
    // Last four bytes that happen to point inside the file are no archive either.
    WriteFile(env.SelfPath, std::string(100, 'x') + std::string("\x10\0\0\0", 4));
    EXPECT_EQ(Run({"--list"}), kReaderNoArchive);
}

TEST_F(ReaderTest, ListsServedNamesWithSizes) {
    WriteBook(SimpleBook());
    ASSERT_EQ(Run({"--list"}), kReaderOk) << err.Text();
    const std::string listing = out.Text();
    EXPECT_NE(listing.find("        11  ----------------  index.html\n"), std::string::npos)
        << listing;
    EXPECT_NE(listing.find("pic.gif"), std::string::npos);
    EXPECT_NE(listing.find("         0  ----------------  empty.txt\n"), std::string::npos);
    EXPECT_EQ(asked, 0);
}

TEST_F(ReaderTest, ExtractsEverythingIntoOneDirectory) {
    WriteBook(SimpleBook());
    const std::string dir = tmp.Path() + "/out/new";
    ASSERT_EQ(Run({"--extract", dir}), kReaderOk) << err.Text();
    EXPECT_EQ(ReadFile(dir + "/index.html"), "<p>home</p>");
    EXPECT_EQ(ReadFile(dir + "/pic.gif"), "GIF89a....");
    EXPECT_TRUE(FileExists(dir + "/empty.txt"));
    EXPECT_FALSE(DirectoryExists(dir + "/sub"));
    EXPECT_NE(ReadFile(dir + "/folioauthor.html").find("caption=Test book"), std::string::npos);
}

TEST_F(ReaderTest, ExtractedFilesKeepTheirDates) {
    TArchiveBytes a;
    const int32_t date = PackDosDateTime(2001, 2, 3, 4, 5, 6);
    a.Member("/s/old.html", "old", date).Member("/b/folioauthor.html", ConfigText("/s/old.html"));
    a.End();
    WriteBook(a);
    ASSERT_EQ(Run({"--extract", tmp.Path() + "/x"}), kReaderOk);
    EXPECT_EQ(FileAge(tmp.Path() + "/x/old.html"), date);
}

TEST_F(ReaderTest, WithoutTheViewerShowingAPageIsReportedNotFaked) {
    WriteBook(SimpleBook());
    EXPECT_EQ(Run({}), kReaderNoViewer);
    EXPECT_NE(err.Text().find("Index.html"), std::string::npos);
    EXPECT_EQ(Run({"nosuchpage.html"}), kReaderFailed);
    EXPECT_NE(err.Text().find("has no page \"nosuchpage.html\""), std::string::npos);
}

// Scripts give the password beforehand, in a file or the environment, for --list, --extract
// and --search; the terminal is not asked then, and a wrong one fails as a wrong answer does.
TEST_F(ReaderTest, APasswordGivenBeforehandAnswersForListExtractAndSearch) {
    WriteBook(SimpleBook("s3cret"));
    env.PasswordFile.clear(); // nothing remembered between the runs
    std::map<std::string, std::string> environment;
    env.GetEnv = [&](const char* name) -> const char* {
        const auto it = environment.find(name);
        return it == environment.end() ? nullptr : it->second.c_str();
    };
    answer = "typed";

    environment["FOLIO_PASSWORD"] = "s3cret";
    EXPECT_EQ(Run({"--list"}), kReaderOk) << err.Text();
    EXPECT_NE(out.Text().find("index.html"), std::string::npos);
    EXPECT_EQ(Run({"--search", "home"}), kReaderOk) << err.Text();
    environment["FOLIO_PASSWORD"] = "wrong";
    EXPECT_EQ(Run({"--extract", tmp.Path() + "/x"}), kReaderFailed);
    EXPECT_NE(err.Text().find("book: Wrong password.\n"), std::string::npos) << err.Text();
    EXPECT_FALSE(DirectoryExists(tmp.Path() + "/x"));
    EXPECT_EQ(asked, 0);

    // The file's first line, its CR LF dropped; the file wins over the environment.
    WriteFile(tmp.Path() + "/pw", "s3cret\r\nsecond line\n");
    EXPECT_EQ(Run({"--extract", tmp.Path() + "/x", "--password-file", tmp.Path() + "/pw"}),
              kReaderOk)
        << err.Text();
    EXPECT_TRUE(FileExists(tmp.Path() + "/x/index.html"));
    EXPECT_EQ(asked, 0);
    WriteFile(tmp.Path() + "/empty", "\nnot the first line\n");
    EXPECT_EQ(Run({"--list", "--password-file", tmp.Path() + "/empty"}), kReaderFailed);
    EXPECT_NE(err.Text().find("holds no password"), std::string::npos) << err.Text();
    EXPECT_EQ(Run({"--list", "--password-file", tmp.Path() + "/none"}), kReaderFailed);
    EXPECT_NE(err.Text().find("cannot read the password file"), std::string::npos) << err.Text();
    EXPECT_EQ(asked, 0);

    // Without either the terminal is asked, as before.
    environment.clear();
    EXPECT_EQ(Run({"--list"}), kReaderFailed);
    EXPECT_EQ(asked, 1);
    // The window asks in its own dialog: a password file is refused there.
    EXPECT_EQ(Run({"--password-file", tmp.Path() + "/pw"}), kReaderUsage);
    EXPECT_EQ(Run({"--help"}), kReaderOk);
    EXPECT_NE(out.Text().find("FOLIO_PASSWORD"), std::string::npos);
    EXPECT_NE(out.Text().find("--password-file FILE"), std::string::npos);
}

TEST_F(ReaderTest, APasswordIsAskedOnceThenRememberedAsAHash) {
    WriteBook(SimpleBook("s3cret"));
    answer = "wrong";
    EXPECT_EQ(Run({"--list"}), kReaderFailed);
    EXPECT_NE(err.Text().find("book: Wrong password.\n"), std::string::npos) << err.Text();
    EXPECT_EQ(out.Text(), "");
    EXPECT_FALSE(FileExists(env.PasswordFile));

    answer = std::nullopt; // end of input
    EXPECT_EQ(Run({"--extract", tmp.Path() + "/x"}), kReaderFailed);
    EXPECT_FALSE(DirectoryExists(tmp.Path() + "/x"));

    answer = "s3cret";
    EXPECT_EQ(Run({"--list"}), kReaderOk);
    EXPECT_EQ(asked, 3);
    ASSERT_TRUE(FileExists(env.PasswordFile));
    EXPECT_EQ(ReadFile(env.PasswordFile).find("s3cret"), std::string::npos);

    answer = "not asked";
    EXPECT_EQ(Run({"--extract", tmp.Path() + "/x"}), kReaderOk);
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(FileExists(tmp.Path() + "/x/index.html"));

    // The same book with another password asks again.
    WriteBook(SimpleBook("changed"));
    answer = "s3cret";
    EXPECT_EQ(Run({"--list"}), kReaderFailed);
    EXPECT_EQ(asked, 4);
}

TEST_F(ReaderTest, HostileNamesAreRefusedAndNothingLeavesTheDirectory) {
    for (const std::string& name : {std::string("/s/.."), std::string("/s/"), std::string("..")}) {
        SCOPED_TRACE(name);
        TArchiveBytes a;
        a.Member("/s/ok.html", "fine").Member(name, "evil");
        a.Member("/b/folioauthor.html", ConfigText("/s/ok.html")).End();
        WriteBook(a);
        EXPECT_EQ(Run({"--extract", tmp.Path() + "/x/y"}), kReaderFailed);
        EXPECT_NE(err.Text().find("Refused the member"), std::string::npos);
        EXPECT_FALSE(FileExists(tmp.Path() + "/x/evil"));
    }
    // Paths that climb are served, and written, by their last piece only.
    TArchiveBytes a;
    a.Member("../../escaped.html", "climb").Member("c:\\win\\dos.htm", "dos");
    a.Member("/b/folioauthor.html", ConfigText("/s/ok.html")).End();
    WriteBook(a);
    ASSERT_EQ(Run({"--extract", tmp.Path() + "/x/y"}), kReaderOk) << err.Text();
    EXPECT_EQ(ReadFile(tmp.Path() + "/x/y/escaped.html"), "climb");
    EXPECT_EQ(ReadFile(tmp.Path() + "/x/y/dos.htm"), "dos");
    EXPECT_FALSE(FileExists(tmp.Path() + "/escaped.html"));
}

TEST_F(ReaderTest, ALinkPlantedInTheDirectoryIsReplacedNotWrittenThrough) {
    WriteBook(SimpleBook());
    const std::string dir = tmp.Path() + "/x";
    std::filesystem::create_directories(dir);
    WriteFile(tmp.Path() + "/victim", "keep me");
    WriteFile(tmp.Path() + "/hard", "keep me too");
    ASSERT_EQ(::symlink((tmp.Path() + "/victim").c_str(), (dir + "/index.html").c_str()), 0);
    ASSERT_EQ(::link((tmp.Path() + "/hard").c_str(), (dir + "/pic.gif").c_str()), 0);
    EXPECT_EQ(Run({"--extract", dir}), kReaderOk) << err.Text();
    EXPECT_EQ(ReadFile(tmp.Path() + "/victim"), "keep me");
    EXPECT_EQ(ReadFile(tmp.Path() + "/hard"), "keep me too");
    EXPECT_EQ(ReadFile(dir + "/index.html"), "<p>home</p>");
    EXPECT_EQ(ReadFile(dir + "/pic.gif"), "GIF89a....");
}

// A book cut short keeps the pages before the cut: the reader says so instead of calling itself
// the template, lists and saves what is left, and ends with a failure status.
TEST_F(ReaderTest, ACutBookSaysWhatIsLeftAndSavesIt) {
    const std::string whole = SimpleBook().Book("ELF-TEMPLATE-BYTES");
    const size_t cut = whole.find("/src/empty.txt") + 6;
    // The trailer stays: a cut in the middle, as a broken copy makes.
    WriteFile(env.SelfPath, whole.substr(0, cut) + whole.substr(whole.size() - 4));
    EXPECT_EQ(Run({}), kReaderFailed);
    EXPECT_EQ(err.Text().find("template"), std::string::npos) << err.Text();
    EXPECT_NE(err.Text().find("book is damaged: it is cut short"), std::string::npos) << err.Text();
    EXPECT_NE(err.Text().find("2 files can still be read: run \"" + env.SelfPath +
                              " --extract DIR\" to save them."),
              std::string::npos)
        << err.Text();

    EXPECT_EQ(Run({"--list"}), kReaderFailed);
    EXPECT_NE(out.Text().find("index.html"), std::string::npos);
    EXPECT_NE(out.Text().find("pic.gif"), std::string::npos);

    const std::string dir = tmp.Path() + "/saved";
    EXPECT_EQ(Run({"--extract", dir}), kReaderFailed);
    EXPECT_EQ(ReadFile(dir + "/index.html"), "<p>home</p>");
    EXPECT_EQ(ReadFile(dir + "/pic.gif"), "GIF89a....");
    EXPECT_NE(err.Text().find("2 files written to " + dir), std::string::npos) << err.Text();
    EXPECT_EQ(asked, 0); // the configuration, and with it any password, is lost
}

TEST_F(ReaderTest, TheLaterOfTwoMembersWithOneNameIsServed) {
    TArchiveBytes a;
    a.Member("/s/folioauthor.html", "a page that happens to have this name")
        .Member("/s/a/index.html", "first")
        .Member("/s/b/INDEX.html", "second")
        .Member("/b/folioauthor.html", ConfigText("/s/a/index.html"))
        .End();
    WriteBook(a);
    ASSERT_EQ(Run({"--extract", tmp.Path() + "/x"}), kReaderOk) << err.Text();
    EXPECT_EQ(ReadFile(tmp.Path() + "/x/INDEX.html"), "second"); // as stored
    EXPECT_FALSE(FileExists(tmp.Path() + "/x/index.html"));
    EXPECT_NE(ReadFile(tmp.Path() + "/x/folioauthor.html").find("homepage="), std::string::npos);
    EXPECT_NE(err.Text().find("Skipped /s/a/index.html"), std::string::npos);
}

TEST_F(ReaderTest, DamagedBooksGiveAClearMessageNeverACrash) {
    const std::string good = SimpleBook().Book("ELF-TEMPLATE-BYTES");
    const size_t archiveStart = std::string("ELF-TEMPLATE-BYTES").size();
    // A block length that runs past the end.
    {
        TArchiveBytes a;
        a.Member("/s/index.html", "ok").Int(9).Raw("x").Int(0x7FFFFFF0).End();
        WriteBook(a);
        EXPECT_EQ(Run({"--list"}), kReaderFailed);
    }
    // A compressed block that is not zlib data.
    {
        TArchiveBytes a;
        a.Member("/b/folioauthor.html", ConfigText("/s/i.html"));
        a.Int(7).Raw("/s/i.html").Int(-1).Raw(std::string("EC2\0", 4)).Int(5).Raw("nozlb");
        a.Int(0).End();
        WriteBook(a);
        EXPECT_EQ(Run({"--list"}), kReaderFailed);
        EXPECT_EQ(Run({"--extract", tmp.Path() + "/d"}), kReaderFailed);
        EXPECT_FALSE(FileExists(tmp.Path() + "/d/i.html"));
    }
    // No configuration.
    {
        TArchiveBytes a;
        a.Member("/s/index.html", "ok").End();
        WriteBook(a);
        EXPECT_EQ(Run({"--list"}), kReaderFailed);
        EXPECT_NE(err.Text().find("folioauthor.html"), std::string::npos);
    }
    // Every truncation and every single-byte change of the archive: never a crash.
    for (size_t cut = archiveStart; cut < good.size(); cut += 11) {
        WriteFile(env.SelfPath, good.substr(0, cut) + good.substr(good.size() - 4));
        const int rc = Run({"--list"});
        EXPECT_TRUE(rc == kReaderFailed || rc == kReaderNoArchive || rc == kReaderOk) << cut;
    }
    for (size_t i = archiveStart; i + 4 < good.size(); i += 5) {
        std::string bad = good;
        bad[i] = static_cast<char>(bad[i] ^ 0x5A);
        WriteFile(env.SelfPath, bad);
        const int rc = Run({"--extract", tmp.Path() + "/fuzz"});
        EXPECT_TRUE(rc == kReaderFailed || rc == kReaderNoArchive || rc == kReaderOk) << i;
    }
}

} // namespace
