// Cells and the document root: layout sums, failing children, hit-test forwarding, the
// position index, scrolling and the dump.
#include <gtest/gtest.h>

#include "platform/base/exceptions.h"
#include "platform/gui/scripted_dialogs.h"
#include "tests/html/doc/core_util.h"

namespace {

class TFailing : public TSectionBase {
public:
    TFailing(TSectionList* doc, TCellBasic*) : TSectionBase(doc) {}
    int32_t LayOut(TCanvas&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, IndentManager&,
                   int32_t&, int32_t&) override {
        throw EProcessError("cannot lay out this");
    }
};

TEST(CellTest, AnEmptyDocumentHasNoHeightAndPaintsNothing) {
    TCoreDoc d;
    EXPECT_EQ(d.LayOut(), 0);
    d.Paint();
    for (int y = 0; y < d.Canvas.Height(); y += 7)
        for (int x = 0; x < d.Canvas.Width(); x += 7)
            ASSERT_EQ(d.Canvas.GetPixel(x, y), clWhite) << x << "," << y;
    EXPECT_EQ(d.Doc.AnimationTimer(), nullptr) << "no timer without animations";
}

TEST(CellTest, HeightsAddUpAndTheWidestChildIsNeeded) {
    TCoreDoc d;
    d.Add<TFixed>(d.Doc, 20)->Width = 300;
    d.Add<TFixed>(d.Doc, 30)->Width = 700;
    int32_t needed = 0, chars = 0;
    EXPECT_EQ(d.Doc.LayOut(d.Canvas, 5, 600, 400, needed, chars), 50);
    EXPECT_EQ(needed, 700);
    EXPECT_EQ(chars, 50);
    EXPECT_EQ(d.Doc.CharCount, 50);
    EXPECT_EQ(d.Doc[1]->ContentY, 25);
    int32_t mn = 0, mx = 0;
    d.Doc.MinMaxWidths(d.Canvas, mn, mx);
    EXPECT_EQ(mn, 350);
    EXPECT_EQ(mx, 700);
}

TEST(CellTest, AFailingChildIsReportedOnceAndRemoved) {
    TCoreDoc d;
    d.Add<TFixed>(d.Doc, 20);
    d.Add<TFailing>(d.Doc);
    d.Add<TFixed>(d.Doc, 30);
    EXPECT_EQ(d.LayOut(), 50);
    ASSERT_EQ(d.Errors.size(), 1u);
    EXPECT_EQ(d.Errors[0], "cannot lay out this");
    EXPECT_EQ(d.Doc.Count(), 2);
    EXPECT_EQ(d.Doc[1]->ContentY, 20);
    EXPECT_EQ(d.LayOut(), 50);
    EXPECT_EQ(d.Errors.size(), 1u) << "gone for good";
}

TEST(CellTest, WithoutAHandlerTheErrorGoesToStandardErrorAndNoDialogOpens) {
    // A document laid out headless (perhaps on a thread of its own) never reaches for the
    // program's dialogs.
    TScriptedDialogs dialogs;
    TDialogProviderScope scope(dialogs);
    TCoreDoc d;
    d.Doc.OnLayoutError = nullptr;
    TBodyBlock* body = d.Body();
    d.Add<TFailing>(*body->Content);
    d.Add<TFixed>(*body->Content, 10);
    testing::internal::CaptureStderr();
    EXPECT_EQ(d.LayOut(), 10);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "cannot lay out this\n");
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(body->Content->Count(), 1);
}

TEST(CellTest, EmptyTextIsDroppedWhenAdded) {
    TCoreDoc d;
    d.Add<TFixed>(d.Doc, 10, false);
    EXPECT_EQ(d.Doc.Count(), 0);
    d.Add<TFixed>(d.Doc, 10, true);
    EXPECT_EQ(d.Doc.Count(), 1);
}

TEST(CellTest, AFloatHangingBelowTheLastLineLengthensTheCell) {
    TCoreDoc d;
    d.Block(d.Doc, "div", "float: left; width: 50px; height: 100px");
    d.Block(d.Doc, "div", "height: 40px");
    EXPECT_EQ(d.LayOut(), 100) << "60 more than the 40 of the flow";
}

TEST(CellTest, HitTestsAskOnlyChildrenWhoseBandHoldsThePoint) {
    TCoreDoc d;
    TFixed* a = d.Add<TFixed>(d.Doc, 20);
    TFixed* b = d.Add<TFixed>(d.Doc, 20);
    TFixed* c = d.Add<TFixed>(d.Doc, 20);
    b->Url = "b.html";
    c->Url = "c.html";
    d.LayOut();
    TUrlTarget target;
    target.URL = "stale";
    TImageFormControlObj* fc = nullptr;
    EXPECT_TRUE(d.Doc.FindLink(d.Canvas, 5, 25, target, fc));
    EXPECT_EQ(target.URL, "b.html");
    EXPECT_TRUE(a->Asked.empty());
    EXPECT_TRUE(c->Asked.empty());
    EXPECT_FALSE(d.Doc.FindLink(d.Canvas, 5, 10, target, fc));
    EXPECT_EQ(target.URL, "") << "cleared first";
    EXPECT_FALSE(d.Doc.FindLink(d.Canvas, 5, 60, target, fc)) << "below every band";
}

TEST(CellTest, SectionAtYFindsTheLastSectionStartingAtOrAbove) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    d.Add<TFixed>(*body->Content, 10);
    TFixed* second = d.Add<TFixed>(*body->Content, 20);
    d.Add<TFixed>(*body->Content, 30);
    d.LayOut();
    ASSERT_EQ(d.Doc.SectionIndex.size(), 3u) << "the body registers its children";
    int32_t top = -1;
    int index = -1;
    EXPECT_EQ(d.Doc.SectionAtY(25, top, index), second);
    EXPECT_EQ(top, 10);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(d.Doc.SectionAtY(-1, top, index), nullptr);
    int32_t y = -1;
    EXPECT_FALSE(d.Doc.CharPosY(5, y)) << "these sections know no source positions";
}

TEST(CellTest, CharAtAnswersOnlyInsideTheCellsRange) {
    TCoreDoc d;
    d.Add<TFixed>(d.Doc, 10);
    d.LayOut();
    char32_t ch = 0;
    TSectionBase* s = nullptr;
    EXPECT_FALSE(d.Doc.CharAt(11, ch, s));
    EXPECT_FALSE(d.Doc.CharAt(-1, ch, s));
    EXPECT_FALSE(d.Doc.CharAt(3, ch, s)) << "the base section holds no characters";
}

TEST(CellTest, ScrollingMarksTheMove) {
    TCoreDoc d;
    d.Doc.ScrollTo(0);
    EXPECT_FALSE(d.Doc.ScrollMoved);
    d.Doc.ScrollTo(40);
    EXPECT_TRUE(d.Doc.ScrollMoved);
    EXPECT_EQ(d.Doc.ScrollTop, 40);
    d.Paint();
    EXPECT_FALSE(d.Doc.ScrollMoved) << "the paint settles it";
}

TEST(CellTest, ClearEmptiesTheDocument) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    d.Add<TFixed>(*body->Content, 10);
    d.LayOut();
    d.Doc.SelectionEnd = 5;
    d.Doc.SetBackImageName("back.gif");
    d.Doc.Clear();
    EXPECT_EQ(d.Doc.Count(), 0);
    EXPECT_TRUE(d.Doc.SectionIndex.empty());
    EXPECT_EQ(d.Doc.SelectionEnd, 0);
    EXPECT_EQ(d.Doc.BackgroundName, "");
    EXPECT_EQ(d.Doc.StyleSheet.Count(), 0);
    EXPECT_EQ(d.LayOut(), 0);
}

TEST(CellTest, DefaultsReachTheSheetAndTheBackground) {
    TCoreDoc d;
    int changes = 0;
    d.Doc.OnBackgroundChange = [&changes](TObject*) { ++changes; };
    d.Doc.SetDefaults("Arial", std::string(40, 'C'), 10, clBlack, clBlue, clPurple, clRed, true,
                      RGB(1, 2, 3), true, 10, 8, 0);
    EXPECT_EQ(d.Doc.PreFontName.size(), 32u);
    EXPECT_TRUE(d.Doc.HoverEnabled);
    EXPECT_EQ(d.Doc.Background, RGB(1, 2, 3));
    EXPECT_EQ(changes, 1);
    ASSERT_NE(d.Doc.StyleSheet.DefaultProps, nullptr);
    EXPECT_EQ(d.Doc.StyleSheet.DefaultProps->Values[piFontFamily], TPropValue("Arial"));
}

TEST(DumpTest, BoxesAndChildrenOneLevelDeeper) {
    TCoreDoc d;
    TBodyBlock* body = d.Body("margin: 8px");
    TProperties& p = d.Push("div", "height: 20px; float: left; width: 100px");
    TBlock* div = d.Add<TBlock>(*body->Content, p);
    d.Pop();
    d.Add<TFixed>(*div->Content, 0);
    body->Content->Add(std::make_unique<TPage>(&d.Doc));
    d.LayOut();
    EXPECT_EQ(d.Dump(), "document x=0 y=0 w=600 h=36\n"
                        "  body x=8 y=8 w=584 h=20\n"
                        "    block x=8 y=8 w=100 h=20 float=left\n"
                        "      fixed x=8 y=8 w=0 h=0\n"
                        "    page x=8 y=8 w=0 h=0\n");
}

TEST(DumpTest, TextLinesAreQuotedAndEscaped) {
    TDumpWriter out;
    out.Line(1, 2, 3, 4, 5, U"a\"b\\c\x0D\u00E9\u4E2D");
    out.Note(0, "note");
    EXPECT_EQ(out.Text(),
              "  line x=2 y=3 w=4 h=5 \"a\\\"b\\\\c\\x0D\xC3\xA9\xE4\xB8\xAD\"\nnote\n");
}

} // namespace

namespace {

// Answers searches with a fixed value and records that it was asked.
class TSearchable : public TFixed {
public:
    TSearchable(TSectionList* doc, TCellBasic* cell, int32_t height, int32_t answer,
                std::vector<int>* log, int id)
        : TFixed(doc, cell, height), answer_(answer), log_(log), id_(id) {}
    int32_t FindText(int32_t, const std::string&, bool) override { return Ask(); }
    int32_t ToSourcePos(int32_t) override { return Ask(); }
    int32_t FromSourcePos(int32_t, bool) override { return Ask(); }
    void CopySelection() override {
        log_->push_back(id_);
        Document->ClipBuffer += std::to_string(id_);
    }

private:
    int32_t Ask() {
        log_->push_back(id_);
        return answer_;
    }
    int32_t answer_;
    std::vector<int>* log_;
    int id_;
};

TEST(CellTest, SearchesStopAtTheFirstAnswerInTheirDirection) {
    TCoreDoc d;
    std::vector<int> log;
    TBodyBlock* body = d.Body();
    d.Add<TSearchable>(*body->Content, 10, -1, &log, 1);
    d.Add<TSearchable>(*body->Content, 10, 7, &log, 2);
    d.Add<TSearchable>(*body->Content, 10, 9, &log, 3);
    d.LayOut();
    EXPECT_EQ(d.Doc.FindText(0, "x", false), 7);
    EXPECT_EQ(log, (std::vector<int>{1, 2}));
    log.clear();
    EXPECT_EQ(d.Doc.ToSourcePos(0), 7);
    log.clear();
    EXPECT_EQ(d.Doc.FromSourcePos(0, true), 9);
    EXPECT_EQ(log, (std::vector<int>{3})) << "backwards starts at the last";
    TCoreDoc empty;
    EXPECT_EQ(empty.Doc.FindText(0, "x", false), -1);
}

TEST(CellTest, CopySelectionAsksTheChildrenItOverlaps) {
    TCoreDoc d;
    std::vector<int> log;
    TBodyBlock* body = d.Body();
    for (int i = 1; i <= 4; ++i)
        d.Add<TSearchable>(*body->Content, 10, -1, &log, i); // characters 0-9, 10-19, ...
    d.LayOut();
    d.Doc.CopySelection();
    EXPECT_TRUE(log.empty()) << "nothing selected";
    d.Doc.SelectionStart = 12;
    d.Doc.SelectionEnd = 25;
    d.Doc.CopySelection();
    EXPECT_EQ(log, (std::vector<int>{2, 3}));
    EXPECT_EQ(d.Doc.ClipBuffer, "23");
}

} // namespace
