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
    const std::string text = NameClashWarning(clashes);
    EXPECT_NE(text.find("/s/sub/Index.HTML"), std::string::npos);
}

TEST(NameClashes, TheSamePathTwiceIsOneFile) {
    // The archive packs a path given twice (or with other capitals) once.
    EXPECT_TRUE(FindNameClashes(ListOf({"/s/icon.ico", "/s/page.html", "/S/ICON.ICO"})).empty());
    EXPECT_TRUE(NameClashWarning({}).empty());
}

} // namespace
