#include "platform/gui/scroll_bar.h"

#include <algorithm>

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
    TRect r = Bounds(x, y, Width(), Height());
    canvas.Brush.Color = RGB(0xE0, 0xE0, 0xE0);
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(r);
    bool vertical = kind_ == TScrollBarKind::sbVertical;
    int length = vertical ? Height() : Width();
    int breadth = vertical ? Width() : Height();
    int track = length - 2 * breadth; // the arrow buttons are square
    if (track <= 0)
        return;
    int64_t range = static_cast<int64_t>(max_) - min_ + 1;
    int64_t page = page_ > 0 ? page_ : 1;
    int thumb =
        static_cast<int>(std::max<int64_t>(8, std::min<int64_t>(track, track * page / range)));
    int64_t span = static_cast<int64_t>(MaxPosition()) - min_;
    int offset =
        span > 0
            ? static_cast<int>((track - thumb) * (static_cast<int64_t>(position_) - min_) / span)
            : 0;
    TRect arrow1 = vertical ? Bounds(x, y, breadth, breadth) : Bounds(x, y, breadth, breadth);
    TRect arrow2 = vertical ? Bounds(x, y + length - breadth, breadth, breadth)
                            : Bounds(x + length - breadth, y, breadth, breadth);
    TRect thumbRect = vertical ? Bounds(x, y + breadth + offset, breadth, thumb)
                               : Bounds(x + breadth + offset, y, thumb, breadth);
    for (const TRect& b : {arrow1, arrow2, thumbRect}) {
        canvas.Brush.Color = clSilver;
        canvas.FillRect(b);
        DrawEdge(canvas, b, false);
    }
}
