// The GIF decoder on arbitrary bytes: both load passes, every animation step, the still
// bitmap, a copy and drawing.
#include <cstddef>
#include <cstdint>

#include "html/image/gif_image.h"
#include "platform/graphics/canvas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TGIFImage header;
    header.LoadHeaderFromMemory(data, size);
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
