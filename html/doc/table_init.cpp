// Building a table: its attributes, its rows, and the one-time pass that turns spans into
// slots so that every row's slot i stands for column i.
#include <algorithm>

#include "html/doc/html_table.h"
#include "html/doc/image_obj.h"
#include "html/doc/section_list.h"
#include "html/style/color_text.h"
#include "platform/base/exceptions.h"

namespace {

const char* const TooManyColumns = "Table has too many Columns";

} // namespace

ThtmlTable::ThtmlTable(TSectionList* document, TCellBasic* enclosing, TAttributeList& attrs,
                       const TProperties& /*props*/)
    : TSectionBase(document), Enclosing(enclosing) {
    for (const TAttribute& a : attrs) {
        switch (a.Sym) {
        case BorderSym:
            HasBorder = a.Value > 0;
            BorderWidth = std::clamp(a.Value, 0, 100);
            break;
        case CellPaddingSym:
            if (a.Value >= 0)
                CellPadding = std::min(a.Value, 50);
            break;
        case CellSpacingSym:
            if (a.Value >= 0)
                CellSpacing = std::min(a.Value, 40);
            break;
        case BorderColorSym: {
            TColor c = NoColor;
            if (ColorFromText(a.Str, false, c) && c != NoColor) {
                BorderColor = c;
                HasBorderColor = true;
            }
            break;
        }
        default:
            break;
        }
    }
    if (HasBorder)
        CellSpacing = std::max(CellSpacing + 2, 1);
    Caption = std::make_unique<TCellObj>(document);
}

ThtmlTable::~ThtmlTable() = default;

void ThtmlTable::AddRow(std::unique_ptr<TCellList> row) {
    if (row)
        Rows.push_back(std::move(row));
}

void ThtmlTable::SetBlockBackground(bool plain, TColor color) {
    blockPlain_ = plain && color != NoColor;
    blockColor_ = color;
    if (blockPlain_) {
        BgColor = color;
        HasBgColor = true;
    } else if (!HasBgColor && (Document == nullptr || !Document->Printing)) {
        // The colour of the cell around the table shows through.
        if (auto* around = dynamic_cast<TCellContent*>(Enclosing);
            around != nullptr && around->HasBackground) {
            BgColor = around->Background;
            HasBgColor = true;
        }
    }
}

void ThtmlTable::InitTable() {
    if (initFailed_)
        throw EProcessError(initError_);
    if (Initialized)
        return;
    try {
        DoInitTable();
    } catch (const EProcessError& e) {
        // The rows may be half converted; the table stays empty from now on.
        initFailed_ = true;
        initError_ = e.Message();
        NumCols = 0;
        byColSpan_.clear();
        byRowSpan_.clear();
        throw;
    }
    Initialized = true;
    BuildIndex();
}

void ThtmlTable::DoInitTable() {
    for (auto& row : Rows) {
        auto& slots = row->Cells;
        if (row->HasBgColor)
            for (auto& cell : slots)
                if (cell && cell->IsCell() && !cell->Cell->HasBackground) {
                    cell->Cell->Background = row->BgColor;
                    cell->Cell->HasBackground = true;
                }
        for (int i = static_cast<int>(slots.size()) - 1; i >= 0; --i) {
            TCellObj* cell = slots[static_cast<size_t>(i)].get();
            if (cell == nullptr || !cell->IsCell())
                continue;
            for (int32_t* p : {&cell->PadTop, &cell->PadRight, &cell->PadBottom, &cell->PadLeft})
                if (*p < 0)
                    *p = CellPadding;
            if (cell->BgImageName.empty() && !row->BgImageName.empty()) {
                cell->BgImageName = row->BgImageName;
                cell->BgPos = row->BgPos;
            }
            if (cell->SpecWd > 0 && !cell->WdPercent)
                HasPixelCells = true;
            if (HasBgColor && !cell->Cell->HasBackground) {
                cell->Cell->Background = BgColor;
                cell->Cell->HasBackground = true;
            }
            if (cell->ColSpan > 1) {
                // Checked before inserting: a huge COLSPAN must not allocate its slots first.
                if (static_cast<int64_t>(slots.size()) + cell->ColSpan - 1 > MaxCols)
                    throw EProcessError(TooManyColumns);
                const int32_t n = cell->ColSpan - 1;
                const int32_t span = cell->RowSpan;
                std::vector<std::unique_ptr<TCellObj>> fill;
                fill.reserve(static_cast<size_t>(n));
                for (int32_t k = 0; k < n; ++k)
                    fill.push_back(span < 2 ? nullptr : TCellObj::Placeholder(span));
                slots.insert(slots.begin() + i + 1, std::make_move_iterator(fill.begin()),
                             std::make_move_iterator(fill.end()));
            }
        }
        if (static_cast<int>(slots.size()) > MaxCols)
            throw EProcessError(TooManyColumns);
    }

    auto longest = [this] {
        size_t n = 0;
        for (const auto& row : Rows)
            n = std::max(n, row->Cells.size());
        return static_cast<int>(n);
    };
    NumCols = longest();

    // Row spans: cut to the rows that exist, then placeholders below the cell. Rows only
    // grow here, so the column limit is checked as they grow, keeping hostile spans from
    // filling memory before the error.
    const int rows = static_cast<int>(Rows.size());
    int width = NumCols;
    for (int c = 0; c < width; ++c)
        for (int r = 0; r < rows; ++r) {
            auto& slots = Rows[static_cast<size_t>(r)]->Cells;
            if (c >= static_cast<int>(slots.size()))
                continue;
            TCellObj* cell = slots[static_cast<size_t>(c)].get();
            if (cell == nullptr || cell->RowSpan < 2)
                continue;
            cell->RowSpan = std::min(cell->RowSpan, rows - r);
            for (int k = 1; k < cell->RowSpan; ++k) {
                auto& below = Rows[static_cast<size_t>(r + k)]->Cells;
                if (static_cast<int>(below.size()) < c)
                    below.push_back(TCellObj::Placeholder(0));
                else
                    below.insert(below.begin() + c, TCellObj::Placeholder(0));
                if (static_cast<int>(below.size()) > MaxCols)
                    throw EProcessError(TooManyColumns);
                width = std::max(width, static_cast<int>(below.size()));
            }
        }

    NumCols = longest();
    if (NumCols > MaxCols)
        throw EProcessError(TooManyColumns);
}

// The real cells in the orders the width and height passes take them: by span, and within
// one span row by row, left to right. Spans are fixed once the table is initialised.
void ThtmlTable::BuildIndex() {
    byColSpan_.clear();
    maxRowSpan_ = 1;
    for (int r = 0; r < static_cast<int>(Rows.size()); ++r) {
        auto& slots = Rows[static_cast<size_t>(r)]->Cells;
        for (int s = 0; s < static_cast<int>(slots.size()); ++s) {
            TCellObj* cell = slots[static_cast<size_t>(s)].get();
            if (cell == nullptr || !cell->IsCell())
                continue;
            // Spans reaching past the columns that exist are cut to them.
            cell->ColSpan = std::clamp(cell->ColSpan, 1, std::max(1, NumCols - s));
            cell->RowSpan = std::max(cell->RowSpan, 1);
            maxRowSpan_ = std::max(maxRowSpan_, cell->RowSpan);
            byColSpan_.push_back({r, s, cell});
        }
    }
    byRowSpan_ = byColSpan_;
    std::stable_sort(byColSpan_.begin(), byColSpan_.end(), [](const CellRef& a, const CellRef& b) {
        return a.Obj->ColSpan < b.Obj->ColSpan;
    });
    std::stable_sort(byRowSpan_.begin(), byRowSpan_.end(), [](const CellRef& a, const CellRef& b) {
        return a.Obj->RowSpan < b.Obj->RowSpan;
    });
}
