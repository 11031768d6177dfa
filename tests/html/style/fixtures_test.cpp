// Data-driven sheets: every tests/data/style/NAME.css is parsed into a list after the
// built-in rules (url() values against the base "/site/css/") and its dump compared with
// NAME.txt beside it. FOLIO_UPDATE_EXPECTED=1 rewrites the expected files after a deliberate
// change; read the differences before committing them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/html/style/style_test_util.h"

namespace fs = std::filesystem;

namespace {

fs::path DataDir() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return fs::path(src && *src ? src : ".") / "tests" / "data" / "style";
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<fs::path> Sheets(const fs::path& dir) {
    std::vector<fs::path> sheets;
    if (fs::is_directory(dir)) {
        for (const auto& e : fs::directory_iterator(dir)) {
            if (e.path().extension() == ".css")
                sheets.push_back(e.path());
        }
    }
    std::sort(sheets.begin(), sheets.end());
    return sheets;
}

TEST(StyleFixturesTest, DumpsMatchExpected) {
    const std::vector<fs::path> sheets = Sheets(DataDir());
    ASSERT_GE(sheets.size(), 5u) << "fixtures missing under " << DataDir();
    const char* update = std::getenv("FOLIO_UPDATE_EXPECTED");
    const bool rewrite = update && std::string(update) == "1";
    for (const fs::path& css : sheets) {
        TStyleList list;
        LoadDumpDefaults(list);
        ParseStyleText(list, ReadFile(css), "/site/css/");
        const std::string dump = DumpStyleList(list);
        fs::path expected = css;
        expected.replace_extension(".txt");
        if (rewrite) {
            std::ofstream(expected, std::ios::binary) << dump;
            continue;
        }
        ASSERT_TRUE(fs::exists(expected)) << expected;
        EXPECT_EQ(dump, ReadFile(expected)) << css.filename();
    }
}

// Inputs the fuzzers found troublesome: each must parse, cascade and dump without fault.
TEST(StyleFixturesTest, FuzzFindingsParseQuietly) {
    for (const fs::path& css : Sheets(DataDir() / "fuzz")) {
        const std::string text = ReadFile(css);
        TStyleFixture f(text);
        f.Push("p", "c", "i");
        f.PushLink("c");
        EXPECT_FALSE(DumpStyleList(f.Sheet).empty()) << css.filename();
        TProperties attr;
        ParseStyleAttribute(text, attr);
        TColor c = 0;
        ColorFromText(text, false, c);
        ColorFromText(text, true, c);
    }
}

} // namespace
