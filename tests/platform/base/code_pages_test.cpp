#include <gtest/gtest.h>

#include "platform/base/strings.h"

namespace {
const TCodePage kPages[] = {TCodePage::cp1250, TCodePage::cp1251, TCodePage::cp1252,
                            TCodePage::cp1253, TCodePage::cp1254, TCodePage::cp1257};
}

TEST(CodePages, CharsetCodesSelectPages) {
    EXPECT_EQ(CodePageOfCharset(238), TCodePage::cp1250);
    EXPECT_EQ(CodePageOfCharset(204), TCodePage::cp1251);
    EXPECT_EQ(CodePageOfCharset(161), TCodePage::cp1253);
    EXPECT_EQ(CodePageOfCharset(162), TCodePage::cp1254);
    EXPECT_EQ(CodePageOfCharset(186), TCodePage::cp1257);
    EXPECT_EQ(CodePageOfCharset(0), TCodePage::cp1252);
    EXPECT_EQ(CodePageOfCharset(1), TCodePage::cp1252);
    EXPECT_EQ(CodePageOfCharset(128), TCodePage::cp1252);
}

TEST(CodePages, EuroSignEverywhere) {
    EXPECT_EQ(CodePageToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(UnicodeToCodePage(U'\u20AC'), 0x80);
    EXPECT_EQ(CodePageToUnicode(0x88, TCodePage::cp1251), U'\u20AC');
    EXPECT_EQ(UnicodeToCodePage(U'\u20AC', TCodePage::cp1251), 0x88);
    EXPECT_EQ(ToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(FromUtf8("\xE2\x82\xAC"), "\x80");
}

TEST(CodePages, KnownLettersOfEachPage) {
    EXPECT_EQ(CodePageToUnicode(0xE9), U'\u00E9');                    // é
    EXPECT_EQ(CodePageToUnicode(0x9F), U'\u0178');                    // Ÿ
    EXPECT_EQ(CodePageToUnicode(0x8A, TCodePage::cp1250), U'\u0160'); // Š
    EXPECT_EQ(CodePageToUnicode(0xF8, TCodePage::cp1250), U'\u0159'); // ř
    EXPECT_EQ(CodePageToUnicode(0xC0, TCodePage::cp1251), U'\u0410'); // А
    EXPECT_EQ(CodePageToUnicode(0xFF, TCodePage::cp1251), U'\u044F'); // я
    EXPECT_EQ(CodePageToUnicode(0xC1, TCodePage::cp1253), U'\u0391'); // Α
    EXPECT_EQ(CodePageToUnicode(0xF9, TCodePage::cp1253), U'\u03C9'); // ω
    EXPECT_EQ(CodePageToUnicode(0xD0, TCodePage::cp1254), U'\u011E'); // Ğ
    EXPECT_EQ(CodePageToUnicode(0xFD, TCodePage::cp1254), U'\u0131'); // ı
    EXPECT_EQ(CodePageToUnicode(0xC0, TCodePage::cp1257), U'\u0104'); // Ą
    EXPECT_EQ(CodePageToUnicode(0xFE, TCodePage::cp1257), U'\u017E'); // ž
}

TEST(CodePages, AsciiIsIdentityInEveryPage) {
    for (TCodePage cp : kPages) {
        for (int b = 0; b < 0x80; ++b) {
            EXPECT_EQ(CodePageToUnicode(static_cast<uint8_t>(b), cp), static_cast<char32_t>(b));
            EXPECT_EQ(UnicodeToCodePage(static_cast<char32_t>(b), cp), b);
        }
    }
}

TEST(CodePages, EveryDefinedByteRoundTrips) {
    for (TCodePage cp : kPages) {
        int defined = 0;
        for (int b = 0; b < 256; ++b) {
            const char32_t u = CodePageToUnicode(static_cast<uint8_t>(b), cp);
            if (u == 0xFFFD)
                continue;
            ++defined;
            EXPECT_EQ(UnicodeToCodePage(u, cp), b) << static_cast<int>(cp) << " byte " << b;
            const std::string one(1, static_cast<char>(b));
            EXPECT_EQ(FromUtf8(ToUtf8(one, cp), cp), one) << static_cast<int>(cp) << " " << b;
        }
        EXPECT_GT(defined, 230) << static_cast<int>(cp);
    }
}

TEST(CodePages, UndefinedBytes) {
    for (uint8_t b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(CodePageToUnicode(b), U'\uFFFD') << int(b);
    EXPECT_EQ(CodePageToUnicode(0x98, TCodePage::cp1251), U'\uFFFD');
    EXPECT_EQ(CodePageToUnicode(0xAA, TCodePage::cp1253), U'\uFFFD');
    EXPECT_EQ(CodePageToUnicode(0xFF, TCodePage::cp1253), U'\uFFFD');
    EXPECT_EQ(CodePageToUnicode(0xA1, TCodePage::cp1257), U'\uFFFD');
    // They come out as the replacement character and cannot be made again.
    EXPECT_EQ(ToUtf8("a\x81z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(FromUtf8("a\xEF\xBF\xBDz"), "a?z");
    EXPECT_EQ(UnicodeToCodePage(U'\uFFFD'), '?');
}

TEST(CodePages, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(UnicodeToCodePage(U'\u0410'), '?');                    // Cyrillic in 1252
    EXPECT_EQ(UnicodeToCodePage(U'\u00E9', TCodePage::cp1251), '?'); // é in Cyrillic
    EXPECT_EQ(UnicodeToCodePage(U'\U0001F600'), '?');
    EXPECT_EQ(FromUtf8("\xE6\xBC\xA2x"), "?x"); // 漢
    EXPECT_EQ(FromUtf8("\xD0\x90\xD0\xB1", TCodePage::cp1251), "\xC0\xE1");
}

TEST(CodePages, InvalidUtf8GivesOneQuestionMarkPerFault) {
    EXPECT_EQ(FromUtf8("a\xC3"), "a?");              // cut short at the end
    EXPECT_EQ(FromUtf8("a\xC3z"), "a?z");            // continuation missing: z survives
    EXPECT_EQ(FromUtf8("\xC0\xAF"), "??");           // overlong "/" is never a slash
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), "???");      // surrogate
    EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), "????"); // beyond U+10FFFF
    EXPECT_EQ(FromUtf8("\xE2\x82"), "?");            // two of three bytes
    EXPECT_EQ(FromUtf8("\x80"), "?");                // stray continuation
    EXPECT_EQ(FromUtf8("\xC3\xA9"), "\xE9");         // and a good one still works
}

TEST(CodePages, TextRoundTrip) {
    const std::string western = "caf\xE9 \x80 5 \x93quoted\x94 na\xEFve";
    EXPECT_EQ(ToUtf8(western), "caf\xC3\xA9 \xE2\x82\xAC 5 \xE2\x80\x9Cquoted\xE2\x80\x9D "
                               "na\xC3\xAFve");
    EXPECT_EQ(FromUtf8(ToUtf8(western)), western);
    const std::string greek = "\xC1\xE8\xDE\xED\xE1"; // Αθήνα
    EXPECT_EQ(ToUtf8(greek, TCodePage::cp1253), "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1");
    EXPECT_EQ(FromUtf8(ToUtf8(greek, TCodePage::cp1253), TCodePage::cp1253), greek);
}
