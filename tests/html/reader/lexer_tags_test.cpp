// Tags and attributes: the tables, headings, value forms and unknown names.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>

#include "html/reader/id_name_list.h"
#include "lexer_helpers.h"
#include "tests/support/data_paths.h"
#include "tests/support/files.h"

namespace {
LexedSymbol One(const std::string& html) {
    const auto syms = Lex(html);
    EXPECT_EQ(syms.size(), 1u) << html;
    return syms.empty() ? LexedSymbol{EofSym, {}, {}, {}, 0} : syms[0];
}
} // namespace

// Every symbol the tag table names, read back both ways and through the lexer.
TEST(LexerTags, EveryTagAndItsEndSymbol) {
    int tags = 0, withEnd = 0;
    for (int n = 0; n < 256; ++n) {
        const Symbol start = static_cast<Symbol>(n);
        const std::string name = StartTagName(start);
        if (name.empty())
            continue;
        ++tags;
        EXPECT_EQ(name, LowerCase(name));
        const Symbol end = EndSymbolOf(start);
        if (start == HSym) // the level digit follows: see Headings
            continue;
        EXPECT_EQ(LookupTag(UpperCase(name), false), start) << name;
        EXPECT_EQ(LookupTag(UpperCase(name), true), end) << name;
        // Through the lexer, with the name in mixed case.
        const std::string mixed = static_cast<char>(std::toupper(name[0])) + name.substr(1);
        if (start != ScriptSym && start != StyleSym && start != TextAreaSym) {
            EXPECT_EQ(One("<" + mixed + ">").Sy, start) << name;
        }
        EXPECT_EQ(One("</" + mixed + ">").Sy, end) << name;
        if (end != UnknownTagSym) {
            ++withEnd;
            EXPECT_EQ(EndTagName(end), name);
        }
    }
    EXPECT_EQ(tags, 73);
    EXPECT_EQ(withEnd, 52); // and H's
    EXPECT_EQ(LookupTag("BLINK", false), UnknownTagSym);
    EXPECT_EQ(StartTagName(HrefSym), "");
}

// The elements of HTML 3.2, from its DTD: each is a tag, but for the few this reader passes over
// as unknown (their content reads as text).
TEST(LexerTags, TheElementsOfHtml32) {
    const std::set<std::string> passedOver = {"ISINDEX", "PLAINTEXT", "DFN", "APPLET", "PARAM"};
    std::istringstream in(
        folio_test::ReadFile(folio_test::ProjectData("reader/html32-elements.txt")));
    int elements = 0;
    for (std::string name; std::getline(in, name);) {
        if (name.empty() || name[0] == '#')
            continue;
        ++elements;
        const bool heading = name.size() == 2 && name[0] == 'H' && name[1] >= '1' && name[1] <= '6';
        const Symbol sy = LookupTag(heading ? "H" : name, false);
        if (passedOver.count(name)) {
            EXPECT_EQ(sy, UnknownTagSym) << name;
        } else {
            EXPECT_NE(sy, UnknownTagSym) << name;
        }
        if (heading) {
            const auto s = One("<" + name + ">");
            EXPECT_EQ(s.Sy, HSym);
            EXPECT_EQ(s.Level, name[1] - '0');
        }
    }
    EXPECT_EQ(elements, 70);
}

TEST(LexerTags, Headings) {
    auto s = One("<H3 ALIGN=center>");
    EXPECT_EQ(s.Sy, HSym);
    EXPECT_EQ(s.Level, 3);
    ASSERT_EQ(s.Attributes.size(), 1u);
    EXPECT_EQ(s.Attributes[0].Sym, AlignSym);
    EXPECT_EQ(s.Attributes[0].Str, "center");
    EXPECT_EQ(One("<h 1>").Level, 1);
    s = One("<h7>");
    EXPECT_EQ(s.Sy, HSym);
    EXPECT_EQ(s.Level, 0);
    EXPECT_EQ(One("<h>").Level, 0);
    s = One("</h2>");
    EXPECT_EQ(s.Sy, HEndSym);
    EXPECT_EQ(s.Level, 2);
    EXPECT_EQ(StartTagName(HSym), "h");
}

TEST(LexerTags, EndTagOfTagWithoutEndSymbolIsUnknown) {
    EXPECT_EQ(One("</br>").Sy, UnknownTagSym);
    EXPECT_EQ(One("<blink>").Sy, UnknownTagSym);
    EXPECT_EQ(One("</>").Sy, UnknownTagSym);
}

TEST(LexerTags, StrayLessThanIsText) {
    const auto syms = Lex("a < b <3");
    std::string text;
    for (const auto& s : syms) {
        EXPECT_EQ(s.Sy, TextSym);
        text += s.Text;
    }
    EXPECT_EQ(text, "a < b <3");
}

TEST(LexerTags, TagPositionAndTextAfterIt) {
    THtmlLexer lx;
    lx.LoadString("ab<b>c");
    lx.Start();
    lx.ReadSymbol();
    lx.ReadSymbol();
    EXPECT_EQ(lx.Sy, BSym);
    EXPECT_EQ(lx.TagStartPosition, 2);
    lx.ReadSymbol();
    EXPECT_EQ(lx.Token.Text(), "c");
    EXPECT_EQ(lx.Token.Positions(), std::vector<int32_t>{5});
}

// Every symbol the attribute table names, read back and through the lexer in one tag.
TEST(LexerAttributes, EveryAttributeName) {
    std::vector<Symbol> symbols;
    std::string tag = "<x";
    for (int n = 0; n < 256; ++n) {
        const Symbol sy = static_cast<Symbol>(n);
        const std::string name = AttributeName(sy);
        if (name.empty())
            continue;
        EXPECT_EQ(name, UpperCase(name));
        EXPECT_EQ(LookupAttribute(name), sy) << name;
        symbols.push_back(sy);
        tag += " " + LowerCase(name) + "=v";
    }
    EXPECT_EQ(symbols.size(), 68u);
    tag += " onmouseover=y>";
    const auto s = One(tag);
    ASSERT_EQ(s.Attributes.size(), symbols.size() + 1);
    for (size_t i = 0; i < symbols.size(); ++i)
        EXPECT_EQ(s.Attributes[i].Sym, symbols[i]) << AttributeName(symbols[i]);
    EXPECT_EQ(s.Attributes.back().Sym, OtherAttrSym);
    EXPECT_EQ(s.Attributes.back().Str, "y");
    EXPECT_EQ(LookupAttribute("ONMOUSEOVER"), OtherAttrSym);
}

TEST(LexerAttributes, BareBorderMeansOne) {
    const auto s = One("<IMG SRC=a.gif BORDER>");
    EXPECT_EQ(s.Sy, ImageSym);
    ASSERT_EQ(s.Attributes.size(), 2u);
    EXPECT_EQ(s.Attributes[0].Str, "a.gif");
    EXPECT_EQ(s.Attributes[1].Sym, BorderSym);
    EXPECT_EQ(s.Attributes[1].Value, 1);
    EXPECT_EQ(One("<table border=0>").Attributes[0].Value, 0);
    EXPECT_EQ(One("<td nowrap>").Attributes[0].Value, 0);
}

TEST(LexerAttributes, PercentValues) {
    for (const char* html :
         {"<TD WIDTH=50%>", "<TD WIDTH=\"50%\">", "<td width = '50%' >", "<td width=50 %>"}) {
        const auto s = One(html);
        ASSERT_EQ(s.Attributes.size(), 1u) << html;
        EXPECT_EQ(s.Attributes[0].Str, "50%") << html;
        EXPECT_EQ(s.Attributes[0].Value, 50) << html;
    }
    // Only a single "%" at the end is dropped before converting.
    EXPECT_EQ(One("<td width=\"5%0%\">").Attributes[0].Value, 0);
    EXPECT_EQ(One("<td width=\"%50\">").Attributes[0].Value, 0);
}

TEST(LexerAttributes, NumericValues) {
    auto s = One("<td width=100px height=-2.5 size=+3 cols=3.5 rows=1e2>");
    ASSERT_EQ(s.Attributes.size(), 5u);
    EXPECT_EQ(s.Attributes[0].Str, "100PX"); // kept in upper case
    EXPECT_EQ(s.Attributes[0].Value, 0);     // and no number
    EXPECT_EQ(s.Attributes[1].Str, "-2.5");
    EXPECT_EQ(s.Attributes[1].Value, -2); // halves go to the even neighbour
    EXPECT_EQ(s.Attributes[2].Str, "+3");
    EXPECT_EQ(s.Attributes[2].Value, 3);
    EXPECT_EQ(s.Attributes[3].Value, 4);
    EXPECT_EQ(s.Attributes[4].Str, "1E2");
    EXPECT_EQ(s.Attributes[4].Value, 100);
    s = One("<td width=\" 12 \" height=\"abc\" size=\"99999999999\">");
    EXPECT_EQ(s.Attributes[0].Str, "12");
    EXPECT_EQ(s.Attributes[0].Value, 12);
    EXPECT_EQ(s.Attributes[1].Value, 0);
    EXPECT_EQ(s.Attributes[2].Value, 0); // out of range is no number
}

TEST(LexerAttributes, QuotedValues) {
    auto s = One("<a href='it\"s' title=\"x'y\" alt=\"two\r\nlines\" name=\"open>");
    ASSERT_EQ(s.Attributes.size(), 4u);
    EXPECT_EQ(s.Attributes[0].Str, "it\"s");
    EXPECT_EQ(s.Attributes[1].Sym, OtherAttrSym);
    EXPECT_EQ(s.Attributes[1].Str, "x'y");
    EXPECT_EQ(s.Attributes[2].Str, "twolines"); // line ends inside quotes are dropped
    EXPECT_EQ(s.Attributes[3].Str, "open>");    // an unclosed quote runs to the end
}

TEST(LexerAttributes, PlainValuesStopAtBlanksAndGreaterThan) {
    const auto syms = Lex("<a href=x/y.htm target=_top>t");
    ASSERT_EQ(syms.size(), 2u);
    EXPECT_EQ(syms[0].Attributes[0].Str, "x/y.htm");
    EXPECT_EQ(syms[0].Attributes[1].Str, "_top");
    EXPECT_EQ(syms[1].Text, "t");
}

TEST(LexerAttributes, JunkBeforeTheCloseIsSkipped) {
    const auto syms = Lex("<br / clear=all><p =x>z");
    ASSERT_EQ(syms.size(), 3u);
    EXPECT_EQ(syms[0].Sy, BRSym);
    EXPECT_TRUE(syms[0].Attributes.empty());
    EXPECT_EQ(syms[1].Sy, PSym);
    EXPECT_EQ(syms[2].Text, "z");
}

TEST(LexerAttributes, IdsAreEnteredInTheNameList) {
    TIDNameList names;
    THtmlLexer lx;
    lx.IDNames = &names;
    lx.LoadString("<p id=First>x<div ID=\"\">");
    lx.Start();
    do
        lx.ReadSymbol();
    while (lx.Sy != EofSym);
    EXPECT_EQ(names.Count(), 1);
    EXPECT_NE(names.Find("first"), nullptr);
}

TEST(LexerAttributes, StyleTagLeavesTheCloseCurrent) {
    THtmlLexer lx;
    lx.LoadString("<style type=text/css>p{}");
    lx.Start();
    lx.ReadSymbol();
    EXPECT_EQ(lx.Sy, StyleSym);
    EXPECT_EQ(lx.LCh, '>');
}

TEST(AttributeList, FindClassIdAndClear) {
    THtmlLexer lx;
    lx.LoadString("<p CLASS=Big id=\"Top\" class=second>");
    lx.Start();
    lx.ReadSymbol();
    TAttributeList& a = lx.Attributes;
    EXPECT_EQ(a.TheClass(), "big");
    EXPECT_EQ(a.TheID(), "top");
    ASSERT_NE(a.Find(ClassSym), nullptr);
    EXPECT_EQ(a.Find(ClassSym)->Str, "Big");
    EXPECT_EQ(a.Find(HrefSym), nullptr);
    EXPECT_EQ(a.Find(StyleSym), nullptr);
    a.Clear();
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(a.TheID(), "");
}
