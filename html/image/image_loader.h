#pragma once
// Turns image files and streams (BMP, GIF, JPEG, PNG) into displayable bitmaps with optional
// transparency masks. Every loader catches decoding errors and gives none.
#include <memory>
#include <string>

#include "html/image/image_kind.h"
#include "platform/base/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

// Decodes a file: BMP as stored, GIF as its first frame, JPEG through libjpeg (24-bit on deep
// displays, 8-bit with the shared palette otherwise), PNG through libpng (its colours only).
// With `convert`, the result is prepared for the display (see ConvertForDisplay). Unknown
// kinds give none.
std::unique_ptr<TBitmap> GetImageFromFile(const std::string& fileName, bool convert = true);

// Loads with a transparency mask: ".gif" files are probed for a transparent colour (kind 2);
// a PNG (known by its bytes) that is not opaque everywhere gets kind 3 and its 8-bit
// transparency map as the mask (png_reader.h); kind 1 takes the lower-left pixel's colour.
// `mask` stays empty for kind 0.
std::unique_ptr<TBitmap> GetImageAndMaskFromFile(const std::string& fileName,
                                                 TTransparency& transparent,
                                                 std::unique_ptr<TBitmap>& mask);

// BMP, JPEG and PNG streams only (GIF streams go to the GIF decoder); at least 20 bytes. A
// PNG's own transparency gives kind 3 and its map, as for files.
std::unique_ptr<TBitmap> GetImageAndMaskFromStream(TMemoryStream* stream,
                                                   TTransparency& transparent,
                                                   std::unique_ptr<TBitmap>& mask);

// 1-bit mask of the image's size, set where the pixel has the transparent colour: `color`
// when `colorValid`, else the lower-left pixel's. Palette pictures match the palette entry
// nearest to the colour. None for a missing or empty image.
std::unique_ptr<TBitmap> GetImageMask(const TBitmap* image, bool colorValid, TColor color);

// On palette displays (8 colour bits or fewer) the display reduction; on deeper ones palette
// bitmaps become device bitmaps; deeper bitmaps pass unchanged.
std::unique_ptr<TBitmap> ConvertForDisplay(std::unique_ptr<TBitmap> bitmap);

// Draws the image stretched to the rectangle so that pixels under mask value 1 leave the
// canvas visible (grey masks blend, TCanvas::DrawMasked).
void DrawTransparent(TCanvas& canvas, const TBitmap& image, const TBitmap& mask, int x, int y,
                     int width, int height);
