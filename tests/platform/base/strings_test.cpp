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

// The validator is written out for speed; it must agree with the decoder on every sequence:
// all of one and two bytes, every three-byte lead with every pair of following bytes, and the
// four-byte leads with a sample of tails (each check also inside ASCII, past the 8-byte steps).
TEST(Utf8, TheValidatorAgreesWithTheDecoder) {
    const auto decodes = [](std::string_view s) {
        for (size_t i = 0; i < s.size();)
            if (DecodeUtf8(s, i) < 0)
                return false;
        return true;
    };
    const auto check = [&](const std::string& seq) {
        ASSERT_EQ(IsValidUtf8(seq), decodes(seq)) << testing::PrintToString(seq);
        const std::string padded = "abcdefgh" + seq + "ijklmnopq";
        ASSERT_EQ(IsValidUtf8(padded), decodes(padded)) << testing::PrintToString(seq);
    };
    for (int a = 0; a < 256; ++a) {
        check(std::string(1, static_cast<char>(a)));
        for (int b = 0; b < 256; ++b)
            check({static_cast<char>(a), static_cast<char>(b)});
    }
    for (int a = 0xE0; a <= 0xEF; ++a)
        for (int b = 0x70; b < 0xD0; ++b)
            for (int c = 0x70; c < 0xD0; ++c)
                check({static_cast<char>(a), static_cast<char>(b), static_cast<char>(c)});
    for (int a = 0xF0; a <= 0xF5; ++a)
        for (int b = 0x70; b < 0xD0; ++b)
            for (int c : {0x7F, 0x80, 0xBF, 0xC0})
                for (int d : {0x7F, 0x80, 0xBF, 0xC0})
                    check({static_cast<char>(a), static_cast<char>(b), static_cast<char>(c),
                           static_cast<char>(d)});
    EXPECT_TRUE(IsAscii("plain text, eight bytes and more"));
    EXPECT_FALSE(IsAscii("plain text, then \xC3\xA9 after the eighth byte"));
}
