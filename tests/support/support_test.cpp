// The shared test helpers: scratch folders go away whole without reaching outside through
// links, files that cannot be read fail naming themselves, and inputs are told apart from the
// optional corpus.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

#include "tests/support/data_paths.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;
using folio_test::ReadFile;
using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

// Sets an environment variable for one scope.
class TEnvScope {
public:
    TEnvScope(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~TEnvScope() {
        if (old_.empty())
            ::unsetenv(name_);
        else
            ::setenv(name_, old_.c_str(), 1);
    }

private:
    const char* name_;
    std::string old_;
};

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(TempDirTest, RemovesLinksButNotWhatTheyPointAt) {
    TempDir outside;
    WriteFile(outside / "keep/me.txt", "precious");
    std::string inside;
    {
        TempDir dir;
        inside = dir.Path();
        fs::create_directory_symlink(outside / "keep", dir / "dir-link");
        fs::create_symlink(outside / "keep/me.txt", dir / "file-link");
        WriteFile(dir.Sub("deep/er/file"), "x");
        fs::create_directory_symlink(outside.Path(), dir / "deep/er/up");
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(inside)));
    EXPECT_EQ(ReadFile(outside / "keep/me.txt"), "precious");
}

TEST(TempDirTest, RemovesFoldersTheTestLockedAndLeavesLockedTargetsAlone) {
    TempDir outside;
    WriteFile(outside / "locked/file", "x");
    fs::permissions(outside / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    std::string inside;
    {
        TempDir dir;
        inside = dir.Path();
        WriteFile(dir / "a/b/c", "x");
        fs::permissions(dir / "a/b", fs::perms::none);
        fs::permissions(dir / "a", fs::perms::owner_read | fs::perms::owner_exec);
        fs::create_directory_symlink(outside / "locked", dir / "link");
    }
    EXPECT_FALSE(fs::exists(inside));
    // The link was not followed: the folder it named keeps its permissions.
    EXPECT_EQ(fs::status(outside / "locked").permissions() & fs::perms::owner_write,
              fs::perms::none);
    fs::permissions(outside / "locked", fs::perms::owner_all);
}

TEST(FilesTest, WriteCreatesFoldersAndReadGivesTheBytesBack) {
    TempDir dir;
    const std::string bytes("a\0b\r\n\xff", 6);
    WriteFile(dir / "x/y/z.bin", bytes);
    EXPECT_EQ(ReadFile(dir / "x/y/z.bin"), bytes);
    WriteFile(dir / "x/y/z.bin", "");
    EXPECT_EQ(ReadFile(dir / "x/y/z.bin"), "");
}

TEST(FilesTest, AMissingFileFailsNamingItself) {
    TempDir dir;
    const std::string error = ErrorOf([&] { ReadFile(dir / "absent.txt"); });
    EXPECT_NE(error.find(dir / "absent.txt"), std::string::npos) << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

TEST(FilesTest, AFailedWriteFailsNamingTheFile) {
    TempDir dir;
    WriteFile(dir / "plain", "not a folder");
    const std::string error = ErrorOf([&] { WriteFile(dir / "plain/inside", "x"); });
    EXPECT_NE(error.find("plain"), std::string::npos) << error;
}

TEST(FilesTest, TrailerIsTheLastFourBytesLittleEndian) {
    TempDir dir;
    WriteFile(dir / "book", std::string("head\x10\x27\0\0", 8));
    EXPECT_EQ(folio_test::TrailerOf(dir / "book"), 10000);
    WriteFile(dir / "short", "abc");
    EXPECT_EQ(folio_test::TrailerOf(dir / "short"), -1);
}

TEST(DataPathsTest, ProjectInputMustBeThere) {
    TempDir src;
    WriteFile(src / "tests/data/here/file", "x");
    TEnvScope scope("FOLIO_SOURCE_DIR", src.Path());
    EXPECT_EQ(folio_test::ProjectData("here/file"), fs::path(src / "tests/data/here/file"));
    const std::string error = ErrorOf([] { folio_test::ProjectData("gone"); });
    EXPECT_NE(error.find("tests/data/gone"), std::string::npos) << error;
}

TEST(DataPathsTest, AnAbsentCorpusIsAnEmptyPathAndAReason) {
    TempDir corpus;
    fs::create_directories(corpus / "seeds/gif");
    TEnvScope scope("FOLIO_CORPUS_DIR", corpus.Path());
    EXPECT_EQ(folio_test::OptionalCorpus("seeds/gif"), fs::path(corpus / "seeds/gif"));
    EXPECT_TRUE(folio_test::OptionalCorpus("seeds/bmp").empty());
    EXPECT_EQ(folio_test::CorpusAbsent("seeds/bmp"),
              "optional corpus " + (corpus / "seeds/bmp") + " is absent");
}

TEST(DataPathsTest, TheCorpusLiesBesideTheSourcesWhenNotNamed) {
    TEnvScope source("FOLIO_SOURCE_DIR", "/src/folio");
    TEnvScope corpus("FOLIO_CORPUS_DIR", "");
    EXPECT_EQ(folio_test::CorpusRoot(), fs::path("/src/folio/../shared/corpus"));
}
