// The PNG reader on arbitrary bytes, the display preparation of what it reads, and drawing it
// through its transparency map.
#include <cstddef>
#include <cstdint>

#include "html/image/image_loader.h"
#include "html/image/png_reader.h"
#include "platform/graphics/canvas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<TBitmap> map;
    auto png = ReadPNG(data, size, &map);
    if (!png)
        return 0;
    if (map && (map->Width() != png->Width() || map->Height() != png->Height()))
        __builtin_trap(); // a map always has its picture's size
    TCanvas canvas(16, 16);
    if (map)
        canvas.DrawMasked(TRect{0, 0, 16, 16}, *png, *map);
    auto shown = ConvertForDisplay(std::move(png));
    return 0;
}
