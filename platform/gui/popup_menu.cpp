#include "platform/gui/popup_menu.h"

#include "platform/gui/access_key.h"
#include "platform/gui/application.h"
#include "platform/gui/control.h"
#include "platform/gui/peer.h"

TPopupMenu::TPopupMenu() = default;

TPopupMenu::~TPopupMenu() {
    *alive_ = false;
}

void TPopupMenu::Add(const std::string& caption, std::function<void()> onClick, bool enabled) {
    TMenuItem item;
    item.Caption = caption;
    item.Enabled = enabled;
    item.OnClick = std::move(onClick);
    Items.push_back(std::move(item));
}

void TPopupMenu::AddSeparator() {
    TMenuItem item;
    item.Separator = true;
    item.Enabled = false;
    Items.push_back(std::move(item));
}

int TPopupMenu::IndexOf(const std::string& caption) const {
    for (size_t i = 0; i < Items.size(); ++i)
        if (!Items[i].Separator && ParseAccessKey(Items[i].Caption).Text == caption)
            return static_cast<int>(i);
    return -1;
}

void TPopupMenu::Popup(TControl& control, int x, int y) {
    at_ = Point(x, y);
    control_ = &control;
    open_ = true;
    TPeerFactory* factory = control.Peer() ? PeerFactory() : nullptr;
    std::unique_ptr<TPopupMenuPeer> peer = factory ? factory->CreatePopupMenu(*this) : nullptr;
    if (!peer)
        return; // headless: open until chosen
    int chosen = -1;
    {
        // The menu's loop is a modal one: nothing that frees pages runs inside it.
        TModalScope modal;
        chosen = peer->Popup(control, x, y);
    }
    open_ = false;
    if (chosen < 0)
        return;
    std::weak_ptr<bool> alive = alive_;
    Application().AfterModal([this, alive, chosen] {
        if (auto a = alive.lock(); a && *a) {
            open_ = true;
            Choose(chosen);
        }
    });
}

void TPopupMenu::Choose(int index) {
    if (!open_)
        return;
    open_ = false;
    if (index < 0 || static_cast<size_t>(index) >= Items.size())
        return;
    const TMenuItem& item = Items[static_cast<size_t>(index)];
    if (item.Separator || !item.Enabled || !item.OnClick)
        return;
    // A copy: the command may rebuild the menu.
    std::function<void()> call = item.OnClick;
    call();
}

std::unique_ptr<TPopupMenuPeer> TPeerFactory::CreatePopupMenu(TPopupMenu&) {
    return nullptr;
}
