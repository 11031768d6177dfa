// Shorthand properties and the word and group splitting they rest on.
#include <gtest/gtest.h>

#include <utility>

#include "html/style/shorthands.h"

namespace {

using TSent = std::vector<std::pair<std::string, std::string>>;

// Expands one declaration and records what reaches the sink, in order.
TSent Expand(std::string_view name, std::string_view value, std::string base = {}) {
    TSent sent;
    TDeclarationDispatcher d(
        [&sent](std::string_view n, std::string_view v) { sent.emplace_back(n, v); },
        std::move(base));
    d.Dispatch(name, value, Unquote(value));
    return sent;
}

TEST(SplitWordsTest, BlanksCommasQuotesAndSlashes) {
    using W = std::vector<std::string>;
    EXPECT_EQ(SplitWords("  a   b  ", 7), (W{"a", "b"}));
    EXPECT_EQ(SplitWords("arial, serif 12pt", 7), (W{"arial,serif", "12pt"}));
    EXPECT_EQ(SplitWords("'courier new', monospace x", 7), (W{"'courier new',monospace", "x"}));
    EXPECT_EQ(SplitWords("a\"b c\"d e", 7), (W{"a\"b c\"d", "e"}));
    EXPECT_EQ(SplitWords("'open ended", 7), (W{"'open ended"}));
    EXPECT_EQ(SplitWords("12pt/14pt arial", 7), (W{"12pt", "/14pt", "arial"}));
    EXPECT_EQ(SplitWords("/x", 7), (W{"/x"}));
    EXPECT_EQ(SplitWords("a b c d e", 4), (W{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitWords("", 4), W{});
}

TEST(ExtractGroupsTest, UrlGroupsFirstThenRgb) {
    std::string v = "rgb(1, 2, 3) url(a.gif) no-repeat";
    const auto g = ExtractGroups(v, 7);
    EXPECT_EQ(g, (std::vector<std::string>{"url(a.gif)", "rgb(1, 2, 3)"}));
    EXPECT_EQ(v, "  no-repeat");
    std::string open = "url(a.gif";
    EXPECT_TRUE(ExtractGroups(open, 7).empty());
    EXPECT_EQ(open, "url(a.gif");
    std::string many = "rgb(1)rgb(2)rgb(3)";
    EXPECT_EQ(ExtractGroups(many, 2).size(), 2u);
    EXPECT_EQ(many, "rgb(3)");
}

TEST(UnquoteTest, OnlyMatchingPairs) {
    EXPECT_EQ(Unquote("'a b'"), "a b");
    EXPECT_EQ(Unquote("\"x\""), "x");
    EXPECT_EQ(Unquote("'x\""), "'x\"");
    EXPECT_EQ(Unquote("'"), "'");
    EXPECT_EQ(Unquote("''"), "");
}

TEST(MakeUrlAbsoluteTest, LocalDirectoriesAndWebAddresses) {
    EXPECT_EQ(MakeUrlAbsolute("url(bg.gif)", "/site/css/"), "url(/site/css/bg.gif)");
    EXPECT_EQ(MakeUrlAbsolute("url('img/a%20b.gif')", "/site/css"), "url(/site/css/img/a b.gif)");
    EXPECT_EQ(MakeUrlAbsolute("url(/abs/x.gif)", "/site/css/"), "url(/abs/x.gif)");
    EXPECT_EQ(MakeUrlAbsolute("url(file:///abs/x.gif)", "/site/css/"), "url(/abs/x.gif)");
    EXPECT_EQ(MakeUrlAbsolute("url(../i/x.gif)", "http://host/css/"), "url(http://host/i/x.gif)");
    EXPECT_EQ(MakeUrlAbsolute("url(http://other/x.gif)", "http://host/css/"),
              "url(http://other/x.gif)");
}

TEST(ExpandBoxTest, OneToFourWords) {
    EXPECT_EQ(Expand("margin", "1px"), (TSent{{"margin-top", "1px"},
                                              {"margin-right", "1px"},
                                              {"margin-bottom", "1px"},
                                              {"margin-left", "1px"}}));
    EXPECT_EQ(Expand("padding", "1px 2px"), (TSent{{"padding-top", "1px"},
                                                   {"padding-right", "2px"},
                                                   {"padding-bottom", "1px"},
                                                   {"padding-left", "2px"}}));
    EXPECT_EQ(Expand("margin", "1px 2px 3px"), (TSent{{"margin-top", "1px"},
                                                      {"margin-right", "2px"},
                                                      {"margin-bottom", "3px"},
                                                      {"margin-left", "2px"}}));
    EXPECT_EQ(Expand("border-width", "1px 2px 3px 4px 5px"), (TSent{{"border-top-width", "1px"},
                                                                    {"border-right-width", "2px"},
                                                                    {"border-bottom-width", "3px"},
                                                                    {"border-left-width", "4px"}}));
    EXPECT_TRUE(Expand("margin", "").empty());
}

TEST(ExpandFontTest, KeywordsSizesLineHeightAndFamily) {
    EXPECT_EQ(Expand("font", "bold 12pt/14pt arial"), (TSent{{"font-weight", "bold"},
                                                             {"font-size", "12pt"},
                                                             {"line-height", "14pt"},
                                                             {"font-family", "arial"}}));
    EXPECT_EQ(Expand("font", "italic small-caps larger 'courier new', monospace"),
              (TSent{{"font-style", "italic"},
                     {"font-variant", "small-caps"},
                     {"font-size", "larger"},
                     {"font-family", "'courier new',monospace"}}));
    // A numeric weight reads as a size, and every bare family word overwrites the last.
    EXPECT_EQ(Expand("font", "700 times new"),
              (TSent{{"font-size", "700"}, {"font-family", "times"}, {"font-family", "new"}}));
}

TEST(ExpandBackgroundTest, ColourImageRepeatAndPosition) {
    EXPECT_EQ(Expand("background", "url(bg.gif) no-repeat right top", "/site/"),
              (TSent{{"background-image", "url(/site/bg.gif)"},
                     {"background-repeat", "no-repeat"},
                     {"background-position", "right top"}}));
    EXPECT_EQ(Expand("background", "#fff rgb(1,2,3) none repeat-y 10% 20% 30%"),
              (TSent{{"background-color", "rgb(1,2,3)"},
                     {"background-color", "#fff"},
                     {"background-image", "none"},
                     {"background-repeat", "repeat-y"},
                     {"background-position", "20% 30%"}}));
    // Colours need their "#" here: bare digits are a position.
    EXPECT_EQ(Expand("background", "ff0000"), (TSent{{"background-position", "ff0000"}}));
    EXPECT_EQ(Expand("background", "transparent"), (TSent{{"background-color", "transparent"}}));
    EXPECT_EQ(Expand("background", "url(a.gif)"), (TSent{{"background-image", "url(a.gif)"}}));
}

TEST(ExpandBorderTest, WidthsStyleAndColour) {
    // "border" colours every side (and keeps the shared slot for single-colour readers).
    EXPECT_EQ(Expand("border", "2px solid #ff0000"), (TSent{{"border-top-width", "2px"},
                                                            {"border-right-width", "2px"},
                                                            {"border-bottom-width", "2px"},
                                                            {"border-left-width", "2px"},
                                                            {"border-style", "solid"},
                                                            {"border-color", "#ff0000"},
                                                            {"border-top-color", "#ff0000"},
                                                            {"border-right-color", "#ff0000"},
                                                            {"border-bottom-color", "#ff0000"},
                                                            {"border-left-color", "#ff0000"}}));
    // A side's shorthand colours that side alone.
    EXPECT_EQ(Expand("border-top", "thin dotted rgb(0,0,0)"),
              (TSent{{"border-top-color", "rgb(0,0,0)"},
                     {"border-top-width", "thin"},
                     {"border-top-style", "dotted"}}));
    // Without its "#" a colour is taken for a width.
    EXPECT_EQ(Expand("border-left", "ff0000 ridge"),
              (TSent{{"border-left-width", "ff0000"}, {"border-left-style", "ridge"}}));
    EXPECT_EQ(Expand("border-bottom", "url(x.gif) red"), (TSent{{"border-bottom-color", "red"}}));
}

TEST(ExpandBorderTest, ColoursAndStylesPerSide) {
    const TSent one{{"border-color", "red"},
                    {"border-top-color", "red"},
                    {"border-right-color", "red"},
                    {"border-bottom-color", "red"},
                    {"border-left-color", "red"}};
    EXPECT_EQ(Expand("border-color", "red"), one);
    // Two, three and four values go round as margins do; rgb() keeps its blanks together.
    EXPECT_EQ(Expand("border-color", "red rgb(1, 2, 3)"),
              (TSent{{"border-color", "red"},
                     {"border-top-color", "red"},
                     {"border-right-color", "rgb(1,2,3)"},
                     {"border-bottom-color", "red"},
                     {"border-left-color", "rgb(1,2,3)"}}));
    EXPECT_EQ(Expand("border-color", "red green blue"), (TSent{{"border-color", "red"},
                                                               {"border-top-color", "red"},
                                                               {"border-right-color", "green"},
                                                               {"border-bottom-color", "blue"},
                                                               {"border-left-color", "green"}}));
    EXPECT_EQ(Expand("border-color", "#111 #222 #333 #444"),
              (TSent{{"border-color", "#111"},
                     {"border-top-color", "#111"},
                     {"border-right-color", "#222"},
                     {"border-bottom-color", "#333"},
                     {"border-left-color", "#444"}}));
    EXPECT_EQ(Expand("border-color", ""), TSent{});
    // One style stays the plain property; several go to the sides.
    EXPECT_EQ(Expand("border-style", "inset"), (TSent{{"border-style", "inset"}}));
    EXPECT_EQ(Expand("border-style", "solid dotted"), (TSent{{"border-top-style", "solid"},
                                                             {"border-right-style", "dotted"},
                                                             {"border-bottom-style", "solid"},
                                                             {"border-left-style", "dotted"}}));
}

TEST(ExpandListStyleTest, ImageTypeAndPosition) {
    EXPECT_EQ(Expand("list-style", "url(dot.gif) square", "http://h/css/"),
              (TSent{{"list-style-image", "url(http://h/css/dot.gif)"},
                     {"list-style-type", "square"},
                     {"list-style-position", "outside"}}));
    // What the shorthand leaves out goes back to its initial value.
    EXPECT_EQ(Expand("list-style", "lower-roman inside"), (TSent{{"list-style-type", "lower-roman"},
                                                                 {"list-style-position", "inside"},
                                                                 {"list-style-image", "none"}}));
    EXPECT_EQ(Expand("list-style", "none"), (TSent{{"list-style-type", "none"},
                                                   {"list-style-image", "none"},
                                                   {"list-style-position", "outside"}}));
    EXPECT_EQ(Expand("list-style", "outside url(b.png)"),
              (TSent{{"list-style-position", "outside"}, {"list-style-image", "url(b.png)"}}));
}

TEST(DispatchTest, PlainPropertiesAndUrls) {
    EXPECT_EQ(Expand("color", "red"), (TSent{{"color", "red"}}));
    EXPECT_EQ(Expand("background-image", "url(a.gif)", "/d/"),
              (TSent{{"background-image", "url(/d/a.gif)"}}));
    EXPECT_EQ(Expand("background-image", "url(a.gif)"),
              (TSent{{"background-image", "url(a.gif)"}}));
    EXPECT_EQ(ShorthandIndex("list-style"), 10);
    EXPECT_EQ(ShorthandIndex("font-size"), -1);
}

} // namespace
