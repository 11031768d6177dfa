// The viewer in a real X server: it paints, takes the focus and keys, scrolls with the wheel,
// follows a clicked link and hands Ctrl+C to the clipboard. Each run starts its own Xvfb
// (skipped when Xvfb or xdotool is missing).
#include <gtest/gtest.h>

#include "html/doc/form_control.h"
#include "html/view/html_viewer.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/window.h"
#include "tests/support/fonts_env.h"
#include "tests/support/xvfb_session.h"

namespace {

using xvfb::PumpUntil;
using xvfb::Xdotool;

using ViewerXvfbTest = xvfb::TSuiteTest;

} // namespace

TEST_F(ViewerXvfbTest, ShowsScrollsFollowsLinksAndCopies) {
    TWindow window;
    window.SetCaption("Folio viewer test");
    window.SetBounds(40, 40, 400, 300);
    THTMLViewer viewer;
    viewer.SetParent(&window);
    viewer.SetAlign(TAlign::alClient);
    std::string page = "<p><a href=\"#end\">to the end</a> <input name=q value=x></p>";
    for (int i = 0; i < 80; ++i)
        page += "<p>Line " + std::to_string(i) + "</p>";
    page += "<p id=\"end\">end</p>";
    viewer.ShowHtmlString(page);
    window.Show();
    ASSERT_NE(viewer.PaintPanel().Peer(), nullptr);
    ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Folio viewer test$"}));
    ASSERT_TRUE(viewer.VScrollBar().Visible());
    ASSERT_NE(viewer.VScrollBar().Peer(), nullptr);
    // The first paint places the edit box and records the link's place.
    TControl* edit = viewer.Document().Controls.front()->Widget();
    EXPECT_TRUE(PumpUntil([&] { return edit->Showing(); }));

    // A click on the link text follows it inside the page.
    TCanvas canvas(1, 1);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(viewer.Document().CaretPoint(canvas, 2, x, y));
    const int ox = 40 + viewer.PaintPanel().Left() + 1, oy = 40 + viewer.PaintPanel().Top() + 1;
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", std::to_string(ox + x + 2),
                         std::to_string(oy + y + 4), "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return viewer.PixelPosition() > 0; }));
    EXPECT_TRUE(viewer.PaintPanel().Focused());

    // Home, then the wheel and the arrow keys.
    ASSERT_TRUE(Xdotool({"key", "Home"}));
    EXPECT_TRUE(PumpUntil([&] { return viewer.PixelPosition() == 0; }));
    ASSERT_TRUE(Xdotool(
        {"mousemove", "--sync", std::to_string(ox + 100), std::to_string(oy + 150), "click", "5"}));
    EXPECT_TRUE(PumpUntil([&] { return viewer.PixelPosition() == 60; }));
    ASSERT_TRUE(Xdotool({"key", "Down"}));
    EXPECT_TRUE(PumpUntil([&] { return viewer.PixelPosition() == 76; }));

    // Ctrl+A and Ctrl+C put the page's text on the clipboard.
    SetClipboardText("");
    ASSERT_TRUE(Xdotool({"key", "ctrl+a", "ctrl+c"}));
    EXPECT_TRUE(PumpUntil([&] { return ClipboardText().find("Line 79") != std::string::npos; }));
    window.Hide();
}
