#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "platform/base/exceptions.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/region.h"

namespace {

// Pixels of a colour inside a rectangle of the canvas.
int CountColor(const TCanvas& c, TColor color, TRect area) {
    int n = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            n += c.GetPixel(x, y) == color;
    return n;
}
int CountColor(const TCanvas& c, TColor color) {
    return CountColor(c, color, Rect(0, 0, c.Width(), c.Height()));
}

constexpr TColor kBlue = RGB(0, 0, 255);
constexpr TColor kGreen = RGB(0, 255, 0);

TEST(CanvasBasics, NewCanvasIsWhiteAndPixelsRoundTrip) {
    TCanvas c(5, 4);
    EXPECT_EQ(c.Width(), 5);
    EXPECT_EQ(c.Height(), 4);
    EXPECT_EQ(CountColor(c, clWhite), 20);
    c.SetPixel(2, 3, RGB(1, 2, 3));
    EXPECT_EQ(c.GetPixel(2, 3), RGB(1, 2, 3));
    c.SetPixel(5, 0, clRed); // outside: ignored
    EXPECT_EQ(c.GetPixel(5, 0), clBlack);
    EXPECT_EQ(c.GetPixel(-1, 0), clBlack);
    EXPECT_EQ(CountColor(c, clWhite), 19);
}

TEST(CanvasBasics, TooLargeOrNegativeSizes) {
    EXPECT_THROW(TCanvas(100000, 100000), EOutOfMemory);
    TCanvas c(-3, 5);
    EXPECT_EQ(c.Width(), 0);
    c.FillRect(Rect(0, 0, 10, 10)); // nothing to do, no crash
}

TEST(CanvasRects, FillRectCoversLeftTopButNotRightBottom) {
    TCanvas c(20, 20);
    c.Brush.Color = kBlue;
    c.FillRect(Rect(3, 4, 8, 10));
    EXPECT_EQ(CountColor(c, kBlue), 5 * 6);
    EXPECT_EQ(c.GetPixel(3, 4), kBlue);
    EXPECT_EQ(c.GetPixel(7, 9), kBlue);
    EXPECT_EQ(c.GetPixel(8, 9), clWhite);
    EXPECT_EQ(c.GetPixel(7, 10), clWhite);
    c.Brush.Style = bsClear;
    c.Brush.Color = clRed;
    c.FillRect(Rect(0, 0, 20, 20));
    EXPECT_EQ(CountColor(c, clRed), 0);
}

TEST(CanvasRects, RectangleFramesWithThePenInsideTheArea) {
    TCanvas c(20, 20);
    c.Pen.Color = clRed;
    c.Brush.Color = kBlue;
    c.Rectangle(2, 2, 7, 6); // 5 x 4
    EXPECT_EQ(CountColor(c, clRed), 2 * 5 + 2 * 2);
    EXPECT_EQ(CountColor(c, kBlue), 3 * 2);
    EXPECT_EQ(c.GetPixel(2, 2), clRed);
    EXPECT_EQ(c.GetPixel(6, 5), clRed);
    EXPECT_EQ(c.GetPixel(7, 5), clWhite);
    EXPECT_EQ(c.GetPixel(6, 6), clWhite);
    EXPECT_EQ(c.GetPixel(3, 3), kBlue);
}

TEST(CanvasRects, WidePenFrameStaysInside) {
    TCanvas c(20, 20);
    c.Pen.Color = clRed;
    c.Pen.Width = 3;
    c.Brush.Style = bsClear;
    c.Rectangle(Rect(1, 1, 11, 11));
    EXPECT_EQ(CountColor(c, clRed), 100 - 16);
    EXPECT_EQ(c.GetPixel(0, 0), clWhite);
    EXPECT_EQ(c.GetPixel(5, 5), clWhite);
}

TEST(CanvasRects, FrameRectAndInvertRect) {
    TCanvas c(10, 10);
    c.Brush.Color = clBlack;
    c.FrameRect(Rect(1, 1, 5, 5));
    EXPECT_EQ(CountColor(c, clBlack), 12);
    c.InvertRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(CountColor(c, clWhite), 12);
    EXPECT_EQ(CountColor(c, clBlack), 88);
}

TEST(CanvasLines, LineToStopsBeforeTheEndPoint) {
    TCanvas c(20, 20);
    c.MoveTo(2, 5);
    c.LineTo(12, 5);
    EXPECT_EQ(CountColor(c, clBlack), 10);
    EXPECT_EQ(c.GetPixel(2, 5), clBlack);
    EXPECT_EQ(c.GetPixel(11, 5), clBlack);
    EXPECT_EQ(c.GetPixel(12, 5), clWhite);
    EXPECT_EQ(c.PenPos(), Point(12, 5));
}

TEST(CanvasLines, DiagonalAndSteepLinesHaveOnePixelPerMajorStep) {
    TCanvas c(30, 30);
    c.MoveTo(0, 0);
    c.LineTo(10, 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(c.GetPixel(i, i), clBlack);
    EXPECT_EQ(CountColor(c, clBlack), 10);
    TCanvas s(30, 30);
    s.MoveTo(20, 25);
    s.LineTo(17, 5); // steep, going up
    EXPECT_EQ(CountColor(s, clBlack), 20);
    for (int y = 6; y <= 25; ++y)
        EXPECT_EQ(CountColor(s, clBlack, Rect(0, y, 30, y + 1)), 1) << y;
    EXPECT_EQ(s.GetPixel(20, 25), clBlack);
}

TEST(CanvasLines, DottedAndDashedPatterns) {
    TCanvas c(60, 3);
    c.Pen.Style = psDot;
    c.Brush.Style = bsClear;
    c.MoveTo(0, 1);
    c.LineTo(12, 1);
    // 3 on, 3 off.
    const char* expected = "xxx...xxx...";
    for (int x = 0; x < 12; ++x)
        EXPECT_EQ(c.GetPixel(x, 1) == clBlack, expected[x] == 'x') << x;
    TCanvas d(60, 3);
    d.Pen.Style = psDash;
    d.Brush.Color = kGreen; // opaque background paints the gaps
    d.MoveTo(0, 1);
    d.LineTo(48, 1);
    EXPECT_EQ(CountColor(d, clBlack), 36);
    EXPECT_EQ(CountColor(d, kGreen), 12);
    EXPECT_EQ(d.GetPixel(17, 1), clBlack);
    EXPECT_EQ(d.GetPixel(18, 1), kGreen);
    EXPECT_EQ(d.GetPixel(24, 1), clBlack);
}

TEST(CanvasLines, PatternContinuesAlongAPolyline) {
    TCanvas c(20, 20);
    c.Pen.Style = psDot;
    c.Brush.Style = bsClear;
    c.Polyline({{0, 0}, {4, 0}, {4, 8}});
    // Pattern positions 0..3 on the first segment, 4..11 on the second.
    EXPECT_EQ(c.GetPixel(3, 0), clWhite); // position 3: off
    EXPECT_EQ(c.GetPixel(4, 0), clWhite); // position 4: off
    EXPECT_EQ(c.GetPixel(4, 2), clBlack); // position 6: on
    EXPECT_EQ(c.GetPixel(4, 5), clWhite); // position 9: off
}

TEST(CanvasLines, HugeLinesAreClippedQuickly) {
    TCanvas c(10, 10);
    c.MoveTo(-2000000000, 5);
    c.LineTo(2000000000, 5);
    EXPECT_EQ(CountColor(c, clBlack), 10);
    c.MoveTo(-2000000000, -2000000000);
    c.LineTo(2000000000, 2000000000);
    EXPECT_EQ(c.GetPixel(3, 3), clBlack);
}

TEST(CanvasLines, WidePenIsSolidAndThick) {
    TCanvas c(30, 30);
    c.Pen.Width = 5;
    c.Pen.Color = clRed;
    c.MoveTo(5, 15);
    c.LineTo(25, 15);
    for (int y = 13; y <= 17; ++y)
        EXPECT_EQ(c.GetPixel(15, y), clRed) << y;
    EXPECT_EQ(c.GetPixel(15, 11), clWhite);
    EXPECT_EQ(c.GetPixel(15, 19), clWhite);
}

TEST(CanvasShapes, EllipseFillsTheRegionsPixelsAndNothingOutsideTheBox) {
    TCanvas c(40, 30);
    c.Pen.Color = clRed;
    c.Brush.Color = kBlue;
    const TRect box = Rect(5, 3, 32, 24);
    c.Ellipse(box);
    const TRegion r = TRegion::CreateEllipse(box);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const TColor p = c.GetPixel(x, y);
            EXPECT_EQ(p != clWhite, r.Contains(x, y)) << x << "," << y;
        }
    // The outline is the rim, the middle is brush.
    EXPECT_EQ(c.GetPixel(5, 13), clRed);
    EXPECT_EQ(c.GetPixel(31, 13), clRed);
    EXPECT_EQ(c.GetPixel(18, 13), kBlue);
    // The rim is closed: every row of the ellipse starts and ends with pen pixels.
    for (int y = box.Top; y < box.Bottom; ++y) {
        int first = -1, last = -1;
        for (int x = 0; x < 40; ++x)
            if (c.GetPixel(x, y) != clWhite) {
                if (first < 0)
                    first = x;
                last = x;
            }
        ASSERT_GE(first, 0) << y;
        EXPECT_EQ(c.GetPixel(first, y), clRed);
        EXPECT_EQ(c.GetPixel(last, y), clRed);
    }
}

TEST(CanvasShapes, PolygonFillMatchesRegionAndFillRule) {
    const std::vector<TPoint> star = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    for (TFillMode mode : {fmAlternate, fmWinding}) {
        TCanvas c(100, 100);
        c.Pen.Style = psClear;
        c.Brush.Color = kBlue;
        c.Polygon(star, mode);
        const TRegion r = TRegion::CreatePolygon(star, mode);
        int mismatches = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                mismatches += (c.GetPixel(x, y) == kBlue) != r.Contains(x, y);
        EXPECT_EQ(mismatches, 0) << mode;
        EXPECT_EQ(c.GetPixel(50, 50) == kBlue, mode == fmWinding);
    }
}

TEST(CanvasShapes, PolygonOutlineIsClosed) {
    TCanvas c(20, 20);
    c.Brush.Style = bsClear;
    c.Polygon({{2, 2}, {12, 2}, {12, 12}});
    EXPECT_EQ(c.GetPixel(2, 2), clBlack);
    EXPECT_EQ(c.GetPixel(12, 2), clBlack);
    EXPECT_EQ(c.GetPixel(12, 12), clBlack);
    EXPECT_EQ(c.GetPixel(7, 7), clBlack); // on the closing diagonal
}

TEST(CanvasClip, EveryPrimitiveRespectsTheClipRectangle) {
    TCanvas c(30, 30);
    c.SetClipRect(Rect(10, 10, 20, 20));
    c.Brush.Color = kBlue;
    c.Pen.Color = clRed;
    c.FillRect(Rect(0, 0, 30, 30));
    c.Rectangle(0, 0, 30, 30);
    c.Ellipse(0, 0, 30, 30);
    c.Polygon({{0, 0}, {29, 0}, {0, 29}});
    c.MoveTo(0, 15);
    c.LineTo(30, 15);
    c.SetPixel(5, 5, clRed);
    c.Font.Size = 20;
    c.TextOut(0, 8, "WWWWWWWW");
    TBitmap b(30, 30, pf24bit);
    b.Fill(kGreen);
    c.Draw(0, 0, b);
    EXPECT_EQ(CountColor(c, clWhite, Rect(0, 0, 30, 10)), 300);
    EXPECT_EQ(CountColor(c, clWhite, Rect(0, 20, 30, 30)), 300);
    EXPECT_EQ(CountColor(c, clWhite, Rect(0, 10, 10, 20)), 100);
    EXPECT_EQ(CountColor(c, clWhite, Rect(20, 10, 30, 20)), 100);
    EXPECT_EQ(CountColor(c, kGreen, Rect(10, 10, 20, 20)), 100);
    c.ClearClipRect();
    EXPECT_EQ(c.ClipRect(), Rect(0, 0, 30, 30));
    c.SetClipRect(Rect(-5, -5, 100, 4));
    EXPECT_EQ(c.ClipRect(), Rect(0, 0, 30, 4));
}

TEST(CanvasRasterOps, AndOrXorInvertCombineWithTheDestination) {
    TBitmap src(1, 1, pf24bit);
    src.SetPixel(0, 0, RGB(0xF0, 0x0F, 0x33));
    struct Case {
        TCopyMode mode;
        TColor expected;
    } cases[] = {
        {cmSrcCopy, RGB(0xF0, 0x0F, 0x33)},
        {cmSrcAnd, RGB(0xA0, 0x0A, 0x22)},
        {cmSrcPaint, RGB(0xFA, 0xAF, 0xBB)},
        {cmSrcInvert, RGB(0x5A, 0xA5, 0x99)},
        {cmDstInvert, RGB(0x55, 0x55, 0x55)},
        {cmNotSrcCopy, RGB(0x0F, 0xF0, 0xCC)},
        {cmDstAndNotSrc, RGB(0x0A, 0xA0, 0x88)},
        {cmBlackness, clBlack},
        {cmWhiteness, clWhite},
    };
    for (const Case& k : cases) {
        TCanvas c(3, 3);
        c.Brush.Color = RGB(0xAA, 0xAA, 0xAA);
        c.FillRect(Rect(0, 0, 3, 3));
        c.StretchBlt(Rect(1, 1, 2, 2), src, Rect(0, 0, 1, 1), k.mode);
        EXPECT_EQ(c.GetPixel(1, 1), k.expected) << k.mode;
        EXPECT_EQ(c.GetPixel(0, 0), RGB(0xAA, 0xAA, 0xAA));
    }
}

TEST(CanvasRasterOps, MaskAndThenImageOrMakesTransparency) {
    // The classic two-pass transparent draw: AND the mask (white = transparent), then OR the
    // image whose transparent pixels are black.
    TBitmap image(2, 1, pf24bit), mask(2, 1, pf1bit);
    image.SetPixel(0, 0, clRed);
    mask.SetPixel(1, 0, clWhite);
    TCanvas c(2, 1);
    c.Brush.Color = kBlue;
    c.FillRect(Rect(0, 0, 2, 1));
    c.CopyMode = cmSrcAnd;
    c.Draw(0, 0, mask);
    c.CopyMode = cmSrcPaint;
    c.Draw(0, 0, image);
    EXPECT_EQ(c.GetPixel(0, 0), clRed);
    EXPECT_EQ(c.GetPixel(1, 0), kBlue);
}

TEST(CanvasRasterOps, PatBltXorsTheBrushColour) {
    TCanvas c(2, 2);
    c.Brush.Color = RGB(0xFF, 0, 0);
    c.PatBlt(Rect(0, 0, 1, 2), cmSrcInvert);
    EXPECT_EQ(c.GetPixel(0, 0), RGB(0, 0xFF, 0xFF));
    EXPECT_EQ(c.GetPixel(1, 0), clWhite);
}

TEST(CanvasBlits, DrawMaskedLeavesTheBackgroundWhereTheMaskIsWhite) {
    TBitmap image(3, 1, pf8bit), mask(3, 1, pf1bit);
    image.Palette() = TPalette({{255, 0, 0}, {0, 255, 0}});
    image.SetIndex(0, 0, 0);
    image.SetIndex(1, 0, 1); // green, but masked out: need not be black
    image.SetIndex(2, 0, 1);
    mask.SetIndex(1, 0, 1);
    TCanvas c(6, 2);
    c.Brush.Color = kBlue;
    c.FillRect(Rect(0, 0, 6, 2));
    c.DrawMasked(Rect(0, 0, 6, 2), image, mask); // stretched twice
    EXPECT_EQ(c.GetPixel(0, 0), clRed);
    EXPECT_EQ(c.GetPixel(1, 1), clRed);
    EXPECT_EQ(c.GetPixel(2, 0), kBlue);
    EXPECT_EQ(c.GetPixel(3, 1), kBlue);
    EXPECT_EQ(c.GetPixel(4, 0), kGreen);
    EXPECT_EQ(c.GetPixel(5, 1), kGreen);
    TBitmap wrongMask(2, 1, pf1bit);
    c.DrawMasked(Rect(0, 0, 6, 2), image, wrongMask); // refused: sizes differ
    EXPECT_EQ(c.GetPixel(2, 0), kBlue);
}

TEST(CanvasBlits, StretchPicksTheNearestPixel) {
    TBitmap b(2, 2, pf24bit);
    b.SetPixel(0, 0, clRed);
    b.SetPixel(1, 0, kGreen);
    b.SetPixel(0, 1, kBlue);
    b.SetPixel(1, 1, clWhite);
    TCanvas c(6, 6);
    c.StretchDraw(Rect(0, 0, 6, 6), b);
    EXPECT_EQ(CountColor(c, clRed, Rect(0, 0, 3, 3)), 9);
    EXPECT_EQ(CountColor(c, kGreen, Rect(3, 0, 6, 3)), 9);
    EXPECT_EQ(CountColor(c, kBlue, Rect(0, 3, 3, 6)), 9);
    // Shrinking a 6-wide picture to 2 samples the centres of each third.
    TCanvas small(2, 1);
    small.StretchBlt(Rect(0, 0, 2, 1), c, Rect(0, 0, 6, 1), cmSrcCopy);
    EXPECT_EQ(small.GetPixel(0, 0), clRed);
    EXPECT_EQ(small.GetPixel(1, 0), kGreen);
}

TEST(CanvasBlits, CopyRectOntoItselfHandlesOverlap) {
    TCanvas c(10, 1);
    for (int x = 0; x < 10; ++x)
        c.SetPixel(x, 0, RGB(static_cast<uint8_t>(x), 0, 0));
    c.CopyRect(Rect(2, 0, 10, 1), c, Rect(0, 0, 8, 1));
    for (int x = 2; x < 10; ++x)
        EXPECT_EQ(c.GetPixel(x, 0), RGB(static_cast<uint8_t>(x - 2), 0, 0)) << x;
}

TEST(CanvasBlits, BitmapsOfEveryFormatDrawThroughTheirColours) {
    TBitmap mono(8, 1, pf1bit);
    mono.SetIndex(7, 0, 1);
    TCanvas c(8, 2);
    c.Brush.Color = kBlue;
    c.FillRect(Rect(0, 0, 8, 2));
    c.Draw(0, 1, mono);
    EXPECT_EQ(c.GetPixel(0, 1), clBlack);
    EXPECT_EQ(c.GetPixel(7, 1), clWhite);
    EXPECT_EQ(c.GetPixel(0, 0), kBlue);
    // Parts of the source outside the bitmap leave the canvas alone.
    c.StretchBlt(Rect(0, 0, 8, 1), mono, Rect(4, 0, 12, 1), cmSrcCopy);
    EXPECT_EQ(c.GetPixel(3, 0), clWhite);
    EXPECT_EQ(c.GetPixel(4, 0), kBlue);
}

TEST(CanvasBitmaps, CanvasFromBitmapAndBackIsLossless) {
    TBitmap b(7, 3, pf24bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            b.SetPixel(x, y, RGB(static_cast<uint8_t>(x * 30), static_cast<uint8_t>(y * 70), 9));
    TCanvas c(b);
    EXPECT_EQ(c.Width(), 7);
    TBitmap back = c.ToBitmap();
    ASSERT_EQ(back.Width(), 7);
    ASSERT_EQ(back.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(back.GetPixel(x, y), b.GetPixel(x, y));
    TBitmap part = c.ToBitmap(Rect(5, 1, 20, 20));
    EXPECT_EQ(part.Width(), 2);
    EXPECT_EQ(part.Height(), 2);
    EXPECT_EQ(part.GetPixel(1, 1), b.GetPixel(6, 2));
}

TEST(CanvasPng, WrittenFileReadsBackWithTheSamePixels) {
    TCanvas c(13, 7);
    c.Brush.Color = RGB(12, 34, 56);
    c.FillRect(Rect(2, 2, 9, 5));
    c.SetPixel(12, 6, RGB(200, 100, 50));
    char name[] = "/tmp/folio-canvas-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    const std::string file = std::string(name) + ".png";
    std::rename(name, file.c_str());
    ASSERT_TRUE(c.SaveToPNG(file));
    cairo_surface_t* s = cairo_image_surface_create_from_png(file.c_str());
    ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(s), 13);
    EXPECT_EQ(cairo_image_surface_get_height(s), 7);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    auto at = [&](int x, int y) {
        const uint32_t p = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    };
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            EXPECT_EQ(at(x, y), c.GetPixel(x, y)) << x << "," << y;
    cairo_surface_destroy(s);
    std::remove(file.c_str());
    EXPECT_FALSE(c.SaveToPNG("/nonexistent-folder/x.png"));
}

} // namespace

namespace {

// Pages can ask for anything (an image 2000000000 pixels wide, text far off the page): the
// canvas must draw what meets the surface and never overflow.
TEST(CanvasExtremes, HugeCoordinatesDrawWhatIsVisibleOnly) {
    const int big = 2000000000;
    TCanvas c(20, 20);
    c.Brush.Color = kBlue;
    c.Pen.Width = big;
    c.Rectangle(-big, -big, big, big);
    EXPECT_EQ(CountColor(c, clBlack), 400); // all frame
    c.Pen.Width = 1;
    c.Ellipse(-big, -big, big, big);
    EXPECT_EQ(c.GetPixel(10, 10), kBlue);
    TBitmap b(2, 2, pf24bit);
    b.Fill(kGreen);
    c.StretchDraw(Rect(-big, -big, big, big), b);
    EXPECT_EQ(CountColor(c, kGreen), 400);
    c.Draw(big, big, b);
    c.Draw(-big - 100, 0, b);
    c.StretchBlt(Rect(0, 0, 20, 20), b, Rect(-big, -big, big, big), cmSrcCopy);
    c.Brush.Style = bsClear;
    c.TextOut(big, big, "far away");
    c.TextOut(-big, -big, "far away");
    c.TextAlign = taBaseline;
    c.TextOut(5, -big - 100, "above");
    c.TextAlign = taBottom;
    c.Font.Underline = true;
    c.TextOut(-5, 2147483647, std::string(100000, 'W'));
    c.Pen.Width = 7;
    c.MoveTo(-big, 10);
    c.LineTo(big, 10);
    EXPECT_EQ(c.GetPixel(10, 10), clBlack);
    c.Polygon({{-big, -big}, {big, 0}, {0, big}});
    EXPECT_EQ(CountColor(c, clBlack, Rect(0, 0, 20, 20)) > 0, true);
}

TEST(CanvasExtremes, LongTextMeasuresWithoutOverflow) {
    TCanvas c(10, 10);
    const std::u32string text(3000000, U'W');
    c.Font.Size = 1000;
    EXPECT_EQ(c.TextWidth(text), 2147483647);
    EXPECT_EQ(c.TextWidth(std::string(3000000, 'W')), 2147483647);
    std::vector<int> partials;
    EXPECT_LT(c.ResolvedFont()->FitCount(text, 1000000, &partials), 3000000);
    EXPECT_EQ(partials.back(), 2147483647);
}

} // namespace
