// The BMP reader on arbitrary bytes, and the display preparation of what it reads.
#include <cstddef>
#include <cstdint>

#include "html/image/bmp_reader.h"
#include "html/image/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto bmp = ReadBMP(data, size);
    if (!bmp)
        return 0;
    auto mask = GetImageMask(bmp.get(), false, 0);
    auto shown = ConvertForDisplay(std::move(bmp));
    return 0;
}
