#include "platform/gui/scroll_bar.h"

#include <algorithm>
#include <vector>

#include "platform/graphics/canvas.h"
#include "platform/gui/peer.h"

TScrollBar::TScrollBar(TScrollBarKind kind) : kind_(kind) {
    if (kind == TScrollBarKind::sbVertical)
        SetBounds(0, 0, 16, 121);
    else
        SetBounds(0, 0, 121, 16);
    TabStop = false;
}

int32_t TScrollBar::MaxPosition() const {
    int64_t top = static_cast<int64_t>(max_) - std::max<int64_t>(page_ - 1, 0);
    return static_cast<int32_t>(std::max<int64_t>(top, min_));
}

int32_t TScrollBar::Clamp(int64_t position) const {
    return static_cast<int32_t>(std::clamp<int64_t>(position, min_, MaxPosition()));
}

void TScrollBar::SetParams(int32_t position, int32_t min, int32_t max, int32_t page) {
    max = std::max(max, min);
    page = std::max(page, 0);
    int32_t oldPos = position_;
    if (min == min_ && max == max_ && page == page_ && Clamp(position) == position_)
        return;
    min_ = min;
    max_ = max;
    page_ = page;
    position_ = Clamp(position);
    Changed();
    if (position_ != oldPos && OnChange)
        OnChange(*this);
}

void TScrollBar::SetPosition(int32_t position) {
    SetParams(position, min_, max_, page_);
}

void TScrollBar::Scroll(TScrollCode code, int32_t trackPosition) {
    int64_t p = position_;
    switch (code) {
    case TScrollCode::scLineUp:
        p -= SmallChange;
        break;
    case TScrollCode::scLineDown:
        p += SmallChange;
        break;
    case TScrollCode::scPageUp:
        p -= LargeChange;
        break;
    case TScrollCode::scPageDown:
        p += LargeChange;
        break;
    case TScrollCode::scPosition:
    case TScrollCode::scTrack:
        p = trackPosition;
        break;
    case TScrollCode::scTop:
        p = min_;
        break;
    case TScrollCode::scBottom:
        p = MaxPosition();
        break;
    case TScrollCode::scEndScroll:
        break;
    }
    int32_t pos = Clamp(p);
    if (OnScroll)
        OnScroll(*this, code, pos);
    SetPosition(Clamp(pos));
}

std::unique_ptr<TControlPeer> TScrollBar::MakePeer(TPeerFactory& factory) {
    return factory.CreateScrollBar(*this);
}

void TScrollBar::PaintTo(TCanvas& canvas, int x, int y) const {
    Draw(canvas, Bounds(x, y, Width(), Height()), kind_, position_, min_, max_, page_);
}

void TScrollBar::Draw(TCanvas& canvas, const TRect& r, TScrollBarKind kind, int32_t position,
                      int32_t min, int32_t max, int32_t page) {
    if (r.IsEmpty())
        return;
    canvas.Brush.Color = RGB(0xE0, 0xE0, 0xE0);
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(r);
    const bool vertical = kind == TScrollBarKind::sbVertical;
    const int length = vertical ? r.Height() : r.Width();
    const int breadth = vertical ? r.Width() : r.Height();
    // The arrow buttons are square, and share a bar too short for two squares.
    const int arrow = std::min(breadth, length / 2);
    const int track = length - 2 * arrow;
    const int x = r.Left, y = r.Top;
    const TRect arrow1 = vertical ? Bounds(x, y, breadth, arrow) : Bounds(x, y, arrow, breadth);
    const TRect arrow2 = vertical ? Bounds(x, y + length - arrow, breadth, arrow)
                                  : Bounds(x + length - arrow, y, arrow, breadth);
    for (int i = 0; i < 2; ++i) {
        const TRect& b = i == 0 ? arrow1 : arrow2;
        canvas.Brush.Color = clSilver;
        canvas.FillRect(b);
        DrawEdge(canvas, b, false);
        // A small black triangle pointing away from the track.
        const int cx = b.Left + b.Width() / 2, cy = b.Top + b.Height() / 2;
        const int s = std::min(b.Width(), b.Height()) / 4;
        if (s < 1)
            continue;
        std::vector<TPoint> tri;
        if (vertical)
            tri = i == 0 ? std::vector<TPoint>{{cx - s, cy + s / 2},
                                               {cx + s + 1, cy + s / 2},
                                               {cx, cy - s / 2 - 1}}
                         : std::vector<TPoint>{{cx - s, cy - s / 2},
                                               {cx + s + 1, cy - s / 2},
                                               {cx, cy + s / 2 + 1}};
        else
            tri = i == 0 ? std::vector<TPoint>{{cx + s / 2, cy - s},
                                               {cx + s / 2, cy + s + 1},
                                               {cx - s / 2 - 1, cy}}
                         : std::vector<TPoint>{{cx - s / 2, cy - s},
                                               {cx - s / 2, cy + s + 1},
                                               {cx + s / 2 + 1, cy}};
        canvas.Brush.Color = clBlack;
        canvas.Pen.Style = psClear;
        canvas.Polygon(tri);
    }
    canvas.Pen.Style = psSolid;
    if (track <= 0)
        return;
    // Values as SetParams keeps them, worked in 64 bits.
    const int64_t lo = min, hi = std::max<int64_t>(max, min);
    const int64_t range = hi - lo + 1;
    const int64_t pg = std::max<int64_t>(page, 1);
    const int64_t top = std::max<int64_t>(hi - (pg - 1), lo); // the largest position
    const int64_t pos = std::clamp<int64_t>(position, lo, top);
    const int thumb =
        static_cast<int>(std::max<int64_t>(8, std::min<int64_t>(track, track * pg / range)));
    if (thumb > track)
        return; // no room for a thumb: only the arrows show
    const int64_t span = top - lo;
    const int offset = span > 0 ? static_cast<int>((track - thumb) * (pos - lo) / span) : 0;
    const TRect thumbRect = vertical ? Bounds(x, y + arrow + offset, breadth, thumb)
                                     : Bounds(x + arrow + offset, y, thumb, breadth);
    canvas.Brush.Color = clSilver;
    canvas.FillRect(thumbRect);
    DrawEdge(canvas, thumbRect, false);
}
