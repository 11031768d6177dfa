#include "platform/base/strings.h"

#include <gtest/gtest.h>

TEST(AsciiCase, LeavesBytesAbove127Alone) {
    // UTF-8 "é" is C3 A9; a locale-aware mapping would damage it.
    EXPECT_EQ(UpperCase("abc\xC3\xA9z"), "ABC\xC3\xA9Z");
    EXPECT_EQ(LowerCase("ABC\xC3\x89Z"), "abc\xC3\x89z");
    EXPECT_EQ(LowerCase("[@`{"), "[@`{");
}

TEST(AsciiCase, CompareTextOrdersIgnoringCase) {
    EXPECT_EQ(CompareText("apple", "APPLE"), 0);
    EXPECT_LT(CompareText("a", "B"), 0);
    EXPECT_GT(CompareText("b", "A"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);
    EXPECT_GT(CompareText("abc", "AB"), 0);
    // Bytes above 127 sort after ASCII (unsigned compare).
    EXPECT_LT(CompareText("z", "\xE9"), 0);
    // "_" (0x5F) lies between upper and lower case; compared lower-cased it sorts before "a".
    EXPECT_LT(CompareText("_", "A"), 0);
}

TEST(AsciiCase, SameTextAndContainsText) {
    EXPECT_TRUE(SameText("Index.HTML", "index.html"));
    EXPECT_FALSE(SameText("index.htm", "index.html"));
    EXPECT_FALSE(SameText("\xC9", "\xE9")); // not ASCII: no case folding
    EXPECT_TRUE(ContainsText("see HTTP://x", "http://"));
    EXPECT_TRUE(ContainsText("abc", ""));
    EXPECT_FALSE(ContainsText("ab", "abc"));
    EXPECT_FALSE(ContainsText("mail", "mailto:"));
}

TEST(Trim, RemovesControlCharactersAndBlanksOnly) {
    EXPECT_EQ(Trim("  \t\r\n x y \x01\x1F "), "x y");
    EXPECT_EQ(TrimLeft("  x  "), "x  ");
    EXPECT_EQ(TrimRight("  x  "), "  x");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(""), "");
    // A no-break space (0xA0) and UTF-8 bytes are above the blank and stay.
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");
    EXPECT_EQ(Trim(" \xC3\xA9 "), "\xC3\xA9");
}

TEST(StrToInt, AcceptsDecimalWithSign) {
    int32_t v = 0;
    EXPECT_TRUE(TryStrToInt("123", v));
    EXPECT_EQ(v, 123);
    EXPECT_TRUE(TryStrToInt("-45", v));
    EXPECT_EQ(v, -45);
    EXPECT_TRUE(TryStrToInt("+7", v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(TryStrToInt("007", v));
    EXPECT_EQ(v, 7);
}

TEST(StrToInt, AcceptsHexPrefixes) {
    int32_t v = 0;
    EXPECT_TRUE(TryStrToInt("$1F", v));
    EXPECT_EQ(v, 31);
    EXPECT_TRUE(TryStrToInt("0x200", v));
    EXPECT_EQ(v, 512);
    EXPECT_TRUE(TryStrToInt("0Xff", v));
    EXPECT_EQ(v, 255);
    EXPECT_TRUE(TryStrToInt("-$10", v));
    EXPECT_EQ(v, -16);
    // Hexadecimal names the 32 bits.
    EXPECT_TRUE(TryStrToInt("$FFFFFFFF", v));
    EXPECT_EQ(v, -1);
    EXPECT_TRUE(TryStrToInt("$80000000", v));
    EXPECT_EQ(v, INT32_MIN);
}

TEST(StrToInt, RejectsEverythingElseAndKeepsValue) {
    for (const char* bad :
         {"", " 1", "1 ", "-", "+", "$", "0x", "12a", "1.5", "1e3", "--1", "$G", "0x1g",
          "2147483648", "-2147483649", "$100000000", "99999999999999999999"}) {
        int32_t v = 77;
        EXPECT_FALSE(TryStrToInt(bad, v)) << bad;
        EXPECT_EQ(v, 77) << bad;
    }
}

TEST(StrToInt, Limits) {
    int32_t v = 0;
    EXPECT_TRUE(TryStrToInt("2147483647", v));
    EXPECT_EQ(v, INT32_MAX);
    EXPECT_TRUE(TryStrToInt("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_EQ(StrToIntDef("abc", -3), -3);
    EXPECT_EQ(StrToIntDef("42", -3), 42);
    EXPECT_EQ(IntToStr(-2147483648LL), "-2147483648");
    EXPECT_EQ(IntToStr(0), "0");
}
