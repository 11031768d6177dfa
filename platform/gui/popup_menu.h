#pragma once
// A context menu: commands shown at a point of a control, one of which the user may choose.
// Like every control it works headless (tests open it and choose an item by hand); with a
// toolkit its peer shows the menu and waits for the choice.
//
// The chosen command runs from the loop after the event that opened the menu has been handled,
// never inside the menu's own loop: a command may replace the very page whose click opened it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/geometry.h"

class TControl;

struct TMenuItem {
    std::string Caption; // 8-bit text; "&" marks the key that chooses the item while it shows
    bool Enabled = true;
    bool Separator = false; // a line between groups of items; not an item to choose
    std::function<void()> OnClick;
};

class TPopupMenu {
public:
    TPopupMenu();
    ~TPopupMenu();
    TPopupMenu(const TPopupMenu&) = delete;
    TPopupMenu& operator=(const TPopupMenu&) = delete;

    std::vector<TMenuItem> Items;
    void Clear() { Items.clear(); }
    void Add(const std::string& caption, std::function<void()> onClick, bool enabled = true);
    void AddSeparator();
    // The item whose caption (without its "&") is caption, or -1.
    int IndexOf(const std::string& caption) const;

    // Shows the menu with its top-left corner at (x, y) of control. With a toolkit this returns
    // once the menu has closed, the choice queued; headless the menu stays open until Choose or
    // Close.
    void Popup(TControl& control, int x, int y);
    bool IsOpen() const { return open_; }
    // Where the menu was last shown, in the coordinates of the control it was shown on.
    TPoint PopupPoint() const { return at_; }
    const TControl* PopupControl() const { return control_; }
    // The user chose item index: the menu closes and the item's OnClick runs (separators and
    // disabled items only close it).
    void Choose(int index);
    void Close() { open_ = false; }

private:
    bool open_ = false;
    TPoint at_{0, 0};
    const TControl* control_ = nullptr;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The toolkit's side of a menu.
class TPopupMenuPeer {
public:
    virtual ~TPopupMenuPeer() = default;
    // Shows the menu at (x, y) of control and waits until it closes: the index of the item
    // chosen, or -1.
    virtual int Popup(TControl& control, int x, int y) = 0;
};
