// Data-driven sheets: every tests/data/style/NAME.css is parsed into a list after the
// built-in rules (url() values against the base "/site/css/") and its dump compared with
// NAME.txt beside it. FOLIO_UPDATE_EXPECTED=1 rewrites the expected files after a deliberate
// change; read the differences before committing them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/html/style/style_test_util.h"
#include "tests/support/files.h"

using folio_test::ReadFile;

namespace fs = std::filesystem;

namespace {

fs::path DataDir() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return fs::path(src && *src ? src : ".") / "tests" / "data" / "style";
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

// Hostile sheets, and inputs the fuzzers found troublesome: each must parse, cascade and dump
// without fault, and what layout gets from them stays within its ranges.
TEST(StyleFixturesTest, HostileSheetsParseQuietly) {
    const std::vector<fs::path> sheets = Sheets(DataDir() / "fuzz");
    ASSERT_FALSE(sheets.empty());
    for (const fs::path& css : sheets) {
        SCOPED_TRACE(css.filename().string());
        const std::string text = ReadFile(css);
        TStyleFixture f(text);
        for (const char* tag : {"p", "h1", "n"}) {
            TProperties& p = f.Push(tag, "c", "i");
            const auto font = p.MakeFont();
            EXPECT_LE(std::abs(font->Size), 1000);
            TBoxArray m;
            ConvertBox(p.GetBoxValues(), 600, 400, p.EmHeight, p.ExHeight, m);
            for (int32_t v : m.Items) {
                const bool marker = v == AutoLength || v == NullLength ||
                                    v == static_cast<int32_t>(NoColor) || v > 0xFFFFFF;
                EXPECT_TRUE(marker || std::abs(v) <= 1000000000) << v;
            }
            f.Stack.Pop();
        }
        f.PushLink("c");
        EXPECT_FALSE(DumpStyleList(f.Sheet).empty());
        TProperties attr;
        ParseStyleAttribute(text, attr);
        TColor c = 0;
        ColorFromText(text, false, c);
        ColorFromText(text, true, c);
    }
}

TEST(StyleFixturesTest, OverlongContextualSelectorsNeverMatch) {
    TStyleFixture f(ReadFile(DataDir() / "fuzz" / "deep-selector.css"));
    for (const char* tag : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m"})
        f.Push(tag);
    TProperties& n = f.Push("n");
    EXPECT_EQ(n.Values[piColor], Color(RGB(0, 0, 255)));
}

} // namespace
