// Reducing a 24-bit photo-like picture to 256 colours with dithering: our octree palette with
// Floyd-Steinberg (reduction mode 5) beside libimagequant (quantise and remap with dithering)
// on the same picture. Reports time and the mean squared error against the original.
#include <benchmark/benchmark.h>
#include <libimagequant.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "html/image/dither.h"

namespace {

constexpr int kW = 800, kH = 600;

// Smooth gradients with soft shapes and a little grain, as a photograph has.
const TBitmap& Photo() {
    static const TBitmap photo = [] {
        TBitmap b(kW, kH, pf24bit);
        for (int y = 0; y < kH; ++y) {
            uint8_t* row = b.ScanLine(y);
            for (int x = 0; x < kW; ++x) {
                double fx = x / double(kW), fy = y / double(kH);
                double sky = 1.0 - fy;
                double blob = std::exp(-((fx - 0.6) * (fx - 0.6) + (fy - 0.55) * (fy - 0.55)) * 18);
                uint32_t h = static_cast<uint32_t>(x * 73856093u ^ y * 19349663u);
                double grain = ((h >> 11) % 9 - 4) * 1.5;
                double r = 60 + 120 * sky * 0.4 + 180 * blob + 30 * std::sin(fx * 9) + grain;
                double g = 90 + 100 * sky + 60 * blob * std::cos(fy * 5) + grain;
                double bl = 120 + 130 * sky - 90 * blob + 20 * std::cos(fx * 13 + fy * 7) + grain;
                auto c = [](double v) { return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0)); };
                row[3 * x + 0] = c(bl);
                row[3 * x + 1] = c(g);
                row[3 * x + 2] = c(r);
            }
        }
        return b;
    }();
    return photo;
}

double Mse(const TBitmap& reduced) {
    const TBitmap& p = Photo();
    double sum = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            TColor a = p.GetPixel(x, y), b = reduced.GetPixel(x, y);
            double dr = GetRValue(a) - GetRValue(b), dg = GetGValue(a) - GetGValue(b),
                   db = GetBValue(a) - GetBValue(b);
            sum += dr * dr + dg * dg + db * db;
        }
    return sum / (3.0 * kW * kH);
}

void BM_FolioOctree(benchmark::State& state) {
    const TBitmap& photo = Photo();
    std::unique_ptr<TBitmap> out;
    for (auto _ : state) {
        out = ReduceColors(photo, rmQuantizeWindows, dmFloydSteinberg);
        benchmark::DoNotOptimize(out.get());
    }
    state.counters["MP/s"] =
        benchmark::Counter(kW * kH / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MSE"] = Mse(*out);
}

void BM_Libimagequant(benchmark::State& state) {
    const TBitmap& photo = Photo();
    std::vector<uint8_t> rgba(static_cast<size_t>(kW) * kH * 4);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            TColor c = photo.GetPixel(x, y);
            uint8_t* p = &rgba[(static_cast<size_t>(y) * kW + x) * 4];
            p[0] = GetRValue(c), p[1] = GetGValue(c), p[2] = GetBValue(c), p[3] = 255;
        }
    std::vector<uint8_t> indices(static_cast<size_t>(kW) * kH);
    TBitmap out(kW, kH, pf8bit);
    for (auto _ : state) {
        liq_attr* attr = liq_attr_create();
        liq_set_max_colors(attr, 256);
        liq_image* img = liq_image_create_rgba(attr, rgba.data(), kW, kH, 0);
        liq_result* res = nullptr;
        if (liq_image_quantize(img, attr, &res) != LIQ_OK) {
            state.SkipWithError("libimagequant failed");
            break;
        }
        liq_set_dithering_level(res, 1.0f);
        liq_write_remapped_image(res, img, indices.data(), indices.size());
        const liq_palette* pal = liq_get_palette(res);
        std::vector<TPaletteEntry> entries;
        for (unsigned i = 0; i < pal->count; ++i)
            entries.push_back({pal->entries[i].r, pal->entries[i].g, pal->entries[i].b});
        out.Palette() = TPalette(std::move(entries));
        liq_result_destroy(res);
        liq_image_destroy(img);
        liq_attr_destroy(attr);
    }
    for (int y = 0; y < kH; ++y)
        std::memcpy(out.ScanLine(y), &indices[static_cast<size_t>(y) * kW], kW);
    state.counters["MP/s"] =
        benchmark::Counter(kW * kH / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MSE"] = Mse(out);
}

} // namespace

BENCHMARK(BM_FolioOctree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libimagequant)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
