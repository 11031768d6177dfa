#include "html/doc/cell.h"

#include <algorithm>
#include <cstdio>

#include "html/doc/dump.h"
#include "html/doc/length_sum.h"
#include "html/doc/section_list.h"
#include "html/reader/url_target.h"
#include "platform/base/exceptions.h"
#include "platform/base/strings.h"

namespace {

// A section that cannot be laid out is reported once and then leaves the document, so one bad
// element never stops the rest of the page from showing. The document's owner decides how the
// user hears of it (the viewer shows a dialog); a document without one, laid out headless,
// perhaps on a thread of its own, writes it to standard error and touches nothing shared.
void ReportLayoutError(TSectionList* document, const std::string& message) {
    if (document != nullptr && document->OnLayoutError) {
        document->OnLayoutError(message);
        return;
    }
    const std::string line = ValidUtf8(message) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

// Lays the cell's children out one below the other, starting at y; `placed` sees each child
// that laid out. A child that fails is reported and removed, and the rest carry on.
template <typename Placed>
int32_t LayOutChildren(TCellBasic& cell, TCanvas& canvas, int32_t x, int32_t y, int32_t refX,
                       int32_t refY, int32_t availWidth, int32_t availHeight, int32_t& neededWidth,
                       int32_t& charIndex, Placed placed) {
    cell.CellTop = y;
    cell.FirstChar = charIndex;
    neededWidth = 0;
    int32_t total = 0;
    IndentManager spare;
    IndentManager& indents = cell.Indents != nullptr ? *cell.Indents : spare;
    for (int i = 0; i < cell.Count();) {
        TSectionBase* child = cell.Items(i);
        int32_t childWidth = 0;
        try {
            const int32_t h =
                child->LayOut(canvas, x, ClampLength(int64_t{y} + total), refX, refY, availWidth,
                              availHeight, indents, childWidth, charIndex);
            total = ClampLength(int64_t{total} + h);
            neededWidth = std::max(neededWidth, childWidth);
            placed(*child);
            ++i;
        } catch (const EProcessError& e) {
            ReportLayoutError(cell.Document, e.Message());
            cell.Delete(i);
        }
    }
    cell.CharCount = charIndex - cell.FirstChar;
    return total;
}

} // namespace

int32_t TCellBasic::LayOut(TCanvas& canvas, int32_t y, int32_t availWidth, int32_t availHeight,
                           int32_t& neededWidth, int32_t& charIndex) {
    return LayOutChildren(*this, canvas, 0, y, 1000, 1000, availWidth, availHeight, neededWidth,
                          charIndex, [](const TSectionBase&) {});
}

int32_t TCellBasic::DoLayoutChildren(TCanvas& canvas, int32_t x, int32_t y, int32_t refX,
                                     int32_t refY, int32_t availWidth, int32_t availHeight,
                                     int32_t& neededWidth, int32_t& charIndex) {
    FlowBottom = 0;
    PaintTop = 990000;
    PaintBottom = 0;
    return LayOutChildren(*this, canvas, x, y, refX, refY, availWidth, availHeight, neededWidth,
                          charIndex, [this](const TSectionBase& child) {
                              // An absolutely placed child lies outside the flow; it still paints.
                              if (!child.IsAbsolute())
                                  FlowBottom = std::max(FlowBottom, child.FlowBottom);
                              PaintTop = std::min(PaintTop, child.PaintTop);
                              PaintBottom = std::max(PaintBottom, child.PaintBottom);
                          });
}

void TCellBasic::MinMaxWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth) {
    minWidth = 0;
    maxWidth = 0;
    for (const auto& child : *this) {
        int32_t mn = 0, mx = 0;
        child->MinMaxWidths(canvas, mn, mx);
        minWidth = std::max(minWidth, mn);
        maxWidth = std::max(maxWidth, mx);
    }
}

int32_t TCellBasic::DrawCell(TCanvas& canvas, const TRect& clip, int32_t /*clipWidth*/, int32_t x,
                             int32_t y, int32_t refX, int32_t refY) {
    int32_t below = y;
    IndentManager spare;
    IndentManager& indents = Indents != nullptr ? *Indents : spare;
    const int32_t scroll = Document != nullptr ? Document->ScrollTop : 0;
    for (const auto& child : *this)
        below = child->MayPaintInto(clip, scroll)
                    ? child->DrawSection(canvas, clip, indents, x, refX, refY)
                    : ClampLength(int64_t{child->LayoutY} + child->FlowHeight);
    return below;
}

bool TCellBasic::FindLink(TCanvas& canvas, int32_t x, int32_t y, TUrlTarget& target,
                          TImageFormControlObj*& formControl) {
    target.Clear();
    formControl = nullptr;
    for (const auto& child : *this)
        if (child->PaintTop <= y && y < child->PaintBottom &&
            child->FindLink(canvas, x, y, target, formControl))
            return true;
    return false;
}

void TCellBasic::Add(std::unique_ptr<TSectionBase> section) {
    if (!section || !section->FinishForAdd())
        return; // an empty text section is dropped here
    section->Document = Document;
    TFreeList<TSectionBase>::Add(std::move(section));
}

bool TCellBasic::ObjectAt(int32_t x, int32_t y, TObject*& obj, int32_t& xInside, int32_t& yInside) {
    obj = nullptr;
    for (const auto& child : *this)
        if (child->PaintTop <= y && y < child->PaintBottom &&
            child->ObjectAt(x, y, obj, xInside, yInside))
            return true;
    return false;
}

int32_t TCellBasic::FindCursor(TCanvas& canvas, int32_t x, int32_t y, int32_t& caretX,
                               int32_t& caretY, int32_t& caretHeight, bool& inText) {
    for (const auto& child : *this)
        if (child->PaintTop <= y && y < child->PaintBottom) {
            const int32_t r = child->FindCursor(canvas, x, y, caretX, caretY, caretHeight, inText);
            if (r >= 0)
                return r;
        }
    return -1;
}

int32_t TCellBasic::FindText(int32_t from, const std::string& text, bool matchCase) {
    for (const auto& child : *this) {
        const int32_t r = child->FindText(from, text, matchCase);
        if (r >= 0)
            return r;
    }
    return -1;
}

int32_t TCellBasic::ToSourcePos(int32_t docIndex) {
    for (const auto& child : *this) {
        const int32_t r = child->ToSourcePos(docIndex);
        if (r >= 0)
            return r;
    }
    return -1;
}

int32_t TCellBasic::FromSourcePos(int32_t sourcePos, bool backwards) {
    if (backwards) {
        for (int i = Count() - 1; i >= 0; --i) {
            const int32_t r = Items(i)->FromSourcePos(sourcePos, backwards);
            if (r >= 0)
                return r;
        }
    } else {
        for (const auto& child : *this) {
            const int32_t r = child->FromSourcePos(sourcePos, backwards);
            if (r >= 0)
                return r;
        }
    }
    return -1;
}

bool TCellBasic::CaretPoint(TCanvas& canvas, int32_t index, int32_t& x, int32_t& y) {
    for (const auto& child : *this)
        if (child->CaretPoint(canvas, index, x, y))
            return true;
    return false;
}

bool TCellBasic::CharAt(int32_t index, char32_t& ch, TSectionBase*& section) {
    if (index < FirstChar || index > FirstChar + CharCount)
        return false;
    for (const auto& child : *this)
        if (child->CharAt(index, ch, section))
            return true;
    return false;
}

void TCellBasic::CopySelection() {
    if (Document == nullptr || Document->SelectionStart >= Document->SelectionEnd)
        return;
    for (const auto& child : *this) {
        if (child->FirstChar >= Document->SelectionEnd)
            break;
        if (child->FirstChar + child->CharCount > Document->SelectionStart)
            child->CopySelection();
    }
}

void TCellBasic::RegisterPositions() {
    for (const auto& child : *this)
        child->RegisterPosition();
}

void TCellBasic::Dump(TDumpWriter& out, int depth) const {
    for (const auto& child : *this)
        child->Dump(out, depth);
}

TCell::TCell(TSectionList* document)
    : TCellBasic(document), ownIndents_(std::make_unique<IndentManager>()) {
    Indents = ownIndents_.get();
}

int32_t TCell::LayOut(TCanvas& canvas, int32_t y, int32_t availWidth, int32_t availHeight,
                      int32_t& neededWidth, int32_t& charIndex) {
    IndentManager& im = *ownIndents_;
    Indents = &im;
    im.Reset();
    im.SetEdges(0, availWidth);
    im.Width = availWidth;
    const void* saved = im.Current;
    im.Current = this;
    const int left = im.PushLeft(0, y);
    const int right = im.PushRight(availWidth, y);
    const int32_t height =
        TCellBasic::LayOut(canvas, y, availWidth, availHeight, neededWidth, charIndex);
    im.EndLeft(left, ClampLength(int64_t{y} + height));
    im.EndRight(right, ClampLength(int64_t{y} + height));
    im.Current = saved;
    // A float hanging below the last line lengthens the cell.
    return std::max(height, ClampLength(int64_t{im.FloatsBottom()} - CellTop));
}

int32_t TCell::DrawCell(TCanvas& canvas, const TRect& clip, int32_t clipWidth, int32_t x, int32_t y,
                        int32_t refX, int32_t refY) {
    IndentManager& im = *ownIndents_;
    Indents = &im;
    im.SetEdges(x, x + im.Width);
    im.ClipWidth = clipWidth;
    DrawYY = y;
    return TCellBasic::DrawCell(canvas, clip, clipWidth, x, y, refX, refY);
}
