// Colour texts from outside: names, hexadecimal and rgb(), with and without the "#" needed,
// and the number and length conversions that read the same kind of text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "html/style/color_text.h"
#include "html/style/value_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TColor c = 0;
    const bool loose = ColorFromText(text, false, c);
    const bool strict = ColorFromText(text, true, c);
    // Whatever the cache holds, a colour that needs its "#" is also a colour without.
    if (strict && !loose)
        __builtin_trap();
    RgbFromText(text, c);
    PointSizeOf(text, 12, 12);
    LengthToPixels(text, size % 2 != 0, 300, 16, 8, -1);
    ReadUrl(text);
    return 0;
}
