// TABLE: rows and cells as TR, TD, TH and CAPTION arrive; the table block joins the tree when
// the table ends.
#include "html/doc/block.h"
#include "html/doc/html_table.h"
#include "html/doc/section_list.h"
#include "html/doc/table_block.h"
#include "html/doc/text_section.h"
#include "html/load/reader_core.h"
#include "platform/base/strings.h"

namespace {

// VALIGN of a cell: top (baseline too), middle or bottom; otherwise the row's.
ObjAlignKind CellVAlign(const TAttributeList& attrs, ObjAlignKind rowAlign) {
    const TAttribute* a = attrs.Find(VAlignSym);
    if (!a)
        return rowAlign;
    const std::string v = LowerCase(a->Str);
    if (v == "top" || v == "baseline")
        return oaTop;
    if (v == "middle")
        return oaMiddle;
    if (v == "bottom")
        return oaBottom;
    return rowAlign;
}

// How the elements around a table place it: 2 centred, 3 right, 0 not at all. The nearest
// element that sets the text alignment decides: CENTER, or an ALIGN attribute; an alignment
// from a style rule places only text, as in browsers.
int EnclosingTableAlign(const TPropStack& stack, int below) {
    for (int i = below; i > 0; --i) {
        const TProperties& level = stack[i];
        if (level.ElemTag == "center")
            return 2;
        if (!level.SetByRule[piTextAlign])
            continue;
        if (!level.AlignsTables)
            return 0;
        const TPropValue& v = level.Values[piTextAlign];
        return v.Equals("center") ? 2 : v.Equals("right") ? 3 : 0;
    }
    return 0;
}

} // namespace

void THtmlReader::DoTable() {
    if (TooDeep() || !cell_) {
        Next();
        return;
    }
    TNestGuard guard(*this);
    if (linkOpen_)
        CloseLink();
    CloseSection();
    TCellBasic* const outer = cell_;
    const bool savedNoBreak = lex_.NoBreak;
    const int savedFloor = floor_;
    cell_ = nullptr;

    const TElemStyle style = Capture();
    PushLevel("table", &style);
    const int tableCount = stack_.Count(); // levels up to and including the table's
    floor_ = tableCount;
    auto table = std::make_unique<ThtmlTable>(&doc_, outer, lex_.Attributes, Top());
    ThtmlTable* const tbl = table.get();
    auto tableBlock =
        std::make_unique<TTableBlock>(&doc_, outer, Top(), std::move(table), lex_.Attributes);
    if (tableBlock->FloatSide == BlockFloat::None && !tableBlock->Centered) {
        const int align = EnclosingTableAlign(stack_, stack_.Count() - 2);
        tableBlock->Centered = align == 2;
        tableBlock->RightAligned = align == 3;
    }
    ++tableDepth_;

    static const TSymSet tableTerm = Syms({TableEndSym, TDSym, TDEndSym, TRSym, TREndSym, THSym,
                                           THEndSym, CaptionSym, CaptionEndSym});
    std::unique_ptr<TCellList> row;
    int rowCount = 0; // levels up to and including the row's
    ObjAlignKind rowAlign = oaMiddle;

    const auto closeCell = [&] {
        if (cell_) {
            CloseSection();
            DropTrailingDefaultMargins(*cell_);
        }
        DropSection();
        cell_ = nullptr;
    };
    const auto endRow = [&] {
        if (row) {
            closeCell();
            tbl->AddRow(std::move(row));
            row.reset();
        }
        stack_.PopTo(tableCount);
    };
    // The table joins the tree also when an error ends the parse inside it, so that nothing
    // made inside it (named positions, controls) is left pointing at freed sections.
    const auto finish = [&] {
        if (linkOpen_)
            CloseLink();
        closeCell();
        if (row)
            tbl->AddRow(std::move(row));
        stack_.PopTo(tableCount - 1);
        floor_ = savedFloor;
        cell_ = outer;
        lex_.NoBreak = savedNoBreak;
        --tableDepth_;
        outer->Add(std::move(tableBlock));
    };

    try {
        Next();
        while (lex_.Sy != TableEndSym && lex_.Sy != EofSym) {
            const uint64_t before = reads_;
            switch (lex_.Sy) {
            case TDSym:
            case THSym: {
                const Symbol sy = lex_.Sy;
                if (linkOpen_)
                    CloseLink();
                lex_.NoBreak = lex_.Attributes.Find(NoWrapSym) != nullptr;
                if (!row) {
                    PushLevel("tr", nullptr);
                    rowCount = stack_.Count();
                    row = std::make_unique<TCellList>(nullptr, &Top());
                    rowAlign = oaMiddle;
                } else {
                    closeCell();
                    stack_.PopTo(rowCount);
                }
                const TElemStyle cellStyle = Capture();
                const bool rowAligned = Top().SetByAuthor[piTextAlign];
                const TPropValue rowTextAlign = Top().Values[piTextAlign];
                PushLevel(sy == TDSym ? "td" : "th", &cellStyle);
                // A header cell is centred unless its row (or it) says otherwise.
                if (rowAligned)
                    Top().SetIfUnset(rowTextAlign, piTextAlign);
                SetAlign(lex_.Attributes);
                auto cellObj = std::make_unique<TCellObj>(&doc_, lex_.Attributes, Top(),
                                                          CellVAlign(lex_.Attributes, rowAlign));
                cell_ = cellObj->Cell.get();
                row->Add(std::move(cellObj));
                lex_.SkipBlanks();
                Next();
                DoBody(tableTerm);
                break;
            }
            case TDEndSym:
            case THEndSym:
                closeCell();
                Next();
                break;
            case TRSym: {
                if (linkOpen_)
                    CloseLink();
                endRow();
                const TElemStyle rowStyle = Capture();
                PushLevel("tr", &rowStyle);
                SetAlign(lex_.Attributes);
                rowCount = stack_.Count();
                row = std::make_unique<TCellList>(&lex_.Attributes, &Top());
                rowAlign = CellVAlign(lex_.Attributes, oaMiddle);
                Next();
                break;
            }
            case TREndSym:
                if (linkOpen_)
                    CloseLink();
                endRow();
                Next();
                break;
            case CaptionSym: {
                if (linkOpen_)
                    CloseLink();
                lex_.NoBreak = false;
                closeCell();
                if (const TAttribute* a = lex_.Attributes.Find(AlignSym);
                    a && SameText(a->Str, "bottom"))
                    tbl->CaptionOnTop = false;
                if (!tbl->Caption)
                    tbl->Caption = std::make_unique<TCellObj>(&doc_, lex_.Attributes, Top(), oaTop);
                const int captionBase = stack_.Count();
                const TElemStyle captionStyle = Capture();
                PushLevel("caption", &captionStyle);
                cell_ = tbl->Caption->Cell.get();
                Next();
                DoBody(tableTerm);
                CloseSection();
                cell_ = nullptr;
                stack_.PopTo(captionBase);
                if (lex_.Sy == CaptionEndSym)
                    Next();
                break;
            }
            case TextSym:
                if (!cell_) {
                    // Text between the cells belongs to the cell that holds the table.
                    cell_ = outer;
                    DoBody(tableTerm);
                    CloseSection();
                    cell_ = nullptr;
                } else {
                    Next();
                }
                break;
            default:
                Next();
                break;
            }
            if (reads_ == before && lex_.Sy != TableEndSym && lex_.Sy != EofSym)
                Next();
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    if (lex_.Sy == TableEndSym)
        Next();
}
