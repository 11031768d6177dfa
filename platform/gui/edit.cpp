#include "platform/gui/edit.h"

#include <algorithm>

#include "platform/graphics/canvas.h"
#include "platform/gui/peer.h"

TEdit::TEdit() {
    SetBounds(0, 0, 121, 21);
}

void TEdit::SetText(const std::string& text) {
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
    return passwordChar_ ? std::string(text_.size(), passwordChar_) : text_;
}

void TEdit::TypeText(const std::string& typed) {
    UserSetText(text_ + typed);
}

void TEdit::UserSetText(const std::string& text) {
    if (ReadOnly)
        return;
    std::string t = text;
    // Text already longer than the limit (set from code) is kept; typing cannot extend it.
    size_t limit =
        maxLength_ > 0 ? std::max<size_t>(maxLength_, std::min(text_.size(), t.size())) : t.size();
    if (t.size() > limit)
        t.resize(limit);
    if (t == text_) {
        Changed(); // the peer may show more than was accepted
        return;
    }
    SetText(t);
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
