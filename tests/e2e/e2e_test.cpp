// The real programs end to end: foliobuilder builds a book from a fixture tree, the book lists
// and extracts itself, and every file comes back byte for byte. The programs are copied into a
// scratch directory first, so the book configuration each build writes beside the builder
// never meets another test's.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/file_collection.h"
#include "platform/base/files.h"
#include "platform/base/strings.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::ReadFile;
using folio_test::TempDir;
using folio_test::TrailerOf;
using folio_test::WriteFile;

namespace fs = std::filesystem;

namespace {

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* binary = std::getenv("FOLIO_BINARY_DIR");
        const char* source = std::getenv("FOLIO_SOURCE_DIR");
        if (!binary || !source) {
            GTEST_SKIP() << "FOLIO_BINARY_DIR and FOLIO_SOURCE_DIR are set by CTest";
        }
        fixture = std::string(source) + "/tests/data/app/book-tree";
        bin = tmp.Path() + "/bin";
        fs::create_directories(bin);
        for (const char* program : {"foliobuilder", "Folio3.bin"}) {
            fs::copy_file(std::string(binary) + "/bin/" + program, bin + "/" + program);
        }
        fs::create_directories(tmp.Path() + "/state");
    }

    // Runs a shell command line with the scratch state directory; returns the exit status.
    int Run(const std::string& command, const std::string& input = "") {
        const std::string in = tmp.Path() + "/stdin";
        WriteFile(in, input);
        const std::string line = "cd '" + tmp.Path() + "' && XDG_STATE_HOME='" + tmp.Path() +
                                 "/state' " + command + " <'" + in + "' >'" + tmp.Path() +
                                 "/stdout' 2>'" + tmp.Path() + "/stderr'";
        const int status = std::system(line.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Out() const { return ReadFile(tmp.Path() + "/stdout"); }
    std::string Err() const { return ReadFile(tmp.Path() + "/stderr"); }

    // The files the builder should pack, by the name the book serves them under.
    std::map<std::string, std::string> ExpectedFiles() const {
        TStringList files;
        CollectFiles(fixture, files);
        std::map<std::string, std::string> expected;
        for (int i = 0; i < files.Count(); ++i) {
            expected[LowerCase(ExtractFileName(files[i]))] = files[i];
        }
        return expected;
    }

    TempDir tmp;
    std::string fixture;
    std::string bin;
};

TEST_F(EndToEndTest, ABookGivesBackEveryFileByteForByte) {
    ASSERT_EQ(Run("bin/foliobuilder build '" + fixture +
                  "' --home index.html --title 'End to end' -o book"),
              0)
        << Err();
    EXPECT_EQ(Out(), "book was successfully created. Compression rate = " +
                         Out().substr(Out().find("= ") + 2));
    EXPECT_EQ(TrailerOf(tmp.Path() + "/book"), FileSizeOf(bin + "/Folio3.bin"));

    const auto expected = ExpectedFiles();
    ASSERT_EQ(expected.size(), 13u); // the packable, visible files: skip/ keeps only its picture

    ASSERT_EQ(Run("./book --list"), 0) << Err();
    const std::string listing = Out();
    for (const auto& [name, path] : expected) {
        EXPECT_NE(listing.find(std::to_string(FileSizeOf(path)) + "  "), std::string::npos);
        EXPECT_NE(listing.find("  " + name + "\n"), std::string::npos) << name;
    }
    for (const char* absent : {"script.js", ".hidden.html", "inside.html"}) {
        EXPECT_EQ(listing.find(absent), std::string::npos) << absent;
    }

    ASSERT_EQ(Run("./book --extract out"), 0) << Err();
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(tmp.Path() + "/out")) {
        const std::string name = entry.path().filename().string();
        if (name == "folioauthor.html") {
            EXPECT_EQ(ReadFile(entry.path().string()),
                      "homepage=" + fixture +
                          "/index.html\r\ncaption=End to end\r\npassword=\r\niconfile=\r\n");
            continue;
        }
        ASSERT_EQ(expected.count(name), 1u) << "unexpected file " << name;
        EXPECT_EQ(ReadFile(entry.path().string()), ReadFile(expected.at(name))) << name;
        ++count;
    }
    EXPECT_EQ(count, expected.size());

    // The builder lists and extracts the same book.
    ASSERT_EQ(Run("bin/foliobuilder list book"), 0) << Err();
    EXPECT_EQ(Out(), listing);
    ASSERT_EQ(Run("bin/foliobuilder extract book out2"), 0) << Err();
    EXPECT_EQ(ReadFile(tmp.Path() + "/out2/noise.wav"), ReadFile(fixture + "/big/noise.wav"));
}

TEST_F(EndToEndTest, APasswordIsAskedOnStandardInputAndThenRemembered) {
    ASSERT_EQ(Run("FOLIO_PASSWORD=garden bin/foliobuilder build '" + fixture +
                  "' --home about.htm -o locked"),
              0)
        << Err();
    EXPECT_EQ(Run("./locked --list", "weed\n"), 1);
    EXPECT_NE(Err().find("Wrong password."), std::string::npos);
    EXPECT_EQ(Out(), "");
    EXPECT_EQ(Run("./locked --extract out"), 1); // no answer at all
    EXPECT_FALSE(DirectoryExists(tmp.Path() + "/out"));

    ASSERT_EQ(Run("./locked --extract out", "garden\n"), 0) << Err();
    EXPECT_EQ(ReadFile(tmp.Path() + "/out/about.htm"), ReadFile(fixture + "/about.htm"));
    // Remembered: no answer needed any more, and the password is not in the reader's file.
    ASSERT_EQ(Run("./locked --list"), 0) << Err();
    EXPECT_NE(Out().find("about.htm"), std::string::npos);
    const std::string remembered = ReadFile(tmp.Path() + "/state/folio3/passwords");
    EXPECT_FALSE(remembered.empty());
    EXPECT_EQ(remembered.find("garden"), std::string::npos);
}

TEST_F(EndToEndTest, TheBareTemplateSaysItIsTheTemplate) {
    EXPECT_EQ(Run("bin/Folio3.bin"), 3);
    EXPECT_NE(Err().find("reader template of FolioBuilder"), std::string::npos);
    EXPECT_EQ(Run("bin/Folio3.bin --list"), 3);
    EXPECT_EQ(Run("bin/Folio3.bin --version"), 0);
    EXPECT_NE(Out().find("Folio3.bin"), std::string::npos);
}

TEST_F(EndToEndTest, FailuresExitNonZeroWithTheMessage) {
    // Without a display the window cannot open: a note and the usage.
    EXPECT_EQ(Run("env -u DISPLAY bin/foliobuilder"), 2);
    EXPECT_NE(Err().find("Usage:"), std::string::npos);
    EXPECT_EQ(Run("bin/foliobuilder build '" + fixture + "' --home nothere.html -o book"), 1);
    EXPECT_FALSE(FileExists(tmp.Path() + "/book"));
    ASSERT_EQ(Run("bin/foliobuilder build '" + fixture + "' --home index.html -o book"), 0);
    EXPECT_EQ(Run("bin/foliobuilder build '" + fixture + "' --home index.html -o book"), 1);
    EXPECT_NE(Err().find("--force"), std::string::npos);
    // A damaged book: its archive cut short in the middle.
    const std::string book = ReadFile(tmp.Path() + "/book");
    WriteFile(tmp.Path() + "/cut",
              book.substr(0, book.size() - 30000) + book.substr(book.size() - 4));
    fs::permissions(tmp.Path() + "/cut", fs::perms::owner_all);
    EXPECT_EQ(Run("./cut --list"), 1);
    EXPECT_NE(Err().find("damaged"), std::string::npos);
}

} // namespace
