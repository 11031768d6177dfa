// Data-driven lexer fixtures: every tests/data/reader/NAME.html is dumped with the htmltokens
// format and compared with NAME.txt beside it. NAME.pre.html reads as inside PRE, NAME.nobr.html
// as inside NOBR, NAME.pos.html adds positions. FOLIO_UPDATE_EXPECTED=1 rewrites the expected
// files after a deliberate change (check them by eye before committing).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/files.h"
#include "tests/support/update_expected.h"
#include "tools/htmltokens_dump.h"

using folio_test::ReadFile;

namespace fs = std::filesystem;

namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

fs::path DataDir() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return fs::path(src ? src : ".") / "tests" / "data" / "reader";
}
} // namespace

TEST(LexerFixtures, DumpsMatchExpected) {
    const fs::path dir = DataDir();
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    const bool update = folio_test::UpdatingExpected("FOLIO_UPDATE_EXPECTED");
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (!EndsWith(name, ".html"))
            continue;
        THtmlTokensOptions options;
        options.Pre = EndsWith(name, ".pre.html");
        options.NoBreak = EndsWith(name, ".nobr.html");
        options.Positions = EndsWith(name, ".pos.html");
        const std::string got = DumpHtmlTokens(ReadFile(entry.path()), options);
        fs::path expected = entry.path();
        expected.replace_extension(".txt");
        if (update) {
            folio_test::WriteFile(expected, got);
            continue;
        }
        ASSERT_TRUE(fs::exists(expected)) << expected << " is missing";
        EXPECT_EQ(got, ReadFile(expected)) << "fixture " << name;
        ++checked;
    }
    if (!update) {
        EXPECT_GT(checked, 5);
    }
}
