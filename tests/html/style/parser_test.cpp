// The style sheet scanner: selectors and keys, comments, comment markers, @-rules, where it
// stops, and the style attribute.
#include <gtest/gtest.h>

#include "html/reader/attributes.h"
#include "tests/html/style/style_test_util.h"

namespace {

// A sheet parsed into an empty list (no built-in rules), for looking at keys.
struct TParsed {
    explicit TParsed(const std::string& css, const std::string& base = {}) {
        ParseStyleText(Sheet, css, base);
    }
    const TStyleRule* Rule(const std::string& key) const {
        const int i = Sheet.IndexOf(key);
        return i < 0 ? nullptr : &Sheet.Props(i);
    }
    TPropValue Value(const std::string& key, int slot) const {
        const TStyleRule* p = Rule(key);
        return p ? p->Values[slot] : TPropValue::Null();
    }
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (int i = 0; i < Sheet.Count(); ++i)
            keys.push_back(Sheet.Key(i));
        return keys;
    }
    TStyleList Sheet;
};

const TPropValue kRed(static_cast<int32_t>(0x0000FF));

TEST(SelectorTest, SelectorListsStoreUnderEveryKey) {
    TParsed p("H1, h2 ,h3.X { color: red }");
    EXPECT_EQ(p.Keys(), (std::vector<std::string>{"h1", "h2", "h3.x"}));
    EXPECT_EQ(p.Value("h2", piColor), kRed);
    EXPECT_EQ(p.Value("h3.x", piColor), kRed);
}

TEST(SelectorTest, ContextualKeysCarryCountAndSequence) {
    TParsed p("ul li {color:red} div  ul   li {color:red} a b {color:red}");
    EXPECT_EQ(p.Keys(), (std::vector<std::string>{"b 112a ", "li 110ul ", "li 211ul div "}));
    EXPECT_EQ(p.Sheet.ContextCounter, 13);
}

TEST(SelectorTest, KeyFormatWithTheCounterAtTwelve) {
    TStyleList list;
    list.ContextCounter = 12;
    ParseStyleText(list, "div ul li { color: red }");
    EXPECT_EQ(list.Key(0), "li 212ul div ");
}

TEST(SelectorTest, SimpleSelectorPieces) {
    TParsed p("p.intro#top:hover, .c, #i, :link, a:visited {color:red}");
    EXPECT_EQ(p.Keys(),
              (std::vector<std::string>{"#i", ".c", ":link", "a:visited", "p.intro#top:hover"}));
}

TEST(SelectorTest, UnknownCharactersEndTheSelector) {
    TParsed star("* { color: red }");
    EXPECT_EQ(star.Keys(), (std::vector<std::string>{""}));
    TParsed child("a > b { color: red }");
    EXPECT_EQ(child.Keys(), (std::vector<std::string>{"a"}));
    TParsed attr("input[type=text] { color: red }");
    EXPECT_EQ(attr.Keys(), (std::vector<std::string>{"input"}));
}

TEST(DeclarationTest, NamesAndValuesAreLowerCasedAndTrimmed) {
    TParsed p("P { Font-Family : \"Times New Roman\" ; TEXT-ALIGN:Center}");
    EXPECT_EQ(p.Value("p", piFontFamily), TPropValue("times new roman"));
    EXPECT_EQ(p.Value("p", piTextAlign), TPropValue("center"));
}

TEST(DeclarationTest, BrokenDeclarationsAreSkipped) {
    TParsed p("p { color red; margin-top: 1px; ; ;; %%% text-align: right; "
              "unknown: 3; : 4; width: 5px }");
    const TStyleRule* r = p.Rule("p");
    ASSERT_NE(r, nullptr);
    EXPECT_FALSE(r->Values[piColor].IsAssigned());
    EXPECT_EQ(r->Values[piMarginTop], TPropValue("1px"));
    EXPECT_EQ(r->Values[piTextAlign], TPropValue("right"));
    EXPECT_EQ(r->Values[piWidth], TPropValue("5px"));
}

TEST(DeclarationTest, ImportantSuffixIsLeftOff) {
    TParsed p(
        "p { color: red !important; margin-top: 1px!IMPORTANT; font-family: 'a b' ! important;"
        " border: 2px solid #ff0000 !important } h1 { color: green ! important }");
    EXPECT_EQ(p.Value("p", piColor), kRed);
    EXPECT_EQ(p.Value("p", piMarginTop), TPropValue("1px"));
    EXPECT_EQ(p.Value("p", piFontFamily), TPropValue("a b"));
    EXPECT_EQ(p.Value("p", piBorderColor),
              TPropValue(static_cast<int32_t>(0x020000FF))); // from hex
    EXPECT_EQ(p.Value("p", piBorderLeftWidth), TPropValue("2px"));
    EXPECT_EQ(p.Value("h1", piColor), TPropValue(static_cast<int32_t>(0x008000)));
    // Only a whole "!important" at the end is the suffix.
    TParsed q("p { font-family: unimportant; margin-top: 1px important }");
    EXPECT_EQ(q.Value("p", piFontFamily), TPropValue("unimportant"));
    EXPECT_EQ(q.Value("p", piMarginTop), TPropValue("1px important"));
}

TEST(DeclarationTest, RuleWithoutBraceAddsNothing) {
    TParsed p("p color: red; h1 { color: red }");
    // ":" is a selector character, so the selector text runs up to the ";" and the
    // declarations in braces belong to a contextual key; nothing reaches "p" itself.
    EXPECT_EQ(p.Rule("p"), nullptr);
    EXPECT_EQ(p.Keys(), (std::vector<std::string>{"red 210color: p "}));
    TParsed q("p; h1 color: red");
    EXPECT_EQ(q.Sheet.Count(), 0);
}

TEST(CommentTest, CommentsAreSkippedAnywhere) {
    TParsed p("/* lead */ /* two */p /* mid */ { color: red; /* in **/ margin-top: 1px }"
              "/**/h1{color:red}");
    EXPECT_EQ(p.Value("p", piColor), kRed);
    EXPECT_EQ(p.Value("p", piMarginTop), TPropValue("1px"));
    EXPECT_EQ(p.Value("h1", piColor), kRed);
}

TEST(CommentTest, SlashWithoutStarIsKept) {
    TParsed p("p { font: 12pt/14pt arial }");
    EXPECT_EQ(p.Value("p", piLineHeight), TPropValue("14pt"));
}

TEST(CommentTest, HtmlCommentMarkersAroundTheSheet) {
    TParsed p("<!--\n p { color: red }\n h1 { color: red }\n-->");
    EXPECT_EQ(p.Keys(), (std::vector<std::string>{"h1", "p"}));
}

TEST(AtRuleTest, ImportAndBlocksAreSkipped) {
    TParsed p("@import url(x.css);\np { color: red }");
    EXPECT_EQ(p.Keys(), (std::vector<std::string>{"p"}));
    TParsed q("@font-face { font-family: x } h1 { color: red }");
    EXPECT_EQ(q.Keys(), (std::vector<std::string>{"h1"}));
}

// Runs the parser over a character source that must not be read past the "<" it stops at,
// as when it reads a style element straight from the lexer.
struct TSourceRun {
    explicit TSourceRun(std::string text, char first = '>') : Text(std::move(text)) {
        LoadDumpDefaults(Sheet);
        Ch = first;
        ParseStyleSheet(
            Sheet, Ch, [this]() -> char { return Pos < Text.size() ? Text[Pos++] : StyleEofChar; },
            "");
    }
    std::string Text;
    size_t Pos = 0;
    TStyleList Sheet;
    char Ch = 0;
};

TEST(StopTest, StopsAtTheEndTagWithoutReadingPastIt) {
    TSourceRun r("\n<!--\np { color: red }\n-->\n</style>after");
    EXPECT_EQ(r.Ch, '<');
    EXPECT_EQ(r.Text.substr(r.Pos), "/style>after");
    EXPECT_GE(r.Sheet.IndexOf("p"), 0);
}

TEST(StopTest, UnterminatedCommentEndsBeforeTheNextTag) {
    TSourceRun r("p { color: red } /* open </style>x");
    EXPECT_EQ(r.Ch, '<');
    EXPECT_EQ(r.Text.substr(r.Pos), "/style>x");
}

TEST(StopTest, EndOfTextAndStrayEndings) {
    TSourceRun r("p { color: red");
    EXPECT_EQ(r.Ch, StyleEofChar);
    // The document's rule is an entry of its own after the built-in "p".
    const int builtIn = r.Sheet.IndexOf("p");
    ASSERT_GE(builtIn, 0);
    EXPECT_TRUE(r.Sheet.Props(builtIn).BuiltIn);
    EXPECT_TRUE(r.Sheet.Props(builtIn).Values[piColor].IsEmpty());
    ASSERT_LT(builtIn + 1, r.Sheet.Count());
    EXPECT_EQ(r.Sheet.Key(builtIn + 1), "p");
    EXPECT_FALSE(r.Sheet.Props(builtIn + 1).BuiltIn);
    EXPECT_EQ(r.Sheet.Props(builtIn + 1).Values[piColor], kRed);
    TSourceRun s("p { color: red } @media print { h1 { x: y");
    EXPECT_EQ(s.Ch, StyleEofChar);
    TSourceRun t("p/");
    EXPECT_EQ(t.Ch, StyleEofChar);
    TSourceRun u("{ color: red }", 'x');
    EXPECT_EQ(u.Ch, StyleEofChar);
    EXPECT_GE(u.Sheet.IndexOf("x"), 0) << "the given character starts the sheet";
}

TEST(StyleAttributeTest, CapitalsWorkBecauseTheWholeTextIsLowerCased) {
    TProperties p;
    ParseStyleAttribute("COLOR: Red; Margin-Left: 5PX", p);
    EXPECT_EQ(p.Values[piColor], kRed);
    EXPECT_EQ(p.Values[piMarginLeft], TPropValue("5px"));
}

TEST(StyleAttributeTest, ShorthandsAndUrlsStayAsWritten) {
    TProperties p;
    ParseStyleAttribute("margin: 1px 2px; background: url(a.gif) repeat-x; "
                        "font: bold 9pt 'arial'",
                        p);
    EXPECT_EQ(p.Values[piMarginTop], TPropValue("1px"));
    EXPECT_EQ(p.Values[piMarginLeft], TPropValue("2px"));
    EXPECT_EQ(p.Values[piBackgroundImage], TPropValue("url(a.gif)"));
    EXPECT_EQ(p.Values[piBackgroundRepeat], TPropValue("repeat-x"));
    EXPECT_EQ(p.Values[piFontWeight], TPropValue("bold"));
    EXPECT_EQ(p.Values[piFontSize], TPropValue("9pt"));
    EXPECT_EQ(p.Values[piFontFamily], TPropValue("'arial'"));
}

TEST(StyleAttributeTest, ImportantSuffixIsLeftOff) {
    TProperties p;
    ParseStyleAttribute("color: red !important; margin-left: 5px !Important", p);
    EXPECT_EQ(p.Values[piColor], kRed);
    EXPECT_EQ(p.Values[piMarginLeft], TPropValue("5px"));
}

TEST(StyleAttributeTest, JunkIsSkipped) {
    TProperties p;
    ParseStyleAttribute(";;: x; !!color:blue;width:'10px';;height", p);
    EXPECT_EQ(p.Values[piColor], TPropValue(static_cast<int32_t>(0xFF0000)));
    EXPECT_EQ(p.Values[piWidth], TPropValue("10px"));
    EXPECT_EQ(p.Values[piHeight], TPropValue(NullLength));
    ParseStyleAttribute("", p);
    ParseStyleAttribute(std::string(1, StyleEofChar) + "color: red", p);
    EXPECT_EQ(p.Values[piColor], TPropValue(static_cast<int32_t>(0xFF0000)));
}

} // namespace
