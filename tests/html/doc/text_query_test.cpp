// What the viewer asks painted text sections: links (with hover across the runs of one
// link), caret positions and the selected text.
#include <gtest/gtest.h>

#include "tests/html/doc/text_util.h"

namespace {

const TFont& FontOf(const TSection& s, int run = 0) {
    return *s.FontRuns[run]->ActiveFont;
}

TEST(TextQuery, FindCursorAfterTheMiddleOfACharacter) {
    TTextDoc d;
    auto sec = d.Make();
    sec->AddText(Tok("abcdef"), false);
    TSection* s = d.Add(std::move(sec));
    d.LayOut();
    d.Paint();
    const TFont& f = FontOf(*s);
    const int32_t before = WidthIn(f, "ab");
    const int32_t cw = WidthIn(f, "c");
    ASSERT_GT(cw, 2);
    const int32_t y = s->Lines[0].DrawY + 2;
    int32_t cx = 0, cy = 0, ch = 0;
    bool inText = false;
    EXPECT_EQ(s->FindCursor(d.Canvas, before + cw / 2 + 1, y, cx, cy, ch, inText), 3);
    EXPECT_EQ(cx, before + cw);
    EXPECT_TRUE(inText);
    EXPECT_EQ(ch, s->Lines[0].TextHeight);
    EXPECT_EQ(s->FindCursor(d.Canvas, before + 1, y, cx, cy, ch, inText), 2);
    EXPECT_EQ(cx, before);
    // Below the text, and right of the line's width.
    EXPECT_EQ(s->FindCursor(d.Canvas, 5, s->Lines[0].DrawY + 500, cx, cy, ch, inText), -1);
    EXPECT_EQ(s->FindCursor(d.Canvas, 700, y, cx, cy, ch, inText), -1);
    // Past the text's end but inside the line: the end, not over text.
    EXPECT_EQ(s->FindCursor(d.Canvas, 300, y, cx, cy, ch, inText), 6);
    EXPECT_FALSE(inText);
}

TEST(TextQuery, CaretPointOfAnIndex) {
    TTextDoc d;
    d.Push("p", "text-align: right");
    auto sec = d.Make();
    sec->AddText(Tok("abcdef"), false);
    TSection* s = d.Add(std::move(sec));
    d.LayOut(400);
    d.Paint();
    int32_t x = 0, y = 0;
    ASSERT_TRUE(s->CaretPoint(d.Canvas, 2, x, y));
    EXPECT_EQ(x, 400 - WidthIn(FontOf(*s), "abcdef") + WidthIn(FontOf(*s), "ab"));
    EXPECT_EQ(y, 0);
    EXPECT_FALSE(s->CaretPoint(d.Canvas, 50, x, y));
}

// Letter and word spacing and a justified line's shares move the caret, the hit test and the
// painted text alike.
TEST(TextQuery, SpacedAndJustifiedLinesMapPointsToTheRightCharacters) {
    TTextDoc d;
    d.Push("p", "text-align: justify; letter-spacing: 2px; word-spacing: 5px");
    auto sec = d.Make();
    sec->AddText(Tok("aa bb cc dd ee ff gg hh ii jj kk ll mm"), false);
    TSection* s = d.Add(std::move(sec));
    d.LayOut(150);
    d.Paint();
    ASSERT_GE(s->Lines.size(), 2u);
    const LineRec& first = s->Lines[0];
    ASSERT_GT(first.Gaps, 0);
    ASSERT_GT(first.Justify, 0);
    int32_t end = first.LineStart + first.CharCount;
    while (s->Text()[static_cast<size_t>(end - 1)] == U' ')
        --end;
    int32_t x = 0, y = 0;
    // The last word ends at the right edge.
    ASSERT_TRUE(s->CaretPoint(d.Canvas, end, x, y));
    EXPECT_EQ(x, first.DrawX + first.DrawWidth);
    // Each character is found where its caret stands, and a caret moves by at least the
    // spacing.
    int32_t previous = -1000;
    for (int32_t i = first.LineStart; i < end; ++i) {
        ASSERT_TRUE(s->CaretPoint(d.Canvas, i, x, y));
        EXPECT_GE(x - previous, 2) << i;
        previous = x;
        int32_t cx = 0, cy = 0, ch = 0;
        bool inText = false;
        EXPECT_EQ(s->FindCursor(d.Canvas, x + 1, first.DrawY + 2, cx, cy, ch, inText), i) << i;
        EXPECT_EQ(cx, x) << i;
    }
    // The last line is not justified.
    EXPECT_EQ(s->Lines.back().Gaps, 0);
}

// "see <a>one <b>two</b></a> <a>three</a>": two links, the first in two runs.
struct TLinkDoc {
    TTextDoc D;
    TSection* S = nullptr;
    TUrlTarget First, Second;

    TLinkDoc() {
        First.Assign("one.html", "");
        Second.Assign("three.html", "");
        auto sec = D.Make();
        sec->AddText(Tok("see "), false);
        sec->StartLinkRun(true, D.Top(), First, 0);
        sec->AddText(Tok("one "), false);
        D.Push("b");
        sec->ChangeFont(D.Top(), 0);
        sec->AddText(Tok("two"), false);
        D.Pop();
        sec->ChangeFont(D.Top(), 0);
        sec->StartLinkRun(false, D.Top(), First, 0);
        sec->AddText(Tok(" "), false);
        sec->StartLinkRun(true, D.Top(), Second, 0);
        sec->AddText(Tok("three"), false);
        sec->StartLinkRun(false, D.Top(), Second, 0);
        S = D.Add(std::move(sec));
        D.LayOut();
        D.Paint();
    }
    // The x of the middle of a word of the line.
    int32_t MiddleOf(const std::string& before, const std::string& word) {
        return S->Lines[0].DrawX + S->TextWidth(0, static_cast<int32_t>(before.size()), false) +
               S->TextWidth(static_cast<int32_t>(before.size()), static_cast<int32_t>(word.size()),
                            false) /
                   2;
    }
};

TEST(TextQuery, LinksKeepTheirRunsInTheDocumentList) {
    TLinkDoc l;
    ASSERT_NE(l.S, nullptr);
    // see | one | two(bold) | (end) " " | three | (end)
    EXPECT_EQ(l.D.Doc.Links.size(), 3u);
    for (TFontObj* f : l.D.Doc.Links)
        EXPECT_TRUE(f->IsLink());
    EXPECT_EQ(l.D.Doc.Links[0]->LinkAddress(), "one.html");
    EXPECT_EQ(l.D.Doc.Links[1]->LinkAddress(), "one.html");
    EXPECT_EQ(l.D.Doc.Links[2]->LinkAddress(), "three.html");
    EXPECT_TRUE(l.D.Doc.Links[1]->ActiveFont->Bold);
}

TEST(TextQuery, FreeingASectionTakesOnlyItsRunsOutOfTheLinkList) {
    TLinkDoc l;
    // A section with a link that is freed while it is still the newest, one freed after a
    // later section added links of its own, and a link run a font change left behind.
    TUrlTarget other;
    other.Assign("other.html", "");
    auto fresh = l.D.Make();
    fresh->StartLinkRun(true, l.D.Top(), other, 0);
    fresh->AddText(Tok("gone"), false);
    EXPECT_EQ(l.D.Doc.Links.size(), 4u);
    fresh.reset();
    ASSERT_EQ(l.D.Doc.Links.size(), 3u);

    auto middle = l.D.Make();
    middle->StartLinkRun(true, l.D.Top(), other, 0);
    middle->AddText(Tok("a"), false);
    l.D.Push("b");
    middle->ChangeFont(l.D.Top(), 0);
    middle->AddText(Tok("b"), false);
    auto last = l.D.Make();
    last->StartLinkRun(true, l.D.Top(), other, 0);
    last->AddText(Tok("c"), false);
    TFontObj* lastRun = last->FontRuns.Last();
    ASSERT_EQ(l.D.Doc.Links.size(), 6u);
    middle.reset();
    ASSERT_EQ(l.D.Doc.Links.size(), 4u);
    EXPECT_EQ(l.D.Doc.Links[0]->LinkAddress(), "one.html");
    EXPECT_EQ(l.D.Doc.Links[2]->LinkAddress(), "three.html");
    EXPECT_EQ(l.D.Doc.Links[3], lastRun);
    last.reset();
    EXPECT_EQ(l.D.Doc.Links.size(), 3u);
    for (TFontObj* f : l.D.Doc.Links)
        EXPECT_EQ(f->Section, l.S);
}

TEST(TextQuery, FindLinkOverTextOfALink) {
    TLinkDoc l;
    TUrlTarget target;
    TImageFormControlObj* button = nullptr;
    const int32_t y = l.S->Lines[0].DrawY + 3;
    ASSERT_TRUE(l.S->FindLink(l.D.Canvas, l.MiddleOf("see one ", "two"), y, target, button));
    EXPECT_EQ(target.URL, "one.html");
    EXPECT_EQ(l.D.Doc.HoverLink, l.D.Doc.Links[1]);
    EXPECT_TRUE(l.S->FindLink(l.D.Canvas, l.MiddleOf("see one two ", "three"), y, target, button));
    EXPECT_EQ(target.URL, "three.html");
    EXPECT_FALSE(l.S->FindLink(l.D.Canvas, l.MiddleOf("", "see"), y, target, button));
}

TEST(TextQuery, HoverLightsEveryRunOfOneLinkOnly) {
    TLinkDoc l;
    auto& links = l.D.Doc.Links;
    links[1]->SetAllHovers(links, true);
    EXPECT_TRUE(links[0]->Hover);
    EXPECT_TRUE(links[1]->Hover);
    EXPECT_FALSE(links[2]->Hover);
    EXPECT_EQ(links[0]->ActiveFont, links[0]->OverFont.get());
    // The built-in hover colour is red; the plain link colour blue.
    EXPECT_EQ(ColorToRGB(links[0]->ActiveFont->Color), RGB(255, 0, 0));
    const int32_t lineHeight = links[0]->LineHeight;
    links[0]->SetAllHovers(links, false);
    EXPECT_FALSE(links[1]->Hover);
    EXPECT_EQ(links[1]->ActiveFont, links[1]->PlainFont.get());
    EXPECT_EQ(links[0]->LineHeight, lineHeight);
}

TEST(TextQuery, VisitedFont) {
    TLinkDoc l;
    TFontObj* run = l.D.Doc.Links[2];
    run->SetVisited(true);
    EXPECT_EQ(run->ActiveFont, run->SeenFont.get());
    EXPECT_EQ(ColorToRGB(run->ActiveFont->Color), RGB(128, 0, 128));
    run->SetVisited(false);
    EXPECT_EQ(run->ActiveFont, run->PlainFont.get());
}

TEST(TextQuery, DroppedSectionLeavesTheLinkList) {
    TTextDoc d;
    d.Link.Assign("x.html", "");
    auto empty = d.Make(); // an anchor opened, no text followed
    ASSERT_EQ(d.Doc.Links.size(), 1u);
    d.Doc.HoverLink = d.Doc.Links[0];
    EXPECT_EQ(d.Add(std::move(empty)), nullptr);
    EXPECT_TRUE(d.Doc.Links.empty());
    EXPECT_EQ(d.Doc.HoverLink, nullptr);
}

TEST(TextQuery, CopySelectionWritesSelectedLines) {
    TTextDoc d;
    auto sec = d.Make();
    sec->AddText(Tok("first line "), false);
    sec->AddChar(8, 11, false);
    sec->AddText(Tok("second\x05line"), true);
    TSection* s = d.Add(std::move(sec));
    d.LayOut();
    d.Paint();
    ASSERT_EQ(s->Lines.size(), 2u);
    d.Doc.SelectionStart = 6;
    d.Doc.SelectionEnd = s->TextLen();
    s->CopySelection();
    EXPECT_EQ(d.Doc.ClipBuffer, "line\r\nsecond line\r\n");
    d.Doc.ClipBuffer.clear();
    d.Doc.SelectionStart = 0;
    d.Doc.SelectionEnd = 3;
    s->CopySelection();
    EXPECT_EQ(d.Doc.ClipBuffer, "fir");
    d.Doc.ClipBuffer.clear();
    d.Doc.SelectionStart = 3;
    d.Doc.SelectionEnd = 3;
    s->CopySelection();
    EXPECT_EQ(d.Doc.ClipBuffer, "");
}

TEST(TextQuery, SelectedTextIsPaintedInverted) {
    TTextDoc d;
    auto sec = d.Make();
    sec->AddText(Tok("MMMM"), false);
    TSection* s = d.Add(std::move(sec));
    d.LayOut();
    d.Doc.SelectionStart = 0;
    d.Doc.SelectionEnd = 2;
    d.Paint();
    const int32_t mid = s->Lines[0].DrawY + s->Lines[0].SpaceBefore + 1;
    // The selection's background takes the text colour (black); the rest stays white.
    EXPECT_EQ(d.Canvas.GetPixel(1, mid), clBlack);
    EXPECT_EQ(d.Canvas.GetPixel(WidthIn(FontOf(*s), "MMMM") + 5, mid), clWhite);
}

TEST(TextQuery, PointingAtOneRunHighlightsTheWholeLinkThroughTheDocument) {
    TLinkDoc l;
    l.D.Doc.HoverEnabled = true;
    TUrlTarget target;
    TImageFormControlObj* button = nullptr;
    const int32_t y = l.S->Lines[0].DrawY + 3;
    ASSERT_TRUE(l.D.Doc.FindLink(l.D.Canvas, l.MiddleOf("see ", "one"), y, target, button));
    auto& links = l.D.Doc.Links;
    EXPECT_TRUE(links[0]->Hover);
    EXPECT_TRUE(links[1]->Hover);
    EXPECT_FALSE(links[2]->Hover);
    // Moving to the other link moves the highlight.
    ASSERT_TRUE(
        l.D.Doc.FindLink(l.D.Canvas, l.MiddleOf("see one two ", "three"), y, target, button));
    EXPECT_FALSE(links[0]->Hover);
    EXPECT_FALSE(links[1]->Hover);
    EXPECT_TRUE(links[2]->Hover);
}

} // namespace
