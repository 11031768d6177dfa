// Block boxes: margins (collapsing, paragraph defaults, auto), floats, clear, positioning,
// visibility, backgrounds and borders, paint order.
#include <gtest/gtest.h>

#include "tests/html/doc/core_util.h"

namespace {

struct TCollapseCase {
    const char* First;  // style of the first block
    const char* Second; // style of the second
    int32_t Gap;        // from the first's border bottom to the second's border top
};

class MarginCollapseTest : public ::testing::TestWithParam<TCollapseCase> {};

TEST_P(MarginCollapseTest, AdjoiningMarginsBecomeOne) {
    const TCollapseCase& c = GetParam();
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* a = d.Block(*body->Content, "div", std::string("height: 20px; ") + c.First);
    TBlock* b = d.Block(*body->Content, "div", std::string("height: 20px; ") + c.Second);
    d.LayOut();
    EXPECT_EQ(BoxOf(*b).Top - (BoxOf(*a).Top + 20), c.Gap);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarginCollapseTest,
    ::testing::Values(TCollapseCase{"margin-bottom: 10px", "margin-top: 15px", 15},
                      TCollapseCase{"margin-bottom: 15px", "margin-top: 10px", 15},
                      TCollapseCase{"margin-bottom: -5px", "margin-top: 15px", 10},
                      TCollapseCase{"margin-bottom: 10px", "margin-top: -15px", -5},
                      TCollapseCase{"margin-bottom: -5px", "margin-top: -8px", -8},
                      TCollapseCase{"", "margin-top: 7px", 7},
                      TCollapseCase{"margin-bottom: 12px", "float: left", 12}));

TEST(BlockMarginTest, TheParagraphMarginIsFourteenPixels) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* p1 = d.Block(*body->Content, "p", "height: 10px");
    TBlock* p2 = d.Block(*body->Content, "p", "height: 10px");
    d.LayOut();
    EXPECT_EQ(BoxOf(*p1).Top, 14) << "the first paragraph in the body keeps its margin";
    EXPECT_EQ(BoxOf(*p2).Top, 38) << "14 between the two, not 28";
    EXPECT_TRUE(p2->DefaultBottom);
}

TEST(BlockMarginTest, FirstParagraphDefaultsDependOnTheOwner) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* div = d.Block(*body->Content, "div", "margin-top: 5px");
    TBlock* inDiv = d.Block(*div->Content, "p", "height: 10px");
    TProperties& ul = d.Push("ul");
    TBlock* list = d.Add<TBlock>(*body->Content, ul);
    TProperties& li = d.Push("li");
    TBlockLI* item = d.Add<TBlockLI>(*list->Content, li, ULSym, 1, '\0', false);
    TBlock* firstInLi = d.Block(*item->Content, "p", "height: 10px");
    TBlockLI* item2 = d.Add<TBlockLI>(*list->Content, li, ULSym, 2, '\0', false);
    d.Add<TFixed>(*item2->Content, 10);
    TBlock* afterText = d.Block(*item2->Content, "p", "height: 10px");
    d.LayOut();
    EXPECT_EQ(inDiv->BoxValues[piMarginTop], 0) << "first paragraph of a DIV";
    EXPECT_EQ(BoxOf(*inDiv).Top, BoxOf(*div).Top);
    EXPECT_EQ(firstInLi->BoxValues[piMarginTop], 0) << "first content of an LI";
    EXPECT_EQ(afterText->BoxValues[piMarginTop], 14) << "after text in the LI";
}

TEST(BlockMarginTest, AnAbsoluteBlockDropsItsParagraphMargin) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* p = d.Block(*body->Content, "p", "position: absolute");
    EXPECT_EQ(p->BoxValues[piMarginTop], 0);
}

TEST(BlockMarginTest, TrailingParagraphMarginsAreDroppedIntoListItems) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* p = d.Block(*body->Content, "p");
    TProperties& li = d.Push("li");
    TBlockLI* item = d.Add<TBlockLI>(*body->Content, li, ULSym, 1, '\0', false);
    TBlock* inner = d.Block(*item->Content, "p");
    EXPECT_EQ(p->BoxValues[piMarginBottom], 0) << "collapsed into the item";
    item->BoxValues[piMarginBottom] = 3;
    DropTrailingDefaultMargins(*body->Content);
    EXPECT_EQ(inner->BoxValues[piMarginBottom], 0);
    EXPECT_EQ(item->BoxValues[piMarginBottom], 3) << "not a paragraph default";
}

TEST(BlockMarginTest, TextBetweenBlocksKeepsTheirMargins) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* first = d.Block(*body->Content, "p");
    d.Add<TFixed>(*body->Content, 5); // text between the paragraphs
    TBlock* second = d.Block(*body->Content, "p");
    EXPECT_EQ(first->BoxValues[piMarginBottom], 14) << "not collapsed across the text";
    EXPECT_EQ(second->BoxValues[piMarginTop], 14);
    d.Add<TFixed>(*body->Content, 5); // text after the last paragraph
    DropTrailingDefaultMargins(*body->Content);
    EXPECT_EQ(second->BoxValues[piMarginBottom], 14) << "the text below keeps its distance";

    // In a table cell, a paragraph after text keeps its margin; the first one drops it; in a
    // definition the first one keeps it.
    for (const char* tag : {"td", "dd"}) {
        TBlock* holder = d.Block(*body->Content, tag);
        TBlock* firstInCell = d.Block(*holder->Content, "p");
        d.Add<TFixed>(*holder->Content, 5);
        TBlock* afterText = d.Block(*holder->Content, "p");
        EXPECT_EQ(firstInCell->BoxValues[piMarginTop], std::string(tag) == "dd" ? 14 : 0) << tag;
        EXPECT_EQ(afterText->BoxValues[piMarginTop], 14) << tag;
    }
}

struct TWidthCase {
    const char* Style;
    TBoxPos Box;
};

class BlockWidthTest : public ::testing::TestWithParam<TWidthCase> {};

TEST_P(BlockWidthTest, AutoMarginsAndWidth) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* b = d.Block(*body->Content, "div", std::string("height: 10px; ") + GetParam().Style);
    d.LayOut(600);
    EXPECT_EQ(BoxOf(*b), GetParam().Box) << GetParam().Style;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BlockWidthTest,
    ::testing::Values(
        TWidthCase{"margin-left: auto; margin-right: auto; width: 200px", {200, 0, 200}},
        TWidthCase{"margin-left: auto; margin-right: auto; width: 200px; padding: 10px",
                   {190, 0, 220}},
        TWidthCase{"margin-left: auto; margin-right: auto; width: auto", {0, 0, 600}},
        TWidthCase{"margin-left: auto; width: 200px", {400, 0, 200}},
        TWidthCase{"margin-right: auto; width: 200px", {0, 0, 200}},
        TWidthCase{"margin-left: 50px; margin-right: 30px", {50, 0, 520}},
        TWidthCase{"width: 50%", {0, 0, 300}},
        TWidthCase{"margin-left: auto; width: auto; margin-right: 20px", {0, 0, 580}}));

TEST(BlockFloatTest, ALeftFloatTakesNoFlowHeightAndTextFlowsBesideIt) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* f = d.Block(*body->Content, "div", "float: left; width: 100px; height: 50px");
    TBlock* next = d.Block(*body->Content, "div", "height: 20px");
    TProperties& hr = d.Push("hr", "margin: 0");
    TAttributeList none;
    auto rule = std::make_unique<THorzLine>(&d.Doc, none, hr);
    THorzLine* line = rule.get();
    d.Add<THRBlock>(*body->Content, hr, std::move(rule));
    TBlock* cleared = d.Block(*body->Content, "div", "clear: left; height: 10px");
    d.LayOut();
    EXPECT_EQ(f->FlowHeight, 0);
    EXPECT_EQ(BoxOf(*f), (TBoxPos{0, 0, 100}));
    EXPECT_EQ(BoxOf(*next).Top, 0) << "starts where the float starts";
    EXPECT_EQ(line->LayoutY, 20);
    EXPECT_EQ(line->RuleLeft, 100) << "a rule beside the float starts right of it";
    EXPECT_EQ(BoxOf(*cleared).Top, 50) << "clear: left goes below the float";
}

TEST(BlockFloatTest, ARightFloatSitsAtTheRightEdge) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* f =
        d.Block(*body->Content, "div", "float: right; width: 100px; height: 50px; margin: 5px");
    TBlock* f2 = d.Block(*body->Content, "div", "float: right; width: 100px; height: 50px");
    d.LayOut();
    EXPECT_EQ(BoxOf(*f), (TBoxPos{495, 5, 100}));
    EXPECT_EQ(BoxOf(*f2).Left, 390) << "next to the first one";
    EXPECT_EQ(f->StackLevel, 1) << "floats paint above the flow";
}

TEST(BlockPositionTest, AbsoluteWithAutoOffsetsStaysInPlaceAndTakesNoHeight) {
    TCoreDoc d;
    TBodyBlock* body = d.Body("margin: 4px");
    d.Block(*body->Content, "div", "height: 30px");
    TBlock* abs = d.Block(*body->Content, "div", "position: absolute; height: 40px; width: 100px");
    TBlock* after = d.Block(*body->Content, "div", "height: 20px");
    TBlock* placed = d.Block(*body->Content, "div",
                             "position: absolute; top: 5px; left: 7px; height: 1px; width: 9px");
    d.LayOut();
    EXPECT_EQ(BoxOf(*abs), (TBoxPos{4, 34, 100}));
    EXPECT_EQ(abs->FlowHeight, 0);
    EXPECT_EQ(abs->PaintHeight, 0);
    EXPECT_EQ(BoxOf(*after).Top, 34);
    EXPECT_EQ(BoxOf(*placed), (TBoxPos{7, 5, 9}));
    EXPECT_EQ(body->Content->FlowBottom, 999000);
    EXPECT_EQ(body->InnerBottom, 54) << "the flow holds the two static blocks only";
    EXPECT_EQ(d.Height, 34 + 40 + 4) << "the page is long enough to show the absolute block";
}

TEST(BlockPositionTest, RelativeBlocksPaintShiftedAndKeepTheirFlowPlace) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    d.Block(*body->Content, "div",
            "position: relative; top: 10px; left: 20px; height: 20px; width: 30px; "
            "background-color: #0000ff");
    TBlock* after = d.Block(*body->Content, "div", "height: 20px");
    d.LayOut();
    EXPECT_EQ(BoxOf(*after).Top, 20);
    d.Paint();
    EXPECT_EQ(d.Canvas.GetPixel(25, 15), RGB(0, 0, 255));
    EXPECT_EQ(d.Canvas.GetPixel(5, 5), clWhite);
    EXPECT_EQ(d.Canvas.GetPixel(25, 29), RGB(0, 0, 255));
    EXPECT_EQ(d.Canvas.GetPixel(25, 30), clWhite);
}

TEST(BlockPositionTest, AbsoluteInsideRelativeIsPlacedFromItsContentBox) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* rel = d.Block(*body->Content, "div", "position: relative; top: 10px; height: 50px");
    d.Block(*rel->Content, "div", "height: 20px");
    TBlock* flowing = d.Block(*rel->Content, "div",
                              "position: absolute; height: 5px; width: 40px; "
                              "background-color: #0000ff");
    TBlock* placed = d.Block(*rel->Content, "div",
                             "position: absolute; top: 5px; left: 100px; height: 5px; "
                             "width: 40px; background-color: #ff0000");
    d.LayOut();
    EXPECT_EQ(BoxOf(*flowing).Top, 30) << "where the flow put it";
    EXPECT_EQ(BoxOf(*placed).Top, 15) << "5 below the shifted content top";
    d.Paint();
    EXPECT_EQ(d.Canvas.GetPixel(5, 29), clWhite);
    EXPECT_EQ(d.Canvas.GetPixel(5, 30), RGB(0, 0, 255));
    EXPECT_EQ(d.Canvas.GetPixel(5, 34), RGB(0, 0, 255));
    EXPECT_EQ(d.Canvas.GetPixel(105, 15), RGB(255, 0, 0));
    EXPECT_EQ(d.Canvas.GetPixel(105, 14), clWhite);
}

TEST(BlockPaintTest, HiddenBlocksKeepTheirSpaceButPaintNothing) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* hidden = d.Block(*body->Content, "div",
                             "visibility: hidden; height: 20px; background-color: #ff0000");
    d.Block(*hidden->Content, "div", "height: 10px; background-color: #00ff00");
    TBlock* shown = d.Block(*body->Content, "div", "height: 20px; background-color: #ff0000");
    d.LayOut();
    EXPECT_EQ(BoxOf(*shown).Top, 20);
    d.Paint();
    EXPECT_EQ(d.Canvas.GetPixel(10, 5), clWhite) << "children of a hidden block are hidden";
    EXPECT_EQ(d.Canvas.GetPixel(10, 15), clWhite);
    EXPECT_EQ(d.Canvas.GetPixel(10, 25), RGB(255, 0, 0));
}

TEST(BlockPaintTest, BordersFrameThePaddingBox) {
    TCoreDoc d("div.b { border-style: solid; border-width: 3px; border-color: #00ff00 }");
    TBodyBlock* body = d.Body();
    TProperties& p = d.Push("div",
                            "height: 20px; width: 50px; padding: 2px; "
                            "background-color: #0000ff; margin-left: 10px",
                            "b");
    TBlock* b = d.Add<TBlock>(*body->Content, p);
    d.Pop();
    d.LayOut();
    EXPECT_TRUE(b->Bordered);
    EXPECT_EQ(BoxOf(*b), (TBoxPos{10, 0, 60}));
    d.Paint();
    EXPECT_EQ(d.Canvas.GetPixel(10, 0), RGB(0, 255, 0)) << "outer corner";
    EXPECT_EQ(d.Canvas.GetPixel(12, 12), RGB(0, 255, 0)) << "left border";
    EXPECT_EQ(d.Canvas.GetPixel(13, 12), RGB(0, 0, 255)) << "padding";
    EXPECT_EQ(d.Canvas.GetPixel(69, 29), RGB(0, 255, 0)) << "inner bottom-right corner";
    EXPECT_EQ(d.Canvas.GetPixel(70, 12), clWhite);
    EXPECT_EQ(d.Canvas.GetPixel(9, 12), clWhite) << "margin";
}

TEST(BlockPaintTest, ChildrenPaintByStackLevelThenDocumentOrder) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* a = d.Block(*body->Content, "div", "position: relative; z-index: 2; height: 5px");
    TBlock* b = d.Block(*body->Content, "div", "height: 5px");
    TBlock* c = d.Block(*body->Content, "div", "position: relative; z-index: -1; height: 5px");
    TBlock* e = d.Block(*body->Content, "div", "height: 5px");
    d.LayOut();
    EXPECT_EQ(a->StackLevel, 20);
    EXPECT_EQ(body->PaintOrder, (std::vector<TSectionBase*>{c, b, e, a}));
}

TEST(BlockLayoutTest, AListBlockReservesRoomForMarkers) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* ul = d.Block(*body->Content, "div", "margin-left: 10px");
    ul->IsListBlock = true;
    d.Add<TFixed>(*ul->Content, 10);
    d.LayOut();
    EXPECT_EQ(ul->ContentLeft, 35);
    EXPECT_EQ(ul->InnerWidth, 565);
    int32_t mn = 0, mx = 0;
    ul->MinMaxWidths(d.Canvas, mn, mx);
    EXPECT_EQ(mn, 45);
}

TEST(BlockLayoutTest, MinMaxWidthsAddTheSides) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TBlock* b = d.Block(*body->Content, "div", "width: 80px; padding: 4px; margin-left: 3px");
    TFixed* wide = d.Add<TFixed>(*b->Content, 10);
    wide->Width = 60;
    int32_t mn = 0, mx = 0;
    b->MinMaxWidths(d.Canvas, mn, mx);
    EXPECT_EQ(mn, 3 + 4 + 80 + 4);
    EXPECT_EQ(mx, mn) << "a set width fixes the maximum";
    TBlock* free = d.Block(*body->Content, "div", "padding: 1px");
    d.Add<TFixed>(*free->Content, 10)->Width = 60;
    free->MinMaxWidths(d.Canvas, mn, mx);
    EXPECT_EQ(mn, 32);
    EXPECT_EQ(mx, 62);
}

TEST(BlockLayoutTest, HugeLengthsDoNotOverflow) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    d.Block(*body->Content, "div",
            "margin-top: 900000000px; padding-top: 900000000px; border-top-width: 900000000px; "
            "border-style: solid; height: 900000000px; margin-bottom: 900000000px");
    d.Block(*body->Content, "div", "margin-left: -900000000px; width: 900000000px");
    const int32_t h = d.LayOut();
    EXPECT_GE(h, 0);
    EXPECT_LE(h, 1000000000 + 1000000000);
    d.Paint();
}

TEST(BlockLayoutTest, TheBodyFillsTheWidthAndReportsWhatItNeeds) {
    TCoreDoc d;
    TBodyBlock* body = d.Body("margin: 10px");
    d.Add<TFixed>(*body->Content, 10)->Width = 900;
    int32_t needed = 0, chars = 0;
    d.Doc.LayOut(d.Canvas, 0, 600, 400, needed, chars);
    EXPECT_EQ(body->InnerWidth, 580);
    EXPECT_EQ(body->ContentY, 10);
    EXPECT_EQ(needed, 920);
    EXPECT_EQ(body->FlowHeight, 30);
}

} // namespace

namespace {

// Random trees of blocks with random, partly hostile box styles: layout and painting must
// neither crash nor depend on how often they ran.
TEST(BlockLayoutTest, RandomTreesLayOutTheSameTwiceAndPaintSafely) {
    const char* const values[] = {"0",    "5px",  "-7px",  "auto",  "50%", "2em",
                                  "120%", "-3em", "1e9px", "300px", "1px", "-900000000px"};
    const char* const props[] = {"margin-top",   "margin-bottom",    "margin-left",
                                 "margin-right", "padding-top",      "padding-left",
                                 "width",        "height",           "top",
                                 "left",         "border-left-width"};
    const char* const extras[] = {"float: left",         "float: right",
                                  "position: absolute",  "position: relative",
                                  "clear: both",         "visibility: hidden",
                                  "border-style: solid", "background-color: #808080",
                                  "z-index: 3",          ""};
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int round = 0; round < 60; ++round) {
        TCoreDoc d;
        TBodyBlock* body = d.Body("margin: 3px");
        std::vector<TCellBasic*> cells{body->Content.get()};
        for (int i = 0; i < 25; ++i) {
            std::string style;
            for (int k = 0; k < 4; ++k)
                style += std::string(props[next(std::size(props))]) + ": " +
                         values[next(std::size(values))] + "; ";
            style += extras[next(std::size(extras))];
            TCellBasic* cell = cells[next(static_cast<uint32_t>(cells.size()))];
            TBlock* b = d.Block(*cell, next(5) == 0 ? "p" : "div", style);
            b->IsListBlock = next(6) == 0;
            if (next(3) == 0)
                d.Add<TFixed>(*b->Content, static_cast<int32_t>(next(40)))->Width =
                    static_cast<int32_t>(next(900));
            cells.push_back(b->Content.get());
        }
        const int32_t h1 = d.LayOut();
        const std::string dump1 = d.Dump();
        const int32_t h2 = d.LayOut();
        ASSERT_EQ(h1, h2) << "round " << round;
        ASSERT_EQ(dump1, d.Dump()) << "round " << round;
        d.Paint();
        d.Doc.ScrollTo(std::max(0, h1 / 2));
        d.Paint();
    }
}

} // namespace
