// The icon reader on arbitrary bytes: the directory, then the chosen entry at two sizes, so both
// the chooser's bands and every decoder path are reached.
#include <cstddef>
#include <cstdint>

#include "html/image/ico_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReadIcoDirectory(data, size);
    for (int preferred : {16, 48}) {
        const TIconImage image = ReadIco(data, size, preferred);
        if (!image.Empty() && image.Rgba.size() != size_t(image.Width) * size_t(image.Height) * 4)
            __builtin_trap();
    }
    return 0;
}
