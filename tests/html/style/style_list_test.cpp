// The style list: key order, built-in rules and storing rules.
#include <gtest/gtest.h>

#include "html/style/style_dump.h"
#include "html/style/style_list.h"
#include "html/style/value_convert.h"

namespace {

TEST(StyleKeyOrderTest, SelectorSeparatorsSortRightAfterTheTag) {
    // Every key of tag "li" comes before any longer tag name.
    const char* ordered[] = {"li",       "li 110ul ", "li#x", "li.c", "li.c 111ul ",
                             "li:hover", "li-item",   "li1",  "lia"};
    for (size_t i = 1; i < std::size(ordered); ++i)
        EXPECT_LT(CompareStyleKeys(ordered[i - 1], ordered[i]), 0)
            << ordered[i - 1] << " < " << ordered[i];
    EXPECT_LT(CompareStyleKeys("h", "h:hover"), 0);
    EXPECT_LT(CompareStyleKeys("h:hover", "h1"), 0);
}

TEST(StyleKeyOrderTest, ContextNumbersCompareAsNumbers) {
    // Fewer ancestors first, then the order the selectors were read in, past 99 too.
    EXPECT_LT(CompareStyleKeys("ul 13ul", "ul 110ul "), 0);
    EXPECT_LT(CompareStyleKeys("ul 199ul ", "ul 1100ul "), 0);
    EXPECT_LT(CompareStyleKeys("ul 1100ul ", "ul 211ul ol "), 0);
    EXPECT_LT(CompareStyleKeys("ul 24ul ul", "ul 211ul ol "), 0);
    EXPECT_EQ(CompareStyleKeys("ul 110ul ", "UL 110UL "), 0);
}

TEST(StyleKeyOrderTest, IgnoresAsciiCase) {
    EXPECT_EQ(CompareStyleKeys("P.Intro", "p.intro"), 0);
    EXPECT_LT(CompareStyleKeys("a", "B"), 0);
}

TEST(StyleListTest, NewAndClearedListsCountContextsFromTen) {
    TStyleList list;
    EXPECT_EQ(list.ContextCounter, 10);
    EXPECT_EQ(list.NextContextNumber(), "10");
    EXPECT_EQ(list.NextContextNumber(), "11");
    list.SetRule("a:hover", "color", "red");
    EXPECT_TRUE(list.HoverColorSet);
    list.Clear();
    EXPECT_EQ(list.ContextCounter, 10);
    EXPECT_FALSE(list.HoverColorSet);
    EXPECT_EQ(list.Count(), 0);
}

TEST(StyleListTest, DuplicateKeysAreKeptInTheOrderAdded) {
    TStyleList list;
    TProperties a, b;
    a.Values[piColor] = 1;
    b.Values[piColor] = 2;
    list.AddCopy("p", a);
    list.AddCopy("p", b);
    list.AddCopy("b", a);
    ASSERT_EQ(list.Count(), 3);
    int i = -1;
    ASSERT_TRUE(list.Find("p", i));
    EXPECT_EQ(i, 1);
    EXPECT_EQ(list.Props(1).Values[piColor], TPropValue(1));
    EXPECT_EQ(list.Props(2).Values[piColor], TPropValue(2));
    EXPECT_EQ(list.Key(1), "p");
    EXPECT_FALSE(list.Find("q", i));
    EXPECT_EQ(i, 3);
    EXPECT_THROW(list.Key(3), std::out_of_range);
}

class DefaultsTest : public ::testing::Test {
protected:
    void SetUp() override { LoadDumpDefaults(list); }
    const TStyleRule& Entry(const char* key) {
        const int i = list.IndexOf(key);
        EXPECT_GE(i, 0) << key;
        return list.Props(i < 0 ? 0 : i);
    }
    TStyleList list;
};

TEST_F(DefaultsTest, RootSetFromTheArguments) {
    EXPECT_EQ(list.Count(), 47);
    ASSERT_NE(list.DefaultProps, nullptr);
    const TProperties& d = *list.DefaultProps;
    // The "default" entry holds the root set's values as a rule.
    for (int i = 0; i < PropCount; ++i)
        EXPECT_EQ(Entry("default").Values[i], d.Values[i]) << i;
    EXPECT_EQ(d.Values[piFontFamily], TPropValue("Times New Roman"));
    EXPECT_EQ(d.Values[piFontSize], TPropValue(12.0));
    EXPECT_EQ(d.Values[piColor], TPropValue(0));
    EXPECT_EQ(d.Values[piMarginLeft], TPropValue(10));
    EXPECT_EQ(d.Values[piMarginTop], TPropValue(8));
    EXPECT_EQ(d.Values[piVisibility], TPropValue(2));
    // Link colours get the palette flag; the text colour does not.
    EXPECT_EQ(d.Values[piLinkColor], TPropValue(static_cast<int32_t>(0x02FF0000)));
    EXPECT_EQ(d.Values[piHoverColor], TPropValue(static_cast<int32_t>(0x020000FF)));
    EXPECT_EQ(d.Values[piVisitedColor], TPropValue(static_cast<int32_t>(0x02800080)));
    EXPECT_EQ(d.Values[piVisitedDecoration], TPropValue("underline"));
    EXPECT_EQ(list.DefaultPointSize, 12.0);
}

TEST_F(DefaultsTest, LinksNotUnderlined) {
    list.LoadDefaults("Arial", "Courier New", 0, 0, 204, false, 0, 0, 0, 0, 10.0);
    const TProperties& d = *list.DefaultProps;
    EXPECT_EQ(d.Values[piLinkDecoration], TPropValue("none"));
    EXPECT_EQ(d.Values[piHoverDecoration], TPropValue("none"));
    EXPECT_EQ(d.Charset, 204);
    EXPECT_EQ(list.IndexOf("null") >= 0, true);
    EXPECT_EQ(Entry("h1").Values[piFontSize], TPropValue(10.0 / 12 * 24));
    EXPECT_EQ(Entry("pre").Values[piFontSize], TPropValue(10.0 * 10 / 12));
}

TEST_F(DefaultsTest, SharedRowsAreSeparateCopies) {
    const TStyleRule& ul = Entry("ul");
    const TStyleRule& menu = Entry("menu");
    EXPECT_NE(&ul, &menu);
    EXPECT_EQ(ul.Values, menu.Values);
    EXPECT_EQ(Entry("ul 13ul").Values[piListStyleType], TPropValue("circle"));
    EXPECT_EQ(Entry("ul 24ul ul").Values[piListStyleType], TPropValue("square"));
    EXPECT_EQ(Entry("p").Values[piMarginTop], TPropValue(ParaAutoLength));
    EXPECT_EQ(Entry("p 11pre").Values[piMarginTop], TPropValue(0));
}

TEST(SetRuleTest, ColoursAndLinkFlags) {
    TStyleList list;
    int hoverCalls = 0;
    list.OnHoverRule = [&] { ++hoverCalls; };
    list.SetRule("a:link", "color", "#00f");
    EXPECT_TRUE(list.LinkColorSet);
    list.SetRule("a:visited", "color", "purple");
    EXPECT_TRUE(list.VisitedColorSet);
    EXPECT_EQ(hoverCalls, 0);
    list.SetRule("a:hover", "color", "red");
    EXPECT_TRUE(list.HoverColorSet);
    EXPECT_EQ(hoverCalls, 1);
    list.SetRule("b:hover", "color", "nonsense");
    EXPECT_EQ(hoverCalls, 1) << "an unreadable colour sets nothing";
    EXPECT_FALSE(list.Props(list.IndexOf("b:hover")).Values[piColor].IsAssigned());
    list.SetRule("p", "background-color", "nonsense");
    EXPECT_EQ(list.Props(list.IndexOf("p")).Values[piBackgroundColor],
              TPropValue(static_cast<int32_t>(NoColor)));
    list.SetRule("p", "border-color", "ff0000");
    EXPECT_EQ(list.Props(list.IndexOf("p")).Values[piBorderColor],
              TPropValue(static_cast<int32_t>(RGB(255, 0, 0) | PaletteFlag)));
}

TEST(SetRuleTest, BorderStylesVisibilityAndUnknownNames) {
    TStyleList list;
    list.SetRule("div", "border-style", "dotted");
    const TStyleRule& d = list.Props(list.IndexOf("div"));
    for (int i : {piBorderStyle, piBorderTopStyle, piBorderRightStyle, piBorderBottomStyle,
                  piBorderLeftStyle})
        EXPECT_EQ(d.Values[i], TPropValue("dotted")) << i;
    list.SetRule("div", "border-left-style", "solid");
    EXPECT_EQ(d.Values[piBorderStyle], TPropValue("solid"));
    EXPECT_EQ(d.Values[piBorderTopStyle], TPropValue("dotted"));
    list.SetRule("div", "visibility", "hidden");
    EXPECT_EQ(d.Values[piVisibility], TPropValue(1));
    list.SetRule("div", "visibility", "collapse");
    EXPECT_EQ(d.Values[piVisibility], TPropValue(1));
    list.SetRule("span", "text-shadow", "1px 1px");
    EXPECT_EQ(list.IndexOf("span"), -1) << "an unknown name adds no entry";
    EXPECT_FALSE(d.Values.Has(piColor));
}

TEST(StyleRuleTest, KeepsOnlyTheSlotsItWasGiven) {
    TStyleRule r;
    r.Values.Set(piWidth, "5px");
    r.Values.Set(piColor, 7);
    r.Values.Set(piFontFamily, "a");
    r.Values.Set(piColor, 9); // replaces
    r.Values.Set(-1, 1);      // outside the slots: ignored
    r.Values.Set(PropCount, 1);
    ASSERT_EQ(r.Values.Written().size(), 3u);
    EXPECT_EQ(r.Values.Written()[0].first, piFontFamily);
    EXPECT_EQ(r.Values.Written()[1].first, piColor);
    EXPECT_EQ(r.Values.Written()[2].first, piWidth);
    EXPECT_EQ(r.Values[piColor], TPropValue(9));
    EXPECT_EQ(r.Values[piWidth], TPropValue("5px"));
    // Every other slot reads as in a new set.
    const TProperties fresh;
    for (int i = 0; i < PropCount; ++i)
        if (i != piColor && i != piWidth && i != piFontFamily) {
            EXPECT_EQ(r.Values[i], fresh.Values[i]) << i;
        }
    EXPECT_FALSE(r.Values[-1].IsAssigned());
    EXPECT_FALSE(r.Values[PropCount].IsAssigned());
    // A copy of a whole set keeps only what differs from a new one.
    TStyleList list;
    TProperties set;
    set.Values[piMarginTop] = 4;
    set.Values[piTextAlign] = "right";
    const TStyleRule& copy = list.AddCopy("p", set);
    EXPECT_EQ(copy.Values.Written().size(), 2u);
    EXPECT_EQ(copy.Values[piMarginTop], TPropValue(4));
    EXPECT_EQ(copy.Values[piMarginLeft], TPropValue(NullLength));
    // One or two declarations cost a few hundred bytes at most, not a slot for every property.
    EXPECT_LT(sizeof(TStyleRule) + 2 * sizeof(TRuleValues::Slot), 200u);
}

} // namespace
