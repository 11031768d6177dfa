#include "platform/gui/memo.h"

#include <algorithm>

#include "platform/graphics/canvas.h"
#include "platform/gui/peer.h"

TMemo::TMemo() {
    SetBounds(0, 0, 185, 89);
}

void TMemo::Edited() {
    selStart_ = std::min<int>(selStart_, static_cast<int>(Text().size()));
    selLength_ = std::min<int>(selLength_, static_cast<int>(Text().size()) - selStart_);
    Changed();
    if (OnChange)
        OnChange(*this);
}

void TMemo::SetLines(std::vector<std::string> lines) {
    lines_ = std::move(lines);
    Edited();
}

void TMemo::AddLine(const std::string& line) {
    lines_.push_back(line);
    Edited();
}

void TMemo::Clear() {
    lines_.clear();
    Edited();
}

std::string TMemo::Text() const {
    std::string t;
    for (const auto& l : lines_) {
        t += l;
        t += "\r\n";
    }
    return t;
}

void TMemo::SetText(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(cur);
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        lines.push_back(cur);
    SetLines(std::move(lines));
}

void TMemo::SetWordWrap(bool wrap) {
    wordWrap_ = wrap;
    Changed();
}

void TMemo::SetScrollBars(TScrollStyle style) {
    scrollBars_ = style;
    Changed();
}

void TMemo::SetSelection(int start, int length) {
    int size = static_cast<int>(Text().size());
    selStart_ = std::clamp(start, 0, size);
    selLength_ = std::clamp(length, 0, size - selStart_);
    Changed();
}

void TMemo::UserSetText(const std::string& text) {
    if (ReadOnly)
        return;
    if (text == Text())
        return;
    SetText(text);
}

std::unique_ptr<TControlPeer> TMemo::MakePeer(TPeerFactory& factory) {
    return factory.CreateMemo(*this);
}

void TMemo::PaintTo(TCanvas& canvas, int x, int y) const {
    TRect r = Bounds(x, y, Width(), Height());
    TRect inner = DrawTextField(canvas, r);
    int lineHeight = std::max(canvas.TextHeight("A"), 1);
    // Transparent text: an opaque line would fill the whole clip and wipe the lines above.
    canvas.Brush.Style = bsClear;
    int line = 0;
    for (const auto& l : lines_) {
        int ty = inner.Top + line * lineHeight;
        if (ty >= inner.Bottom)
            break;
        canvas.TextRect(inner, inner.Left + 1, ty, l);
        ++line;
    }
}
