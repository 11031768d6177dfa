#include <gtest/gtest.h>

#include "platform/graphics/canvas.h"
#include "platform/gui/buttons.h"
#include "platform/gui/edit.h"
#include "platform/gui/list_box.h"
#include "platform/gui/paint_box.h"
#include "platform/gui/scroll_bar.h"
#include "platform/gui/window.h"

// Headless pictures of controls: each draws itself where it stands in its window.
class ControlPictures : public testing::Test {
protected:
    void SetUp() override {
        w.SetBounds(0, 0, 200, 150);
        for (TControl* c : std::initializer_list<TControl*>{&check, &list, &box, &bar})
            c->SetParent(&w);
        check.SetBounds(10, 10, 80, 17);
        list.SetBounds(100, 10, 90, 60);
        list.SetItems({"alpha", "beta", "gamma"});
        box.SetBounds(10, 80, 40, 40);
        bar.SetBounds(60, 80, 16, 60);
    }
    TWindow w;
    TCheckBox check;
    TListBox list;
    TPaintBox box;
    TScrollBar bar{TScrollBarKind::sbVertical};
};

TEST_F(ControlPictures, CheckMarkAndSelectedItemShowTheState) {
    TCanvas before(200, 150);
    w.PaintTo(before, 0, 0);
    EXPECT_EQ(before.GetPixel(5, 140), clSilver); // the window's face
    // The box is white inside, unchecked.
    EXPECT_EQ(before.GetPixel(10 + 6, 10 + 2 + 6), clWhite);
    check.SetChecked(true);
    list.ClickItem(1);
    TCanvas after(200, 150);
    w.PaintTo(after, 0, 0);
    int marked = 0;
    for (int y = 12; y < 12 + 13; ++y)
        for (int x = 10; x < 23; ++x)
            marked += after.GetPixel(x, y) == clBlack;
    EXPECT_GT(marked, 6);
    // Item 1 (rows 16 pixels high below a 2-pixel edge) has the selection colour at its right.
    EXPECT_EQ(after.GetPixel(180, 10 + 2 + 16 + 8), RGB(0, 0, 128));
    EXPECT_EQ(after.GetPixel(180, 10 + 2 + 8), clWhite);
}

TEST_F(ControlPictures, PaintBoxDrawsInItsOwnCoordinates) {
    box.OnPaint = [](TPaintBox&, TCanvas& c, const TRect&) {
        c.Brush.Color = clRed;
        c.FillRect(Rect(0, 0, 10, 10));
    };
    TCanvas out(200, 150);
    w.PaintTo(out, 0, 0);
    EXPECT_EQ(out.GetPixel(10, 80), clRed);
    EXPECT_EQ(out.GetPixel(19, 89), clRed);
    EXPECT_NE(out.GetPixel(20, 90), clRed);
    EXPECT_NE(out.GetPixel(5, 75), clRed);
}

TEST_F(ControlPictures, ScrollThumbFollowsThePosition) {
    bar.SetParams(0, 0, 1000, 101);
    TCanvas top(200, 150);
    w.PaintTo(top, 0, 0);
    bar.SetPosition(900);
    TCanvas bottom(200, 150);
    w.PaintTo(bottom, 0, 0);
    // The thumb's lit top edge sits just below the upper arrow at the top, and lower at the end.
    EXPECT_EQ(top.GetPixel(64, 80 + 16), clWhite);
    EXPECT_NE(bottom.GetPixel(64, 80 + 16), clWhite);
}

static int DarkPixels(const TCanvas& c) {
    int n = 0;
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x)
            n += GetRValue(c.GetPixel(x, y)) < 64;
    return n;
}

TEST(ControlPicture, AccessKeyIsUnderlinedNotPrinted) {
    TButton marked, plain;
    marked.SetCaption("&Go");
    plain.SetCaption("Go");
    TCanvas a(75, 25), b(75, 25);
    marked.PaintTo(a, 0, 0);
    plain.PaintTo(b, 0, 0);
    int withMark = DarkPixels(a), without = DarkPixels(b);
    EXPECT_GT(without, 10);            // the caption is drawn
    EXPECT_GT(withMark, without);      // plus an underline
    EXPECT_LT(withMark, without + 20); // but no "&" glyph
}

TEST(ControlPicture, PasswordCharHidesTheText) {
    TEdit secret, stars, empty;
    secret.SetText("abc");
    secret.SetPasswordChar('*');
    stars.SetText("***");
    TCanvas a(121, 21), b(121, 21), none(121, 21);
    secret.PaintTo(a, 0, 0);
    stars.PaintTo(b, 0, 0);
    empty.PaintTo(none, 0, 0);
    // Something is drawn (small stars are grey at their edges, so count changed pixels).
    int drawn = 0;
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 121; ++x)
            drawn += a.GetPixel(x, y) != none.GetPixel(x, y);
    EXPECT_GT(drawn, 6);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 121; ++x)
            ASSERT_EQ(a.GetPixel(x, y), b.GetPixel(x, y)) << x << "," << y;
}
