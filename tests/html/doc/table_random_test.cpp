// Random tables (a fixed seed, so every run sees the same ones): whatever the spans, widths
// and spacings, the layout keeps its sums and boxes consistent and is the same when repeated.
#include <gtest/gtest.h>

#include <random>

#include "tests/html/doc/table_util.h"

namespace {

std::string Pick(std::mt19937& rng, std::initializer_list<const char*> values) {
    std::uniform_int_distribution<size_t> d(0, values.size() - 1);
    return *(values.begin() + d(rng));
}

int Between(std::mt19937& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

TEST(TableRandomTest, LayoutInvariants) {
    std::mt19937 rng(20261208);
    for (int round = 0; round < 300; ++round) {
        TTableDoc d;
        TAttributeList ta;
        ta.Add(Attr(CellSpacingSym, std::to_string(Between(rng, 0, 12))));
        ta.Add(Attr(CellPaddingSym, std::to_string(Between(rng, 0, 9))));
        const std::string tw = Pick(rng, {"", "", "300", "50%", "900", "10"});
        if (!tw.empty())
            ta.Add(Attr(WidthSym, tw));
        if (Between(rng, 0, 3) == 0)
            ta.Add(Attr(HeightSym, std::to_string(Between(rng, 10, 400))));
        if (Between(rng, 0, 2) == 0)
            ta.Add(Attr(BorderSym, "1"));
        ThtmlTable* t = d.Table(std::move(ta));
        if (Between(rng, 0, 3) == 0) {
            t->CaptionOnTop = Between(rng, 0, 1) == 0;
            t->Caption->Cell->Add(std::make_unique<TLeaf>(&d.Doc, 15, Between(rng, 0, 500), 500));
        }
        const int rows = Between(rng, 1, 7);
        for (int r = 0; r < rows; ++r) {
            TCellList* row = d.Row(t);
            const int cells = Between(rng, 0, 6);
            for (int c = 0; c < cells; ++c) {
                TAttributeList ca;
                const std::string w = Pick(rng, {"", "", "", "40", "150", "30%", "60%", "100%"});
                if (!w.empty())
                    ca.Add(Attr(WidthSym, w));
                if (Between(rng, 0, 4) == 0)
                    ca.Add(Attr(ColSpanSym, Pick(rng, {"2", "3", "7"})));
                if (Between(rng, 0, 4) == 0)
                    ca.Add(Attr(RowSpanSym, Pick(rng, {"2", "3", "100000"})));
                const int32_t mn = Between(rng, 0, 200);
                d.Cell(row, std::move(ca), {}, Between(rng, 1, 60), mn, mn + Between(rng, 0, 300),
                       static_cast<ObjAlignKind>(Between(rng, 1, 4)));
            }
        }
        const int32_t pageWidth = std::stoi(Pick(rng, {"800", "300", "120"}));
        d.LayOut(pageWidth);
        ASSERT_TRUE(d.Errors.empty()) << "round " << round;
        int64_t sum = 0;
        for (int i = 0; i < t->NumCols; ++i) {
            ASSERT_GE(t->Widths[i], 0) << "round " << round << " column " << i;
            sum += t->Widths[i];
        }
        ASSERT_EQ(t->GridWidth, t->CellSpacing + sum) << "round " << round;
        ASSERT_GE(t->TableWidth, t->GridWidth);
        ASSERT_EQ(t->FlowHeight, t->CaptionHeight + t->RowsHeight) << "round " << round;
        for (int32_t h : t->RowHeights())
            ASSERT_GE(h, 0);
        for (const auto& row : t->Rows)
            for (const auto& slot : row->Cells) {
                if (!slot || !slot->IsCell())
                    continue;
                ASSERT_GE(slot->YIndent, 0);
                ASSERT_LE(int64_t{slot->ColX} + slot->Wd, sum) << "round " << round;
                ASSERT_LE(int64_t{slot->RowY} + slot->Ht,
                          int64_t{t->LayoutY} + t->FlowHeight -
                              (t->CaptionOnTop ? 0 : t->CaptionHeight))
                    << "round " << round;
            }
        const std::string first = d.Dump();
        d.LayOut(pageWidth == 300 ? 800 : 300);
        d.LayOut(pageWidth);
        ASSERT_EQ(d.Dump(), first) << "round " << round << ": laid out again";
        d.Paint();
        int32_t cx = 0, cy = 0, ch = 0;
        bool inText = false;
        for (int y = 0; y < 300; y += 7)
            for (int x = 0; x < 800; x += 13)
                t->FindCursor(d.Canvas, x, y, cx, cy, ch, inText);
    }
}

} // namespace
