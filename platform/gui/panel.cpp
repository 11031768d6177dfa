#include "platform/gui/panel.h"

#include <algorithm>

#include "platform/graphics/canvas.h"
#include "platform/gui/peer.h"

TPanel::TPanel() {
    SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevels(TBevelCut inner, TBevelCut outer, int borderWidth, int bevelWidth) {
    inner_ = inner;
    outer_ = outer;
    border_ = std::max(borderWidth, 0);
    bevelWidth_ = std::max(bevelWidth, 1);
    Changed();
    Realign();
}

TRect TPanel::ClientRect() const {
    int inset = border_ + (inner_ != TBevelCut::bvNone ? bevelWidth_ : 0) +
                (outer_ != TBevelCut::bvNone ? bevelWidth_ : 0);
    TRect r = Rect(inset, inset, Width() - inset, Height() - inset);
    if (r.Right < r.Left)
        r.Right = r.Left;
    if (r.Bottom < r.Top)
        r.Bottom = r.Top;
    return r;
}

std::unique_ptr<TControlPeer> TPanel::MakePeer(TPeerFactory& factory) {
    return factory.CreatePanel(*this);
}

void TPanel::PaintSelf(TCanvas& canvas, int x, int y) const {
    TRect r = Bounds(x, y, Width(), Height());
    canvas.Brush.Color = Color;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(r);
    auto bevel = [&](TBevelCut cut) {
        for (int i = 0; i < bevelWidth_; ++i) {
            DrawEdge(canvas, r, cut == TBevelCut::bvLowered);
            r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
        }
    };
    if (outer_ != TBevelCut::bvNone)
        bevel(outer_);
    r = Rect(r.Left + border_, r.Top + border_, r.Right - border_, r.Bottom - border_);
    if (inner_ != TBevelCut::bvNone)
        bevel(inner_);
}

void TPanel::SetCursor(TCursor cursor) {
    if (cursor == Cursor)
        return;
    Cursor = cursor;
    Changed();
}
