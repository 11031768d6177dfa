// A build in which a file reads shorter than its size said: the book is still made and sound,
// the warning names the file, and the command line ends with its own status so scripts can
// tell a book that may be cut short from a clean one.
//
// The file that changes is a link to a kernel attribute file: the kernel gives those a size of
// a page but far fewer bytes when read, which is a file that shrinks between its stat and its
// read on every run, without timing.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "app/command_line.h"
#include "bookreader/site_book.h"
#include "tests/support/captured_output.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

using folio_test::TempDir;
using folio_test::WriteFile;

namespace {

// A kernel attribute file that reads shorter than its stat size; empty when none is there.
std::string ShortReadingFile() {
    for (const char* path :
         {"/sys/kernel/mm/transparent_hugepage/enabled", "/sys/kernel/profiling",
          "/sys/kernel/mm/transparent_hugepage/defrag", "/sys/module/kernel/parameters/panic"}) {
        struct stat st {};
        if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0)
            continue;
        try {
            const std::string text = folio_test::ReadFile(path);
            if (!text.empty() && static_cast<off_t>(text.size()) < st.st_size)
                return path;
        } catch (const std::exception&) {
        }
    }
    return "";
}

class ChangedFilesBuild : public ::testing::Test {
protected:
    ChangedFilesBuild() {
        WriteFile(tmp.Sub("bin/Folio3.bin"), std::string(2000, 'R'));
        WriteFile(tmp.Sub("site/index.html"), "<p>home</p>");
        env.BuilderDir = tmp.Path() + "/bin/";
        env.SettingsDir = tmp.Path() + "/bin/";
        env.GetEnv = [](const char*) -> const char* { return nullptr; };
        env.Out = out.File();
        env.Err = err.File();
    }
    int Build() {
        return RunFolioBuilderCommandLine(
            {"build", tmp.Path() + "/site", "--home", "index.html", "-o", tmp.Path() + "/book"},
            env);
    }

    TempDir tmp;
    TCapture out;
    TCapture err;
    TCommandLineEnvironment env;
};

TEST_F(ChangedFilesBuild, AnUnchangedSiteEndsWithStatusZero) {
    EXPECT_EQ(Build(), kExitOk) << err.Text();
    EXPECT_EQ(err.Text().find("changed while"), std::string::npos);
}

TEST_F(ChangedFilesBuild, AFileThatReadsShortIsNamedAndTheStatusSaysSo) {
    const std::string source = ShortReadingFile();
    if (source.empty())
        GTEST_SKIP() << "no kernel attribute file that reads shorter than its size is readable "
                        "here (/sys not mounted?)";
    const std::string link = tmp.Path() + "/site/setting.txt";
    ASSERT_EQ(::symlink(source.c_str(), link.c_str()), 0);

    EXPECT_EQ(Build(), kExitFilesChanged);
    EXPECT_NE(kExitFilesChanged, kExitOk);
    EXPECT_NE(kExitFilesChanged, kExitFailed);
    EXPECT_NE(kExitFilesChanged, kExitUsage);
    const std::string errors = err.Text();
    EXPECT_NE(errors.find("changed while they were packed"), std::string::npos) << errors;
    EXPECT_NE(errors.find(link), std::string::npos) << errors;
    EXPECT_NE(out.Text().find("successfully created"), std::string::npos) << out.Text();

    // The book opens, and holds what could be read.
    TSiteBook book(tmp.Path() + "/book");
    const int index = book.Find("setting.txt");
    ASSERT_GE(index, 0);
    EXPECT_EQ(book.Archive().ExtractToString(index), folio_test::ReadFile(source));
}

} // namespace
