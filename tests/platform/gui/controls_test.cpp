#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "platform/base/exceptions.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/access_key.h"
#include "platform/gui/application.h"
#include "platform/gui/buttons.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/list_box.h"
#include "platform/gui/memo.h"
#include "platform/gui/panel.h"
#include "platform/gui/popup_menu.h"
#include "platform/gui/scripted_dialogs.h"
#include "platform/gui/scroll_bar.h"
#include "platform/gui/window.h"

TEST(AccessKey, ParsesTheFirstMarkAndLiteralAmpersands) {
    TAccessKey k = ParseAccessKey("&1 Directory");
    EXPECT_EQ(k.Text, "1 Directory");
    EXPECT_EQ(k.Key, '1');
    EXPECT_EQ(k.Index, 0);
    k = ParseAccessKey("Save && Exit");
    EXPECT_EQ(k.Text, "Save & Exit");
    EXPECT_EQ(k.Key, 0);
    EXPECT_EQ(k.Index, -1);
    k = ParseAccessKey("A&&B &Copy &Paste");
    EXPECT_EQ(k.Text, "A&B Copy Paste");
    EXPECT_EQ(k.Key, 'C');
    EXPECT_EQ(k.Index, 4);
    k = ParseAccessKey("Tail&");
    EXPECT_EQ(k.Text, "Tail&");
    EXPECT_EQ(k.Key, 0);
    EXPECT_TRUE(SameAccessKey('c', 'C'));
    EXPECT_FALSE(SameAccessKey(0, 0));
}

struct TAltKeyForm : TWindow {
    TButton directory, create, hidden, disabled;
    TCheckBox check;
    TPanel panel;
    TButton inPanel;
    std::vector<std::string> clicks;
    TAltKeyForm() {
        for (TControl* c : std::initializer_list<TControl*>{&directory, &create, &hidden, &disabled,
                                                            &check, &panel})
            c->SetParent(this);
        inPanel.SetParent(&panel);
        directory.SetCaption("&1 Directory");
        create.SetCaption("&Create");
        hidden.SetCaption("&Hidden");
        hidden.Hide();
        disabled.SetCaption("&Off");
        disabled.SetEnabled(false);
        check.SetCaption("&Wrap");
        inPanel.SetCaption("&Nested");
        for (TButton* b : {&directory, &create, &hidden, &disabled, &inPanel})
            b->OnClick = [this](TControl& s) { clicks.push_back(s.Name); };
        directory.Name = "directory";
        create.Name = "create";
        hidden.Name = "hidden";
        disabled.Name = "disabled";
        inPanel.Name = "nested";
    }
};

TEST(AccessKey, AltKeyPressesTheMarkedControl) {
    TAltKeyForm f;
    f.Show();
    EXPECT_TRUE(f.DispatchKey('1', ssAlt));
    EXPECT_TRUE(f.DispatchKey('C', ssAlt)); // the key code of c is its capital
    EXPECT_TRUE(f.DispatchKey('N', ssAlt));
    EXPECT_EQ(f.clicks, (std::vector<std::string>{"directory", "create", "nested"}));
    EXPECT_TRUE(f.inPanel.Focused()); // the last one pressed
    // Hidden and disabled controls do not answer their keys; neither does a key without Alt.
    EXPECT_FALSE(f.DispatchKey('H', ssAlt));
    EXPECT_FALSE(f.DispatchKey('O', ssAlt));
    EXPECT_FALSE(f.DispatchKey('X', ssAlt));
    f.SetActiveControl(nullptr);
    EXPECT_FALSE(f.DispatchKey('1', 0));
    EXPECT_EQ(f.clicks.size(), 3u);
    // A check box's key toggles it like a click.
    EXPECT_FALSE(f.check.Checked());
    EXPECT_TRUE(f.DispatchKey('W', ssAlt));
    EXPECT_TRUE(f.check.Checked());
    f.Hide();
}

TEST(AccessKey, WindowShortcutsComeBeforeAccessKeysAndTheFocusedControl) {
    TAltKeyForm f;
    f.Show();
    std::vector<int> taken;
    f.OnShortcut = [&](TWindow&, int& key, TShiftState shift) {
        if (key == VK_F5 || (key == '1' && (shift & ssAlt))) {
            taken.push_back(key);
            key = 0;
        }
    };
    EXPECT_TRUE(f.DispatchKey('1', ssAlt)); // taken before the access key
    EXPECT_TRUE(f.DispatchKey(VK_F5, 0));
    EXPECT_TRUE(f.clicks.empty());
    EXPECT_EQ(taken, (std::vector<int>{'1', VK_F5}));
    EXPECT_TRUE(f.DispatchKey('C', ssAlt)); // left alone: the access key still works
    EXPECT_EQ(f.clicks, std::vector<std::string>{"create"});
    EXPECT_FALSE(f.PreviewKey('C', ssAlt));
    f.Hide();
}

TEST(Focus, EnterAndExitFollowTheFocus) {
    TWindow w;
    TEdit a, b;
    a.SetParent(&w);
    b.SetParent(&w);
    std::vector<std::string> log;
    a.OnEnter = [&](TControl&) { log.push_back("enter a"); };
    a.OnExit = [&](TControl&) { log.push_back("exit a"); };
    b.OnEnter = [&](TControl&) { log.push_back("enter b"); };
    w.Show();
    a.SetFocus();
    b.SetFocus();
    b.SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"enter a", "exit a", "enter b"}));
    EXPECT_TRUE(b.Focused());
    // Hiding the focused control takes the focus away; a hidden one cannot take it.
    b.Hide();
    EXPECT_EQ(w.ActiveControl(), nullptr);
    b.SetFocus();
    EXPECT_EQ(w.ActiveControl(), nullptr);
    w.Hide();
}

TEST(Focus, KeysGoToTheFocusedControlWhichMaySwallowThem) {
    TWindow w;
    TListBox list;
    list.SetParent(&w);
    list.SetItems({"a", "b", "c"});
    int seen = 0;
    list.OnKeyDown = [&](TControl&, int& key, TShiftState) {
        seen = key;
        if (key == VK_END)
            key = 0;
    };
    w.Show();
    list.SetFocus();
    w.DispatchKey(VK_DOWN, 0);
    EXPECT_EQ(seen, VK_DOWN);
    EXPECT_EQ(list.ItemIndex(), 0);
    w.DispatchKey(VK_END, 0); // swallowed by the handler
    EXPECT_EQ(list.ItemIndex(), 0);
    w.Hide();
}

TEST(ListBox, SingleSelection) {
    TListBox l;
    l.SetItems({"a", "b", "c"});
    int clicks = 0;
    l.OnClick = [&](TControl&) { ++clicks; };
    EXPECT_EQ(l.ItemIndex(), -1);
    l.ClickItem(1);
    EXPECT_EQ(l.ItemIndex(), 1);
    l.ClickItem(2, ssCtrl); // modifiers do not matter in a single-selection box
    EXPECT_EQ(l.ItemIndex(), 2);
    EXPECT_EQ(l.SelCount(), 1);
    EXPECT_FALSE(l.Selected(1));
    EXPECT_EQ(clicks, 2);
    l.ClickItem(3); // below the last item: nothing, no event
    l.ClickItem(-1);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(l.ItemIndex(), 2);
    l.SetItemIndex(7);
    EXPECT_EQ(l.ItemIndex(), -1);
    EXPECT_EQ(l.SelCount(), 0);
    l.SetSelected(0, true);
    EXPECT_EQ(l.ItemIndex(), 0);
    // New items clear the selection (the picker relies on this).
    l.SetItems({"x", "y"});
    EXPECT_EQ(l.ItemIndex(), -1);
    EXPECT_EQ(l.SelCount(), 0);
    EXPECT_EQ(clicks, 2); // changes from code fire no click
}

TEST(ListBox, KeyboardMovesTheSelectionAndFiresClick) {
    TListBox l;
    l.SetItems({"a", "b", "c"});
    int clicks = 0;
    l.OnClick = [&](TControl&) { ++clicks; };
    l.KeyDown(VK_DOWN, 0);
    EXPECT_EQ(l.ItemIndex(), 0);
    l.KeyDown(VK_END, 0);
    EXPECT_EQ(l.ItemIndex(), 2);
    l.KeyDown(VK_DOWN, 0); // already last: no change, no click
    EXPECT_EQ(clicks, 2);
    l.KeyDown(VK_HOME, 0);
    EXPECT_EQ(l.ItemIndex(), 0);
    EXPECT_EQ(clicks, 3);
}

TEST(ListBox, MultipleSelectionTogglesEachClick) {
    TListBox l;
    l.SetMultiSelect(true);
    l.SetExtendedSelect(false);
    l.SetItems({"a", "b", "c", "d"});
    l.ClickItem(0);
    l.ClickItem(2);
    EXPECT_TRUE(l.Selected(0));
    EXPECT_TRUE(l.Selected(2));
    EXPECT_EQ(l.SelCount(), 2);
    l.ClickItem(0);
    EXPECT_FALSE(l.Selected(0));
    EXPECT_EQ(l.ItemIndex(), 0); // the focus stays on the clicked item
    EXPECT_EQ(l.SelCount(), 1);
    l.SetSelected(3, true);
    l.SetSelected(9, true); // ignored
    EXPECT_EQ(l.SelCount(), 2);
}

TEST(ListBox, ExtendedSelectionWithCtrlAndShift) {
    TListBox l;
    l.SetMultiSelect(true); // extended by default
    l.SetItems({"a", "b", "c", "d", "e"});
    l.ClickItem(1);
    l.ClickItem(3, ssShift);
    EXPECT_EQ(l.SelCount(), 3);
    EXPECT_TRUE(l.Selected(1) && l.Selected(2) && l.Selected(3));
    l.ClickItem(0, ssCtrl); // adds one, moves the anchor
    EXPECT_EQ(l.SelCount(), 4);
    l.ClickItem(2, ssShift); // a new range from the anchor replaces the rest
    EXPECT_EQ(l.SelCount(), 3);
    EXPECT_TRUE(l.Selected(0) && l.Selected(1) && l.Selected(2));
    EXPECT_FALSE(l.Selected(3));
    l.ClickItem(1, ssCtrl); // Ctrl toggles off
    EXPECT_FALSE(l.Selected(1));
    l.ClickItem(4); // a plain click selects one
    EXPECT_EQ(l.SelCount(), 1);
    EXPECT_TRUE(l.Selected(4));
    // Back to single selection keeps the focused item only.
    l.ClickItem(2, ssCtrl);
    l.SetMultiSelect(false);
    EXPECT_EQ(l.SelCount(), 1);
    EXPECT_EQ(l.ItemIndex(), 2);
}

TEST(ComboBox, UserChoiceFiresClickThenChangeWhenChanged) {
    TComboBox c;
    c.SetItems({"one", "two"});
    std::vector<std::string> log;
    c.OnClick = [&](TControl&) { log.push_back("click"); };
    c.OnChange = [&](TControl&) { log.push_back("change"); };
    EXPECT_EQ(c.Text(), "");
    c.SelectItem(1);
    EXPECT_EQ(c.Text(), "two");
    c.SelectItem(1);
    c.SelectItem(5);
    EXPECT_EQ(log, (std::vector<std::string>{"click", "change", "click"}));
    c.KeyDown(VK_UP, 0);
    EXPECT_EQ(c.ItemIndex(), 0);
    c.SetItemIndex(-3);
    EXPECT_EQ(c.ItemIndex(), -1);
    c.SetItemIndex(1);
    c.SetItems({"a"});
    EXPECT_EQ(c.ItemIndex(), -1);
}

TEST(Edit, MaxLengthLimitsTypingNotCode) {
    TEdit e;
    int changes = 0;
    e.OnChange = [&](TControl&) { ++changes; };
    e.SetMaxLength(5);
    e.TypeText("abc");
    e.TypeText("defg");
    EXPECT_EQ(e.Text(), "abcde");
    EXPECT_EQ(changes, 2);
    e.TypeText("x"); // full: nothing changes
    EXPECT_EQ(changes, 2);
    e.SetText("longer than five");
    EXPECT_EQ(e.Text(), "longer than five");
    e.UserSetText("longer than five!"); // typing cannot extend it
    EXPECT_EQ(e.Text(), "longer than five");
    e.UserSetText("short");
    EXPECT_EQ(e.Text(), "short");
    e.ReadOnly = true;
    e.UserSetText("");
    EXPECT_EQ(e.Text(), "short");
}

TEST(Edit, TextIsUtf8AndTheLimitCountsCharacters) {
    TEdit e;
    e.SetMaxLength(4);
    e.UserSetText("\xD0\xBA\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0"); // "книга"
    EXPECT_EQ(e.Text(), "\xD0\xBA\xD0\xBD\xD0\xB8\xD0\xB3");   // four characters
    e.SetText("caf\xC3\xA9");
    EXPECT_EQ(e.Text(), "caf\xC3\xA9");
    e.SetMaxLength(0);
    e.TypeText("!");
    EXPECT_EQ(e.Text(), "caf\xC3\xA9!");
    e.SetPasswordChar('*');
    EXPECT_EQ(e.DisplayText(), "*****") << "one mark per character, not per byte";
    e.SetText("bad \xFF byte"); // never invalid UTF-8 towards the toolkit
    EXPECT_EQ(e.Text(), "bad \xEF\xBF\xBD byte");
}

TEST(Edit, PasswordCharMasksTheShownText) {
    TEdit e;
    e.SetText("secret");
    EXPECT_EQ(e.DisplayText(), "secret");
    e.SetPasswordChar('*');
    EXPECT_EQ(e.DisplayText(), "******");
    EXPECT_EQ(e.Text(), "secret");
}

TEST(Memo, TextJoinsWithCrLfAndSplitsAnyLineEnd) {
    TMemo m;
    m.SetText("one\r\ntwo\nthree\rfour");
    EXPECT_EQ(m.Lines(), (std::vector<std::string>{"one", "two", "three", "four"}));
    EXPECT_EQ(m.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n");
    m.SetText("a\r\n\r\nb\r\n");
    EXPECT_EQ(m.Lines(), (std::vector<std::string>{"a", "", "b"}));
    m.SetSelection(100, 5);
    EXPECT_EQ(m.SelStart(), static_cast<int>(m.Text().size()));
    EXPECT_EQ(m.SelLength(), 0);
    m.SetWordWrap(false);
    m.SetScrollBars(TScrollStyle::ssBoth);
    EXPECT_FALSE(m.WordWrap());
    EXPECT_EQ(m.ScrollBars(), TScrollStyle::ssBoth);
}

TEST(CheckAndRadio, CodeChangesAreSilentClicksAreNot) {
    TCheckBox box;
    int clicks = 0;
    box.OnClick = [&](TControl&) { ++clicks; };
    box.SetChecked(true);
    EXPECT_EQ(clicks, 0);
    box.Click();
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(clicks, 1);
    box.KeyDown(VK_SPACE, 0);
    EXPECT_TRUE(box.Checked());
}

TEST(CheckAndRadio, RadioButtonsGroupByParent) {
    TWindow w;
    TPanel p1, p2;
    TRadioButton a, b, c;
    p1.SetParent(&w);
    p2.SetParent(&w);
    a.SetParent(&p1);
    b.SetParent(&p1);
    c.SetParent(&p2); // alone in its own panel: a group of its own
    a.SetChecked(true);
    c.SetChecked(true);
    b.Click();
    EXPECT_FALSE(a.Checked());
    EXPECT_TRUE(b.Checked());
    EXPECT_TRUE(c.Checked());
    b.Click(); // clicking a checked radio keeps it checked
    EXPECT_TRUE(b.Checked());
    b.SetChecked(false);
    EXPECT_FALSE(a.Checked() || b.Checked());
}

TEST(ScrollBar, PositionStaysWithinTheRangeTheThumbCanReach) {
    TScrollBar s(TScrollBarKind::sbVertical);
    s.SetParams(0, 0, 1000, 101); // document 1000 high, panel 100
    EXPECT_EQ(s.MaxPosition(), 900);
    s.SetPosition(5000);
    EXPECT_EQ(s.Position(), 900);
    s.SetPosition(-5);
    EXPECT_EQ(s.Position(), 0);
    s.SetParams(10, 50, 20, -4); // max below min, negative page
    EXPECT_EQ(s.Min(), 50);
    EXPECT_EQ(s.Max(), 50);
    EXPECT_EQ(s.PageSize(), 0);
    EXPECT_EQ(s.Position(), 50);
}

TEST(ScrollBar, FullThirtyTwoBitRangesDoNotOverflow) {
    TScrollBar s(TScrollBarKind::sbVertical);
    s.SmallChange = 16;
    s.LargeChange = INT32_MAX;
    s.SetParams(INT32_MAX, INT32_MIN, INT32_MAX, 0);
    EXPECT_EQ(s.Position(), INT32_MAX);
    s.Scroll(TScrollCode::scLineDown);
    EXPECT_EQ(s.Position(), INT32_MAX);
    s.Scroll(TScrollCode::scPageDown);
    EXPECT_EQ(s.Position(), INT32_MAX);
    s.SetPosition(INT32_MIN + 3);
    s.Scroll(TScrollCode::scLineUp);
    EXPECT_EQ(s.Position(), INT32_MIN);
    s.Scroll(TScrollCode::scPageDown);
    EXPECT_EQ(s.Position(), -1);
    // A tall document: 3,000,000 pixels, a 500-pixel page.
    s.SetParams(2999000, 0, 3000000, 501);
    EXPECT_EQ(s.Position(), 2999000);
    s.Scroll(TScrollCode::scBottom);
    EXPECT_EQ(s.Position(), 2999500);
    s.Scroll(TScrollCode::scTrack, 1234567);
    EXPECT_EQ(s.Position(), 1234567);
}

TEST(ScrollBar, OnScrollMayAdjustAndOnChangeFiresOnlyOnChange) {
    TScrollBar s;
    s.SmallChange = 10;
    s.SetParams(0, 0, 100, 0);
    int changes = 0;
    s.OnChange = [&](TControl&) { ++changes; };
    s.OnScroll = [](TControl&, TScrollCode code, int32_t& pos) {
        if (code == TScrollCode::scLineDown)
            pos += 1000; // beyond the range: clamped
    };
    s.Scroll(TScrollCode::scLineDown);
    EXPECT_EQ(s.Position(), 100);
    s.Scroll(TScrollCode::scBottom);
    EXPECT_EQ(changes, 1);
    s.SetParams(100, 0, 100, 0);
    EXPECT_EQ(changes, 1);
}

TEST(Layout, ClientAlignedControlsFillInsideBevelsAndBorder) {
    TWindow w;
    w.SetBounds(94, 169, 646, 434);
    TPanel panel;
    panel.SetParent(&w);
    panel.SetAlign(TAlign::alClient);
    panel.SetBevels(TBevelCut::bvRaised, TBevelCut::bvLowered, 8);
    TPanel top;
    top.SetParent(&panel);
    top.SetHeight(30);
    top.SetAlign(TAlign::alTop);
    TListBox list;
    list.SetParent(&panel);
    list.SetAlign(TAlign::alClient);
    EXPECT_EQ(panel.BoundsRect(), Rect(0, 0, 646, 434));
    EXPECT_EQ(top.BoundsRect(), Rect(10, 10, 636, 40));
    EXPECT_EQ(list.BoundsRect(), Rect(10, 40, 636, 424));
    w.SetBounds(0, 0, 300, 200); // a resize realigns
    EXPECT_EQ(list.BoundsRect(), Rect(10, 40, 290, 190));
    top.Hide();
    EXPECT_EQ(list.BoundsRect(), Rect(10, 10, 290, 190));
}

// Aligned children are laid out whatever way they became aligned or stopped being so, while
// children placed by hand are never moved (a page's thousands of controls are not walked).
TEST(Layout, AlignmentFollowsChildrenThatComeGoAndChangeTheirAlign) {
    TPanel panel;
    panel.SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
    panel.SetBounds(0, 0, 200, 100);
    TPanel placed;
    placed.SetParent(&panel);
    placed.SetBounds(5, 6, 7, 8);
    TPanel a;
    a.SetHeight(20);
    a.SetParent(&panel);
    EXPECT_EQ(a.BoundsRect(), Rect(0, 0, 185, 20)); // not aligned yet: where it was
    a.SetAlign(TAlign::alTop);
    EXPECT_EQ(a.BoundsRect(), Rect(0, 0, 200, 20));
    TPanel b;
    b.SetAlign(TAlign::alClient); // aligned before it has a parent
    b.SetParent(&panel);
    EXPECT_EQ(b.BoundsRect(), Rect(0, 20, 200, 100));
    a.SetParent(nullptr); // an aligned child leaves: the rest takes its room
    EXPECT_EQ(b.BoundsRect(), Rect(0, 0, 200, 100));
    b.SetAlign(TAlign::alNone);
    panel.SetBounds(0, 0, 100, 50); // nothing aligned is left: nothing moves
    EXPECT_EQ(b.BoundsRect(), Rect(0, 0, 200, 100));
    EXPECT_EQ(placed.BoundsRect(), Rect(5, 6, 12, 14));
    b.SetAlign(TAlign::alBottom);
    EXPECT_EQ(b.BoundsRect(), Rect(0, -50, 100, 50));
    a.SetParent(&panel);
    a.SetAlign(TAlign::alClient);
    EXPECT_EQ(a.BoundsRect(), Rect(0, 0, 100, 0));
    EXPECT_EQ(placed.BoundsRect(), Rect(5, 6, 12, 14));
}

TEST(Window, MaximisedKeepsTheNormalPlacement) {
    TWindow w;
    w.SetBounds(10, 20, 300, 200);
    w.SetWindowState(TWindowState::wsMaximized);
    w.PeerMoved(0, 0, 1024, 768); // what a maximised window reports
    EXPECT_EQ(w.NormalBounds(), Rect(10, 20, 310, 220));
    w.SetWindowState(TWindowState::wsNormal);
    EXPECT_EQ(w.BoundsRect(), Rect(10, 20, 310, 220));
}

// Maximised by the window manager: its resize may come before its word that it maximised, so
// the peer hands over the placement from before; given back its normal size, the window takes
// its normal placement from each resize again.
TEST(Window, TheManagersMaximiseKeepsThePlacementItIsGiven) {
    TWindow w;
    int resizes = 0;
    w.OnResize = [&](TControl&) { ++resizes; };
    w.SetBounds(10, 20, 300, 200);
    w.PeerMoved(0, 0, 1024, 740); // the manager's resize, taken for a user's at first
    EXPECT_EQ(w.NormalBounds(), Rect(0, 0, 1024, 740));
    w.PeerWindowState(TWindowState::wsMaximized, Rect(10, 20, 310, 220));
    EXPECT_EQ(w.WindowState(), TWindowState::wsMaximized);
    EXPECT_EQ(w.NormalBounds(), Rect(10, 20, 310, 220));
    EXPECT_EQ(w.BoundsRect(), Rect(0, 0, 1024, 740)); // the manager placed it; it stays
    w.PeerMoved(0, 0, 1024, 700);                     // a panel appeared: still maximised
    EXPECT_EQ(w.NormalBounds(), Rect(10, 20, 310, 220));
    w.PeerWindowState(TWindowState::wsNormal, {});
    EXPECT_EQ(w.WindowState(), TWindowState::wsNormal);
    w.PeerMoved(10, 20, 300, 200); // the manager puts it back
    EXPECT_EQ(w.NormalBounds(), Rect(10, 20, 310, 220));
    w.PeerMoved(40, 50, 320, 240); // and the user moves it
    EXPECT_EQ(w.NormalBounds(), Rect(40, 50, 360, 290));
    EXPECT_GE(resizes, 6);
}

TEST(Window, ShowModalEndsWithTheButtonsResult) {
    TWindow dialog;
    TButton ok;
    ok.SetParent(&dialog);
    ok.ModalResult = mrOk;
    Application().QueueCall([&] { ok.Click(); });
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_FALSE(dialog.Shown());
    // Closed without a result (title bar, Escape): Cancel.
    Application().QueueCall([&] { dialog.Close(); });
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
}

TEST(Window, AButtonFreedByItsOwnClickStillClosesTheDialog) {
    TWindow dialog;
    auto ok = std::make_unique<TButton>();
    ok->SetParent(&dialog);
    ok->ModalResult = mrOk;
    bool resultSetFirst = false;
    ok->OnClick = [&](TControl&) {
        resultSetFirst = dialog.ModalResult == mrOk;
        ok.reset(); // the handler frees the button (the sanitizer build sees any later read)
    };
    Application().QueueCall([&] { ok->Click(); });
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_TRUE(resultSetFirst);
    EXPECT_EQ(ok, nullptr);
}

TEST(Application, WorkBlockedByAModalLoopRunsFromTheLoopAfterIt) {
    TApplication& app = Application();
    TWindow main, dialog;
    TButton onMain, onDialog;
    onMain.SetParent(&main);
    onDialog.SetParent(&dialog);
    std::vector<std::string> order;
    EXPECT_FALSE(app.ModalBlocks(&onMain));
    {
        TModalScope outer; // a message box: every window waits
        EXPECT_TRUE(app.ModalBlocks(&onMain));
        EXPECT_TRUE(app.ModalBlocks(&onDialog));
        app.AfterModal([&] { order.push_back("first"); });
        {
            TModalScope inner(&dialog); // a modal window: its own controls go on working
            EXPECT_FALSE(app.ModalBlocks(&onDialog));
            EXPECT_TRUE(app.ModalBlocks(&onMain));
            app.AfterModal([&] { order.push_back("second"); });
            app.PostException(Exception("it failed"));
        }
        app.ProcessMessages();
        EXPECT_TRUE(order.empty()) << "ran inside the outer modal loop";
    }
    EXPECT_TRUE(order.empty()) << "ran while the scope closed, not from the loop";
    TScriptedDialogs dialogs;
    TDialogProviderScope scope(dialogs);
    app.ProcessMessages();
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].Text, "it failed");
    EXPECT_EQ(app.ModalLevel(), 0);
}

TEST(PopupMenu, HeadlessItStaysOpenUntilAnItemIsChosen) {
    TWindow w;
    TPanel panel;
    panel.SetParent(&w);
    TPopupMenu menu;
    std::vector<std::string> ran;
    menu.Add("&Copy", [&] { ran.push_back("copy"); });
    menu.AddSeparator();
    menu.Add(
        "Select &all", [&] { ran.push_back("all"); }, false);
    menu.Add("&Reload", [&] {
        ran.push_back("reload");
        menu.Clear(); // a command may rebuild the menu
    });
    EXPECT_EQ(menu.IndexOf("Copy"), 0);
    EXPECT_EQ(menu.IndexOf("Select all"), 2);
    EXPECT_EQ(menu.IndexOf("Nothing"), -1);
    menu.Choose(0); // not open: nothing
    EXPECT_TRUE(ran.empty());
    menu.Popup(panel, 30, 40);
    EXPECT_TRUE(menu.IsOpen());
    EXPECT_EQ(menu.PopupPoint(), Point(30, 40));
    EXPECT_EQ(menu.PopupControl(), &panel);
    menu.Choose(2); // disabled: the menu only closes
    EXPECT_FALSE(menu.IsOpen());
    menu.Popup(panel, 1, 1);
    menu.Choose(1); // the separator
    menu.Popup(panel, 1, 1);
    menu.Choose(0);
    menu.Popup(panel, 1, 1);
    menu.Choose(3);
    EXPECT_EQ(ran, (std::vector<std::string>{"copy", "reload"}));
    EXPECT_TRUE(menu.Items.empty());
}

TEST(Window, CloseQueryCanRefuseAndMainWindowEndsTheLoop) {
    TApplication& app = Application();
    TWindow* savedMain = app.MainForm;
    TWindow main;
    app.MainForm = &main;
    bool allow = false;
    main.OnCloseQuery = [&](TControl&, bool& can) { can = allow; };
    main.Show();
    main.Close();
    EXPECT_TRUE(main.Shown());
    EXPECT_FALSE(app.Terminated());
    allow = true;
    app.QueueCall([&] { main.Close(); });
    app.Run();
    EXPECT_TRUE(app.Terminated());
    EXPECT_FALSE(main.Shown());
    app.MainForm = savedMain;
    app.ClearTerminated();
}

TEST(Controls, DestroyingAChildOrParentDetachesCleanly) {
    auto w = std::make_unique<TWindow>();
    auto b = std::make_unique<TButton>();
    auto e = std::make_unique<TEdit>();
    b->SetParent(w.get());
    e->SetParent(w.get());
    w->Show();
    e->SetFocus();
    e.reset(); // the focused control goes away
    EXPECT_EQ(w->ActiveControl(), nullptr);
    EXPECT_EQ(w->Controls().size(), 1u);
    w.reset(); // the parent goes first
    EXPECT_EQ(b->Parent(), nullptr);
}

TEST(ListBox, KeysScrollTheViewToTheItemAndOnlyAnOverflowNeedsTheBar) {
    TListBox list;
    list.ItemHeight = 10;
    list.SetBounds(0, 0, 80, 4 + 3 * 10); // three rows inside the frame
    list.SetItems({"a", "b", "c"});
    EXPECT_EQ(list.VisibleItems(), 3);
    EXPECT_FALSE(list.NeedsScrollBar());
    list.SetItems({"a", "b", "c", "d", "e", "f", "g"});
    EXPECT_TRUE(list.NeedsScrollBar());
    list.SetItemIndex(0);
    for (int i = 0; i < 4; ++i)
        list.KeyDown(VK_DOWN, 0);
    EXPECT_EQ(list.ItemIndex(), 4);
    EXPECT_EQ(list.TopIndex(), 2); // items 2, 3 and 4 show
    list.KeyDown(VK_END, 0);
    EXPECT_EQ(list.TopIndex(), 4);
    list.KeyDown(VK_HOME, 0);
    EXPECT_EQ(list.TopIndex(), 0);
    // A box too low for one row still shows one.
    list.SetBounds(0, 0, 80, 6);
    EXPECT_EQ(list.VisibleItems(), 1);
}

TEST(Memo, ScrollBarsFollowTheTextTheStyleAndWordWrap) {
    TCanvas canvas(10, 10);
    TMemo memo;
    memo.Font.Name = "Courier New";
    // 15 points are 20 pixels, where the fixed pitch of 0.6 em is a whole 12 pixels, so that
    // columns add up exactly.
    memo.Font.Size = 15;
    canvas.Font = memo.Font;
    const int cw = canvas.TextWidth("x"), lh = canvas.TextHeight("A");
    ASSERT_EQ(canvas.TextWidth("xxxxxxxxxx"), 10 * cw); // a fixed-pitch font
    // Room for 10 characters and 3 lines inside the frame and margins, plus both bars; where a
    // bar is not shown its room shows text.
    memo.SetBounds(0, 0, 10 * cw + 4 + 2 + 16, 3 * lh + 4 + 16);
    const int rowsFit = (3 * lh + 16) / lh, colsFit = (10 * cw + 16) / cw;
    memo.SetWordWrap(false);
    memo.SetScrollBars(TScrollStyle::ssBoth);
    memo.SetLines({"short"});
    EXPECT_EQ(memo.NeededScrollBars(canvas), (TMemoBars{false, false}));
    memo.SetLines(std::vector<std::string>(static_cast<size_t>(rowsFit), "1"));
    EXPECT_EQ(memo.NeededScrollBars(canvas), (TMemoBars{false, false}));
    memo.SetLines(std::vector<std::string>(static_cast<size_t>(rowsFit + 1), "1"));
    EXPECT_EQ(memo.NeededScrollBars(canvas), (TMemoBars{true, false}));
    memo.SetLines({std::string(static_cast<size_t>(colsFit), 'x')});
    EXPECT_EQ(memo.NeededScrollBars(canvas), (TMemoBars{false, false}));
    memo.SetLines({std::string(static_cast<size_t>(colsFit + 1), 'x')});
    EXPECT_EQ(memo.NeededScrollBars(canvas), (TMemoBars{false, true}));
    // Four lines fit beside no bar, but not above a horizontal one.
    if (rowsFit >= 4) {
        memo.SetLines({"1", "2", "3", std::string(static_cast<size_t>(colsFit + 1), 'x')});
        EXPECT_EQ(memo.NeededScrollBars(canvas), (TMemoBars{true, true}));
    }
    // A style without bars never shows them.
    memo.SetScrollBars(TScrollStyle::ssNone);
    EXPECT_EQ(memo.NeededScrollBars(canvas), (TMemoBars{false, false}));

    // Word wrap, in a box of exactly 10 columns and 3 rows: never a horizontal bar.
    memo.SetBounds(0, 0, 10 * cw + 4 + 2, 3 * lh + 4);
    memo.SetScrollBars(TScrollStyle::ssVertical);
    memo.SetWordWrap(true);
    memo.SetLines({std::string(25, 'y')}); // 3 rows
    EXPECT_EQ(memo.NeededScrollBars(canvas), (TMemoBars{false, false}));
    memo.SetLines({std::string(31, 'y')}); // 4 rows
    EXPECT_EQ(memo.NeededScrollBars(canvas), (TMemoBars{true, false}));
    memo.SetLines({"a", "", "b", ""}); // empty lines are rows too
    EXPECT_EQ(memo.NeededScrollBars(canvas), (TMemoBars{true, false}));
    // Rows end after a blank rather than inside a word: 27 characters would fill 3 rows
    // broken anywhere, but take 4 broken at the blanks.
    memo.SetLines({"aaaaaa bbbbbb cccccc dddddd"});
    EXPECT_EQ(memo.NeededScrollBars(canvas), (TMemoBars{true, false}));
    memo.SetLines({"aaaaaa bbbbbb cccccc"});
    EXPECT_EQ(memo.NeededScrollBars(canvas), (TMemoBars{false, false}));
}
