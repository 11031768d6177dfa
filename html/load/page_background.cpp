#include "html/load/page_background.h"

#include <algorithm>
#include <exception>

#include "html/doc/section_list.h"
#include "platform/graphics/canvas.h"

namespace {

// The first tile at or before `from` of a grid with cells of `size` whose origin is at
// `origin` (all in one axis).
int64_t GridStart(int64_t from, int64_t origin, int64_t size) {
    int64_t offset = (from - origin) % size;
    if (offset < 0)
        offset += size;
    return from - offset;
}

} // namespace

void PaintPageBackground(TCanvas& canvas, const TRect& area, TSectionList& doc, int32_t scrollLeft,
                         int32_t scrollTop) {
    if (area.IsEmpty())
        return;
    canvas.Brush.Color = doc.Background;
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(area);
    const TBitmap* image = doc.ImagesOn ? doc.BackImage() : nullptr;
    if (!image || image->Empty() || image->Width() <= 0 || image->Height() <= 0)
        return;
    const TBitmap* mask = doc.BackgroundMask;
    if (mask && (mask->Width() != image->Width() || mask->Height() != image->Height()))
        mask = nullptr;
    const TRect saved = canvas.ClipRect();
    try {
        const int bw = image->Width(), bh = image->Height();
        // Small pictures are first repeated into a larger tile, so that painting an area
        // takes a bounded number of blits whatever the picture's size.
        const int tw = bw * std::max(1, 256 / bw), th = bh * std::max(1, 256 / bh);
        TCanvas tile(tw, th);
        tile.Brush.Color = doc.Background;
        tile.Brush.Style = bsSolid;
        tile.FillRect(TRect{0, 0, tw, th});
        for (int y = 0; y < th; y += bh)
            for (int x = 0; x < tw; x += bw) {
                if (mask)
                    tile.DrawMasked(TRect{x, y, x + bw, y + bh}, *image, *mask);
                else
                    tile.Draw(x, y, *image);
            }
        canvas.SetClipRect(IntersectRect(saved, area));
        // Canvas x shows document x + scrollLeft: the grid's origin sits at -scrollLeft.
        const int64_t x0 = GridStart(area.Left, -static_cast<int64_t>(scrollLeft), tw);
        const int64_t y0 = GridStart(area.Top, -static_cast<int64_t>(scrollTop), th);
        for (int64_t y = y0; y < area.Bottom; y += th)
            for (int64_t x = x0; x < area.Right; x += tw) {
                const int ix = static_cast<int>(x), iy = static_cast<int>(y);
                canvas.CopyRect(TRect{ix, iy, ix + tw, iy + th}, tile, TRect{0, 0, tw, th});
            }
        canvas.SetClipRect(saved);
    } catch (const std::exception&) {
        canvas.SetClipRect(saved);
        canvas.Brush.Color = doc.Background;
        canvas.Brush.Style = bsSolid;
        canvas.FillRect(area);
    }
}
