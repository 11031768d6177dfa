// The book reader's command line, read by the option parser the builder uses too: each case is
// the arguments given to a book and what the book answers.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "bookreader/reader_app.h"
#include "tests/support/captured_output.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::ReadFile;
using folio_test::WriteFile;

namespace {

struct Case {
    std::vector<std::string> Args;
    int Status;
    std::string Out; // what standard output starts with
    std::string Err; // standard error, whole
};

class ReaderOptionsTest : public ::testing::TestWithParam<Case> {
protected:
    // One book for every case, built once.
    static void SetUpTestSuite() {
        dir = new folio_test::TempDir;
        WriteFile(*dir / "bin/Folio3.bin", std::string(1000, 'R'));
        WriteFile(*dir / "site/index.html", "<p>home</p>");
        WriteFile(*dir / "site/-dash.html", "<p>a page whose name starts with a dash</p>");
        TCapture out, err;
        TCommandLineEnvironment env;
        env.BuilderDir = *dir / "bin/";
        env.SettingsDir = env.BuilderDir;
        env.Out = out.File();
        env.Err = err.File();
        ASSERT_EQ(RunFolioBuilderCommandLine(
                      {"build", *dir / "site", "--home", "index.html", "-o", *dir / "book"}, env),
                  kExitOk)
            << err.Text();
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }

    static folio_test::TempDir* dir;
};

folio_test::TempDir* ReaderOptionsTest::dir = nullptr;

TEST_P(ReaderOptionsTest, AnswersTheCommandLine) {
    TCapture out, err;
    TReaderEnvironment env;
    env.SelfPath = *dir / "book";
    env.Out = out.File();
    env.Err = err.File();
    // The window would open at the page; here it says which page that is. Without a page on
    // the command line the window chooses: the page read last, else the home page.
    env.ShowBook = [&](const TSiteBook&, const std::string& page) {
        std::fprintf(env.Out, "shown from %s\n",
                     page.empty() ? "(the window's choice)" : page.c_str());
        return 0;
    };
    std::vector<std::string> args = GetParam().Args;
    for (std::string& a : args) {
        if (a == "DIR") {
            a = *dir / "out";
        }
    }
    EXPECT_EQ(RunBookReader(args, env), GetParam().Status) << err.Text();
    EXPECT_EQ(out.Text().rfind(GetParam().Out, 0), 0u) << out.Text();
    EXPECT_EQ(err.Text(), GetParam().Err);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReaderOptionsTest,
    ::testing::Values(
        Case{{"--help"}, kReaderOk, "Usage: book [PAGE]\n", ""},
        Case{{"--list", "-h"}, kReaderOk, "Usage: book [PAGE]\n", ""},
        Case{{"--version"}, kReaderOk, "Folio3.bin (FolioBuilder site book reader) ", ""},
        Case{{"--list"}, kReaderOk, "", ""},
        Case{{}, kReaderOk, "shown from (the window's choice)\n", ""},
        // "--" ends the options, so a page name may start with a dash.
        Case{{"--", "-dash.html"}, kReaderOk, "shown from -dash.html\n", ""},
        Case{{"--bogus"},
             kReaderUsage,
             "",
             "book: unknown option --bogus\nTry 'book --help' for more.\n"},
        Case{{"-dash.html"},
             kReaderUsage,
             "",
             "book: unknown option -dash.html\nTry 'book --help' for more.\n"},
        Case{{"--extract"},
             kReaderUsage,
             "",
             "book: option --extract needs a value: --extract DIR\n"
             "Try 'book --help' for more.\n"},
        Case{{"--extract="},
             kReaderUsage,
             "",
             "book: option --extract needs a directory\nTry 'book --help' for more.\n"},
        Case{{"--list", "--extract", "DIR"},
             kReaderUsage,
             "",
             "book: give one of --list, --extract and --search\nTry 'book --help' for more.\n"},
        Case{{"--list", "index.html"},
             kReaderUsage,
             "",
             "book: a page is opened only when the book is shown, not with --list, --extract "
             "or --search\nTry 'book --help' for more.\n"},
        Case{{"a.html", "b.html"},
             kReaderUsage,
             "",
             "book: more than one page: b.html\nTry 'book --help' for more.\n"}));

} // namespace
