// The pointer and the keyboard: link and text cursors, the link timer, clicks on links and
// images, selection by dragging and by double click, automatic scrolling and panning, the
// wheel and the keys.
#include <algorithm>
#include <cstdlib>

#include "html/doc/form_kinds.h"
#include "html/doc/image_obj.h"
#include "html/view/html_viewer.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"

namespace {

// Characters a double click takes as part of a word: ASCII letters and digits, everything
// from the Latin-1 capitals on in the first 256, and beyond them what Unicode calls letters,
// digits and marks.
bool IsWordChar(char32_t c) {
    if (c < 256)
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
               c >= 192;
    return IsUnicodeAlnum(c);
}

// Panning speed for the pointer's distance from the press point (up is negative).
int32_t PanStep(int32_t d) {
    if (d < -60)
        return -32;
    if (d < -20)
        return -8;
    if (d > 60)
        return 32;
    if (d > 20)
        return 8;
    return 0;
}

} // namespace

// ---- hit tests ----

int32_t THTMLViewer::CharAtPoint(int32_t x, int32_t y) {
    int32_t caretX = 0, caretY = 0, caretHeight = 0;
    bool inText = false;
    const int32_t docY = doc_->ScrollTop + y;
    const int32_t i = doc_->FindCursor(*measure_, x, docY, caretX, caretY, caretHeight, inText);
    if (i >= 0)
        return std::min(i, charCount_);
    // Above or below the document the selection runs to its start or end.
    if (docY < 0)
        return 0;
    if (docY >= docHeight_)
        return charCount_;
    return -1;
}

// A word never leaves the text section it starts in: sections follow one another without a
// separating character, so the last word of one paragraph would run into the next.
std::string THTMLViewer::WordAt(int32_t index, int32_t& start, int32_t& end) {
    start = end = index;
    char32_t ch = 0;
    TSectionBase* section = nullptr;
    if (index < 0 || !doc_->CharAt(index, ch, section) || !section || !IsWordChar(ch))
        return {};
    TSectionBase* s = nullptr;
    while (start > 0 && section->CharAt(start - 1, ch, s) && IsWordChar(ch))
        --start;
    end = index + 1;
    while (end < charCount_ && section->CharAt(end, ch, s) && IsWordChar(ch))
        ++end;
    std::string word;
    word.reserve(static_cast<size_t>(end - start));
    for (int32_t i = start; i < end; ++i)
        if (section->CharAt(i, ch, s))
            AppendUtf8(word, ch);
    return word;
}

// ---- pointer tracking ----

void THTMLViewer::TrackPointer(TShiftState shift, int32_t x, int32_t y) {
    TUrlTarget target;
    TImageFormControlObj* formControl = nullptr;
    const int32_t docY = doc_->ScrollTop + y;
    const bool onLink = doc_->FindLink(*measure_, x, docY, target, formControl);
    TCursor cursor = onLink ? TCursor::crHandPoint : TCursor::crArrow;
    TObject* obj = nullptr;
    int32_t xi = 0, yi = 0;
    if ((OnImageOver || OnImageClick) && doc_->ObjectAt(x, docY, obj, xi, yi) && obj) {
        if (OnImageOver)
            OnImageOver(this, obj, shift, xi, yi);
    } else if (!onLink) {
        int32_t cx = 0, cy = 0, ch = 0;
        bool inText = false;
        if (doc_->FindCursor(*measure_, x, docY, cx, cy, ch, inText) >= 0 && inText)
            cursor = Cursor;
    }
    paintPanel_.SetCursor(cursor);
    // The timer notices the pointer leaving the panel while a link or an active image is lit.
    const bool activeImage = doc_->HoverImage && doc_->HoverImage->Active;
    if ((onLink || activeImage) && !linkTimer_.Enabled())
        linkTimer_.SetEnabled(true);
    const std::string url = onLink ? target.URL : std::string();
    const std::string tgt = onLink ? target.Target : std::string();
    if (url != url_ || tgt != target_) {
        url_ = url;
        target_ = tgt;
        if (OnHotSpotCovered)
            OnHotSpotCovered(this, url_);
    }
}

void THTMLViewer::LinkTimerTick() {
    if (pointerInside_)
        return;
    doc_->ClearHover();
    Invalidate();
    linkTimer_.SetEnabled(false);
    url_.clear();
    target_.clear();
    if (OnHotSpotCovered)
        OnHotSpotCovered(this, "");
}

// ---- selection ----

int32_t THTMLViewer::SelStart() const {
    return doc_->SelectionStart;
}

int32_t THTMLViewer::SelLength() const {
    return std::max(0, doc_->SelectionEnd - doc_->SelectionStart);
}

void THTMLViewer::SetSelection(int32_t start, int32_t end) {
    start = std::clamp(start, 0, charCount_);
    end = std::clamp(end, 0, charCount_);
    if (end < start)
        std::swap(start, end);
    if (start == doc_->SelectionStart && end == doc_->SelectionEnd)
        return;
    doc_->SelectionStart = start;
    doc_->SelectionEnd = end;
    Invalidate();
}

void THTMLViewer::ExtendSelection(int32_t x, int32_t y) {
    const int32_t i = CharAtPoint(x, y);
    if (i < 0)
        return;
    if (selAnchor_ < 0)
        selAnchor_ = i;
    SetSelection(std::min(selAnchor_, i), std::max(selAnchor_, i));
}

// ---- mouse ----

void THTMLViewer::PanelMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
    if (paintPanel_.CanFocus())
        paintPanel_.SetFocus();
    mouseX_ = x;
    mouseY_ = y;
    pointerInside_ = true;
    if ((shift & ssDouble) == 0)
        linkFollowed_ = false;
    // A press ends panning; a middle press while not panning starts it, so that a middle
    // click toggles it.
    const bool wasPanning = panning_;
    if (panning_)
        StopPanning();
    if (button == TMouseButton::mbMiddle) {
        if (wasPanning)
            return;
        panning_ = true;
        panY_ = y;
        paintPanel_.SetCursor(TCursor::crUpDown);
        StartAutoScroll();
        return;
    }
    if (button != TMouseButton::mbLeft)
        return;
    leftDown_ = true;
    mightClick_ = true;
    selAnchor_ = CharAtPoint(x, y);
    if (selAnchor_ >= 0)
        SetSelection(selAnchor_, selAnchor_);
    else
        SetSelection(0, 0);
}

void THTMLViewer::PanelMouseMove(TShiftState shift, int32_t x, int32_t y) {
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
    mouseX_ = x;
    mouseY_ = y;
    pointerInside_ = x >= 0 && y >= 0 && x < paintPanel_.Width() && y < paintPanel_.Height();
    if (panning_) {
        StartAutoScroll();
        return;
    }
    if ((shift & (ssMiddle | ssRight)) != 0)
        return;
    TrackPointer(shift, x, y);
    if (leftDown_ && (shift & ssLeft) != 0) {
        if (y < 0 || y >= paintPanel_.Height())
            StartAutoScroll();
        if (!NoSelect)
            ExtendSelection(x, y);
    }
}

void THTMLViewer::PanelMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
    mouseX_ = x;
    mouseY_ = y;
    if (button == TMouseButton::mbMiddle) {
        // Released at the press height: the click toggled panning on; else the drag ends it.
        if (panning_ && y != panY_)
            StopPanning();
        return;
    }
    const int32_t docY = doc_->ScrollTop + y;
    TObject* obj = nullptr;
    int32_t xi = 0, yi = 0;
    if (OnImageClick && doc_->ObjectAt(x, docY, obj, xi, yi) && obj)
        OnImageClick(this, obj, button, shift, xi, yi);
    if (button == TMouseButton::mbRight) {
        RightClick(x, y, true);
        return;
    }
    if (button != TMouseButton::mbLeft)
        return;
    leftDown_ = false;
    if (!panning_)
        scrollTimer_.SetEnabled(false);
    if (!NoSelect && mightClick_)
        ExtendSelection(x, y);
    const bool click = mightClick_;
    mightClick_ = false;
    if (!click || doc_->SelectionStart != doc_->SelectionEnd)
        return;
    TUrlTarget target;
    TImageFormControlObj* formControl = nullptr;
    if (!doc_->FindLink(*measure_, x, docY, target, formControl))
        return;
    if (formControl) {
        formControl->Click();
        return;
    }
    if (target.URL.empty())
        return;
    url_ = target.URL;
    target_ = target.Target;
    linkFollowed_ = true;
    FollowLink();
}

void THTMLViewer::RightClick(int32_t x, int32_t y, bool overPage) {
    if (!OnRightClick)
        return;
    TRightClickParameters p;
    p.X = x;
    p.Y = y;
    if (overPage) {
        const int32_t docY = doc_->ScrollTop + y;
        TObject* obj = nullptr;
        int32_t xi = 0, yi = 0;
        if (doc_->ObjectAt(x, docY, obj, xi, yi) && obj) {
            p.Image = dynamic_cast<TImageObj*>(obj);
            p.ImageX = xi;
            p.ImageY = yi;
        }
        TUrlTarget target;
        TImageFormControlObj* formControl = nullptr;
        if (doc_->FindLink(*measure_, x, docY, target, formControl)) {
            p.URL = target.URL;
            p.Target = target.Target;
        }
        int32_t s = 0, e = 0;
        p.ClickWord = WordAt(CharAtPoint(x, y), s, e);
    }
    OnRightClick(this, p);
}

void THTMLViewer::PanelDblClick() {
    // The press of a double click is no click, and its release keeps the word selected.
    mightClick_ = false;
    if (!linkFollowed_ && !NoSelect) {
        int32_t start = 0, end = 0;
        WordAt(CharAtPoint(mouseX_, mouseY_), start, end);
        if (end > start) {
            selAnchor_ = start;
            SetSelection(start, end);
        }
    }
    if (OnMouseDouble)
        OnMouseDouble(this, TMouseButton::mbLeft, ssDouble, mouseX_, mouseY_);
}

void THTMLViewer::PanelMouseWheel(TShiftState, int32_t delta, int32_t, int32_t) {
    ScrollBy(-delta / 2);
}

// ---- automatic scrolling and panning ----

// Started through a posted call so that it runs after the mouse event; then every 100 ms
// while the pointer stays far enough away. Other events run between the steps.
void THTMLViewer::StartAutoScroll() {
    if (scrollPosted_ || scrollTimer_.Enabled())
        return;
    scrollPosted_ = true;
    Post([this] {
        scrollPosted_ = false;
        if (AutoScrollTick())
            scrollTimer_.SetEnabled(true);
    });
}

bool THTMLViewer::AutoScrollTick() {
    int32_t dy = 0;
    if (panning_) {
        dy = PanStep(mouseY_ - panY_);
        paintPanel_.SetCursor(dy < 0   ? TCursor::crUpOnly
                              : dy > 0 ? TCursor::crDownOnly
                                       : TCursor::crUpDown);
    } else if (leftDown_) {
        const int32_t h = paintPanel_.Height();
        if (mouseY_ < -15)
            dy = -8 * 16;
        else if (mouseY_ < 0)
            dy = -16;
        else if (mouseY_ >= h + 15)
            dy = 8 * 16;
        else if (mouseY_ >= h)
            dy = 16;
    }
    if (dy == 0) {
        scrollTimer_.SetEnabled(false);
        return false;
    }
    ScrollBy(dy);
    if (leftDown_ && !NoSelect)
        ExtendSelection(mouseX_, mouseY_);
    Invalidate();
    return true;
}

void THTMLViewer::StopPanning() {
    panning_ = false;
    if (!leftDown_)
        scrollTimer_.SetEnabled(false);
    paintPanel_.SetCursor(TCursor::crArrow);
}

// ---- keys ----

void THTMLViewer::PanelKeyDown(int& key, TShiftState shift) {
    if (OnKeyDown)
        OnKeyDown(*this, key, shift);
    if (key == 0)
        return;
    if (panning_) {
        StopPanning();
        key = 0;
        return;
    }
    // The Menu key and Shift+F10 open the context menu: for what lies under the pointer when
    // it is over the page, else for the page at its top-left corner.
    if ((key == VK_APPS && (shift & (ssCtrl | ssAlt)) == 0) ||
        (key == VK_F1 + 9 && (shift & (ssShift | ssCtrl | ssAlt)) == ssShift)) {
        key = 0;
        if (pointerInside_)
            RightClick(mouseX_, mouseY_, true);
        else
            RightClick(8, 8, false);
        return;
    }
    if ((shift & ssCtrl) != 0) {
        switch (key) {
        case 'C':
            CopyToClipboard();
            break;
        case 'A':
            SelectAll();
            break;
        case 'F':
            FindDialog();
            break;
        default:
            return;
        }
        key = 0;
        return;
    }
    switch (key) {
    case VK_PRIOR:
        ScrollBy(-vBar_.LargeChange);
        break;
    case VK_NEXT:
        ScrollBy(vBar_.LargeChange);
        break;
    case VK_HOME:
        ScrollToY(0);
        break;
    case VK_END:
        ScrollToY(docHeight_);
        break;
    case VK_UP:
        ScrollBy(-vBar_.SmallChange);
        break;
    case VK_DOWN:
        ScrollBy(vBar_.SmallChange);
        break;
    case VK_LEFT:
        HScrollTo(hBar_.Position() - hBar_.SmallChange);
        break;
    case VK_RIGHT:
        HScrollTo(hBar_.Position() + hBar_.SmallChange);
        break;
    default:
        return;
    }
    key = 0;
}
