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

using Names = std::vector<std::string>;

TEST(NameClashes, GroupsNamesEqualIgnoringCaseAcrossFoldersAndTheLastOneIsServed) {
    const auto clashes = FindNameClashes(
        ListOf({"/s/index.html", "/s/a.gif", "/s/sub/Index.HTML", "/s/b/a.GIF", "/s/c.css"}));
    ASSERT_EQ(clashes.size(), 2u);
    EXPECT_EQ(clashes[0].Served, "/s/sub/Index.HTML");
    EXPECT_EQ(clashes[0].Shadowed, Names{"/s/index.html"});
    EXPECT_EQ(clashes[1].Served, "/s/b/a.GIF");
    EXPECT_EQ(clashes[1].Shadowed, Names{"/s/a.gif"});
}

TEST(NameClashes, TheHomePageAndTheIconKeepTheirNamesWhateverTheOrder) {
    const TStringList files = ListOf(
        {"/s/index.html", "/s/sub/index.html", "/s/logo.gif", "/s/pics/LOGO.GIF", "/s/x.css"});
    const auto clashes = FindNameClashes(files, {"/s/index.html", "/s/logo.gif"});
    ASSERT_EQ(clashes.size(), 2u);
    EXPECT_EQ(clashes[0].Served, "/s/index.html");
    EXPECT_EQ(clashes[0].Shadowed, Names{"/s/sub/index.html"});
    EXPECT_EQ(clashes[1].Served, "/s/logo.gif");
    EXPECT_EQ(clashes[1].Shadowed, Names{"/s/pics/LOGO.GIF"});
}

TEST(NameClashes, ABackslashIsPartOfTheNameNeverASeparator) {
    EXPECT_TRUE(FindNameClashes(ListOf({"/s/index.html", "/s/zz\\index.html", "/s/back\\slash.html",
                                        "/s/slash.html"}))
                    .empty());
}

TEST(NameClashes, NamesInOneFolderThatDifferOnlyInCapitalsClashToo) {
    // Three files on disk: the archive keeps the first of them, which is the one served.
    const auto clashes =
        FindNameClashes(ListOf({"/s/Index.html", "/s/index.html", "/s/INDEX.HTML", "/s/x.css"}));
    ASSERT_EQ(clashes.size(), 1u);
    EXPECT_EQ(clashes[0].Served, "/s/Index.html");
    EXPECT_EQ(clashes[0].Shadowed, (Names{"/s/index.html", "/s/INDEX.HTML"}));
    // Chosen as the home page, the second one wins.
    EXPECT_EQ(
        FindNameClashes(ListOf({"/s/Index.html", "/s/index.html"}), {"/s/index.html"})[0].Served,
        "/s/index.html");
}

TEST(NameClashes, TheSamePathTwiceIsOneFile) {
    // The icon may be in the source tree too; the archive packs a path given twice once.
    EXPECT_TRUE(FindNameClashes(ListOf({"/s/icon.ico", "/s/page.html", "/s/icon.ico"})).empty());
    EXPECT_TRUE(NameClashWarning({}, 5).empty());
}

TEST(NameClashes, TheWarningCountsTheNamesAndNamesWhatShadowsWhat) {
    std::vector<TNameClash> clashes;
    for (int i = 0; i < 7; ++i) {
        const std::string name = "page" + std::to_string(i) + ".html";
        clashes.push_back({"/b/" + name, {"/a/" + name}});
    }
    clashes[1].Shadowed.push_back("/c/page1.html");
    const std::string text = NameClashWarning(clashes, 2, " (--verbose lists them all)");
    EXPECT_EQ(text.rfind("7 file names occur more than once (ignoring case).", 0), 0u) << text;
    EXPECT_NE(text.find("\n  /a/page0.html is shadowed by /b/page0.html\n"
                        "  /a/page1.html, /c/page1.html are shadowed by /b/page1.html\n"
                        "  and 5 more (--verbose lists them all)"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("page2"), std::string::npos);
    // All of them when there is room.
    EXPECT_NE(NameClashWarning(clashes, 7).find("/b/page6.html"), std::string::npos);
    EXPECT_EQ(NameClashWarning(clashes, 7).find("\n  and "), std::string::npos);
}

TEST(NameClashes, NamesAreShownEscaped) {
    const std::string text = NameClashWarning({{"/s/a\x1b[2J.html", {"/t/A\x1b[2J.html"}}}, 5);
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_NE(text.find("/s/a\\x1b[2J.html"), std::string::npos);
}

} // namespace
