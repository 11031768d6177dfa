// What lies under a point or at an index of a table: the cell (or caption) there answers.
#include <algorithm>

#include "html/doc/dump.h"
#include "html/doc/html_table.h"
#include "html/doc/length_sum.h"
#include "html/doc/section_list.h"
#include "html/doc/table_pass.h"

template <class Fn> bool ThtmlTable::ForEachContent(Fn fn, bool backwards) {
    std::vector<TCellContent*> order;
    if (Caption && CaptionOnTop)
        order.push_back(Caption->Cell.get());
    for (auto& row : Rows)
        for (auto& slot : row->Cells)
            if (slot && slot->IsCell())
                order.push_back(slot->Cell.get());
    if (Caption && !CaptionOnTop)
        order.push_back(Caption->Cell.get());
    if (backwards)
        std::reverse(order.begin(), order.end());
    for (TCellContent* c : order)
        if (fn(*c))
            return true;
    return false;
}

TCellObj* ThtmlTable::CellAt(int32_t x, int32_t y) {
    if (initFailed_)
        return nullptr;
    const int32_t left = drawn_ ? drawX_ : ContentLeft;
    const int64_t right = int64_t{left} + TableWidth;
    if (x < left || x >= right)
        return nullptr;
    // The caption first: above or below the rows.
    if (Caption && CaptionHeight > 0) {
        const int64_t capTop =
            CaptionOnTop ? LayoutY : int64_t{LayoutY} + FlowHeight - CaptionHeight;
        if (y >= capTop && y < capTop + CaptionHeight)
            return Caption.get();
    }
    const int rows = static_cast<int>(rowTop_.size());
    if (rows == 0 || rows != static_cast<int>(Rows.size()))
        return nullptr;
    const int64_t gx = int64_t{left} + GridOffset;
    if (x < gx || y < rowTop_.front() || y >= int64_t{rowTop_.front()} + RowsHeight)
        return nullptr;
    // The row whose top is the last at or above y; cells spanning from rows above are found
    // by looking back as far as the longest span.
    const int last =
        static_cast<int>(std::upper_bound(rowTop_.begin(), rowTop_.end(), y) - rowTop_.begin()) - 1;
    for (int r = last; r >= 0 && r > last - maxRowSpan_; --r)
        for (auto& slot : Rows[static_cast<size_t>(r)]->Cells) {
            if (!slot || !slot->IsCell())
                continue;
            const int64_t cx = gx + slot->ColX;
            if (x >= cx && x < cx + slot->Wd && y >= slot->RowY &&
                y < int64_t{slot->RowY} + slot->Ht)
                return slot.get();
        }
    return nullptr;
}

bool ThtmlTable::FindLink(TCanvas& canvas, int32_t x, int32_t y, TUrlTarget& target,
                          TImageFormControlObj*& formControl) {
    TCellObj* cell = CellAt(x, y);
    return cell != nullptr && cell->Cell->FindLink(canvas, x, y, target, formControl);
}

bool ThtmlTable::ObjectAt(int32_t x, int32_t y, TObject*& obj, int32_t& xInside, int32_t& yInside) {
    TCellObj* cell = CellAt(x, y);
    return cell != nullptr && cell->Cell->ObjectAt(x, y, obj, xInside, yInside);
}

int32_t ThtmlTable::FindCursor(TCanvas& canvas, int32_t x, int32_t y, int32_t& caretX,
                               int32_t& caretY, int32_t& caretHeight, bool& inText) {
    TCellObj* cell = CellAt(x, y);
    if (cell == nullptr)
        return -1;
    return cell->Cell->FindCursor(canvas, x, y, caretX, caretY, caretHeight, inText);
}

namespace {

bool Holds(const TCellBasic& c, int32_t index) {
    return index >= c.FirstChar && int64_t{index} < int64_t{c.FirstChar} + c.CharCount;
}

} // namespace

int32_t ThtmlTable::FindText(int32_t from, const std::string& text, bool matchCase) {
    int32_t found = -1;
    ForEachContent([&](TCellContent& c) {
        if (int64_t{c.FirstChar} + c.CharCount <= from)
            return false; // ends before the search starts
        found = c.FindText(from, text, matchCase);
        return found >= 0;
    });
    return found;
}

int32_t ThtmlTable::ToSourcePos(int32_t docIndex) {
    int32_t pos = -1;
    ForEachContent([&](TCellContent& c) {
        if (!Holds(c, docIndex))
            return false;
        pos = c.ToSourcePos(docIndex);
        return pos >= 0;
    });
    return pos;
}

int32_t ThtmlTable::FromSourcePos(int32_t sourcePos, bool backwards) {
    int32_t index = -1;
    ForEachContent(
        [&](TCellContent& c) {
            index = c.FromSourcePos(sourcePos, backwards);
            return index >= 0;
        },
        backwards);
    return index;
}

bool ThtmlTable::CaretPoint(TCanvas& canvas, int32_t index, int32_t& x, int32_t& y) {
    return ForEachContent(
        [&](TCellContent& c) { return Holds(c, index) && c.CaretPoint(canvas, index, x, y); });
}

bool ThtmlTable::CharAt(int32_t index, char32_t& ch, TSectionBase*& section) {
    return ForEachContent(
        [&](TCellContent& c) { return Holds(c, index) && c.CharAt(index, ch, section); });
}

void ThtmlTable::CopySelection() {
    if (Document == nullptr || Document->SelectionStart >= Document->SelectionEnd)
        return;
    const int32_t start = Document->SelectionStart, end = Document->SelectionEnd;
    ForEachContent([&](TCellContent& c) {
        if (int64_t{c.FirstChar} + c.CharCount > start && c.FirstChar < end)
            c.CopySelection();
        return false;
    });
}

void ThtmlTable::Dump(TDumpWriter& out, int depth) const {
    out.Box(depth, KindName(), ContentLeft, LayoutY, TableWidth, FlowHeight);
    auto caption = [&] {
        if (!Caption || CaptionHeight <= 0)
            return;
        const int32_t top =
            CaptionOnTop ? LayoutY : ClampLength(int64_t{LayoutY} + FlowHeight - CaptionHeight);
        out.Box(depth + 1, "caption", ContentLeft, top, TableWidth, CaptionHeight);
        Caption->Cell->Dump(out, depth + 2);
    };
    if (CaptionOnTop)
        caption();
    if (rowTop_.size() == Rows.size())
        for (const auto& row : Rows)
            for (const auto& slot : row->Cells) {
                if (!slot || !slot->IsCell())
                    continue;
                out.Box(depth + 1, "cell",
                        ClampLength(int64_t{ContentLeft} + GridOffset + slot->ColX + CellSpacing),
                        ClampLength(int64_t{slot->RowY} + CellSpacing), slot->Wd - CellSpacing,
                        slot->Ht - CellSpacing);
                slot->Cell->Dump(out, depth + 2);
            }
    if (!CaptionOnTop)
        caption();
}
