#include "app/name_clashes.h"

#include <gtest/gtest.h>

namespace {

TStringList ListOf(std::initializer_list<const char*> paths) {
    TStringList list;
    for (const char* p : paths) {
        list.Add(p);
    }
    return list;
}

TEST(NameClashes, GroupsNamesEqualIgnoringCaseAcrossFolders) {
    const auto clashes = FindNameClashes(
        ListOf({"/s/index.html", "/s/a.gif", "/s/sub/Index.HTML", "/s/b/a.GIF", "/s/c.css"}));
    ASSERT_EQ(clashes.size(), 2u);
    EXPECT_EQ(clashes[0], (std::vector<std::string>{"/s/index.html", "/s/sub/Index.HTML"}));
    EXPECT_EQ(clashes[1], (std::vector<std::string>{"/s/a.gif", "/s/b/a.GIF"}));
}

TEST(NameClashes, NamesInOneFolderThatDifferOnlyInCapitalsClashToo) {
    // Three files on disk: the archive would keep the first and drop the others silently.
    const auto clashes =
        FindNameClashes(ListOf({"/s/Index.html", "/s/index.html", "/s/INDEX.HTML", "/s/x.css"}));
    ASSERT_EQ(clashes.size(), 1u);
    EXPECT_EQ(clashes[0],
              (std::vector<std::string>{"/s/Index.html", "/s/index.html", "/s/INDEX.HTML"}));
}

TEST(NameClashes, TheSamePathTwiceIsOneFile) {
    // The icon may be in the source tree too; the archive packs a path given twice once.
    EXPECT_TRUE(FindNameClashes(ListOf({"/s/icon.ico", "/s/page.html", "/s/icon.ico"})).empty());
    EXPECT_TRUE(NameClashWarning({}, 5).empty());
}

TEST(NameClashes, TheWarningCountsTheNamesAndShowsTheFirstGroups) {
    std::vector<std::vector<std::string>> clashes;
    for (int i = 0; i < 7; ++i) {
        const std::string name = "page" + std::to_string(i) + ".html";
        clashes.push_back({"/a/" + name, "/b/" + name});
    }
    const std::string text = NameClashWarning(clashes, 2, " (--verbose lists them all)");
    EXPECT_EQ(text.rfind("7 file names occur more than once (ignoring case).", 0), 0u) << text;
    EXPECT_NE(text.find("\n  /a/page0.html, /b/page0.html\n  /a/page1.html, /b/page1.html\n"
                        "  and 5 more (--verbose lists them all)"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("page2"), std::string::npos);
    // All of them when there is room.
    EXPECT_NE(NameClashWarning(clashes, 7).find("/b/page6.html"), std::string::npos);
    EXPECT_EQ(NameClashWarning(clashes, 7).find("\n  and "), std::string::npos);
}

TEST(NameClashes, NamesAreShownEscaped) {
    const std::string text = NameClashWarning({{"/s/a\x1b[2J.html", "/t/A\x1b[2J.html"}}, 5);
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_NE(text.find("/s/a\\x1b[2J.html"), std::string::npos);
}

} // namespace
