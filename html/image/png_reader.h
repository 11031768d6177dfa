#pragma once
// Reads PNG files through libpng: every colour type and bit depth (16-bit samples are scaled
// to 8), Adam7 interlacing, and transparency from an alpha channel or a tRNS chunk (palette
// alphas or a colour key). The colours become a 24-bit bitmap. When some pixel is less than
// opaque, `transparency` (when given) receives an 8-bit map of the picture's size whose grey
// level is that pixel's transparency, 255 - alpha: white leaves the background as it was, as a
// 1-bit mask does, and the greys between blend (TCanvas::DrawMasked). It stays empty for an
// opaque picture. Gamma and colour-profile chunks are not applied: pictures of the time were
// made for the display as it is, and the page's colours are not corrected either.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/graphics/bitmap.h"

// None for data that is not a complete, sane PNG: a wrong signature, damaged or missing
// image data, or a size beyond TBitmap::MaxBitmapPixels or beyond what the data could
// decompress to (checked before anything of the picture's size is allocated).
std::unique_ptr<TBitmap> ReadPNG(const uint8_t* data, size_t size,
                                 std::unique_ptr<TBitmap>* transparency = nullptr);

// The palette of the transparency maps: entry i is the grey (i, i, i).
const TPalette& GreyPalette();
