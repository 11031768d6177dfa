#include "platform/gui/edit.h"

#include <algorithm>

#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/peer.h"

TEdit::TEdit() {
    SetBounds(0, 0, 121, 21);
}

void TEdit::SetText(const std::string& text) {
    Store(ValidUtf8(text));
}

void TEdit::Store(const std::string& text) {
    if (text == text_)
        return;
    text_ = text;
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
    return passwordChar_ ? std::string(Utf8Length(text_), passwordChar_) : text_;
}

void TEdit::TypeText(const std::string& typed) {
    UserSetText(text_ + typed);
}

void TEdit::UserSetText(const std::string& text) {
    if (ReadOnly)
        return;
    std::string t = ValidUtf8(text);
    // Text already longer than the limit (set from code) is kept; typing cannot extend it.
    const size_t count = Utf8Length(t);
    const size_t limit = maxLength_ > 0 ? std::max<size_t>(static_cast<size_t>(maxLength_),
                                                           std::min(Utf8Length(text_), count))
                                        : count;
    if (count > limit) {
        size_t chars = 0, end = 0;
        while (end < t.size() && (chars < limit || IsUtf8Continuation(t[end])))
            chars += !IsUtf8Continuation(t[end++]);
        t.resize(end);
    }
    if (t == text_) {
        Changed(); // the peer may show more than was accepted
        return;
    }
    Store(t);
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
