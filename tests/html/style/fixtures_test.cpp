// Data-driven sheets: every tests/data/style/NAME.css is parsed into a list after the
// built-in rules (url() values against the base "/site/css/"), and what it adds to the built-in
// sheet's dump is compared with NAME.txt beside it: the selectors it adds or changes, each with
// only the properties that differ from the built-in ones ("  - name" for one it takes away).
// The built-in sheet's own dump is built-in-sheet.txt. FOLIO_UPDATE_EXPECTED=1 rewrites the
// expected files after a deliberate change; read the differences before committing them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "tests/html/style/style_test_util.h"
#include "tests/support/files.h"
#include "tests/support/update_expected.h"

using folio_test::ReadFile;
using folio_test::WriteFile;

namespace fs = std::filesystem;

namespace {

fs::path DataDir() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return fs::path(src && *src ? src : ".") / "tests" / "data" / "style";
}

// A list dump as selectors in order, each with its property lines.
using TDumpBlocks = std::vector<std::pair<std::string, std::vector<std::string>>>;

TDumpBlocks Blocks(const std::string& dump) {
    TDumpBlocks blocks;
    std::istringstream in(dump);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] == '[')
            blocks.push_back({line, {}});
        else if (!blocks.empty())
            blocks.back().second.push_back(line);
    }
    return blocks;
}

// The property name of a dump line "  name = value".
std::string PropertyOf(const std::string& line) {
    return line.substr(0, line.find(" = "));
}

// What a sheet's dump adds to the built-in sheet's dump.
std::string AddedTo(const std::string& builtIn, const std::string& dump) {
    std::map<std::string, std::vector<std::string>> base;
    for (auto& [selector, lines] : Blocks(builtIn))
        base[selector] = lines;
    std::string out;
    for (const auto& [selector, lines] : Blocks(dump)) {
        const auto it = base.find(selector);
        const std::vector<std::string> before =
            it == base.end() ? std::vector<std::string>{} : it->second;
        std::string changes;
        for (const std::string& line : lines)
            if (std::find(before.begin(), before.end(), line) == before.end())
                changes += line + "\n";
        for (const std::string& line : before) {
            const std::string name = PropertyOf(line);
            if (std::none_of(lines.begin(), lines.end(),
                             [&](const std::string& l) { return PropertyOf(l) == name; }))
                changes += "  - " + name.substr(name.find_first_not_of(' ')) + "\n";
        }
        if (it == base.end() || !changes.empty())
            out += selector + "\n" + changes;
        if (it != base.end())
            base.erase(it);
    }
    for (const auto& [selector, lines] : base)
        out += selector + " removed\n";
    return out;
}

std::string BuiltInDump() {
    TStyleList list;
    LoadDumpDefaults(list);
    return DumpStyleList(list);
}

bool Rewriting() {
    return folio_test::UpdatingExpected("FOLIO_UPDATE_EXPECTED");
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

TEST(StyleFixturesTest, BuiltInSheetMatchesExpected) {
    const fs::path expected = DataDir() / "built-in-sheet.txt";
    if (Rewriting())
        WriteFile(expected, BuiltInDump());
    EXPECT_EQ(BuiltInDump(), ReadFile(expected));
}

TEST(StyleFixturesTest, DumpsMatchExpected) {
    const std::vector<fs::path> sheets = Sheets(DataDir());
    ASSERT_GE(sheets.size(), 5u) << "fixtures missing under " << DataDir();
    const std::string builtIn = BuiltInDump();
    for (const fs::path& css : sheets) {
        TStyleList list;
        LoadDumpDefaults(list);
        ParseStyleText(list, ReadFile(css), "/site/css/");
        const std::string added = AddedTo(builtIn, DumpStyleList(list));
        fs::path expected = css;
        expected.replace_extension(".txt");
        if (Rewriting()) {
            WriteFile(expected, added);
            continue;
        }
        EXPECT_EQ(added, ReadFile(expected)) << css.filename();
    }
}

// The comparison itself: new selectors whole, changed ones with only what differs.
TEST(StyleFixturesTest, AddedToShowsOnlyWhatASheetChanges) {
    const std::string builtIn = "[a]\n  color = 1\n  font-size = 2\n[b]\n  x = 1\n[c]\n  y = 1\n";
    const std::string dump =
        "[a]\n  color = 3\n[b]\n  x = 1\n[c]\n  y = 1\n  z = 2\n[d]\n  w = 4\n";
    EXPECT_EQ(AddedTo(builtIn, dump),
              "[a]\n  color = 3\n  - font-size\n[c]\n  z = 2\n[d]\n  w = 4\n");
    EXPECT_EQ(AddedTo(builtIn, "[a]\n  color = 1\n  font-size = 2\n[c]\n  y = 1\n"),
              "[b] removed\n");
    EXPECT_EQ(AddedTo(builtIn, builtIn), "");
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
