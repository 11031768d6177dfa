// Entity decoding: named (case-sensitive), numeric, and the failures that stay literal.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "html/reader/entities.h"
#include "lexer_helpers.h"
#include "platform/base/strings.h"
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
    EXPECT_EQ(LexText("&Eacute;"), "\xC3\x89");
    EXPECT_EQ(LexText("&eacute;"), "\xC3\xA9");
}

TEST(LexerEntities, ValuesAreUnicodeCharacters) {
    EXPECT_EQ(LexText("&lt;&gt;&quot;&rsquo;&ndash;&trade;"),
              "<>\"\xE2\x80\x99\xE2\x80\x93\xE2\x84\xA2");
    EXPECT_EQ(LexText("&ldquo;&mdash;&bull;&euro;&rArr;&thetasym;"),
              "\xE2\x80\x9C\xE2\x80\x94\xE2\x80\xA2\xE2\x82\xAC\xE2\x87\x92\xCF\x91");
}

TEST(LexerEntities, OnlyTheOlderNamesWorkWithoutTheirSemicolon) {
    EXPECT_EQ(LexText("&copy 2004 &eacute &trade "), "\xC2\xA9 2004 \xC3\xA9 \xE2\x84\xA2 ");
    EXPECT_EQ(LexText("&mdash &euro; &notit"), "&mdash \xE2\x82\xAC &notit");
}

// The entity table checked by name and code point against the HTML 4.01 entity list (kept as
// data, made from another copy of the list): every name gives its character, and the 104 names
// the engine has always known, the Latin-1 ones, the markup characters and four more, are the
// ones recognised without ";".
TEST(EntityTable, AgreesWithTheHtml4List) {
    std::istringstream in(
        folio_test::ReadFile(folio_test::ProjectData("reader/html4-entities.txt")));
    const std::set<std::string> olderNames = {"rsquo", "ndash", "trade", "hellip"};
    int listed = 0, legacy = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name;
        int code = -1;
        ASSERT_TRUE(fields >> name >> code) << line;
        ++listed;
        const TEntityValue got = LookupEntity(name);
        std::string utf8;
        AppendUtf8(utf8, static_cast<char32_t>(code));
        EXPECT_EQ(got.Utf8, utf8) << name;
        const bool markup = code == '"' || code == '&' || code == '<' || code == '>';
        EXPECT_EQ(got.Legacy, (code >= 160 && code <= 255) || markup || olderNames.count(name))
            << name;
        legacy += got.Legacy;
    }
    EXPECT_EQ(listed, 252);
    EXPECT_EQ(EntityCount(), 252); // and the table has no name the list lacks
    EXPECT_EQ(legacy, 104);
}

TEST(EntityTable, SamplesOfEachSetAndCase) {
    const std::pair<const char*, const char*> cases[] = {
        // Latin-1, special and symbol sets.
        {"nbsp", "\xC2\xA0"},
        {"eacute", "\xC3\xA9"},
        {"Eacute", "\xC3\x89"},
        {"yuml", "\xC3\xBF"},
        {"Yuml", "\xC5\xB8"},
        {"amp", "&"},
        {"quot", "\""},
        {"OElig", "\xC5\x92"},
        {"oelig", "\xC5\x93"},
        {"rsquo", "\xE2\x80\x99"},
        {"ndash", "\xE2\x80\x93"},
        {"mdash", "\xE2\x80\x94"},
        {"ldquo", "\xE2\x80\x9C"},
        {"zwnj", "\xE2\x80\x8C"},
        {"euro", "\xE2\x82\xAC"},
        {"Dagger", "\xE2\x80\xA1"},
        {"dagger", "\xE2\x80\xA0"},
        {"fnof", "\xC6\x92"},
        {"Alpha", "\xCE\x91"},
        {"alpha", "\xCE\xB1"},
        {"sigmaf", "\xCF\x82"},
        {"thetasym", "\xCF\x91"},
        {"bull", "\xE2\x80\xA2"},
        {"hellip", "\xE2\x80\xA6"},
        {"Prime", "\xE2\x80\xB3"},
        {"prime", "\xE2\x80\xB2"},
        {"trade", "\xE2\x84\xA2"},
        {"alefsym", "\xE2\x84\xB5"},
        {"rArr", "\xE2\x87\x92"},
        {"rarr", "\xE2\x86\x92"},
        {"there4", "\xE2\x88\xB4"},
        {"lang", "\xE2\x8C\xA9"}, // U+2329, as HTML 4.01 has it
        {"rang", "\xE2\x8C\xAA"},
        {"diams", "\xE2\x99\xA6"},
        // Unknown: other cases, names of later lists, near misses.
        {"AMP", ""},
        {"Amp", ""},
        {"EURO", ""},
        {"RArr", ""},
        {"apos", ""},
        {"hookrightarrow", ""},
        {"amp;", ""},
        {"nbsp ", ""},
        {"", ""},
    };
    for (const auto& [name, utf8] : cases)
        EXPECT_EQ(LookupEntity(name).Utf8, utf8) << name;
    EXPECT_TRUE(LookupEntity("amp").Legacy);
    EXPECT_TRUE(LookupEntity("Eacute").Legacy);
    EXPECT_TRUE(LookupEntity("trade").Legacy);
    EXPECT_FALSE(LookupEntity("mdash").Legacy);
    EXPECT_FALSE(LookupEntity("euro").Legacy);
    EXPECT_FALSE(LookupEntity("Yuml").Legacy); // yuml is Latin-1; Yuml is not
    EXPECT_FALSE(LookupEntity("AMP").Legacy);
}

TEST(EntityTable, NumericReferences) {
    const std::pair<uint32_t, char32_t> cases[] = {
        {65, U'A'},
        {9, 9},
        {160, 0xA0},
        {255, 0xFF},
        {0x263A, 0x263A},
        // 128 to 159 as in Windows-1252; its five undefined bytes keep their value.
        {128, 0x20AC},
        {130, 0x201A},
        {150, 0x2013},
        {151, 0x2014},
        {153, 0x2122},
        {159, 0x0178},
        {129, 129},
        {141, 141},
        {143, 143},
        {144, 144},
        {157, 157},
        // Nothing, surrogates and beyond Unicode.
        {0, 0xFFFD},
        {0xD800, 0xFFFD},
        {0xDBFF, 0xFFFD},
        {0xDC00, 0xFFFD},
        {0xDFFF, 0xFFFD},
        {0xD7FF, 0xD7FF},
        {0xE000, 0xE000},
        {0x10FFFF, 0x10FFFF},
        {0x110000, 0xFFFD},
        {0xFFFFFFFF, 0xFFFD},
    };
    for (const auto& [value, want] : cases)
        EXPECT_EQ(static_cast<uint32_t>(NumericReferenceChar(value)), static_cast<uint32_t>(want))
            << value;
}

TEST(LexerEntities, AnEntityIsOneCharacterAtThePositionOfItsAmpersand) {
    const auto syms = Lex("ab&hellip;c");
    ASSERT_GE(syms.size(), 3u);
    EXPECT_EQ(syms[1].Text, "\xE2\x80\xA6");
    EXPECT_EQ(syms[1].Positions, (std::vector<int32_t>{2, 2, 2}));
    EXPECT_EQ(syms[2].Positions, (std::vector<int32_t>{10}));
}

TEST(LexerEntities, Numeric) {
    EXPECT_EQ(LexText("&#65;"), "A");
    EXPECT_EQ(LexText("&#65x"), "Ax");
    EXPECT_EQ(LexText("&#9;"), " ");
    EXPECT_EQ(LexText("&#10;"), "\n");
    EXPECT_EQ(LexText("&#255;"), "\xC3\xBF");
    EXPECT_EQ(LexText("&#8364;"), "\xE2\x82\xAC");
    EXPECT_EQ(LexText("&#128;"), "\xE2\x82\xAC") << "what browsers make of Windows-1252 codes";
    EXPECT_EQ(LexText("&#20013;&#x4E2D;&#X4e2d;"), "\xE4\xB8\xAD\xE4\xB8\xAD\xE4\xB8\xAD");
    EXPECT_EQ(LexText("&#x1F600;&#1114111;"), "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
    // No character: the replacement character, never a NUL that would cut C strings short.
    EXPECT_EQ(LexText("&#xD800;&#1114112;&#x110000;"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(LexerEntities, NumericFailuresStayLiteral) {
    EXPECT_EQ(LexText("&#12345678;"), "&#12345678;") << "eight digits";
    EXPECT_EQ(LexText("&#x1234567;"), "&#x1234567;") << "seven hexadecimal digits";
    EXPECT_EQ(LexText("&#x;"), "&#x;");
    EXPECT_EQ(LexText("&#13;"), "&#13;");
    EXPECT_EQ(LexText("&#0;"), "&#0;");
    EXPECT_EQ(LexText("&#26;"), "&#26;"); // would read as the end of the source
    EXPECT_EQ(LexText("&#;"), "&#;");
}

TEST(LexerEntities, LongNamesFail) {
    EXPECT_EQ(LexText("&abcdefghi;"), "&abcdefghi;");
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

TEST(LexerEntities, NumericReferencesGiveTheirCharacterWhateverThePageIsWrittenIn) {
    THtmlLexer lx;
    lx.DefaultEncoding = "windows-1251";
    lx.LoadString("&#1046;&#x416;\xC6"); // Cyrillic capital ZHE three times
    lx.Start();
    lx.ReadSymbol();
    EXPECT_EQ(lx.Token.Text(), "\xD0\x96");
    EXPECT_EQ(lx.Token.Positions(), (std::vector<int32_t>{0, 0}));
    lx.ReadSymbol();
    EXPECT_EQ(lx.Token.Text(), "\xD0\x96");
    EXPECT_EQ(lx.Token.Positions(), (std::vector<int32_t>{7, 7}));
    lx.ReadSymbol();
    EXPECT_EQ(lx.Token.Text(), "\xD0\x96");
    EXPECT_EQ(lx.Token.Positions(), (std::vector<int32_t>{14, 14})) << "positions count characters";
}
