// Layout and scrolling: the document laid out at the control's width, the two scroll bars and
// when each shows, the positions (pixel and layout-independent), resizing.
#include <algorithm>
#include <cstdint>

#include "html/view/html_viewer.h"
#include "platform/graphics/canvas.h"

namespace {

// A view position holds the section number in its high half: at most this many sections can
// be named that way without overflowing.
constexpr int kMaxPositionedSection = 32766;
constexpr int32_t kPositionMask = 0xFFFF;

} // namespace

int32_t THTMLViewer::LayoutWidth() const {
    int32_t w = Width() - (borderStyle_ == htNone ? 1 : 3);
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth)
        w -= vBar_.Width();
    return std::max<int32_t>(w, 1);
}

void THTMLViewer::DoLayout() {
    int32_t needed = 0, charIndex = 0;
    const int32_t border = borderStyle_ == htNone ? 0 : 1;
    const int32_t height = std::max<int32_t>(Height() - 2 * border, 1);
    docHeight_ =
        std::max<int32_t>(0, doc_->LayOut(*measure_, 0, LayoutWidth(), height, needed, charIndex));
    charCount_ = std::max<int32_t>(0, charIndex);
    docWidth_ = std::clamp<int32_t>(needed, 0, kMaxDocWidth);
    DoScrollBars();
}

void THTMLViewer::DoScrollBars() {
    const int32_t border = borderStyle_ == htNone ? 0 : 1;
    const int32_t w = Width(), h = Height();
    const int32_t sb = vBar_.Width();
    const int32_t hsb = hBar_.Height();
    const bool vAllowed = scrollBars_ == ssVertical || scrollBars_ == ssBoth;
    const bool hAllowed = scrollBars_ == ssHorizontal || scrollBars_ == ssBoth;
    const bool vForced = options_.Contains(htShowVScroll);
    const bool vNeeded =
        vAllowed && (docHeight_ >= h - 2 || vForced ||
                     (hAllowed && docHeight_ >= h - hsb - 2 && w - sb < docWidth_));
    const bool hNeeded = hAllowed && (docWidth_ > w || (vNeeded && w - sb < docWidth_));

    const int32_t panelW = std::max<int32_t>(0, w - 2 * border - (vNeeded ? sb : 0));
    const int32_t panelH = std::max<int32_t>(0, h - 2 * border - (hNeeded ? hsb : 0));
    borderPanel_.SetBounds(border, border, std::max(0, w - 2 * border),
                           std::max(0, h - 2 * border));
    paintPanel_.SetBounds(0, 0, panelW, panelH);
    // The page's own widgets (form controls) sit on the border panel beside the scroll bars;
    // they are drawn only where the page is, never over a bar or the corner between them.
    borderPanel_.ChildClip = Bounds(0, 0, panelW, panelH);

    // The horizontal range ends at the last document pixel: with the page being the panel
    // width, the largest position shows that pixel at the panel's right edge.
    const int32_t range = std::max(docWidth_, panelW);
    hBar_.LargeChange = std::max<int32_t>(1, panelW - 20);
    hBar_.SetParams(hBar_.Position(), 0, std::max(range - 1, 0), panelW);
    hBar_.SetBounds(0, panelH, panelW, hsb);
    hBar_.SetVisible(hNeeded);

    vBar_.LargeChange = std::max<int32_t>(1, panelH - 16);
    vBar_.SetParams(doc_->ScrollTop, 0, docHeight_, panelH + 1);
    vBar_.SetBounds(panelW, 0, sb, panelH);
    vBar_.SetVisible(vNeeded);
    // A bar shown only because it is forced is disabled while the document fits.
    vBar_.SetEnabled(docHeight_ > panelH);
    doc_->ScrollTo(vBar_.Position());
}

void THTMLViewer::Reformat() {
    if (processing_) {
        DoScrollBars();
        return;
    }
    SetProcessing(true);
    const int32_t pos = ViewPosition();
    DoLayout();
    SetViewPosition(pos);
    if (docHeight_ < paintPanel_.Height())
        ScrollToY(0);
    HScrollTo(hBar_.Position());
    Invalidate();
    SetProcessing(false);
}

void THTMLViewer::BoundsChanged() {
    TPanel::BoundsChanged();
    if (!doc_)
        return;
    Reformat();
}

// ---- positions ----

void THTMLViewer::ScrollToY(int32_t y) {
    const int32_t maxTop = std::max<int32_t>(0, docHeight_ - paintPanel_.Height());
    y = std::clamp<int32_t>(y, 0, maxTop);
    vBar_.SetPosition(y);
    if (doc_->ScrollTop != vBar_.Position()) {
        doc_->ScrollTo(vBar_.Position());
        Invalidate();
    }
}

void THTMLViewer::ScrollBy(int32_t dy) {
    ScrollToY(static_cast<int32_t>(
        std::clamp<int64_t>(static_cast<int64_t>(doc_->ScrollTop) + dy, 0, INT32_MAX)));
}

void THTMLViewer::HScrollTo(int32_t x) {
    hBar_.SetPosition(std::max(x, 0));
}

void THTMLViewer::SetHScrollPosition(int32_t value) {
    HScrollTo(value);
}

void THTMLViewer::SetPixelPosition(int32_t value) {
    const int32_t maxTop = std::max<int32_t>(0, docHeight_ - paintPanel_.Height());
    value = std::clamp<int32_t>(value, 0, maxTop);
    if (value != doc_->ScrollTop)
        ScrollToY(value);
}

int32_t THTMLViewer::ViewPosition() {
    const int32_t pos = doc_->ScrollTop;
    int32_t top = 0;
    int index = 0;
    TSectionBase* section = doc_->SectionAtY(pos, top, index);
    if (!section || index < 0 || index > kMaxPositionedSection)
        return pos;
    const int64_t offset = static_cast<int64_t>(pos) - top;
    if (offset < 0 || offset > kPositionMask)
        return pos;
    return (index + 1) * 65536 + static_cast<int32_t>(offset);
}

void THTMLViewer::SetViewPosition(int32_t value) {
    if (value <= kPositionMask) {
        ScrollToY(value);
        return;
    }
    const int index = (value >> 16) - 1;
    if (index < 0 || static_cast<size_t>(index) >= doc_->SectionIndex.size())
        return;
    const int64_t y =
        static_cast<int64_t>(doc_->SectionIndex[static_cast<size_t>(index)]->VerticalPosition()) +
        (value & kPositionMask);
    ScrollToY(static_cast<int32_t>(std::clamp<int64_t>(y, 0, INT32_MAX)));
}
