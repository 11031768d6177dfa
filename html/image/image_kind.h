#pragma once
// What kind of picture a file holds, judged by its first bytes, and the transparency probes of
// GIF and PNG files.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/base/streams.h"
#include "platform/graphics/color.h"

enum TImageKind : int { ikUnknown = 0, ikBMP = 1, ikGIF87 = 2, ikGIF89 = 3, ikPNG = 4, ikJPEG = 5 };

// Transparency of a loaded picture: none, the colour of the lower-left pixel, the GIF
// transparent colour, the PNG transparent colour.
enum TTransparency : uint8_t { NotTransp = 0, LLCorner = 1, TGif = 2, TPng = 3 };

TImageKind KindOfImage(const uint8_t* data, size_t size);
// Reads the first 11 bytes (others may read the file meanwhile, not write it).
TImageKind KindOfImageFile(const std::string& fileName);

// True when the file is GIF89 and a graphic control extension right after the global colour
// table marks a transparent colour; `color` is that entry of the global table. Only the first
// 790 bytes are examined.
bool IsTransparentGif(const std::string& fileName, TColor& color);
bool IsTransparentGifData(const uint8_t* data, size_t size, TColor& color);

// True when a tRNS chunk comes before IDAT in a truecolour or palette PNG; for palette PNGs
// `color` is the palette entry at (tRNS length - 1). The stream position is restored.
bool IsTransparentPng(TStream& stream, TColor& color);
