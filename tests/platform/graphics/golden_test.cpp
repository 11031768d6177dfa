// A scene of every shape primitive compared pixel for pixel with a stored picture, so that a
// change in how any edge is rasterised shows up. Text is left out there: glyph rendering belongs
// to FreeType and may change with its version; a page of text in many scripts is compared
// with a tolerance instead. Set FOLIO_UPDATE_GOLDEN=1 to rewrite the pictures after a
// deliberate change (then look at them before committing).
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdlib>
#include <string>

#include "platform/graphics/canvas.h"
#include "tests/support/fonts_env.h"
#include "tests/support/picture_compare.h"
#include "tests/support/update_expected.h"

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

std::string SourceDir() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return src != nullptr && *src != '\0' ? src : ".";
}

bool UpdateGolden() {
    return folio_test::UpdatingExpected("FOLIO_UPDATE_GOLDEN");
}

TEST(GoldenPicture, ShapesMatchTheStoredPicture) {
    TCanvas c(160, 164);
    DrawScene(c);
    const std::string file = SourceDir() + "/tests/data/graphics/shapes.png";
    if (UpdateGolden()) {
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

// Lines of a page mixing scripts, each with the font it is set in. Every character but the one
// marked has an installed font; the faces that draw them are Liberation, DejaVu and Droid Sans
// Fallback (see tests/data/fontconfig/fonts.conf).
struct TScriptLine {
    const char* family;
    int size;
    bool bold, italic, underline;
    const char* utf8;
};
constexpr TScriptLine kScriptLines[] = {
    {"Times New Roman", 12, false, false, false,
     "Caf\u00E9 cr\u00E8me \u2014 \u201Cna\u00EFve\u201D fa\u00E7ade, 5 \u20AC, \u00BD \u00D8"},
    {"Arial", 12, false, false, false,
     "\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC \u00B7 "
     "\u0420\u0443\u0441\u0441\u043A\u0438\u0439 "
     "\u0442\u0435\u043A\u0441\u0442 \u00B7 \u0141\u00F3d\u017A"},
    {"Times New Roman", 14, false, false, false,
     "\u4E2D\u6587\u6587\u672C \u65E5\u672C\u8A9E\u306E\u6587 \uD55C\uAD6D\uC5B4"},
    {"Arial", 12, true, false, false,
     "\u2190 \u2192 \u21D2 \u21D4 \u2200x \u2203y \u263A \u2603 \u2660\u2665 \u2713 \u2022"},
    {"Courier New", 11, false, true, true,
     "Link: \u6771\u4EAC \u21D2 \u041C\u043E\u0441\u043A\u0432\u0430 [\u0378]"},
};

TEST(GoldenPicture, TextInEveryScriptMatchesTheStoredPicture) {
    TCanvas c(360, 148);
    c.Brush.Style = bsClear;
    int y = 4;
    for (const TScriptLine& line : kScriptLines) {
        c.Font.Name = line.family;
        c.Font.Size = line.size;
        c.Font.Bold = line.bold;
        c.Font.Italic = line.italic;
        c.Font.Underline = line.underline;
        c.Font.Color = line.underline ? RGB(0, 0, 160) : clBlack;
        c.TextOut(6, y, line.utf8);
        const auto font = c.ResolvedFont();
        // No box where a font exists: only the unassigned U+0378 is missing.
        for (char32_t ch : Utf8ToU32(line.utf8))
            EXPECT_EQ(font->GlyphFor(ch).Missing, ch == U'\u0378')
                << line.family << " U+" << std::hex << static_cast<unsigned>(ch);
        y += font->Metrics().Height + 8;
    }
    ASSERT_LE(y, c.Height());
    const std::string file = SourceDir() + "/tests/data/graphics/scripts.png";
    if (UpdateGolden()) {
        ASSERT_TRUE(c.SaveToPNG(file));
        GTEST_SKIP() << "rewrote " << file;
    }
    const auto diff = folio_test::ComparePicture(file, c, 48);
    ASSERT_TRUE(diff.Comparable) << diff.Why;
    EXPECT_LE(diff.Different, diff.Total / 200)
        << diff.Different << " of " << diff.Total << " pixels differ";
}

} // namespace
