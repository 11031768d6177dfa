// Files whose size is not their content. A kernel attribute file gives a size of a page but far
// fewer bytes when read (a file that would shrink between its stat and its read on every run);
// such files are the system's, never the site's: a link to one is skipped and named, and the
// book is made clean. Files that really change while they are packed are named by the archive
// writer (tests/archive/backup_changes_test.cpp).
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

TEST_F(ChangedFilesBuild, ALinkToAKernelAttributeFileIsSkippedAndNamed) {
    const std::string source = ShortReadingFile();
    if (source.empty())
        GTEST_SKIP() << "no kernel attribute file that reads shorter than its size is readable "
                        "here (/sys not mounted?)";
    const std::string link = tmp.Path() + "/site/setting.txt";
    ASSERT_EQ(::symlink(source.c_str(), link.c_str()), 0);

    EXPECT_EQ(Build(), kExitOk) << err.Text();
    const std::string errors = err.Text();
    EXPECT_NE(errors.find(link + ": a link to a file of the system"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("changed while"), std::string::npos) << errors;
    EXPECT_NE(out.Text().find("successfully created"), std::string::npos) << out.Text();

    TSiteBook book(tmp.Path() + "/book");
    EXPECT_LT(book.Find("setting.txt"), 0);
    EXPECT_GE(book.Find("index.html"), 0);
}

} // namespace
