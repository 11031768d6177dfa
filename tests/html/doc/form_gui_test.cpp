// Form controls in a real X server: the document's paint panel sits in a shown window, so the
// controls placed by a paint get FLTK widgets, and a click on one reaches the document's
// object-click event. Each run starts its own Xvfb; a run that cannot start it fails.
#include <gtest/gtest.h>

#include "html/load/html_reader.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/buttons.h"
#include "platform/gui/edit.h"
#include "platform/gui/list_box.h"
#include "platform/gui/panel.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/window.h"
#include "tests/html/doc/form_test_util.h"
#include "tests/support/fonts_env.h"
#include "tests/support/screenshot.h"
#include "tests/support/xvfb_session.h"

namespace {

using xvfb::PumpUntil;
using xvfb::Xdotool;

// These tests need a real window: without an X server they fail rather than skip.
class FormXvfbTest : public xvfb::TSuiteTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(session && session->Up()) << "Xvfb with xdotool could not be started";
    }
};

} // namespace

TEST_F(FormXvfbTest, PaintedControlsGetWidgetsAndReportClicks) {
    TWindow window;
    window.SetCaption("Folio form test");
    window.SetBounds(40, 40, 400, 200);
    TPanel paintPanel;
    paintPanel.SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    paintPanel.SetParent(&window);
    paintPanel.SetAlign(TAlign::alClient);
    TFormPage page(&paintPanel);
    page.Listen();
    page.Read(R"(<form><input type=button name=b value="&1 Directory" onclick="create">
                 <input name=q value=text><input type=radio name=r value=1>
                 <input type=submit name=go value=Go><input type=hidden name=h value=x></form>)");
    window.Show();
    ASSERT_NE(paintPanel.Peer(), nullptr);
    // Before a paint places them the controls wait above the panel.
    TCanvas canvas(400, 200);
    page.Doc.Forms[0]->FitAll(canvas);
    page.Named("b")->DrawAt(canvas, 10, 10);
    page.Named("q")->DrawAt(canvas, 10, 60);
    page.Named("r")->DrawAt(canvas, 10, 100);
    page.Named("go")->DrawAt(canvas, 100, 140);
    for (const char* n : {"b", "q", "r", "go"}) {
        TControl* w = page.Named(n)->Widget();
        EXPECT_NE(w->Peer(), nullptr) << n;
        EXPECT_TRUE(w->Showing()) << n;
    }
    EXPECT_NE(page.Get<TRadioButtonFormControlObj>("r")->Radio().Peer(), nullptr);
    ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Folio form test$"}))
        << "the window was not mapped";

    // A click in the middle of the button (the window sits where it was put: no window
    // manager) reaches the object-click event with the onclick text.
    TControl* b = page.Named("b")->Widget();
    const int bx = 40 + b->Left() + b->Width() / 2, by = 40 + b->Top() + b->Height() / 2;
    ASSERT_TRUE(
        Xdotool({"mousemove", "--sync", std::to_string(bx), std::to_string(by), "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return !page.Clicks.empty(); }));
    EXPECT_EQ(page.Clicks, (std::vector<std::string>{"create"}));

    // The radio button in its frame takes a click too.
    TControl* r = page.Named("r")->Widget();
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", std::to_string(40 + 16),
                         std::to_string(40 + r->Top() + 7), "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return page.Clicks.size() == 2; }));
    EXPECT_TRUE(page.Get<TRadioButtonFormControlObj>("r")->Checked());

    // Alt+1 presses the button through the access key of its caption.
    ASSERT_TRUE(Xdotool({"key", "alt+1"}));
    EXPECT_TRUE(PumpUntil([&] { return page.Clicks.size() == 3; }));

    // The submit button hands over every pair, its own last.
    TControl* go = page.Named("go")->Widget();
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", std::to_string(40 + go->Left() + go->Width() / 2),
                         std::to_string(40 + go->Top() + go->Height() / 2), "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return !page.Submits.empty(); }));
    ASSERT_EQ(page.Submits.size(), 1u);
    EXPECT_EQ(page.Submits[0].Results, (std::vector<std::string>{"q=text", "r=1", "h=x", "go=Go"}));

    // Typing in the text box and pressing Enter submits without a button pair.
    TControl* q = page.Named("q")->Widget();
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", std::to_string(40 + q->Left() + q->Width() - 4),
                         std::to_string(40 + q->Top() + q->Height() / 2), "click", "1", "key",
                         "End", "type", "--delay", "5", "!"}));
    EXPECT_TRUE(PumpUntil([&] {
        return page.Get<TEditFormControlObj>("q")->Edit().Text() == "text!";
    })) << page.Get<TEditFormControlObj>("q")->Edit().Text();
    ASSERT_TRUE(Xdotool({"key", "Return"}));
    EXPECT_TRUE(PumpUntil([&] { return page.Submits.size() == 2; }));
    ASSERT_EQ(page.Submits.size(), 2u);
    EXPECT_EQ(page.Submits[1].Results, (std::vector<std::string>{"q=text!", "r=1", "h=x"}));
    window.Hide();
}

TEST_F(FormXvfbTest, LayoutAndPaintPlaceTheWidgetsAndScrollingHidesThem) {
    TWindow window;
    window.SetCaption("Folio form page test");
    window.SetBounds(40, 40, 400, 200);
    TPanel paintPanel;
    paintPanel.SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    paintPanel.SetParent(&window);
    paintPanel.SetAlign(TAlign::alClient);
    TFormPage page(&paintPanel);
    page.Listen();
    TSectionList& doc = page.Doc;
    doc.SetDefaults("Times New Roman", "Courier New", 12, clBlack, clBlue, clPurple, clBlue, false,
                    clBtnFace, true, 10, 5, 0);
    const std::string html = R"(<p>Top <input name=q value=first>
<table border=1><tr><td>Cell</td><td><input type=button name=b value="&Create"
onclick="create"></td></tr></table>
<p style="margin-top: 400px">Far below <input name=far value=x>)";
    ParseHTMLDocument(doc, THtmlSource::Text(html), TReaderHost{});
    for (TFormControlObj* c : doc.Controls)
        page.All.push_back(c);
    window.Show();
    TCanvas canvas(400, 200);
    int32_t needed = 0, chars = 0;
    doc.LayOut(canvas, 0, 400, 200, needed, chars);
    doc.ScrollTo(0);
    doc.DrawCell(canvas, Rect(0, 0, 400, 200), 400, 0, 0, 0, 0);
    TFormControlObj* q = page.Named("q");
    TFormControlObj* b = page.Named("b");
    TFormControlObj* far = page.Named("far");
    ASSERT_TRUE(q && b && far);
    EXPECT_TRUE(q->Widget()->Showing());
    EXPECT_TRUE(b->Widget()->Showing());
    EXPECT_NE(b->Widget()->Peer(), nullptr);
    // Laid out below the band: never placed, hidden after the layout.
    EXPECT_FALSE(far->Shown);
    EXPECT_FALSE(far->Widget()->Visible());
    ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Folio form page test$"}))
        << "the window was not mapped";
    TControl* w = b->Widget();
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", std::to_string(40 + w->Left() + w->Width() / 2),
                         std::to_string(40 + w->Top() + w->Height() / 2), "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return !page.Clicks.empty(); }));
    EXPECT_EQ(page.Clicks, (std::vector<std::string>{"create"}));

    // Scrolled down, the controls at the top are no longer drawn; the clicked button has the
    // focus, so they stay shown far to the left, where Tab still reaches them. The one far
    // below comes into the band.
    EXPECT_TRUE(PumpUntil([&] { return b->Widget()->Focused(); }));
    doc.ScrollTo(far->DocY - 50);
    doc.DrawCell(canvas, Rect(0, 0, 400, 200), 400, 0, far->DocY - 50, 0, 0);
    EXPECT_TRUE(far->Widget()->Showing());
    for (TFormControlObj* c : {q, b}) {
        EXPECT_TRUE(c->Widget()->Visible()) << c->Name;
        EXPECT_EQ(c->Widget()->Left(), -4000) << c->Name;
    }
    // The focus leaves the document: the next scroll hides them.
    window.SetActiveControl(nullptr);
    doc.ScrollTo(far->DocY - 40);
    doc.DrawCell(canvas, Rect(0, 0, 400, 200), 400, 0, far->DocY - 40, 0, 0);
    EXPECT_FALSE(q->Widget()->Visible());
    EXPECT_FALSE(b->Widget()->Visible());
    EXPECT_TRUE(far->Widget()->Showing());
    window.Hide();
}

TEST_F(FormXvfbTest, BrowseOpensTheFileDialogAndLongListsScroll) {
    TScriptedDialogs dialogs;
    TDialogProviderScope scope(dialogs);
    const std::string chosen = "/home/ann/report.txt";
    TWindow window;
    window.SetCaption("Folio file form test");
    window.SetBounds(40, 40, 500, 260);
    TPanel paintPanel;
    paintPanel.SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    paintPanel.SetParent(&window);
    paintPanel.SetAlign(TAlign::alClient);
    paintPanel.Color = clWhite;
    TFormPage page(&paintPanel);
    page.Listen();
    std::string many;
    for (int i = 0; i < 12; ++i)
        many += "<option>item " + std::to_string(i);
    page.Read("<form><input type=file name=up onclick=browse>"
              "<select name=many multiple>" +
              many +
              "</select>"
              "<select name=few multiple><option>one<option>two</select></form>");
    window.Show();
    TCanvas canvas(500, 260);
    page.Doc.Forms[0]->FitAll(canvas);
    auto* up = page.Get<TFileFormControlObj>("up");
    auto* list = page.Get<TListBoxFormControlObj>("many");
    auto* few = page.Get<TListBoxFormControlObj>("few");
    up->DrawAt(canvas, 10, 10, clWhite);
    list->DrawAt(canvas, 10, 60);
    few->DrawAt(canvas, 200, 60);
    ASSERT_NE(up->Edit().Peer(), nullptr);
    ASSERT_NE(up->BrowseButton().Peer(), nullptr);
    ASSERT_NE(list->ListBox().Peer(), nullptr);
    ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Folio file form test$"}))
        << "the window was not mapped";

    // The picture a person sees: the list with more items than rows has its bar, the short
    // one has none (its right edge is the white of its items).
    Application().ProcessMessages();
    TCanvas shot(window.Width(), window.Height());
    ASSERT_TRUE(folio_test::SaveScreenshot(
        window, folio_test::ScreensDir() + "/form-file-lists.png", shot));
    auto rightEdge = [&](TFormControlObj* c) {
        TControl* w = c->Widget();
        return shot.GetPixel(w->Left() + w->Width() - 8, w->Top() + w->Height() / 2);
    };
    EXPECT_NE(rightEdge(list), clWhite);
    EXPECT_EQ(rightEdge(few), clWhite);

    // A click on the Browse button in the window opens the open-file dialog (answered by the
    // script; the toolkit's own dialogs have their tests) and the chosen name lands in the box.
    dialogs.AnswerOpen(chosen);
    ASSERT_TRUE(xvfb::ClickAt(xvfb::ScreenCentre(up->BrowseButton())));
    EXPECT_TRUE(PumpUntil([&] { return up->Edit().Text() == chosen; })) << up->Edit().Text();
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].Kind, TDialogKind::OpenFile);
    EXPECT_TRUE(dialogs.AllAnswered());
    EXPECT_EQ(page.Clicks, (std::vector<std::string>{"browse"}));

    // The wheel over the long list scrolls it; the control follows the widget.
    EXPECT_EQ(list->ListBox().TopIndex(), 0);
    const TPoint lc = xvfb::ScreenCentre(list->ListBox());
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", std::to_string(lc.X), std::to_string(lc.Y), "click",
                         "--repeat", "3", "5"}));
    EXPECT_TRUE(PumpUntil([&] { return list->ListBox().TopIndex() > 0; }))
        << list->ListBox().TopIndex();
    // Keys move the selection and bring it into view.
    list->ListBox().SetFocus();
    ASSERT_TRUE(Xdotool({"key", "End"}));
    EXPECT_TRUE(PumpUntil([&] { return list->ListBox().ItemIndex() == 11; }));
    EXPECT_EQ(list->ListBox().TopIndex(), 8);
    window.Hide();
}
