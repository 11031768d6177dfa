// The viewer's properties, layout, scroll bars, positions and keys.
#include <gtest/gtest.h>

#include "platform/gui/edit.h"
#include "platform/gui/window.h"
#include "tests/html/view/view_util.h"

using folio_test::ViewerTest;

TEST_F(ViewerTest, PropertiesStartAtTheirDefaults) {
    THTMLViewer v;
    EXPECT_EQ(v.Width(), 150);
    EXPECT_EQ(v.Height(), 150);
    EXPECT_TRUE(v.ViewImages());
    EXPECT_EQ(v.DefBackground(), clBtnFace);
    EXPECT_EQ(v.BorderStyle(), htFocused);
    EXPECT_EQ(v.HistoryMaxCount(), 0);
    EXPECT_EQ(v.DefFontName, "Times New Roman");
    EXPECT_EQ(v.DefPreFontName, "Courier New");
    EXPECT_EQ(v.DefFontSize, 12);
    EXPECT_EQ(v.DefFontColor, clBtnText);
    EXPECT_EQ(v.DefHotSpotColor, clBlue);
    EXPECT_EQ(v.DefVisitedLinkColor, clPurple);
    EXPECT_EQ(v.DefOverLinkColor, clBlue);
    EXPECT_EQ(v.VisitedMaxCount(), 50);
    EXPECT_EQ(v.ImageCacheCount(), 5);
    EXPECT_FALSE(v.NoSelect);
    EXPECT_EQ(v.ScrollBars(), ssBoth);
    EXPECT_EQ(v.MarginHeight, 5);
    EXPECT_EQ(v.MarginWidth, 10);
    EXPECT_EQ(v.ServerRoot(), "");
    EXPECT_EQ(v.PrintMarginLeft, 2.0);
    EXPECT_EQ(v.PrintMarginBottom, 2.0);
    EXPECT_EQ(v.htOptions(), THtmlViewerOptions{htPrintTableBackground});
    EXPECT_EQ(v.Cursor, TCursor::crIBeam);
    EXPECT_EQ(v.VScrollBar().SmallChange, 16);
    EXPECT_EQ(v.HScrollBar().SmallChange, 15);
    EXPECT_FALSE(v.VScrollBar().Visible());
    EXPECT_FALSE(v.HScrollBar().Visible());
    EXPECT_FALSE(v.VScrollBar().TabStop);
    EXPECT_FALSE(v.LinkTimer().Enabled());
    EXPECT_EQ(v.LinkTimer().Interval(), 200u);
}

TEST_F(ViewerTest, CountsAreClampedOrIgnored) {
    viewer->SetImageCacheCount(100);
    EXPECT_EQ(viewer->ImageCacheCount(), 20);
    EXPECT_EQ(viewer->ImageCache()->MaxCache(), 20);
    viewer->SetImageCacheCount(-3);
    EXPECT_EQ(viewer->ImageCacheCount(), 0);
    viewer->SetHistoryMaxCount(-1);
    EXPECT_EQ(viewer->HistoryMaxCount(), 0);
    viewer->SetVisitedMaxCount(-7);
    EXPECT_EQ(viewer->VisitedMaxCount(), 0);
    viewer->SetServerRoot("/srv/site/");
    EXPECT_EQ(viewer->ServerRoot(), "/srv/site");
}

TEST_F(ViewerTest, ShortDocumentShowsNoBarsUnlessTheVerticalOneIsForced) {
    viewer->ShowHtmlString("<p>short</p>");
    EXPECT_FALSE(viewer->VScrollBar().Visible());
    EXPECT_FALSE(viewer->HScrollBar().Visible());
    // The panel fills the control inside the one-pixel border.
    EXPECT_EQ(viewer->PaintPanel().Width(), 398);
    EXPECT_EQ(viewer->PaintPanel().Height(), 298);

    viewer->SethtOptions(THtmlViewerOptions{htPrintTableBackground, htShowVScroll});
    EXPECT_TRUE(viewer->VScrollBar().Visible());
    EXPECT_FALSE(viewer->VScrollBar().Enabled());
    EXPECT_EQ(viewer->PaintPanel().Width(), 398 - viewer->VScrollBar().Width());
}

TEST_F(ViewerTest, TallDocumentGetsTheVerticalBarWithItsRanges) {
    viewer->ShowHtmlString(Paragraphs(60));
    ASSERT_GT(viewer->DocHeight(), 1000);
    TScrollBar& v = viewer->VScrollBar();
    EXPECT_TRUE(v.Visible());
    EXPECT_TRUE(v.Enabled());
    EXPECT_FALSE(viewer->HScrollBar().Visible());
    const int ph = viewer->PaintPanel().Height();
    EXPECT_EQ(ph, 298);
    EXPECT_EQ(v.Max(), viewer->DocHeight());
    EXPECT_EQ(v.PageSize(), ph + 1);
    EXPECT_EQ(v.LargeChange, ph - 16);
    // The last position shows the document's bottom at the panel's bottom.
    viewer->SetPixelPosition(1 << 30);
    EXPECT_EQ(viewer->PixelPosition(), viewer->DocHeight() - ph);
    viewer->SetPixelPosition(-50);
    EXPECT_EQ(viewer->PixelPosition(), 0);
}

TEST_F(ViewerTest, ScrollBarsFollowTheScrollBarsProperty) {
    viewer->ShowHtmlString(Paragraphs(60));
    viewer->SetScrollBars(ssNone);
    EXPECT_FALSE(viewer->VScrollBar().Visible());
    EXPECT_EQ(viewer->PaintPanel().Width(), 398);
    viewer->SetScrollBars(ssHorizontal);
    EXPECT_FALSE(viewer->VScrollBar().Visible());
    viewer->SetScrollBars(ssVertical);
    EXPECT_TRUE(viewer->VScrollBar().Visible());
    viewer->SetBorderStyle(htNone);
    EXPECT_EQ(viewer->PaintPanel().Left(), 0);
    EXPECT_EQ(viewer->PaintPanel().Height(), 300);
}

TEST_F(ViewerTest, WideDocumentScrollsOnlyOverItsFirst6000Pixels) {
    viewer->ShowHtmlString("<img width=7000 height=20>");
    EXPECT_EQ(viewer->DocWidth(), THTMLViewer::kMaxDocWidth);
    TScrollBar& h = viewer->HScrollBar();
    ASSERT_TRUE(h.Visible());
    const int pw = viewer->PaintPanel().Width();
    EXPECT_EQ(h.PageSize(), pw);
    EXPECT_EQ(h.LargeChange, pw - 20);
    viewer->SetHScrollPosition(100000);
    EXPECT_EQ(viewer->HScrollPosition(), 6000 - pw);
}

TEST_F(ViewerTest, KeysAndTheWheelMoveThePosition) {
    viewer->ShowHtmlString(Paragraphs(60) + "<img width=900 height=10>");
    const int large = viewer->VScrollBar().LargeChange;
    struct Step {
        int key;
        int expectTop;
    };
    const int bottom = viewer->DocHeight() - viewer->PaintPanel().Height();
    for (const Step& s :
         {Step{VK_DOWN, 16}, Step{VK_DOWN, 32}, Step{VK_UP, 16}, Step{VK_NEXT, 16 + large},
          Step{VK_PRIOR, 16}, Step{VK_END, bottom}, Step{VK_HOME, 0}}) {
        viewer->PaintPanel().KeyDown(s.key, 0);
        EXPECT_EQ(viewer->PixelPosition(), s.expectTop) << "key " << s.key;
    }
    viewer->PaintPanel().KeyDown(VK_RIGHT, 0);
    viewer->PaintPanel().KeyDown(VK_RIGHT, 0);
    EXPECT_EQ(viewer->HScrollPosition(), 30);
    viewer->PaintPanel().KeyDown(VK_LEFT, 0);
    EXPECT_EQ(viewer->HScrollPosition(), 15);

    viewer->PaintPanel().MouseWheel(0, -120, 10, 10); // one notch towards the user
    EXPECT_EQ(viewer->PixelPosition(), 60);
    viewer->PaintPanel().MouseWheel(0, 240, 10, 10);
    EXPECT_EQ(viewer->PixelPosition(), 0);
}

TEST_F(ViewerTest, ViewPositionKeepsTheSameTextInViewAcrossAResize) {
    viewer->ShowHtmlString(Paragraphs(80));
    viewer->SetPixelPosition(900);
    const int32_t vp = viewer->ViewPosition();
    EXPECT_GT(vp, 65535); // names a section and an offset inside it
    auto firstCharAtTop = [&] {
        int32_t top = 0;
        int index = 0;
        TSectionBase* s = viewer->Document().SectionAtY(viewer->PixelPosition(), top, index);
        return s ? s->FirstChar : -1;
    };
    const int32_t before = firstCharAtTop();
    viewer->SetBounds(0, 0, 120, 300); // paragraphs wrap into more lines now
    const int32_t pixelsAfterResize = viewer->PixelPosition();
    EXPECT_NE(pixelsAfterResize, 900);
    EXPECT_EQ(firstCharAtTop(), before);
    // Written back after another relayout, the value shows the same place again.
    viewer->SetBounds(0, 0, 400, 300);
    viewer->SetViewPosition(vp);
    EXPECT_EQ(viewer->PixelPosition(), 900);
    // A plain value is a pixel position.
    viewer->SetViewPosition(40);
    EXPECT_EQ(viewer->PixelPosition(), 40);
    // A section that does not exist is ignored.
    viewer->SetViewPosition(30000 * 65536 + 5);
    EXPECT_EQ(viewer->PixelPosition(), 40);
}

TEST_F(ViewerTest, ResizingKeepsThePositionAndReturnsToTheTopWhenTheDocumentFits) {
    viewer->ShowHtmlString(Paragraphs(40));
    viewer->SetPixelPosition(300);
    const int32_t vp = viewer->ViewPosition();
    viewer->SetBounds(0, 0, 420, 300);
    EXPECT_EQ(viewer->ViewPosition(), vp);
    viewer->SetBounds(0, 0, 420, 5000);
    EXPECT_EQ(viewer->PixelPosition(), 0);
    EXPECT_FALSE(viewer->VScrollBar().Visible());
}

TEST_F(ViewerTest, ClearDocumentEmptiesTheViewer) {
    viewer->ShowHtmlString("<title>T</title>" + Paragraphs(60));
    EXPECT_EQ(viewer->DocumentTitle(), "T");
    int stops = 0;
    viewer->OnSoundRequest = [&](TObject*, const std::string& src, int32_t, bool terminate) {
        if (src.empty() && terminate)
            ++stops;
    };
    viewer->ClearDocument();
    EXPECT_EQ(viewer->DocumentTitle(), "");
    EXPECT_EQ(viewer->Document().Count(), 0);
    EXPECT_FALSE(viewer->VScrollBar().Visible());
    EXPECT_EQ(viewer->PixelPosition(), 0);
    EXPECT_EQ(stops, 1);
}

TEST_F(ViewerTest, ProcessingIsReportedAroundLoadsAndIgnoresNestedLoads) {
    std::vector<bool> seen;
    viewer->OnProcessing = [&](TObject*, bool on) {
        seen.push_back(on);
        if (on) // a load started from inside a load is ignored
            viewer->ShowHtmlString("<p>nested</p>");
    };
    viewer->ShowHtmlString("<p>outer</p>");
    EXPECT_EQ(seen, (std::vector<bool>{true, false}));
    EXPECT_EQ(viewer->SelText(), "");
    viewer->SelectAll();
    EXPECT_EQ(viewer->SelText(), "outer\r\n"); // the paragraph ends with a line break
}

TEST_F(ViewerTest, ViewImagesOffRelaysOutKeepingThePosition) {
    viewer->ShowHtmlString(Paragraphs(60));
    viewer->SetPixelPosition(500);
    const int32_t vp = viewer->ViewPosition();
    viewer->SetViewImages(false);
    EXPECT_FALSE(viewer->Document().ImagesOn);
    EXPECT_EQ(viewer->ViewPosition(), vp);
}

TEST_F(ViewerTest, TheBorderShowsAsTheStyleSays) {
    TWindow window;
    window.SetBounds(0, 0, 500, 400);
    TEdit other;
    other.SetParent(&window);
    viewer->SetParent(&window);
    window.Show();
    auto border = [&] { return viewer->BevelOuter() != TBevelCut::bvNone; };
    viewer->PaintPanel().SetFocus();
    ASSERT_TRUE(viewer->PaintPanel().Focused());
    EXPECT_TRUE(border()); // htFocused: while the panel has the focus
    other.SetFocus();
    EXPECT_FALSE(border());
    viewer->SetBorderStyle(htSingle);
    EXPECT_TRUE(border());
    viewer->SetBorderStyle(htNone);
    viewer->PaintPanel().SetFocus();
    EXPECT_FALSE(border());
    // The focus events of the viewer itself fire with the panel's.
    int enters = 0;
    viewer->OnEnter = [&](TControl&) { ++enters; };
    other.SetFocus();
    viewer->PaintPanel().SetFocus();
    EXPECT_EQ(enters, 1);
    window.Hide();
    viewer->SetParent(nullptr);
}
