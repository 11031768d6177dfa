// The book window under the mouse in a real X server: the pages' context menu, frame borders
// dragged with the mouse, and a link to a missing page clicked while F5 is pressed in the error
// dialog it brings up (the real toolkit dialog, with its own loop). The sanitizer build runs
// these too: a page freed while its click is still being handled shows up there.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <functional>

#include <memory>
#include <string>

// Before the X11 headers the screenshots bring, which define Status as a macro.
#include "tests/support/shell_run.h"

#include "bookreader/reader_window.h"
#include "bookreader/site_book.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/application.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/timer.h"
#include "tests/bookreader/archive_builder.h"
#include "tests/support/files.h"
#include "tests/support/screenshot.h"
#include "tests/support/temp_dir.h"
#include "tests/support/xvfb_session.h"

using xvfb::PumpUntil;
using xvfb::Xdotool;

namespace {

[[maybe_unused]] const bool xvfbForAll = xvfb::UseProgramSession();

TArchiveBytes MenuBook() {
    TArchiveBytes a;
    a.Member("/site/index.html",
             "<html><head><title>Menu home</title></head><body>"
             "<h1><a href=\"missing.html\">A link to a missing page</a></h1>"
             "<p>The compost heap warms in spring and the beds are dug.</p></body></html>")
        .Member("/site/frames.html", "<html><head><title>Framed</title></head>"
                                     "<frameset cols=\"35%,*\"><frame src=left.html name=left>"
                                     "<frame src=right.html name=right></frameset></html>")
        .Member("/site/left.html", "<body><p>Left frame</p></body>")
        .Member("/site/right.html", "<body><p>Right frame</p></body>")
        .Member("/builder/folioauthor.html",
                "homepage=/site/index.html\r\ncaption=Menu book\r\npassword=\r\niconfile=\r\n")
        .End();
    return a;
}

// The screen position of (x, y) in control (no window manager: windows sit where they are put).
TPoint OnScreen(const TControl& control, int x, int y) {
    for (const TControl* c = &control; c; c = c->Parent()) {
        x += c->Left();
        y += c->Top();
    }
    return {x, y};
}

// Panel coordinates inside the character at a document index, as laid out.
TPoint CharPoint(THTMLViewer& v, int32_t index) {
    TCanvas canvas(1, 1);
    int32_t x = 0, y = 0;
    EXPECT_TRUE(v.Document().CaretPoint(canvas, index, x, y)) << index;
    return Point(x + 2, y - v.PixelPosition() + 8);
}

std::string Num(int v) {
    return std::to_string(v);
}

// Acts from inside the next modal loop (a menu or a dialog waiting for the user): the loop runs
// the application's timers, so the action sees the menu or dialog up, never before.
class TInModalLoop {
public:
    explicit TInModalLoop(std::function<void()> action) : action_(std::move(action)) {
        timer_.SetInterval(50);
        timer_.OnTimer = [this](TTimer& t) {
            if (Application().ModalLevel() == 0)
                return;
            t.SetEnabled(false);
            ++ran_;
            action_();
        };
        timer_.SetEnabled(true);
    }
    ~TInModalLoop() {
        if (keys_ > 0)
            xvfb::PumpUntil([&] { return waitpid(keys_, nullptr, WNOHANG) == keys_; });
    }
    int Ran() const { return ran_; }
    // Presses keys with xdotool, without waiting for it (the loop that waits is the menu's).
    void Keys(std::vector<std::string> keys) {
        keys.insert(keys.begin(), {"xdotool", "key", "--delay", "150"});
        keys_ = xvfb::Spawn(keys);
    }

private:
    std::function<void()> action_;
    TTimer timer_;
    int ran_ = 0;
    pid_t keys_ = -1;
};

class ReaderMouseTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(xvfb::ProgramSessionUp()) << "no Xvfb with xdotool";
        env.StateDir = tmp.Path() + "/state";
        folio_test::WriteFile(bookPath, MenuBook().Book("TEMPLATE-BYTES"));
        book = std::make_unique<TSiteBook>(bookPath);
    }
    void TearDown() override {
        if (window)
            window->Hide();
        window.reset();
        Application().ProcessMessages();
    }
    void Open(const std::string& page = {}) {
        window = std::make_unique<TReaderWindow>(*book, env);
        window->Show();
        ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Menu book$"}));
        window->OpenFirstPage(page);
        PumpUntil([] { return false; }, 150); // the first paint
    }
    THTMLViewer& Active() { return *window->Viewer().ActiveViewer(); }

    folio_test::TempDir tmp;
    std::string bookPath = tmp.Path() + "/menubook";
    std::unique_ptr<TSiteBook> book;
    TReaderWindowEnvironment env;
    std::unique_ptr<TReaderWindow> window;
};

TEST_F(ReaderMouseTest, TheContextMenusCopyPutsTheSelectionOnTheClipboard) {
    Open();
    THTMLViewer& v = Active();
    v.SetSelection(0, 6);
    SetClipboardText("");
    const TPoint p = OnScreen(v.PaintPanel(), 200, 120); // over the paragraph, not the link
    std::unique_ptr<TInModalLoop> then;
    then = std::make_unique<TInModalLoop>([&] { then->Keys({"c"}); });
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", Num(p.X), Num(p.Y), "click", "3"}));
    ASSERT_TRUE(PumpUntil([] { return ClipboardText().rfind("A link", 0) == 0; }))
        << "clipboard: " << ClipboardText();
    EXPECT_FALSE(window->ContextMenu.Menu.IsOpen());
    // It was opened where the pointer was, for the page there (no link, no picture).
    EXPECT_EQ(window->ContextMenu.Menu.PopupControl(), &v.PaintPanel());
    EXPECT_EQ(window->ContextMenu.Link(), "");
    EXPECT_GE(window->ContextMenu.Menu.IndexOf("Copy"), 0);
    EXPECT_EQ(window->ContextMenu.Menu.IndexOf("Copy link address"), -1);

    // Over the link the menu offers its address.
    const TPoint at = CharPoint(v, 3);
    const TPoint onLink = OnScreen(v.PaintPanel(), at.X, at.Y);
    then = std::make_unique<TInModalLoop>([&] { then->Keys({"l"}); });
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", Num(onLink.X), Num(onLink.Y), "click", "3"}));
    ASSERT_TRUE(PumpUntil([] { return ClipboardText() == "missing.html"; }))
        << "clipboard: " << ClipboardText();
    EXPECT_EQ(window->Viewer().CurrentFile(), "index.html");

    // The Menu key opens it for what is under the pointer; Escape closes it choosing nothing.
    window->ContextMenu.Menu.Clear();
    std::string shownFor = "(not shown)";
    then = std::make_unique<TInModalLoop>([&] {
        shownFor = window->ContextMenu.Link();
        then->Keys({"Escape"});
    });
    ASSERT_TRUE(Xdotool({"key", "Menu"}));
    ASSERT_TRUE(PumpUntil([&] { return then->Ran() == 1; }));
    then.reset();
    EXPECT_EQ(shownFor, "missing.html");
    EXPECT_EQ(ClipboardText(), "missing.html");
    EXPECT_EQ(Application().ModalLevel(), 0);
}

TEST_F(ReaderMouseTest, AFrameBorderDragsWithTheMouse) {
    Open("frames.html");
    TfvFrame* left = window->Viewer().FrameByName("left");
    ASSERT_NE(left, nullptr);
    TFrameSet& set = window->Viewer().CurFrameSet();
    const int before = left->Width();
    const int border = set.Positions()[1];
    const TPoint grab = OnScreen(set, border - 1, set.Height() / 2);
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", Num(grab.X), Num(grab.Y)}));
    ASSERT_TRUE(PumpUntil([&] { return left->Cursor == TCursor::crHSplit; }))
        << "no split cursor over the border: cursor " << static_cast<int>(left->Cursor)
        << " border " << border << " left frame " << left->Left() << "+" << left->Width()
        << " bevel " << left->BevelWidth() << " grab " << grab.X << "," << grab.Y << " window "
        << window->Left() << "," << window->Top();
    ASSERT_TRUE(Xdotool({"mousedown", "1", "sleep", "0.1", "mousemove", "--sync", Num(grab.X + 60),
                         Num(grab.Y), "sleep", "0.2"}));
    ASSERT_TRUE(PumpUntil([&] { return set.DragLine() != nullptr; })) << "no drag line";
    EXPECT_TRUE(PumpUntil([&] { return set.DragPos() == border - 1 + 60; })) << set.DragPos();
    // The drag line is on the screen, over the right frame's white page.
    PumpUntil([] { return false; }, 150);
    TCanvas shot(window->Width(), window->Height());
    ASSERT_TRUE(
        folio_test::SaveScreenshot(*window, folio_test::ScreensDir() + "/reader-drag.png", shot));
    const TPoint line = OnScreen(set, set.DragPos(), set.Height() / 3);
    EXPECT_EQ(shot.GetPixel(line.X - window->Left(), line.Y - window->Top()), clBlack);
    EXPECT_NE(shot.GetPixel(line.X - window->Left() + 6, line.Y - window->Top()), clBlack);
    ASSERT_TRUE(Xdotool({"mouseup", "1"}));
    ASSERT_TRUE(PumpUntil([&] { return set.DraggingSet == nullptr; }));
    EXPECT_TRUE(PumpUntil([&] { return left->Width() == before + 59; }))
        << "left frame " << left->Width() << " was " << before;
    EXPECT_EQ(set.DragLine(), nullptr);
}

// The sequence found under the sanitizers: the error dialog of a clicked link runs its own
// loop while the click is being handled, and F5 there reloads the page.
TEST_F(ReaderMouseTest, F5InTheErrorDialogOfAClickedLinkReloadsOnlyAfterTheDialogCloses) {
    Open();
    THTMLViewer* clicked = &Active();
    int loads = 0;
    auto processing = window->Viewer().OnProcessing;
    window->Viewer().OnProcessing = [&](TObject* sender, bool on) {
        loads += on;
        if (processing)
            processing(sender, on);
    };
    // While the dialog is up: F5 on the keyboard, and F5 as the window takes it (however the
    // toolkit routes keys while a dialog is up), then Return closes the dialog.
    TInModalLoop inDialog([&] {
        window->PreviewKey(VK_F5, 0);
        inDialog.Keys({"F5", "Return"});
    });
    const TPoint at = CharPoint(*clicked, 3);
    const TPoint link = OnScreen(clicked->PaintPanel(), at.X, at.Y);
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", Num(link.X), Num(link.Y)}));
    ASSERT_TRUE(PumpUntil([&] { return clicked->URL() == "missing.html"; })) << "not on the link";
    const int loadsBefore = loads;
    ASSERT_TRUE(Xdotool({"click", "1"}));
    ASSERT_TRUE(PumpUntil([&] { return inDialog.Ran() == 1; })) << "the error dialog did not show";
    ASSERT_TRUE(PumpUntil([&] { return loads > loadsBefore; })) << "the reload never ran";
    EXPECT_EQ(Application().ModalLevel(), 0);
    EXPECT_EQ(window->Viewer().CurrentFile(), "index.html");
    EXPECT_TRUE(window->Shown());
}

} // namespace
