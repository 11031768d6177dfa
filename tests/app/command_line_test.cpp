// foliobuilder's command line, run in-process with a scratch builder directory.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <map>

#include "app/progress_bar.h"
#include "bookreader/site_book.h"
#include "platform/base/files.h"
#include "tests/support/captured_output.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::ReadFile;
using folio_test::TempDir;
using folio_test::TrailerOf;
using folio_test::WriteFile;

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest() {
        WriteFile(tmp.Sub("bin/Folio3.bin"), std::string(2000, 'R'));
        WriteFile(tmp.Sub("site/index.html"), "<p>home</p>");
        WriteFile(tmp.Sub("site/docs/guide.htm"), "<p>guide</p>");
        WriteFile(tmp.Sub("site/docs/style.css"), "body { color: red }");
        env.BuilderDir = tmp.Path() + "/bin/";
        env.SettingsDir = tmp.Path() + "/bin/";
        env.GetEnv = [this](const char* name) -> const char* {
            const auto it = environment.find(name);
            return it == environment.end() ? nullptr : it->second.c_str();
        };
        env.Out = out.File();
        env.Err = err.File();
    }
    int Run(std::vector<std::string> args) { return RunFolioBuilderCommandLine(args, env); }
    std::string Config() const { return ReadFile(tmp.Path() + "/bin/folioauthor.html"); }

    TempDir tmp;
    TCapture out;
    TCapture err;
    std::map<std::string, std::string> environment;
    TCommandLineEnvironment env;
};

TEST_F(CommandLineTest, NoArgumentsPrintsANoteAndTheUsage) {
    EXPECT_EQ(Run({}), kExitUsage);
    EXPECT_NE(err.Text().find("Usage: foliobuilder build"), std::string::npos);
    EXPECT_TRUE(out.Text().empty());
}

TEST_F(CommandLineTest, HelpAndVersionGoToStandardOutput) {
    EXPECT_EQ(Run({"--help"}), kExitOk);
    EXPECT_NE(out.Text().find("Usage: foliobuilder build SRC --home PAGE"), std::string::npos);
    EXPECT_EQ(Run({"--version"}), kExitOk);
    EXPECT_NE(out.Text().find("foliobuilder 3."), std::string::npos);
    EXPECT_TRUE(err.Text().empty());
}

TEST_F(CommandLineTest, BadCommandLinesAreUsageErrors) {
    const std::string src = tmp.Path() + "/site";
    EXPECT_EQ(Run({"frobnicate"}), kExitUsage);
    EXPECT_EQ(Run({"build", src, "-o", tmp.Path() + "/b"}), kExitUsage);      // no --home
    EXPECT_EQ(Run({"build", src, "--home", "index.html"}), kExitUsage);       // no -o
    EXPECT_EQ(Run({"build", "--home", "index.html", "-o", "b"}), kExitUsage); // no SRC
    EXPECT_EQ(Run({"build", src, "--home", "index.html", "-o", "b", "--bogus"}), kExitUsage);
    EXPECT_EQ(Run({"build", src, "--home", "index.html", "-o", "b", "--password", "x",
                   "--password-file", "f"}),
              kExitUsage);
    EXPECT_EQ(Run({"build", src, "--home"}), kExitUsage);
    EXPECT_EQ(Run({"list"}), kExitUsage);
    EXPECT_EQ(Run({"extract", "book"}), kExitUsage);
    EXPECT_FALSE(FileExists(tmp.Path() + "/b"));
}

TEST_F(CommandLineTest, BuildRunsTheCreateCommandWithTheOptionsAsAnswers) {
    const std::string book = tmp.Path() + "/out/guide-book";
    std::filesystem::create_directories(tmp.Path() + "/out");
    ASSERT_EQ(Run({"build", tmp.Path() + "/site/", "--home", "docs/guide.htm", "--title",
                   "The Guide", "-o", book}),
              kExitOk)
        << err.Text();
    EXPECT_NE(out.Text().find("guide-book was successfully created. Compression rate = "),
              std::string::npos);
    EXPECT_EQ(Config(), "homepage=" + tmp.Path() +
                            "/site/docs/guide.htm\r\n"
                            "caption=The Guide\r\npassword=\r\niconfile=\r\n");
    EXPECT_EQ(TrailerOf(book), 2000);
    TSiteBook opened(book);
    EXPECT_EQ(opened.Archive().Count(), 4);
    EXPECT_EQ(opened.HomePageName(), "guide.htm");
}

TEST_F(CommandLineTest, WithoutATitleTheBookTakesTheBuildersCaption) {
    ASSERT_EQ(Run({"build", tmp.Path() + "/site", "--home=" + tmp.Path() + "/site/index.html", "-o",
                   tmp.Path() + "/book"}),
              kExitOk)
        << err.Text();
    EXPECT_NE(Config().find("\r\ncaption=Vants FolioBuilder 3\r\n"), std::string::npos);
}

TEST_F(CommandLineTest, AHomePageOutsideTheCollectedFilesIsAnError) {
    WriteFile(tmp.Sub("site/script.js"), "x");
    EXPECT_EQ(
        Run({"build", tmp.Path() + "/site", "--home", "script.js", "-o", tmp.Path() + "/book"}),
        kExitFailed);
    EXPECT_NE(err.Text().find("is not among the files collected"), std::string::npos);
    EXPECT_EQ(
        Run({"build", tmp.Path() + "/site", "--home", "missing.html", "-o", tmp.Path() + "/book"}),
        kExitFailed);
    EXPECT_FALSE(FileExists(tmp.Path() + "/book"));
}

TEST_F(CommandLineTest, MissingSourcesIconsAndTemplatesAreErrors) {
    EXPECT_EQ(Run({"build", tmp.Path() + "/nowhere", "--home", "a.html", "-o", "b"}), kExitFailed);
    std::filesystem::create_directories(tmp.Path() + "/empty");
    EXPECT_EQ(Run({"build", tmp.Path() + "/empty", "--home", "a.html", "-o", "b"}), kExitFailed);
    EXPECT_NE(err.Text().find("no files to pack"), std::string::npos);
    EXPECT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "--icon",
                   tmp.Path() + "/none.ico", "-o", tmp.Path() + "/book"}),
              kExitFailed);
    DeleteFile(tmp.Path() + "/bin/Folio3.bin");
    EXPECT_EQ(
        Run({"build", tmp.Path() + "/site", "--home", "index.html", "-o", tmp.Path() + "/book"}),
        kExitFailed);
    EXPECT_NE(err.Text().find("Cannot find the template \"Folio3.bin\""), std::string::npos);
    EXPECT_FALSE(FileExists(tmp.Path() + "/book"));
}

TEST_F(CommandLineTest, AnExistingBookIsReplacedOnlyWithForce) {
    const std::string book = tmp.Path() + "/book";
    WriteFile(book, "precious");
    EXPECT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "-o", book}),
              kExitFailed);
    EXPECT_NE(err.Text().find("give --force"), std::string::npos);
    EXPECT_EQ(ReadFile(book), "precious");
    EXPECT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "-o", book, "--force"}),
              kExitOk);
    EXPECT_EQ(TrailerOf(book), 2000);
}

TEST_F(CommandLineTest, TheBuilderRefusesToOverwriteItself) {
    EXPECT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "-o",
                   tmp.Path() + "/foliobuilder", "--force"}),
              kExitFailed);
    EXPECT_NE(err.Text().find("You cannot overwrite FolioBuilder!"), std::string::npos);
    EXPECT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "-o",
                   tmp.Path() + "/bin/Folio3.bin", "--force"}),
              kExitFailed);
    EXPECT_EQ(ReadFile(tmp.Path() + "/bin/Folio3.bin"), std::string(2000, 'R'));
}

TEST_F(CommandLineTest, ThePasswordComesFromTheOptionTheFileOrTheEnvironment) {
    const std::string book = tmp.Path() + "/book";
    environment["FOLIO_PASSWORD"] = "from-env";
    ASSERT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "-o", book}), kExitOk);
    EXPECT_NE(Config().find("\r\npassword=from-env\r\n"), std::string::npos);

    ASSERT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "--password",
                   "from-option", "-o", book, "--force"}),
              kExitOk);
    EXPECT_NE(Config().find("\r\npassword=from-option\r\n"), std::string::npos);

    WriteFile(tmp.Path() + "/pw.txt", "from-file\r\nsecond line\n");
    ASSERT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "--password-file",
                   tmp.Path() + "/pw.txt", "-o", book, "--force"}),
              kExitOk);
    EXPECT_NE(Config().find("\r\npassword=from-file\r\n"), std::string::npos);

    EXPECT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "--password-file",
                   tmp.Path() + "/no-such-file", "-o", book, "--force"}),
              kExitFailed);
}

TEST_F(CommandLineTest, ListAndExtractCheckThePasswordAndServeTheFilesFlat) {
    const std::string book = tmp.Path() + "/book";
    ASSERT_EQ(Run({"build", tmp.Path() + "/site", "--home", "index.html", "--password", "pw", "-o",
                   book}),
              kExitOk);
    environment["FOLIO_PASSWORD"] = "wrong";
    EXPECT_EQ(Run({"list", book}), kExitFailed);
    EXPECT_NE(err.Text().find("Wrong password."), std::string::npos);

    environment["FOLIO_PASSWORD"] = "pw";
    const size_t before = out.Text().size();
    ASSERT_EQ(Run({"list", book}), kExitOk);
    const std::string listing = out.Text().substr(before);
    for (const char* name : {"index.html", "guide.htm", "style.css", "folioauthor.html"}) {
        EXPECT_NE(listing.find(name), std::string::npos) << name;
    }
    ASSERT_EQ(Run({"extract", book, tmp.Path() + "/x"}), kExitOk);
    EXPECT_EQ(ReadFile(tmp.Path() + "/x/guide.htm"), "<p>guide</p>");
    EXPECT_EQ(ReadFile(tmp.Path() + "/x/style.css"), "body { color: red }");
}

TEST_F(CommandLineTest, ListingSomethingThatIsNoBookFails) {
    EXPECT_EQ(Run({"list", tmp.Path() + "/bin/Folio3.bin"}), kExitFailed);
    EXPECT_NE(err.Text().find("is not a site book"), std::string::npos);
    EXPECT_EQ(Run({"list", tmp.Path() + "/missing"}), kExitFailed);
}

TEST(ProgressBar, ShowsTheBarThePercentageAndTheFileName) {
    EXPECT_EQ(TProgressBar::Line("/a/b/page.html", 50, 80),
              "[###############...............]  50% page.html");
    EXPECT_EQ(TProgressBar::Line("", 0, 80), "[..............................]   0% ");
    EXPECT_EQ(TProgressBar::Line("x", 140, 80).substr(0, 38),
              "[##############################] 100% ");
    // A name too long for the line keeps its end.
    EXPECT_EQ(TProgressBar::Line("/p/abcdefghij.html", 0, 44),
              "[..............................]   0% .html");
}

} // namespace
