// Image maps (COORDS, shapes, hit tests), URL targets and the named-position list.
#include <gtest/gtest.h>

#include "html/reader/free_list.h"
#include "html/reader/html_lexer.h"
#include "html/reader/id_name_list.h"
#include "html/reader/map_item.h"

namespace {
// The attributes of one tag as the lexer reads them.
TAttributeList Attrs(const std::string& tag) {
    THtmlLexer lx;
    lx.LoadString(tag);
    lx.Start();
    lx.ReadSymbol();
    return lx.Attributes;
}
} // namespace

TEST(Coords, SplitAtCommasAndSpaces) {
    EXPECT_EQ(ParseCoords("1, 2 ,3,,4"), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(ParseCoords("  5 6  "), (std::vector<int>{5, 6}));
    EXPECT_EQ(ParseCoords("1,x,-3"), (std::vector<int>{1, 0, -3}));
    EXPECT_EQ(ParseCoords(",7"), (std::vector<int>{0, 7}));
    EXPECT_EQ(ParseCoords("99999999999,1"), (std::vector<int>{0, 1}));
    EXPECT_EQ(ParseCoords("000000000000000000001"), std::vector<int>{0}); // cut to 20
    EXPECT_TRUE(ParseCoords("").empty());
    std::string many;
    for (int i = 0; i < 400; ++i)
        many += "1,";
    EXPECT_EQ(ParseCoords(many).size(), 301u);
}

TEST(MapItem, RectangleIncludesRightAndBottomEdges) {
    TMapItem map;
    map.AddArea(Attrs("<area shape=rect coords=\"10,20,30,40\" href=r.htm target=main>"));
    std::unique_ptr<TUrlTarget> link;
    ASSERT_TRUE(map.FindLink(30, 40, link));
    EXPECT_EQ(link->URL, "r.htm");
    EXPECT_EQ(link->Target, "main");
    EXPECT_TRUE(map.FindLink(10, 20, link));
    EXPECT_FALSE(map.FindLink(31, 40, link));
    EXPECT_FALSE(map.FindLink(9, 20, link));
}

TEST(MapItem, CircleCoversItsBox) {
    TMapItem map;
    map.AddArea(Attrs("<area shape=circle coords=10,10,5 href=c.htm>"));
    const TRect box = static_cast<const TAreaRegion*>(map.Areas.Objects(0))->Region.BoundsRect();
    EXPECT_EQ(box, (TRect{5, 5, 16, 16}));
    std::unique_ptr<TUrlTarget> link;
    EXPECT_TRUE(map.FindLink(10, 10, link));
    EXPECT_TRUE(map.FindLink(10, 5, link));
    EXPECT_FALSE(map.FindLink(5, 5, link)); // a corner of the box is outside the circle
}

TEST(MapItem, PolygonWithWindingRule) {
    TMapItem map;
    // A five-pointed star drawn in one stroke: its centre is inside by the winding rule only.
    map.AddArea(Attrs("<area shape=POLYGON coords=\"50,0 79,90 2,35 98,35 21,90\" href=p>"));
    std::unique_ptr<TUrlTarget> link;
    EXPECT_TRUE(map.FindLink(50, 45, link));
    EXPECT_FALSE(map.FindLink(0, 0, link));
}

TEST(MapItem, TooFewCoordinatesDropTheArea) {
    TMapItem map;
    map.AddArea(Attrs("<area coords=1,2,3 href=a>"));
    map.AddArea(Attrs("<area shape=circ coords=1,2 href=a>"));
    map.AddArea(Attrs("<area shape=poly coords=1,2,3,4,5 href=a>"));
    map.AddArea(Attrs("<area href=a>"));
    EXPECT_EQ(map.Areas.Count(), 0);
    EXPECT_EQ(map.AreaTargets.Count(), 0);
}

TEST(MapItem, NoHrefHidesLaterAreasButOnlyAfterHref) {
    TMapItem map;
    map.AddArea(Attrs("<area href=x.htm nohref coords=0,0,9,9>"));
    map.AddArea(Attrs("<area nohref href=y.htm coords=0,0,19,19>"));
    std::unique_ptr<TUrlTarget> link;
    EXPECT_FALSE(map.FindLink(5, 5, link)); // the first area is NOHREF and decides
    ASSERT_TRUE(map.FindLink(15, 15, link));
    EXPECT_EQ(link->URL, "y.htm");
}

TEST(MapItem, HugeCoordinatesDoNotOverflow) {
    TMapItem map;
    map.AddArea(Attrs("<area shape=circle coords=2147483647,2147483647,2147483647 href=a>"));
    map.AddArea(Attrs("<area coords=-2147483648,0,2147483647,2147483647 href=b>"));
    std::unique_ptr<TUrlTarget> link;
    ASSERT_TRUE(map.FindLink(0, 0, link));
    EXPECT_EQ(link->URL, "b");
}

TEST(UrlTarget, LinkNumbersAreUniqueAndCopied) {
    TUrlTarget a, b, c;
    const int32_t first = TUrlTarget::NextLinkNumber();
    EXPECT_GE(first, 10);
    a.Assign("a.htm", "");
    b.Assign("b.htm", "frame");
    EXPECT_EQ(a.LinkNumber, first);
    EXPECT_EQ(b.LinkNumber, first + 1);
    c.Copy(b);
    EXPECT_EQ(c.URL, "b.htm");
    EXPECT_EQ(c.Target, "frame");
    EXPECT_EQ(c.LinkNumber, b.LinkNumber);
    c.Clear();
    EXPECT_EQ(c.URL, "");
    EXPECT_EQ(c.LinkNumber, 0);
}

namespace {
class FakeSections : public TCharPosLocator {
public:
    bool CharPosY(int32_t pos, int32_t& y) override {
        if (pos > 1000)
            return false;
        y = pos * 2;
        return true;
    }
};

class Block : public TIDObject {
public:
    explicit Block(int32_t y, int* freed) : y_(y), freed_(freed) {}
    ~Block() override { ++*freed_; }
    int32_t YPosition() override { return y_; }

private:
    int32_t y_;
    int* freed_;
};
} // namespace

TEST(IDNameList, PositionsReplaceByNameIgnoringCase) {
    FakeSections sections;
    TIDNameList names(&sections);
    names.AddChPosObject("Top", 10);
    names.AddChPosObject("other", 2000);
    names.AddChPosObject("TOP", 30); // replaces the first
    EXPECT_EQ(names.Count(), 2);
    ASSERT_NE(names.Find("top"), nullptr);
    EXPECT_EQ(names.Find("top")->YPosition(), 60);
    EXPECT_EQ(names.Find("other")->YPosition(), 0); // not found in the document
    EXPECT_EQ(names.Find("none"), nullptr);
}

TEST(IDNameList, OnlyOwnPositionObjectsAreFreed) {
    int freed = 0;
    Block block(7, &freed);
    {
        TIDNameList names;
        names.AddObject("b", &block);
        names.AddChPosObject("b", 1); // replacing a block does not free it
        names.AddObject("c", &block);
        EXPECT_EQ(names.Find("c")->YPosition(), 7);
        names.Clear();
        EXPECT_EQ(names.Count(), 0);
    }
    EXPECT_EQ(freed, 0);
}

TEST(FreeList, OwnsAndFreesInOrder) {
    std::vector<int> order;
    struct Item {
        int n;
        std::vector<int>* order;
        ~Item() { order->push_back(n); }
    };
    {
        TFreeList<Item> list;
        for (int i = 0; i < 4; ++i)
            list.Add(std::unique_ptr<Item>(new Item{i, &order}));
        EXPECT_EQ(list.Last()->n, 3);
        list.Delete(1);
        EXPECT_EQ(order, std::vector<int>{1});
        EXPECT_EQ(list.Items(1)->n, 2);
        EXPECT_EQ(list.Items(7), nullptr);
    }
    EXPECT_EQ(order, (std::vector<int>{1, 0, 2, 3}));
}
