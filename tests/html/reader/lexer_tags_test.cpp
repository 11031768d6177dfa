// Tags and attributes: the tables, headings, value forms and unknown names.
#include <gtest/gtest.h>

#include "html/reader/id_name_list.h"
#include "lexer_helpers.h"

namespace {
LexedSymbol One(const std::string& html) {
    const auto syms = Lex(html);
    EXPECT_EQ(syms.size(), 1u) << html;
    return syms.empty() ? LexedSymbol{EofSym, {}, {}, {}, 0} : syms[0];
}
} // namespace

TEST(LexerTags, EveryTagAndItsEndSymbol) {
    struct Row {
        const char* name;
        Symbol start, end;
    };
    const Row rows[] = {
        {"html", HtmlSym, HtmlEndSym},
        {"title", TitleSym, TitleEndSym},
        {"Body", BodySym, BodyEndSym},
        {"HEAD", HeadSym, HeadEndSym},
        {"b", BSym, BEndSym},
        {"i", ISym, IEndSym},
        {"em", EmSym, EmEndSym},
        {"strong", StrongSym, StrongEndSym},
        {"u", USym, UEndSym},
        {"cite", CiteSym, CiteEndSym},
        {"var", VarSym, VarEndSym},
        {"tt", TTSym, TTEndSym},
        {"code", CodeSym, CodeEndSym},
        {"kbd", KbdSym, KbdEndSym},
        {"samp", SampSym, SampEndSym},
        {"ol", OLSym, OLEndSym},
        {"ul", ULSym, ULEndSym},
        {"dir", DirSym, DirEndSym},
        {"menu", MenuSym, MenuEndSym},
        {"dl", DLSym, DLEndSym},
        {"a", ASym, AEndSym},
        {"address", AddressSym, AddressEndSym},
        {"blockquote", BlockQuoteSym, BlockQuoteEndSym},
        {"pre", PreSym, PreEndSym},
        {"center", CenterSym, CenterEndSym},
        {"table", TableSym, TableEndSym},
        {"td", TDSym, TDEndSym},
        {"th", THSym, THEndSym},
        {"caption", CaptionSym, CaptionEndSym},
        {"form", FormSym, FormEndSym},
        {"textarea", TextAreaSym, TextAreaEndSym},
        {"select", SelectSym, SelectEndSym},
        {"option", OptionSym, OptionEndSym},
        {"font", FontSym, FontEndSym},
        {"sub", SubSym, SubEndSym},
        {"sup", SupSym, SupEndSym},
        {"big", BigSym, BigEndSym},
        {"small", SmallSym, SmallEndSym},
        {"p", PSym, PEndSym},
        {"map", MapSym, MapEndSym},
        {"frameset", FrameSetSym, FrameSetEndSym},
        {"noframes", NoFramesSym, NoFramesEndSym},
        {"script", ScriptSym, ScriptEndSym},
        {"div", DivSym, DivEndSym},
        {"s", SSym, SEndSym},
        {"strike", StrikeSym, StrikeEndSym},
        {"tr", TRSym, TREndSym},
        {"nobr", NoBrSym, NoBrEndSym},
        {"style", StyleSym, StyleEndSym},
        {"span", SpanSym, SpanEndSym},
        {"li", LISym, UnknownTagSym},
        {"br", BRSym, UnknownTagSym},
        {"hr", HRSym, UnknownTagSym},
        {"dd", DDSym, UnknownTagSym},
        {"dt", DTSym, UnknownTagSym},
        {"img", ImageSym, UnknownTagSym},
        {"base", BaseSym, UnknownTagSym},
        {"button", ButtonSym, UnknownTagSym},
        {"input", InputSym, UnknownTagSym},
        {"selected", SelectedSym, UnknownTagSym},
        {"basefont", BaseFontSym, UnknownTagSym},
        {"area", AreaSym, UnknownTagSym},
        {"frame", FrameSym, UnknownTagSym},
        {"page", PageSym, UnknownTagSym},
        {"bgsound", BgSoundSym, UnknownTagSym},
        {"wrap", WrapSym, UnknownTagSym},
        {"meta", MetaSym, UnknownTagSym},
        {"panel", PanelSym, UnknownTagSym},
        {"wbr", WbrSym, UnknownTagSym},
        {"link", LinkSym, UnknownTagSym},
    };
    EXPECT_EQ(std::size(rows), 70u); // plus H, tested on its own
    for (const Row& r : rows) {
        EXPECT_EQ(LookupTag(UpperCase(r.name), false), r.start) << r.name;
        EXPECT_EQ(LookupTag(UpperCase(r.name), true), r.end) << r.name;
        EXPECT_EQ(StartTagName(r.start), LowerCase(r.name));
        EXPECT_EQ(EndSymbolOf(r.start), r.end) << r.name;
        if (r.end != UnknownTagSym) {
            EXPECT_EQ(EndTagName(r.end), LowerCase(r.name));
        }
        // Through the lexer, with the name in the case it was written.
        if (r.start != ScriptSym && r.start != StyleSym && r.start != TextAreaSym) {
            EXPECT_EQ(One(std::string("<") + r.name + ">").Sy, r.start) << r.name;
        }
        EXPECT_EQ(One(std::string("</") + r.name + ">").Sy, r.end) << r.name;
    }
    EXPECT_EQ(LookupTag("BLINK", false), UnknownTagSym);
    EXPECT_EQ(StartTagName(HrefSym), "");
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

TEST(LexerAttributes, EveryAttributeName) {
    const std::pair<const char*, Symbol> rows[] = {
        {"HREF", HrefSym},
        {"NAME", NameSym},
        {"SRC", SrcSym},
        {"ALT", AltSym},
        {"ALIGN", AlignSym},
        {"TEXT", TextSym},
        {"BGCOLOR", BGColorSym},
        {"LINK", LinkSym},
        {"BACKGROUND", BackgroundSym},
        {"COLSPAN", ColSpanSym},
        {"ROWSPAN", RowSpanSym},
        {"BORDER", BorderSym},
        {"CELLPADDING", CellPaddingSym},
        {"CELLSPACING", CellSpacingSym},
        {"VALIGN", VAlignSym},
        {"WIDTH", WidthSym},
        {"START", StartSym},
        {"VALUE", ValueSym},
        {"TYPE", TypeSym},
        {"CHECKBOX", CheckBoxSym},
        {"RADIO", RadioSym},
        {"METHOD", MethodSym},
        {"ACTION", ActionSym},
        {"CHECKED", CheckedSym},
        {"SIZE", SizeSym},
        {"MAXLENGTH", MaxLengthSym},
        {"COLS", ColsSym},
        {"ROWS", RowsSym},
        {"MULTIPLE", MultipleSym},
        {"SELECTED", SelectedSym},
        {"FACE", FaceSym},
        {"COLOR", ColorSym},
        {"TRANSP", TranspSym},
        {"CLEAR", ClearSym},
        {"ISMAP", IsMapSym},
        {"BORDERCOLOR", BorderColorSym},
        {"USEMAP", UseMapSym},
        {"SHAPE", ShapeSym},
        {"COORDS", CoordsSym},
        {"NOHREF", NoHrefSym},
        {"HEIGHT", HeightSym},
        {"PLAIN", PlainSym},
        {"TARGET", TargetSym},
        {"NORESIZE", NoResizeSym},
        {"SCROLLING", ScrollingSym},
        {"HSPACE", HSpaceSym},
        {"LANGUAGE", LanguageSym},
        {"FRAMEBORDER", FrameBorderSym},
        {"MARGINWIDTH", MarginWidthSym},
        {"MARGINHEIGHT", MarginHeightSym},
        {"LOOP", LoopSym},
        {"ONCLICK", OnClickSym},
        {"WRAP", WrapSym},
        {"NOSHADE", NoShadeSym},
        {"HTTP-EQUIV", HttpEqSym},
        {"CONTENT", ContentSym},
        {"ENCTYPE", EncTypeSym},
        {"VLINK", VLinkSym},
        {"OLINK", OLinkSym},
        {"ACTIVE", ActiveSym},
        {"VSPACE", VSpaceSym},
        {"CLASS", ClassSym},
        {"ID", IdSym},
        {"STYLE", StyleSym},
        {"REL", RelSym},
        {"REV", RevSym},
        {"NOWRAP", NoWrapSym},
    };
    EXPECT_EQ(std::size(rows), 67u); // VALUE stands twice in the table
    std::string tag = "<x";
    for (const auto& r : rows) {
        EXPECT_EQ(LookupAttribute(r.first), r.second) << r.first;
        tag += std::string(" ") + LowerCase(r.first) + "=v";
    }
    tag += " onmouseover=y>";
    const auto s = One(tag);
    ASSERT_EQ(s.Attributes.size(), std::size(rows) + 1);
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(s.Attributes[i].Sym, rows[i].second) << rows[i].first;
    EXPECT_EQ(s.Attributes.back().Sym, OtherAttrSym);
    EXPECT_EQ(s.Attributes.back().Str, "y");
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
    EXPECT_EQ(a.TheStyle(), nullptr);
    a.Clear();
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(a.TheID(), "");
}
