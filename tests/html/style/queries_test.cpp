// What layout code asks a property set for.
#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "tests/html/style/style_test_util.h"

namespace {

TProperties With(int slot, TPropValue v) {
    TProperties p;
    p.Values[slot] = std::move(v);
    return p;
}

TEST(QueriesTest, BackgroundImage) {
    std::string url = "old";
    EXPECT_TRUE(With(piBackgroundImage, "none").GetBackgroundImage(url));
    EXPECT_EQ(url, "");
    EXPECT_TRUE(With(piBackgroundImage, "url(a.gif)").GetBackgroundImage(url));
    EXPECT_EQ(url, "a.gif");
    EXPECT_FALSE(With(piBackgroundImage, "a.gif").GetBackgroundImage(url));
    EXPECT_FALSE(TProperties().GetBackgroundImage(url));
}

TEST(QueriesTest, AlignFloatClearPosition) {
    AlignKind a = akNone;
    EXPECT_TRUE(With(piVerticalAlign, "text-top").GetVertAlign(a));
    EXPECT_EQ(a, akTop);
    EXPECT_TRUE(With(piVerticalAlign, "baseline").GetVertAlign(a));
    EXPECT_EQ(a, akBaseline);
    EXPECT_FALSE(With(piVerticalAlign, "sub").GetVertAlign(a));
    EXPECT_TRUE(With(piFloat, "none").GetFloat(a));
    EXPECT_EQ(a, akNone);
    EXPECT_TRUE(With(piFloat, "right").GetFloat(a));
    EXPECT_EQ(a, akRight);
    EXPECT_FALSE(With(piFloat, "center").GetFloat(a));
    ClearKind c = ckNone;
    EXPECT_TRUE(With(piClear, "both").GetClear(c));
    EXPECT_EQ(c, ckBoth);
    EXPECT_FALSE(TProperties().GetClear(c));
    EXPECT_EQ(With(piPosition, "absolute").GetPosition(), posAbsolute);
    EXPECT_EQ(With(piPosition, "relative").GetPosition(), posRelative);
    EXPECT_EQ(With(piPosition, "fixed").GetPosition(), posStatic);
}

TEST(QueriesTest, ListStyles) {
    EXPECT_EQ(With(piListStyleType, "upper-roman").GetListStyleType(), lsUpperRoman);
    EXPECT_EQ(With(piListStyleType, "disc").GetListStyleType(), lsDisc);
    EXPECT_EQ(With(piListStyleType, "inside").GetListStyleType(), lsBlank);
    EXPECT_EQ(TProperties().GetListStyleType(), lsBlank);
    EXPECT_EQ(ListStyleName(lsLowerAlpha), "lower-alpha");
    EXPECT_EQ(With(piListStyleImage, "url('dot.gif')").GetListStyleImage(), "dot.gif");
}

TEST(QueriesTest, VisibilityAndZIndex) {
    TProperties p;
    p.AddPropertyByName("visibility", "hidden");
    EXPECT_TRUE(p.IsHidden());
    p.AddPropertyByName("visibility", "visible");
    EXPECT_FALSE(p.IsHidden());
    EXPECT_EQ(TProperties().GetZIndex(), 0);
    EXPECT_EQ(With(piZIndex, "5").GetZIndex(), 5);
    EXPECT_EQ(With(piZIndex, "auto").GetZIndex(), 0);
}

TEST(QueriesTest, LineHeight) {
    TProperties p = With(piLineHeight, "1.5");
    p.EmHeight = 16;
    p.ExHeight = 8;
    EXPECT_EQ(p.GetLineHeight(20), 30);
    p.Values[piLineHeight] = "20px";
    EXPECT_EQ(p.GetLineHeight(20), 20);
    p.Values[piLineHeight] = "150%";
    EXPECT_EQ(p.GetLineHeight(20), 24) << "a percentage of the em";
    p.Values[piLineHeight] = "normal";
    EXPECT_EQ(p.GetLineHeight(20), 0);
    p.Values[piLineHeight] = TPropValue();
    EXPECT_EQ(p.GetLineHeight(20), 0);
}

TEST(QueriesTest, ColoursOnlyWhenARuleGaveThem) {
    TStyleFixture f("p { background-color: yellow }");
    f.Push("div").SetIfUnset(TPropValue(0x123), piColor);
    TProperties& p = f.Push("p");
    EXPECT_EQ(p.GetBackgroundColor(), RGB(255, 255, 0));
    EXPECT_EQ(p.GetFontColor(), NoColor) << "inherited colours do not count";
    EXPECT_EQ(f.Stack[1].GetFontColor(), 0x123u);
    p.SetFontBG();
    EXPECT_EQ(p.TextBackground, RGB(255, 255, 0));
    TProperties q = With(piBackgroundColor, TPropValue(5));
    EXPECT_EQ(q.GetBackgroundColor(), NoColor);
}

TEST(QueriesTest, BordersAndBoxValues) {
    EXPECT_TRUE(With(piBorderStyle, "solid").HasBorderStyle());
    EXPECT_FALSE(With(piBorderStyle, "none").HasBorderStyle());
    EXPECT_FALSE(TProperties().HasBorderStyle());
    TProperties p;
    p.AddPropertyByName("border-top-style", "dotted");
    p.AddPropertyByName("border-left-style", "none");
    p.AddPropertyByName("margin-left", "3px");
    const TBoxValues b = p.GetBoxValues();
    EXPECT_EQ(b[piBorderTopStyle], TPropValue(int32_t{bdDotted}));
    EXPECT_EQ(b[piBorderLeftStyle], TPropValue(0));
    EXPECT_EQ(b[piBorderRightStyle], TPropValue(0));
    EXPECT_EQ(b[piMarginLeft], TPropValue("3px"));
    EXPECT_EQ(b[piMarginTop], TPropValue(NullLength));
}

TEST(QueriesTest, BorderStyleKindsAndSideColours) {
    const std::pair<const char*, BorderStyleKind> kinds[] = {
        {"none", bdNone},     {"solid", bdSolid},   {"dashed", bdDashed}, {"dotted", bdDotted},
        {"double", bdDouble}, {"groove", bdGroove}, {"ridge", bdRidge},   {"inset", bdInset},
        {"outset", bdOutset}, {"wavy", bdSolid}, // an unknown word still draws a border
    };
    for (const auto& [text, kind] : kinds) {
        TProperties p;
        p.AddPropertyByName("border-right-style", text);
        EXPECT_EQ(p.GetBoxValues()[piBorderRightStyle], TPropValue(int32_t{kind})) << text;
    }
    TProperties p;
    std::array<TColor, 4> c{};
    p.GetBorderColors(c);
    EXPECT_EQ(c, (std::array<TColor, 4>{NoColor, NoColor, NoColor, NoColor}));
    p.AddPropertyByName("border-color", "#ff0000");
    p.AddPropertyByName("border-left-color", "blue");
    p.AddPropertyByName("border-top-color", "no colour");
    p.GetBorderColors(c);
    // A side's own colour wins over border-color; an unreadable one is no colour.
    EXPECT_EQ(c, (std::array<TColor, 4>{NoColor, RGB(255, 0, 0) | PaletteFlag,
                                        RGB(255, 0, 0) | PaletteFlag, RGB(0, 0, 255)}));
}

TEST(QueriesTest, VerticalAlignValues) {
    const std::pair<const char*, VerticalAlignKind> words[] = {
        {"baseline", vaBaseline}, {"sub", vaSub},
        {"super", vaSuper},       {"top", vaTop},
        {"text-top", vaTextTop},  {"middle", vaMiddle},
        {"bottom", vaBottom},     {"text-bottom", vaTextBottom},
    };
    for (const auto& [text, kind] : words) {
        TVerticalAlign va;
        ASSERT_TRUE(With(piVerticalAlign, text).GetVerticalAlign(va)) << text;
        EXPECT_EQ(va.Kind, kind) << text;
    }
    TProperties p = With(piVerticalAlign, "50%");
    p.EmHeight = 20;
    TVerticalAlign va;
    ASSERT_TRUE(p.GetVerticalAlign(va));
    EXPECT_EQ(va.Kind, vaRaise);
    EXPECT_EQ(va.Raise, 10); // half the line height, which is the em when "normal"
    p.Values[piLineHeight] = TPropValue("30px");
    ASSERT_TRUE(p.GetVerticalAlign(va));
    EXPECT_EQ(va.Raise, 15);
    p.Values[piVerticalAlign] = TPropValue("-4px");
    ASSERT_TRUE(p.GetVerticalAlign(va));
    EXPECT_EQ(va.Raise, -4);
    p.Values[piVerticalAlign] = TPropValue("99999px");
    ASSERT_TRUE(p.GetVerticalAlign(va));
    EXPECT_EQ(va.Raise, 10000);
    for (const char* bad : {"sideways", "", "px", "%"})
        EXPECT_FALSE(With(piVerticalAlign, bad).GetVerticalAlign(va)) << bad;
    EXPECT_FALSE(TProperties().GetVerticalAlign(va));
}

TEST(AddPropertyTest, ColoursFallBackPerSlot) {
    TProperties p;
    p.AddPropertyByName("color", "nonsense");
    p.AddPropertyByName("background-color", "nonsense");
    p.AddPropertyByName("border-color", "#ff0000");
    EXPECT_EQ(p.Values[piColor], TPropValue(0));
    EXPECT_EQ(p.Values[piBackgroundColor], Color(NoColor));
    EXPECT_EQ(p.Values[piBorderColor], Color(RGB(255, 0, 0) | PaletteFlag));
    p.AddPropertyByName("no-such-thing", "1");
    p.AddPropertyByName("Color", "red"); // names are compared case-sensitively
    EXPECT_EQ(p.Values[piColor], TPropValue(0));
    p.AddPropertyByIndex(-1, "x");
    p.AddPropertyByIndex(PropCount, "x");
}

} // namespace
