// Frame-set sizes (ROWS and COLS entries), their layout at a size, nested sets placed on the
// screen, borders, and dragging the border between two frames.
#include <gtest/gtest.h>

#include "html/doc/font_obj.h"
#include "platform/graphics/canvas.h"
#include "tests/html/view/frame_util.h"

using folio_test::FrameTest;

namespace {

struct TDimsCase {
    const char* value;
    std::vector<int16_t> dims;
};

void PrintTo(const TDimsCase& c, std::ostream* os) {
    *os << '"' << c.value << '"';
}

class DimsTest : public ::testing::TestWithParam<TDimsCase> {};

TEST_P(DimsTest, EntriesAreStoredAsOneNumberEach) {
    EXPECT_EQ(TSubFrameSet::ParseDims(GetParam().value), GetParam().dims);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, DimsTest,
    ::testing::Values(TDimsCase{"100,50%,*", {100, -150, -1}}, TDimsCase{"3*,0", {-3, 1}},
                      TDimsCase{"99999,950%,200*", {5000, -1000, -99}},
                      TDimsCase{" 2 0 px , x , 1 0 %", {20, -1, -110}},
                      TDimsCase{"*,,", {-1, -1, -1}}, TDimsCase{"99999999999999999999", {5000}},
                      TDimsCase{"1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1",
                                std::vector<int16_t>(20, 1)}));

struct TLengthCase {
    std::vector<int16_t> dims;
    int32_t length;
    std::vector<int32_t> lengths;
};

void PrintTo(const TLengthCase& c, std::ostream* os) {
    *os << c.dims.size() << " entries at " << c.length;
}

class LengthTest : public ::testing::TestWithParam<TLengthCase> {};

TEST_P(LengthTest, PixelsThenPercentagesThenRelativeShares) {
    EXPECT_EQ(TSubFrameSet::ComputeLengths(GetParam().dims, GetParam().length), GetParam().lengths);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, LengthTest,
    ::testing::Values(
        // 30% of 400 is 120 pixels; the star takes what the pixels and percentages leave.
        TLengthCase{{100, -150, -1}, 400, {100, 200, 100}},
        // Weights share the rest by integer units: 299 / 3 = 99 a unit, 2 pixels unused.
        TLengthCase{{-1, -2}, 299, {99, 198}},
        // Percentages above the room left after the pixels are cut down to it.
        TLengthCase{{300, -190}, 400, {300, 100}},
        // Pixels alone beyond the room shrink in proportion; the others get nothing.
        TLengthCase{{200, 300, -1, -150}, 400, {160, 240, 0, 0}},
        // Shares of the percentage room, rounded.
        TLengthCase{{-110, -120}, 100, {10, 20}},
        // No room at all.
        TLengthCase{{100, -1}, 0, {0, 0}}, TLengthCase{{-1, -1}, -50, {0, 0}}));

} // namespace

TEST_F(FrameTest, NestedFrameSetsAreLaidOutAtTheViewersSize) {
    pages["fs.html"] = "<frameset rows=\"100,*\" border=0><frame name=top src=t.html>"
                       "<frameset cols=\"30%,*\"><frame name=left src=l.html>"
                       "<frame name=right src=r.html></frameset></frameset>";
    pages["t.html"] = Page("T");
    pages["l.html"] = Page("L");
    pages["r.html"] = Page("R");
    fv->SetfvOptions(TFrameViewerOptions{fvNoBorder, fvPrintTableBackground});
    fv->Load("fs.html");
    EXPECT_EQ(Place(fv->FrameByName("top")), Bounds(0, 0, 600, 100));
    EXPECT_EQ(Place(fv->FrameByName("left")), Bounds(0, 100, 180, 300));
    EXPECT_EQ(Place(fv->FrameByName("right")), Bounds(180, 100, 420, 300));
    EXPECT_EQ(Place(Frame("right")), Bounds(180, 100, 420, 300));
    EXPECT_EQ(Title("top") + Title("left") + Title("right"), "TLR");
    EXPECT_EQ(Frame("left")->BorderStyle(), htNone);

    // A new size lays the set out again: the pixel row keeps its height.
    fv->SetBounds(0, 0, 300, 500);
    EXPECT_EQ(Place(fv->FrameByName("top")), Bounds(0, 0, 300, 100));
    EXPECT_EQ(Place(fv->FrameByName("left")), Bounds(0, 100, 90, 400));
    EXPECT_EQ(Place(fv->FrameByName("right")), Bounds(90, 100, 210, 400));
}

TEST_F(FrameTest, BordersBevelTheSetAndEachFrame) {
    pages["fs.html"] = "<frameset rows=\"100,*\"><frame name=top src=t.html>"
                       "<frameset cols=\"30%,*\"><frame name=left src=l.html>"
                       "<frame name=right src=r.html></frameset></frameset>";
    pages["t.html"] = pages["l.html"] = pages["r.html"] = Page("x");
    fv->Load("fs.html");
    // The set's lowered bevel of 2, then 396 rows: 100 and 296; 30% of 596 is 179.
    EXPECT_EQ(Place(fv->FrameByName("top")), Bounds(2, 2, 596, 100));
    EXPECT_EQ(Place(fv->FrameByName("left")), Bounds(2, 102, 179, 296));
    EXPECT_EQ(Place(fv->FrameByName("right")), Bounds(181, 102, 417, 296));
    // Each frame's own bevel of the border size.
    EXPECT_EQ(Place(Frame("top")), Bounds(4, 4, 592, 96));

    // border=1: frames get a bevel of 1, the set a bevel of 2 - 1.
    pages["fs1.html"] = "<frameset cols=\"*,*\" border=1><frame name=a src=t.html>"
                        "<frame name=b src=t.html></frameset>";
    fv->Load("fs1.html");
    EXPECT_EQ(Place(fv->FrameByName("a")), Bounds(1, 1, 299, 398));
    EXPECT_EQ(Place(Frame("a")), Bounds(2, 2, 297, 396));
}

TEST_F(FrameTest, FramesBeyondTheEntriesShareTheRestAndMissingOnesAreEmpty) {
    pages["more.html"] = "<frameset cols=\"100\" border=0><frame name=a src=a.html>"
                         "<frame name=b src=a.html><frame name=c src=a.html></frameset>";
    pages["fewer.html"] = "<frameset rows=\"*,*,*,*\" border=0><frame name=a src=a.html>"
                          "</frameset>";
    pages["a.html"] = Page("A");
    fv->SetfvOptions(TFrameViewerOptions{fvNoBorder});
    fv->Load("more.html");
    EXPECT_EQ(fv->CurFrameSet().Dims(), (std::vector<int16_t>{100, -1, -1}));
    EXPECT_EQ(Place(fv->FrameByName("b")), Bounds(100, 0, 250, 400));
    EXPECT_EQ(Place(fv->FrameByName("c")), Bounds(350, 0, 250, 400));
    fv->Load("fewer.html");
    ASSERT_EQ(fv->CurFrameSet().Children().size(), 4u);
    EXPECT_EQ(fv->Viewers().size(), 1u); // the empty frames hold no viewer
    EXPECT_EQ(fv->CurFrameSet().Children()[3]->Top(), 300);
}

TEST_F(FrameTest, DraggingABorderMovesItAndNoResizeFixesIt) {
    pages["fs.html"] = "<frameset rows=\"100,*\"><frame name=a src=a.html>"
                       "<frame name=b src=a.html></frameset>";
    pages["fixed.html"] = "<frameset rows=\"100,*\"><frame name=a src=a.html noresize>"
                          "<frame name=b src=a.html></frameset>";
    pages["a.html"] = Page("A");
    fv->SetfvOptions(TFrameViewerOptions{fvNoBorder});
    fv->Load("fs.html");
    TFrameSet& set = fv->CurFrameSet();
    using TSplit = TSubFrameSet::TSplitCursor;
    set.BorderMouseMove(300, 50);
    EXPECT_EQ(set.SplitCursor(), TSplit::scNone);
    set.BorderMouseMove(300, 97);
    EXPECT_EQ(set.SplitCursor(), TSplit::scVSplit);
    // Another button does nothing.
    set.BorderMouseDown(TMouseButton::mbRight, 300, 97);
    EXPECT_EQ(set.DraggingSet, nullptr);
    set.BorderMouseDown(TMouseButton::mbLeft, 300, 97);
    EXPECT_EQ(set.DraggingSet, &set);
    // The line stays between the neighbouring borders.
    set.BorderMouseMove(300, 900);
    EXPECT_EQ(set.DragPos(), 399);
    set.BorderMouseMove(300, 250);
    EXPECT_EQ(set.DragPos(), 250);
    set.BorderMouseUp(TMouseButton::mbLeft, 300, 250);
    EXPECT_EQ(set.DraggingSet, nullptr);
    EXPECT_EQ(Place(fv->FrameByName("a")), Bounds(0, 0, 600, 250));
    EXPECT_EQ(Place(fv->FrameByName("b")), Bounds(0, 250, 600, 150));
    EXPECT_EQ(set.Lines(), (std::vector<int32_t>{250, 150}));

    fv->Load("fixed.html");
    TFrameSet& fixed = fv->CurFrameSet();
    fixed.BorderMouseMove(300, 100);
    EXPECT_EQ(fixed.SplitCursor(), TSplit::scNone);
    fixed.BorderMouseDown(TMouseButton::mbLeft, 300, 100);
    EXPECT_EQ(fixed.DraggingSet, nullptr);
}

TEST_F(FrameTest, PointerNearANestedSetsEdgeBelongsToTheSetAround) {
    pages["fs.html"] = "<frameset rows=\"100,*\"><frame name=a src=a.html>"
                       "<frameset cols=\"50%,*\"><frame name=b src=a.html>"
                       "<frame name=c src=a.html></frameset></frameset>";
    pages["a.html"] = Page("A");
    fv->SetfvOptions(TFrameViewerOptions{fvNoBorder});
    fv->Load("fs.html");
    TFrameSet& top = fv->CurFrameSet();
    auto* inner = dynamic_cast<TSubFrameSet*>(top.Children()[1].get());
    ASSERT_NE(inner, nullptr);
    // One pixel into the nested set: the top set's border at 100 is one pixel away.
    inner->BorderMouseDown(TMouseButton::mbLeft, 150, 1);
    EXPECT_EQ(top.DraggingSet, &top);
    inner->BorderMouseUp(TMouseButton::mbLeft, 150, 50); // 150 in the top set
    EXPECT_EQ(top.DraggingSet, nullptr);
    EXPECT_EQ(Place(fv->FrameByName("a")), Bounds(0, 0, 600, 150));
    EXPECT_EQ(Place(fv->FrameByName("b")), Bounds(0, 150, 300, 250));
    // The nested set's own border.
    inner->BorderMouseMove(301, 100);
    EXPECT_EQ(inner->SplitCursor(), TSubFrameSet::TSplitCursor::scHSplit);
}

// What the toolkit does with a pointer over the frames' bevels: it reports the events to the
// panel under the pointer (and, during a press, to the panel pressed), in its coordinates.
TEST_F(FrameTest, ThePointerOnTheFramesBevelsDragsTheBorderBetweenThem) {
    pages["fs.html"] = "<frameset cols=\"200,*,100\"><frame name=a src=a.html>"
                       "<frame name=b src=a.html><frame name=c src=a.html noresize></frameset>";
    pages["a.html"] = Page("A");
    fv->Load("fs.html");
    TFrameSet& set = fv->CurFrameSet();
    TfvFrame* a = fv->FrameByName("a");
    TfvFrame* b = fv->FrameByName("b");
    TfvFrame* c = fv->FrameByName("c");
    // The set's bevel takes two pixels; the border between a and b lies at 202.
    ASSERT_EQ(Place(a), Bounds(2, 2, 200, 396));
    ASSERT_EQ(set.Positions()[1], 202);
    EXPECT_TRUE(a->TakesMouse());

    a->OwnMouseMove(0, 100, 200); // far from any border
    EXPECT_EQ(a->Cursor, TCursor::crIBeam);
    a->OwnMouseMove(0, 199, 200); // a's right bevel, 1 pixel from the border
    EXPECT_EQ(a->Cursor, TCursor::crHSplit);
    b->OwnMouseMove(0, 1, 200); // b's left bevel
    EXPECT_EQ(b->Cursor, TCursor::crHSplit);
    // The border before the NORESIZE frame does not move.
    c->OwnMouseMove(0, 0, 200);
    EXPECT_EQ(c->Cursor, TCursor::crIBeam);
    c->OwnMouseDown(TMouseButton::mbLeft, 0, 0, 200);
    EXPECT_EQ(set.DraggingSet, nullptr);

    // A right press is no drag.
    a->OwnMouseDown(TMouseButton::mbRight, 0, 199, 200);
    EXPECT_EQ(set.DraggingSet, nullptr);
    a->OwnMouseDown(TMouseButton::mbLeft, ssLeft, 199, 200);
    ASSERT_EQ(set.DraggingSet, &set);
    ASSERT_NE(set.DragLine(), nullptr);
    EXPECT_TRUE(set.DragLine()->Visible());
    EXPECT_EQ(set.DragLine()->BoundsRect(), Bounds(200, 2, 2, 396)); // at the pointer, 201
    // The press stays with a; moves go to the set being dragged, the line follows them and
    // stops short of the next border.
    a->OwnMouseMove(ssLeft, 349, 50);
    EXPECT_EQ(set.DragPos(), 351);
    EXPECT_EQ(set.DragLine()->BoundsRect(), Bounds(350, 2, 2, 396));
    EXPECT_EQ(a->Cursor, TCursor::crHSplit);
    a->OwnMouseMove(ssLeft, 900, 50);
    EXPECT_EQ(set.DragPos(), set.Positions()[2] - 1);
    a->OwnMouseMove(ssLeft, 349, 50);
    a->OwnMouseUp(TMouseButton::mbLeft, 0, 349, 50);
    EXPECT_EQ(set.DraggingSet, nullptr);
    EXPECT_EQ(set.DragLine(), nullptr);
    EXPECT_EQ(Place(a), Bounds(2, 2, 349, 396));
    EXPECT_EQ(Place(b).Left, 351);
    EXPECT_EQ(Place(c).Right, 598); // the fixed frame keeps its place at the end

    // The drag line is painted over the frames.
    a->OwnMouseDown(TMouseButton::mbLeft, ssLeft, 348, 200);
    ASSERT_NE(set.DragLine(), nullptr);
    TCanvas shot(fv->Width(), fv->Height());
    fv->PaintTo(shot, 0, 0);
    EXPECT_EQ(shot.GetPixel(set.DragLine()->Left(), 100), clBlack);
    // A new document ends the drag.
    fv->Load("a.html");
    EXPECT_EQ(fv->CurFrameSet().DraggingSet, nullptr);
}

TEST_F(FrameTest, VisitedMaxCountTrimsClearsAndReachesTheInnerViewers) {
    pages["a.html"] = Page("A", "<a href=b.html>b</a> <a href=c.html>c</a> <a href=d.html>d</a>");
    pages["b.html"] = Page("B");
    pages["c.html"] = Page("C");
    pages["d.html"] = Page("D");
    fv->Load("a.html");
    for (const char* page : {"b.html", "c.html", "d.html"}) {
        Click(Frame(""), page);
        fv->GoBack();
        Click(Frame(""), "a.html");
    }
    ASSERT_GE(fv->Visited().Count(), 4);
    auto visitedLinks = [&] {
        int n = 0;
        for (TFontObj* link : Frame("")->Document().Links)
            n += link->Visited;
        return n;
    };
    EXPECT_EQ(visitedLinks(), 3);
    fv->SetVisitedMaxCount(2);
    EXPECT_EQ(fv->Visited().Count(), 2);
    EXPECT_EQ(Frame("")->VisitedMaxCount(), 2);
    fv->SetVisitedMaxCount(0);
    EXPECT_EQ(fv->Visited().Count(), 0);
    EXPECT_EQ(visitedLinks(), 0); // the marks go at once
    EXPECT_EQ(Frame("")->VisitedMaxCount(), 0);
    Click(Frame(""), "b.html");
    EXPECT_EQ(fv->Visited().Count(), 0); // nothing is kept now
}

TEST_F(FrameTest, DragEventsOfAFrameReachTheOwnerThroughTheFrameViewer) {
    pages["fs.html"] = "<frameset cols=\"200,*\"><frame name=a src=a.html>"
                       "<frame name=b src=a.html></frameset>";
    pages["a.html"] = Page("A");
    fv->Load("fs.html");
    std::vector<std::string> seen;
    TObject source;
    fv->OnDragOver = [&](TObject* sender, TObject* src, int32_t x, int32_t y, bool& accept) {
        seen.push_back("over " + std::to_string(x) + "," + std::to_string(y) +
                       (sender == fv.get() && src == &source ? " from the frame viewer" : ""));
        accept = x > 300;
    };
    fv->OnDragDrop = [&](TObject* sender, TObject* src, int32_t x, int32_t y) {
        seen.push_back("drop " + std::to_string(x) + "," + std::to_string(y) +
                       (sender == fv.get() && src == &source ? " from the frame viewer" : ""));
    };
    THTMLViewer* b = Frame("b");
    const TRect place = Place(b);
    EXPECT_TRUE(b->DragOver(&source, 150, 10));
    EXPECT_FALSE(Frame("a")->DragOver(&source, 10, 10));
    b->DragDrop(&source, 5, 6);
    const std::string at = std::to_string(place.Left + 150) + "," + std::to_string(place.Top + 10);
    EXPECT_EQ(seen[0], "over " + at + " from the frame viewer");
    EXPECT_EQ(seen.back(), "drop " + std::to_string(place.Left + 5) + "," +
                               std::to_string(place.Top + 6) + " from the frame viewer");
    EXPECT_EQ(seen.size(), 3u);
}
