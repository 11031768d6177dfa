// The keyboard commands: copying the selection, selecting everything, finding text.
#include <algorithm>
#include <cstdint>

#include "html/view/html_viewer.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/dialogs.h"

std::string THTMLViewer::SelText() {
    if (doc_->SelectionStart >= doc_->SelectionEnd)
        return {};
    doc_->ClipBuffer.clear();
    doc_->CopySelection();
    std::string text = std::move(doc_->ClipBuffer);
    doc_->ClipBuffer.clear();
    return text;
}

void THTMLViewer::CopyToClipboard() {
    const std::string text = SelText();
    if (!text.empty())
        SetClipboardText(text);
}

void THTMLViewer::SelectAll() {
    if (NoSelect)
        return;
    selAnchor_ = 0;
    SetSelection(0, charCount_);
}

bool THTMLViewer::FindText(const std::string& text, bool matchCase) {
    if (text.empty())
        return false;
    const int32_t from =
        doc_->SelectionEnd > doc_->SelectionStart ? doc_->SelectionEnd : doc_->SelectionStart;
    int32_t at = doc_->TCellBasic::FindText(from, text, matchCase);
    if (at < 0 && from > 0) // wrap round to the start
        at = doc_->TCellBasic::FindText(0, text, matchCase);
    if (at < 0)
        return false;
    const int32_t length =
        static_cast<int32_t>(std::min<size_t>(Utf8ToU32(text).size(), INT32_MAX));
    const int32_t end = static_cast<int32_t>(std::min<int64_t>(charCount_, int64_t{at} + length));
    selAnchor_ = at;
    SetSelection(at, end);
    // The hit's line, or at least its section, comes into view.
    char32_t ch = 0;
    TSectionBase* section = nullptr;
    int32_t y = -1;
    if (doc_->CharAt(at, ch, section) && section)
        y = section->VerticalPosition();
    int32_t cx = 0, cy = 0;
    if (doc_->CaretPoint(*measure_, at, cx, cy) && cy >= y)
        y = cy;
    const int32_t view = paintPanel_.Height();
    if (y >= 0 && (y < doc_->ScrollTop || y + 16 > doc_->ScrollTop + view))
        ScrollToY(y - view / 3);
    Invalidate();
    return true;
}

void THTMLViewer::FindDialog() {
    const auto answer = Dialogs().InputQuery("Find", "Find what:", findText_);
    if (!answer || answer->empty())
        return;
    findText_ = *answer;
    if (!FindText(findText_))
        Dialogs().ShowMessage("\"" + *answer + "\" was not found.");
}
