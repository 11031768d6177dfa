// The indent manager: which records a y sees, floats, clear levels and where floats end.
#include <vector>

#include <gtest/gtest.h>

#include "html/doc/floating_obj.h"
#include "html/doc/indent_manager.h"

namespace {

const int kBlockA = 0, kBlockB = 0; // identities only
const void* const A = &kBlockA;
const void* const B = &kBlockB;

TEST(IndentManagerTest, NoRecordsGiveTheCellEdges) {
    IndentManager im;
    im.SetEdges(10, 300);
    EXPECT_EQ(im.LeftLimit(0), 10);
    EXPECT_EQ(im.RightLimit(0), 300);
    EXPECT_EQ(im.FloatsBottom(), 0);
    int32_t l = -1, r = -1;
    im.ClearLevels(l, r);
    EXPECT_EQ(l, 0);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(im.NextWiderY(50), 50);
}

TEST(IndentManagerTest, BlockRecordsAreSeenOnlyWhileTheirBlockIsCurrent) {
    IndentManager im;
    im.SetEdges(0, 600);
    im.Current = A;
    const int l = im.PushLeft(40, 100);
    const int r = im.PushRight(500, 100);
    EXPECT_EQ(im.LeftLimit(100), 40);
    EXPECT_EQ(im.RightLimit(5000), 500) << "open records cover every y below";
    EXPECT_EQ(im.LeftLimit(99), 0) << "not above FromY";
    im.EndLeft(l, 200);
    im.EndRight(r, 200);
    EXPECT_EQ(im.L[0].ToY, 199);
    EXPECT_EQ(im.LeftLimit(198), 40);
    EXPECT_EQ(im.LeftLimit(199), 0) << "ToY is outside the record";
    im.Current = B;
    EXPECT_EQ(im.LeftLimit(150), 0);
    EXPECT_EQ(im.RightLimit(150), 600);
    EXPECT_EQ(im.FloatsBottom(), 0) << "block records are no floats";
    im.Reset();
    EXPECT_TRUE(im.L.empty());
    EXPECT_EQ(im.Current, nullptr);
}

TEST(IndentManagerTest, EdgesAreRelativeToTheLeftEdge) {
    IndentManager im;
    im.SetEdges(100, 700);
    im.AddBlockFloat(0, 150, 5, 50); // a left float whose right side is at x 150
    EXPECT_EQ(im.L[0].Edge, 50);
    EXPECT_EQ(im.LeftLimit(10), 150);
    im.AddBlockFloat(0, 80, 6, 30); // a right float 80 wide
    EXPECT_EQ(im.RightLimit(10), 620);
    EXPECT_EQ(im.RightLimit(30), 700) << "ended at 30";
    im.AddBlockFloat(0, 80, 3, 30);
    EXPECT_EQ(im.L.size() + im.R.size(), 2u) << "only sides 5 and 6 add records";
}

TEST(IndentManagerTest, FloatsGiveBottomAndClearLevels) {
    IndentManager im;
    im.SetEdges(0, 600);
    im.AddBlockFloat(10, 100, 5, 90);  // left until 100
    im.AddBlockFloat(20, 100, 6, 130); // right until 150
    im.Current = A;
    im.PushLeft(0, 0); // open block record: neither a float bottom nor a clear level
    EXPECT_EQ(im.FloatsBottom(), 150);
    int32_t l = 0, r = 0;
    im.ClearLevels(l, r);
    EXPECT_EQ(l, 101);
    EXPECT_EQ(r, 151);
    EXPECT_EQ(im.NextWiderY(15), 100);
    EXPECT_EQ(im.NextWiderY(100), 150);
    EXPECT_EQ(im.NextWiderY(150), 150) << "nothing ends below";
}

TEST(IndentManagerTest, LimitsInsideTheOtherSideIgnoreRecordsBeyondIt) {
    IndentManager im;
    im.SetEdges(0, 600);
    im.AddBlockFloat(0, 200, 6, 100); // right float: free space ends at 400
    im.AddBlockFloat(0, 450, 5, 100); // a left record reaching past it
    im.AddBlockFloat(0, 120, 5, 100); // and one that does not
    EXPECT_EQ(im.LeftLimit(10), 450);
    EXPECT_EQ(im.LeftLimitInsideRight(10), 120);
    IndentManager m2;
    m2.SetEdges(0, 600);
    m2.AddBlockFloat(0, 300, 5, 100);                      // left float up to 300
    m2.R.push_back(IndentRec{100, 0, 100, nullptr, true}); // a right record left of it
    m2.R.push_back(IndentRec{500, 0, 100, nullptr, true});
    EXPECT_EQ(m2.RightLimit(10), 100);
    EXPECT_EQ(m2.RightLimitInsideLeft(10), 500);
}

TEST(IndentManagerTest, ObjectFloatsPlaceThemselves) {
    IndentManager im;
    im.SetEdges(0, 400);
    TFloatingObj left;
    left.ObjAlign = oaLeft;
    left.ImageWidth = 50;
    left.ImageHeight = 40;
    left.SpaceLeft = left.SpaceRight = 3;
    im.AddObjectFloat(10, left);
    EXPECT_EQ(left.DrawX, 3);
    EXPECT_EQ(im.LeftLimit(10), 56);
    EXPECT_EQ(im.LeftLimit(50), 0) << "ends at 10 + 40";
    TFloatingObj right;
    right.ObjAlign = oaRight;
    right.ImageWidth = 100;
    right.ImageHeight = 20;
    im.AddObjectFloat(10, right);
    EXPECT_EQ(right.DrawX, 300);
    EXPECT_EQ(im.RightLimit(15), 300);
}

} // namespace

// Queries look only at the floats and the current block's own records: many ended blocks of a
// long page change nothing for the block laid out now, records appended to the lists directly
// count from the next query on, and a reset forgets everything.
TEST(IndentManagerIndexTest, ManyEndedBlocksLeaveTheCurrentOneAlone) {
    IndentManager im;
    im.SetEdges(0, 600);
    std::vector<int> makers(2000);
    for (int i = 0; i < 2000; ++i) {
        im.Current = &makers[static_cast<size_t>(i)];
        const int l = im.PushLeft(10 + i % 7, i * 10);
        const int r = im.PushRight(590 - i % 5, i * 10);
        EXPECT_EQ(im.LeftLimit(i * 10), 10 + i % 7);
        im.EndLeft(l, i * 10 + 10);
        im.EndRight(r, i * 10 + 10);
    }
    im.Current = A;
    EXPECT_EQ(im.LeftLimit(500), 0);
    EXPECT_EQ(im.RightLimit(500), 600);
    im.L.push_back(IndentRec{70, 400, 600, nullptr, false}); // a float, appended directly
    EXPECT_EQ(im.LeftLimit(500), 70);
    EXPECT_EQ(im.FloatsBottom(), 600);
    im.Current = &makers[50];
    EXPECT_EQ(im.LeftLimit(505), 70) << "the float beats the block's own 11";
    EXPECT_EQ(im.RightLimit(505), 590);
    im.Reset();
    EXPECT_EQ(im.LeftLimit(500), 0);
    im.L.push_back(IndentRec{30, 0, 100, nullptr, false});
    EXPECT_EQ(im.LeftLimit(50), 30) << "the index starts afresh after a reset";
}
