// Dragging the borders between the frames of a set with the left button. Pointer events near
// a set's outer edge belong to the set around it.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "html/view/frame_set.h"
#include "html/view/frame_viewer.h"

namespace {

constexpr int32_t kEdge = 3;      // pixels at a set's edge that belong to the set around it
constexpr int32_t kGrabRange = 4; // how near a border the pointer must be to grab it

} // namespace

bool TSubFrameSet::NearEdge(int32_t x, int32_t y) const {
    return x < kEdge || y < kEdge || x >= Width() - kEdge || y >= Height() - kEdge;
}

namespace {

// The set around s with the offset of s's origin inside it.
TSubFrameSet* Outer(TSubFrameSet& s, int32_t& dx, int32_t& dy) {
    dx = s.Left();
    dy = s.Top();
    if (s.ParentSet())
        return s.ParentSet();
    if (s.OwnerFrame) {
        dx += s.OwnerFrame->Left();
        dy += s.OwnerFrame->Top();
        return s.OwnerFrame->ParentSet();
    }
    return nullptr;
}

// The origin of c in the coordinates of the control at the top of its parent chain.
TPoint Origin(const TControl* c) {
    TPoint p{0, 0};
    for (; c; c = c->Parent()) {
        p.X += c->Left();
        p.Y += c->Top();
    }
    return p;
}

constexpr int32_t kLineWidth = 2;

} // namespace

// ---- the panels' own mouse events ----

void TFrameBase::OwnMouseDown(TMouseButton button, TShiftState, int x, int y) {
    if (auto* set = dynamic_cast<TSubFrameSet*>(this))
        set->BorderMouseDown(button, x, y);
    else if (parentSet_)
        parentSet_->BorderMouseDown(button, x + Left(), y + Top());
    OwnMouseMove(0, x, y);
}

void TFrameBase::OwnMouseMove(TShiftState, int x, int y) {
    TCursor cursor = viewer_.ViewerCursor();
    if (top_ && top_->DraggingSet) {
        TSubFrameSet* dragging = top_->DraggingSet;
        const TPoint a = Origin(this), b = Origin(dragging);
        cursor = dragging->BorderMouseMove(x + a.X - b.X, y + a.Y - b.Y);
    } else if (auto* set = dynamic_cast<TSubFrameSet*>(this)) {
        cursor = set->BorderMouseMove(x, y);
    } else if (parentSet_) {
        cursor = parentSet_->BorderMouseMove(x + Left(), y + Top());
    }
    SetCursor(cursor);
}

void TFrameBase::OwnMouseUp(TMouseButton button, TShiftState, int x, int y) {
    if (top_ && top_->DraggingSet) {
        TSubFrameSet* dragging = top_->DraggingSet;
        const TPoint a = Origin(this), b = Origin(dragging);
        dragging->BorderMouseUp(button, x + a.X - b.X, y + a.Y - b.Y);
    } else if (auto* set = dynamic_cast<TSubFrameSet*>(this)) {
        set->BorderMouseUp(button, x, y);
    } else if (parentSet_) {
        parentSet_->BorderMouseUp(button, x + Left(), y + Top());
    }
    // The panel may have gone with its set's new layout; the cursor is set on the next move.
}

// ---- borders ----

TCursor TSubFrameSet::BorderMouseMove(int32_t x, int32_t y) {
    const TCursor split = rows_ ? TCursor::crVSplit : TCursor::crHSplit;
    if (top_ && top_->DraggingSet == this) {
        // The drag line follows the pointer, kept between the neighbouring borders.
        const size_t k = static_cast<size_t>(dragBorder_);
        dragPos_ = std::clamp(Along(x, y), positions_[k - 1] + 1,
                              std::max(positions_[k - 1] + 1, positions_[k + 1] - 1));
        ShowDragLine();
        return split;
    }
    int32_t dx = 0, dy = 0;
    if (NearEdge(x, y)) {
        if (TSubFrameSet* outer = Outer(*this, dx, dy)) {
            splitCursor_ = TSplitCursor::scNone;
            return outer->BorderMouseMove(x + dx, y + dy);
        }
    }
    const int32_t c = Along(x, y);
    int best = -1;
    int32_t bestDist = 0;
    for (size_t k = 1; k + 1 < positions_.size(); ++k) {
        const int32_t d = std::abs(c - positions_[k]);
        if (best < 0 || d < bestDist || (d == bestDist && c >= positions_[k])) {
            best = static_cast<int>(k);
            bestDist = d;
        }
    }
    hoverBorder_ = best;
    if (best < 0 || bestDist > kGrabRange ||
        (static_cast<size_t>(best) < fixed_.size() && fixed_[static_cast<size_t>(best)])) {
        splitCursor_ = TSplitCursor::scNone;
        return viewer_.ViewerCursor();
    }
    splitCursor_ = rows_ ? TSplitCursor::scVSplit : TSplitCursor::scHSplit;
    return split;
}

void TSubFrameSet::BorderMouseDown(TMouseButton button, int32_t x, int32_t y) {
    if (button != TMouseButton::mbLeft)
        return;
    int32_t dx = 0, dy = 0;
    if (NearEdge(x, y)) {
        if (TSubFrameSet* outer = Outer(*this, dx, dy)) {
            outer->BorderMouseDown(button, x + dx, y + dy);
            return;
        }
    }
    BorderMouseMove(x, y);
    if (splitCursor_ == TSplitCursor::scNone || hoverBorder_ < 1 || !top_)
        return;
    top_->DraggingSet = this;
    dragBorder_ = hoverBorder_;
    dragPos_ = positions_[static_cast<size_t>(dragBorder_)];
    BorderMouseMove(x, y);
}

void TSubFrameSet::BorderMouseUp(TMouseButton button, int32_t x, int32_t y) {
    if (button != TMouseButton::mbLeft)
        return;
    if (!top_ || top_->DraggingSet != this) {
        int32_t dx = 0, dy = 0;
        if (TSubFrameSet* outer = Outer(*this, dx, dy))
            outer->BorderMouseUp(button, x + dx, y + dy);
        return;
    }
    BorderMouseMove(x, y);
    const size_t k = static_cast<size_t>(dragBorder_);
    EndDrag();
    positions_[k] = dragPos_;
    const size_t n = list_.size();
    const int64_t span = positions_[n] - positions_[0];
    if (span <= 0 || lines_.size() != n)
        return;
    for (size_t i = 0; i < n; ++i)
        lines_[i] = static_cast<int32_t>(std::llround(
            static_cast<double>(positions_[i + 1] - positions_[i]) * layoutTotal_ / span));
    PlaceInProportion();
}

// The drag line: a dark bar two pixels thick across the set at the pointer, over the frames
// (the set's last child, so it is drawn after them).
void TSubFrameSet::ShowDragLine() {
    if (!dragLine_) {
        dragLine_ = std::make_unique<TPanel>();
        dragLine_->SetBevels(TBevelCut::bvNone, TBevelCut::bvNone, 0);
        dragLine_->Color = clBlack;
        dragLine_->TabStop = false;
        dragLine_->SetParent(this);
    }
    const TRect client = ClientRect();
    if (rows_)
        dragLine_->SetBounds(client.Left, dragPos_ - kLineWidth / 2, client.Width(), kLineWidth);
    else
        dragLine_->SetBounds(dragPos_ - kLineWidth / 2, client.Top, kLineWidth, client.Height());
}

void TSubFrameSet::EndDrag() {
    if (top_ && top_->DraggingSet == this)
        top_->DraggingSet = nullptr;
    dragBorder_ = -1;
    dragLine_.reset();
}
