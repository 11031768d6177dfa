// Fonts of a property set, and the link, hover and visited fonts.
#include <gtest/gtest.h>

#include "platform/base/strings.h"
#include "tests/html/style/style_test_util.h"

namespace {

std::unique_ptr<TMyFont> FontOf(const std::string& css, const std::string& tag = "p") {
    TStyleFixture f(css);
    return f.Push(tag).MakeFont();
}

TEST(MakeFontTest, WeightStyleAndDecoration) {
    EXPECT_TRUE(FontOf("p { font-weight: 700 }")->Bold);
    EXPECT_TRUE(FontOf("p { font-weight: bolder }")->Bold);
    EXPECT_TRUE(FontOf("p { font-weight: 600 }")->Bold);
    EXPECT_FALSE(FontOf("p { font-weight: 500 }")->Bold);
    EXPECT_FALSE(FontOf("p { font-weight: lighter }")->Bold);
    EXPECT_TRUE(FontOf("p { font-style: oblique }")->Italic);
    EXPECT_FALSE(FontOf("p { font-style: normal }")->Italic);
    EXPECT_TRUE(FontOf("p { text-decoration: underline }")->Underline);
    EXPECT_TRUE(FontOf("p { text-decoration: line-through }")->StrikeOut);
    const auto lineUnder = FontOf("p { text-decoration: line-under }");
    EXPECT_FALSE(lineUnder->Underline);
    EXPECT_FALSE(lineUnder->StrikeOut);
}

TEST(MakeFontTest, SizeRoundsHalvesToEven) {
    EXPECT_EQ(FontOf("p { font-size: 14.4pt }")->Size, 14);
    EXPECT_EQ(FontOf("p { font-size: 12.5pt }")->Size, 12);
    EXPECT_EQ(FontOf("p { font-size: 13.5pt }")->Size, 14);
    EXPECT_EQ(FontOf("p { font-size: 99999pt }")->Size, 1000) << "kept to a sane size";
    TProperties bare;
    EXPECT_EQ(bare.MakeFont()->Size, 0) << "no size at all";
}

TEST(MakeFontTest, FamilyListFallsBackThroughGenericNames) {
    EXPECT_TRUE(SameText(FontOf("p { font-family: nosuchface, sans-serif }")->Name, "Arial"));
    EXPECT_TRUE(SameText(FontOf("p { font-family: 'courier new' }")->Name, "Courier New"));
    EXPECT_TRUE(SameText(FontOf("p { font-family: serif }")->Name, "Times New Roman"));
    EXPECT_TRUE(SameText(FontOf("p { font-family: monospace }")->Name, "Courier New"));
    // Nothing found: the last name tried stays.
    EXPECT_EQ(FontOf("p { font-family: nosuchface, otherface }")->Name, "otherface");
    EXPECT_EQ(FontOf("p { font-family: nosuchface, , }")->Name, "nosuchface");
}

TEST(MakeFontTest, FontShorthandWithQuotedFamily) {
    const auto f = FontOf("p { font: italic bold 10pt/12pt \"Courier New\", monospace }");
    EXPECT_TRUE(f->Italic);
    EXPECT_TRUE(f->Bold);
    EXPECT_EQ(f->Size, 10);
    EXPECT_TRUE(SameText(f->Name, "Courier New"));
}

TEST(MakeFontTest, ColourBackgroundAndCharset) {
    TStyleFixture f("span { color: #102030 }");
    TProperties& span = f.Push("span");
    span.TextBackground = RGB(9, 9, 9);
    span.Charset = 238;
    const auto font = span.MakeFont();
    EXPECT_EQ(font->Color, RGB(0x10, 0x20, 0x30) | PaletteFlag);
    EXPECT_EQ(font->BackColor, RGB(9, 9, 9));
    EXPECT_EQ(font->Charset, 238);
}

TEST(LinkFontTest, StatesApplyTheirColourBackgroundAndDecoration) {
    TStyleFixture f("a:link { text-decoration: none } a:hover { color: red; "
                    "background-color: yellow; text-decoration: underline }");
    TProperties& v = f.PushLink();
    const auto link = v.MakeLinkFont();
    EXPECT_EQ(link->Color, 0x02FF0000u);
    EXPECT_FALSE(link->Underline);
    EXPECT_EQ(link->BackColor, NoColor);
    const auto hover = v.MakeHoverFont(*link);
    EXPECT_EQ(hover->Color, 0x0000FFu);
    EXPECT_EQ(hover->BackColor, RGB(255, 255, 0));
    EXPECT_TRUE(hover->Underline);
    const auto visited = v.MakeVisitedFont(*link);
    EXPECT_EQ(visited->Color, 0x02800080u);
    EXPECT_EQ(visited->BackColor, RGB(255, 255, 0)) << "the hover background carries on";
    EXPECT_TRUE(visited->Underline) << "the hover decoration carries on";
}

TEST(MyFontTest, AssigningAPlainFontKeepsTheBackColour) {
    TMyFont a;
    a.BackColor = RGB(1, 2, 3);
    TFont plain;
    plain.Name = "Arial";
    plain.Size = 20;
    a = plain;
    EXPECT_EQ(a.Name, "Arial");
    EXPECT_EQ(a.BackColor, RGB(1, 2, 3));
    TMyFont b;
    b = a;
    EXPECT_EQ(b.BackColor, RGB(1, 2, 3));
    EXPECT_EQ(b.Size, 20);
}

} // namespace
