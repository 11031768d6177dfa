// Box values into pixels for blocks, table cells and inline objects, and background
// positions.
#include <gtest/gtest.h>

#include "html/style/box_convert.h"
#include "html/style/prop_index.h"
#include "html/style/properties.h"

namespace {

// Box values as GetBoxValues makes them for a new set: lengths NullLength, no styles.
TBoxValues NewBox() {
    return TProperties().GetBoxValues();
}

TEST(ConvertBoxTest, NothingGiven) {
    TBoxArray m;
    m[piMarginTop] = 77; // left for ConvertVerticalMargins
    const int autos = ConvertBox(NewBox(), 300, 200, 16, 8, m);
    EXPECT_EQ(autos, 1); // the width
    EXPECT_EQ(m[piBackgroundColor], static_cast<int32_t>(NoColor));
    EXPECT_EQ(m[piBorderColor], static_cast<int32_t>(NoColor));
    EXPECT_EQ(m[piMarginTop], 77);
    EXPECT_EQ(m[piMarginLeft], 0);
    EXPECT_EQ(m[piPaddingTop], 0);
    for (int i = piBorderTopWidth; i <= piBorderLeftWidth; ++i)
        EXPECT_EQ(m[i], 0) << "a side without a style has no border";
    EXPECT_EQ(m[piWidth], AutoLength);
    EXPECT_EQ(m[piHeight], 0);
    EXPECT_EQ(m[piTop], AutoLength);
    EXPECT_EQ(m[piLeft], AutoLength);
}

TEST(ConvertBoxTest, PercentagesAgainstWidthOrHeightAndAutoMargins) {
    TBoxValues v = NewBox();
    v[piMarginLeft] = "10%";
    v[piMarginRight] = "auto";
    v[piPaddingLeft] = "2em";
    v[piWidth] = "50%";
    v[piHeight] = "50%";
    v[piTop] = "1in";
    v[piBackgroundColor] = 0x123456;
    TBoxArray m;
    EXPECT_EQ(ConvertBox(v, 300, 200, 16, 8, m), 1);
    EXPECT_EQ(m[piMarginLeft], 30);
    EXPECT_EQ(m[piMarginRight], AutoLength);
    EXPECT_EQ(m[piPaddingLeft], 32);
    EXPECT_EQ(m[piWidth], 150);
    EXPECT_EQ(m[piHeight], 100);
    EXPECT_EQ(m[piTop], 96);
    EXPECT_EQ(m[piBackgroundColor], 0x123456);
}

TEST(ConvertBoxTest, AutoCountCoversBothMarginsAndWidth) {
    TBoxValues v = NewBox();
    v[piMarginLeft] = "auto";
    v[piMarginRight] = "auto";
    v[piWidth] = "auto";
    TBoxArray m;
    EXPECT_EQ(ConvertBox(v, 300, 200, 16, 8, m), 3);
    v[piWidth] = 120; // an integer width is taken as it is
    EXPECT_EQ(ConvertBox(v, 300, 200, 16, 8, m), 2);
    EXPECT_EQ(m[piWidth], 120);
}

TEST(ConvertBoxTest, BorderWidthsNeedAStyleOnTheirSide) {
    TProperties p;
    p.AddPropertyByIndex(piBorderTopStyle, "solid");
    p.AddPropertyByIndex(piBorderRightStyle, "dashed");
    p.AddPropertyByIndex(piBorderBottomStyle, "none");
    p.Values[piBorderTopWidth] = "thick";
    p.Values[piBorderBottomWidth] = "thick";
    p.Values[piBorderLeftWidth] = "thick"; // style never given
    TBoxArray m;
    ConvertBox(p.GetBoxValues(), 300, 200, 16, 8, m);
    EXPECT_EQ(m[piBorderTopWidth], 6);
    EXPECT_EQ(m[piBorderRightWidth], 4) << "an unset width with a style";
    EXPECT_EQ(m[piBorderBottomWidth], 0);
    EXPECT_EQ(m[piBorderLeftWidth], 0);
    EXPECT_EQ(m[piBorderTopStyle], 1);
    EXPECT_EQ(m[piBorderBottomStyle], 0);
}

TEST(ConvertBoxTest, BorderWidthKeywordsAndLengths) {
    TProperties p;
    p.AddPropertyByIndex(piBorderStyle, "solid");
    const std::pair<const char*, int32_t> cases[] = {{"thin", 2}, {"medium", 4}, {"thick", 6},
                                                     {"3px", 3},  {"0.5em", 8},  {"wide", 4}};
    for (const auto& [text, px] : cases) {
        p.Values[piBorderLeftWidth] = text;
        TBoxArray m;
        ConvertBox(p.GetBoxValues(), 300, 200, 16, 8, m);
        EXPECT_EQ(m[piBorderLeftWidth], px) << text;
    }
}

TEST(ConvertVerticalMarginsTest, ParagraphMarginAndLengths) {
    TBoxValues v = NewBox();
    v[piMarginTop] = ParaAutoLength;
    v[piMarginBottom] = "10%";
    TBoxArray m;
    bool topFlag = false, bottomFlag = true;
    ConvertVerticalMargins(v, 400, 16, 8, m, topFlag, bottomFlag);
    EXPECT_EQ(m[piMarginTop], 14);
    EXPECT_TRUE(topFlag);
    EXPECT_EQ(m[piMarginBottom], 40);
    EXPECT_FALSE(bottomFlag);

    v[piMarginTop] = NullLength;
    v[piMarginBottom] = 19;
    ConvertVerticalMargins(v, 400, 16, 8, m, topFlag, bottomFlag);
    EXPECT_EQ(m[piMarginTop], 0);
    EXPECT_FALSE(topFlag);
    EXPECT_EQ(m[piMarginBottom], 19);

    v[piMarginTop] = TPropValue();
    v[piMarginBottom] = 2.5;
    ConvertVerticalMargins(v, 400, 16, 8, m, topFlag, bottomFlag);
    EXPECT_EQ(m[piMarginTop], 0);
    EXPECT_EQ(m[piMarginBottom], 0);
}

TEST(ConvertCellPaddingTest, PercentagesComeOutNegated) {
    TBoxValues v = NewBox();
    v[piPaddingLeft] = "10%";
    v[piPaddingTop] = "4px";
    v[piPaddingRight] = 3;
    v[piPaddingBottom] = TPropValue::Null();
    TBoxArray m;
    ConvertCellPadding(v, 16, 8, m);
    EXPECT_EQ(m[piPaddingLeft], -10);
    EXPECT_EQ(m[piPaddingTop], 4);
    EXPECT_EQ(m[piPaddingRight], 3);
    EXPECT_EQ(m[piPaddingBottom], -1);
    ConvertCellPadding(NewBox(), 16, 8, m);
    EXPECT_EQ(m[piPaddingLeft], -1) << "NullLength";
}

TEST(ConvertInlineBoxTest, KeepsNullLengthWhereNothingWasGiven) {
    TBoxValues v = NewBox();
    v[piMarginLeft] = "5px";
    v[piMarginRight] = "auto";
    v[piWidth] = "50%";
    v[piHeight] = "auto";
    v[piMarginBottom] = TPropValue();
    TBoxArray m;
    m[piPaddingTop] = 99;
    ConvertInlineBox(v, 200, 16, 8, m);
    EXPECT_EQ(m[piMarginLeft], 5);
    EXPECT_EQ(m[piMarginRight], 0);
    EXPECT_EQ(m[piMarginTop], NullLength);
    EXPECT_EQ(m[piMarginBottom], NullLength);
    EXPECT_EQ(m[piWidth], 100);
    EXPECT_EQ(m[piHeight], AutoLength);
    EXPECT_EQ(m[piPaddingTop], 99) << "other entries are left alone";
}

TEST(BoxArrayTest, IndexesOutsideTheBoxThrow) {
    TBoxArray m;
    EXPECT_THROW(m[7], std::out_of_range);
    EXPECT_THROW(m[30], std::out_of_range);
}

TBgPosition Position(const char* text, const char* repeat = nullptr) {
    return ReadBackgroundPosition(TPropValue(text), repeat ? TPropValue(repeat) : TPropValue(), 16,
                                  8);
}

TEST(BackgroundPositionTest, KeywordPairsInEitherOrder) {
    const TBgPosition a = Position("top left");
    const TBgPosition b = Position("left top");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.Horizontal.Kind, bpLeft);
    EXPECT_EQ(a.Vertical.Kind, bpTop);
    const TBgPosition c = Position("bottom right");
    EXPECT_EQ(c.Horizontal.Kind, bpRight);
    EXPECT_EQ(c.Vertical.Kind, bpBottom);
}

TEST(BackgroundPositionTest, OneKeywordCentresTheOtherAxis) {
    const TBgPosition b = Position("bottom");
    EXPECT_EQ(b.Horizontal.Kind, bpCenter);
    EXPECT_EQ(b.Vertical.Kind, bpBottom);
    const TBgPosition r = Position("right");
    EXPECT_EQ(r.Horizontal.Kind, bpRight);
    EXPECT_EQ(r.Vertical.Kind, bpCenter);
    const TBgPosition l = Position("10px");
    EXPECT_EQ(l.Horizontal.Kind, bpLength);
    EXPECT_EQ(l.Horizontal.Value, 10);
    EXPECT_EQ(l.Vertical.Kind, bpCenter);
}

TEST(BackgroundPositionTest, LengthsAndPercentages) {
    const TBgPosition p = Position("right 10px");
    EXPECT_EQ(p.Horizontal.Kind, bpRight);
    EXPECT_EQ(p.Vertical.Kind, bpLength);
    EXPECT_EQ(p.Vertical.Value, 10);
    const TBgPosition q = Position("25%   2em");
    EXPECT_EQ(q.Horizontal.Kind, bpPercent);
    EXPECT_EQ(q.Horizontal.Value, 25);
    EXPECT_EQ(q.Vertical.Kind, bpLength);
    EXPECT_EQ(q.Vertical.Value, 32);
    const TBgPosition c = Position("center top");
    EXPECT_EQ(c.Horizontal.Kind, bpCenter);
    EXPECT_EQ(c.Vertical.Kind, bpTop);
}

TEST(BackgroundPositionTest, WithoutTextBothAxesAreZeroLengths) {
    const TBgPosition p = ReadBackgroundPosition(TPropValue(), TPropValue(), 16, 8);
    EXPECT_EQ(p.Horizontal, (TBgAxis{bpLength, 0, true}));
    EXPECT_EQ(p.Vertical, (TBgAxis{bpLength, 0, true}));
}

TEST(BackgroundPositionTest, RepeatFlags) {
    EXPECT_TRUE(Position("left").Horizontal.Repeat);
    EXPECT_TRUE(Position("left", "repeat").Vertical.Repeat);
    const TBgPosition n = Position("left", "no-repeat");
    EXPECT_FALSE(n.Horizontal.Repeat);
    EXPECT_FALSE(n.Vertical.Repeat);
    const TBgPosition x = Position("left", "repeat-x");
    EXPECT_TRUE(x.Horizontal.Repeat);
    EXPECT_FALSE(x.Vertical.Repeat);
    const TBgPosition y = Position("left", "repeat-y");
    EXPECT_FALSE(y.Horizontal.Repeat);
    EXPECT_TRUE(y.Vertical.Repeat);
}

} // namespace
