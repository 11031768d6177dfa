#include "platform/gui/list_box.h"

#include <algorithm>

#include "platform/graphics/canvas.h"
#include "platform/gui/peer.h"
#include "platform/gui/scroll_bar.h"

TListBox::TListBox() {
    SetBounds(0, 0, 121, 97);
}

void TListBox::SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    selected_.assign(items_.size(), 0);
    itemIndex_ = -1;
    anchor_ = -1;
    topIndex_ = 0;
    Changed();
}

void TListBox::AddItem(const std::string& item) {
    items_.push_back(item);
    selected_.push_back(0);
    Changed();
}

void TListBox::Clear() {
    SetItems({});
}

void TListBox::SetMultiSelect(bool multi) {
    if (multi == multi_)
        return;
    multi_ = multi;
    // Leaving multiple selection keeps at most the focused item selected.
    if (!multi_) {
        bool keep = Valid(itemIndex_) && selected_[itemIndex_];
        std::fill(selected_.begin(), selected_.end(), 0);
        if (keep)
            selected_[itemIndex_] = 1;
        else
            itemIndex_ = -1;
    }
    Changed();
}

void TListBox::SetExtendedSelect(bool extended) {
    extended_ = extended;
    Changed();
}

void TListBox::SetItemIndex(int index) {
    if (!Valid(index))
        index = -1;
    if (!multi_) {
        std::fill(selected_.begin(), selected_.end(), 0);
        if (index >= 0)
            selected_[index] = 1;
    }
    itemIndex_ = index;
    anchor_ = index;
    Changed();
}

bool TListBox::Selected(int index) const {
    return Valid(index) && selected_[index];
}

void TListBox::SetSelected(int index, bool selected) {
    if (!Valid(index))
        return;
    if (!multi_) {
        if (selected)
            SetItemIndex(index);
        else if (itemIndex_ == index)
            SetItemIndex(-1);
        return;
    }
    selected_[index] = selected ? 1 : 0;
    Changed();
}

int TListBox::SelCount() const {
    return static_cast<int>(std::count(selected_.begin(), selected_.end(), 1));
}

void TListBox::SetTopIndex(int index) {
    topIndex_ = std::clamp(index, 0, std::max(Count() - 1, 0));
    Changed();
}

int TListBox::VisibleItems() const {
    // The sunken frame takes two pixels a side.
    return std::max((Height() - 4) / std::max(ItemHeight, 1), 1);
}

void TListBox::DblClickItem(int index) {
    if (Valid(index) && OnDblClick)
        OnDblClick(*this);
}

void TListBox::ClickItem(int index, TShiftState shift) {
    if (!Valid(index))
        return;
    if (!multi_) {
        SetItemIndex(index);
    } else if (!extended_) {
        selected_[index] ^= 1;
        itemIndex_ = index;
        anchor_ = index;
    } else if ((shift & ssShift) && Valid(anchor_)) {
        if (!(shift & ssCtrl))
            std::fill(selected_.begin(), selected_.end(), 0);
        for (int i = std::min(anchor_, index); i <= std::max(anchor_, index); ++i)
            selected_[i] = 1;
        itemIndex_ = index;
    } else if (shift & ssCtrl) {
        selected_[index] ^= 1;
        itemIndex_ = index;
        anchor_ = index;
    } else {
        std::fill(selected_.begin(), selected_.end(), 0);
        selected_[index] = 1;
        itemIndex_ = index;
        anchor_ = index;
    }
    Changed();
    Click();
}

void TListBox::DoKeyDown(int key, TShiftState shift) {
    if (items_.empty())
        return;
    int page = std::max(Height() / std::max(ItemHeight, 1) - 1, 1);
    int cur = itemIndex_ < 0 ? -1 : itemIndex_;
    int next;
    switch (key) {
    case VK_UP:
        next = cur - 1;
        break;
    case VK_DOWN:
        next = cur + 1;
        break;
    case VK_HOME:
        next = 0;
        break;
    case VK_END:
        next = Count() - 1;
        break;
    case VK_PRIOR:
        next = cur - page;
        break;
    case VK_NEXT:
        next = cur + page;
        break;
    case VK_SPACE:
        if (multi_ && Valid(cur))
            ClickItem(cur, extended_ ? (shift | ssCtrl) : shift);
        return;
    default:
        return;
    }
    next = std::clamp(next, 0, Count() - 1);
    if (next == cur)
        return;
    // In a multiple (not extended) box the arrows only move the focus rectangle.
    if (multi_ && !extended_) {
        itemIndex_ = next;
        Changed();
        return;
    }
    ClickItem(next, shift & ssShift);
    // The view follows the item the keys moved to.
    if (itemIndex_ < topIndex_)
        SetTopIndex(itemIndex_);
    else if (itemIndex_ >= topIndex_ + VisibleItems())
        SetTopIndex(itemIndex_ - VisibleItems() + 1);
}

std::unique_ptr<TControlPeer> TListBox::MakePeer(TPeerFactory& factory) {
    return factory.CreateListBox(*this);
}

void TListBox::PaintTo(TCanvas& canvas, int x, int y) const {
    TRect r = Bounds(x, y, Width(), Height());
    TRect inner = DrawTextField(canvas, r);
    TRect saved = canvas.ClipRect();
    // The scroll bar stands at the right inside the frame, only when the items overflow.
    TRect items = inner;
    if (NeedsScrollBar()) {
        items.Right = std::max(inner.Left, inner.Right - TScrollBar::Breadth);
        const int visible = VisibleItems();
        canvas.SetClipRect(IntersectRect(saved, inner));
        TScrollBar::Draw(canvas, Rect(items.Right, inner.Top, inner.Right, inner.Bottom),
                         TScrollBarKind::sbVertical, topIndex_, 0, Count() - 1, visible);
    }
    canvas.SetClipRect(IntersectRect(saved, items));
    int h = std::max(ItemHeight, 1);
    for (int i = topIndex_; i < Count(); ++i) {
        int top = items.Top + (i - topIndex_) * h;
        if (top >= items.Bottom)
            break;
        TRect row = Rect(items.Left, top, items.Right, top + h);
        bool sel = selected_[i] != 0;
        canvas.Brush.Color = sel ? RGB(0, 0, 128) : clWhite;
        canvas.FillRect(row);
        canvas.Font.Color = sel ? clWhite : Font.Color;
        canvas.TextRect(row, row.Left + 2, top + (h - canvas.TextHeight("A")) / 2, items_[i]);
    }
    canvas.SetClipRect(saved);
}
