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

} // namespace

void TSubFrameSet::BorderMouseMove(int32_t x, int32_t y) {
    if (top_ && top_->DraggingSet == this) {
        // The drag line follows the pointer, kept between the neighbouring borders.
        const size_t k = static_cast<size_t>(dragBorder_);
        dragPos_ = std::clamp(Along(x, y), positions_[k - 1] + 1,
                              std::max(positions_[k - 1] + 1, positions_[k + 1] - 1));
        return;
    }
    int32_t dx = 0, dy = 0;
    if (NearEdge(x, y)) {
        if (TSubFrameSet* outer = Outer(*this, dx, dy)) {
            splitCursor_ = TSplitCursor::scNone;
            outer->BorderMouseMove(x + dx, y + dy);
            return;
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
        Cursor = viewer_.ViewerCursor();
    } else {
        splitCursor_ = rows_ ? TSplitCursor::scVSplit : TSplitCursor::scHSplit;
        Cursor = rows_ ? TCursor::crUpDown : TCursor::crDefault;
    }
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
    top_->DraggingSet = nullptr;
    const size_t k = static_cast<size_t>(dragBorder_);
    dragBorder_ = -1;
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
