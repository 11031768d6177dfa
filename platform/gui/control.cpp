#include "platform/gui/control.h"

#include <algorithm>
#include <iterator>

#include "platform/graphics/canvas.h"
#include "platform/gui/peer.h"
#include "platform/gui/window.h"

namespace {
TPeerFactory* currentFactory = nullptr;
}

TPeerFactory* PeerFactory() {
    return currentFactory;
}
TPeerFactory* SetPeerFactory(TPeerFactory* factory) {
    return std::exchange(currentFactory, factory);
}

TControl::TControl() {
    Font.Name = "Liberation Sans";
    Font.Size = 8;
}

TControl::~TControl() {
    // The peer goes first: it may still refer to the parent's widget.
    peer_.reset();
    if (TWindow* w = Window())
        w->ForgetControl(this);
    if (parent_)
        parent_->Remove(this);
}

void TControl::Changed() {
    if (peer_)
        peer_->Sync();
}

void TControl::SetBounds(int left, int top, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Changed();
    BoundsChanged();
    if (parent_ && align_ != TAlign::alNone)
        parent_->Realign();
}

void TControl::PeerMoved(int left, int top, int width, int height) {
    // The widget already shows these bounds: store them without syncing back.
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    BoundsChanged();
}

void TControl::SetAlign(TAlign align) {
    if (parent_)
        parent_->aligned_ += (align != TAlign::alNone) - (align_ != TAlign::alNone);
    align_ = align;
    if (parent_)
        parent_->Realign();
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    if (!visible_) {
        TWindow* w = Window();
        if (w && w != this && w->ActiveControl() &&
            (w->ActiveControl() == this || w->ActiveControl()->Parent() == this))
            w->SetActiveControl(nullptr);
    }
    Changed();
    if (parent_)
        parent_->Realign();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Changed();
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->parent_) {
        if (!c->visible_)
            return false;
        if (!c->parent_)
            return dynamic_cast<const TWindow*>(c) != nullptr;
    }
    return false;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_)
        return;
    DestroyPeers();
    if (parent_)
        parent_->Remove(this);
    parent_ = parent;
    if (parent_) {
        parent_->Insert(this);
        if (parent_->Peer() && PeerFactory())
            CreatePeers(*PeerFactory());
        parent_->Realign();
    }
}

TWindow* TControl::Window() const {
    const TControl* c = this;
    while (c->parent_)
        c = c->parent_;
    return dynamic_cast<TWindow*>(const_cast<TControl*>(c));
}

bool TControl::Focused() const {
    TWindow* w = Window();
    return w && w->ActiveControl() == this;
}

bool TControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->visible_ || !c->enabled_)
            return false;
    return Window() != nullptr;
}

void TControl::SetFocus() {
    TWindow* w = Window();
    if (!w || w == this || !CanFocus())
        return;
    w->SetActiveControl(this);
    if (peer_)
        peer_->Focus();
}

void TControl::PeerFocused() {
    if (TWindow* w = Window(); w && w != this)
        w->SetActiveControl(this);
}

void TControl::Click() {
    if (OnClick)
        OnClick(*this);
}

void TControl::KeyDown(int key, TShiftState shift) {
    if (OnKeyDown)
        OnKeyDown(*this, key, shift);
    if (key != 0)
        DoKeyDown(key, shift);
}

void TControl::DoKeyDown(int, TShiftState) {}

void TControl::PaintTo(TCanvas&, int, int) const {}

void TControl::DrawEdge(TCanvas& canvas, const TRect& r, bool sunken) {
    if (r.Width() < 2 || r.Height() < 2)
        return;
    TColor light = clWhite, dark = clGray;
    if (sunken)
        std::swap(light, dark);
    canvas.Pen.Color = light;
    canvas.Pen.Style = psSolid;
    canvas.Pen.Width = 1;
    canvas.MoveTo(r.Left, r.Bottom - 1);
    canvas.LineTo(r.Left, r.Top);
    canvas.LineTo(r.Right - 1, r.Top);
    canvas.Pen.Color = dark;
    canvas.LineTo(r.Right - 1, r.Bottom - 1);
    canvas.LineTo(r.Left, r.Bottom - 1);
}

TRect TControl::DrawTextField(TCanvas& canvas, const TRect& r) const {
    canvas.Brush.Color = clWhite;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(r);
    DrawEdge(canvas, r, true);
    canvas.Font = Font;
    canvas.TextAlign = taTop;
    return Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
}

void TControl::CreatePeers(TPeerFactory& factory) {
    if (!peer_)
        peer_ = MakePeer(factory);
}

void TControl::DestroyPeers() {
    peer_.reset();
}

TWinControl::~TWinControl() {
    // Children outlive their parent here (they are owned elsewhere): detach them, widgets first.
    DestroyPeers();
    for (TControl* c : children_)
        c->parent_ = nullptr;
}

void TWinControl::Insert(TControl* child) {
    children_.push_back(child);
    if (child->align_ != TAlign::alNone)
        ++aligned_;
}

void TWinControl::Remove(TControl* child) {
    // Looked for from the end: a page takes its controls away last first, and a search from
    // the front would make that quadratic.
    auto it = std::find(children_.rbegin(), children_.rend(), child);
    if (it == children_.rend())
        return;
    children_.erase(std::next(it).base());
    if (child->align_ != TAlign::alNone)
        --aligned_;
    Realign();
}

void TWinControl::CreatePeers(TPeerFactory& factory) {
    TControl::CreatePeers(factory);
    for (TControl* c : children_)
        c->CreatePeers(factory);
}

void TWinControl::DestroyPeers() {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        (*it)->DestroyPeers();
    TControl::DestroyPeers();
}

void TWinControl::Realign() {
    // A page's form controls are placed by the page, never aligned: with thousands of them, a
    // walk over all children for each one added or hidden would make showing the page
    // quadratic.
    if (aligning_ || aligned_ == 0)
        return;
    aligning_ = true;
    TRect area = ClientRect();
    auto place = [](TControl* c, int l, int t, int w, int h) {
        c->SetBounds(l, t, std::max(w, 0), std::max(h, 0));
    };
    for (TAlign pass :
         {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
        for (TControl* c : children_) {
            if (c->align_ != pass || !c->visible_)
                continue;
            switch (pass) {
            case TAlign::alTop:
                place(c, area.Left, area.Top, area.Width(), c->height_);
                area.Top = std::min(area.Bottom, area.Top + c->height_);
                break;
            case TAlign::alBottom:
                place(c, area.Left, area.Bottom - c->height_, area.Width(), c->height_);
                area.Bottom = std::max(area.Top, area.Bottom - c->height_);
                break;
            case TAlign::alLeft:
                place(c, area.Left, area.Top, c->width_, area.Height());
                area.Left = std::min(area.Right, area.Left + c->width_);
                break;
            case TAlign::alRight:
                place(c, area.Right - c->width_, area.Top, c->width_, area.Height());
                area.Right = std::max(area.Left, area.Right - c->width_);
                break;
            default:
                place(c, area.Left, area.Top, area.Width(), area.Height());
                break;
            }
        }
    }
    aligning_ = false;
}

void TWinControl::PaintSelf(TCanvas&, int, int) const {}

void TWinControl::PaintTo(TCanvas& canvas, int x, int y) const {
    PaintSelf(canvas, x, y);
    TRect saved = canvas.ClipRect();
    TRect client = ClientRect();
    TRect inner = IntersectRect(
        saved, Bounds(x + client.Left, y + client.Top, client.Width(), client.Height()));
    if (inner.IsEmpty())
        return;
    canvas.SetClipRect(inner);
    for (const TControl* c : children_)
        if (c->visible_)
            c->PaintTo(canvas, x + c->left_, y + c->top_);
    canvas.SetClipRect(saved);
}
