// The graphics layer beside the libraries it stands on, measured in the same run:
// - text measuring (what line fitting does all the time) against FreeType loading each glyph
//   and against cairo's text extents; goal: at least 10 times faster than either, since the
//   layer measures from a per-font table of whole-pixel advances;
// - filling and nearest-pixel stretching against cairo doing the same on an image surface;
//   goal: within a factor of 2 of cairo (plain loops over the surface, no antialiasing).
#include <benchmark/benchmark.h>
#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

#include "platform/graphics/canvas.h"
#include "tests/support/fonts_env.h"

namespace {

const std::string& Paragraph() {
    static const std::string text = [] {
        std::string s;
        while (s.size() < 4096)
            s += "The quick brown fox jumps over the lazy dog; a site book keeps every page. ";
        return s;
    }();
    return text;
}

TFont BenchFont() {
    TFont f;
    f.Name = "Times New Roman";
    f.Size = 12;
    return f;
}

void BM_TextWidth_Folio(benchmark::State& state) {
    const auto font = BenchFont().Resolve();
    const std::string& s = Paragraph();
    for (auto _ : state)
        benchmark::DoNotOptimize(font->TextWidth(s));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
}
BENCHMARK(BM_TextWidth_Folio);

void BM_TextWidth_FreeTypeGlyphs(benchmark::State& state) {
    FT_Library lib;
    FT_Init_FreeType(&lib);
    FT_Face face;
    FT_New_Face(lib, BenchFont().Resolve()->FilePath().c_str(), 0, &face);
    FT_Set_Pixel_Sizes(face, 0, 16);
    const std::string& s = Paragraph();
    for (auto _ : state) {
        long w = 0;
        for (unsigned char c : s) {
            FT_Load_Char(face, c, FT_LOAD_DEFAULT);
            w += face->glyph->advance.x >> 6;
        }
        benchmark::DoNotOptimize(w);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
}
BENCHMARK(BM_TextWidth_FreeTypeGlyphs);

void BM_TextWidth_CairoExtents(benchmark::State& state) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 16, 16);
    cairo_t* cr = cairo_create(surface);
    cairo_set_font_face(cr, static_cast<cairo_font_face_t*>(BenchFont().Resolve()->CairoFace()));
    cairo_set_font_size(cr, 16);
    const std::string& s = Paragraph(); // ASCII, so also valid UTF-8
    cairo_text_extents_t extents;
    for (auto _ : state) {
        cairo_text_extents(cr, s.c_str(), &extents);
        benchmark::DoNotOptimize(extents.x_advance);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.size()));
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_TextWidth_CairoExtents);

constexpr int kW = 1024, kH = 768;

void BM_FillRect_Folio(benchmark::State& state) {
    TCanvas c(kW, kH);
    c.Brush.Color = RGB(10, 20, 30);
    for (auto _ : state)
        c.FillRect(Rect(0, 0, kW, kH));
    state.counters["Mpixels/s"] = benchmark::Counter(static_cast<double>(kW) * kH / 1e6,
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FillRect_Folio);

void BM_FillRect_Cairo(benchmark::State& state) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_source_rgb(cr, 0.1, 0.2, 0.3);
    for (auto _ : state) {
        cairo_rectangle(cr, 0, 0, kW, kH);
        cairo_fill(cr);
        cairo_surface_flush(surface);
    }
    state.counters["Mpixels/s"] = benchmark::Counter(static_cast<double>(kW) * kH / 1e6,
                                                     benchmark::Counter::kIsIterationInvariantRate);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_FillRect_Cairo);

TBitmap Picture() {
    TBitmap b(kW / 2, kH / 2, pf24bit);
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.SetPixel(x, y, RGB(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 77));
    return b;
}

void BM_StretchDraw_Folio(benchmark::State& state) {
    const TBitmap b = Picture();
    TCanvas c(kW, kH);
    for (auto _ : state)
        c.StretchDraw(Rect(0, 0, kW, kH), b);
    state.counters["Mpixels/s"] = benchmark::Counter(static_cast<double>(kW) * kH / 1e6,
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_StretchDraw_Folio);

void BM_StretchDraw_Cairo(benchmark::State& state) {
    const TCanvas source(Picture());
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
    cairo_t* cr = cairo_create(surface);
    for (auto _ : state) {
        cairo_save(cr);
        cairo_scale(cr, 2, 2);
        cairo_set_source_surface(cr, static_cast<cairo_surface_t*>(source.CairoSurface()), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_surface_flush(surface);
    }
    state.counters["Mpixels/s"] = benchmark::Counter(static_cast<double>(kW) * kH / 1e6,
                                                     benchmark::Counter::kIsIterationInvariantRate);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_StretchDraw_Cairo);

} // namespace

BENCHMARK_MAIN();
