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

// What ends the content of a cell, a caption or the text between cells.
const TSymSet& TableTerm() {
    static const TSymSet term = Syms({TableEndSym, TDSym, TDEndSym, TRSym, TREndSym, THSym,
                                      THEndSym, CaptionSym, CaptionEndSym});
    return term;
}

} // namespace

// What a table being read keeps between its pieces.
struct THtmlReader::TTableState {
    TCellBasic* Outer = nullptr; // the cell that holds the table
    ThtmlTable* Table = nullptr;
    std::unique_ptr<TTableBlock> Block; // joins Outer when the table ends
    std::unique_ptr<TCellList> Row;     // the open row
    int TableCount = 0;                 // levels up to and including the table's
    int RowCount = 0;                   // levels up to and including the row's
    ObjAlignKind RowAlign = oaMiddle;   // VALIGN of the open row
    bool SavedNoBreak = false;
    int SavedFloor = 0;
};

void THtmlReader::StartTable(TTableState& t) {
    const TElemStyle style = Capture();
    PushLevel("table", &style);
    t.TableCount = stack_.Count();
    floor_ = t.TableCount;
    auto table = std::make_unique<ThtmlTable>(&doc_, t.Outer, lex_.Attributes, Top());
    t.Table = table.get();
    t.Block =
        std::make_unique<TTableBlock>(&doc_, t.Outer, Top(), std::move(table), lex_.Attributes);
    if (t.Block->FloatSide == BlockFloat::None && !t.Block->Centered) {
        const int align = EnclosingTableAlign(stack_, stack_.Count() - 2);
        t.Block->Centered = align == 2;
        t.Block->RightAligned = align == 3;
    }
}

void THtmlReader::CloseTableCell() {
    if (cell_) {
        CloseSection();
        DropTrailingDefaultMargins(*cell_);
    }
    DropSection();
    cell_ = nullptr;
}

void THtmlReader::EndTableRow(TTableState& t) {
    if (t.Row) {
        CloseTableCell();
        t.Table->AddRow(std::move(t.Row));
        t.Row.reset();
    }
    stack_.PopTo(t.TableCount);
}

void THtmlReader::StartTableCell(TTableState& t) {
    const Symbol sy = lex_.Sy;
    if (linkOpen_)
        CloseLink();
    lex_.NoBreak = lex_.Attributes.Find(NoWrapSym) != nullptr;
    if (!t.Row) {
        PushLevel("tr", nullptr);
        t.RowCount = stack_.Count();
        t.Row = std::make_unique<TCellList>(nullptr, &Top());
        t.RowAlign = oaMiddle;
    } else {
        CloseTableCell();
        stack_.PopTo(t.RowCount);
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
                                              CellVAlign(lex_.Attributes, t.RowAlign));
    cell_ = cellObj->Cell.get();
    t.Row->Add(std::move(cellObj));
    lex_.SkipBlanks();
    Next();
    DoBody(TableTerm());
}

void THtmlReader::StartTableRow(TTableState& t) {
    if (linkOpen_)
        CloseLink();
    EndTableRow(t);
    const TElemStyle rowStyle = Capture();
    PushLevel("tr", &rowStyle);
    SetAlign(lex_.Attributes);
    t.RowCount = stack_.Count();
    t.Row = std::make_unique<TCellList>(&lex_.Attributes, &Top());
    t.RowAlign = CellVAlign(lex_.Attributes, oaMiddle);
    Next();
}

void THtmlReader::DoCaption(TTableState& t) {
    if (linkOpen_)
        CloseLink();
    lex_.NoBreak = false;
    CloseTableCell();
    if (const TAttribute* a = lex_.Attributes.Find(AlignSym); a && SameText(a->Str, "bottom"))
        t.Table->CaptionOnTop = false;
    if (!t.Table->Caption)
        t.Table->Caption = std::make_unique<TCellObj>(&doc_, lex_.Attributes, Top(), oaTop);
    const int captionBase = stack_.Count();
    const TElemStyle captionStyle = Capture();
    PushLevel("caption", &captionStyle);
    cell_ = t.Table->Caption->Cell.get();
    Next();
    DoBody(TableTerm());
    CloseSection();
    cell_ = nullptr;
    stack_.PopTo(captionBase);
    if (lex_.Sy == CaptionEndSym)
        Next();
}

void THtmlReader::ReadTableContent(TTableState& t) {
    Next();
    while (lex_.Sy != TableEndSym && lex_.Sy != EofSym) {
        const uint64_t before = reads_;
        switch (lex_.Sy) {
        case TDSym:
        case THSym:
            StartTableCell(t);
            break;
        case TDEndSym:
        case THEndSym:
            CloseTableCell();
            Next();
            break;
        case TRSym:
            StartTableRow(t);
            break;
        case TREndSym:
            if (linkOpen_)
                CloseLink();
            EndTableRow(t);
            Next();
            break;
        case CaptionSym:
            DoCaption(t);
            break;
        case TextSym:
            if (!cell_) {
                // Text between the cells belongs to the cell that holds the table.
                cell_ = t.Outer;
                DoBody(TableTerm());
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
}

void THtmlReader::FinishTable(TTableState& t) {
    if (linkOpen_)
        CloseLink();
    CloseTableCell();
    if (t.Row)
        t.Table->AddRow(std::move(t.Row));
    stack_.PopTo(t.TableCount - 1);
    floor_ = t.SavedFloor;
    cell_ = t.Outer;
    lex_.NoBreak = t.SavedNoBreak;
    --tableDepth_;
    t.Outer->Add(std::move(t.Block));
}

void THtmlReader::DoTable() {
    if (TooDeep() || !cell_) {
        Next();
        return;
    }
    TNestGuard guard(*this);
    if (linkOpen_)
        CloseLink();
    CloseSection();
    TTableState t;
    t.Outer = cell_;
    t.SavedNoBreak = lex_.NoBreak;
    t.SavedFloor = floor_;
    cell_ = nullptr;
    StartTable(t);
    ++tableDepth_;
    // The table joins the tree also when an error ends the parse inside it, so that nothing
    // made inside it (named positions, controls) is left pointing at freed sections.
    try {
        ReadTableContent(t);
    } catch (...) {
        FinishTable(t);
        throw;
    }
    FinishTable(t);
    if (lex_.Sy == TableEndSym)
        Next();
}
