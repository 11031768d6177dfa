#pragma once
// Bitmap-to-bitmap blits, for pictures that are composed off screen (animation frames, masks).
// The destination takes each result as TBitmap::SetPixel does: 24-bit stores it, 8-bit stores
// the nearest palette entry, 1-bit sets the bit where the result is not black. A 1-bit source
// reads through its palette (black, white). Stretching picks the nearest source pixel.
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/geometry.h"

// Copies srcRect of src onto dest of dst (stretched when the sizes differ) through mode.
// Both rectangles are clipped to their bitmaps; pixels outside the source are skipped.
void StretchBltBitmap(TBitmap& dst, const TRect& dest, const TBitmap& src, const TRect& srcRect,
                      TCopyMode mode);
// The unstretched form: a width x height block from (sx, sy) to (dx, dy).
void BitBltBitmap(TBitmap& dst, int dx, int dy, int width, int height, const TBitmap& src, int sx,
                  int sy, TCopyMode mode);
// Fills a rectangle of a bitmap with a colour through mode (PatBlt).
void PatBltBitmap(TBitmap& dst, const TRect& r, TColor color, TCopyMode mode);
