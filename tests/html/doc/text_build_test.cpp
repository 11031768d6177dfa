// Building text sections: the white-space rules of appending text, runs, source positions and
// text search.
#include <gtest/gtest.h>

#include "tests/html/doc/text_util.h"

namespace {

struct TStep {
    std::string Text;
    bool NoBreak = false;
};

struct TAppendCase {
    const char* Name;
    std::vector<TStep> Steps;
    std::string Expected;
};

class AppendRules : public ::testing::TestWithParam<TAppendCase> {};

TEST_P(AppendRules, BufferAfterSteps) {
    TTextDoc d;
    auto s = d.Make();
    int32_t pos = 0;
    for (const TStep& step : GetParam().Steps) {
        s->AddText(Tok(step.Text, pos), step.NoBreak);
        pos += static_cast<int32_t>(step.Text.size()) + 5;
    }
    EXPECT_EQ(TextOf(*s), GetParam().Expected);
}

const std::string nb = "\xc2\xa0"; // U+00A0 in UTF-8

INSTANTIATE_TEST_SUITE_P(
    Text, AppendRules,
    ::testing::Values(
        TAppendCase{"SpaceBeforeBreak", {{"Hello "}, {"\x08"}}, "Hello\x08"},
        TAppendCase{"NbspBeforeBreak", {{"a\xc2\xa0"}, {"\x08"}}, "a\x08"},
        TAppendCase{"BreakKeepsRestOfToken", {{"a "}, {"\x08z"}}, "a\x08z"},
        TAppendCase{"JoinKeepsOneSpace", {{"one "}, {" two"}}, "one two"},
        TAppendCase{"LeadingSpaceDropped", {{" start"}}, "start"},
        TAppendCase{"SpaceOnlyTokenIgnored", {{" "}, {"x"}}, "x"},
        TAppendCase{"SpaceAfterBreakDropped",
                    {{"a\x08"}, {" b"}},
                    "a\x08"
                    "b"},
        TAppendCase{"EmptyTokenIgnored", {{""}, {"x"}}, "x"},
        TAppendCase{"NoBreakMarkBecomesNbsp",
                    {{"a\x05"
                      "b",
                      true}},
                    "a" + nb + "b"},
        TAppendCase{"NoBreakLeadingMarkDropped", {{"\x05x", true}}, "x"},
        TAppendCase{"NoBreakMarkAfterSpace",
                    {{"a "},
                     {"\x05"
                      "b",
                      true}},
                    "a b"},
        TAppendCase{"NoBreakTwoMarksOne",
                    {{"a\x05\x05"
                      "b",
                      true}},
                    "a" + nb + "b"},
        TAppendCase{"NoBreakSpaceThenMark",
                    {{"a \x05"
                      "b",
                      true}},
                    "a b"},
        TAppendCase{"NoBreakMarkThenSpace", {{"a\x05 b", true}}, "a b"},
        TAppendCase{"NoBreakMarkOnlyIgnored", {{"a"}, {"\x05", true}, {"\x05", true}}, "a" + nb},
        TAppendCase{"MarkOutsideNoBreakIsSpace",
                    {{"a\x05"
                      "b"}},
                    "a b"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(TextBuild, FloatingImagesOnlyDropNextLeadingSpace) {
    TTextDoc d;
    auto s = d.Make();
    TAttributeList img = Attrs({{"ALIGN", "left"}, {"WIDTH", "10"}, {"HEIGHT", "10"}});
    s->AddImage(img, d.Top(), 0, false);
    s->AddText(Tok(" text"), false);
    EXPECT_EQ(TextOf(*s), "\x04text");

    // An inline image keeps the space after it.
    auto t = d.Make();
    TAttributeList inl = Attrs({{"WIDTH", "10"}, {"HEIGHT", "10"}});
    t->AddImage(inl, d.Top(), 0, false);
    t->AddText(Tok(" text"), false);
    EXPECT_EQ(TextOf(*t), "\x04 text");
}

TEST(TextBuild, ObjectsInNoBreakRunsTakeTheirOwnCodes) {
    TTextDoc d;
    auto s = d.Make();
    TAttributeList img = Attrs({{"WIDTH", "10"}, {"HEIGHT", "10"}});
    s->AddText(Tok("a"), true);
    s->AddImage(img, d.Top(), 1, true);
    EXPECT_EQ(TextOf(*s), "a\x07");
    EXPECT_EQ(s->InlineObjects.Count(), 1);
    EXPECT_EQ(s->InlineObjects[0]->CharPos, 1);
}

TEST(TextBuild, EmptySectionIsDroppedButEmptyPreIsKept) {
    TTextDoc d;
    EXPECT_EQ(d.Add(d.Make()), nullptr);
    EXPECT_NE(d.Add(d.Make<TPreFormated>()), nullptr);
    auto s = d.Make();
    s->EnsureNotEmpty();
    EXPECT_EQ(TextOf(*s), " ");
}

TEST(TextBuild, PreKeepsEveryCharacterUpToTheCap) {
    TTextDoc d;
    auto p = d.Make<TPreFormated>();
    p->AddText(Tok("  a  \x05 b "), false);
    EXPECT_EQ(TextOf(*p), "  a  \x05 b ");
    p->AddText(Tok(std::string(TPreFormated::MaxLength, 'x')), false);
    const int32_t full = p->TextLen();
    p->AddText(Tok("more"), false);
    EXPECT_EQ(p->TextLen(), full);
}

TEST(TextBuild, PreTabsStopEveryEightColumnsOfTheLine) {
    TTextDoc d;
    auto p = d.Make<TPreFormated>();
    p->AddText(Tok("a\tb", 5), false);
    p->AddText(Tok("cdefgh\tx\t", 20), false); // the column goes on across tokens
    EXPECT_EQ(TextOf(*p), "a       bcdefgh x       ");
    // Every blank of a tab keeps the tab's own source position.
    p->FinishSection();
    EXPECT_EQ(p->ToSourcePos(1), 6);
    EXPECT_EQ(p->ToSourcePos(7), 6);
    EXPECT_EQ(p->ToSourcePos(8), 7);
    EXPECT_EQ(p->ToSourcePos(16), 27);
}

TEST(TextBuild, PreWhiteSpaceInFlowingText) {
    TTextDoc d;
    auto s = d.Make();
    s->AddPreText(Tok("ab  c\r\td"));
    // Blanks stay and never break, a line end breaks, the tab counts from the line's start.
    EXPECT_EQ(s->Text(), U"ab\u00A0\u00A0c\b\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0\u00A0d");
}

TEST(TextBuild, TransformChangesCharactersNotPositions) {
    TTextDoc d;
    d.Push("span", "text-transform: uppercase");
    auto up = d.Make();
    up->AddText(Tok("gro\xC3\x9F \xC3\xA9t\xC3\xA9", 10), false);
    // One character stays one: the sharp s has no capital of its own in running text.
    EXPECT_EQ(TextOf(*up), "GRO\xC3\x9F \xC3\x89T\xC3\x89");
    up->FinishSection();
    EXPECT_EQ(up->ToSourcePos(5), 15);
    d.Pop();

    d.Push("span", "text-transform: capitalize");
    auto cap = d.Make();
    cap->AddText(Tok("hello wo"), false);
    cap->AddText(Tok("rld (it's) e-mail x"), false); // a word split over tokens stays one
    EXPECT_EQ(TextOf(*cap), "Hello World (It's) E-mail X");
    d.Pop();

    d.Push("span", "text-transform: lowercase");
    auto low = d.Make();
    low->AddText(Tok("MiXeD"), false);
    EXPECT_EQ(TextOf(*low), "mixed");
    d.Pop();

    // A run without a transform after one with it.
    d.Push("span", "text-transform: uppercase");
    auto mixed = d.Make();
    mixed->AddText(Tok("ab "), false);
    d.Pop();
    mixed->ChangeFont(d.Top(), 0);
    mixed->AddText(Tok("cd"), false);
    EXPECT_EQ(TextOf(*mixed), "AB cd");
}

TEST(TextBuild, SmallCapsPutLowerCaseInASmallerRun) {
    TTextDoc d;
    d.Push("span", "font-variant: small-caps; font-size: 20pt");
    auto s = d.Make();
    s->AddText(Tok("Ab Cd"), false);
    EXPECT_EQ(TextOf(*s), "AB CD");
    // A full-size, B small, blank and C full size, D small.
    ASSERT_EQ(s->FontRuns.Count(), 4);
    const int sizes[] = {20, 14, 20, 14};
    const int starts[] = {0, 1, 2, 4};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(s->FontRuns[i]->RunStart, starts[i]) << i;
        EXPECT_EQ(s->FontRuns[i]->PlainFont->Size, sizes[i]) << i;
    }
}

TEST(TextBuild, SourcePositionsMapBothWays) {
    TTextDoc d;
    auto s = d.Make();
    s->AddText(Tok("abc ", 10), false); // 10..13
    s->AddText(Tok("def", 30), false);  // 30..32
    TSection* sec = d.Add(std::move(s));
    ASSERT_NE(sec, nullptr);
    ASSERT_EQ(sec->IndexRuns.size(), 2u);
    EXPECT_EQ(sec->IndexRuns[1].Pos, 4);
    EXPECT_EQ(sec->IndexRuns[1].SourcePos, 30);
    d.LayOut();
    EXPECT_EQ(sec->ToSourcePos(0), 10);
    EXPECT_EQ(sec->ToSourcePos(2), 12);
    EXPECT_EQ(sec->ToSourcePos(5), 31);
    EXPECT_EQ(sec->ToSourcePos(7), -1);
    EXPECT_EQ(sec->FromSourcePos(31, false), 5);
    EXPECT_EQ(sec->FromSourcePos(31, true), 5);
    // Between the runs: forwards the next character, backwards the last one before.
    EXPECT_EQ(sec->FromSourcePos(20, false), 4);
    EXPECT_EQ(sec->FromSourcePos(20, true), 3);
    EXPECT_EQ(sec->FromSourcePos(5, true), -1);
    EXPECT_EQ(sec->FromSourcePos(50, false), -1);
    EXPECT_EQ(sec->FromSourcePos(50, true), 6);
}

TEST(TextBuild, FindTextWithAndWithoutCase) {
    TTextDoc d;
    auto s = d.Make();
    s->AddText(Tok("The quick Brown fox, the brown dog"), false);
    TSection* sec = d.Add(std::move(s));
    d.LayOut();
    EXPECT_EQ(sec->FindText(0, "brown", true), 25);
    EXPECT_EQ(sec->FindText(0, "brown", false), 10);
    EXPECT_EQ(sec->FindText(11, "BROWN", false), 25);
    EXPECT_EQ(sec->FindText(0, "BROWN", true), -1);
    EXPECT_EQ(sec->FindText(0, "cat", false), -1);
    EXPECT_EQ(sec->FindText(0, "", false), -1);
    EXPECT_EQ(sec->FindText(1000, "the", false), -1);
}

TEST(TextBuild, CharAtGivesSpacesForNbsp) {
    TTextDoc d;
    auto s = d.Make();
    s->AddText(Tok("a\x05"
                   "b"),
               true);
    TSection* sec = d.Add(std::move(s));
    d.LayOut();
    char32_t ch = 0;
    TSectionBase* found = nullptr;
    ASSERT_TRUE(sec->CharAt(1, ch, found));
    EXPECT_EQ(ch, U' ');
    EXPECT_EQ(found, sec);
    EXPECT_FALSE(sec->CharAt(3, ch, found));
}

TEST(TextBuild, ClearModeFromBrAndStyle) {
    TTextDoc d;
    for (const auto& [value, mode] : std::vector<std::pair<std::string, ClearKind>>{
             {"left", ckLeft}, {"RIGHT", ckRight}, {"all", ckBoth}}) {
        TAttributeList br = Attrs({{"CLEAR", value}});
        EXPECT_EQ(d.Make(&br)->ClearMode, mode) << value;
    }
    d.Push("p", "clear: none");
    TAttributeList br = Attrs({{"CLEAR", "left"}});
    EXPECT_EQ(d.Make(&br)->ClearMode, ckNone);
}

} // namespace
