// GIF decoding in megapixels per second: our decoder (a full load: LZW, colours, frame
// bitmaps and the first composition) beside giflib's DGifSlurp (LZW into index rasters) on
// the same files, made at start-up with giflib's encoder from deterministic pictures.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "html/image/gif_image.h"

namespace {

struct TSample {
    std::vector<uint8_t> bytes;
    int64_t pixels = 0; // pixels of all frames
};

int WriteToVector(GifFileType* gif, const GifByteType* data, int len) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + len);
    return len;
}

// A smooth, photo-like index picture: overlapping waves with a little deterministic grain.
uint8_t PhotoIndex(int x, int y, int frame, int colours) {
    double v = 0.5 + 0.22 * std::sin(x * 0.021 + frame * 0.3) + 0.18 * std::cos(y * 0.017) +
               0.08 * std::sin((x + y) * 0.05);
    uint32_t h = static_cast<uint32_t>(x * 73856093u ^ y * 19349663u ^ frame * 83492791u);
    v += ((h >> 13) % 7 - 3) * 0.004;
    int i = static_cast<int>(v * colours);
    return static_cast<uint8_t>(std::clamp(i, 0, colours - 1));
}

TSample MakeGif(int w, int h, int frames, int colourBits) {
    TSample s;
    int err = 0;
    GifFileType* gif = EGifOpen(&s.bytes, WriteToVector, &err);
    const int colours = 1 << colourBits;
    ColorMapObject* map = GifMakeMapObject(colours, nullptr);
    for (int i = 0; i < colours; ++i) {
        map->Colors[i].Red = static_cast<GifByteType>(i * 255 / (colours - 1));
        map->Colors[i].Green = static_cast<GifByteType>((i * 7) & 255);
        map->Colors[i].Blue = static_cast<GifByteType>(255 - i * 255 / (colours - 1));
    }
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, w, h, colourBits, 0, map);
    std::vector<GifPixelType> row(static_cast<size_t>(w));
    for (int f = 0; f < frames; ++f) {
        if (frames > 1) {
            GraphicsControlBlock gcb{};
            gcb.DisposalMode = DISPOSE_DO_NOT;
            gcb.DelayTime = 5;
            gcb.TransparentColor = NO_TRANSPARENT_COLOR;
            GifByteType ext[4];
            EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
        }
        EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x)
                row[static_cast<size_t>(x)] = PhotoIndex(x, y, f, colours);
            EGifPutLine(gif, row.data(), w);
        }
        s.pixels += static_cast<int64_t>(w) * h;
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return s;
}

const std::vector<TSample>& Samples() {
    static const std::vector<TSample> samples = {
        MakeGif(32, 32, 1, 4),     // icon
        MakeGif(640, 480, 1, 8),   // still photo
        MakeGif(1600, 1200, 1, 8), // large still
        MakeGif(200, 150, 24, 6),  // animation
    };
    return samples;
}

struct TReader {
    const std::vector<uint8_t>* bytes;
    size_t pos = 0;
};

int ReadFromVector(GifFileType* gif, GifByteType* buf, int len) {
    auto* r = static_cast<TReader*>(gif->UserData);
    size_t n = std::min(static_cast<size_t>(len), r->bytes->size() - r->pos);
    std::memcpy(buf, r->bytes->data() + r->pos, n);
    r->pos += n;
    return static_cast<int>(n);
}

void BM_Folio(benchmark::State& state) {
    const TSample& s = Samples()[static_cast<size_t>(state.range(0))];
    for (auto _ : state) {
        TGIFImage g;
        bool ok = g.LoadFromMemory(s.bytes.data(), s.bytes.size());
        benchmark::DoNotOptimize(ok);
        if (!ok)
            state.SkipWithError("decode failed");
    }
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(s.pixels) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Giflib(benchmark::State& state) {
    const TSample& s = Samples()[static_cast<size_t>(state.range(0))];
    for (auto _ : state) {
        TReader r{&s.bytes};
        int err = 0;
        GifFileType* gif = DGifOpen(&r, ReadFromVector, &err);
        int ok = gif ? DGifSlurp(gif) : GIF_ERROR;
        benchmark::DoNotOptimize(ok);
        if (ok != GIF_OK)
            state.SkipWithError("giflib failed");
        DGifCloseFile(gif, &err);
    }
    state.counters["MP/s"] = benchmark::Counter(static_cast<double>(s.pixels) / 1e6,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

// 0 icon 32x32, 1 photo 640x480, 2 large 1600x1200, 3 animation 24 x 200x150.
BENCHMARK(BM_Folio)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Giflib)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
