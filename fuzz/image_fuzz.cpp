// The stream loader (BMP, JPEG through libjpeg, PNG through libpng) and the kind and
// transparency probes on arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "html/image/image_kind.h"
#include "html/image/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream stream;
    if (size > 0)
        stream.WriteBuffer(data, static_cast<int64_t>(size));
    stream.SetPosition(0);
    TColor color = 0;
    IsTransparentPng(stream, color);
    IsTransparentGifData(data, size, color);
    KindOfImage(data, size);
    TTransparency t = size > 0 && (data[size - 1] & 1) ? LLCorner : NotTransp;
    std::unique_ptr<TBitmap> mask;
    auto bitmap = GetImageAndMaskFromStream(&stream, t, mask);
    return 0;
}
