// Table layout: column widths for the width at hand, row heights from the cells' contents,
// then every cell placed in its box.
#include <algorithm>

#include "html/doc/html_table.h"
#include "html/doc/length_sum.h"
#include "html/doc/section_list.h"
#include "html/doc/table_pass.h"

using table_detail::MulDiv;
using table_detail::TPassScope;

int32_t ThtmlTable::SpanWidth(int slot, int span) const {
    int64_t s = 0;
    for (int i = slot; i < slot + span && i < NumCols; ++i)
        s += Widths[static_cast<size_t>(i)];
    return ClampLength(s);
}

// Without a given width, columns with percentages decide how wide the whole table would like
// to be (N); the rest follows from the minima and maxima.
void ThtmlTable::PercentNatural(int32_t w, int32_t totalMin, int32_t totalMax) {
    int64_t ptot = 0;
    for (int i = 0; i < NumCols; ++i)
        ptot += Percents[i];
    if (ptot > 0 && ptot <= 1000) {
        int64_t n = 0;
        int64_t otherMax = 0;
        for (int i = 0; i < NumCols; ++i) {
            if (Percents[i] > 0)
                n = std::max<int64_t>(n, MulDiv(maxW_[i], 1000, Percents[i]));
            else
                otherMax += maxW_[i];
        }
        int64_t e = 0;
        if (ptot < 1000)
            e = MulDiv(ClampLength(otherMax), 1000, static_cast<int32_t>(1000 - ptot));
        else if (otherMax > 0)
            e = 30000;
        const int32_t natural = ClampLength(std::max(n, e));
        if (w >= natural) {
            const int32_t rest = MulDiv(natural, static_cast<int32_t>(1000 - ptot), 1000);
            for (int i = 0; i < NumCols; ++i) {
                if (Percents[i] > 0)
                    Widths[i] = MulDiv(natural, Percents[i], 1000);
                else
                    Widths[i] = otherMax > 0 ? MulDiv(rest, maxW_[i], ClampLength(otherMax)) : 0;
            }
            return;
        }
        // Too narrow: columns that cannot have their share lose their percentage; the others
        // are scaled until they fit beside the minima of the rest. Rounding can keep the sum
        // a pixel over, so the rounds are bounded.
        for (int round = 0; round < 32; ++round) {
            bool any = false;
            for (int i = 0; i < NumCols; ++i)
                if (Percents[i] > 0 && MulDiv(w, Percents[i], 1000) - 1 < minW_[i])
                    Percents[i] = 0;
            int64_t pw = 0, om = 0;
            for (int i = 0; i < NumCols; ++i) {
                if (Percents[i] > 0) {
                    any = true;
                    pw += MulDiv(w, Percents[i], 1000);
                } else {
                    om += minW_[i];
                }
            }
            if (!any)
                break;
            if (pw + om > w && round < 31 && pw > 0) {
                for (int i = 0; i < NumCols; ++i)
                    if (Percents[i] > 0)
                        Percents[i] = MulDiv(Percents[i], ClampLength(w - om), ClampLength(pw));
                continue;
            }
            for (int i = 0; i < NumCols; ++i)
                if (Percents[i] > 0)
                    minW_[i] = maxW_[i] = MulDiv(w, Percents[i], 1000);
            break;
        }
        int64_t tmin = 0, tmax = 0;
        for (int i = 0; i < NumCols; ++i) {
            tmin += minW_[i];
            tmax += maxW_[i];
        }
        totalMin = ClampLength(tmin);
        totalMax = ClampLength(tmax);
    }
    for (int i = 0; i < NumCols; ++i) {
        if (w < totalMax && totalMax != totalMin)
            Widths[i] = minW_[i] + MulDiv(maxW_[i] - minW_[i], w - totalMin, totalMax - totalMin);
        else
            Widths[i] = maxW_[i];
    }
}

void ThtmlTable::ColumnsForLayout(TCanvas& canvas, int32_t w, bool widthGiven) {
    Widths.fill(0);
    int32_t tmin = 0, tmax = 0;
    if (widthGiven || !HasPixelCells) {
        MinMaxPercent(canvas, w, tmin, tmax);
        if (tmin >= w) {
            for (int i = 0; i < NumCols; ++i)
                Widths[i] = minW_[i];
        } else if (widthGiven) {
            DistributePercent(w);
        } else {
            PercentNatural(w, tmin, tmax);
        }
    } else {
        MinMaxAbsolute(canvas, tmin, tmax);
        DistributeAbsolute(w, widthGiven);
    }
}

// Row heights: cells spanning one row set their row's height; then, span by span, cells
// spanning more rows stretch their rows when these are too short. Each cell is laid out
// once here, at the width of its columns.
void ThtmlTable::RowHeightsFor(TCanvas& canvas, int32_t y, int32_t availHeight) {
    const int rows = static_cast<int>(Rows.size());
    rowH_.assign(static_cast<size_t>(rows), 0);
    int32_t scratch = 0; // character indexes are given out when the cells are placed
    for (const CellRef& ref : byRowSpan_) {
        TCellObj& cell = *ref.Obj;
        const int k = cell.RowSpan;
        if (ref.Row + k > rows)
            continue;
        const int32_t boxW = SpanWidth(ref.Slot, cell.ColSpan);
        const int32_t contentW = std::max(
            0, ClampLength(int64_t{boxW} - cell.InsetLeft() - cell.InsetRight() - CellSpacing));
        int32_t needed = 0;
        cell.Wd = boxW;
        cell.VSize =
            cell.Cell->LayOut(canvas, ClampLength(int64_t{y} + CellSpacing + cell.InsetTop()),
                              contentW, availHeight, needed, scratch);
        const int32_t need = ClampLength(
            int64_t{std::max(cell.SpecHt, ClampLength(int64_t{cell.VSize} + cell.InsetTop() +
                                                      cell.InsetBottom()))} +
            CellSpacing);
        int32_t* h = rowH_.data() + ref.Row;
        if (k == 1) {
            h[0] = std::max(h[0], need);
            continue;
        }
        int64_t sum = 0;
        for (int i = 0; i < k; ++i)
            sum += h[i];
        if (sum < need) {
            const int64_t extra = need - sum;
            for (int i = 0; i < k; ++i)
                h[i] = ClampLength(h[i] + extra / k);
            h[k - 1] = ClampLength(h[k - 1] + extra % k);
        }
    }
}

void ThtmlTable::SpreadSpecHeight() {
    const int rows = static_cast<int>(rowH_.size());
    if (rows == 0)
        return;
    int64_t sum = 0;
    for (int32_t h : rowH_)
        sum += h;
    const int64_t target = int64_t{SpecHeight} - CellSpacing - 2 * FrameExtra();
    if (sum >= target)
        return;
    const int64_t extra = target - sum;
    const int64_t each = extra / rows;
    for (int i = 0; i < rows - 1; ++i)
        rowH_[static_cast<size_t>(i)] = ClampLength(rowH_[static_cast<size_t>(i)] + each);
    rowH_.back() = ClampLength(rowH_.back() + extra - each * (rows - 1));
}

int32_t ThtmlTable::LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t /*refX*/,
                           int32_t /*refY*/, int32_t /*availWidth*/, int32_t availHeight,
                           IndentManager& indents, int32_t& neededWidth, int32_t& charIndex) {
    TPassScope pass(Document);
    FirstChar = charIndex;
    LayoutY = y;
    ContentY = y;
    ContentLeft = x;
    PaintTop = y;

    // 1. The width to fill.
    const int32_t avail = ClampLength(int64_t{indents.RightLimit(y)} - indents.LeftLimit(y));
    int32_t w = avail;
    bool given = false;
    if (SpecWidth >= 1) {
        w = SpecWidthPercent ? MulDiv(avail, SpecWidth, 1000) : SpecWidth;
        given = true;
    }
    const int32_t frame = FrameExtra();
    w = std::max(w - CellSpacing - 2 * frame, 20);

    // 2. Spans into slots (raises the column error).
    InitTable();

    // 3 to 5, 7: widths and heights, unless this pass already found them for the same room.
    const LayoutKey key{
        TPassScope::Current(Document), avail, availHeight, SpecWidth, SpecHeight, SpecWidthPercent};
    const bool again = keyValid_ && key.Pass != 0 && key == lastKey_;
    if (!again) {
        ColumnsForLayout(canvas, w, given);
        GridWidth = ClampLength(int64_t{CellSpacing} + SpanWidth(0, NumCols) + 2 * frame);
        TableWidth = std::max(GridWidth, CaptionMinWidth(canvas));
        RowHeightsFor(canvas, y, availHeight);
        SpreadSpecHeight();
        lastKey_ = key;
        keyValid_ = true;
    }

    // 6. Caption on top.
    int32_t top = y;
    CaptionHeight = 0;
    int32_t capNeeded = 0;
    if (CaptionOnTop && Caption) {
        CaptionHeight =
            Caption->Cell->LayOut(canvas, top, TableWidth, availHeight, capNeeded, charIndex);
        top = ClampLength(int64_t{top} + CaptionHeight);
    }

    // 8. Every cell in its box, at its vertical alignment.
    const int rows = static_cast<int>(Rows.size());
    rowTop_.assign(static_cast<size_t>(rows), 0);
    std::vector<int64_t> below(static_cast<size_t>(rows) + 1, 0); // running sums of rows
    for (int r = 0; r < rows; ++r)
        below[static_cast<size_t>(r) + 1] =
            below[static_cast<size_t>(r)] + rowH_[static_cast<size_t>(r)];
    // Kept off the stack: nested tables recurse through here.
    std::vector<int32_t> colX(static_cast<size_t>(NumCols) + 1, 0);
    colX[0] = frame;
    for (int c = 1; c <= NumCols; ++c)
        colX[c] = ClampLength(int64_t{colX[c - 1]} + Widths[c - 1]);
    for (int r = 0; r < rows; ++r) {
        const int32_t rowY = ClampLength(int64_t{top} + frame + below[static_cast<size_t>(r)]);
        rowTop_[static_cast<size_t>(r)] = rowY;
        auto& slots = Rows[static_cast<size_t>(r)]->Cells;
        for (int s = 0; s < static_cast<int>(slots.size()) && s < NumCols; ++s) {
            TCellObj* cell = slots[static_cast<size_t>(s)].get();
            if (cell == nullptr || !cell->IsCell())
                continue;
            const int k = std::min(cell->RowSpan, rows - r);
            cell->Ht =
                ClampLength(below[static_cast<size_t>(r + k)] - below[static_cast<size_t>(r)]);
            cell->Wd = SpanWidth(s, cell->ColSpan);
            cell->ColX = colX[s];
            cell->RowY = rowY;
            const int64_t d = int64_t{cell->Ht} - cell->VSize - cell->InsetTop() -
                              cell->InsetBottom() - CellSpacing;
            switch (cell->VAlign) {
            case oaMiddle:
                cell->YIndent = ClampLength(std::max<int64_t>(0, d / 2));
                break;
            case oaBaseline:
            case oaBottom:
                cell->YIndent = ClampLength(std::max<int64_t>(0, d));
                break;
            default:
                cell->YIndent = 0;
                break;
            }
            const int32_t contentW = std::max(0, ClampLength(int64_t{cell->Wd} - cell->InsetLeft() -
                                                             cell->InsetRight() - CellSpacing));
            int32_t needed = 0;
            cell->Cell->LayOut(
                canvas, ClampLength(int64_t{rowY} + CellSpacing + cell->InsetTop() + cell->YIndent),
                contentW, availHeight, needed, charIndex);
            cell->FetchBackground(Document, canvas);
        }
    }
    RowsHeight = rows > 0 ? ClampLength(below.back() + CellSpacing + 2 * frame) : 0;
    int32_t bottom = ClampLength(int64_t{top} + RowsHeight);

    // 9. Caption at the bottom.
    if (!CaptionOnTop && Caption) {
        CaptionHeight =
            Caption->Cell->LayOut(canvas, bottom, TableWidth, availHeight, capNeeded, charIndex);
        bottom = ClampLength(int64_t{bottom} + CaptionHeight);
    }

    // 10. A wider caption centres the grid under it.
    GridOffset = TableWidth < avail ? (TableWidth - GridWidth) / 2 : 0;

    // 11. A list item waiting for its first baseline gets the table's bottom.
    if (Document != nullptr && Document->FirstLineBaseline != nullptr &&
        *Document->FirstLineBaseline == 0)
        *Document->FirstLineBaseline = bottom;

    FlowHeight = ClampLength(int64_t{bottom} - y);
    PaintHeight = FlowHeight;
    FlowBottom = bottom;
    PaintBottom = bottom;
    CharCount = charIndex - FirstChar;
    neededWidth = TableWidth;
    return FlowHeight;
}
