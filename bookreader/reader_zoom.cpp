#include "bookreader/reader_zoom.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "html/doc/text_section.h"
#include "html/view/frame_viewer.h"
#include "html/view/html_viewer.h"

const std::vector<int32_t>& ZoomSteps() {
    static const std::vector<int32_t> steps{6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 32, 36};
    return steps;
}

int32_t ZoomStep(int32_t size, int direction) {
    const std::vector<int32_t>& steps = ZoomSteps();
    if (direction > 0) {
        const auto next = std::upper_bound(steps.begin(), steps.end(), size);
        return next == steps.end() ? std::max(size, steps.back()) : *next;
    }
    if (direction < 0) {
        const auto at = std::lower_bound(steps.begin(), steps.end(), size);
        return at == steps.begin() ? std::min(size, steps.front()) : *(at - 1);
    }
    return size;
}

int32_t ZoomSize(const TFrameViewer& viewer) {
    return static_cast<int32_t>(std::lround(viewer.Zoom() * kDefaultZoom));
}

void SetZoomSize(TFrameViewer& viewer, int32_t size) {
    viewer.SetZoom(static_cast<double>(std::max(size, 1)) / kDefaultZoom);
}

bool CharacterY(THTMLViewer& viewer, int32_t index, int32_t& y) {
    // From the layout, not from the last painting: a page read again has not been painted yet.
    char32_t ch = 0;
    TSectionBase* section = nullptr;
    if (index < 0 || !viewer.Document().CharAt(index, ch, section) || !section)
        return false;
    if (const auto* text = dynamic_cast<const TSection*>(section)) {
        const int32_t i = index - text->FirstChar;
        for (const LineRec& line : text->Lines)
            if (i >= line.LineStart && i < line.LineStart + std::max<int32_t>(line.CharCount, 1)) {
                y = line.LineY;
                return true;
            }
    }
    y = section->VerticalPosition();
    return true;
}

namespace {

// The line position of the first character from index on that has one (characters between
// sections have none); false when none follows within a short run.
bool NextCharacterY(THTMLViewer& viewer, int32_t& index, int32_t& y) {
    for (int32_t end = std::min(index + 256, viewer.CharCount()); index < end; ++index)
        if (CharacterY(viewer, index, y))
            return true;
    return false;
}

} // namespace

TTopText TopText(THTMLViewer& viewer) {
    // The last character whose line starts at or above the window's top: its line is the one
    // the top edge passes through. Lines follow the text down the page, so a binary search
    // over the characters finds it.
    const int32_t top = viewer.PixelPosition();
    int32_t lo = 0, hi = viewer.CharCount(), found = -1, foundY = 0;
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        int32_t i = mid, y = 0;
        if (!NextCharacterY(viewer, i, y) || y > top) {
            hi = mid;
        } else {
            found = i;
            foundY = y;
            lo = i + 1;
        }
    }
    if (found < 0) {
        int32_t i = 0, y = 0;
        if (!NextCharacterY(viewer, i, y))
            return {};
        return {i, y - top};
    }
    return {found, foundY - top};
}

void ScrollTextToTop(THTMLViewer& viewer, const TTopText& top) {
    int32_t y = 0;
    if (top.Index >= 0 && CharacterY(viewer, top.Index, y))
        viewer.SetPixelPosition(std::max(y - top.Offset, 0));
}

int32_t ApplyZoom(TFrameViewer& viewer, int32_t size) {
    // Each frame's place, in frame order: the same page read again makes its frames in the
    // same order.
    std::vector<TTopText> tops;
    for (THTMLViewer* v : viewer.Viewers())
        tops.push_back(TopText(*v));
    SetZoomSize(viewer, size);
    if (viewer.CurrentFile().empty())
        return size;
    viewer.Reload();
    const std::vector<THTMLViewer*> now = viewer.Viewers();
    for (size_t i = 0; i < now.size() && i < tops.size(); ++i)
        ScrollTextToTop(*now[i], tops[i]);
    return size;
}
