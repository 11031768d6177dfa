// Style borders on table cells: the room they take in the column widths and row heights,
// where the content goes, and how they are painted beside TABLE BORDER's frames.
#include <gtest/gtest.h>

#include "tests/html/doc/table_util.h"

namespace {

TColor At(TTableDoc& d, int x, int y) {
    return ColorToRGB(d.Canvas.GetPixel(x, y));
}

TEST(CellBorderTest, BordersTakeRoomInColumnsAndRows) {
    TTableDoc d;
    ThtmlTable* t = d.Table(Attrs({{CellPaddingSym, "1"}, {CellSpacingSym, "2"}}));
    TCellList* r = d.Row(t);
    TCellObj* framed = d.Cell(r, {}, "border: 3px solid red", 20, 150, 150);
    TCellObj* left = d.Cell(r, {}, "border-left: 10px dashed blue", 10, 40, 40);
    // A width without a style, or a style of none, is no border at all.
    TCellObj* none = d.Cell(r, {}, "border-width: 7px; border-style: none", 10, 30, 30);
    TCellObj* noStyle = d.Cell(r, {}, "border-width: 7px", 10, 30, 30);
    t->InitTable();
    int32_t tmin = 0, tmax = 0;
    t->MinMaxAbsolute(d.Canvas, tmin, tmax);
    EXPECT_EQ(t->ColumnMin(0), 160) << "150, spacing 2, padding 1 + 1, borders 3 + 3";
    EXPECT_EQ(t->ColumnMax(0), 160);
    EXPECT_EQ(t->ColumnMin(1), 54) << "40, spacing 2, padding 1 + 1, left border 10";
    EXPECT_EQ(t->ColumnMin(2), 34);
    EXPECT_EQ(t->ColumnMin(3), 34);
    EXPECT_FALSE(none->Borders.Any());
    EXPECT_FALSE(noStyle->Borders.Any());

    d.LayOut();
    d.Paint();
    // The row holds the 20-pixel leaf, padding 1 + 1, borders 3 + 3 and the spacing.
    ASSERT_EQ(t->RowHeights().size(), 1u);
    EXPECT_EQ(t->RowHeights()[0], 30);
    TLeaf* a = TTableDoc::LeafOf(framed);
    TLeaf* b = TTableDoc::LeafOf(left);
    EXPECT_EQ(a->LastY, 2 + 1 + 3) << "below the spacing, the top border and the padding";
    EXPECT_EQ(a->DrawnX, 2 + 3 + 1);
    EXPECT_EQ(a->LastWidth, 150) << "the content keeps its width";
    EXPECT_EQ(b->LastY, 2 + 1) << "no top border";
    EXPECT_EQ(b->DrawnX, 160 + 2 + 10 + 1);
    EXPECT_EQ(TTableDoc::LeafOf(none)->DrawnX, 160 + 54 + 2 + 1);

    // Painted on the edge of the cell's box, inside it.
    EXPECT_EQ(At(d, 2, 10), RGB(255, 0, 0)) << "left border, outer pixel";
    EXPECT_EQ(At(d, 4, 10), RGB(255, 0, 0)) << "left border, inner pixel";
    EXPECT_EQ(At(d, 5, 10), RGB(255, 255, 255)) << "padding";
    EXPECT_EQ(At(d, 80, 2), RGB(255, 0, 0)) << "top border";
    EXPECT_EQ(At(d, 80, 29), RGB(255, 0, 0)) << "bottom border";
    EXPECT_EQ(At(d, 80, 30), RGB(255, 255, 255)) << "the spacing below the cell";
    EXPECT_EQ(At(d, 162, 3), RGB(0, 0, 255)) << "the first dash of the dashed left border";
    EXPECT_EQ(At(d, 162 + 10, 10), RGB(255, 255, 255));
}

TEST(CellBorderTest, APixelWidthLeavesRoomForTheBorders) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    d.Cell(d.Row(t), Attrs({{WidthSym, "150"}}), "border: 3px solid; border-right-width: 5px", 10,
           20, 40);
    t->InitTable();
    int32_t tmin = 0, tmax = 0;
    t->MinMaxAbsolute(d.Canvas, tmin, tmax);
    EXPECT_EQ(t->ColumnMin(0), 162) << "150, spacing 2, padding 1 + 1, borders 3 + 5";
    EXPECT_EQ(t->ColumnMax(0), 162);
}

TEST(CellBorderTest, ColoursComeFromTheSideThenTheBorderThenTheText) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    TCellList* r = d.Row(t);
    TCellObj* sides =
        d.Cell(r, {}, "border: 2px solid; border-color: red; border-left-color: lime", 10, 10, 10);
    TCellObj* text = d.Cell(r, {}, "border: 2px inset; color: #800000", 10, 10, 10);
    EXPECT_EQ(sides->Borders.Color[0], RGB(255, 0, 0));
    EXPECT_EQ(sides->Borders.Color[3], RGB(0, 255, 0));
    EXPECT_EQ(ColorToRGB(text->Borders.Color[1]), RGB(0x80, 0, 0));
    EXPECT_EQ(text->Borders.Style[2], bdInset);
}

TEST(CellBorderTest, TheTablesFrameStaysOnSidesWithoutAStyleBorder) {
    TTableDoc d;
    ThtmlTable* t = d.Table(Attrs({{BorderSym, "1"}, {CellSpacingSym, "6"}}));
    TCellList* r = d.Row(t);
    d.Cell(r, {}, {}, 20, 30, 30);
    TCellObj* bottom = d.Cell(r, {}, "border-bottom: 4px solid green", 20, 30, 30);
    d.LayOut();
    d.Paint();
    EXPECT_EQ(t->RowHeights()[0], 20 + 2 + 4 + 8) << "leaf, padding, border, spacing 6 + 2";
    const TRect box{bottom->ColX + t->CellSpacing, bottom->RowY + t->CellSpacing,
                    bottom->ColX + bottom->Wd, bottom->RowY + bottom->Ht};
    EXPECT_EQ(At(d, box.Left + 10, box.Top - 1), ColorToRGB(clBtnShadow)) << "frame on top";
    EXPECT_EQ(At(d, box.Left - 1, box.Top + 5), ColorToRGB(clBtnShadow)) << "frame on the left";
    EXPECT_EQ(At(d, box.Right, box.Top + 5), ColorToRGB(clBtnHighlight)) << "frame on the right";
    EXPECT_EQ(At(d, box.Left + 10, box.Bottom - 1), RGB(0, 128, 0)) << "the style border";
    EXPECT_EQ(At(d, box.Left + 10, box.Bottom - 4), RGB(0, 128, 0));
    EXPECT_EQ(At(d, box.Left + 10, box.Bottom), RGB(255, 255, 255))
        << "no frame line below the style border";
    // The plain cell keeps its whole frame.
    EXPECT_EQ(At(d, 20, box.Bottom), ColorToRGB(clBtnHighlight));
}

TEST(CellBorderTest, HugeBordersStayInRange) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    TCellList* r = d.Row(t);
    TCellObj* c = d.Cell(r, {}, "border: 99999999px dotted red", 10, 10, 10);
    d.Cell(r, {}, "border: 2147483647px double", 10, 10, 10);
    EXPECT_LE(c->Borders.Width[0], 100000);
    d.LayOut();
    EXPECT_TRUE(d.Errors.empty());
    EXPECT_GT(t->FlowHeight, 0);
    EXPECT_GT(c->Wd, 0);
    d.Paint();
}

} // namespace
