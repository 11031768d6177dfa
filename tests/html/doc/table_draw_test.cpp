// Painting tables and asking them what lies under a point or at an index.
#include <gtest/gtest.h>

#include <functional>

#include <pthread.h>

#include "html/image/image_loader.h"
#include "tests/html/doc/table_util.h"

namespace {

class TableDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        t = d.Table(Attrs({{BorderSym, "1"},
                           {BorderColorSym, "#ff0000"},
                           {CellSpacingSym, "6"},
                           {BGColorSym, "#00ff00"}}));
        TCellList* r = d.Row(t);
        a = d.Cell(r, {}, {}, 20, 30, 30);
        b = d.Cell(r, {}, {}, 20, 30, 30);
        TTableDoc::LeafOf(a)->Url = "a.html";
        TTableDoc::LeafOf(b)->Url = "b.html";
        TTableDoc::LeafOf(b)->Word = "word";
        d.LayOut();
        d.Paint();
    }
    TColor At(int x, int y) { return ColorToRGB(d.Canvas.GetPixel(x, y)); }

    TTableDoc d;
    ThtmlTable* t = nullptr;
    TCellObj *a = nullptr, *b = nullptr;
};

TEST_F(TableDrawTest, Geometry) {
    // Spacing 6 + 2 for the border; columns 30 + 8 + 2; rows 20 + 2 + 8.
    EXPECT_EQ(t->CellSpacing, 8);
    EXPECT_EQ(t->GridWidth, 88);
    EXPECT_EQ(t->FlowHeight, 38);
    EXPECT_EQ(TTableDoc::LeafOf(b)->DrawnX, 40 + 8 + 1);
}

TEST_F(TableDrawTest, CellsFramesAndTheBorderColour) {
    EXPECT_EQ(At(20, 15), RGB(0, 255, 0)) << "the table colour fills the cell";
    EXPECT_EQ(At(60, 15), RGB(0, 255, 0));
    EXPECT_EQ(At(3, 15), RGB(255, 0, 0)) << "the gap left of the first cell";
    EXPECT_EQ(At(44, 15), RGB(255, 0, 0)) << "between the cells";
    EXPECT_EQ(At(20, 34), RGB(255, 0, 0)) << "below the row";
    EXPECT_EQ(At(7, 7), ColorToRGB(clBtnShadow)) << "a cell's sunken frame";
    EXPECT_EQ(At(40, 30), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(0, 0), ColorToRGB(clBtnHighlight)) << "the grid's raised frame";
    EXPECT_EQ(At(87, 10), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(88, 10), RGB(255, 255, 255)) << "nothing right of the grid";
}

TEST_F(TableDrawTest, RowsOutsideTheClipAreNotPainted) {
    d.Canvas.Brush.Color = clWhite;
    d.Canvas.FillRect(Rect(0, 0, 800, 600));
    d.Doc.DrawCell(d.Canvas, Rect(0, 100, 800, 600), 800, 0, 0, 0, 0);
    EXPECT_EQ(At(20, 15), RGB(255, 255, 255));
}

TEST_F(TableDrawTest, QueriesGoToTheCellUnderThePoint) {
    TUrlTarget target;
    TImageFormControlObj* control = nullptr;
    EXPECT_TRUE(t->FindLink(d.Canvas, 20, 15, target, control));
    EXPECT_EQ(target.URL, "a.html");
    EXPECT_TRUE(t->FindLink(d.Canvas, 60, 15, target, control));
    EXPECT_EQ(target.URL, "b.html");
    EXPECT_EQ(t->CellAt(44, 15), b) << "the spacing left of a cell belongs to it";
    EXPECT_EQ(t->CellAt(100, 15), nullptr);
    EXPECT_EQ(t->CellAt(20, 200), nullptr);
    EXPECT_FALSE(t->FindLink(d.Canvas, 100, 15, target, control));
    EXPECT_EQ(t->FindText(0, "word", false), TTableDoc::LeafOf(b)->FirstChar);
    EXPECT_EQ(t->FindText(TTableDoc::LeafOf(b)->FirstChar + 1, "word", false), -1);
}

TEST(TableQueryTest, RowSpansAndCaptionsAreFoundByPoint) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    t->Caption->Cell->Add(std::make_unique<TLeaf>(&d.Doc, 20, 10, 10));
    TCellList* r1 = d.Row(t);
    TCellObj* tall = d.Cell(r1, Attrs({{RowSpanSym, "3"}}), {}, 10, 50, 50);
    d.Cell(r1, {}, {}, 10, 50, 50);
    d.Cell(d.Row(t), {}, {}, 10, 50, 50);
    TCellObj* last = d.Cell(d.Row(t), {}, {}, 10, 50, 50);
    d.LayOut();
    d.Paint();
    EXPECT_EQ(t->CellAt(10, 5), t->Caption.get());
    EXPECT_EQ(t->CellAt(10, 20 + 14 * 2 + 5), tall) << "in the third row, spanned from the first";
    EXPECT_EQ(t->CellAt(70, 20 + 14 * 2 + 5), last);
}

TEST(TableQueryTest, IndexQueriesGoToTheCellHoldingTheIndex) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    TCellList* r = d.Row(t);
    TCellObj* a = d.Cell(r);
    d.Text(*a->Cell, "alpha");
    TCellObj* b = d.Cell(r);
    d.Text(*b->Cell, "beta");
    d.LayOut();
    d.Paint();
    EXPECT_EQ(a->Cell->FirstChar, t->FirstChar);
    EXPECT_EQ(b->Cell->FirstChar, a->Cell->FirstChar + a->Cell->CharCount);
    EXPECT_EQ(t->CharCount, a->Cell->CharCount + b->Cell->CharCount);
    const int32_t at = t->FindText(0, "beta", true);
    EXPECT_EQ(at, b->Cell->FirstChar);
    char32_t ch = 0;
    TSectionBase* section = nullptr;
    ASSERT_TRUE(t->CharAt(at + 1, ch, section));
    EXPECT_EQ(ch, U'e');
    EXPECT_EQ(section, b->Cell->Items(0));
    int32_t x = 0, y = 0;
    EXPECT_TRUE(t->CaretPoint(d.Canvas, at, x, y));
    EXPECT_GE(x, b->ColX);
    EXPECT_FALSE(t->CharAt(t->FirstChar + t->CharCount + 5, ch, section));
    d.Doc.SelectionStart = t->FirstChar;
    d.Doc.SelectionEnd = t->FirstChar + t->CharCount;
    t->CopySelection();
    EXPECT_NE(d.Doc.ClipBuffer.find("alpha"), std::string::npos);
    EXPECT_NE(d.Doc.ClipBuffer.find("beta"), std::string::npos);
    // The document's position index holds the table, not the block around it.
    const auto& index = d.Doc.SectionIndex;
    EXPECT_NE(std::find(index.begin(), index.end(), t), index.end());
    EXPECT_EQ(std::find(index.begin(), index.end(), d.LastBlock), index.end());
}

const char* const kPicture = "tests/data/image/stripes-24.bmp"; // 37 x 23, 24-bit

TEST(TableBackgroundTest, TheRowsPictureIsTiledInItsCells) {
    TTransparency tr = NotTransp;
    std::unique_ptr<TBitmap> mask;
    std::unique_ptr<TBitmap> pic = GetImageAndMaskFromFile(kPicture, tr, mask);
    ASSERT_TRUE(pic);
    TTableDoc d;
    ThtmlTable* t = d.Table(Attrs({{CellSpacingSym, "0"}, {CellPaddingSym, "0"}}));
    TCellList* r = d.Row(t, Attrs({{BackgroundSym, kPicture}}));
    TCellObj* tiled = d.Cell(r, {}, {}, 60, 100, 100);
    TCellObj* single = d.Cell(r, {},
                              std::string("background-image: url(") + kPicture +
                                  "); background-repeat: no-repeat; background-position: right "
                                  "bottom",
                              60, 100, 100);
    d.LayOut();
    d.Paint();
    ASSERT_NE(tiled->BgImage, nullptr);
    for (int y = 0; y < 60; y += 3)
        for (int x = 0; x < 100; x += 3)
            ASSERT_EQ(d.Canvas.GetPixel(x, y), pic->GetPixel(x % 37, y % 23)) << x << "," << y;
    // The second cell's own picture, placed once at its bottom right.
    ASSERT_NE(single->BgImage, nullptr);
    EXPECT_EQ(d.Canvas.GetPixel(100 + 63, 37), pic->GetPixel(0, 0));
    EXPECT_EQ(d.Canvas.GetPixel(199, 59), pic->GetPixel(36, 22));
    EXPECT_EQ(d.Canvas.GetPixel(100 + 62, 37), clWhite);
    EXPECT_EQ(d.Canvas.GetPixel(150, 20), clWhite);
}

TEST(TableHostileTest, TwoThousandRowsLayEachCellOutTwice) {
    TTableDoc d;
    ThtmlTable* t = d.Table();
    std::vector<TCellObj*> cells;
    for (int r = 0; r < 2000; ++r) {
        TCellList* row = d.Row(t);
        for (int c = 0; c < 6; ++c)
            cells.push_back(d.Cell(row, {}, {}, 10, 20, 40));
    }
    d.Cell(t->Rows[0].get(), Attrs({{RowSpanSym, "100000"}}), {}, 10, 20, 40);
    d.LayOut();
    for (TCellObj* c : cells)
        ASSERT_EQ(TTableDoc::LeafOf(c)->Layouts, 2) << "once for the row heights, once placed";
    EXPECT_EQ(t->Rows[0]->Cells[6]->RowSpan, 2000);
    EXPECT_EQ(t->FlowHeight, 2000 * 14 + 2);
    d.Paint();
}

TEST(TableHostileTest, HugeSizesStayInRange) {
    TTableDoc d;
    ThtmlTable* t = d.Table(Attrs({{HeightSym, "99999999"}, {WidthSym, "2147483647"}}));
    TCellList* r = d.Row(t);
    TCellObj* a = d.Cell(r, Attrs({{WidthSym, "2147483647"}, {HeightSym, "2147483647"}}),
                         "padding: 99999999px", 10, 10, 10);
    d.Cell(r, Attrs({{ColSpanSym, "2147483647"}}), {}, 10, 10, 10);
    d.Cell(d.Row(t), Attrs({{RowSpanSym, "2147483647"}}), "width: 99999999px", 10, 10, 10);
    d.LayOut();
    ASSERT_EQ(d.Errors.size(), 1u) << "the column span";
    EXPECT_EQ(d.Body->Content->Count(), 0);
    // The same table without the span lays out with every size held in range.
    TTableDoc e;
    ThtmlTable* u = e.Table(Attrs({{HeightSym, "99999999"}, {WidthSym, "2147483647"}}));
    TCellList* r2 = e.Row(u);
    a = e.Cell(r2, Attrs({{WidthSym, "2147483647"}, {HeightSym, "2147483647"}}),
               "padding: 99999999px", 10, 10, 10);
    e.Cell(e.Row(u), Attrs({{RowSpanSym, "2147483647"}}), "width: 99999999px", 10, 10, 10);
    e.LayOut();
    EXPECT_TRUE(e.Errors.empty());
    EXPECT_GT(u->FlowHeight, 0);
    EXPECT_GT(a->Wd, 0);
    e.Paint();
}

// Runs fn on a thread with a stack of the given size. Each level of nested tables costs a few
// kilobytes of stack in an optimised build and several times that under the address
// sanitizer; the page reader never nests blocks more than 100 deep, but the document itself
// takes any depth.
void OnLargeStack(size_t bytes, const std::function<void()>& fn) {
    pthread_attr_t attr;
    ASSERT_EQ(pthread_attr_init(&attr), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, bytes), 0);
    pthread_t thread;
    auto run = [](void* arg) -> void* {
        (*static_cast<const std::function<void()>*>(arg))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, run, const_cast<std::function<void()>*>(&fn)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

TEST(TableHostileTest, AThousandNestedTables) {
    OnLargeStack(64u << 20, [] {
        TTableDoc d;
        TCellBasic* owner = d.Body->Content.get();
        for (int i = 0; i < 1000; ++i) {
            ThtmlTable* t = d.Table({}, {}, owner);
            owner = d.Cell(d.Row(t))->Cell.get();
        }
        auto leaf = std::make_unique<TLeaf>(&d.Doc, 10, 5, 5);
        TLeaf* inner = leaf.get();
        owner->Add(std::move(leaf));
        d.LayOut();
        EXPECT_TRUE(d.Errors.empty());
        // Each level lays its cell out to measure the row and again to place it; a nested table
        // placed again in the same pass keeps its columns and rows, so the innermost leaf is laid
        // out once per level, not twice per level.
        EXPECT_LE(inner->Layouts, 1002) << inner->Layouts;
        EXPECT_GE(inner->Layouts, 2);
        EXPECT_EQ(d.Height, 10 + 1000 * 6);
        d.Paint();
        EXPECT_FALSE(d.Dump().empty());
    });
}

} // namespace
