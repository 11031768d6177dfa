// Colour names, hexadecimal colours and rgb().
#include <gtest/gtest.h>

#include "html/style/color_names.h"
#include "html/style/color_text.h"

namespace {

TColor Parse(std::string_view text, bool needHash = false) {
    TColor c = 0xDEADBEEF;
    EXPECT_TRUE(ColorFromText(text, needHash, c)) << text;
    return c;
}

bool Fails(std::string_view text, bool needHash = false) {
    TColor c = 0;
    return !ColorFromText(text, needHash, c);
}

TEST(ColorNamesTest, TableHas141NamesInSearchOrder) {
    ASSERT_EQ(ColorNameCount(), 141);
    EXPECT_EQ(ColorNameAt(0), "transparent");
    EXPECT_EQ(ColorNameAt(1), "black");
    EXPECT_EQ(ColorNameAt(16), "white");
    EXPECT_EQ(ColorNameAt(17), "aliceblue");
    EXPECT_EQ(ColorNameAt(140), "yellowgreen");
    for (int i = 18; i < ColorNameCount(); ++i)
        EXPECT_LT(ColorNameAt(i - 1), ColorNameAt(i)) << i;
}

TEST(ColorNamesTest, NamesGiveCssValuesWithoutPaletteFlag) {
    EXPECT_EQ(Parse("red"), 0x0000FFu);
    EXPECT_EQ(Parse("navy"), 0x800000u);
    EXPECT_EQ(Parse("olive"), 0x008080u);
    EXPECT_EQ(Parse("teal"), 0x808000u);
    EXPECT_EQ(Parse("silver"), 0xC0C0C0u);
    EXPECT_EQ(Parse("orange"), RGB(0xFF, 0xA5, 0x00));
    EXPECT_EQ(Parse("crimson"), RGB(0xDC, 0x14, 0x3C));
    EXPECT_TRUE(Fails("rebeccapurple")); // a later keyword, not in the table
}

TEST(ColorNamesTest, OnlyLightgreyIsSpeltWithGrey) {
    EXPECT_EQ(Parse("lightgrey"), RGB(0xD3, 0xD3, 0xD3));
    TColor c = 0;
    EXPECT_FALSE(FindColorName("lightgray", c));
    EXPECT_FALSE(FindColorName("grey", c));
    EXPECT_FALSE(FindColorName("darkgrey", c));
    EXPECT_FALSE(FindColorName("dimgrey", c));
    EXPECT_TRUE(FindColorName("darkgray", c));
    EXPECT_TRUE(Fails("grey"));
}

TEST(ColorNamesTest, TrimmedAndLowerCased) {
    EXPECT_EQ(Parse("  Red "), 0x0000FFu);
    EXPECT_EQ(Parse("WHITE"), 0xFFFFFFu);
    EXPECT_EQ(Parse("transparent"), NoColor);
}

TEST(ColorHexTest, ShortAndLongFormsCarryPaletteFlag) {
    EXPECT_EQ(Parse("#abc"), Parse("#aabbcc"));
    EXPECT_EQ(Parse("#aabbcc"), 0x02CCBBAAu);
    EXPECT_EQ(Parse("#FF8000"), RGB(0xFF, 0x80, 0x00) | PaletteFlag);
    EXPECT_EQ(Parse("#ab"), RGB(0x00, 0xAA, 0xBB) | PaletteFlag); // aabb
    EXPECT_EQ(Parse("# 123456 "), RGB(0x12, 0x34, 0x56) | PaletteFlag);
}

TEST(ColorHexTest, BareDigitsOnlyWithoutTheHashRequirement) {
    EXPECT_EQ(Parse("ff8000"), RGB(0xFF, 0x80, 0x00) | PaletteFlag);
    EXPECT_TRUE(Fails("00ff80", true));
    // An unknown name is tried as hexadecimal digits.
    EXPECT_EQ(Parse("bad"), RGB(0xBB, 0xAA, 0xDD) | PaletteFlag);
    EXPECT_TRUE(Fails("blah"));
}

TEST(ColorHexTest, ABareHexColourIsNeverLentToACallerThatNeedsTheHash) {
    EXPECT_EQ(Parse("ff0000"), RGB(0xFF, 0, 0) | PaletteFlag);
    EXPECT_TRUE(Fails("ff0000", true));
    EXPECT_EQ(Parse("#ff0000", true), RGB(0xFF, 0, 0) | PaletteFlag);
    EXPECT_EQ(Parse("#ff0000", true), RGB(0xFF, 0, 0) | PaletteFlag);
    EXPECT_EQ(Parse("red", true), 0x0000FFu);
}

TEST(ColorHexTest, UnreadableTextsFail) {
    EXPECT_TRUE(Fails(""));
    EXPECT_TRUE(Fails("   "));
    EXPECT_TRUE(Fails("#"));
    EXPECT_TRUE(Fails("#xyz"));
    EXPECT_TRUE(Fails("#12345g"));
    EXPECT_TRUE(Fails("#123456789"));
    // An empty text fails also right after a success.
    Parse("#123");
    EXPECT_TRUE(Fails(""));
}

TEST(ColorRgbTest, NumbersAndPercentages) {
    EXPECT_EQ(Parse("rgb(100%, 50%, 0)"), RGB(255, 128, 0) | PaletteFlag);
    EXPECT_EQ(Parse("rgb(10,20,30)"), RGB(10, 20, 30) | PaletteFlag);
    EXPECT_EQ(Parse("RGB( 1 , 2 , 3 )"), RGB(1, 2, 3) | PaletteFlag);
    EXPECT_EQ(Parse("rgb(12.5%,0,0)"), RGB(32, 0, 0) | PaletteFlag);
}

TEST(ColorRgbTest, ComponentsAreClampedOrZero) {
    EXPECT_EQ(Parse("rgb(300,-5,12)"), RGB(255, 0, 12) | PaletteFlag);
    EXPECT_EQ(Parse("rgb(a,1.5,200%)"), RGB(0, 0, 255) | PaletteFlag);
    EXPECT_EQ(Parse("rgb(7)"), RGB(7, 0, 0) | PaletteFlag);
    EXPECT_EQ(Parse("rgb(1,2,3,4)"), RGB(1, 2, 0) | PaletteFlag); // "3,4" is unreadable
}

TEST(ColorRgbTest, MissingParenthesesFail) {
    EXPECT_TRUE(Fails("rgb(1,2,3"));
    EXPECT_TRUE(Fails("rgb 1 2 3"));
    EXPECT_TRUE(Fails("rgb)1,2,3("));
    TColor c = 0;
    EXPECT_FALSE(RgbFromText("", c));
    EXPECT_TRUE(RgbFromText("(1,2,3)", c));
    EXPECT_EQ(c, RGB(1, 2, 3) | PaletteFlag);
}

} // namespace
