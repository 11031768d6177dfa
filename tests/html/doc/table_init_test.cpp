// Building tables: attributes of the table, its rows and cells; spans turned into slots; the
// column limit.
#include <gtest/gtest.h>

#include "tests/html/doc/table_util.h"

namespace {

struct TTableAttrCase {
    const char* Border;
    const char* Padding;
    const char* Spacing;
    int32_t WantPadding, WantSpacing;
    bool WantBorder;
};

class TableAttrTest : public ::testing::TestWithParam<TTableAttrCase> {};

TEST_P(TableAttrTest, PaddingSpacingAndBorder) {
    const TTableAttrCase& c = GetParam();
    TTableDoc d;
    TAttributeList a;
    if (*c.Border)
        a.Add(Attr(BorderSym, c.Border));
    if (*c.Padding)
        a.Add(Attr(CellPaddingSym, c.Padding));
    if (*c.Spacing)
        a.Add(Attr(CellSpacingSym, c.Spacing));
    ThtmlTable* t = d.Table(std::move(a));
    EXPECT_EQ(t->CellPadding, c.WantPadding);
    EXPECT_EQ(t->CellSpacing, c.WantSpacing);
    EXPECT_EQ(t->HasBorder, c.WantBorder);
}

INSTANTIATE_TEST_SUITE_P(Cases, TableAttrTest,
                         ::testing::Values(TTableAttrCase{"", "", "", 1, 2, false},
                                           TTableAttrCase{"", "80", "100", 50, 40, false},
                                           TTableAttrCase{"1", "", "", 1, 4, true},
                                           TTableAttrCase{"2", "3", "0", 3, 2, true},
                                           TTableAttrCase{"0", "-4", "-9", 1, 2, false},
                                           TTableAttrCase{"1", "", "100", 1, 42, true}));

int RowLength(const ThtmlTable* t, int r) {
    return t->Rows[static_cast<size_t>(r)]->Count();
}

TEST(TableInitTest, ColSpanMakesColumnsAndShortRowsStayShort) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    TCellList* r1 = d.Row(t);
    TCellObj* wide = d.Cell(r1, Attrs({{ColSpanSym, "3"}}), {}, 10);
    d.Cell(r1, {}, {}, 10);
    d.Cell(d.Row(t), {}, {}, 10);
    t->InitTable();
    EXPECT_EQ(t->NumCols, 4);
    EXPECT_EQ(RowLength(t, 0), 4);
    EXPECT_EQ(t->Rows[0]->Cells[1], nullptr) << "a span of one row leaves empty slots";
    EXPECT_EQ(t->Rows[0]->Cells[3]->ColSpan, 1);
    EXPECT_EQ(RowLength(t, 1), 1) << "no slots for the missing columns";
    EXPECT_EQ(wide->ColSpan, 3);
    d.LayOut();
    EXPECT_TRUE(d.Errors.empty());
}

TEST(TableInitTest, RowSpanIsCutToTheRowsThatExist) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    TCellList* r1 = d.Row(t);
    TCellObj* tall = d.Cell(r1, Attrs({{RowSpanSym, "5"}}), {}, 10);
    d.Cell(r1, {}, {}, 10);
    d.Cell(d.Row(t), {}, {}, 10);
    d.Cell(d.Row(t), {}, {}, 10);
    t->InitTable();
    EXPECT_EQ(tall->RowSpan, 3);
    for (int r = 1; r < 3; ++r) {
        ASSERT_EQ(RowLength(t, r), 2);
        EXPECT_FALSE(t->Rows[static_cast<size_t>(r)]->Cells[0]->IsCell()) << "a placeholder";
        EXPECT_TRUE(t->Rows[static_cast<size_t>(r)]->Cells[1]->IsCell());
    }
    EXPECT_EQ(t->NumCols, 2);
}

TEST(TableInitTest, ARowAndColumnSpanFillsItsBlockWithPlaceholders) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    d.Cell(d.Row(t), Attrs({{RowSpanSym, "2"}, {ColSpanSym, "2"}}), {}, 10);
    d.Cell(d.Row(t), {}, {}, 10);
    t->InitTable();
    ASSERT_EQ(RowLength(t, 1), 3);
    EXPECT_EQ(t->Rows[0]->Cells[1]->ColSpan, 0);
    EXPECT_EQ(t->Rows[0]->Cells[1]->RowSpan, 2);
    EXPECT_FALSE(t->Rows[1]->Cells[0]->IsCell());
    EXPECT_FALSE(t->Rows[1]->Cells[1]->IsCell());
    EXPECT_TRUE(t->Rows[1]->Cells[2]->IsCell());
}

ThtmlTable* TableOfColumns(TTableDoc& d, int columns) {
    ThtmlTable* t = d.Table();
    TCellList* r = d.Row(t);
    for (int i = 0; i < columns; ++i)
        d.Cell(r, {}, {}, 5, 1, 1);
    return t;
}

TEST(TableInitTest, TwoHundredColumnsLayOut) {
    TTableDoc d;
    ThtmlTable* t = TableOfColumns(d, 200);
    d.LayOut();
    EXPECT_TRUE(d.Errors.empty());
    EXPECT_EQ(t->NumCols, 200);
    EXPECT_EQ(d.Body->Content->Count(), 1);
}

TEST(TableInitTest, TwoHundredAndOneColumnsAreReportedAndTheTableLeaves) {
    TTableDoc d;
    TableOfColumns(d, 201);
    d.Body->Content->Add(std::make_unique<TLeaf>(&d.Doc, 30, 0, 0));
    d.LayOut();
    ASSERT_EQ(d.Errors.size(), 1u);
    EXPECT_EQ(d.Errors[0], "Table has too many Columns");
    ASSERT_EQ(d.Body->Content->Count(), 1) << "the table block is gone, the rest stays";
    EXPECT_STREQ(d.Body->Content->Items(0)->KindName(), "leaf");
    EXPECT_EQ(d.Height, 30);
}

TEST(TableInitTest, AHugeColSpanIsTheColumnErrorWithoutItsSlots) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    d.Cell(d.Row(t), Attrs({{ColSpanSym, "100000"}}), {}, 10);
    EXPECT_THROW(t->InitTable(), EProcessError);
    EXPECT_LE(RowLength(t, 0), ThtmlTable::MaxCols);
    EXPECT_THROW(t->InitTable(), EProcessError) << "the table stays failed";
    int32_t mn = -1, mx = -1;
    t->MinMaxWidths(d.Canvas, mn, mx);
    EXPECT_EQ(mn, 0) << "measuring a failed table does not throw at its enclosing cell";
}

TEST(TableInitTest, RowSpansThatPushARowPastTheLimitFailEarly) {
    // Every row's cell spans all rows below: each row is one longer than the one above.
    TTableDoc d;
    ThtmlTable* t = d.Table();
    for (int r = 0; r < 250; ++r)
        d.Cell(d.Row(t), Attrs({{RowSpanSym, "100000"}}), {}, 1);
    EXPECT_THROW(t->InitTable(), EProcessError);
    for (const auto& row : t->Rows)
        EXPECT_LE(row->Count(), ThtmlTable::MaxCols + 1);
}

TEST(TableInitTest, NestedTableInTheNestedCellIsRemovedAloneByItsCell) {
    TTableDoc d;
    ThtmlTable* outer = d.Table();
    TCellObj* cell = d.Cell(d.Row(outer), {}, {}, 0);
    ThtmlTable* inner = d.Table({}, {}, cell->Cell.get());
    TCellList* r = d.Row(inner);
    for (int i = 0; i < 201; ++i)
        d.Cell(r, {}, {}, 5, 1, 1);
    d.Text(*cell->Cell, "kept");
    d.LayOut();
    ASSERT_EQ(d.Errors.size(), 1u);
    EXPECT_EQ(d.Body->Content->Count(), 1) << "the outer table stays";
    ASSERT_EQ(cell->Cell->Count(), 1);
    EXPECT_STREQ(cell->Cell->Items(0)->KindName(), "text");
}

TEST(TableCellTest, AttributesThenStyle) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    TCellList* r = d.Row(t);
    TCellObj* a = d.Cell(r, Attrs({{BGColorSym, "#ff0000"}, {WidthSym, "150"}, {HeightSym, "40"}}));
    TCellObj* b = d.Cell(r, Attrs({{BGColorSym, "red"}, {WidthSym, "50%"}}),
                         "background-color: #00ff00; height: 70px");
    TCellObj* c = d.Cell(r, Attrs({{WidthSym, "150%"}}));
    TCellObj* e = d.Cell(r, Attrs({{WidthSym, "100%"}}), "width: 100%");
    TCellObj* f = d.Cell(r, {}, "width: 30%");
    TCellObj* g = d.Cell(r, {}, "width: 120px; padding: 10% 3px 4px 5px");
    EXPECT_TRUE(a->Cell->HasBackground);
    EXPECT_EQ(ColorToRGB(a->Cell->Background), RGB(255, 0, 0));
    EXPECT_EQ(a->SpecWd, 150);
    EXPECT_FALSE(a->WdPercent);
    EXPECT_EQ(a->SpecHt, 40);
    EXPECT_EQ(ColorToRGB(b->Cell->Background), RGB(0, 255, 0)) << "the rule wins";
    EXPECT_EQ(b->SpecWd, 500);
    EXPECT_TRUE(b->WdPercent);
    EXPECT_EQ(b->SpecHt, 70);
    EXPECT_EQ(c->SpecWd, 0) << "150% is ignored";
    EXPECT_EQ(e->SpecWd, 1000) << "the attribute's 100% counts, the style's does not replace it";
    EXPECT_TRUE(e->WdPercent);
    EXPECT_EQ(f->SpecWd, 300);
    EXPECT_TRUE(f->WdPercent);
    EXPECT_EQ(g->SpecWd, 120);
    EXPECT_EQ(g->PadTop, -10) << "a percentage waits for the table";
    EXPECT_EQ(g->PadRight, 3);
    t->InitTable();
    EXPECT_EQ(g->PadTop, t->CellPadding) << "and falls back to CELLPADDING";
    EXPECT_EQ(g->PadLeft, 5);
    EXPECT_EQ(a->PadLeft, t->CellPadding);
    EXPECT_TRUE(t->HasPixelCells);
}

TEST(TableCellTest, RowAndTableColoursFillCellsWithoutOne) {
    TTableDoc d;
    ThtmlTable* t = d.Table(Attrs({{BGColorSym, "#0000ff"}}));
    TCellList* r1 = d.Row(t, Attrs({{BGColorSym, "#00ff00"}}));
    TCellObj* own = d.Cell(r1, Attrs({{BGColorSym, "#ff0000"}}), {}, 10);
    TCellObj* fromRow = d.Cell(r1, {}, {}, 10);
    TCellObj* fromTable = d.Cell(d.Row(t), {}, {}, 10);
    ThtmlTable* inner = d.Table({}, {}, fromTable->Cell.get());
    TCellObj* nested = d.Cell(d.Row(inner), {}, {}, 10);
    d.LayOut();
    EXPECT_EQ(ColorToRGB(own->Cell->Background), RGB(255, 0, 0));
    EXPECT_EQ(ColorToRGB(fromRow->Cell->Background), RGB(0, 255, 0));
    EXPECT_EQ(ColorToRGB(fromTable->Cell->Background), RGB(0, 0, 255));
    EXPECT_TRUE(nested->Cell->HasBackground) << "the enclosing cell's colour shows through";
    EXPECT_EQ(ColorToRGB(nested->Cell->Background), RGB(0, 0, 255));
}

} // namespace
