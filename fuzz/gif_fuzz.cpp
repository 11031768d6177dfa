// The GIF decoder on arbitrary bytes: both load passes, every animation step, the still
// bitmap, a copy and drawing.
//
// The decoder accepts up to 64 Mi pixels for any file that could encode them, and a few
// kilobytes can: every frame costs its declared size to make, mask and compose, so a fuzzer
// spent its time clearing pictures. Here the structure pass comes first and only pictures of
// modest size are decoded; the limits themselves have tests of their own.
#include <cstddef>
#include <cstdint>

#include "html/image/gif_image.h"
#include "platform/graphics/canvas.h"

namespace {
constexpr int64_t kFuzzPixels = 1 << 16; // screen and all frames together
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TGIFImage header;
    if (!header.LoadHeaderFromMemory(data, size))
        return 0;
    int64_t pixels = static_cast<int64_t>(header.Width()) * header.Height();
    for (int n = 1; n <= header.NumFrames(); ++n)
        pixels += static_cast<int64_t>(header.Frame(n).Width) * header.Frame(n).Height;
    if (pixels > kFuzzPixels)
        return 0;
    bool still = false;
    auto gif = CreateAGifFromMemory(data, size, still);
    if (!gif)
        return 0;
    for (int n = 2; n <= gif->NumFrames(); ++n)
        gif->SetCurrentFrame(n);
    gif->SetCurrentFrame(0);
    auto bitmap = gif->StillBitmap();
    auto copy = gif->Copy();
    TCanvas canvas(16, 16);
    TGifBackground bg;
    copy->Draw(canvas, -3, 2, 20, 9, &bg);
    gif->Draw(canvas, 1, 1, 5, 40);
    return 0;
}
