#include "platform/gui/memo.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/peer.h"
#include "platform/gui/scroll_bar.h"

namespace {
// The sunken frame takes two pixels a side; text keeps one pixel from it on the left and on
// the right.
constexpr int FrameSize = 2;
constexpr int TextMargin = 1;

// Advances of single characters, measured once each: wrapping measures every character.
class TAdvances {
public:
    explicit TAdvances(TCanvas& canvas) : canvas_(canvas) {
        std::fill(std::begin(ascii_), std::end(ascii_), -1);
    }
    int Of(char32_t c) {
        if (c < 128) {
            int& w = ascii_[c];
            if (w < 0)
                w = canvas_.TextWidth(std::u32string_view(&c, 1));
            return w;
        }
        return canvas_.TextWidth(std::u32string_view(&c, 1));
    }

private:
    TCanvas& canvas_;
    int ascii_[128];
};

// Breaks one line into rows no wider than width: after the last blank that fits, or inside a
// word too long for a row (at least one character a row). Calls row(start, end) per row.
template <class F> void WrapLine(const std::u32string& line, int width, TAdvances& adv, F row) {
    size_t start = 0;
    while (start < line.size()) {
        int used = 0;
        size_t end = start, lastBreak = std::u32string::npos;
        while (end < line.size()) {
            const int w = adv.Of(line[end]);
            if (used + w > width && end > start)
                break;
            used += w;
            if (line[end] == U' ')
                lastBreak = end + 1;
            ++end;
        }
        if (end < line.size() && lastBreak != std::u32string::npos && lastBreak > start)
            end = lastBreak;
        row(start, end);
        start = end;
    }
    if (line.empty())
        row(0, 0);
}
} // namespace

struct TMemo::TView {
    TMemoBars Bars;
    TRect Text; // where the rows are drawn, inside the frame and the bars
    int LineHeight = 1;
    int64_t Rows = 0;                  // rows of the whole text as laid out
    int Widest = 0;                    // the widest row (without word wrap)
    std::vector<std::u32string> Shown; // the rows that fit, from the top
};

TMemo::TMemo() {
    SetBounds(0, 0, 185, 89);
}

void TMemo::Edited() {
    ++generation_;
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

TMemo::TView TMemo::Arrange(TCanvas& canvas) const {
    TView v;
    const TRect inner = Rect(FrameSize, FrameSize, Width() - FrameSize, Height() - FrameSize);
    const bool allowV =
        scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth;
    // A wrapping memo has no line wider than itself.
    const bool allowH = !wordWrap_ && (scrollBars_ == TScrollStyle::ssHorizontal ||
                                       scrollBars_ == TScrollStyle::ssBoth);
    const int bar = TScrollBar::Breadth;
    v.LineHeight = std::max(canvas.TextHeight("A"), 1);
    const int fullW = std::max(inner.Width() - 2 * TextMargin, 0);
    const int fullH = std::max(inner.Height(), 0);
    auto overflows = [&](int64_t rows, int height) { return rows * v.LineHeight > height; };
    TAdvances adv(canvas);
    // Rows of the text at a width (word wrap), keeping the first ones that fit in height.
    auto layOut = [&](int width, int height) {
        v.Rows = 0;
        v.Shown.clear();
        const int64_t fit = height / v.LineHeight + 1; // a row cut at the bottom shows too
        for (const std::string& l : lines_) {
            const std::u32string line = Utf8ToU32(l);
            if (!wordWrap_) {
                int w = 0;
                for (char32_t c : line)
                    w += adv.Of(c);
                v.Widest = std::max(v.Widest, w);
                if (v.Rows < fit)
                    v.Shown.push_back(line);
                ++v.Rows;
                continue;
            }
            WrapLine(line, std::max(width, 1), adv, [&](size_t a, size_t b) {
                if (v.Rows < fit)
                    v.Shown.push_back(line.substr(a, b - a));
                ++v.Rows;
            });
        }
    };
    layOut(fullW, fullH);
    v.Bars.Vertical = allowV && overflows(v.Rows, fullH);
    v.Bars.Horizontal = allowH && v.Widest > fullW - (v.Bars.Vertical ? bar : 0);
    if (v.Bars.Horizontal && !v.Bars.Vertical)
        v.Bars.Vertical = allowV && overflows(v.Rows, fullH - bar);
    const int textW = fullW - (v.Bars.Vertical ? bar : 0);
    const int textH = fullH - (v.Bars.Horizontal ? bar : 0);
    // The bar narrows a wrapping memo: its text breaks again at the width left.
    if (wordWrap_ && v.Bars.Vertical)
        layOut(textW, textH);
    v.Text = Rect(inner.Left, inner.Top, inner.Left + std::max(textW + 2 * TextMargin, 0),
                  inner.Top + std::max(textH, 0));
    return v;
}

TMemoBars TMemo::NeededScrollBars(TCanvas& canvas) const {
    const TFont saved = canvas.Font;
    canvas.Font = Font;
    const TMemoBars bars = Arrange(canvas).Bars;
    canvas.Font = saved;
    return bars;
}

void TMemo::PaintTo(TCanvas& canvas, int x, int y) const {
    TRect r = Bounds(x, y, Width(), Height());
    TRect inner = DrawTextField(canvas, r);
    const TView v = Arrange(canvas);
    const TRect text = Bounds(v.Text.Left + x, v.Text.Top + y, v.Text.Width(), v.Text.Height());
    const TRect saved = canvas.ClipRect();
    const int bar = TScrollBar::Breadth;
    canvas.SetClipRect(IntersectRect(saved, inner));
    if (v.Bars.Vertical)
        TScrollBar::Draw(canvas, Rect(inner.Right - bar, inner.Top, inner.Right, text.Bottom),
                         TScrollBarKind::sbVertical, 0, 0,
                         static_cast<int32_t>(std::min<int64_t>(v.Rows, INT32_MAX) - 1),
                         std::max(text.Height() / v.LineHeight, 1));
    if (v.Bars.Horizontal)
        TScrollBar::Draw(canvas, Rect(inner.Left, inner.Bottom - bar, text.Right, inner.Bottom),
                         TScrollBarKind::sbHorizontal, 0, 0, std::max(v.Widest - 1, 0),
                         std::max(text.Width() - 2 * TextMargin, 1));
    if (v.Bars.Vertical && v.Bars.Horizontal) {
        canvas.Brush.Color = clSilver;
        canvas.Brush.Style = bsSolid;
        canvas.FillRect(Rect(text.Right, text.Bottom, inner.Right, inner.Bottom));
    }
    canvas.SetClipRect(saved);
    // Transparent text: an opaque line would fill the whole clip and wipe the lines above.
    canvas.Brush.Style = bsClear;
    const TRect clip = IntersectRect(saved, text);
    for (size_t i = 0; i < v.Shown.size(); ++i) {
        const int ty = text.Top + static_cast<int>(i) * v.LineHeight;
        if (ty >= text.Bottom)
            break;
        canvas.TextRect(clip, text.Left + TextMargin, ty, v.Shown[i]);
    }
}
