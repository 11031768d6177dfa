// Entity decoding: named (case-sensitive), numeric, and the failures that stay literal.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "html/reader/entities.h"
#include "lexer_helpers.h"
#include "tests/support/data_paths.h"
#include "tests/support/files.h"

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

// The lexer's names checked by name and code against the HTML 4.01 entity list (kept as data,
// made from another copy of the list): the Latin-1 ones and the markup characters give their
// code, four give the lexer's own stand-ins, and the others are not known.
TEST(LexerEntities, AgreeWithTheHtml4List) {
    const std::map<std::string, std::string> ownStandIns = {
        {"rsquo", "'"}, {"ndash", "-"}, {"trade", "\x99"}, {"hellip", "..."}};
    std::istringstream in(
        folio_test::ReadFile(folio_test::ProjectData("reader/html4-entities.txt")));
    int listed = 0, known = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name;
        int code = -1;
        ASSERT_TRUE(fields >> name >> code) << line;
        ++listed;
        const std::string_view got = LookupEntity(name);
        if (!got.empty())
            ++known;
        const auto own = ownStandIns.find(name);
        const bool markup = code == '"' || code == '&' || code == '<' || code == '>';
        if (own != ownStandIns.end()) {
            EXPECT_EQ(got, own->second) << name;
        } else if ((code >= 160 && code <= 255) || markup) {
            EXPECT_EQ(got, std::string(1, static_cast<char>(code))) << name;
        } else {
            EXPECT_TRUE(got.empty()) << name;
        }
        if (got.size() == 1) { // and the same through the lexer
            EXPECT_EQ(LexText("&" + name + ";"), std::string(got)) << name;
        }
    }
    EXPECT_EQ(listed, 252);
    EXPECT_EQ(known, 104); // every name the lexer knows is in the list
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
