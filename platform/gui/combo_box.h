#pragma once
// Drop-down list that cannot be typed into: one selected item shown, the list drops down to
// choose another.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/control.h"

class TComboBox : public TControl {
public:
    TComboBox();

    const std::vector<std::string>& Items() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // Replaces the items; nothing is selected afterwards.
    void SetItems(std::vector<std::string> items);
    void AddItem(const std::string& item);
    void Clear();
    // Changes whenever the items are replaced, but not when one is added at the end, so that a
    // peer can take on added items alone: a list of many thousands is built one at a time.
    uint64_t ItemsGeneration() const { return generation_; }

    // -1 for none; an index out of range selects nothing.
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);
    // The selected item's text, empty when none.
    std::string Text() const;
    int DropDownCount = 8;

    std::function<void(TControl& sender)> OnChange;
    // The user chose an item from the list: OnClick, then OnChange when the selection
    // changed. An index out of range is ignored.
    void SelectItem(int index);

    std::unique_ptr<TControlPeer> MakePeer(TPeerFactory& factory) override;
    void PaintTo(TCanvas& canvas, int x, int y) const override;

protected:
    // Up and Down choose the neighbouring item, as in a closed drop-down list.
    void DoKeyDown(int key, TShiftState shift) override;

private:
    std::vector<std::string> items_;
    uint64_t generation_ = 0;
    int itemIndex_ = -1;
};
