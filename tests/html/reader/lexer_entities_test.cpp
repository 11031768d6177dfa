// Entity decoding: named (case-sensitive), numeric, and the failures that stay literal.
#include <gtest/gtest.h>

#include "lexer_helpers.h"

TEST(LexerEntities, NamedWithAndWithoutSemicolon) {
    EXPECT_EQ(LexText("a&amp;b"), "a&b");
    EXPECT_EQ(LexText("a&amp b"), "a& b");
    // "ampb" is an unknown name: the whole of it stays literal.
    EXPECT_EQ(LexText("a&ampb"), "a&ampb");
}

TEST(LexerEntities, NamesAreCaseSensitive) {
    EXPECT_EQ(LexText("&AMP;"), "&AMP;");
    EXPECT_EQ(LexText("&Eacute;"), "\xC9");
    EXPECT_EQ(LexText("&eacute;"), "\xE9");
}

TEST(LexerEntities, OwnValues) {
    EXPECT_EQ(LexText("&lt;&gt;&quot;&rsquo;&ndash;&trade;"), "<>\"'-\x99");
}

TEST(LexerEntities, EveryLatin1NameInOrder) {
    const char* names[] = {
        "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
        "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
        "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
        "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
        "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
        "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
        "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
        "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
        "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
        "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
        "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};
    ASSERT_EQ(std::size(names), 96u);
    for (size_t i = 0; i < std::size(names); ++i) {
        const std::string text = LexText(std::string("&") + names[i] + ";");
        ASSERT_EQ(text.size(), 1u) << names[i];
        EXPECT_EQ(static_cast<unsigned char>(text[0]), 160 + i) << names[i];
    }
}

TEST(LexerEntities, HellipGivesThreeStopsWithConsecutivePositions) {
    const auto syms = Lex("ab&hellip;");
    ASSERT_EQ(syms.size(), 2u);
    EXPECT_EQ(syms[1].Text, "...");
    EXPECT_EQ(syms[1].Positions, (std::vector<int32_t>{2, 3, 4}));
}

TEST(LexerEntities, Numeric) {
    EXPECT_EQ(LexText("&#65;"), "A");
    EXPECT_EQ(LexText("&#65x"), "Ax");
    EXPECT_EQ(LexText("&#9;"), " ");
    EXPECT_EQ(LexText("&#10;"), "\n");
    EXPECT_EQ(LexText("&#255;"), "\xFF");
    // Above 255 the code goes through the code page: the euro sign is 0x80 in Windows-1252.
    EXPECT_EQ(LexText("&#8364;"), "\x80");
    // Only the low 16 bits count: 65601 is 65 + 65536.
    EXPECT_EQ(LexText("&#65601;"), "A");
    // No byte in the code page: the code page's replacement.
    EXPECT_EQ(LexText("&#20013;"), "?");
}

TEST(LexerEntities, NumericFailuresStayLiteral) {
    EXPECT_EQ(LexText("&#x41;"), "&#x41;");
    EXPECT_EQ(LexText("&#123456;"), "&#123456;");
    EXPECT_EQ(LexText("&#13;"), "&#13;");
    EXPECT_EQ(LexText("&#0;"), "&#0;");
    EXPECT_EQ(LexText("&#26;"), "&#26;"); // would read as the end of the source
    EXPECT_EQ(LexText("&#;"), "&#;");
    EXPECT_EQ(LexText("&#65536;"), "&#65536;"); // a NUL would cut the text short
}

TEST(LexerEntities, LongNamesFail) {
    EXPECT_EQ(LexText("&abcdefgh;"), "&abcdefgh;");
    EXPECT_EQ(LexText("&nbsp7;"), "&nbsp7;");
    EXPECT_EQ(LexText("& x"), "& x");
    EXPECT_EQ(LexText("&"), "&");
}

TEST(LexerEntities, FailedEntityKeepsRawPositions) {
    const auto syms = Lex("&zz;x");
    ASSERT_GE(syms.size(), 1u);
    EXPECT_EQ(syms[0].Text, "&zz;");
    EXPECT_EQ(syms[0].Positions, (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST(LexerEntities, OnlyQuotedAttributeValuesAreDecoded) {
    auto syms = Lex("<a href=a&amp;b>");
    ASSERT_EQ(syms.size(), 1u);
    ASSERT_EQ(syms[0].Attributes.size(), 1u);
    EXPECT_EQ(syms[0].Attributes[0].Str, "a&amp;b");
    syms = Lex("<a href=\"a&amp;b\">");
    EXPECT_EQ(syms[0].Attributes[0].Str, "a&b");
    syms = Lex("<td width=5&amp;>");
    EXPECT_EQ(syms[0].Attributes[0].Str, "5&AMP;");
}

TEST(LexerEntities, EntityCodeFollowsTheCodePage) {
    THtmlLexer lx;
    lx.CodePage = TCodePage::cp1251;
    lx.LoadString("&#1046;"); // Cyrillic capital ZHE is 0xC6 in Windows-1251
    lx.Start();
    lx.ReadSymbol();
    EXPECT_EQ(lx.Token.Text(), "\xC6");
}
