// Table layout: column widths (pixel, percentage, spans), row heights (spans, given height),
// vertical alignment, captions, nesting, and the table block around it.
#include <gtest/gtest.h>

#include "tests/html/doc/table_util.h"

namespace {

std::vector<int32_t> ColumnWidths(const ThtmlTable* t) {
    return std::vector<int32_t>(t->Widths.begin(), t->Widths.begin() + t->NumCols);
}

TEST(TableWidthTest, APixelWidthIsTheCellsMinimumAndMaximum) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    d.Cell(d.Row(t), Attrs({{WidthSym, "150"}}), {}, 10, 20, 40);
    t->InitTable();
    int32_t tmin = 0, tmax = 0;
    t->MinMaxAbsolute(d.Canvas, tmin, tmax);
    EXPECT_EQ(t->ColumnMin(0), 154) << "150 plus spacing 2 and padding 1 + 1";
    EXPECT_EQ(t->ColumnMax(0), 154);
    EXPECT_EQ(tmin, 154);
}

TEST(TableWidthTest, ASpanningPixelCellWidensItsColumnsInProportion) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    TCellList* r = d.Row(t);
    d.Cell(r, {}, {}, 10, 100, 100);
    d.Cell(r, {}, {}, 10, 50, 50);
    d.Cell(d.Row(t), Attrs({{ColSpanSym, "2"}, {WidthSym, "300"}}), {}, 10, 10, 10);
    t->InitTable();
    int32_t tmin = 0, tmax = 0;
    t->MinMaxAbsolute(d.Canvas, tmin, tmax);
    EXPECT_EQ(t->ColumnMin(0), 200);
    EXPECT_EQ(t->ColumnMin(1), 104);
    EXPECT_EQ(tmin, 304);
    EXPECT_EQ(tmax, 304);
}

TEST(TableWidthTest, AHalfWidthCellInAFourHundredPixelTable) {
    TTableDoc d;
    ThtmlTable* t = d.Table(Attrs({{WidthSym, "400"}}));
    TCellList* r = d.Row(t);
    d.Cell(r, Attrs({{WidthSym, "50%"}}), {}, 10, 10, 20);
    d.Cell(r, {}, {}, 10, 10, 20);
    d.LayOut();
    EXPECT_EQ(t->SpecWidth, 400);
    EXPECT_EQ(ColumnWidths(t), (std::vector<int32_t>{199, 199}));
    EXPECT_EQ(t->GridWidth, 400);
}

TEST(TableWidthTest, TwoSixtyPercentColumnsAreScaledToFit) {
    TTableDoc d;
    ThtmlTable* t = d.Table(Attrs({{WidthSym, "400"}}));
    TCellList* r = d.Row(t);
    d.Cell(r, Attrs({{WidthSym, "60%"}}), {}, 10, 10, 20);
    d.Cell(r, Attrs({{WidthSym, "60%"}}), {}, 10, 10, 20);
    d.LayOut();
    EXPECT_EQ(ColumnWidths(t), (std::vector<int32_t>{199, 199}));
}

TEST(TableWidthTest, APercentColumnBelowItsMinimumIsHeldAtIt) {
    TTableDoc d;
    ThtmlTable* t = d.Table(Attrs({{WidthSym, "400"}}));
    TCellList* r = d.Row(t);
    d.Cell(r, Attrs({{WidthSym, "10%"}}), {}, 10, 150, 150);
    d.Cell(r, Attrs({{WidthSym, "90%"}}), {}, 10, 10, 20);
    d.LayOut();
    EXPECT_EQ(ColumnWidths(t), (std::vector<int32_t>{154, 244}));
}

TEST(TableWidthTest, WithoutAGivenWidthPercentagesSetTheNaturalWidth) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    TCellList* r = d.Row(t);
    d.Cell(r, Attrs({{WidthSym, "25%"}}), {}, 10, 20, 96);
    d.Cell(r, {}, {}, 10, 20, 146);
    t->InitTable();
    IndentManager im;
    im.SetEdges(0, 800);
    im.Width = 800;
    int32_t needed = 0, chars = 0;
    t->LayOut(d.Canvas, 0, 0, 0, 0, 800, 600, im, needed, chars);
    // Natural width: the 25% column's maximum 100 is a quarter of 400.
    EXPECT_EQ(ColumnWidths(t), (std::vector<int32_t>{100, 300}));
}

// Lays a table out on its own, as it is laid out without a table block around it.
int32_t LayOutBare(TTableDoc& d, ThtmlTable* t, int32_t width) {
    IndentManager im;
    im.SetEdges(0, width);
    im.Width = width;
    int32_t needed = 0, chars = 0;
    return t->LayOut(d.Canvas, 0, 0, 0, 0, width, 600, im, needed, chars);
}

TEST(TableWidthTest, PercentagesTooWideForTheRoomTakeTheirShareOfIt) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    TCellList* r = d.Row(t);
    d.Cell(r, Attrs({{WidthSym, "50%"}}), {}, 10, 20, 300);
    d.Cell(r, Attrs({{WidthSym, "50%"}}), {}, 10, 20, 300);
    d.Cell(r, {}, {}, 10, 30, 30);
    LayOutBare(d, t, 400);
    // Natural width 608 is more than 398: the percentages are scaled to leave the third
    // column its minimum 34.
    EXPECT_EQ(ColumnWidths(t), (std::vector<int32_t>{182, 182, 34}));
}

TEST(TableCaptionTest, AWiderCaptionCentresTheGrid) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    t->Caption->Cell->Add(std::make_unique<TLeaf>(&d.Doc, 20, 300, 300));
    d.Cell(d.Row(t), {}, {}, 10, 100, 100);
    LayOutBare(d, t, 800);
    EXPECT_EQ(t->GridWidth, 106);
    EXPECT_EQ(t->TableWidth, 300);
    EXPECT_EQ(t->GridOffset, 97);
}

TEST(TableWidthTest, PixelCellsWithoutAGivenWidthShareByTheirSpread) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    TCellList* r = d.Row(t);
    d.Cell(r, Attrs({{WidthSym, "100"}}), {}, 10, 10, 10);
    d.Cell(r, {}, {}, 10, 100, 500);
    t->InitTable();
    IndentManager im;
    im.SetEdges(0, 400);
    im.Width = 400;
    int32_t needed = 0, chars = 0;
    t->LayOut(d.Canvas, 0, 0, 0, 0, 400, 600, im, needed, chars);
    // W = 398; minima 104 + 104, maxima 104 + 504: the second column takes the room.
    EXPECT_EQ(ColumnWidths(t), (std::vector<int32_t>{104, 294}));
}

TEST(TableWidthTest, ColumnsOfNoWidthShareTheRoomEvenly) {
    TTableDoc d;
    ThtmlTable* t = d.Table(Attrs({{CellSpacingSym, "0"}, {CellPaddingSym, "0"}}));
    TCellList* r = d.Row(t);
    d.Cell(r);
    d.Cell(r);
    d.Cell(r);
    t->InitTable();
    int32_t tmin = 0, tmax = 0;
    t->MinMaxAbsolute(d.Canvas, tmin, tmax);
    t->DistributeAbsolute(100, true);
    EXPECT_EQ(ColumnWidths(t), (std::vector<int32_t>{34, 33, 33}));
}

TEST(TableWidthTest, AWideTableOverflowsThePage) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    d.Cell(d.Row(t), {}, {}, 10, 900, 900);
    d.LayOut(800);
    EXPECT_EQ(t->TableWidth, 906);
    EXPECT_GE(d.Needed, 906);
}

TEST(TableWidthTest, NoWrapTextKeepsItsCellWide) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    TCellList* r = d.Row(t);
    TCellObj* wrap = d.Cell(r);
    d.Text(*wrap->Cell, "one two three four");
    TCellObj* nowrap = d.Cell(r);
    // The lexer marks the white space of a no-break run with code 5.
    d.Text(*nowrap->Cell, "one\x05two\x05three\x05four", true);
    int32_t mn = 0, mx = 0;
    wrap->Cell->MinMaxWidths(d.Canvas, mn, mx);
    EXPECT_LT(mn, mx);
    nowrap->Cell->MinMaxWidths(d.Canvas, mn, mx);
    EXPECT_EQ(mn, mx);
    d.LayOut(100);
    EXPECT_GE(nowrap->Wd, mx);
}

TEST(TableHeightTest, RowHeightsSpansAndAlignment) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    TCellList* r1 = d.Row(t);
    TCellObj* tall = d.Cell(r1, Attrs({{RowSpanSym, "2"}}), {}, 100, 10, 10);
    TCellObj* middle = d.Cell(r1, {}, {}, 10, 10, 10, oaMiddle);
    TCellObj* bottom = d.Cell(d.Row(t), {}, {}, 10, 10, 10, oaBaseline);
    d.LayOut();
    // Pass one: 10 + padding 2 + spacing 2; the span needs 104 and stretches both rows.
    EXPECT_EQ(t->RowHeights(), (std::vector<int32_t>{52, 52}));
    EXPECT_EQ(tall->Ht, 104);
    EXPECT_EQ(middle->YIndent, (52 - 10 - 2 - 2) / 2);
    EXPECT_EQ(bottom->YIndent, 52 - 10 - 2 - 2);
    const int32_t top = t->LayoutY;
    EXPECT_EQ(TTableDoc::LeafOf(middle)->LastY, top + 2 + 1 + 19);
    EXPECT_EQ(TTableDoc::LeafOf(bottom)->LastY, top + 52 + 2 + 1 + 38);
    EXPECT_EQ(t->FlowHeight, 106);
}

TEST(TableHeightTest, AGivenHeightIsSpreadOverTheRows) {
    TTableDoc d;
    ThtmlTable* t = d.Table(Attrs({{HeightSym, "201"}}));
    for (int i = 0; i < 3; ++i)
        d.Cell(d.Row(t), {}, {}, 10, 10, 10);
    d.LayOut();
    EXPECT_EQ(t->SpecHeight, 201);
    EXPECT_EQ(t->RowHeights(), (std::vector<int32_t>{66, 66, 67}));
    EXPECT_EQ(t->FlowHeight, 201);
}

TEST(TableHeightTest, ACellHeightIsItsRowsNeed) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    d.Cell(d.Row(t), Attrs({{HeightSym, "60"}}), {}, 10, 10, 10);
    d.LayOut();
    EXPECT_EQ(t->RowHeights(), (std::vector<int32_t>{62}));
}

TEST(TableCaptionTest, OnTopAndAtTheBottom) {
    for (bool onTop : {true, false}) {
        TTableDoc d;
        ThtmlTable* t = d.Table();
        t->CaptionOnTop = onTop;
        t->Caption->Cell->Add(std::make_unique<TLeaf>(&d.Doc, 20, 300, 300));
        TCellObj* c = d.Cell(d.Row(t), {}, {}, 10, 100, 100);
        d.LayOut();
        EXPECT_EQ(t->TableWidth, 300);
        EXPECT_EQ(t->GridWidth, 300) << "the block gives the table the caption's width";
        EXPECT_EQ(t->GridOffset, 0);
        EXPECT_EQ(t->CaptionHeight, 20);
        EXPECT_EQ(t->FlowHeight, 20 + 14 + 2);
        const int32_t rowsTop = t->LayoutY + (onTop ? 20 : 0);
        EXPECT_EQ(c->RowY, rowsTop);
        const TLeaf* cap = static_cast<TLeaf*>(t->Caption->Cell->Items(0));
        EXPECT_EQ(cap->LastY, onTop ? t->LayoutY : rowsTop + 16);
        EXPECT_EQ(cap->LastWidth, 300);
    }
}

TEST(TableNestingTest, ThreeDeep) {
    TTableDoc d;
    ThtmlTable* t1 = d.Table();
    TCellObj* c1 = d.Cell(d.Row(t1));
    ThtmlTable* t2 = d.Table({}, {}, c1->Cell.get());
    TCellObj* c2 = d.Cell(d.Row(t2));
    ThtmlTable* t3 = d.Table({}, {}, c2->Cell.get());
    TCellObj* c3 = d.Cell(d.Row(t3), {}, {}, 30, 50, 70);
    d.LayOut();
    EXPECT_EQ(t3->TableWidth, 76);
    EXPECT_EQ(t2->TableWidth, 82);
    EXPECT_EQ(t1->TableWidth, 88);
    EXPECT_EQ(TTableDoc::LeafOf(c3)->LastWidth, 70);
    EXPECT_EQ(t1->FlowHeight, 30 + 3 * 6);
    // Each level adds spacing 2 and padding 1 above the next.
    EXPECT_EQ(TTableDoc::LeafOf(c3)->LastY, 9);
}

TEST(TableBlockTest, Attributes) {
    TTableDoc d;
    d.Table(Attrs({{WidthSym, "150%"},
                   {HeightSym, "105%"},
                   {HSpaceSym, "-60"},
                   {VSpaceSym, "500"},
                   {AlignSym, "Right"}}));
    TTableBlock* b = d.LastBlock;
    EXPECT_EQ(b->WidthAttr, 0) << "150% is ignored";
    EXPECT_EQ(b->HeightAttr, 1050);
    EXPECT_TRUE(b->HeightPercent);
    EXPECT_EQ(b->HSpace, 40);
    EXPECT_EQ(b->VSpace, 200);
    EXPECT_EQ(b->FloatSide, BlockFloat::Right);
    EXPECT_EQ(b->StackLevel, 1);
    EXPECT_TRUE(b->Table->Floating);
}

TEST(TableBlockTest, CentredAndFloatingTables) {
    TTableDoc d;
    ThtmlTable* centred = d.Table(Attrs({{AlignSym, "center"}, {WidthSym, "200"}}));
    d.Cell(d.Row(centred), {}, {}, 10, 10, 10);
    ThtmlTable* left = d.Table(Attrs({{AlignSym, "left"}, {WidthSym, "100"}}));
    d.Cell(d.Row(left), {}, {}, 50, 10, 10);
    ThtmlTable* beside = d.Table(Attrs({{WidthSym, "50%"}}));
    d.Cell(d.Row(beside), {}, {}, 10, 10, 10);
    d.LayOut(600);
    EXPECT_EQ(d.LastBlock->Table, beside);
    TTableBlock* cb = static_cast<TTableBlock*>(d.Body->Content->Items(0));
    EXPECT_EQ(cb->BoxValues[piMarginLeft], 200);
    EXPECT_EQ(centred->ContentLeft, 200);
    EXPECT_EQ(left->ContentLeft, 3) << "HSPACE on both sides of a float";
    // The next table is narrowed to the room beside the float: 600 - 106.
    EXPECT_EQ(beside->ContentLeft, 106);
    EXPECT_EQ(beside->SpecWidth, 247);
}

TEST(TableBlockTest, LayingOutAgainGivesTheSameTable) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    TCellList* r = d.Row(t);
    d.Cell(r, Attrs({{WidthSym, "120"}}), {}, 10, 10, 30);
    d.Cell(r, Attrs({{WidthSym, "30%"}}), {}, 10, 10, 300);
    d.Cell(r, {}, {}, 10, 40, 400);
    d.LayOut(700);
    const std::string first = d.Dump();
    d.LayOut(300);
    d.LayOut(700);
    EXPECT_EQ(d.Dump(), first);
}

TEST(TableDumpTest, TableThenCellsWithTheirContent) {
    TTableDoc d;
    ThtmlTable* t = d.Table(Attrs({{BorderSym, "1"}}));
    TCellList* r = d.Row(t);
    d.Cell(r, {}, {}, 10, 20, 20);
    d.Cell(r, {}, {}, 20, 30, 30);
    d.LayOut();
    TDumpWriter out;
    t->Dump(out, 0);
    EXPECT_EQ(out.Text(), "table x=0 y=0 w=66 h=30\n"
                          "  cell x=4 y=4 w=22 h=22\n"
                          "    leaf x=0 y=5 w=0 h=10\n"
                          "  cell x=30 y=4 w=32 h=22\n"
                          "    leaf x=0 y=5 w=0 h=20\n");
}

} // namespace
