#pragma once
// Keys for characters the test server's keymap lacks (Cyrillic letters on a US map). Typing
// such a character with xdotool rebinds a spare key for each stroke and binds it back at once;
// the program may read the keymap after it was bound back and get another letter, more often
// on a loaded machine. Binding the letters to spare keys for the whole test, before anything is
// typed, leaves nothing to race: xdotool finds them in the keymap and presses those keys.
#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace folio_test {

class TExtraKeysyms {
public:
    // names: keysym names ("Cyrillic_ka"); each gets a key of its own that has none.
    explicit TExtraKeysyms(const std::vector<std::string>& names) {
        display_ = XOpenDisplay(nullptr);
        if (!display_)
            return;
        int low = 0, high = 0;
        XDisplayKeycodes(display_, &low, &high);
        int perCode = 0;
        KeySym* map =
            XGetKeyboardMapping(display_, static_cast<KeyCode>(low), high - low + 1, &perCode);
        if (!map)
            return;
        size_t next = 0;
        for (int code = high; code >= low && next < names.size(); --code) {
            bool free = true;
            for (int i = 0; i < perCode && free; ++i)
                free = map[(code - low) * perCode + i] == NoSymbol;
            if (!free)
                continue;
            KeySym sym = XStringToKeysym(names[next].c_str());
            if (sym == NoSymbol)
                break;
            KeySym syms[2] = {sym, sym};
            XChangeKeyboardMapping(display_, code, 2, syms, 1);
            codes_.push_back(code);
            ++next;
        }
        XFree(map);
        XSync(display_, False);
        ok_ = next == names.size();
    }
    ~TExtraKeysyms() {
        if (!display_)
            return;
        for (int code : codes_) {
            KeySym none[2] = {NoSymbol, NoSymbol};
            XChangeKeyboardMapping(display_, code, 2, none, 1);
        }
        XSync(display_, False);
        XCloseDisplay(display_);
    }
    TExtraKeysyms(const TExtraKeysyms&) = delete;
    TExtraKeysyms& operator=(const TExtraKeysyms&) = delete;

    // Every name got a key.
    bool Ok() const { return ok_; }

private:
    Display* display_ = nullptr;
    std::vector<int> codes_;
    bool ok_ = false;
};

} // namespace folio_test
