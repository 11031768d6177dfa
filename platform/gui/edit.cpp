#include "platform/gui/edit.h"

#include <algorithm>

#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/peer.h"

TEdit::TEdit() {
    SetBounds(0, 0, 121, 21);
}

void TEdit::SetText(const std::string& text) {
    Store(text, ToUtf8(text));
}

void TEdit::Store(const std::string& text, const std::string& utf8) {
    if (text == text_ && utf8 == utf8_)
        return;
    text_ = text;
    utf8_ = utf8;
    Changed();
    if (OnChange)
        OnChange(*this);
}

void TEdit::SetMaxLength(int maxLength) {
    maxLength_ = std::max(maxLength, 0);
    Changed();
}

void TEdit::SetPasswordChar(char c) {
    passwordChar_ = c;
    Changed();
}

std::string TEdit::DisplayText() const {
    return passwordChar_ ? std::string(text_.size(), passwordChar_) : text_;
}

void TEdit::TypeText(const std::string& typed) {
    UserSetUtf8Text(utf8_ + ToUtf8(typed));
}

void TEdit::UserSetText(const std::string& text) {
    UserSetUtf8Text(ToUtf8(text));
}

void TEdit::UserSetUtf8Text(const std::string& utf8) {
    if (ReadOnly)
        return;
    std::string t = FromUtf8(utf8); // one byte per character
    std::string u = utf8;
    // Text already longer than the limit (set from code) is kept; typing cannot extend it.
    size_t limit =
        maxLength_ > 0 ? std::max<size_t>(maxLength_, std::min(text_.size(), t.size())) : t.size();
    if (t.size() > limit) {
        t.resize(limit);
        // The same number of characters of the UTF-8 text: a character starts at every byte
        // that is not a continuation byte.
        size_t chars = 0, end = 0;
        while (end < u.size() && (chars < limit || (static_cast<uint8_t>(u[end]) & 0xC0) == 0x80))
            chars += (static_cast<uint8_t>(u[end++]) & 0xC0) != 0x80;
        u.resize(end);
    }
    if (t == text_ && u == utf8_) {
        Changed(); // the peer may show more than was accepted
        return;
    }
    Store(t, u);
}

std::unique_ptr<TControlPeer> TEdit::MakePeer(TPeerFactory& factory) {
    return factory.CreateEdit(*this);
}

void TEdit::PaintTo(TCanvas& canvas, int x, int y) const {
    TRect r = Bounds(x, y, Width(), Height());
    TRect inner = DrawTextField(canvas, r);
    canvas.TextRect(inner, inner.Left + 1, r.Top + (Height() - canvas.TextHeight("A")) / 2,
                    DisplayText());
}
