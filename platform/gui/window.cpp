#include "platform/gui/window.h"

#include <algorithm>

#include "platform/graphics/canvas.h"
#include "platform/gui/access_key.h"
#include "platform/gui/application.h"
#include "platform/gui/peer.h"

TWindow::TWindow() {
    SetVisible(false);
    SetBounds(0, 0, 320, 240);
}

TWindow::~TWindow() {
    DestroyPeers();
    if (Application().MainForm == this)
        Application().MainForm = nullptr;
}

void TWindow::SetCaption(const std::string& caption) {
    caption_ = caption;
    Changed();
}

void TWindow::SetWindowState(TWindowState state) {
    if (state == state_)
        return;
    TWindowState old = state_;
    state_ = state;
    if (state == TWindowState::wsNormal && old != TWindowState::wsNormal)
        SetBounds(normal_.Left, normal_.Top, normal_.Width(), normal_.Height());
    Changed();
}

void TWindow::PeerWindowState(TWindowState state, const TRect& normal) {
    if (state == state_)
        return;
    state_ = state;
    // Leaving the maximised state the window's bounds are (or soon will be) its normal ones,
    // and each resize from now on records them.
    normal_ = state == TWindowState::wsMaximized ? normal : BoundsRect();
    if (OnResize)
        OnResize(*this);
}

void TWindow::SetMinimumSize(int width, int height) {
    minWidth_ = std::max(width, 0);
    minHeight_ = std::max(height, 0);
    Changed();
}

void TWindow::SetNormalBounds(const TRect& r) {
    if (state_ == TWindowState::wsNormal)
        SetBounds(r.Left, r.Top, r.Width(), r.Height());
    else
        normal_ = r;
}

void TWindow::SetIcon(std::shared_ptr<const TBitmap> icon) {
    icon_ = std::move(icon);
    Changed();
}

void TWindow::Show() {
    // The first window shown without being modal is the main window unless one was set.
    if (!Application().MainForm && !modal_)
        Application().MainForm = this;
    if (shown_)
        return;
    shown_ = true;
    SetVisible(true);
    Realign();
    // The widgets of all controls are made first, then the window is mapped with them.
    if (TPeerFactory* f = PeerFactory()) {
        CreatePeers(*f);
        Changed();
    }
    if (OnShow)
        OnShow(*this);
}

void TWindow::Hide() {
    if (!shown_)
        return;
    shown_ = false;
    SetVisible(false);
    DestroyPeers();
    if (OnHide)
        OnHide(*this);
}

void TWindow::Close() {
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(*this, canClose);
    if (!canClose)
        return;
    TCloseAction action = TCloseAction::caHide;
    if (OnClose)
        OnClose(*this, action);
    if (action == TCloseAction::caNone)
        return;
    if (modal_ && ModalResult == mrNone)
        ModalResult = mrCancel;
    Hide();
    if (Application().MainForm == this)
        Application().Terminate();
}

int TWindow::ShowModal() {
    TApplication& app = Application();
    ModalResult = mrNone;
    modal_ = true;
    TModalScope scope(this);
    Show();
    while (ModalResult == mrNone && shown_ && !app.Terminated())
        app.HandleMessage();
    modal_ = false;
    Hide();
    return ModalResult == mrNone ? mrCancel : ModalResult;
}

void TWindow::SetActiveControl(TControl* control) {
    if (control == active_)
        return;
    TControl* old = active_;
    active_ = control;
    if (old && old->OnExit)
        old->OnExit(*old);
    if (active_ == control && control && control->OnEnter)
        control->OnEnter(*control);
}

static TControl* FindKey(const TWinControl& parent, char ch) {
    for (TControl* c : parent.Controls()) {
        if (!c->Visible() || !c->Enabled())
            continue;
        if (SameAccessKey(c->AccessKey(), ch))
            return c;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (TControl* found = FindKey(*w, ch))
                return found;
    }
    return nullptr;
}

TControl* TWindow::FindAccessKey(char ch) const {
    return FindKey(*this, ch);
}

bool TWindow::PreviewKey(int key, TShiftState shift) {
    if (!OnShortcut)
        return false;
    OnShortcut(*this, key, shift);
    return key == 0;
}

bool TWindow::DispatchKey(int key, TShiftState shift) {
    if (PreviewKey(key, shift))
        return true;
    if ((shift & ssAlt) && key > ' ' && key < 127) {
        if (TControl* c = FindAccessKey(static_cast<char>(key))) {
            if (c->CanFocus())
                c->SetFocus();
            c->Activate();
            return true;
        }
        return false;
    }
    if (active_) {
        active_->KeyDown(key, shift);
        return true;
    }
    return false;
}

void TWindow::BoundsChanged() {
    if (state_ == TWindowState::wsNormal)
        normal_ = BoundsRect();
    TWinControl::BoundsChanged();
    if (OnResize)
        OnResize(*this);
}

void TWindow::PaintSelf(TCanvas& canvas, int x, int y) const {
    canvas.Brush.Color = clSilver;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(Bounds(x, y, Width(), Height()));
}

std::unique_ptr<TControlPeer> TWindow::MakePeer(TPeerFactory& factory) {
    return factory.CreateWindow(*this);
}
