#include "platform/fltk/fltk_peers.h"

#include <FL/Fl.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Round_Button.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Editor.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/base/strings.h"
#include "platform/fltk/wm_state.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/screen.h"
#include "platform/gui/application.h"
#include "platform/gui/buttons.h"
#include "platform/gui/combo_box.h"
#include "platform/gui/edit.h"
#include "platform/gui/list_box.h"
#include "platform/gui/memo.h"
#include "platform/gui/paint_box.h"
#include "platform/gui/panel.h"
#include "platform/gui/popup_menu.h"
#include "platform/gui/scroll_bar.h"
#include "platform/gui/window.h"

int VirtualKeyOf(int k) {
    switch (k) {
    case FL_Enter:
    case FL_KP_Enter:
        return VK_RETURN;
    case FL_Escape:
        return VK_ESCAPE;
    case FL_Tab:
        return VK_TAB;
    case FL_BackSpace:
        return VK_BACK;
    case FL_Delete:
        return VK_DELETE;
    case FL_Page_Up:
        return VK_PRIOR;
    case FL_Page_Down:
        return VK_NEXT;
    case FL_End:
        return VK_END;
    case FL_Home:
        return VK_HOME;
    case FL_Left:
        return VK_LEFT;
    case FL_Up:
        return VK_UP;
    case FL_Right:
        return VK_RIGHT;
    case FL_Down:
        return VK_DOWN;
    case FL_Menu:
        return VK_APPS;
    default:
        break;
    }
    if (k > FL_F && k <= FL_F + 12)
        return VK_F1 + (k - FL_F - 1);
    if (k == FL_KP + '+')
        return VK_ADD;
    if (k == FL_KP + '-')
        return VK_SUBTRACT;
    if (k == '=' || k == '+')
        return VK_OEM_PLUS;
    if (k == '-')
        return VK_OEM_MINUS;
    if (k >= 'a' && k <= 'z')
        return k - 'a' + 'A';
    if ((k >= '0' && k <= '9') || k == ' ')
        return k;
    return 0;
}

TShiftState CurrentShiftState() {
    int s = Fl::event_state();
    TShiftState r = 0;
    if (s & FL_SHIFT)
        r |= ssShift;
    if (s & FL_ALT)
        r |= ssAlt;
    if (s & FL_CTRL)
        r |= ssCtrl;
    if (s & FL_BUTTON1)
        r |= ssLeft;
    if (s & FL_BUTTON2)
        r |= ssMiddle;
    if (s & FL_BUTTON3)
        r |= ssRight;
    return r;
}

namespace {

// FLTK reads "@" in labels as a symbol and "&" as the access-key mark; captions keep "&" (the
// same convention) but a literal "@" must be doubled.
std::string Label(const std::string& text, bool keepAmpersand) {
    const std::string utf8 = ValidUtf8(text);
    std::string out;
    for (char c : utf8) {
        if (c == '@' || (c == '&' && !keepAmpersand))
            out += c;
        out += c;
    }
    return out;
}

Fl_Font FlFont(const TFont& f) {
    std::string n = LowerCase(f.Name);
    Fl_Font base = FL_HELVETICA;
    if (n.find("courier") != std::string::npos || n.find("mono") != std::string::npos)
        base = FL_COURIER;
    else if (n.find("times") != std::string::npos ||
             (n.find("serif") != std::string::npos && n.find("sans") == std::string::npos))
        base = FL_TIMES;
    return base + (f.Bold ? FL_BOLD : 0) + (f.Italic ? FL_ITALIC : 0);
}

int FlSize(const TFont& f) {
    return TScreen::PointsToPixels(f.Size > 0 ? f.Size : 12);
}

Fl_Cursor FlCursor(TCursor c) {
    switch (c) {
    case TCursor::crIBeam:
        return FL_CURSOR_INSERT;
    case TCursor::crHourGlass:
        return FL_CURSOR_WAIT;
    case TCursor::crHandPoint:
        return FL_CURSOR_HAND;
    case TCursor::crUpDown:
        return FL_CURSOR_NS;
    case TCursor::crUpOnly:
        return FL_CURSOR_N;
    case TCursor::crDownOnly:
        return FL_CURSOR_S;
    case TCursor::crArrow:
        return FL_CURSOR_ARROW;
    case TCursor::crVSplit:
        return FL_CURSOR_NS;
    case TCursor::crHSplit:
        return FL_CURSOR_WE;
    default:
        return FL_CURSOR_DEFAULT;
    }
}

// The cursor a control shows: the application's screen cursor while one is set.
Fl_Cursor ShownCursor(TCursor own) {
    TCursor screen = Application().ScreenCursor();
    return FlCursor(screen != TCursor::crDefault ? screen : own);
}

// Takes a widget out of its group. A page's controls leave last first, so the widget is looked
// for from the end: the toolkit's own search from the front would make taking down a page of
// thousands of controls quadratic.
void Detach(Fl_Widget* w) {
    Fl_Group* g = w->parent();
    if (!g)
        return;
    for (int i = g->children() - 1; i >= 0; --i) {
        if (g->child(i) == w) {
            g->remove(i);
            return;
        }
    }
}

// Widgets waiting to be deleted once the current event is over. The toolkit's own list looks
// through all waiting widgets for each one added, which is quadratic for a page's thousands.
// Never destroyed, as the toolkit's own list: widgets still waiting when the program ends stay
// reachable instead of being deleted after the toolkit has gone.
std::vector<Fl_Widget*>& WidgetsToDelete() {
    static auto* widgets = new std::vector<Fl_Widget*>;
    return *widgets;
}

void DeleteWaitingWidgets(void*) {
    std::vector<Fl_Widget*> widgets;
    widgets.swap(WidgetsToDelete());
    for (auto it = widgets.rbegin(); it != widgets.rend(); ++it)
        delete *it;
}

void DeleteLater(Fl_Widget* w) {
    w->hide();
    if (WidgetsToDelete().empty())
        Fl::add_timeout(0.0, &DeleteWaitingWidgets);
    WidgetsToDelete().push_back(w);
}

class TFltkPeer;

// A widget of kind W whose events go through its peer first.
template <class W> class THooked : public W {
public:
    THooked(int x, int y, int w, int h) : W(x, y, w, h) {}
    TFltkPeer* Peer = nullptr;
    int handle(int e) override;
    void draw() override;
};

class TFltkPeer : public TControlPeer {
public:
    explicit TFltkPeer(TControl& control) : control_(control) {}
    ~TFltkPeer() override { *alive_ = false; }

    virtual Fl_Widget* Widget() const = 0;
    virtual Fl_Group* Group() const { return nullptr; }
    const TControl& Control() const { return control_; }

    // Runs a call into the control; false when the peer was destroyed meanwhile (a handler
    // closed the window), in which case the caller must not touch its members.
    template <class F> bool Call(F&& f) {
        std::shared_ptr<bool> alive = alive_;
        Application().Protect(std::forward<F>(f));
        return *alive;
    }

    // Events every widget shares: Alt+key goes to the window's access keys, other keys to the
    // control's OnKeyDown (which may swallow them), focus is reported.
    int Handle(int e, const std::function<int(int)>& base) {
        if ((e == FL_KEYBOARD || e == FL_SHORTCUT) && (Fl::event_state() & FL_ALT)) {
            int vk = VirtualKeyOf(Fl::event_key());
            TWindow* w = control_.Window();
            bool handled = false;
            if (vk && w && !Call([&] { handled = w->DispatchKey(vk, CurrentShiftState()); }))
                return 1;
            if (handled)
                return 1;
        }
        if (e == FL_KEYBOARD) {
            int key = VirtualKeyOf(Fl::event_key());
            if (key && control_.OnKeyDown) {
                if (!Call([&] { control_.OnKeyDown(control_, key, CurrentShiftState()); }))
                    return 1;
                if (key == 0)
                    return 1;
            }
            int r = 0;
            if (!OwnKey(e, base, r))
                return 1;
            return r;
        }
        if (e == FL_FOCUS) {
            int r = base(e);
            if (r && !Call([&] { control_.PeerFocused(); }))
                return 1;
            return r;
        }
        int r = 0;
        if (!Own(e, base, r))
            return 1;
        return r;
    }

protected:
    // Kind-specific handling; false when the peer was destroyed.
    virtual bool Own(int e, const std::function<int(int)>& base, int& r) {
        r = base(e);
        return true;
    }
    virtual bool OwnKey(int e, const std::function<int(int)>& base, int& r) {
        return Own(e, base, r);
    }

    // Adds the widget to the parent control's group and syncs it.
    void Attach() {
        if (TControl* p = control_.Parent())
            if (auto* pp = dynamic_cast<TFltkPeer*>(p->Peer()))
                if (Fl_Group* g = pp->Group())
                    g->add(Widget());
    }

    // The widget's bounds in window coordinates (FLTK places every widget relative to its
    // window, the controls relative to their parent).
    void SyncCommon() {
        Fl_Widget* w = Widget();
        int x = control_.Left(), y = control_.Top();
        for (const TControl* p = control_.Parent(); p && p->Parent(); p = p->Parent()) {
            x += p->Left();
            y += p->Top();
        }
        if (w->x() != x || w->y() != y || w->w() != control_.Width() ||
            w->h() != control_.Height()) {
            // The window repaints where the widget was: a widget that moves (a drag line, a
            // form control scrolled with its page) leaves no picture of itself behind.
            Fl_Window* win = w->window();
            if (win && win->shown() && w->visible_r() && w->w() > 0 && w->h() > 0)
                win->damage(FL_DAMAGE_ALL, w->x(), w->y(), w->w(), w->h());
            w->resize(x, y, control_.Width(), control_.Height());
        }
        if (control_.Visible())
            w->show();
        else
            w->hide();
        if (control_.Enabled())
            w->activate();
        else
            w->deactivate();
        w->labelfont(FlFont(control_.Font));
        w->labelsize(FlSize(control_.Font));
        w->redraw();
    }

    // Widgets are deleted later, outside the callback that may be running on them.
    template <class W> static void Release(THooked<W>* w) {
        w->Peer = nullptr;
        w->callback(static_cast<Fl_Callback*>(nullptr), nullptr);
        Detach(w);
        DeleteLater(w);
    }

    static void Callback(Fl_Widget*, void* data) {
        if (data)
            static_cast<TFltkPeer*>(data)->Activated();
    }
    // The widget's callback fired.
    virtual void Activated() {}

    TControl& control_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

template <class W> int THooked<W>::handle(int e) {
    if (!Peer)
        return W::handle(e);
    return Peer->Handle(e, [this](int ev) { return W::handle(ev); });
}

// A widget whose parent panel limits where its children show is drawn clipped to that area.
template <class W> void THooked<W>::draw() {
    const TPanel* panel = Peer ? dynamic_cast<const TPanel*>(Peer->Control().Parent()) : nullptr;
    const Fl_Group* group = this->parent();
    if (!panel || !group || panel->ChildClip.IsEmpty() ||
        std::find(panel->ClipExceptions.begin(), panel->ClipExceptions.end(), &Peer->Control()) !=
            panel->ClipExceptions.end()) {
        W::draw();
        return;
    }
    const TRect& c = panel->ChildClip;
    fl_push_clip(group->x() + c.Left, group->y() + c.Top, c.Width(), c.Height());
    W::draw();
    fl_pop_clip();
}

// ---- window ----

class TFlWindow : public Fl_Double_Window {
public:
    TFlWindow(int x, int y, int w, int h) : Fl_Double_Window(x, y, w, h) {}
    class TWindowPeer* Peer = nullptr;
    int handle(int e) override;
    void resize(int x, int y, int w, int h) override;
};

class TWindowPeer final : public TFltkPeer {
public:
    explicit TWindowPeer(TWindow& c) : TFltkPeer(c), c_(c) {
        Fl_Group::current(nullptr);
        FitWorkArea();
        w_ = new TFlWindow(c.Left(), c.Top(), std::max(c.Width(), 1), std::max(c.Height(), 1));
        w_->end();
        w_->Peer = this;
        w_->resizable(nullptr);
        w_->callback(&TWindowPeer::CloseCallback, this);
        if (Peers().empty())
            Fl::add_system_handler(&TWindowPeer::SystemEvent, nullptr);
        Peers().push_back(this);
    }
    ~TWindowPeer() override {
        std::vector<TWindowPeer*>& peers = Peers();
        peers.erase(std::remove(peers.begin(), peers.end(), this), peers.end());
        if (peers.empty())
            Fl::remove_system_handler(&TWindowPeer::SystemEvent);
        w_->Peer = nullptr;
        w_->callback(static_cast<Fl_Callback*>(nullptr), nullptr);
        w_->hide();
        // Off the screen now, not when the program next waits for events: a program that
        // ends after closing its window would show it until everything is torn down.
        Fl::flush();
        Fl::delete_widget(w_);
    }
    Fl_Widget* Widget() const override { return w_; }
    Fl_Group* Group() const override { return w_; }

    void Sync() override {
        w_->copy_label(Label(c_.Caption(), true).c_str());
        if (c_.Icon() && c_.Icon() != shownIcon_)
            SetIcon();
        const bool maximised = c_.WindowState() == TWindowState::wsMaximized;
        // Under a window manager the manager maximises (it knows the frame and the panels); the
        // window only asks, once per change. Without one the window takes the work area itself.
        // A window mapped at the full screen size would look to some managers like an old
        // full-screen program and lose its maximise button: it maps at its normal size first.
        const bool managed = wm_state::ManagerPresent();
        if (maximised && !managed) {
            int X, Y, W, H;
            Fl::screen_work_area(X, Y, W, H);
            if (w_->x() != X || w_->y() != Y || w_->w() != W || w_->h() != H)
                w_->resize(X, Y, W, H);
        } else if (!maximised && (w_->x() != c_.Left() || w_->y() != c_.Top() ||
                                  w_->w() != c_.Width() || w_->h() != c_.Height())) {
            w_->resize(c_.Left(), c_.Top(), std::max(c_.Width(), 1), std::max(c_.Height(), 1));
        }
        // Without a resizable widget the toolkit pins the window's size (again after every
        // resize the program makes, so this comes after those); the window's own Realign lays
        // its controls out at whatever size the user gives it.
        if (c_.Resizable())
            w_->size_range(c_.MinimumWidth(), c_.MinimumHeight());
        else
            w_->size_range(std::max(c_.Width(), 1), std::max(c_.Height(), 1),
                           std::max(c_.Width(), 1), std::max(c_.Height(), 1));
        if (c_.Shown() && c_.Visible()) {
            if (!w_->shown()) {
                if (c_.Modal())
                    w_->set_modal();
                w_->show();
            }
            AskManager();
        } else {
            w_->hide();
        }
    }

    int HandleWindow(int e) {
        if ((e == FL_KEYBOARD || e == FL_SHORTCUT) && (Fl::event_state() & FL_ALT)) {
            int vk = VirtualKeyOf(Fl::event_key());
            bool handled = false;
            if (vk && !Call([&] { handled = c_.DispatchKey(vk, CurrentShiftState()); }))
                return 1;
            if (handled)
                return 1;
        }
        return w_->Fl_Double_Window::handle(e);
    }

    // A key pressed anywhere in the window, before its widgets see it; true when the window's
    // shortcuts took it (or closed the window meanwhile).
    bool Preview(int vk, TShiftState shift) {
        bool taken = false;
        if (!Call([&] { taken = c_.PreviewKey(vk, shift); }))
            return true;
        return taken;
    }

    void Resized(int x, int y, int w, int h) {
        // A manager's maximise may reach the window before its new state does; the state is
        // read now so the normal placement is not taken from the maximised size.
        if (w_->shown() && wm_state::ManagerPresent())
            StateFromManager(false);
        beforeResize_ = c_.NormalBounds();
        resizedAt_ = std::chrono::steady_clock::now();
        Call([&] { c_.PeerMoved(x, y, w, h); });
    }

private:
    static std::vector<TWindowPeer*>& Peers() {
        static std::vector<TWindowPeer*> peers;
        return peers;
    }

    // Every X event passes here first: a window whose manager state changed hears of it, and
    // one newly taken in by the manager makes the request that waited for that.
    static int SystemEvent(void* event, void*) {
        for (TWindowPeer* p : Peers()) {
            if (!wm_state::IsEventFor(event, p->w_))
                continue;
            if (wm_state::IsStateChange(event, p->w_))
                p->StateFromManager(true);
            if (p->waiting_)
                p->AskManager();
            if (!p->framed_ && wm_state::IsPropertyChange(event, p->w_))
                p->FitFrame();
            break;
        }
        return 0; // the toolkit handles the event as usual
    }

    // Asks the manager for the window's maximised state when it differs from what the manager
    // last said (or was last asked); a window the manager has not taken in yet waits for it.
    void AskManager() {
        waiting_ = false;
        if (!c_.Shown() || !w_->shown() || !wm_state::ManagerPresent())
            return;
        const bool maximised = c_.WindowState() == TWindowState::wsMaximized;
        if (maximised == (asked_ ? askedMaximised_ : wmMaximised_))
            return;
        if (!wm_state::Managed(w_)) {
            waiting_ = true;
            return;
        }
        asked_ = true;
        askedMaximised_ = maximised;
        wm_state::RequestMaximised(w_, maximised);
    }

    // Takes the manager's maximised state into the window. Told after the fact (late), a
    // maximise whose resize came just before it keeps the placement from before that resize.
    void StateFromManager(bool late) {
        const bool maximised = wm_state::Maximised(w_);
        if (asked_ && maximised != askedMaximised_)
            return; // the manager has not yet done what was asked
        asked_ = false;
        if (maximised == wmMaximised_)
            return;
        wmMaximised_ = maximised;
        const bool isMaximised = c_.WindowState() == TWindowState::wsMaximized;
        if (maximised == isMaximised)
            return;
        const bool resizedJustNow =
            std::chrono::steady_clock::now() - resizedAt_ < std::chrono::seconds(1);
        const TRect normal =
            late && resizedJustNow && beforeResize_.Width() > 0 ? beforeResize_ : c_.NormalBounds();
        Call([&] {
            c_.PeerWindowState(maximised ? TWindowState::wsMaximized : TWindowState::wsNormal,
                               normal);
        });
    }

    // Once the manager has framed a window the user may resize, the frame too is fitted into
    // the work area (the title bar stays reachable), once.
    void FitFrame() {
        int l = 0, r = 0, t = 0, b = 0;
        if (!c_.Resizable() || !wm_state::FrameExtents(w_, l, r, t, b))
            return;
        framed_ = true;
        if (c_.WindowState() != TWindowState::wsNormal)
            return;
        int X, Y, W, H;
        Fl::screen_work_area(X, Y, W, H, c_.Left() + c_.Width() / 2, c_.Top() + c_.Height() / 2);
        const int w = std::max(std::min(c_.Width(), W - l - r), std::max(c_.MinimumWidth(), 1));
        const int h = std::max(std::min(c_.Height(), H - t - b), std::max(c_.MinimumHeight(), 1));
        const int x = std::max(std::min(c_.Left(), X + W - r - w), X + l);
        const int y = std::max(std::min(c_.Top(), Y + H - b - h), Y + t);
        if (x != c_.Left() || y != c_.Top() || w != c_.Width() || h != c_.Height())
            Call([&] { c_.SetBounds(x, y, w, h); });
    }

    // A window the user may resize opens within the screen's work area: a placement remembered
    // on a larger screen, or a default size too large for a small one, is shrunk and moved in.
    void FitWorkArea() {
        if (!c_.Resizable())
            return;
        int X, Y, W, H;
        Fl::screen_work_area(X, Y, W, H, c_.Left() + c_.Width() / 2, c_.Top() + c_.Height() / 2);
        if (W <= 0 || H <= 0)
            return;
        const int w = std::max(std::min(c_.Width(), W), 1);
        const int h = std::max(std::min(c_.Height(), H), 1);
        const int x = std::clamp(c_.Left(), X, X + W - w);
        const int y = std::clamp(c_.Top(), Y, Y + H - h);
        if (x != c_.Left() || y != c_.Top() || w != c_.Width() || h != c_.Height())
            c_.PeerMoved(x, y, w, h);
    }

    static void CloseCallback(Fl_Widget*, void* data) {
        auto* self = static_cast<TWindowPeer*>(data);
        // Escape closes dialogs (a cancel), never the main window.
        if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape && !self->c_.Modal())
            return;
        TWindow& c = self->c_;
        Application().Protect([&] { c.PeerCloseRequest(); });
    }

    void SetIcon() {
        shownIcon_ = c_.Icon();
        const TBitmap& b = *shownIcon_;
        if (b.Empty())
            return;
        iconData_.resize(static_cast<size_t>(b.Width()) * b.Height() * 3);
        size_t i = 0;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x) {
                TColor p = b.GetPixel(x, y);
                iconData_[i++] = GetRValue(p);
                iconData_[i++] = GetGValue(p);
                iconData_[i++] = GetBValue(p);
            }
        Fl_RGB_Image img(iconData_.data(), b.Width(), b.Height(), 3);
        w_->icon(&img); // copied by the window
    }

    TWindow& c_;
    TFlWindow* w_;
    bool wmMaximised_ = false;    // what the manager last said
    bool asked_ = false;          // a request to the manager is not yet answered
    bool askedMaximised_ = false; // what was asked
    bool waiting_ = false;        // a request waits for the manager to take the window in
    bool framed_ = false;         // the manager's frame was fitted into the work area
    TRect beforeResize_;          // the normal placement before the latest resize
    std::chrono::steady_clock::time_point resizedAt_; // when that resize came
    std::shared_ptr<const TBitmap> shownIcon_;
    std::vector<uchar> iconData_;
};

int TFlWindow::handle(int e) {
    return Peer ? Peer->HandleWindow(e) : Fl_Double_Window::handle(e);
}

void TFlWindow::resize(int x, int y, int w, int h) {
    Fl_Double_Window::resize(x, y, w, h);
    if (Peer)
        Peer->Resized(x, y, w, h);
}

// ---- panel ----

// Narrows the top of the toolkit's clip stack to a rectangle for its lifetime, then puts the
// region that was there back. The stack never grows: the toolkit's holds only a handful of
// regions, and panels nest as deep as a page's frame sets do (a frame set that loads itself
// nests until its frames are too small to split); beyond the stack's end a push is lost, the
// pops that follow take away clips that were never pushed, and frames are left blank.
class TClipNarrowing {
public:
    TClipNarrowing(int x, int y, int w, int h) {
        old_ = fl_clip_region();
        // X rectangles hold 16-bit coordinates.
        XRectangle r;
        r.x = static_cast<short>(std::clamp(x, -32768, 32767));
        r.y = static_cast<short>(std::clamp(y, -32768, 32767));
        r.width = static_cast<unsigned short>(std::clamp(w, 0, 65535));
        r.height = static_cast<unsigned short>(std::clamp(h, 0, 65535));
        Fl_Region mine = XCreateRegion();
        XUnionRectWithRegion(&r, mine, mine);
        if (old_) {
            // The current region is handed over to fl_clip_region, which frees it: keep a copy.
            saved_ = XCreateRegion();
            XUnionRegion(old_, saved_, saved_);
            XIntersectRegion(mine, old_, mine);
        }
        fl_clip_region(mine);
    }
    ~TClipNarrowing() { fl_clip_region(saved_); }
    TClipNarrowing(const TClipNarrowing&) = delete;
    TClipNarrowing& operator=(const TClipNarrowing&) = delete;

private:
    Fl_Region old_ = nullptr;
    Fl_Region saved_ = nullptr;
};

// A panel's children are clipped to the inside of its frame, as the toolkit model the engine
// assumes has it: a page's form widget at the edge of a viewer never draws over the window
// beyond it.
class TFlPanel : public THooked<Fl_Group> {
public:
    using THooked<Fl_Group>::THooked;
    // The toolkit sends a move to the window under the pointer for every widget hidden or
    // deleted, so that the widget under the pointer is found again; a group finds it by
    // looking at every child. A page hides or drops its thousands of controls at once: while
    // the pointer has not moved and still lies on a widget of this panel, there is nothing to
    // find.
    int handle(int e) override {
        if (e == FL_MOVE) {
            const int x = Fl::event_x_root(), y = Fl::event_y_root();
            const bool still = x == lastX_ && y == lastY_;
            lastX_ = x;
            lastY_ = y;
            Fl_Widget* below = Fl::belowmouse();
            if (still && below && below != this && contains(below))
                return 1;
        }
        return THooked<Fl_Group>::handle(e);
    }
    void draw() override {
        if (damage() & ~FL_DAMAGE_CHILD) {
            draw_box();
            draw_label();
        }
        TClipNarrowing clip(x() + Fl::box_dx(box()), y() + Fl::box_dy(box()),
                            w() - Fl::box_dw(box()), h() - Fl::box_dh(box()));
        draw_children();
    }

private:
    int lastX_ = -1, lastY_ = -1;
};

class TPanelPeer final : public TFltkPeer {
public:
    explicit TPanelPeer(TPanel& c) : TFltkPeer(c), c_(c) {
        Fl_Group::current(nullptr);
        w_ = new TFlPanel(0, 0, 1, 1);
        w_->end();
        w_->Peer = this;
        w_->resizable(nullptr);
        Attach();
        Sync();
    }
    ~TPanelPeer() override { Release(w_); }
    Fl_Widget* Widget() const override { return w_; }
    Fl_Group* Group() const override { return w_; }
    void Sync() override {
        switch (c_.BevelOuter()) {
        case TBevelCut::bvRaised:
            w_->box(FL_THIN_UP_BOX);
            break;
        case TBevelCut::bvLowered:
            w_->box(FL_THIN_DOWN_BOX);
            break;
        default:
            w_->box(FL_FLAT_BOX);
            break;
        }
        w_->color(fl_rgb_color(GetRValue(c_.Color), GetGValue(c_.Color), GetBValue(c_.Color)));
        SyncCommon();
        if (c_.TakesMouse() && Fl::belowmouse() == w_ && w_->window())
            w_->window()->cursor(ShownCursor(c_.Cursor));
    }

protected:
    // Mouse events no child takes are the panel's own when it takes the mouse.
    bool Own(int e, const std::function<int(int)>& base, int& r) override {
        if (!c_.TakesMouse())
            return TFltkPeer::Own(e, base, r);
        const int x = Fl::event_x() - w_->x(), y = Fl::event_y() - w_->y();
        const TShiftState shift = CurrentShiftState();
        TPanel& c = c_;
        switch (e) {
        case FL_PUSH: {
            r = base(e);
            if (r)
                return true; // a child took it
            r = 1;
            pressed_ = true;
            const TMouseButton b = Fl::event_button() == FL_RIGHT_MOUSE    ? TMouseButton::mbRight
                                   : Fl::event_button() == FL_MIDDLE_MOUSE ? TMouseButton::mbMiddle
                                                                           : TMouseButton::mbLeft;
            return Call([&] { c.OwnMouseDown(b, shift, x, y); });
        }
        case FL_DRAG:
            if (!pressed_)
                break;
            r = 1;
            return Call([&] { c.OwnMouseMove(shift, x, y); });
        case FL_RELEASE: {
            // FLTK forgets the pushed widget before it reports the last button's release, so
            // the panel remembers its own press.
            if (!pressed_)
                break;
            if ((Fl::event_state() & (FL_BUTTON1 | FL_BUTTON2 | FL_BUTTON3)) == 0)
                pressed_ = false;
            r = 1;
            const TMouseButton b = Fl::event_button() == FL_RIGHT_MOUSE    ? TMouseButton::mbRight
                                   : Fl::event_button() == FL_MIDDLE_MOUSE ? TMouseButton::mbMiddle
                                                                           : TMouseButton::mbLeft;
            return Call([&] { c.OwnMouseUp(b, shift, x, y); });
        }
        case FL_ENTER:
        case FL_MOVE:
            r = base(e);
            if (Fl::belowmouse() != w_)
                return true; // over a child
            r = 1;
            if (!Call([&] { c.OwnMouseMove(shift, x, y); }))
                return false;
            if (w_->window())
                w_->window()->cursor(ShownCursor(c_.Cursor));
            return true;
        default:
            break;
        }
        r = base(e);
        return true;
    }

private:
    TPanel& c_;
    THooked<Fl_Group>* w_;
    bool pressed_ = false; // a press began on the panel's own area
};

// ---- paint box ----

class TFlPaint : public Fl_Widget {
public:
    TFlPaint(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {}
    class TPaintBoxPeer* Peer = nullptr;
    void draw() override;
    int handle(int e) override;
};

// Where FLTK reads a painted canvas from: one row of RGB bytes at a time.
struct TCanvasRows {
    const TCanvas* Canvas;
    int Left, Top;
};

void CanvasRow(void* data, int x, int y, int w, uchar* out) {
    const auto* rows = static_cast<const TCanvasRows*>(data);
    const uint32_t* in = rows->Canvas->Row(rows->Top + y) + rows->Left + x;
    for (int i = 0; i < w; ++i, out += 3) {
        const uint32_t p = in[i]; // 0x00RRGGBB
        out[0] = static_cast<uchar>(p >> 16);
        out[1] = static_cast<uchar>(p >> 8);
        out[2] = static_cast<uchar>(p);
    }
}

class TPaintBoxPeer final : public TFltkPeer {
public:
    explicit TPaintBoxPeer(TPaintBox& c) : TFltkPeer(c), c_(c) {
        Fl_Group::current(nullptr);
        w_ = new TFlPaint(0, 0, 1, 1);
        w_->Peer = this;
        Attach();
        Sync();
    }
    ~TPaintBoxPeer() override {
        w_->Peer = nullptr;
        Detach(w_);
        DeleteLater(w_);
    }
    Fl_Widget* Widget() const override { return w_; }
    void Sync() override {
        SyncCommon();
        if (Fl::belowmouse() == w_ && w_->window())
            w_->window()->cursor(ShownCursor(c_.Cursor));
    }
    void Focus() override { w_->take_focus(); }
    void Invalidate(const TRect& r) override {
        TRect v = IntersectRect(r, Rect(0, 0, w_->w(), w_->h()));
        if (v.IsEmpty())
            return;
        const int X = w_->x() + v.Left, Y = w_->y() + v.Top;
        w_->damage(FL_DAMAGE_ALL, X, Y, v.Width(), v.Height());
        // The box paints its whole area: widgets above it there (a page's buttons) are drawn
        // again after it, or they would vanish under the page until they next change.
        Fl_Group* g = w_->parent();
        if (!g)
            return;
        for (int k = g->find(w_) + 1; k < g->children(); ++k) {
            Fl_Widget* o = g->child(k);
            if (o->visible() && o->x() < X + v.Width() && X < o->x() + o->w() &&
                o->y() < Y + v.Height() && Y < o->y() + o->h())
                o->redraw();
        }
    }

    void Draw() {
        int cx, cy, cw, ch;
        fl_clip_box(w_->x(), w_->y(), w_->w(), w_->h(), cx, cy, cw, ch);
        if (cw <= 0 || ch <= 0)
            return;
        TRect clip = Bounds(cx - w_->x(), cy - w_->y(), cw, ch);
        try {
            TCanvas canvas(w_->w(), w_->h());
            canvas.SetClipRect(clip);
            if (!Call([&] { c_.Paint(canvas, clip); }))
                return;
            const TRect part = IntersectRect(clip, Rect(0, 0, canvas.Width(), canvas.Height()));
            if (part.IsEmpty())
                return;
            // FLTK asks for the pixels a row at a time, straight from the canvas: no copy of
            // the painted area is made (two full copies were a fifth of the window's memory).
            canvas.Flush();
            TCanvasRows rows{&canvas, part.Left, part.Top};
            fl_draw_image(CanvasRow, &rows, cx, cy, part.Width(), part.Height(), 3);
        } catch (const std::exception& e) {
            fl_rectf(cx, cy, cw, ch, FL_WHITE);
            Application().HandleException(e);
        }
    }

    int HandlePaint(int e) {
        int x = Fl::event_x() - w_->x(), y = Fl::event_y() - w_->y();
        TShiftState shift = CurrentShiftState();
        auto button = [] {
            switch (Fl::event_button()) {
            case FL_MIDDLE_MOUSE:
                return TMouseButton::mbMiddle;
            case FL_RIGHT_MOUSE:
                return TMouseButton::mbRight;
            default:
                return TMouseButton::mbLeft;
            }
        };
        switch (e) {
        case FL_ENTER:
            if (w_->window())
                w_->window()->cursor(ShownCursor(c_.Cursor));
            Call([&] { c_.MouseMove(shift, x, y); });
            return 1;
        case FL_LEAVE:
            if (w_->window())
                w_->window()->cursor(ShownCursor(TCursor::crDefault));
            Call([&] { c_.MouseLeave(); });
            return 1;
        case FL_MOVE:
        case FL_DRAG:
            Call([&] { c_.MouseMove(shift, x, y); });
            return 1;
        case FL_PUSH: {
            if (Fl::visible_focus() && w_->visible_focus())
                w_->take_focus();
            TMouseButton b = button();
            bool twice = Fl::event_clicks() > 0;
            if (!Call([&] { c_.MouseDown(b, shift | (twice ? ssDouble : 0), x, y); }))
                return 1;
            if (twice && b == TMouseButton::mbLeft)
                Call([&] { c_.DblClick(); });
            return 1;
        }
        case FL_RELEASE: {
            TMouseButton b = button();
            Call([&] { c_.MouseUp(b, shift, x, y); });
            return 1;
        }
        case FL_MOUSEWHEEL: {
            int delta = -Fl::event_dy() * 120;
            if (delta)
                Call([&] { c_.MouseWheel(shift, delta, x, y); });
            return 1;
        }
        case FL_FOCUS:
            Call([&] { c_.PeerFocused(); });
            return 1;
        case FL_UNFOCUS:
            return 1;
        case FL_KEYBOARD:
        case FL_SHORTCUT: {
            int vk = VirtualKeyOf(Fl::event_key());
            if (!vk)
                return 0;
            if (Fl::event_state() & FL_ALT) {
                bool handled = false;
                TWindow* win = c_.Window();
                if (win && !Call([&] { handled = win->DispatchKey(vk, shift); }))
                    return 1;
                return handled ? 1 : 0;
            }
            if (e == FL_SHORTCUT || vk == VK_TAB)
                return 0;
            Call([&] { c_.KeyDown(vk, shift); });
            return 1;
        }
        default:
            return 0;
        }
    }

private:
    TPaintBox& c_;
    TFlPaint* w_;
};

void TFlPaint::draw() {
    if (Peer)
        Peer->Draw();
}
int TFlPaint::handle(int e) {
    return Peer ? Peer->HandlePaint(e) : 0;
}

// ---- scroll bar ----

class TScrollBarPeer final : public TFltkPeer {
public:
    explicit TScrollBarPeer(TScrollBar& c) : TFltkPeer(c), c_(c) {
        Fl_Group::current(nullptr);
        w_ = new THooked<Fl_Scrollbar>(0, 0, 1, 1);
        w_->Peer = this;
        w_->type(c.Kind() == TScrollBarKind::sbVertical ? FL_VERTICAL : FL_HORIZONTAL);
        w_->when(FL_WHEN_CHANGED);
        w_->callback(&TFltkPeer::Callback, this);
        w_->clear_visible_focus();
        Attach();
        Sync();
    }
    ~TScrollBarPeer() override { Release(w_); }
    Fl_Widget* Widget() const override { return w_; }
    void Sync() override {
        // FLTK keeps int values and computes with them; ranges beyond 2^30 are scaled down
        // for the widget and scaled back when the user moves the thumb.
        int64_t range = static_cast<int64_t>(c_.Max()) - c_.Min() + 1;
        scale_ = range > (int64_t(1) << 30) ? (range >> 30) + 1 : 1;
        int total = static_cast<int>(range / scale_);
        int page = static_cast<int>(std::max<int64_t>(c_.PageSize() / scale_, 1));
        int pos = static_cast<int>((static_cast<int64_t>(c_.Position()) - c_.Min()) / scale_);
        w_->value(pos, page, 0, total);
        w_->linesize(static_cast<int>(std::max<int64_t>(c_.SmallChange / scale_, 1)));
        SyncCommon();
    }

private:
    void Activated() override {
        TScrollCode code = Fl::event() == FL_DRAG ? TScrollCode::scTrack : TScrollCode::scPosition;
        int64_t pos = c_.Min() + static_cast<int64_t>(w_->value()) * scale_;
        int32_t p = static_cast<int32_t>(std::clamp<int64_t>(pos, c_.Min(), c_.Max()));
        Call([&] { c_.Scroll(code, p); });
    }
    TScrollBar& c_;
    THooked<Fl_Scrollbar>* w_;
    int64_t scale_ = 1;
};

// ---- edit ----

class TEditPeer final : public TFltkPeer {
public:
    explicit TEditPeer(TEdit& c) : TFltkPeer(c), c_(c) {
        Fl_Group::current(nullptr);
        w_ = new THooked<Fl_Input>(0, 0, 1, 1);
        w_->Peer = this;
        w_->when(FL_WHEN_CHANGED);
        w_->callback(&TFltkPeer::Callback, this);
        Attach();
        Sync();
    }
    ~TEditPeer() override { Release(w_); }
    Fl_Widget* Widget() const override { return w_; }
    void Focus() override { w_->take_focus(); }
    void Sync() override {
        w_->type(c_.PasswordChar() ? FL_SECRET_INPUT : FL_NORMAL_INPUT);
        w_->readonly(c_.ReadOnly ? 1 : 0);
        if (c_.Text() != w_->value())
            w_->value(c_.Text().c_str());
        w_->textfont(FlFont(c_.Font));
        w_->textsize(FlSize(c_.Font));
        SyncCommon();
    }

private:
    void Activated() override {
        const std::string t = w_->value();
        Call([&] { c_.UserSetText(t); });
    }
    TEdit& c_;
    THooked<Fl_Input>* w_;
};

// ---- memo ----

// The editor owns its text buffer, declared as the earlier base so it outlives the editor's
// own destructor, which still unhooks itself from the buffer (deletion is deferred by FLTK).
struct TBufferHolder {
    Fl_Text_Buffer Buffer;
};
class TFlMemo : private TBufferHolder, public THooked<Fl_Text_Editor> {
public:
    TFlMemo(int x, int y, int w, int h) : THooked<Fl_Text_Editor>(x, y, w, h) { buffer(&Buffer); }
    Fl_Text_Buffer& TextBuffer() { return Buffer; }
};

class TMemoPeer final : public TFltkPeer {
public:
    explicit TMemoPeer(TMemo& c) : TFltkPeer(c), c_(c) {
        Fl_Group::current(nullptr);
        w_ = new TFlMemo(0, 0, 1, 1);
        w_->end();
        w_->Peer = this;
        buffer_ = &w_->TextBuffer();
        buffer_->add_modify_callback(&TMemoPeer::Modified, this);
        Attach();
        Sync();
    }
    ~TMemoPeer() override {
        buffer_->remove_modify_callback(&TMemoPeer::Modified, this);
        Release(static_cast<THooked<Fl_Text_Editor>*>(w_));
    }
    Fl_Widget* Widget() const override { return w_; }
    void Focus() override { w_->take_focus(); }
    // Only what changed is handed to the editor: each of these makes it lay out its whole
    // text again, and a text area may hold megabytes on one line while its control is synced
    // on every move of the page.
    void Sync() override {
        if (!shown_ || shownGeneration_ != c_.TextGeneration()) {
            shownGeneration_ = c_.TextGeneration();
            std::string t;
            split_ = false;
            for (size_t i = 0; i < c_.Lines().size(); ++i) {
                if (i)
                    t += '\n';
                split_ = AppendRows(t, ValidUtf8(c_.Lines()[i])) || split_;
            }
            large_ = t.size() > kLargestWrapped;
            char* cur = buffer_->text();
            bool same = t == cur;
            free(cur);
            if (!same) {
                // A text too large to wrap must not be wrapped even once on its way in.
                if (large_ && shownWrap_ != Fl_Text_Display::WRAP_NONE) {
                    shownWrap_ = Fl_Text_Display::WRAP_NONE;
                    w_->wrap_mode(shownWrap_, 0);
                }
                syncing_ = true;
                buffer_->text(t.c_str());
                syncing_ = false;
            }
        }
        const int wrap =
            c_.WordWrap() && !large_ ? Fl_Text_Display::WRAP_AT_BOUNDS : Fl_Text_Display::WRAP_NONE;
        if (!shown_ || wrap != shownWrap_) {
            shownWrap_ = wrap;
            w_->wrap_mode(wrap, 0);
        }
        const int bar = c_.ScrollBars() == TScrollStyle::ssNone ? 0 : 16;
        if (w_->scrollbar_width() != bar)
            w_->scrollbar_width(bar);
        if (w_->textfont() != FlFont(c_.Font))
            w_->textfont(FlFont(c_.Font));
        if (w_->textsize() != FlSize(c_.Font))
            w_->textsize(FlSize(c_.Font));
        shown_ = true;
        SyncCommon();
    }

private:
    // The editor measures and draws a line in one piece: a line of megabytes takes seconds
    // to measure, and more glyphs than one X request can carry (the display connection
    // fails). Such lines are shown cut into rows, and the text is then only shown, never
    // edited, so that the cuts never reach the control. Wrapping measures every character of
    // the text whenever it changes or the box is resized: beyond a size the text is not
    // wrapped.
    static constexpr size_t kLongestRow = 8192;
    static constexpr size_t kLargestWrapped = 1 << 20;

    // Appends line to t, cut into rows of at most kLongestRow bytes (after a blank where one
    // lies in the row's second half, never inside a character); true when it was cut.
    static bool AppendRows(std::string& t, const std::string& line) {
        size_t start = 0;
        bool cut = false;
        while (line.size() - start > kLongestRow) {
            size_t end = start + kLongestRow;
            while (end > start && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
                --end;
            const size_t blank = line.rfind(' ', end - 1);
            if (blank != std::string::npos && blank > start + kLongestRow / 2)
                end = blank + 1;
            t.append(line, start, end - start);
            t += '\n';
            start = end;
            cut = true;
        }
        t.append(line, start, std::string::npos);
        return cut;
    }

    // Keys that only move, select or copy; everything else would edit.
    static bool ViewingKey() {
        const int key = Fl::event_key();
        if (Fl::event_state() & FL_CTRL)
            return key == 'c' || key == 'a' || key == FL_Home || key == FL_End || key == FL_Left ||
                   key == FL_Right;
        switch (key) {
        case FL_Left:
        case FL_Right:
        case FL_Up:
        case FL_Down:
        case FL_Home:
        case FL_End:
        case FL_Page_Up:
        case FL_Page_Down:
        case FL_Shift_L:
        case FL_Shift_R:
        case FL_Control_L:
        case FL_Control_R:
            return true;
        default:
            return false;
        }
    }

protected:
    bool Own(int e, const std::function<int(int)>& base, int& r) override {
        if (split_ &&
            (e == FL_PASTE || e == FL_DND_ENTER || e == FL_DND_DRAG || e == FL_DND_RELEASE)) {
            r = 0;
            return true;
        }
        r = base(e);
        return true;
    }
    bool OwnKey(int e, const std::function<int(int)>& base, int& r) override {
        if (split_ && !ViewingKey()) {
            // Tab still moves the focus on; other keys are swallowed.
            r = Fl::event_key() == FL_Tab ? 0 : 1;
            return true;
        }
        r = base(e);
        return true;
    }

private:
    static void Modified(int, int, int, int, const char*, void* data) {
        auto* self = static_cast<TMemoPeer*>(data);
        if (self->syncing_ || self->split_)
            return;
        char* cur = self->buffer_->text();
        std::string t = ValidUtf8(cur);
        free(cur);
        TMemo& c = self->c_;
        Application().Protect([&] { c.UserSetText(t); });
    }
    TMemo& c_;
    Fl_Text_Buffer* buffer_;
    TFlMemo* w_;
    bool syncing_ = false;
    bool shown_ = false;
    bool split_ = false; // a line is shown cut into rows: the text is not edited
    bool large_ = false; // too large to wrap
    uint64_t shownGeneration_ = 0;
    int shownWrap_ = -1;
};

// ---- buttons ----

// Buttons ignore FLTK's own label shortcuts: access keys go through the window, once.
template <class W> class TButtonPeer final : public TFltkPeer {
public:
    TButtonPeer(TButtonControl& c, bool checkable) : TFltkPeer(c), c_(c), checkable_(checkable) {
        Fl_Group::current(nullptr);
        w_ = new THooked<W>(0, 0, 1, 1);
        w_->Peer = this;
        w_->callback(&TFltkPeer::Callback, this);
        Attach();
        Sync();
    }
    ~TButtonPeer() override { Release(w_); }
    Fl_Widget* Widget() const override { return w_; }
    void Focus() override { w_->take_focus(); }
    void Sync() override {
        w_->copy_label(Label(c_.Caption(), true).c_str());
        if (auto* checkable = dynamic_cast<TCheckableButton*>(&c_))
            w_->value(checkable->Checked() ? 1 : 0);
        SyncCommon();
    }

protected:
    bool Own(int e, const std::function<int(int)>& base, int& r) override {
        r = e == FL_SHORTCUT ? 0 : base(e);
        return true;
    }

private:
    void Activated() override {
        TControl& c = c_;
        Call([&] { c.Click(); });
    }
    TButtonControl& c_;
    bool checkable_;
    THooked<W>* w_;
};

// ---- list box ----

class TFlBrowser : public THooked<Fl_Browser> {
public:
    using THooked<Fl_Browser>::THooked;
    // The 0-based item under a window y, or -1.
    int ItemAt(int y) {
        void* item = find_item(y);
        return item ? lineno(item) - 1 : -1;
    }
};

class TListBoxPeer final : public TFltkPeer {
public:
    explicit TListBoxPeer(TListBox& c) : TFltkPeer(c), c_(c) {
        Fl_Group::current(nullptr);
        w_ = new TFlBrowser(0, 0, 1, 1);
        w_->Peer = this;
        w_->type(FL_MULTI_BROWSER);
        w_->format_char(0); // item texts are shown as they are
        // A list box scrolls up and down only, and shows its bar only when the items overflow.
        w_->has_scrollbar(Fl_Browser_::VERTICAL);
        Attach();
        Sync();
    }
    ~TListBoxPeer() override { Release(static_cast<THooked<Fl_Browser>*>(w_)); }
    Fl_Widget* Widget() const override { return w_; }
    void Focus() override { w_->take_focus(); }
    void Sync() override {
        if (shownItems_ != c_.Items()) {
            shownItems_ = c_.Items();
            w_->clear();
            for (const auto& item : shownItems_)
                w_->add(Label(item, true).c_str());
        }
        for (int i = 0; i < c_.Count(); ++i)
            if ((w_->selected(i + 1) != 0) != c_.Selected(i))
                w_->select(i + 1, c_.Selected(i) ? 1 : 0);
        if (c_.TopIndex() != shownTop_) {
            shownTop_ = c_.TopIndex();
            if (c_.Count() > 0)
                w_->topline(shownTop_ + 1);
        }
        w_->textfont(FlFont(c_.Font));
        w_->textsize(FlSize(c_.Font));
        SyncCommon();
    }

protected:
    // Clicks and selection keys are the control's; FLTK only draws and scrolls.
    bool Own(int e, const std::function<int(int)>& base, int& r) override {
        if (e == FL_PUSH && Fl::event_button() == FL_LEFT_MOUSE) {
            int sx = Fl::event_x(), sy = Fl::event_y();
            bool onBar = w_->scrollbar.visible() && Fl::event_inside(&w_->scrollbar);
            bool onHBar = w_->hscrollbar.visible() && Fl::event_inside(&w_->hscrollbar);
            if (!onBar && !onHBar) {
                (void)sx;
                w_->take_focus();
                int i = w_->ItemAt(sy);
                TShiftState s = CurrentShiftState();
                const bool twice = Fl::event_clicks() > 0;
                r = 1;
                if (!Call([&] { c_.ClickItem(i, s); }))
                    return false;
                return !twice || Call([&] { c_.DblClickItem(i); });
            }
        }
        if (e == FL_DRAG || e == FL_RELEASE) {
            if (!Fl::event_inside(&w_->scrollbar) && !Fl::event_inside(&w_->hscrollbar)) {
                r = 1;
                return true;
            }
        }
        r = base(e);
        return ReportScroll();
    }
    bool OwnKey(int e, const std::function<int(int)>& base, int& r) override {
        int vk = VirtualKeyOf(Fl::event_key());
        if (vk == VK_UP || vk == VK_DOWN || vk == VK_HOME || vk == VK_END || vk == VK_PRIOR ||
            vk == VK_NEXT || vk == VK_SPACE) {
            TShiftState s = CurrentShiftState();
            r = 1;
            if (!Call([&] { c_.KeyDown(vk, s); }))
                return false;
            if (c_.ItemIndex() >= 0)
                w_->make_visible(c_.ItemIndex() + 1);
            return ReportScroll();
        }
        r = base(e);
        return ReportScroll();
    }

private:
    // The user scrolled the widget (bar, wheel, keys): the control's top item follows, so a
    // later Sync keeps the view where the user left it.
    bool ReportScroll() {
        const int top = w_->topline() - 1;
        if (c_.Count() == 0 || top == c_.TopIndex())
            return true;
        shownTop_ = top;
        return Call([&] { c_.SetTopIndex(top); });
    }
    TListBox& c_;
    TFlBrowser* w_;
    std::vector<std::string> shownItems_;
    int shownTop_ = 0;
};

// ---- combo box ----

class TComboBoxPeer final : public TFltkPeer {
public:
    explicit TComboBoxPeer(TComboBox& c) : TFltkPeer(c), c_(c) {
        Fl_Group::current(nullptr);
        w_ = new THooked<Fl_Choice>(0, 0, 1, 1);
        w_->Peer = this;
        w_->callback(&TFltkPeer::Callback, this);
        Attach();
        Sync();
    }
    ~TComboBoxPeer() override {
        w_->menu(nullptr);
        Release(w_);
    }
    Fl_Widget* Widget() const override { return w_; }
    void Focus() override { w_->take_focus(); }
    void Sync() override {
        SyncItems();
        // By the item itself: FLTK's choice by index counts the whole menu first.
        if (c_.ItemIndex() >= 0 && static_cast<size_t>(c_.ItemIndex()) < labels_.size())
            w_->value(&menu_[static_cast<size_t>(c_.ItemIndex())]);
        else
            w_->value(static_cast<const Fl_Menu_Item*>(nullptr));
        w_->textfont(FlFont(c_.Font));
        w_->textsize(FlSize(c_.Font));
        SyncCommon();
    }

private:
    // The menu follows the items: rebuilt when they were replaced, extended when items were
    // added at the end (a page adds its options one at a time, and a rebuild per option would
    // make a long list quadratic).
    void SyncItems() {
        const bool replaced =
            generation_ != c_.ItemsGeneration() || labels_.size() > static_cast<size_t>(c_.Count());
        if (!replaced && labels_.size() == static_cast<size_t>(c_.Count()))
            return;
        if (replaced) {
            generation_ = c_.ItemsGeneration();
            labels_.clear();
            menu_.clear();
        }
        const Fl_Menu_Item* before = menu_.empty() ? nullptr : menu_.data();
        if (!menu_.empty())
            menu_.pop_back(); // the terminator
        for (size_t i = labels_.size(); i < static_cast<size_t>(c_.Count()); ++i) {
            labels_.push_back(Label(c_.Items()[i], false)); // a deque: earlier texts stay put
            menu_.push_back(Fl_Menu_Item{});
            menu_.back().text = labels_.back().c_str();
        }
        menu_.push_back(Fl_Menu_Item{});
        if (replaced || menu_.data() != before)
            w_->menu(menu_.data());
    }
    void Activated() override {
        int i = w_->value();
        Call([&] { c_.SelectItem(i); });
    }
    TComboBox& c_;
    THooked<Fl_Choice>* w_;
    uint64_t generation_ = 0;
    std::deque<std::string> labels_;
    std::vector<Fl_Menu_Item> menu_;
};

// ---- context menu ----

class TPopupMenuPeerImpl final : public TPopupMenuPeer {
public:
    explicit TPopupMenuPeerImpl(TPopupMenu& menu) : menu_(menu) {}

    int Popup(TControl& control, int x, int y) override {
        TWindow* window = control.Window();
        auto* wp = window ? dynamic_cast<TFltkPeer*>(window->Peer()) : nullptr;
        Fl_Window* flw = wp ? wp->Widget()->as_window() : nullptr;
        if (!flw || !flw->shown())
            return -1;
        // Window coordinates, as FLTK places widgets.
        for (const TControl* p = &control; p && p->Parent(); p = p->Parent()) {
            x += p->Left();
            y += p->Top();
        }
        // The items: a separator is a line under the item before it.
        std::vector<std::string> labels;
        std::vector<int> index;
        labels.reserve(menu_.Items.size());
        for (size_t i = 0; i < menu_.Items.size(); ++i) {
            if (menu_.Items[i].Separator)
                continue;
            labels.push_back(Label(menu_.Items[i].Caption, true));
            index.push_back(static_cast<int>(i));
        }
        if (labels.empty())
            return -1;
        std::vector<Fl_Menu_Item> items(labels.size() + 1, Fl_Menu_Item{});
        for (size_t k = 0; k < labels.size(); ++k) {
            const TMenuItem& item = menu_.Items[static_cast<size_t>(index[k])];
            items[k].text = labels[k].c_str();
            items[k].labelsize_ = static_cast<Fl_Fontsize>(FlSize(control.Font));
            if (!item.Enabled)
                items[k].flags |= FL_MENU_INACTIVE;
            const size_t next = static_cast<size_t>(index[k]) + 1;
            if (next < menu_.Items.size() && menu_.Items[next].Separator && k + 1 < labels.size())
                items[k].flags |= FL_MENU_DIVIDER;
        }
        // A button in the window gives the menu its place on the screen; it is never shown.
        Fl_Group::current(nullptr);
        auto* button = new Fl_Menu_Button(x, y, 1, 1);
        button->hide();
        flw->add(button);
        const Fl_Menu_Item* chosen = items[0].popup(x, y, nullptr, nullptr, button);
        flw->remove(button);
        Fl::delete_widget(button);
        if (!chosen)
            return -1;
        const auto k = static_cast<size_t>(chosen - items.data());
        return k < index.size() ? index[k] : -1;
    }

private:
    TPopupMenu& menu_;
};

} // namespace

bool PreviewShortcut(Fl_Window* window) {
    auto* w = dynamic_cast<TFlWindow*>(window);
    if (!w || !w->Peer)
        return false;
    const int vk = VirtualKeyOf(Fl::event_key());
    return vk && w->Peer->Preview(vk, CurrentShiftState());
}

void ShowScreenCursor(TCursor cursor) {
    for (Fl_Window* w = Fl::first_window(); w; w = Fl::next_window(w))
        w->cursor(FlCursor(cursor));
    Fl::flush();
}

std::unique_ptr<TControlPeer> TFltkPeerFactory::CreateWindow(TWindow& c) {
    return std::make_unique<TWindowPeer>(c);
}
std::unique_ptr<TControlPeer> TFltkPeerFactory::CreatePanel(TPanel& c) {
    return std::make_unique<TPanelPeer>(c);
}
std::unique_ptr<TControlPeer> TFltkPeerFactory::CreatePaintBox(TPaintBox& c) {
    return std::make_unique<TPaintBoxPeer>(c);
}
std::unique_ptr<TControlPeer> TFltkPeerFactory::CreateScrollBar(TScrollBar& c) {
    return std::make_unique<TScrollBarPeer>(c);
}
std::unique_ptr<TControlPeer> TFltkPeerFactory::CreateEdit(TEdit& c) {
    return std::make_unique<TEditPeer>(c);
}
std::unique_ptr<TControlPeer> TFltkPeerFactory::CreateMemo(TMemo& c) {
    return std::make_unique<TMemoPeer>(c);
}
std::unique_ptr<TControlPeer> TFltkPeerFactory::CreateButton(TButton& c) {
    return std::make_unique<TButtonPeer<Fl_Button>>(c, false);
}
std::unique_ptr<TControlPeer> TFltkPeerFactory::CreateCheckBox(TCheckBox& c) {
    return std::make_unique<TButtonPeer<Fl_Check_Button>>(c, true);
}
std::unique_ptr<TControlPeer> TFltkPeerFactory::CreateRadioButton(TRadioButton& c) {
    return std::make_unique<TButtonPeer<Fl_Round_Button>>(c, true);
}
std::unique_ptr<TControlPeer> TFltkPeerFactory::CreateListBox(TListBox& c) {
    return std::make_unique<TListBoxPeer>(c);
}
std::unique_ptr<TControlPeer> TFltkPeerFactory::CreateComboBox(TComboBox& c) {
    return std::make_unique<TComboBoxPeer>(c);
}
std::unique_ptr<TPopupMenuPeer> TFltkPeerFactory::CreatePopupMenu(TPopupMenu& menu) {
    return std::make_unique<TPopupMenuPeerImpl>(menu);
}
