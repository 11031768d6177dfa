// The pointer and the keyboard: selection, word selection, copy, find, link tracking and its
// timer, panning, automatic scrolling, right clicks and posted form submission.
#include <gtest/gtest.h>

#include "html/doc/form_control.h"
#include "platform/base/string_list.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/scripted_dialogs.h"
#include "tests/html/view/view_util.h"

using folio_test::ViewerTest;

namespace {

// Panel coordinates of a point inside the character at a document index (after a paint).
TPoint CharPoint(THTMLViewer& v, int32_t index) {
    TCanvas canvas(1, 1);
    int32_t x = 0, y = 0;
    EXPECT_TRUE(v.Document().CaretPoint(canvas, index, x, y)) << index;
    return Point(x + 2, y - v.PixelPosition() + 4);
}

} // namespace

TEST_F(ViewerTest, DraggingSelectsFromThePressToThePointer) {
    viewer->ShowHtmlString("<p>alpha beta gamma</p>");
    Paint();
    const TPoint from = CharPoint(*viewer, 0), to = CharPoint(*viewer, 10);
    TPaintPanel& p = viewer->PaintPanel();
    p.MouseDown(TMouseButton::mbLeft, ssLeft, from.X, from.Y);
    p.MouseMove(ssLeft, to.X, to.Y);
    p.MouseUp(TMouseButton::mbLeft, 0, to.X, to.Y);
    EXPECT_EQ(viewer->SelStart(), 0);
    EXPECT_EQ(viewer->SelText(), "alpha beta");
    // Dragging back past the anchor selects the other way.
    const TPoint mid = CharPoint(*viewer, 6);
    p.MouseDown(TMouseButton::mbLeft, ssLeft, mid.X, mid.Y);
    p.MouseMove(ssLeft, from.X, from.Y);
    p.MouseUp(TMouseButton::mbLeft, 0, from.X, from.Y);
    EXPECT_EQ(viewer->SelText(), "alpha ");
}

TEST_F(ViewerTest, NoSelectForbidsSelecting) {
    viewer->NoSelect = true;
    viewer->ShowHtmlString("<p>alpha beta gamma</p>");
    Paint();
    const TPoint from = CharPoint(*viewer, 0), to = CharPoint(*viewer, 10);
    viewer->PaintPanel().MouseDown(TMouseButton::mbLeft, ssLeft, from.X, from.Y);
    viewer->PaintPanel().MouseMove(ssLeft, to.X, to.Y);
    viewer->PaintPanel().MouseUp(TMouseButton::mbLeft, 0, to.X, to.Y);
    EXPECT_EQ(viewer->SelLength(), 0);
    viewer->PaintPanel().KeyDown('A', ssCtrl);
    EXPECT_EQ(viewer->SelLength(), 0);
}

TEST_F(ViewerTest, DoubleClickSelectsTheWordUnderThePointer) {
    // Word characters: digits, ASCII letters and codes from 192 up.
    viewer->ShowHtmlString("<p>say h\xe9llo2you, world</p>");
    Paint();
    int doubles = 0;
    viewer->OnMouseDouble = [&](TObject*, TMouseButton b, TShiftState, int32_t, int32_t) {
        EXPECT_EQ(b, TMouseButton::mbLeft);
        ++doubles;
    };
    const TPoint at = CharPoint(*viewer, 6);
    TPaintPanel& p = viewer->PaintPanel();
    p.MouseDown(TMouseButton::mbLeft, ssLeft, at.X, at.Y);
    p.MouseUp(TMouseButton::mbLeft, 0, at.X, at.Y);
    p.MouseDown(TMouseButton::mbLeft, ssLeft | ssDouble, at.X, at.Y);
    p.DblClick();
    p.MouseUp(TMouseButton::mbLeft, 0, at.X, at.Y);
    EXPECT_EQ(viewer->SelText(), "h\xc3\xa9llo2you");
    EXPECT_EQ(doubles, 1);
}

TEST_F(ViewerTest, CtrlASelectsAllAndCtrlCCopiesUtf8Text) {
    viewer->ShowHtmlString("<p>caf\xe9 ol\xe9</p>");
    SetClipboardText("");
    viewer->PaintPanel().KeyDown('C', ssCtrl); // nothing selected: the clipboard stays
    EXPECT_EQ(ClipboardText(), "");
    viewer->PaintPanel().KeyDown('A', ssCtrl);
    EXPECT_EQ(viewer->SelStart(), 0);
    EXPECT_EQ(viewer->SelLength(), viewer->CharCount());
    viewer->PaintPanel().KeyDown('C', ssCtrl);
    // The block's line end, as a Linux program pastes it.
    EXPECT_EQ(ClipboardText(), "caf\xc3\xa9 ol\xc3\xa9\n");
    viewer->ShowHtmlString("<p>one</p><p>two<br>three</p>");
    viewer->SelectAll();
    viewer->CopyToClipboard();
    EXPECT_EQ(ClipboardText().find('\r'), std::string::npos) << ClipboardText();
    EXPECT_NE(ClipboardText().find("two\nthree"), std::string::npos) << ClipboardText();
}

TEST_F(ViewerTest, CtrlFFindsEachHitInTurnAndScrollsItIntoView) {
    viewer->ShowHtmlString(Paragraphs(60) + "<p>needle one</p><p>needle two</p>");
    Paint();
    TScriptedDialogs dialogs;
    TDialogProviderScope scope(dialogs);
    dialogs.AnswerInput("needle");
    viewer->PaintPanel().KeyDown('F', ssCtrl);
    EXPECT_EQ(viewer->SelText(), "needle");
    const int32_t first = viewer->SelStart();
    EXPECT_GT(viewer->PixelPosition(), 0);
    dialogs.AnswerInput("needle"); // the last text is offered again
    viewer->PaintPanel().KeyDown('F', ssCtrl);
    EXPECT_GT(viewer->SelStart(), first);
    EXPECT_EQ(dialogs.Asked().back().Text, "needle");
    dialogs.AnswerInput("absent");
    viewer->PaintPanel().KeyDown('F', ssCtrl);
    EXPECT_EQ(viewer->SelText(), "needle");
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.AllAnswered());
}

TEST_F(ViewerTest, PointerOverALinkShowsTheHandAndReportsTheLinkUntilItLeaves) {
    viewer->ShowHtmlString("<p><a href=\"other.html\">the link</a> plain text</p>");
    Paint();
    std::vector<std::string> covered;
    viewer->OnHotSpotCovered = [&](TObject*, const std::string& src) { covered.push_back(src); };
    TPaintPanel& p = viewer->PaintPanel();
    const TPoint link = CharPoint(*viewer, 2), text = CharPoint(*viewer, 12);
    p.MouseMove(0, link.X, link.Y);
    EXPECT_EQ(p.Cursor, TCursor::crHandPoint);
    EXPECT_EQ(viewer->URL(), "other.html");
    EXPECT_TRUE(viewer->LinkTimer().Enabled());
    p.MouseMove(0, link.X + 1, link.Y); // the same link: reported once
    p.MouseMove(0, text.X, text.Y);
    EXPECT_EQ(p.Cursor, TCursor::crIBeam);
    EXPECT_EQ(covered, (std::vector<std::string>{"other.html", ""}));

    // Leaving the panel while over the link: the timer notices it.
    p.MouseMove(0, link.X, link.Y);
    Advance(200);
    EXPECT_EQ(covered.size(), 3u); // still inside: nothing changes
    p.MouseLeave();
    Advance(199);
    EXPECT_EQ(covered.size(), 3u);
    Advance(1);
    EXPECT_EQ(covered.back(), "");
    EXPECT_EQ(viewer->URL(), "");
    EXPECT_FALSE(viewer->LinkTimer().Enabled());
    // Below the document there is no text: the arrow.
    p.MouseMove(0, 5, p.Height() - 2);
    EXPECT_EQ(p.Cursor, TCursor::crArrow);
}

TEST_F(ViewerTest, MiddleClickTogglesPanningAndDistanceSetsItsSpeed) {
    viewer->ShowHtmlString(Paragraphs(100));
    TPaintPanel& p = viewer->PaintPanel();
    p.MouseDown(TMouseButton::mbMiddle, ssMiddle, 100, 100);
    p.MouseUp(TMouseButton::mbMiddle, 0, 100, 100);
    EXPECT_TRUE(viewer->Panning());
    EXPECT_EQ(p.Cursor, TCursor::crUpDown);
    p.MouseDown(TMouseButton::mbMiddle, ssMiddle, 100, 100);
    p.MouseUp(TMouseButton::mbMiddle, 0, 100, 100);
    EXPECT_FALSE(viewer->Panning());

    p.MouseDown(TMouseButton::mbMiddle, ssMiddle, 100, 100);
    Application().ProcessMessages();
    EXPECT_EQ(viewer->PixelPosition(), 0); // within 20 pixels: no movement
    p.MouseMove(ssMiddle, 100, 150);       // 21 to 60 below: 8 a step
    Application().ProcessMessages();
    EXPECT_EQ(viewer->PixelPosition(), 8);
    EXPECT_EQ(p.Cursor, TCursor::crDownOnly);
    p.MouseMove(ssMiddle, 100, 200); // more than 60 below: 32 a step, every 100 ms
    Advance(100);
    EXPECT_EQ(viewer->PixelPosition(), 40);
    Advance(100);
    EXPECT_EQ(viewer->PixelPosition(), 72);
    p.MouseMove(ssMiddle, 100, 10); // far above: back up
    Advance(100);
    EXPECT_EQ(viewer->PixelPosition(), 40);
    EXPECT_EQ(p.Cursor, TCursor::crUpOnly);
    // Released elsewhere: panning ends and so do the steps.
    p.MouseUp(TMouseButton::mbMiddle, 0, 100, 10);
    EXPECT_FALSE(viewer->Panning());
    Advance(500);
    EXPECT_EQ(viewer->PixelPosition(), 40);
}

TEST_F(ViewerTest, AnyKeyWhilePanningOnlyEndsPanning) {
    viewer->ShowHtmlString(Paragraphs(100));
    viewer->PaintPanel().MouseDown(TMouseButton::mbMiddle, ssMiddle, 50, 50);
    viewer->PaintPanel().MouseUp(TMouseButton::mbMiddle, 0, 50, 50);
    ASSERT_TRUE(viewer->Panning());
    viewer->PaintPanel().KeyDown(VK_DOWN, 0);
    EXPECT_FALSE(viewer->Panning());
    EXPECT_EQ(viewer->PixelPosition(), 0);
}

TEST_F(ViewerTest, DraggingBelowThePanelScrollsAndExtendsTheSelection) {
    viewer->ShowHtmlString(Paragraphs(100));
    Paint();
    TPaintPanel& p = viewer->PaintPanel();
    const TPoint start = CharPoint(*viewer, 0);
    const int h = p.Height();
    p.MouseDown(TMouseButton::mbLeft, ssLeft, start.X, start.Y);
    p.MouseMove(ssLeft, start.X, h + 5); // just below: 16 a step
    Application().ProcessMessages();
    EXPECT_EQ(viewer->PixelPosition(), 16);
    Advance(100);
    EXPECT_EQ(viewer->PixelPosition(), 32);
    p.MouseMove(ssLeft, start.X, h + 40); // more than 15 below: 128 a step
    Advance(100);
    EXPECT_EQ(viewer->PixelPosition(), 160);
    EXPECT_GT(viewer->SelLength(), 0);
    p.MouseUp(TMouseButton::mbLeft, 0, start.X, h + 40);
    Advance(1000);
    EXPECT_EQ(viewer->PixelPosition(), 160);
}

TEST_F(ViewerTest, RightClickReportsTheLinkAndTheWordUnderThePointer) {
    viewer->ShowHtmlString("<p>before <a href=\"x.html\" target=\"main\">linked</a></p>");
    Paint();
    TRightClickParameters got;
    int calls = 0;
    viewer->OnRightClick = [&](TObject*, const TRightClickParameters& p) {
        got = p;
        ++calls;
    };
    const TPoint at = CharPoint(*viewer, 9);
    viewer->PaintPanel().MouseDown(TMouseButton::mbRight, ssRight, at.X, at.Y);
    viewer->PaintPanel().MouseUp(TMouseButton::mbRight, 0, at.X, at.Y);
    ASSERT_EQ(calls, 1);
    EXPECT_EQ(got.URL, "x.html");
    EXPECT_EQ(got.Target, "main");
    EXPECT_EQ(got.ClickWord, "linked");
    EXPECT_EQ(got.Image, nullptr);
    EXPECT_EQ(Point(got.X, got.Y), at);

    // The Menu key: for what is under the pointer while it is over the page...
    int key = VK_APPS;
    viewer->PaintPanel().KeyDown(key, 0);
    ASSERT_EQ(calls, 2);
    EXPECT_EQ(got.URL, "x.html");
    EXPECT_EQ(Point(got.X, got.Y), at);
    // ... else for the page itself, at its corner; Shift+F10 does the same.
    viewer->PaintPanel().MouseLeave();
    viewer->PaintPanel().KeyDown(VK_F1 + 9, ssShift);
    ASSERT_EQ(calls, 3);
    EXPECT_EQ(got.URL, "");
    EXPECT_EQ(got.ClickWord, "");
    EXPECT_EQ(Point(got.X, got.Y), Point(8, 8));
    viewer->PaintPanel().KeyDown(VK_F1 + 9, 0); // F10 alone is not the menu
    EXPECT_EQ(calls, 3);
}

TEST_F(ViewerTest, FormSubmissionIsReportedThroughAPostedCall) {
    std::string action, method;
    std::vector<std::string> results;
    int submits = 0;
    viewer->OnFormSubmit = [&](TObject* sender, const std::string& a, const std::string&,
                               const std::string&, const std::string& m,
                               std::unique_ptr<TStringList> r) {
        EXPECT_EQ(sender, static_cast<TObject*>(viewer.get()));
        action = a;
        method = m;
        for (int i = 0; i < r->Count(); ++i)
            results.push_back(r->Strings(i));
        ++submits;
    };
    viewer->ShowHtmlString("<form action=\"find.cgi\"><input name=q value=abc>"
                           "<input type=submit name=go value=Search></form>");
    TFormControlObj* button = nullptr;
    for (TFormControlObj* c : viewer->Document().Controls)
        if (c->Name == "go")
            button = c;
    ASSERT_NE(button, nullptr);
    ASSERT_NE(button->Widget(), nullptr);
    button->Widget()->Click();
    EXPECT_EQ(submits, 0); // not while the click is being handled
    Application().ProcessMessages();
    EXPECT_EQ(submits, 1);
    EXPECT_EQ(action, "find.cgi");
    EXPECT_EQ(method, "Get");
    EXPECT_EQ(results, (std::vector<std::string>{"q=abc", "go=Search"}));
}

TEST_F(ViewerTest, APostedCallDoesNothingOnceTheViewerIsGone) {
    int submits = 0;
    viewer->OnFormSubmit = [&](TObject*, const std::string&, const std::string&, const std::string&,
                               const std::string&, std::unique_ptr<TStringList>) { ++submits; };
    viewer->ShowHtmlString("<form><input type=submit></form>");
    ASSERT_FALSE(viewer->Document().Controls.empty());
    viewer->Document().Controls.front()->Widget()->Click();
    viewer.reset();
    Application().ProcessMessages();
    EXPECT_EQ(submits, 0);
}

TEST_F(ViewerTest, AFocusedFormControlIsScrolledIntoView) {
    viewer->ShowHtmlString(Paragraphs(60) + "<form><input name=last></form>");
    ASSERT_EQ(viewer->PixelPosition(), 0);
    TFormControlObj* edit = viewer->Document().Controls.back();
    ASSERT_NE(viewer->Document().OnControlEnter, nullptr);
    viewer->Document().OnControlEnter(edit);
    const int32_t top = viewer->PixelPosition();
    EXPECT_GT(top, 0);
    EXPECT_LE(top, edit->VerticalPosition());
    EXPECT_GE(top + viewer->PaintPanel().Height(), edit->VerticalPosition());
}

TEST_F(ViewerTest, ImagesReportThePointerAndClicksInsideThem) {
    viewer->ShowHtmlString("<p><img src=\"none.gif\" width=60 height=40 alt=\"pic\"> text</p>");
    Paint();
    std::vector<std::pair<int32_t, int32_t>> over, clicks;
    TObject* seen = nullptr;
    viewer->OnImageOver = [&](TObject*, TObject* obj, TShiftState, int32_t x, int32_t y) {
        seen = obj;
        over.emplace_back(x, y);
    };
    viewer->OnImageClick = [&](TObject*, TObject*, TMouseButton b, TShiftState, int32_t x,
                               int32_t y) {
        EXPECT_EQ(b, TMouseButton::mbLeft);
        clicks.emplace_back(x, y);
    };
    // The picture stands at the left margin of the first line.
    TObject* obj = nullptr;
    int32_t xi = 0, yi = 0;
    int px = -1, py = -1;
    for (int y = 0; y < 60 && px < 0; ++y)
        for (int x = 0; x < 60 && px < 0; ++x)
            if (viewer->Document().ObjectAt(x, y, obj, xi, yi) && obj && xi == 5 && yi == 7) {
                px = x;
                py = y;
            }
    ASSERT_GE(px, 0);
    viewer->PaintPanel().MouseMove(0, px, py);
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(over, (std::vector<std::pair<int32_t, int32_t>>{{5, 7}}));
    viewer->PaintPanel().MouseDown(TMouseButton::mbLeft, ssLeft, px, py);
    viewer->PaintPanel().MouseUp(TMouseButton::mbLeft, 0, px, py);
    EXPECT_EQ(clicks, (std::vector<std::pair<int32_t, int32_t>>{{5, 7}}));
}

TEST_F(ViewerTest, ALeftPressWhilePanningEndsItAndStartsASelection) {
    viewer->ShowHtmlString("<p>alpha beta gamma</p>" + Paragraphs(60));
    Paint();
    TPaintPanel& p = viewer->PaintPanel();
    p.MouseDown(TMouseButton::mbMiddle, ssMiddle, 50, 50);
    p.MouseUp(TMouseButton::mbMiddle, 0, 50, 50);
    ASSERT_TRUE(viewer->Panning());
    const TPoint from = CharPoint(*viewer, 0), to = CharPoint(*viewer, 5);
    p.MouseDown(TMouseButton::mbLeft, ssLeft, from.X, from.Y);
    EXPECT_FALSE(viewer->Panning());
    EXPECT_EQ(p.Cursor, TCursor::crArrow);
    p.MouseMove(ssLeft, to.X, to.Y);
    p.MouseUp(TMouseButton::mbLeft, 0, to.X, to.Y);
    EXPECT_EQ(viewer->SelText(), "alpha");
}

TEST_F(ViewerTest, AWordEndsWithItsParagraphAndALongOneIsReadInLinearTime) {
    // Half a million letters in one word after many paragraphs ending in digits.
    const std::string word(500000, 'w');
    viewer->ShowHtmlString(Paragraphs(2000) + "<p>" + word + " end</p>");
    std::string got;
    viewer->OnRightClick = [&](TObject*, const TRightClickParameters& p) { got = p.ClickWord; };
    TCanvas canvas(1, 1);
    int32_t x = 0, y = 0;
    const int32_t index = viewer->CharCount() - 500000; // inside the long word
    Paint();
    ASSERT_TRUE(viewer->Document().CaretPoint(canvas, index, x, y));
    viewer->SetPixelPosition(y - 10);
    Paint();
    ASSERT_TRUE(viewer->Document().CaretPoint(canvas, index, x, y));
    const int py = y - viewer->PixelPosition() + 4;
    viewer->PaintPanel().MouseDown(TMouseButton::mbRight, ssRight, x + 2, py);
    viewer->PaintPanel().MouseUp(TMouseButton::mbRight, 0, x + 2, py);
    EXPECT_EQ(got, word);
}

TEST_F(ViewerTest, CopiedTextReachesTheInstalledClipboardPort) {
    struct TRecordingPort : TClipboardPort {
        std::vector<std::string> texts;
        void SetText(const std::string& utf8) override { texts.push_back(utf8); }
    } port;
    TClipboardPort* previous = SetClipboardPort(&port);
    viewer->ShowHtmlString("<p>one two three</p>");
    viewer->SetSelection(4, 7);
    viewer->CopyToClipboard();
    SetClipboardPort(previous);
    EXPECT_EQ(port.texts, (std::vector<std::string>{"two"}));
    EXPECT_EQ(ClipboardText(), "two");
}
