// Line layout of text sections: breaking, floats, alignment, clear, heights, preformatted
// text and the dump.
#include <gtest/gtest.h>

#include "html/doc/form_kinds.h"
#include "tests/html/doc/text_util.h"

namespace {

const TFont& FontOf(const TSection& s) {
    return *s.FontRuns[0]->ActiveFont;
}

// A section of one text, in the document.
TSection* AddText(TTextDoc& d, const std::string& text, bool noBreak = false) {
    auto s = d.Make();
    s->AddText(Tok(text), noBreak);
    return d.Add(std::move(s));
}

TAttributeList FloatImage(const std::string& side, int w, int h) {
    return Attrs({{"ALIGN", side}, {"WIDTH", std::to_string(w)}, {"HEIGHT", std::to_string(h)}});
}

TEST(TextLayout, WrapsAtSpacesAndKeepsAFittingWord) {
    TTextDoc d;
    TSection* s = AddText(d, "alpha beta gamma delta");
    // Room for "alpha beta gamma" but not for the space after it.
    d.LayOut(WidthIn(FontOf(*s), "alpha beta gamma"));
    ASSERT_EQ(s->Lines.size(), 2u);
    EXPECT_EQ(s->Lines[0].CharCount, 17); // the space joins the line
    EXPECT_EQ(s->Lines[0].TextWidth, WidthIn(FontOf(*s), "alpha beta gamma"));
    EXPECT_EQ(s->Lines[1].LineStart, 17);
    EXPECT_EQ(s->Lines[1].LineY, s->Lines[0].Height());
    EXPECT_EQ(s->FlowHeight, 2 * s->Lines[0].Height());

    d.LayOut(WidthIn(FontOf(*s), "alpha beta gamm"));
    ASSERT_EQ(s->Lines.size(), 2u);
    EXPECT_EQ(s->Lines[0].CharCount, 11); // "alpha beta "
}

TEST(TextLayout, NoBreakRunNeverBreaks) {
    TTextDoc d;
    TSection* s = AddText(d, "one\x05two\x05three", true);
    d.LayOut(WidthIn(FontOf(*s), "one two"));
    EXPECT_EQ(s->Lines.size(), 1u);
}

TEST(TextLayout, BreakEndsTheLine) {
    TTextDoc d;
    auto sec = d.Make();
    sec->AddText(Tok("one "), false);
    sec->AddChar(8, 4, false);
    sec->AddText(Tok("two"), false);
    TSection* s = d.Add(std::move(sec));
    d.LayOut();
    ASSERT_EQ(s->Lines.size(), 2u);
    EXPECT_EQ(TextOf(*s), "one\x08two");
    EXPECT_EQ(s->Lines[0].CharCount, 4);
    EXPECT_EQ(s->Lines[0].TextWidth, WidthIn(FontOf(*s), "one"));
}

TEST(TextLayout, LongWordMovesBelowAFloatWhenThereIsRoom) {
    TTextDoc d;
    auto sec = d.Make();
    TAttributeList img = FloatImage("left", 100, 50);
    sec->AddImage(img, d.Top(), 0, false);
    const std::string word(16, 'W');
    sec->AddText(Tok(" " + word), false);
    TSection* s = d.Add(std::move(sec));
    const int32_t w = WidthIn(FontOf(*s), word);
    ASSERT_GT(w, 300 - 106);
    ASSERT_LT(w, 300);
    d.LayOut(300);
    // The float ends the first line (a break opportunity after it); an empty line reaches
    // down to the float's bottom, where the word has the whole width.
    ASSERT_EQ(s->Lines.size(), 3u);
    EXPECT_EQ(s->Lines[0].CharCount, 1);
    EXPECT_EQ(s->Lines[1].CharCount, 0);
    EXPECT_EQ(s->Lines[1].LineY + s->Lines[1].Height(), 50);
    EXPECT_EQ(s->Lines[2].LineY, 50);
    EXPECT_EQ(s->Lines[2].LineIndent, 0);
    EXPECT_EQ(s->Lines[2].TextWidth, w);
    const TFloatingObj* f = s->InlineObjects[0];
    EXPECT_EQ(f->FloatX, 3); // HSPACE 3 on a left image
    EXPECT_EQ(f->FloatY, 0);
}

TEST(TextLayout, WordBesideAFloatWhenItFits) {
    TTextDoc d;
    auto sec = d.Make();
    TAttributeList img = FloatImage("left", 100, 50);
    sec->AddImage(img, d.Top(), 0, false);
    sec->AddText(Tok("short"), false);
    TSection* s = d.Add(std::move(sec));
    d.LayOut(300);
    ASSERT_EQ(s->Lines.size(), 1u);
    EXPECT_EQ(s->Lines[0].LineIndent, 106);
    EXPECT_EQ(s->PaintHeight, 50); // the float hangs below the text
    EXPECT_LT(s->FlowHeight, 50);
}

TEST(TextLayout, LongWordOverflowsWhenNoFloatEnds) {
    TTextDoc d;
    const std::string word(60, 'W');
    TSection* s = AddText(d, word + " x");
    d.LayOut(200);
    ASSERT_EQ(s->Lines.size(), 2u);
    EXPECT_EQ(s->Lines[0].CharCount, 61);
    EXPECT_EQ(d.Needed, WidthIn(FontOf(*s), word));
}

TEST(TextLayout, FloatAfterTextIsPlacedBelowTheLine) {
    TTextDoc d;
    auto sec = d.Make();
    sec->AddText(Tok("text "), false);
    TAttributeList img = FloatImage("right", 20, 30);
    sec->AddImage(img, d.Top(), 5, false);
    TSection* s = d.Add(std::move(sec));
    d.LayOut(300);
    const TFloatingObj* f = s->InlineObjects[0];
    EXPECT_EQ(f->FloatY, s->Lines[0].Height());
    EXPECT_EQ(f->FloatX, 300 - 26 + 3);
    EXPECT_EQ(s->PaintHeight, s->Lines[0].Height() + 30);
}

TEST(TextLayout, Alignment) {
    for (const auto& [align, expect] :
         std::vector<std::pair<std::string, int>>{{"left", 0}, {"center", 1}, {"right", 2}}) {
        TTextDoc d;
        d.Push("p", "text-align: " + align);
        TSection* s = AddText(d, "abc def ");
        d.LayOut(400);
        const int32_t w = WidthIn(FontOf(*s), "abc def");
        const int32_t indents[] = {0, (400 - w) / 2, 400 - w};
        ASSERT_EQ(s->Lines.size(), 1u);
        EXPECT_EQ(s->Lines[0].LineIndent, indents[expect]) << align;
        EXPECT_EQ(s->Lines[0].DrawWidth, 400);
    }
}

TEST(TextLayout, PreNeverWraps) {
    TTextDoc d;
    d.Push("pre");
    auto pre = d.Make<TPreFormated>();
    const std::string text = "a b c d e f g h i j k l m n o p q r s t u v w x y z";
    pre->AddText(Tok(text), false);
    TSection* s = d.Add(std::move(pre));
    d.LayOut(60);
    ASSERT_EQ(s->Lines.size(), 1u);
    EXPECT_EQ(d.Needed, WidthIn(FontOf(*s), text));
    int32_t mn = 0, mx = 0;
    s->MinMaxWidths(d.Canvas, mn, mx);
    EXPECT_EQ(mx, WidthIn(FontOf(*s), text));
    EXPECT_EQ(mn, mx);
}

TEST(TextLayout, PreMinimumWidthIsCapped) {
    TTextDoc d;
    d.Push("pre");
    auto pre = d.Make<TPreFormated>();
    pre->AddText(Tok(std::string(5000, 'x')), false);
    int32_t mn = 0, mx = 0;
    pre->MinMaxWidths(d.Canvas, mn, mx);
    EXPECT_EQ(mn, 2000);
    EXPECT_GT(mx, 2000);
}

TEST(TextLayout, EmptyPreLineIsALineHigh) {
    TTextDoc d;
    d.Push("pre", "font-size: 17pt");
    TSection* empty = d.Add(d.Make<TPreFormated>());
    ASSERT_NE(empty, nullptr);
    auto text = d.Make<TPreFormated>();
    text->AddText(Tok("x"), false);
    TSection* full = d.Add(std::move(text));
    d.LayOut();
    EXPECT_EQ(empty->FlowHeight, full->FlowHeight);
    EXPECT_GT(empty->FlowHeight, 17);
}

TEST(TextLayout, BrClearAllGoesBelowALeftFloat) {
    TTextDoc d;
    auto first = d.Make();
    TAttributeList img = FloatImage("left", 100, 80);
    first->AddImage(img, d.Top(), 0, false);
    first->AddText(Tok("beside"), false);
    TSection* a = d.Add(std::move(first));
    TAttributeList br = Attrs({{"CLEAR", "all"}});
    auto second = d.Make(&br);
    second->AddText(Tok("below"), false);
    TSection* b = d.Add(std::move(second));
    d.LayOut(400);
    ASSERT_EQ(b->Lines.size(), 2u);
    EXPECT_EQ(b->Lines[0].CharCount, 0);
    EXPECT_EQ(b->ContentY, a->FlowHeight);
    EXPECT_GE(b->Lines[1].LineY, 80); // past the float's last row
    EXPECT_EQ(b->Lines[1].LineIndent, 0);
}

TEST(TextLayout, MiddleImageInSixteenPixelText) {
    TTextDoc d;
    d.Push("p", "font-size: 10pt");
    auto sec = d.Make();
    sec->AddText(Tok("ab "), false);
    TAttributeList img = Attrs({{"ALIGN", "middle"}, {"WIDTH", "20"}, {"HEIGHT", "40"}});
    sec->AddImage(img, d.Top(), 3, false);
    sec->AddText(Tok(" cd"), false);
    TSection* s = d.Add(std::move(sec));
    d.LayOut();
    ASSERT_EQ(s->Lines.size(), 1u);
    ASSERT_EQ(s->Lines[0].TextHeight, 16);
    EXPECT_EQ(s->Lines[0].SpaceBefore, 12);
    EXPECT_EQ(s->Lines[0].SpaceAfter, 12);
    EXPECT_EQ(s->FlowHeight, 40);
}

TEST(TextLayout, BottomAndTopImages) {
    TTextDoc d;
    d.Push("p", "font-size: 10pt");
    auto sec = d.Make();
    TAttributeList bottom = Attrs({{"WIDTH", "20"}, {"HEIGHT", "40"}});
    sec->AddImage(bottom, d.Top(), 0, false);
    sec->AddText(Tok("x"), false);
    TSection* s = d.Add(std::move(sec));
    d.LayOut();
    const LineRec& line = s->Lines[0];
    EXPECT_EQ(line.SpaceBefore, 40 + line.Descent - line.TextHeight);
    EXPECT_EQ(line.SpaceAfter, 0);

    TTextDoc t;
    auto sec2 = t.Make();
    TAttributeList top = Attrs({{"ALIGN", "top"}, {"WIDTH", "20"}, {"HEIGHT", "40"}});
    sec2->AddImage(top, t.Top(), 0, false);
    TSection* s2 = t.Add(std::move(sec2));
    t.LayOut();
    EXPECT_EQ(s2->Lines[0].SpaceAfter, 40 - s2->Lines[0].TextHeight);
}

TEST(TextLayout, LineHeightSplitsTheExtraSpace) {
    TTextDoc d;
    d.Push("p", "font-size: 10pt; line-height: 31px");
    TSection* s = AddText(d, "x");
    d.LayOut();
    EXPECT_EQ(s->Lines[0].SpaceBefore, 7);
    EXPECT_EQ(s->Lines[0].SpaceAfter, 8);
}

TEST(TextLayout, FirstLineBaselineIsRecordedOnce) {
    TTextDoc d;
    d.Push("p", "font-size: 10pt");
    TSection* a = AddText(d, "first");
    AddText(d, "second");
    int32_t baseline = 0;
    d.Doc.FirstLineBaseline = &baseline;
    d.LayOut();
    d.Doc.FirstLineBaseline = nullptr;
    EXPECT_EQ(baseline, a->Lines[0].TextHeight - a->Lines[0].Descent);
}

TEST(TextLayout, MinMaxWidths) {
    TTextDoc d;
    TSection* s = AddText(d, "a longestword b");
    int32_t mn = 0, mx = 0;
    s->MinMaxWidths(d.Canvas, mn, mx);
    EXPECT_EQ(mn, WidthIn(FontOf(*s), "longestword"));
    EXPECT_EQ(mx, WidthIn(FontOf(*s), "a longestword b"));
}

TEST(TextLayout, DumpWritesTheSectionAndItsLines) {
    TTextDoc d;
    d.Push("p", "font-size: 10pt");
    TSection* s = AddText(d, "one two");
    d.LayOut(WidthIn(FontOf(*s), "one t"));
    const std::string w1 = std::to_string(WidthIn(FontOf(*s), "one"));
    const std::string w2 = std::to_string(WidthIn(FontOf(*s), "two"));
    EXPECT_EQ(d.Dump(), "text x=0 y=0 w=" + std::to_string(s->Lines[0].DrawWidth) +
                            " h=32\n  line x=0 y=0 w=" + w1 +
                            " h=16 \"one\"\n  line x=0 y=16 w=" + w2 + " h=16 \"two\"\n");
}

} // namespace

namespace {

// A long run in one font, laid out narrow: every line looks only a little ahead, so the
// layout stays linear in the text.
TEST(TextLayout, LongRunInANarrowColumn) {
    TTextDoc d;
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "ab ";
    TSection* s = AddText(d, text);
    d.LayOut(40);
    const int32_t perLine = static_cast<int32_t>(s->Lines[0].CharCount);
    ASSERT_GT(perLine, 2);
    EXPECT_EQ(static_cast<int64_t>(s->Lines.size()), (300000 + perLine - 1) / perLine);
    EXPECT_EQ(s->CharCount, 300000);
}

} // namespace

namespace {

// Sections from random pieces (text with every buffer code, inline and floating images of odd
// sizes, font changes) laid out at random widths: lines always cover the text once, in order,
// and painting and hit tests stay inside the section's data.
TEST(TextLayout, RandomSectionsKeepTheirInvariants) {
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    const char* pieces[] = {"word ",
                            " ",
                            "\x05",
                            "\x08",
                            "\xc2\xa0",
                            "long-long-long-word",
                            "\x02",
                            "\x04",
                            "a",
                            "  two  ",
                            "\xe4\xb8\xad\xe6\x96\x87"};
    for (int round = 0; round < 60; ++round) {
        TTextDoc d;
        auto s = d.Make();
        const int count = static_cast<int>(next(40));
        for (int i = 0; i < count; ++i) {
            switch (next(5)) {
            case 0: {
                const char* aligns[] = {"left", "right", "middle", "top", "bottom"};
                TAttributeList a = Attrs({{"ALIGN", aligns[next(5)]},
                                          {"WIDTH", std::to_string(next(3) ? next(200) : 900000)},
                                          {"HEIGHT", std::to_string(next(120))},
                                          {"VSPACE", std::to_string(next(60))}});
                s->AddImage(a, d.Top(), i, next(2) == 0);
                break;
            }
            case 1:
                d.Push("b", next(2) ? "font-size: 30pt" : "font-size: 6pt");
                s->ChangeFont(d.Top(), static_cast<int>(next(3)));
                d.Pop();
                break;
            default:
                s->AddText(Tok(pieces[next(10)], i), next(3) == 0);
                break;
            }
        }
        TSection* sec = d.Add(std::move(s));
        if (sec == nullptr)
            continue;
        const int32_t width = static_cast<int32_t>(next(4) == 0 ? next(3) : next(500));
        d.LayOut(width);
        int32_t expected = 0;
        for (const LineRec& line : sec->Lines) {
            if (line.CharCount == 0)
                continue;
            EXPECT_EQ(line.LineStart, expected);
            expected += line.CharCount;
            EXPECT_GE(line.Height(), 0);
        }
        EXPECT_EQ(expected, sec->TextLen()) << "round " << round;
        EXPECT_GE(sec->PaintHeight, sec->FlowHeight);
        d.Doc.SelectionStart = static_cast<int32_t>(next(20));
        d.Doc.SelectionEnd = static_cast<int32_t>(next(40));
        d.Paint();
        for (int y = -5; y < sec->PaintHeight + 5; y += 7)
            for (int x = -5; x < 600; x += 13) {
                int32_t cx = 0, cy = 0, ch = 0;
                bool inText = false;
                const int32_t at = sec->FindCursor(d.Canvas, x, y, cx, cy, ch, inText);
                EXPECT_LE(at, sec->TextLen());
                TUrlTarget t;
                TImageFormControlObj* b = nullptr;
                sec->FindLink(d.Canvas, x, y, t, b);
            }
        d.Doc.ClipBuffer.clear();
        sec->CopySelection();
        int32_t mn = 0, mx = 0;
        sec->MinMaxWidths(d.Canvas, mn, mx);
        EXPECT_GE(mn, 0);
        EXPECT_GE(mx, 0);
    }
}

} // namespace

namespace {

TEST(TextLayout, FormControlsStandInTheLine) {
    TTextDoc d;
    auto sec = d.Make();
    ThtmlForm* form = nullptr;
    sec->AddText(Tok("Name "), false);
    TAttributeList edit = Attrs({{"TYPE", "text"}, {"NAME", "n"}});
    TFormControlObj* ctl = sec->AddFormControl(InputSym, form, edit, d.Top(), 5, false);
    TAttributeList hidden = Attrs({{"TYPE", "hidden"}, {"NAME", "h"}});
    sec->AddFormControl(InputSym, form, hidden, d.Top(), 6, false);
    TAttributeList image =
        Attrs({{"TYPE", "image"}, {"NAME", "go"}, {"WIDTH", "20"}, {"HEIGHT", "10"}});
    TFormControlObj* button = sec->AddFormControl(InputSym, form, image, d.Top(), 7, false);
    ASSERT_NE(ctl, nullptr);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(TextOf(*sec), "Name \x02\x04"); // the hidden field takes no place
    ASSERT_EQ(sec->InlineObjects.Count(), 1);
    auto* picture = dynamic_cast<TImageObj*>(sec->InlineObjects[0]);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->FormControl, button);
    TSection* s = d.Add(std::move(sec));
    d.LayOut();
    ASSERT_GT(ctl->Height(), 0);
    const LineRec& line = s->Lines[0];
    // A bottom-aligned control stands on the line's bottom.
    EXPECT_GE(line.SpaceBefore, ctl->Height() - line.TextHeight);
    EXPECT_EQ(line.TextWidth, s->TextWidth(0, 5, false) + ctl->Width() + ctl->SpaceLeft +
                                  ctl->SpaceRight + picture->FullWidth());
    EXPECT_EQ(ctl->DocY, 0);
    d.Paint();
    EXPECT_TRUE(ctl->Shown);
}

} // namespace
