#include "platform/gui/paint_box.h"

#include "platform/graphics/canvas.h"
#include "platform/gui/peer.h"

TPaintBox::TPaintBox() {
    SetBounds(0, 0, 105, 105);
}

void TPaintBox::PaintLabelGround(TCanvas& canvas) const {
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = clSilver;
    canvas.FillRect(Rect(0, 0, Width(), Height()));
    canvas.Font.Name = "Arial";
    canvas.Font.Size = 9;
    canvas.Font.Color = clBlack;
    canvas.Brush.Style = bsClear;
}

void TPaintBox::SetCursor(TCursor cursor) {
    if (cursor == Cursor)
        return;
    Cursor = cursor;
    Changed();
}

void TPaintBox::Invalidate() {
    Invalidate(ClientRect());
}

void TPaintBox::Invalidate(const TRect& r) {
    if (Peer())
        Peer()->Invalidate(r);
}

void TPaintBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown)
        OnMouseDown(*this, button, shift, x, y);
}

void TPaintBox::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove)
        OnMouseMove(*this, shift, x, y);
}

void TPaintBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseUp)
        OnMouseUp(*this, button, shift, x, y);
}

void TPaintBox::DblClick() {
    if (OnDblClick)
        OnDblClick(*this);
}

void TPaintBox::MouseWheel(TShiftState shift, int delta, int x, int y) {
    if (OnMouseWheel)
        OnMouseWheel(*this, shift, delta, x, y);
}

void TPaintBox::MouseLeave() {
    if (OnMouseLeave)
        OnMouseLeave(*this);
}

void TPaintBox::Paint(TCanvas& canvas, const TRect& clip) {
    if (OnPaint)
        OnPaint(*this, canvas, clip);
}

void TPaintBox::PaintTo(TCanvas& canvas, int x, int y) const {
    if (!OnPaint || Width() <= 0 || Height() <= 0)
        return;
    // The handler draws in the control's own coordinates: draw into a canvas of the
    // control's size, then copy it into place.
    TCanvas own(Width(), Height());
    OnPaint(const_cast<TPaintBox&>(*this), own, ClientRect());
    canvas.CopyRect(Bounds(x, y, Width(), Height()), own, ClientRect());
}

std::unique_ptr<TControlPeer> TPaintBox::MakePeer(TPeerFactory& factory) {
    return factory.CreatePaintBox(*this);
}
