// PNG decoding in megapixels per second: our reader (libpng delivering RGBA rows, split into
// the 24-bit bitmap and the transparency map) beside libpng's own png_read_png with the same
// expansions (palette and small greys to 8 bits, tRNS to alpha, 16-bit samples scaled to 8,
// grey to RGB) on the same files, written at start-up with libpng's encoder.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "html/image/png_reader.h"

namespace {

struct TSample {
    std::vector<uint8_t> bytes;
    int64_t pixels = 0;
};

void WriteToVector(png_structp png, png_bytep data, size_t len) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + len);
}

void NoFlush(png_structp) {}

// A smooth, photo-like sample with a little deterministic grain, 0 .. 1.
double Photo(int x, int y, int c) {
    double v = 0.5 + 0.22 * std::sin(x * 0.021 + c) + 0.18 * std::cos(y * 0.017 + c * 0.5) +
               0.08 * std::sin((x + y) * 0.05);
    const uint32_t h = static_cast<uint32_t>(x * 73856093u ^ y * 19349663u ^ c * 83492791u);
    v += static_cast<int>((h >> 13) % 7 - 3) * 0.004;
    return std::fmin(1.0, std::fmax(0.0, v));
}

TSample MakePng(int w, int h, int colorType, int depth, bool interlaced) {
    TSample s;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &s.bytes, WriteToVector, NoFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), depth,
                 colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        std::vector<png_color> pal(256);
        std::vector<png_byte> alpha(256);
        for (int i = 0; i < 256; ++i) {
            pal[static_cast<size_t>(i)] = {static_cast<png_byte>(i), static_cast<png_byte>(i * 7),
                                           static_cast<png_byte>(255 - i)};
            alpha[static_cast<size_t>(i)] = static_cast<png_byte>(i < 8 ? 0 : 255);
        }
        png_set_PLTE(png, info, pal.data(), 256);
        png_set_tRNS(png, info, alpha.data(), 256, nullptr);
    }
    png_write_info(png, info);
    png_set_swap(png); // our 16-bit samples are kept in the machine's order below
    const int channels = colorType == PNG_COLOR_TYPE_RGBA         ? 4
                         : colorType == PNG_COLOR_TYPE_RGB        ? 3
                         : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                  : 1;
    const int bytes = depth == 16 ? 2 : 1;
    std::vector<png_byte> image(static_cast<size_t>(w) * h * channels * bytes);
    std::vector<png_bytep> rows(static_cast<size_t>(h));
    const double top = depth == 16 ? 65535.0 : 255.0;
    for (int y = 0; y < h; ++y) {
        png_bytep row = image.data() + static_cast<size_t>(y) * w * channels * bytes;
        rows[static_cast<size_t>(y)] = row;
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c) {
                const double v = c == 3 || (c == 1 && channels == 2)
                                     ? 0.5 + 0.5 * std::sin(x * 0.01) // alpha: soft edges
                                     : Photo(x, y, c);
                const auto q = static_cast<uint16_t>(std::lround(v * top));
                png_bytep p = row + (static_cast<size_t>(x) * channels + c) * bytes;
                if (bytes == 2)
                    std::memcpy(p, &q, 2);
                else
                    *p = static_cast<png_byte>(q);
            }
    }
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    s.pixels = static_cast<int64_t>(w) * h;
    return s;
}

const std::vector<TSample>& Samples() {
    static const std::vector<TSample> samples = {
        MakePng(32, 32, PNG_COLOR_TYPE_RGBA, 8, false),        // icon
        MakePng(640, 480, PNG_COLOR_TYPE_RGB, 8, false),       // photo
        MakePng(640, 480, PNG_COLOR_TYPE_RGBA, 8, false),      // picture with soft edges
        MakePng(1600, 1200, PNG_COLOR_TYPE_PALETTE, 8, false), // large palette picture
        MakePng(400, 300, PNG_COLOR_TYPE_RGBA, 16, true),      // 16-bit interlaced
    };
    return samples;
}

struct TReader {
    const std::vector<uint8_t>* bytes;
    size_t pos = 0;
};

void ReadFromVector(png_structp png, png_bytep out, size_t len) {
    auto* r = static_cast<TReader*>(png_get_io_ptr(png));
    if (len > r->bytes->size() - r->pos)
        png_error(png, "short");
    std::memcpy(out, r->bytes->data() + r->pos, len);
    r->pos += len;
}

void BM_Folio(benchmark::State& state) {
    const TSample& s = Samples()[static_cast<size_t>(state.range(0))];
    for (auto _ : state) {
        std::unique_ptr<TBitmap> map;
        auto bitmap = ReadPNG(s.bytes.data(), s.bytes.size(), &map);
        benchmark::DoNotOptimize(bitmap.get());
        if (!bitmap)
            state.SkipWithError("decode failed");
    }
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(s.pixels) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Libpng(benchmark::State& state) {
    const TSample& s = Samples()[static_cast<size_t>(state.range(0))];
    for (auto _ : state) {
        TReader r{&s.bytes};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) {
            png_destroy_read_struct(&png, &info, nullptr);
            state.SkipWithError("libpng failed");
            break;
        }
        png_set_read_fn(png, &r, ReadFromVector);
        png_read_png(png, info,
                     PNG_TRANSFORM_EXPAND | PNG_TRANSFORM_SCALE_16 | PNG_TRANSFORM_GRAY_TO_RGB,
                     nullptr);
        benchmark::DoNotOptimize(png_get_rows(png, info));
        png_destroy_read_struct(&png, &info, nullptr);
    }
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(s.pixels) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

// 0 icon 32x32 RGBA, 1 photo 640x480 RGB, 2 640x480 RGBA, 3 1600x1200 palette with tRNS,
// 4 400x300 RGBA 16-bit interlaced.
BENCHMARK(BM_Folio)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Libpng)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
