// Column widths: the minimum and maximum of every column from its cells, with pixel or
// percentage widths, and the ways of sharing a width among the columns.
#include <algorithm>
#include <bitset>
#include <cstdlib>

#include "html/doc/html_table.h"
#include "html/doc/length_sum.h"
#include "html/doc/table_pass.h"

using table_detail::MulDiv;
using table_detail::TPassScope;

void ThtmlTable::CellMinMax(TCanvas& canvas, TCellObj& cell, int32_t& mn, int32_t& mx) {
    cell.ContentMinMax(canvas, mn, mx);
    const int64_t g = int64_t{CellSpacing} + cell.InsetLeft() + cell.InsetRight();
    mn = ClampLength(mn + g);
    mx = ClampLength(mx + g);
}

int32_t ThtmlTable::CaptionMinWidth(TCanvas& canvas) {
    int32_t mn = 0, mx = 0;
    if (Caption)
        Caption->ContentMinMax(canvas, mn, mx);
    return mn;
}

namespace {

int32_t Sum(const std::array<int32_t, ThtmlTable::MaxCols + 1>& a, int from, int count) {
    int64_t s = 0;
    for (int i = from; i < from + count; ++i)
        s += a[static_cast<size_t>(i)];
    return ClampLength(s);
}

} // namespace

void ThtmlTable::MinMaxAbsolute(TCanvas& canvas, int32_t& totalMin, int32_t& totalMax) {
    TPassScope pass(Document); // a call of its own measures the contents afresh
    minW_.fill(0);
    maxW_.fill(0);
    for (const CellRef& ref : byColSpan_) {
        TCellObj& cell = *ref.Obj;
        const int c = ref.Slot;
        const int k = cell.ColSpan;
        int32_t cmin = 0, cmax = 0;
        CellMinMax(canvas, cell, cmin, cmax);
        if (!cell.WdPercent && cell.SpecWd > 0) {
            const int64_t g = int64_t{CellSpacing} + cell.InsetLeft() + cell.InsetRight();
            cmin = std::max(cmin, ClampLength(cell.SpecWd + g));
            cmax = cmin;
        }
        if (k == 1) {
            minW_[c] = std::max(minW_[c], cmin);
            maxW_[c] = std::max(maxW_[c], cmax);
            continue;
        }
        auto grow = [&](std::array<int32_t, MaxCols + 1>& cols, int32_t need) {
            const int32_t s = Sum(cols, c, k);
            if (s >= need)
                return;
            if (s <= 0) {
                cols[c] = need;
                return;
            }
            for (int i = c; i < c + k; ++i)
                cols[i] = ClampLength(int64_t{cols[i]} + MulDiv(cols[i], need - s, s));
        };
        grow(minW_, cmin);
        grow(maxW_, cmax);
    }
    totalMin = Sum(minW_, 0, NumCols);
    totalMax = Sum(maxW_, 0, NumCols);
}

void ThtmlTable::MinMaxPercent(TCanvas& canvas, int32_t denominator, int32_t& totalMin,
                               int32_t& totalMax) {
    TPassScope pass(Document);
    minW_.fill(0);
    maxW_.fill(0);
    Percents.fill(0);
    for (const CellRef& ref : byColSpan_) {
        TCellObj& cell = *ref.Obj;
        const int c = ref.Slot;
        const int k = cell.ColSpan;
        int32_t cmin = 0, cmax = 0;
        CellMinMax(canvas, cell, cmin, cmax);
        int32_t p = 0;
        if (cell.WdPercent)
            p = cell.SpecWd;
        else if (cell.SpecWd > 0 && denominator > 0)
            p = std::min(MulDiv(cell.SpecWd, 1000, denominator), 1000);
        if (k == 1) {
            maxW_[c] = std::max(maxW_[c], cmax);
            minW_[c] = std::max(minW_[c], cmin);
            Percents[c] = std::max(Percents[c], p);
            continue;
        }
        const int32_t smin = Sum(minW_, c, k);
        const int32_t smax = Sum(maxW_, c, k);
        const int32_t sp = Sum(Percents, c, k);
        // The columns without a percentage are the ones that can take what is left over.
        std::bitset<MaxCols + 1> flexible; // small: nested tables recurse through here
        int z = 0;
        for (int i = c; i < c + k; ++i)
            if (Percents[i] <= 0) {
                flexible[i] = true;
                ++z;
            }
        const int32_t emin = cmin - smin;
        const int32_t emax = cmax - smax;
        if (p > 0 || sp > 0) {
            const int32_t w = z > 0 ? std::max(0, (p - sp) / z) : 0;
            if (z == 0 && sp < p) {
                for (int i = c; i < c + k; ++i)
                    Percents[i] = MulDiv(Percents[i], p, sp);
            } else if (w > 0) {
                for (int i = c; i < c + k; ++i)
                    if (flexible[i])
                        Percents[i] = w;
            }
            const int32_t t = std::max(sp, p);
            if (emin > 0) {
                if (z <= 0) {
                    for (int i = c; i < c + k; ++i)
                        minW_[i] = std::max(minW_[i], MulDiv(cmin, Percents[i], t));
                } else {
                    // Shared in proportion to the maxima; the last takes the rounding.
                    int64_t fmax = 0;
                    int last = c;
                    for (int i = c; i < c + k; ++i)
                        if (flexible[i]) {
                            fmax += maxW_[i];
                            last = i;
                        }
                    int32_t given = 0;
                    for (int i = c; i < c + k; ++i) {
                        if (!flexible[i])
                            continue;
                        int32_t share =
                            fmax > 0 ? MulDiv(emin, maxW_[i], ClampLength(fmax)) : emin / z;
                        if (i == last)
                            share = emin - given;
                        given += share;
                        minW_[i] = ClampLength(int64_t{minW_[i]} + share);
                    }
                }
            }
            if (emax > 0) {
                if (z <= 0) {
                    for (int i = c; i < c + k; ++i)
                        maxW_[i] = std::max(maxW_[i], MulDiv(cmax, Percents[i], t));
                } else {
                    for (int i = c; i < c + k; ++i)
                        if (flexible[i])
                            maxW_[i] = ClampLength(int64_t{maxW_[i]} + emax / z);
                }
            }
        } else {
            if (emin > 0)
                for (int i = c; i < c + k; ++i)
                    minW_[i] = smin != 0 ? MulDiv(cmin, minW_[i], smin) : cmin / k;
            if (emax > 0)
                for (int i = c; i < c + k; ++i)
                    maxW_[i] = smax != 0 ? MulDiv(cmax, maxW_[i], smax) : cmax / k;
        }
    }
    totalMin = Sum(minW_, 0, NumCols);
    totalMax = Sum(maxW_, 0, NumCols);
}

void ThtmlTable::MinMaxWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth) {
    TPassScope pass(Document);
    minWidth = maxWidth = 0;
    try {
        InitTable();
    } catch (const EProcessError&) {
        // Reported when the table is laid out; an enclosing measurement must not fail.
        return;
    }
    int32_t tmin = 0, tmax = 0;
    if (!HasPixelCells || SpecWidth > 0)
        MinMaxPercent(canvas, SpecWidth, tmin, tmax);
    else
        MinMaxAbsolute(canvas, tmin, tmax);
    minWidth = ClampLength(int64_t{tmin} + CellSpacing + 2 * FrameExtra());
    maxWidth = ClampLength(int64_t{tmax} + CellSpacing + 2 * FrameExtra());
    if (SpecWidth > 0 && !SpecWidthPercent) {
        minWidth = std::max(minWidth, SpecWidth);
        maxWidth = std::max(maxWidth, SpecWidth);
    }
    const int32_t cap = CaptionMinWidth(canvas);
    minWidth = std::max(minWidth, cap);
    maxWidth = std::max(maxWidth, cap);
}

void ThtmlTable::DistributeAbsolute(int32_t width, bool stretch) {
    const int32_t tmin = Sum(minW_, 0, NumCols);
    const int32_t tmax = Sum(maxW_, 0, NumCols);
    Widths.fill(0);
    if (tmin >= width) {
        for (int i = 0; i < NumCols; ++i)
            Widths[i] = minW_[i];
    } else if (width < tmax || stretch) {
        const int32_t d = tmax - tmin;
        if (d > 0) {
            for (int i = 0; i < NumCols; ++i)
                Widths[i] = minW_[i] + MulDiv(maxW_[i] - minW_[i], width - tmin, d);
        } else if (tmin > 0) {
            for (int i = 0; i < NumCols; ++i)
                Widths[i] = minW_[i] + MulDiv(minW_[i], width - tmin, tmin);
        } else if (NumCols > 0) {
            // Columns of no width at all share the room evenly (the first takes the rest)
            // instead of dividing by their zero total.
            const int32_t each = width / NumCols;
            for (int i = 0; i < NumCols; ++i)
                Widths[i] = each;
            Widths[0] += width - each * NumCols;
        }
    } else {
        for (int i = 0; i < NumCols; ++i)
            Widths[i] = maxW_[i];
    }
}

void ThtmlTable::DistributePercent(int32_t width) {
    std::array<bool, MaxCols + 1> flexible{}, open{};
    int nflex = 0;
    int64_t f = 0, ps = 0;
    Widths.fill(0);
    for (int i = 0; i < NumCols; ++i) {
        if (Percents[i] <= 0) {
            Widths[i] = minW_[i];
            flexible[i] = true;
            ++nflex;
            f += int64_t{maxW_[i]} - minW_[i];
        } else {
            const int32_t a = MulDiv(width, Percents[i], 1000);
            if (minW_[i] < a) {
                Widths[i] = a;
                ps += Percents[i];
                open[i] = true;
            } else {
                Widths[i] = minW_[i];
            }
        }
    }
    int64_t x = int64_t{Sum(Widths, 0, NumCols)} - width;
    if (x < 0) {
        const int32_t room = ClampLength(-x);
        if (nflex == 0) {
            if (ps > 0)
                for (int i = 0; i < NumCols; ++i)
                    if (open[i])
                        Widths[i] += MulDiv(room, Percents[i], ClampLength(ps));
        } else if (f <= 0 || f < room / 2) {
            for (int i = 0; i < NumCols; ++i)
                if (flexible[i])
                    Widths[i] += room / nflex;
        } else {
            for (int i = 0; i < NumCols; ++i)
                if (flexible[i])
                    Widths[i] += MulDiv(room, maxW_[i] - minW_[i], ClampLength(f));
        }
    } else if (x > 0) {
        for (int round = 0; round < 4 && ps > 0; ++round) {
            bool fixed = false;
            for (int i = 0; i < NumCols && ps > 0; ++i) {
                if (!open[i])
                    continue;
                const int32_t loss = MulDiv(ClampLength(x), Percents[i], ClampLength(ps));
                if (Widths[i] - loss < minW_[i]) {
                    x -= int64_t{Widths[i]} - minW_[i];
                    ps -= Percents[i];
                    Widths[i] = minW_[i];
                    open[i] = false;
                    fixed = true;
                }
            }
            if (!fixed)
                break;
        }
        if (ps > 0 && x > 0) {
            const int32_t ex = ClampLength(x);
            for (int i = 0; i < NumCols; ++i)
                if (open[i])
                    Widths[i] -= MulDiv(ex, Percents[i], ClampLength(ps));
        }
    }
    if (NumCols == 0)
        return;
    const int32_t sum = Sum(Widths, 0, NumCols);
    if (sum <= width) {
        Widths[0] += width - sum;
    } else {
        for (int i = 0; i < NumCols; ++i)
            if (flexible[i] || open[i]) {
                // Giving up the excess never takes a column below what its content needs.
                Widths[i] = std::max(minW_[i], Widths[i] - (sum - width));
                break;
            }
    }
}
