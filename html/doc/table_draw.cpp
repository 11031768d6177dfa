// Painting a table: captions, cell backgrounds and pictures, contents, the 3-D frames of a
// bordered table and the border colour between the cells.
#include <algorithm>
#include <array>

#include "html/doc/background_place.h"
#include "html/doc/border_paint.h"
#include "html/doc/html_table.h"
#include "html/doc/image_obj.h"
#include "html/doc/length_sum.h"
#include "html/doc/section_list.h"
#include "html/doc/table_pass.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

namespace {

TRect Intersect(const TRect& a, const TRect& b) {
    return TRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                 std::min(a.Bottom, b.Bottom)};
}

TRect Inflate(const TRect& r, int d) {
    return TRect{r.Left - d, r.Top - d, r.Right + d, r.Bottom + d};
}

void Fill(TCanvas& canvas, const TRect& r, TColor color) {
    if (r.IsEmpty())
        return;
    const TBrush saved = canvas.Brush;
    canvas.Brush.Color = ColorToRGB(color);
    canvas.Brush.Style = bsSolid;
    canvas.FillRect(r);
    canvas.Brush = saved;
}

// A one-pixel 3-D frame on the border pixels of r: sunken is dark at the top and left.
// sides (top, right, bottom, left) says which sides to draw.
void Frame3D(TCanvas& canvas, const TRect& r, bool sunken,
             const std::array<bool, 4>& sides = {true, true, true, true}) {
    if (r.Width() < 2 || r.Height() < 2)
        return;
    const TColor lt = sunken ? clBtnShadow : clBtnHighlight;
    const TColor rb = sunken ? clBtnHighlight : clBtnShadow;
    if (sides[0])
        Fill(canvas, TRect{r.Left, r.Top, r.Right, r.Top + 1}, lt);
    if (sides[3])
        Fill(canvas, TRect{r.Left, r.Top, r.Left + 1, r.Bottom}, lt);
    if (sides[2])
        Fill(canvas, TRect{r.Left + 1, r.Bottom - 1, r.Right, r.Bottom}, rb);
    if (sides[1])
        Fill(canvas, TRect{r.Right - 1, r.Top + 1, r.Right, r.Bottom - 1}, rb);
}

} // namespace

// The picture is copied once into a tile at least 32 pixels along each repeating axis (the
// cell's tiling buffer), so small patterns are not blitted pixel by pixel on every paint.
void TCellObj::DrawBackground(TCanvas& canvas, const TRect& box, const TRect& area) {
    if (!BgImage || area.IsEmpty())
        return;
    const TBitmap* pic = BgImage->TileBitmap();
    if (pic == nullptr || pic->Empty())
        return;
    const int iw = pic->Width(), ih = pic->Height();
    const bool repX = BgPos.Horizontal.Repeat, repY = BgPos.Vertical.Repeat;
    if (!tiled_ || tiledFrom_ != pic) {
        const TBitmap* mask = BgImage->TileMask();
        const bool useMask = mask != nullptr && mask->Width() == iw && mask->Height() == ih;
        const int rx = repX ? std::max(1, (31 + iw) / iw) : 1;
        const int ry = repY ? std::max(1, (31 + ih) / ih) : 1;
        tiled_ = std::make_unique<TBitmap>(iw * rx, ih * ry, pf24bit);
        tiledMask_.reset();
        if (useMask)
            tiledMask_ = std::make_unique<TBitmap>(iw * rx, ih * ry, pf24bit);
        for (int y = 0; y < tiled_->Height(); ++y)
            for (int x = 0; x < tiled_->Width(); ++x) {
                tiled_->SetPixel(x, y, pic->GetPixel(x % iw, y % ih));
                if (useMask)
                    tiledMask_->SetPixel(x, y, mask->GetPixel(x % iw, y % ih));
            }
        tiledFrom_ = pic;
    }
    // Along an axis that does not repeat the tile is the picture itself.
    const int tw = tiled_->Width();
    const int th = tiled_->Height();
    const int64_t px = PlaceBackgroundAxis(BgPos.Horizontal, box.Width(), iw);
    const int64_t py = PlaceBackgroundAxis(BgPos.Vertical, box.Height(), ih);
    // A repeating axis starts at the last whole picture at or before the box's start.
    auto first = [](int64_t pos, int size) {
        return pos <= 0 ? pos : pos - ((pos + size - 1) / size) * size;
    };
    const int64_t sx = repX ? first(px, iw) : px;
    const int64_t sy = repY ? first(py, ih) : py;
    const int64_t ex = repX ? box.Width() : sx + iw;
    const int64_t ey = repY ? box.Height() : sy + ih;
    // Tiles above and left of the painted area are skipped whole.
    const int64_t skipX = repX ? std::max<int64_t>(0, (area.Left - box.Left - sx) / tw) : 0;
    const int64_t skipY = repY ? std::max<int64_t>(0, (area.Top - box.Top - sy) / th) : 0;
    const TRect saved = canvas.ClipRect();
    canvas.SetClipRect(Intersect(area, saved));
    for (int64_t ty = sy + skipY * th; ty < ey && box.Top + ty < area.Bottom; ty += th)
        for (int64_t tx = sx + skipX * tw; tx < ex && box.Left + tx < area.Right; tx += tw) {
            const TRect dest =
                Bounds(static_cast<int>(box.Left + tx), static_cast<int>(box.Top + ty), tw, th);
            const TRect src = Rect(0, 0, tw, th);
            if (tiledMask_)
                canvas.DrawMasked(dest, *tiled_, *tiledMask_);
            else
                canvas.StretchBlt(dest, *tiled_, src, cmSrcCopy);
        }
    canvas.SetClipRect(saved);
}

void ThtmlTable::DrawCellBox(TCanvas& canvas, const TRect& clip, int32_t clipWidth, TCellObj& cell,
                             int32_t gridX, int32_t refX, int32_t refY,
                             std::vector<TRect>& cutOuts) {
    const int32_t scroll = Document != nullptr ? Document->ScrollTop : 0;
    const TRect box{ClampLength(int64_t{gridX} + cell.ColX + CellSpacing),
                    ClampLength(int64_t{cell.RowY} - scroll + CellSpacing),
                    ClampLength(int64_t{gridX} + cell.ColX + cell.Wd),
                    ClampLength(int64_t{cell.RowY} - scroll + cell.Ht)};
    const TRect outer = HasBorder ? Inflate(box, 1) : box;
    if (outer.Bottom <= clip.Top || outer.Top >= clip.Bottom)
        return;
    // Only a band around the device is painted, so huge cells cost no more than the screen.
    const int limX = std::max(3000, canvas.Width() + 200);
    const int limY = std::max(3000, canvas.Height() + 200);
    const TRect painted = Intersect(Intersect(box, TRect{-200, -200, limX, limY}), clip);
    if (cell.Cell->HasBackground)
        Fill(canvas, painted, cell.Cell->Background);
    if (cell.BgImage && Document != nullptr && Document->ImagesOn)
        cell.DrawBackground(canvas, box, painted);
    // Style borders lie inside the box, in the room the layout kept for them, under the
    // content (a glyph that overhangs its cell stays whole).
    if (cell.Borders.Any())
        PaintBorders(canvas, box, cell.Borders, clip);
    cell.Cell->DrawCell(
        canvas, clip, clipWidth, ClampLength(int64_t{box.Left} + cell.InsetLeft()),
        ClampLength(int64_t{cell.RowY} + CellSpacing + cell.InsetTop() + cell.YIndent), refX, refY);
    // TABLE BORDER's frame keeps the sides that have no style border.
    if (HasBorder) {
        std::array<bool, 4> frameSides{};
        for (size_t i = 0; i < 4; ++i)
            frameSides[i] = cell.Borders.Width[i] <= 0;
        Frame3D(canvas, outer, true, frameSides);
    }
    if (HasBorderColor)
        cutOuts.push_back(outer);
}

// The border colour fills the grid except the cells: band by band (between the tops and
// bottoms of the cut-outs), the gaps between the cells that cover the whole band.
void ThtmlTable::FillBorderGaps(TCanvas& canvas, const TRect& grid, std::vector<TRect>& cutOuts) {
    if (grid.IsEmpty())
        return;
    std::vector<int> ys{grid.Top, grid.Bottom};
    for (TRect& r : cutOuts) {
        r = Intersect(r, grid);
        if (r.IsEmpty())
            continue;
        ys.push_back(r.Top);
        ys.push_back(r.Bottom);
    }
    std::erase_if(cutOuts, [](const TRect& r) { return r.IsEmpty(); });
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    std::sort(cutOuts.begin(), cutOuts.end(),
              [](const TRect& a, const TRect& b) { return a.Top < b.Top; });
    std::vector<const TRect*> active;
    size_t next = 0;
    std::vector<std::pair<int, int>> spans;
    for (size_t i = 0; i + 1 < ys.size(); ++i) {
        const int y0 = ys[i], y1 = ys[i + 1];
        while (next < cutOuts.size() && cutOuts[next].Top <= y0)
            active.push_back(&cutOuts[next++]);
        std::erase_if(active, [y0](const TRect* r) { return r->Bottom <= y0; });
        spans.clear();
        for (const TRect* r : active)
            spans.emplace_back(r->Left, r->Right);
        std::sort(spans.begin(), spans.end());
        int x = grid.Left;
        for (const auto& [l, r] : spans) {
            if (l > x)
                Fill(canvas, TRect{x, y0, l, y1}, BorderColor);
            x = std::max(x, r);
        }
        if (x < grid.Right)
            Fill(canvas, TRect{x, y0, grid.Right, y1}, BorderColor);
    }
}

int32_t ThtmlTable::DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents,
                                int32_t x, int32_t refX, int32_t refY) {
    drawX_ = x;
    drawn_ = true;
    const int32_t below = ClampLength(int64_t{LayoutY} + FlowHeight);
    const int32_t scroll = Document != nullptr ? Document->ScrollTop : 0;
    const int64_t top = int64_t{LayoutY} - scroll;
    if (top + FlowHeight <= clip.Top || top >= clip.Bottom || initFailed_)
        return below;
    const int32_t clipW = indents.ClipWidth;
    if (CaptionOnTop && Caption && CaptionHeight > 0)
        Caption->Cell->DrawCell(canvas, clip, clipW, x, LayoutY, refX, refY);

    const int32_t gridX = ClampLength(int64_t{x} + GridOffset);
    const int rows = static_cast<int>(rowTop_.size());
    std::vector<TRect> cutOuts;
    if (rows > 0 && rows == static_cast<int>(Rows.size())) {
        // Rows are sorted by their tops: start at the first row reaching into the clip (less
        // the longest span, whose cells may hang into it from above). A bordered table's cell
        // frame lies one pixel outside the cell, over the next row's top and the previous
        // row's bottom, so the clip counts one pixel larger each way.
        const int64_t clipTop = int64_t{clip.Top} + scroll - 1;
        const int64_t clipBottom = int64_t{clip.Bottom} + scroll + 1;
        int first = static_cast<int>(std::upper_bound(rowTop_.begin(), rowTop_.end(), clipTop) -
                                     rowTop_.begin());
        first = std::max(0, first - 1 - (maxRowSpan_ - 1));
        for (int r = first; r < rows; ++r) {
            if (rowTop_[static_cast<size_t>(r)] >= clipBottom)
                break;
            for (auto& slot : Rows[static_cast<size_t>(r)]->Cells)
                if (slot && slot->IsCell())
                    DrawCellBox(canvas, clip, clipW, *slot, gridX, refX, refY, cutOuts);
        }
        const int32_t gridTop = ClampLength(int64_t{rowTop_.front()} - FrameExtra() - scroll);
        const TRect grid{gridX, gridTop, ClampLength(int64_t{gridX} + GridWidth),
                         ClampLength(int64_t{gridTop} + RowsHeight)};
        if (HasBorderColor)
            FillBorderGaps(canvas, Intersect(grid, clip), cutOuts);
        if (HasBorder && BorderWidth <= 1) {
            Frame3D(canvas, grid, false);
        } else if (HasBorder) {
            // A wide frame is raised: lit at the top and left, shaded at the bottom and right.
            TBorderSides sides;
            sides.Width = {BorderWidth, BorderWidth, BorderWidth, BorderWidth};
            sides.Style = {bdOutset, bdOutset, bdOutset, bdOutset};
            sides.Color = {clBlack, clBlack, clBlack, clBlack};
            PaintBorders(canvas, grid, sides, clip);
        }
    }

    if (!CaptionOnTop && Caption && CaptionHeight > 0)
        Caption->Cell->DrawCell(canvas, clip, clipW, x,
                                ClampLength(int64_t{LayoutY} + FlowHeight - CaptionHeight), refX,
                                refY);
    return below;
}
