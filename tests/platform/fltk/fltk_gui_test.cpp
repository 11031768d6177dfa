// The FLTK peers in a real X server: each test run starts its own Xvfb (skipped when Xvfb is
// not installed) and drives the window with xdotool.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/fltk/fltk_dialogs.h"
#include "platform/fltk/fltk_gui.h"
#include "platform/fltk/fltk_message_box.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/application.h"
#include "platform/gui/buttons.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/list_box.h"
#include "platform/gui/memo.h"
#include "platform/gui/paint_box.h"
#include "platform/gui/scroll_bar.h"
#include "platform/gui/timer.h"
#include "platform/gui/window.h"
#include "tests/support/xvfb_session.h"

namespace {

using xvfb::Clock;
using xvfb::PumpUntil;
using xvfb::Spawn;
using xvfb::Xdotool;

using XvfbTest = xvfb::TSuiteTest;

struct TTestWindow : TWindow {
    TButton go;
    TListBox list;
    TEdit edit;
    TPaintBox paint;
    TCheckBox check;
    TMemo memo;
    TScrollBar bar{TScrollBarKind::sbVertical};
    TComboBox combo;
    int clicks = 0;
    int listClicks = 0;
    int paints = 0;
    std::vector<TPoint> downs;
    TTestWindow() {
        SetCaption("Folio GUI test");
        SetBounds(40, 40, 300, 240);
        go.SetParent(this);
        go.SetBounds(10, 10, 100, 25);
        go.SetCaption("&Go");
        go.OnClick = [this](TControl&) { ++clicks; };
        list.SetParent(this);
        list.SetBounds(10, 50, 150, 120);
        list.SetMultiSelect(true);
        std::vector<std::string> items;
        for (int i = 0; i < 20; ++i)
            items.push_back("item " + std::to_string(i));
        list.SetItems(items);
        list.OnClick = [this](TControl&) { ++listClicks; };
        edit.SetParent(this);
        edit.SetBounds(10, 190, 150, 24);
        edit.SetMaxLength(3);
        paint.SetParent(this);
        paint.SetBounds(170, 10, 40, 40);
        paint.OnPaint = [this](TPaintBox&, TCanvas& c, const TRect&) {
            ++paints;
            c.Brush.Color = clRed;
            c.FillRect(Rect(0, 0, 40, 40));
        };
        paint.OnMouseDown = [this](TControl&, TMouseButton b, TShiftState, int x, int y) {
            if (b == TMouseButton::mbLeft)
                downs.push_back(Point(x, y));
        };
        check.SetParent(this);
        check.SetBounds(170, 60, 80, 20);
        check.SetCaption("&Check");
        memo.SetParent(this);
        memo.SetBounds(170, 90, 90, 60);
        bar.SetParent(this);
        bar.SetBounds(270, 10, 16, 150);
        bar.SmallChange = 16;
        bar.SetParams(0, 0, 1000, 101);
        combo.SetParent(this);
        combo.SetBounds(170, 190, 110, 24);
        combo.SetItems({"one", "two"});
        auto icon = std::make_shared<TBitmap>(16, 16, pf24bit);
        icon->SetPixel(3, 3, clRed);
        SetIcon(icon);
    }
};

TEST_F(XvfbTest, ClicksKeysAndTypingReachTheControls) {
    TTestWindow w;
    w.Show();
    ASSERT_NE(w.Peer(), nullptr);
    ASSERT_NE(w.go.Peer(), nullptr);
    ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Folio GUI test$"}))
        << "the window was not mapped";

    // A click on the button (no window manager: the window sits exactly where it was put).
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", "100", "62", "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return w.clicks == 1; })) << "clicks: " << w.clicks;

    // A click on the first item, then Shift+click further down selects the range.
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", "90", "98", "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return w.listClicks == 1; }));
    EXPECT_EQ(w.list.ItemIndex(), 0);
    EXPECT_TRUE(w.list.Focused());
    ASSERT_TRUE(Xdotool(
        {"mousemove", "--sync", "90", "160", "keydown", "shift", "click", "1", "keyup", "shift"}));
    EXPECT_TRUE(PumpUntil([&] { return w.listClicks == 2; }));
    EXPECT_GT(w.list.ItemIndex(), 0);
    EXPECT_EQ(w.list.SelCount(), w.list.ItemIndex() + 1);

    // Alt+G presses the button through its access key.
    ASSERT_TRUE(Xdotool({"key", "alt+g"}));
    EXPECT_TRUE(PumpUntil([&] { return w.clicks == 2; })) << "clicks: " << w.clicks;

    // Typing into the edit box stops at its maximum length.
    ASSERT_TRUE(Xdotool(
        {"mousemove", "--sync", "80", "242", "click", "1", "type", "--delay", "5", "abcd"}));
    EXPECT_TRUE(PumpUntil([&] { return w.edit.Text() == "abc"; })) << w.edit.Text();
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(w.edit.Text(), "abc");

    // The paint box was drawn through its handler and reports clicks in its own coordinates.
    EXPECT_GT(w.paints, 0);
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", "215", "57", "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return !w.downs.empty(); }));
    ASSERT_EQ(w.downs.size(), 1u);
    EXPECT_EQ(w.downs[0], Point(5, 7));

    // The check box toggles, the memo takes typed lines, the scroll bar's arrow scrolls.
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", "218", "110", "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return w.check.Checked(); }));
    ASSERT_TRUE(
        Xdotool({"mousemove", "--sync", "230", "150", "click", "1", "type", "--delay", "5", "hi"}));
    EXPECT_TRUE(PumpUntil([&] { return w.memo.Lines() == std::vector<std::string>{"hi"}; }));
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", "318", "192", "click", "1"}));
    EXPECT_TRUE(PumpUntil([&] { return w.bar.Position() > 0; }));
    EXPECT_LE(w.bar.Position(), w.bar.MaxPosition());

    // Changes from code reach the widgets without echoing back as user events.
    w.combo.SetItemIndex(1);
    w.list.SetItems({"fresh"});
    w.memo.SetText("from code");
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(w.memo.Lines(), std::vector<std::string>{"from code"});
    EXPECT_EQ(w.list.SelCount(), 0);

    // Maximised fills the screen (800 x 600, no window manager) and keeps the normal placement.
    w.SetWindowState(TWindowState::wsMaximized);
    EXPECT_TRUE(PumpUntil([&] { return w.Width() == 800; })) << w.Width();
    EXPECT_EQ(w.NormalBounds(), Bounds(40, 40, 300, 240));
    w.SetWindowState(TWindowState::wsNormal);
    EXPECT_EQ(w.BoundsRect(), Bounds(40, 40, 300, 240));

    w.Hide();
    EXPECT_EQ(w.go.Peer(), nullptr);
    EXPECT_EQ(w.memo.Peer(), nullptr);
    // Showing again makes new widgets for the same controls.
    w.Show();
    EXPECT_NE(w.memo.Peer(), nullptr);
    PumpUntil([] { return false; }, 50);
    w.Hide();
}

// The window's shortcuts see keys before the focused widget, whichever it is; keys they leave
// go on as before.
TEST_F(XvfbTest, ShortcutsReachTheWindowBeforeTheFocusedControl) {
    TTestWindow w;
    std::vector<std::pair<int, TShiftState>> seen;
    w.OnShortcut = [&](TWindow&, int& key, TShiftState shift) {
        if (key == VK_F5 || key == VK_OEM_PLUS || key == VK_OEM_MINUS || key == VK_LEFT ||
            (key == 'Q' && (shift & ssCtrl))) {
            seen.emplace_back(key, shift & (ssCtrl | ssAlt));
            key = 0;
        }
    };
    w.Show();
    ASSERT_TRUE(Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Folio GUI test$"}));
    // Focus in the edit box: typed letters still reach it, the shortcuts do not.
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", "80", "242", "click", "1", "type", "ab"}));
    ASSERT_TRUE(PumpUntil([&] { return w.edit.Text() == "ab"; })) << w.edit.Text();
    ASSERT_TRUE(Xdotool({"key", "F5", "ctrl+equal", "ctrl+minus", "alt+Left", "ctrl+q"}));
    const std::vector<std::pair<int, TShiftState>> want{
        {VK_F5, 0}, {VK_OEM_PLUS, ssCtrl}, {VK_OEM_MINUS, ssCtrl}, {VK_LEFT, ssAlt}, {'Q', ssCtrl}};
    EXPECT_TRUE(PumpUntil([&] { return seen.size() >= want.size(); }));
    EXPECT_EQ(seen, want);
    EXPECT_EQ(w.edit.Text(), "ab");
    // Focus on the paint box (the viewer's kind of widget): the same.
    seen.clear();
    ASSERT_TRUE(Xdotool({"mousemove", "--sync", "215", "57", "click", "1", "key", "F5"}));
    EXPECT_TRUE(PumpUntil([&] { return seen.size() == 1; }));
    // Alt+G, which the shortcuts leave, still presses the button.
    ASSERT_TRUE(Xdotool({"key", "alt+g"}));
    EXPECT_TRUE(PumpUntil([&] { return w.clicks == 1; }));
    w.Hide();
}

TEST_F(XvfbTest, EscapeEndsAModalLoopWithCancel) {
    TTestWindow w;
    w.SetCaption("Folio modal test");
    pid_t closer =
        Spawn({"xdotool", "search", "--sync", "--onlyvisible", "--name", "^Folio modal test$",
               "mousemove", "--sync", "200", "100", "key", "Escape"});
    ASSERT_GT(closer, 0);
    // Should the key never arrive, the loop still ends, with a result the test rejects.
    constexpr int timedOut = 99;
    TTimer guard(Application());
    guard.SetInterval(4000);
    guard.OnTimer = [&](TTimer&) { w.ModalResult = timedOut; };
    int result = w.ShowModal();
    int status;
    waitpid(closer, &status, 0);
    EXPECT_EQ(result, mrCancel);
    EXPECT_FALSE(w.Shown());
}

// Should an answer go astray, a dialog would wait forever: after a while this presses Escape
// over whatever is shown until the test is over, so the test fails instead of hanging.
class TDialogWatchdog {
public:
    TDialogWatchdog()
        : thread_([this] {
              auto end = Clock::now() + std::chrono::seconds(10);
              while (!done_) {
                  if (Clock::now() > end) {
                      pid_t p = Spawn({"xdotool", "key", "Escape"});
                      int status;
                      if (p > 0)
                          waitpid(p, &status, 0);
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(100));
              }
          }) {}
    ~TDialogWatchdog() {
        done_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

// Answers the next dialog titled title by pointing at it and pressing keys.
pid_t AnswerDialog(const std::string& title, const std::vector<std::string>& keys) {
    std::vector<std::string> args{"xdotool",   "search",
                                  "--sync",    "--onlyvisible",
                                  "--name",    "^" + title + "$",
                                  "mousemove", "--window",
                                  "%1",        "20",
                                  "20"};
    args.insert(args.end(), keys.begin(), keys.end());
    return Spawn(args);
}

void Reap(pid_t pid) {
    int status;
    if (pid > 0)
        waitpid(pid, &status, 0);
}

TEST_F(XvfbTest, FltkDialogsReturnWhatTheUserAnswered) {
    TFltkDialogs dialogs;
    std::string savedTitle = Application().Title;
    Application().Title = "Folio dialog test";

    TDialogWatchdog watchdog;
    pid_t p = AnswerDialog("Folio input", {"key", "M", "y", "space", "B", "o", "o", "k", "Return"});
    auto title = dialogs.InputQuery("Folio input", "Enter book title:", "");
    Reap(p);
    EXPECT_EQ(title, std::optional<std::string>("My Book"));

    p = AnswerDialog("Folio input", {"key", "Escape"});
    EXPECT_EQ(dialogs.InputQuery("Folio input", "Enter password:", "x"), std::nullopt);
    Reap(p);

    p = AnswerDialog("Folio dialog test", {"key", "Return"});
    EXPECT_TRUE(dialogs.Confirm("Overwrite the book?"));
    Reap(p);
    p = AnswerDialog("Folio dialog test", {"key", "Escape"});
    EXPECT_FALSE(dialogs.Confirm("Overwrite the book?"));
    Reap(p);

    p = AnswerDialog("Folio dialog test", {"key", "Return"});
    dialogs.ShowMessage("Site book created", TMsgKind::Information); // returns once dismissed
    Reap(p);
    Application().Title = savedTitle;
}

// Messages fit the screen: a long text wraps, and a list too long for the box scrolls under
// its first line instead of growing past the screen's edges.
TEST_F(XvfbTest, MessageBoxesWrapAndScrollWithinTheScreen) {
    TDialogWatchdog watchdog;
    TFltkDialogs dialogs;
    const TRect screen = Application().ScreenWorkArea();
    const auto shapeOf = [&](const std::string& text) {
        TShownMessageBox shape;
        bool seen = false;
        Application().QueueCall([&] {
            seen = ShownFltkMessageBox(shape);
            CloseFltkMessageBox(0);
        });
        dialogs.ShowMessage(text, TMsgKind::Warning);
        EXPECT_TRUE(seen);
        return shape;
    };

    const TShownMessageBox small = shapeOf("Site book created");
    EXPECT_FALSE(small.Scrolls);
    EXPECT_LT(small.Width, 400);
    EXPECT_LT(small.Height, 150);

    std::string sentence;
    for (int i = 0; i < 15; ++i)
        sentence += "a long sentence without a line break ";
    const TShownMessageBox wrapped = shapeOf(sentence);
    EXPECT_FALSE(wrapped.Scrolls);
    EXPECT_LE(wrapped.Width, 700) << "a long line wraps at a readable width";
    EXPECT_GT(wrapped.Height, small.Height) << "the text takes several lines";

    std::string list = "300 file names occur more than once:";
    for (int i = 0; i < 300; ++i)
        list += "\n  /home/someone/site/a/very/deep/folder/of/pictures/number" + std::to_string(i) +
                "/index.html, /home/someone/site/other/index.html";
    const TShownMessageBox scrolling = shapeOf(list);
    EXPECT_TRUE(scrolling.Scrolls);
    EXPECT_LE(scrolling.Width, screen.Width());
    EXPECT_LE(scrolling.Height, screen.Height());
    EXPECT_LE(scrolling.Width, 700);
    EXPECT_GE(scrolling.Height, 200) << "the list has room to be read";
}

TEST_F(XvfbTest, TimersAndQueuedCallsRunWhileAnFltkDialogIsUp) {
    TDialogWatchdog watchdog;
    TFltkDialogs dialogs;
    TTimer timer(Application());
    int ticks = 0;
    timer.OnTimer = [&](TTimer&) { ++ticks; };
    timer.SetInterval(20);
    bool queued = false;
    // Answered only once the timer has had time to tick a few times.
    pid_t p = AnswerDialog("Folio busy", {"sleep", "0.4", "key", "Escape"});
    Application().QueueCall([&] { queued = true; });
    EXPECT_EQ(dialogs.InputQuery("Folio busy", "Wait:", ""), std::nullopt);
    Reap(p);
    EXPECT_TRUE(queued);
    EXPECT_GE(ticks, 3);
}

} // namespace

TEST(FltkWindowClass, IsTheProgramsOwnName) {
    EXPECT_EQ(WindowClassName("/usr/local/bin/foliobuilder"), "foliobuilder");
    EXPECT_EQ(WindowClassName("/home/ann/books/garden"), "garden");
    EXPECT_EQ(WindowClassName("relative/Folio3.bin"), "Folio3.bin");
    EXPECT_EQ(WindowClassName("/books/gr\xC3\xBCn\tbook"), "gr__n_book");
    EXPECT_EQ(WindowClassName("/books/"), "folio");
    EXPECT_EQ(WindowClassName(""), "folio");
}

TEST(FltkDialogs, FiltersInTheToolkitsNotationConvert) {
    EXPECT_EQ(FltkFilter("Icon Files|*.ico"), "Icon Files\t*.ico");
    EXPECT_EQ(FltkFilter("Pages|*.htm;*.html|All|*"), "Pages\t{*.htm,*.html}\nAll\t*");
    EXPECT_EQ(FltkFilter(""), "");
}
