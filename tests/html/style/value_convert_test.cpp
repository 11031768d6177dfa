// Font sizes, lengths and url() values at the screen's 96 pixels per inch.
#include <gtest/gtest.h>

#include "html/style/value_convert.h"

namespace {

class PointSizeTest : public ::testing::Test {
protected:
    // The sheet's default size the keywords fall back to.
    static double PointSizeOf(std::string_view text, double parent) {
        return ::PointSizeOf(text, parent, 10);
    }
};

TEST_F(PointSizeTest, RelativeUnitsFollowTheParent) {
    EXPECT_DOUBLE_EQ(PointSizeOf("120%", 10), 12);
    EXPECT_DOUBLE_EQ(PointSizeOf("2em", 10), 20);
    EXPECT_DOUBLE_EQ(PointSizeOf("1.2em", 10), 12); // the number stops before the "e"
    EXPECT_DOUBLE_EQ(PointSizeOf("3ex", 10), 15);
    EXPECT_DOUBLE_EQ(PointSizeOf("larger", 10), 12.5);
    EXPECT_DOUBLE_EQ(PointSizeOf("smaller", 10), 7.5);
}

TEST_F(PointSizeTest, AbsoluteUnitsAndPixels) {
    EXPECT_DOUBLE_EQ(PointSizeOf("12px", 30), 9);
    EXPECT_DOUBLE_EQ(PointSizeOf("12", 30), 9); // a bare number is pixels
    EXPECT_DOUBLE_EQ(PointSizeOf("1in", 30), 72);
    EXPECT_NEAR(PointSizeOf("2.54cm", 30), 72, 1e-9);
    EXPECT_NEAR(PointSizeOf("25.4mm", 30), 72, 1e-9);
    EXPECT_DOUBLE_EQ(PointSizeOf("11pt", 30), 11);
    EXPECT_DOUBLE_EQ(PointSizeOf("2pc", 30), 24);
    EXPECT_DOUBLE_EQ(PointSizeOf("-3pt", 30), -3);
    EXPECT_DOUBLE_EQ(PointSizeOf(".5in", 30), 36);
}

TEST_F(PointSizeTest, KeywordsAndUnknownUnitsUseTheDefaultSize) {
    EXPECT_DOUBLE_EQ(PointSizeOf("medium", 30), 12);
    EXPECT_DOUBLE_EQ(PointSizeOf("small", 30), 10);
    EXPECT_DOUBLE_EQ(PointSizeOf("xx-small", 30), 10 / 1.5);
    EXPECT_DOUBLE_EQ(PointSizeOf("x-small", 30), 10 / 1.2);
    EXPECT_DOUBLE_EQ(PointSizeOf("large", 30), 15);
    EXPECT_DOUBLE_EQ(PointSizeOf("x-large", 30), 20);
    EXPECT_DOUBLE_EQ(PointSizeOf("xx-large", 30), 30);
    EXPECT_DOUBLE_EQ(PointSizeOf("huge", 30), 10);
    EXPECT_DOUBLE_EQ(PointSizeOf("12furlongs", 30), 10);
    EXPECT_DOUBLE_EQ(PointSizeOf("", 30), 0); // no number, no unit: 0 pixels
}

TEST(LengthToPixelsTest, UnitsAt96PixelsPerInch) {
    EXPECT_EQ(LengthToPixels("1in", false, 0, 0, 0, -1), 96);
    EXPECT_EQ(LengthToPixels("12pt", false, 0, 0, 0, -1), 16);
    EXPECT_EQ(LengthToPixels("1pc", false, 0, 0, 0, -1), 16);
    EXPECT_EQ(LengthToPixels("2.54cm", false, 0, 0, 0, -1), 96);
    EXPECT_EQ(LengthToPixels("10mm", false, 0, 0, 0, -1), 38); // 37.795...
    EXPECT_EQ(LengthToPixels("7px", false, 0, 0, 0, -1), 7);
    EXPECT_EQ(LengthToPixels("7PX", false, 0, 0, 0, -1), 7);
    EXPECT_EQ(LengthToPixels("2em", false, 0, 16, 8, -1), 32);
    EXPECT_EQ(LengthToPixels("3ex", false, 0, 16, 7, -1), 21);
    EXPECT_EQ(LengthToPixels("10%", false, 300, 0, 0, -1), 30);
    EXPECT_EQ(LengthToPixels("-4px", false, 0, 0, 0, -1), -4);
}

TEST(LengthToPixelsTest, BareNumbersAndUnknownUnits) {
    EXPECT_EQ(LengthToPixels("12", false, 50, 0, 0, -1), 12);
    EXPECT_EQ(LengthToPixels("1.5", true, 20, 0, 0, -1), 30);
    EXPECT_EQ(LengthToPixels("auto", false, 50, 0, 0, -7), -7);
    EXPECT_EQ(LengthToPixels("12qq", false, 50, 0, 0, -7), -7);
    EXPECT_EQ(LengthToPixels("", false, 50, 0, 0, -7), 0);
}

TEST(LengthToPixelsTest, RoundsHalvesToEvenAndStaysInRange) {
    EXPECT_EQ(LengthToPixels("2.5px", false, 0, 0, 0, 0), 2);
    EXPECT_EQ(LengthToPixels("3.5px", false, 0, 0, 0, 0), 4);
    EXPECT_EQ(LengthToPixels("-2.5px", false, 0, 0, 0, 0), -2);
    EXPECT_EQ(LengthToPixels("99999999999999px", false, 0, 0, 0, 0), 1000000000);
    EXPECT_EQ(LengthToPixels("-99999999999999in", false, 0, 0, 0, 0), -1000000000);
    const std::string huge(400, '9');
    EXPECT_EQ(LengthToPixels(huge + "px", false, 0, 0, 0, 0), 1000000000);
}

TEST(ReadUrlTest, TakesTheAddressInsideUrl) {
    EXPECT_EQ(ReadUrl("url(bg.gif)"), "bg.gif");
    EXPECT_EQ(ReadUrl("url('a b.gif')"), "a b.gif");
    EXPECT_EQ(ReadUrl("url(\"x/y.gif\") no-repeat"), "x/y.gif");
    EXPECT_EQ(ReadUrl("none"), "");
    EXPECT_EQ(ReadUrl(""), "");
    EXPECT_EQ(ReadUrl("url(open"), "open");
}

} // namespace
