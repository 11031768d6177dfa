// Zoom as browsers do it: a zoom of z makes every CSS pixel z device pixels. A page laid out
// at zoom 2 must therefore look exactly like the same page written with every length doubled
// and laid out at zoom 1: text in points and pixels, style lengths (margins, padding, borders,
// widths, line heights, indents), attribute lengths (WIDTH, HEIGHT, BORDER, CELLPADDING,
// HSPACE) and pictures at their own size.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "html/load/headless_page.h"
#include "platform/graphics/canvas.h"
#include "tests/support/fonts_env.h"

namespace fs = std::filesystem;

namespace {

std::string LayoutDir() {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return (fs::path(src && *src ? src : fs::current_path().string()) / "tests/data/layout")
        .string();
}

struct TShot {
    std::string Dump;
    int32_t Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
};

TShot Shoot(const std::string& html, double zoom, int32_t width) {
    THeadlessPage p;
    p.SetZoom(zoom);
    p.LoadHtml(html, LayoutDir());
    p.LayOut(width);
    TShot s;
    s.Dump = p.Dump();
    s.Width = p.Width();
    s.Height = std::clamp(p.DocHeight(), 1, 4000);
    TCanvas canvas(s.Width, s.Height);
    p.Paint(canvas, 0);
    canvas.Flush();
    for (int y = 0; y < s.Height; ++y)
        for (int x = 0; x < s.Width; ++x)
            s.Pixels.push_back(canvas.Row(y)[x] & 0xFFFFFF);
    return s;
}

// The page as written (CSS pixels) ...
const char* const kPage = R"(<html><head><style>
body { margin: 6px 9px; font-family: Arial; font-size: 10pt }
h1 { font-size: 14pt; margin: 4px 0 8px 3px; line-height: 20px }
p.box { border: 2px solid #336699; padding: 3px 5px; width: 150px; text-indent: 7px;
        letter-spacing: 1px; font-size: 9px }
span.up { vertical-align: 3px; font-size: 8pt }
</style></head><body>
<h1>Seeds and bulbs</h1>
<p class=box>Sow <span class=up>thinly</span> in rows a hand apart, and water well.</p>
<table border=1 cellpadding=3 cellspacing=2 width=220><tr><td width=60>Beans</td>
<td>Peas and <img src="blue40x10.gif" hspace=2> lentils</td></tr></table>
<img src="red40x10.gif" width=30 height=15 border=1>
</body></html>)";

// ... and the same page with every length doubled, for zoom 1.
const char* const kDoubled = R"(<html><head><style>
body { margin: 12px 18px; font-family: Arial; font-size: 20pt }
h1 { font-size: 28pt; margin: 8px 0 16px 6px; line-height: 40px }
p.box { border: 4px solid #336699; padding: 6px 10px; width: 300px; text-indent: 14px;
        letter-spacing: 2px; font-size: 18px }
span.up { vertical-align: 6px; font-size: 16pt }
</style></head><body>
<h1>Seeds and bulbs</h1>
<p class=box>Sow <span class=up>thinly</span> in rows a hand apart, and water well.</p>
<table border=2 cellpadding=6 cellspacing=4 width=440><tr><td width=120>Beans</td>
<td>Peas and <img src="blue40x10.gif" width=80 height=20 hspace=4> lentils</td></tr></table>
<img src="red40x10.gif" width=60 height=30 border=2>
</body></html>)";

TEST(Zoom, APageAtZoomTwoIsThePageWithEveryLengthDoubled) {
    const TShot zoomed = Shoot(kPage, 2, 800);
    const TShot doubled = Shoot(kDoubled, 1, 800);
    EXPECT_EQ(zoomed.Dump, doubled.Dump);
    EXPECT_EQ(zoomed.Height, doubled.Height);
    EXPECT_TRUE(zoomed.Pixels == doubled.Pixels) << "the pictures differ";
}

TEST(Zoom, PointAndPixelSizesChangeThePicture) {
    // The page gives its sizes in points and pixels, so a larger default font alone would
    // leave it as it was; the zoom makes it larger and lower.
    const TShot plain = Shoot(kPage, 1, 800);
    const TShot zoomed = Shoot(kPage, 1.5, 800);
    EXPECT_NE(plain.Dump, zoomed.Dump);
    EXPECT_FALSE(plain.Pixels == zoomed.Pixels);
    EXPECT_GT(zoomed.Height, plain.Height * 13 / 10);
    // Zoom 1 is the page as written.
    EXPECT_EQ(plain.Dump, Shoot(kPage, 1, 800).Dump);
}

TEST(Zoom, RelativeSizesAreNotScaledTwice) {
    // 150% of the zoomed default (12pt at zoom 2: 24pt) is 36pt; a margin of 2em follows the
    // zoomed font it is taken against (24pt, 32 pixels: 64); a percentage width follows the
    // page. None of them is scaled a second time.
    const TShot relative =
        Shoot("<body style='margin:0'><p style='font-size:150%; margin:0 0 0 2em; width:50%'>"
              "Relative sizes follow what is zoomed already</p>",
              2, 800);
    const TShot fixed =
        Shoot("<body style='margin:0'><p style='font-size:36pt; margin:0 0 0 64px; width:50%'>"
              "Relative sizes follow what is zoomed already</p>",
              1, 800);
    EXPECT_EQ(relative.Dump, fixed.Dump);
}

} // namespace
