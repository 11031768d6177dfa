#pragma once
// List box with single, multiple (each click toggles) or extended selection (a click selects
// one item, Ctrl+click toggles, Shift+click selects the range from the anchor).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/control.h"

class TListBox : public TControl {
public:
    TListBox();

    const std::vector<std::string>& Items() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // Replaces the items; every selection is cleared and the view returns to the top.
    void SetItems(std::vector<std::string> items);
    void AddItem(const std::string& item);
    void Clear();

    bool MultiSelect() const { return multi_; }
    void SetMultiSelect(bool multi);
    bool ExtendedSelect() const { return extended_; }
    void SetExtendedSelect(bool extended);

    // Single selection: the selected item (-1 for none). Multiple selection: the item with the
    // focus rectangle. Setting it in a single-selection box selects that item alone; an index
    // out of range selects nothing.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    bool Selected(int index) const;
    // Out-of-range indexes are ignored. In a single-selection box selecting an item
    // deselects the other.
    void SetSelected(int index, bool selected);
    int SelCount() const;

    int ItemHeight = 16;
    int TopIndex() const { return topIndex_; }
    void SetTopIndex(int index);
    // Whole items the box shows at once (at least 1), and whether it needs its vertical scroll
    // bar: only when there are more items than that.
    int VisibleItems() const;
    bool NeedsScrollBar() const { return Count() > VisibleItems(); }

    // The user clicked an item (a peer or a test): the selection changes as the mode says,
    // then OnClick fires. An index out of range (a click below the last item) fires nothing.
    void ClickItem(int index, TShiftState shift = 0);
    // The second click of a double click on an item (after its ClickItem): OnDblClick fires.
    // An index out of range fires nothing.
    void DblClickItem(int index);
    std::function<void(TControl& sender)> OnDblClick;

    std::unique_ptr<TControlPeer> MakePeer(TPeerFactory& factory) override;
    void PaintTo(TCanvas& canvas, int x, int y) const override;

protected:
    // Up, Down, Home, End, Page Up and Page Down move the selection as a click would.
    void DoKeyDown(int key, TShiftState shift) override;

private:
    bool Valid(int i) const { return i >= 0 && i < Count(); }
    std::vector<std::string> items_;
    std::vector<uint8_t> selected_;
    bool multi_ = false, extended_ = true;
    int itemIndex_ = -1;
    int anchor_ = -1;
    int topIndex_ = 0;
};
