// A scene of every shape primitive compared pixel for pixel with a stored picture, so that a
// change in how any edge is rasterised shows up. Text is left out: glyph rendering belongs to
// FreeType and may change with its version. Set FOLIO_UPDATE_GOLDEN=1 to rewrite the picture
// after a deliberate change (then look at it before committing).
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <string>

#include "platform/graphics/canvas.h"

namespace {

void DrawScene(TCanvas& c) {
    c.Brush.Color = RGB(240, 240, 224);
    c.FillRect(Rect(0, 0, c.Width(), c.Height()));
    c.Pen.Color = RGB(200, 0, 0);
    c.Brush.Color = RGB(0, 96, 200);
    c.Rectangle(4, 4, 40, 30);
    c.Ellipse(44, 4, 90, 30);
    c.Ellipse(94, 4, 101, 11);  // small odd box
    c.Ellipse(94, 14, 102, 22); // small even box
    c.Pen.Width = 3;
    c.Ellipse(104, 4, 150, 40);
    c.Rectangle(4, 34, 40, 60);
    c.Pen.Width = 1;
    c.Brush.Color = RGB(0, 160, 0);
    c.Polygon({{60, 40}, {75, 85}, {44, 58}, {90, 58}, {52, 85}}, fmAlternate);
    c.Polygon({{110, 44}, {125, 89}, {94, 62}, {140, 62}, {102, 89}}, fmWinding);
    c.Brush.Style = bsClear;
    const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot};
    for (int i = 0; i < 5; ++i) {
        c.Pen.Style = styles[i];
        c.MoveTo(4, 94 + 4 * i);
        c.LineTo(150, 94 + 4 * i + i);
    }
    c.Pen.Style = psSolid;
    c.Polyline({{4, 120}, {30, 150}, {60, 122}, {90, 149}, {120, 121}, {150, 150}});
    c.MoveTo(150, 120);
    c.LineTo(140, 150); // steep
    c.Pen.Width = 4;
    c.Pen.Color = RGB(128, 0, 128);
    c.MoveTo(10, 155);
    c.LineTo(140, 158);
    c.Brush.Style = bsSolid;
    c.Brush.Color = RGB(255, 255, 0);
    c.SetClipRect(Rect(20, 100, 60, 130));
    c.Pen.Width = 1;
    c.Ellipse(0, 90, 80, 140);
    c.ClearClipRect();
    c.Brush.Color = RGB(0x0F, 0xF0, 0x55);
    c.PatBlt(Rect(100, 100, 140, 115), cmSrcInvert);
}

TEST(GoldenPicture, ShapesMatchTheStoredPicture) {
    TCanvas c(160, 164);
    DrawScene(c);
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    const std::string file =
        std::string(src != nullptr ? src : ".") + "/tests/data/graphics/shapes.png";
    const char* update = std::getenv("FOLIO_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        ASSERT_TRUE(c.SaveToPNG(file));
        GTEST_SKIP() << "rewrote " << file;
    }
    cairo_surface_t* s = cairo_image_surface_create_from_png(file.c_str());
    ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS) << file;
    ASSERT_EQ(cairo_image_surface_get_width(s), c.Width());
    ASSERT_EQ(cairo_image_surface_get_height(s), c.Height());
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    int differences = 0;
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x) {
            const uint32_t p = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
            const TColor expected = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
            if (c.GetPixel(x, y) != expected && ++differences <= 10)
                ADD_FAILURE() << "pixel " << x << "," << y;
        }
    EXPECT_EQ(differences, 0);
    cairo_surface_destroy(s);
}

} // namespace
