#include "platform/gui/combo_box.h"

#include <algorithm>

#include "platform/graphics/canvas.h"
#include "platform/gui/peer.h"

TComboBox::TComboBox() {
    SetBounds(0, 0, 145, 21);
}

void TComboBox::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    ++generation_;
    itemIndex_ = -1;
    Changed();
}

void TComboBox::AddItem(const std::string& item) {
    items_.push_back(item);
    Changed();
}

void TComboBox::Clear() {
    SetItems({});
}

void TComboBox::SetItemIndex(int index) {
    itemIndex_ = index >= 0 && index < Count() ? index : -1;
    Changed();
}

std::string TComboBox::Text() const {
    return itemIndex_ >= 0 ? items_[itemIndex_] : std::string();
}

void TComboBox::SelectItem(int index) {
    if (index < 0 || index >= Count())
        return;
    bool changed = index != itemIndex_;
    SetItemIndex(index);
    Click();
    if (changed && OnChange)
        OnChange(*this);
}

void TComboBox::DoKeyDown(int key, TShiftState) {
    if (items_.empty())
        return;
    if (key == VK_DOWN)
        SelectItem(std::min(itemIndex_ + 1, Count() - 1));
    else if (key == VK_UP)
        SelectItem(std::max(itemIndex_ - 1, 0));
}

std::unique_ptr<TControlPeer> TComboBox::MakePeer(TPeerFactory& factory) {
    return factory.CreateComboBox(*this);
}

void TComboBox::PaintTo(TCanvas& canvas, int x, int y) const {
    TRect r = Bounds(x, y, Width(), Height());
    canvas.Brush.Color = clWhite;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(r);
    DrawEdge(canvas, r, true);
    int button = std::min(Height(), Width());
    TRect arrow = Rect(r.Right - button, r.Top, r.Right, r.Bottom);
    canvas.Brush.Color = clSilver;
    canvas.FillRect(arrow);
    DrawEdge(canvas, arrow, false);
    int cx = arrow.Left + button / 2, cy = arrow.Top + Height() / 2;
    canvas.Brush.Color = clBlack;
    canvas.Pen.Color = clBlack;
    canvas.Polygon({Point(cx - 4, cy - 2), Point(cx + 4, cy - 2), Point(cx, cy + 2)});
    canvas.Font = Font;
    canvas.TextAlign = taTop;
    // Transparent text: the field is white already, the brush is the arrow's black.
    canvas.Brush.Style = bsClear;
    TRect inner = Rect(r.Left + 2, r.Top + 2, arrow.Left, r.Bottom - 2);
    canvas.TextRect(inner, inner.Left + 1, r.Top + (Height() - canvas.TextHeight("A")) / 2, Text());
}
