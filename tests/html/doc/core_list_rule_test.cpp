// List items and their markers, horizontal rules, page marks.
#include <gtest/gtest.h>

#include "html/reader/attributes.h"
#include "tests/html/doc/core_util.h"

namespace {

struct TNumberCase {
    uint8_t Style;
    int32_t N;
    const char* Text;
};

class MarkerNumberTest : public ::testing::TestWithParam<TNumberCase> {};

TEST_P(MarkerNumberTest, Text) {
    const TNumberCase& c = GetParam();
    EXPECT_EQ(ListMarkerNumber(c.Style, c.N), c.Text) << int(c.Style) << " " << c.N;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarkerNumberTest,
    ::testing::Values(TNumberCase{lsDecimal, 12, "12"}, TNumberCase{lsLowerRoman, 1, "i"},
                      TNumberCase{lsLowerRoman, 4, "iv"}, TNumberCase{lsLowerRoman, 9, "ix"},
                      TNumberCase{lsLowerRoman, 14, "xiv"}, TNumberCase{lsLowerRoman, 18, "xviii"},
                      TNumberCase{lsLowerRoman, 20, "xx"}, TNumberCase{lsLowerRoman, 21, "xxi"},
                      TNumberCase{lsLowerRoman, 49, "xlix"}, TNumberCase{lsLowerRoman, 500, "d"},
                      TNumberCase{lsUpperRoman, 1994, "MCMXCIV"},
                      TNumberCase{lsUpperRoman, 3999, "MMMCMXCIX"},
                      TNumberCase{lsUpperRoman, 4000, "4000"}, TNumberCase{lsLowerRoman, 0, "0"},
                      TNumberCase{lsLowerRoman, -3, "-3"}, TNumberCase{lsUpperRoman, 19, "XIX"},
                      TNumberCase{lsLowerAlpha, 1, "a"}, TNumberCase{lsLowerAlpha, 26, "z"},
                      TNumberCase{lsLowerAlpha, 27, "aa"}, TNumberCase{lsLowerAlpha, 52, "az"},
                      TNumberCase{lsUpperAlpha, 703, "AAA"}, TNumberCase{lsLowerAlpha, 0, "0"},
                      TNumberCase{lsUpperAlpha, INT32_MAX, "FXSHRXW"},
                      TNumberCase{lsUpperAlpha, 3, "C"}, TNumberCase{lsDisc, 3, ""},
                      TNumberCase{lsNone, 3, ""}));

// One list item under the given list element.
struct TItemFixture {
    explicit TItemFixture(const std::string& css = {}) : D(css) {}
    TBlockLI* Item(Symbol list, const std::string& listTag, char type, bool plain,
                   int32_t number = 1) {
        if (!listTag.empty())
            D.Push(listTag);
        TProperties& li = D.Push("li");
        return D.Add<TBlockLI>(D.Doc, li, list, number, type, plain);
    }
    TCoreDoc D;
};

TEST(ListItemTest, OrderedTypesPickTheNumbering) {
    const std::pair<char, uint8_t> cases[] = {{'A', lsUpperAlpha}, {'I', lsUpperRoman},
                                              {'a', lsLowerAlpha}, {'i', lsLowerRoman},
                                              {'1', lsDecimal},    {'\0', lsDecimal}};
    for (auto [type, style] : cases) {
        // A sheet without the built-in list style so the TYPE shows.
        TItemFixture f("ol { list-style-type: blank }");
        TBlockLI* li = f.Item(OLSym, "ol", type, false, 4);
        EXPECT_EQ(li->ListKind, 1);
        EXPECT_EQ(li->MarkerStyle, style) << type;
    }
    TItemFixture f("ol { list-style-type: blank }");
    EXPECT_EQ(f.Item(OLSym, "ol", 'i', false, 4)->MarkerText(), "iv.");
}

TEST(ListItemTest, TheSheetsListStyleWins) {
    TItemFixture f;
    TBlockLI* li = f.Item(OLSym, "ol", 'i', false, 3);
    EXPECT_EQ(li->MarkerStyle, lsDecimal) << "the built-in OL rule";
    EXPECT_EQ(li->MarkerText(), "3.");
    TItemFixture plain("ul { list-style-type: blank }");
    EXPECT_EQ(plain.Item(ULSym, "ul", '\0', true)->MarkerStyle, lsNone);
    TItemFixture circle("ul { list-style-type: blank }");
    EXPECT_EQ(circle.Item(ULSym, "ul", '\0', false)->MarkerStyle, lsCircle);
    TItemFixture inherited;
    EXPECT_EQ(inherited.Item(ULSym, "ul", '\0', true)->MarkerStyle, lsDisc)
        << "PLAIN gives way to the style in force";
    TItemFixture nested;
    nested.D.Push("ul");
    EXPECT_EQ(nested.Item(ULSym, "ul", '\0', false)->MarkerStyle, lsCircle);
    TItemFixture third;
    third.D.Push("ul");
    third.D.Push("ul");
    EXPECT_EQ(third.Item(ULSym, "ul", '\0', false)->MarkerStyle, lsSquare);
    TItemFixture dl;
    EXPECT_EQ(dl.Item(DLSym, "dl", '\0', false)->ListKind, 3);
}

TEST(ListItemTest, AnItemOutsideAListGetsRoomAndADisc) {
    TItemFixture f;
    TBodyBlock* body = f.D.Body();
    TProperties& p = f.D.Push("li");
    TBlockLI* li = f.D.Add<TBlockLI>(*body->Content, p, PSym, 1, '\0', false);
    f.D.Add<TFixed>(*li->Content, 20);
    f.D.LayOut();
    EXPECT_EQ(li->ListKind, 4);
    EXPECT_EQ(li->MarkerStyle, lsDisc);
    EXPECT_EQ(li->ContentLeft, 16);
    li->MarkerBaseline = 15; // what the first text line would record
    f.D.Paint();
    EXPECT_EQ(f.D.Canvas.GetPixel(2, 12), clBlack) << "a disc at the item's left edge";
    EXPECT_EQ(f.D.Canvas.GetPixel(2, 16), clWhite);
}

TEST(ListItemTest, BulletsAndNumbersStandLeftOfTheItem) {
    TItemFixture f("ul { list-style-type: blank }");
    TBodyBlock* body = f.D.Body("margin-left: 50px");
    TProperties& ul = f.D.Push("ul", "list-style-type: square");
    TBlock* list = f.D.Add<TBlock>(*body->Content, ul);
    TProperties& li = f.D.Push("li");
    TBlockLI* item = f.D.Add<TBlockLI>(*list->Content, li, ULSym, 1, '\0', false);
    f.D.Add<TFixed>(*item->Content, 20);
    f.D.Pop();
    f.D.Pop();
    TProperties& ol = f.D.Push("ol", "margin-left: 0");
    TBlock* olist = f.D.Add<TBlock>(*body->Content, ol);
    TProperties& li2 = f.D.Push("li");
    TBlockLI* num = f.D.Add<TBlockLI>(*olist->Content, li2, OLSym, 7, '\0', false);
    f.D.Add<TFixed>(*num->Content, 20);
    f.D.LayOut();
    const int32_t x = item->ContentLeft;
    item->MarkerBaseline = item->ContentY + 15;
    num->MarkerBaseline = num->ContentY + 15;
    f.D.Paint();
    EXPECT_EQ(item->MarkerStyle, lsSquare);
    EXPECT_EQ(f.D.Canvas.GetPixel(x - 13, item->ContentY + 12), clBlack) << "square";
    EXPECT_EQ(f.D.Canvas.GetPixel(x - 8, item->ContentY + 12), clWhite);
    int dark = 0;
    const int32_t nx = num->ContentLeft;
    for (int y = num->ContentY; y <= num->ContentY + 15; ++y)
        for (int px = nx - 40; px < nx; ++px)
            if (f.D.Canvas.GetPixel(px, y) != clWhite) {
                ++dark;
                EXPECT_LT(px, nx - 10 + 1) << "the number ends 10 pixels left of the item";
            }
    EXPECT_GT(dark, 10) << "\"7.\" was drawn";
}

// Records into the baseline slot the document offers, as the first text line does.
class TBaselineProbe : public TFixed {
public:
    using TFixed::TFixed;
    int32_t LayOut(TCanvas& c, int32_t x, int32_t y, int32_t rx, int32_t ry, int32_t aw, int32_t ah,
                   IndentManager& im, int32_t& nw, int32_t& ci) override {
        Slot = Document->FirstLineBaseline;
        if (Slot != nullptr && *Slot == 0)
            *Slot = y + 12;
        return TFixed::LayOut(c, x, y, rx, ry, aw, ah, im, nw, ci);
    }
    int32_t* Slot = nullptr;
};

TEST(ListItemTest, TheBaselineRequestLastsOnlyForTheItemsLayout) {
    TItemFixture f;
    TBodyBlock* body = f.D.Body();
    TProperties& p = f.D.Push("li");
    TBlockLI* li = f.D.Add<TBlockLI>(*body->Content, p, ULSym, 1, '\0', false);
    auto* probe = f.D.Add<TBaselineProbe>(*li->Content, 20);
    auto* outside = f.D.Add<TBaselineProbe>(*body->Content, 20);
    f.D.LayOut();
    EXPECT_EQ(probe->Slot, &li->MarkerBaseline);
    EXPECT_EQ(li->MarkerBaseline, li->ContentY + 12);
    EXPECT_EQ(outside->Slot, nullptr);
    EXPECT_EQ(f.D.Doc.FirstLineBaseline, nullptr);
}

TAttributeList Attrs(std::initializer_list<TAttribute> list) {
    TAttributeList a;
    for (const TAttribute& x : list)
        a.Add(x);
    return a;
}

struct TRulePage {
    explicit TRulePage(TAttributeList attrs, const std::string& css = {},
                       const std::string& bodyStyle = "margin: 0")
        : D(css) {
        TBodyBlock* body = D.Body(bodyStyle);
        D.Block(*body->Content, "div", "height: 10px");
        TProperties& p = D.Push("hr");
        auto rule = std::make_unique<THorzLine>(&D.Doc, attrs, p);
        Rule = rule.get();
        Block = D.Add<THRBlock>(*body->Content, p, std::move(rule));
        D.LayOut();
    }
    TCoreDoc D;
    THorzLine* Rule = nullptr;
    THRBlock* Block = nullptr;
};

TEST(RuleTest, SizeBetweenOneAndTwentyIsTheThickness) {
    EXPECT_EQ(TRulePage(Attrs({{SizeSym, 25, "25"}})).Rule->Thickness, 2);
    EXPECT_EQ(TRulePage(Attrs({{SizeSym, 0, "0"}})).Rule->Thickness, 2);
    TRulePage five(Attrs({{SizeSym, 5, "5"}}));
    EXPECT_EQ(five.Rule->Thickness, 5);
    EXPECT_EQ(five.Rule->FlowHeight, 5);
}

TEST(RuleTest, WidthAndAlignPlaceTheRule) {
    TRulePage full(Attrs({}));
    EXPECT_EQ(full.Rule->RuleLeft, 10) << "the built-in 10-pixel margins";
    EXPECT_EQ(full.Rule->RuleWidth, 580);
    EXPECT_EQ(full.Rule->LayoutY, 20);
    TRulePage half(Attrs({{WidthSym, 50, "50%"}, {AlignSym, 0, "RIGHT"}}));
    EXPECT_EQ(half.Rule->RuleWidth, 300);
    EXPECT_EQ(half.Rule->RuleLeft + half.Rule->RuleWidth, 590) << "against the right margin";
    TRulePage centred(Attrs({{WidthSym, 200, "200"}}));
    EXPECT_EQ(centred.Rule->RuleLeft, 200);
    TRulePage left(Attrs({{WidthSym, 200, "200"}, {AlignSym, 0, "left"}}));
    EXPECT_EQ(left.Rule->RuleLeft, 10);
    TRulePage tooWide(Attrs({{WidthSym, 150, "150%"}}));
    EXPECT_EQ(tooWide.Rule->RuleWidth, 580) << "percentages above 100 are ignored";
    TRulePage styled(Attrs({{WidthSym, 200, "200"}}), "hr { text-align: right }");
    EXPECT_EQ(styled.Rule->RuleAlign, LineAlign::Right);
    EXPECT_EQ(styled.Rule->RuleLeft, 390);
    TRulePage ruled(Attrs({{WidthSym, 200, "200"}}), "hr { width: 100px }");
    EXPECT_EQ(ruled.Rule->RuleWidth, 100) << "a style rule's width beats the attribute";
}

TEST(RuleTest, ColourMakesASolidBar) {
    TRulePage r(Attrs({{ColorSym, 0, "#ff0000"}, {SizeSym, 4, "4"}}));
    EXPECT_EQ(r.Rule->RuleColor & 0xFFFFFF, RGB(255, 0, 0));
    r.D.Paint();
    for (int y = 20; y < 24; ++y)
        EXPECT_EQ(r.D.Canvas.GetPixel(300, y), RGB(255, 0, 0)) << y;
    EXPECT_EQ(r.D.Canvas.GetPixel(300, 24), clWhite);
    EXPECT_EQ(r.D.Canvas.GetPixel(9, 21), clWhite);
}

TEST(RuleTest, TheOutlineIsEngravedOrNoShadeIsASolidBar) {
    TRulePage shaded(Attrs({{SizeSym, 4, "4"}}));
    shaded.D.Paint();
    EXPECT_EQ(shaded.D.Canvas.GetPixel(300, 20), clBtnShadow);
    EXPECT_EQ(shaded.D.Canvas.GetPixel(300, 23), clSilver) << "light page";
    EXPECT_EQ(shaded.D.Canvas.GetPixel(300, 21), clWhite) << "only an outline";
    TRulePage dark(Attrs({{SizeSym, 4, "4"}}));
    dark.D.Doc.Background = clBlack;
    dark.D.Paint();
    EXPECT_EQ(dark.D.Canvas.GetPixel(300, 23), clBtnHighlight);
    // NOSHADE fills the whole bar in grey, inside included.
    TRulePage solid(Attrs({{SizeSym, 4, "4"}, {NoShadeSym, 0, ""}}));
    solid.D.Paint();
    for (int y = 20; y < 24; ++y)
        EXPECT_EQ(solid.D.Canvas.GetPixel(300, y), clGray) << y;
    EXPECT_EQ(solid.D.Canvas.GetPixel(589, 22), clGray);
    EXPECT_EQ(solid.D.Canvas.GetPixel(300, 24), clWhite);
}

TEST(RuleTest, CopyingARuleAddsALineEnd) {
    TRulePage r(Attrs({}));
    r.Rule->CopySelection();
    EXPECT_EQ(r.D.Doc.ClipBuffer, "\r\n");
}

TEST(PageTest, APageMarkTakesNoSpaceAndPaintsNothing) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    body->Content->Add(std::make_unique<TPage>(&d.Doc));
    TBlock* after = d.Block(*body->Content, "div", "height: 10px");
    EXPECT_EQ(d.LayOut(), 10);
    EXPECT_EQ(BoxOf(*after).Top, 0);
    d.Paint();
    EXPECT_EQ(d.Canvas.GetPixel(0, 0), clWhite);
    TCoreDoc m;
    TBodyBlock* margined = m.Body("margin: 8px");
    margined->Content->Add(std::make_unique<TPage>(&m.Doc));
    int32_t needed = 0, chars = 0;
    m.Doc.LayOut(m.Canvas, 0, 600, 400, needed, chars);
    EXPECT_EQ(needed, 600) << "a mark makes the page no wider";
}

} // namespace

namespace {

TEST(ListDumpTest, ItemsShowTheirMarkersAndRulesTheirLook) {
    TCoreDoc d;
    TBodyBlock* body = d.Body();
    TProperties& ol = d.Push("ol", "margin: 0");
    TBlock* list = d.Add<TBlock>(*body->Content, ol);
    list->IsListBlock = true;
    TProperties& li = d.Push("li");
    TBlockLI* item = d.Add<TBlockLI>(*list->Content, li, OLSym, 3, 'i', false);
    d.Add<TFixed>(*item->Content, 20);
    d.Pop();
    d.Pop();
    TProperties& hr = d.Push("hr");
    TAttributeList attrs;
    attrs.Add(TAttribute{NoShadeSym, 0, ""});
    attrs.Add(TAttribute{ColorSym, 0, "#102030"});
    auto rule = std::make_unique<THorzLine>(&d.Doc, attrs, hr);
    d.Add<THRBlock>(*body->Content, hr, std::move(rule));
    d.LayOut();
    EXPECT_EQ(d.Dump(), "document x=0 y=0 w=600 h=42\n"
                        "  body x=0 y=0 w=600 h=42\n"
                        "    block x=0 y=0 w=600 h=20\n"
                        "      li x=35 y=0 w=565 h=20 marker=3.\n"
                        "        fixed x=35 y=0 w=0 h=20\n"
                        "    hrblock x=10 y=30 w=580 h=2\n"
                        "      hr x=10 y=30 w=580 h=2 size=2 color=302010 noshade\n");
}

} // namespace
