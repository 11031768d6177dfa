#pragma once
// TCanvas: a drawing surface over a cairo image surface, with the GDI pixel model the engine
// was written for. Pixels are 24-bit RGB. Shapes are pixel-exact and never antialiased:
//   FillRect / Rectangle (l, t, r, b) cover x in [l, r) and y in [t, b); the pen of Rectangle,
//     Ellipse and Polygon is drawn inside that area;
//   LineTo draws from the pen position up to, not including, the end point (Bresenham), with
//     the cosmetic dash patterns of GDI for widths of 1 (dash 18 on 6 off, dot 3/3, dash-dot
//     9/6/3/6, dash-dot-dot 9/3/3/3/3/3); wider pens draw solid with round ends;
//   Ellipse and Polygon fill exactly the pixels the matching TRegion holds (region.h); the pen
//     of an ellipse is the ring of its pixels that the box inset by the pen width leaves out,
//     drawn solid whatever the pen style;
//   as with GDI's opaque background mode, the gaps of a dashed or dotted line are painted in
//     Brush.Color unless Brush.Style is bsClear;
//   a pen wider than 1 draws the frame of Rectangle inside the rectangle (an inside-frame pen);
//     with a clear pen, Rectangle fills the whole rectangle (GDI leaves out the last row and
//     column then; fills that depend on it belong in FillRect).
// Every operation is clipped to the clip rectangle (the whole surface by default).
//
// Text is Unicode: the text calls take UTF-8 (std::string_view; each ill-formed sequence counts
// as one U+FFFD) or UTF-32 (std::u32string_view, what the engine holds). Each glyph is placed
// at x plus the extent TextWidth gives the text before it, so a text covers its measured width;
// a character the font's face lacks is drawn by the face the font chose for it (font.h), one
// cairo call per run of glyphs of one face; a character no installed font has is drawn as an empty
// box in the text colour, and control characters draw nothing. Underline and strike-out are drawn
// as lines from the font's metrics across the whole text. The background of text follows the
// toolkit: opaque in Brush.Color unless Brush.Style is bsClear.
//
// Blits take a TBitmap or another canvas, stretch by nearest pixel (the colour-on-colour
// stretch mode; rectangles of negative size, which GDI mirrors, draw nothing) and combine through a
// TCopyMode. A 1-bit source reads through its palette (black for 0, white for 1), so a mask ANDed
// onto a canvas keeps the canvas where the mask is white.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    TPenStyle Style = psSolid;
};

enum TBrushStyle { bsSolid, bsClear };

struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = bsSolid;
};

// Raster operations of the blits: how each source pixel S combines with the destination D.
enum TCopyMode {
    cmSrcCopy,      // S
    cmSrcAnd,       // D and S
    cmSrcPaint,     // D or S
    cmSrcInvert,    // D xor S
    cmSrcErase,     // S and not D
    cmNotSrcCopy,   // not S
    cmNotSrcErase,  // not (D or S)
    cmMergePaint,   // D or not S
    cmDstInvert,    // not D
    cmDstAndNotSrc, // D and not S (clears where a mask is white)
    cmBlackness,    // 0
    cmWhiteness,    // all ones
};

// Combines one RGB pixel pair by a copy mode (exposed for bitmap-to-bitmap blits).
TColor ApplyCopyMode(TCopyMode mode, TColor dst, TColor src);

// Vertical reference of TextOut's y: the top of the character cell, the baseline or the bottom
// of the cell.
enum TTextAlign { taTop, taBaseline, taBottom };

class TCanvas {
public:
    // A new surface of the given size filled white. Sizes below 0 count as 0; sizes beyond
    // TBitmap::MaxBitmapPixels raise EOutOfMemory.
    TCanvas(int width, int height);
    // A surface of the bitmap's size holding its picture.
    explicit TCanvas(const TBitmap& bitmap);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }

    TPen Pen;
    TBrush Brush;
    TFont Font;
    TCopyMode CopyMode = cmSrcCopy;
    TTextAlign TextAlign = taTop;

    // Clipping: the clip is kept inside the surface. SetClipRect replaces it.
    void SetClipRect(const TRect& r);
    void ClearClipRect();
    TRect ClipRect() const { return clip_; }

    // Pixels. Out-of-surface reads give clBlack; writes outside the clip are ignored.
    TColor GetPixel(int x, int y) const;
    void SetPixel(int x, int y, TColor color);

    // Lines with the pen.
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    TPoint PenPos() const { return pen_pos_; }
    void Polyline(const std::vector<TPoint>& points);

    // Shapes: filled with the brush (unless bsClear), outlined with the pen (unless psClear).
    void Rectangle(const TRect& r);
    void Rectangle(int l, int t, int r, int b) { Rectangle(TRect{l, t, r, b}); }
    void Ellipse(const TRect& box);
    void Ellipse(int l, int t, int r, int b) { Ellipse(TRect{l, t, r, b}); }
    void Polygon(const std::vector<TPoint>& points, TFillMode mode = fmAlternate);
    // Brush only, no pen.
    void FillRect(const TRect& r);
    // A one-pixel frame in the brush colour on the rectangle's border pixels.
    void FrameRect(const TRect& r);
    // Inverts every pixel of the rectangle.
    void InvertRect(const TRect& r);
    // PatBlt: the brush colour as the source of a raster operation over the rectangle.
    void PatBlt(const TRect& r, TCopyMode mode);

    // Text with Font, at (x, y) per TextAlign. string_view text is UTF-8.
    void TextOut(int x, int y, std::string_view text);
    void TextOut(int x, int y, std::u32string_view text);
    // TextOut clipped to a rectangle as well (ExtTextOut with clipping).
    void TextRect(const TRect& clip, int x, int y, std::string_view text);
    void TextRect(const TRect& clip, int x, int y, std::u32string_view text);
    // TextOut and TextRect from an x in 1/64 pixel: each glyph lands at the whole pixel nearest
    // x64 plus the advances before it, the text's background and lines span from the pixel
    // nearest x64 to the one nearest its end. Layout that adds advances along a line draws its
    // pieces this way, so they land where one piece would.
    void TextOut64(int64_t x64, int y, std::u32string_view text);
    void TextRect64(const TRect& clip, int64_t x64, int y, std::u32string_view text);
    int TextWidth(std::string_view text) const;
    int TextWidth(std::u32string_view text) const;
    int TextHeight(std::string_view text) const;
    int TextHeight(std::u32string_view text) const;
    TSize TextExtent(std::string_view text) const;
    TSize TextExtent(std::u32string_view text) const;
    TTextMetric TextMetrics() const;
    // Font resolved (remembered while Font stays the same).
    std::shared_ptr<const TResolvedFont> ResolvedFont() const;

    // Blits from a bitmap, through CopyMode unless a mode is given.
    void Draw(int x, int y, const TBitmap& bitmap);
    void StretchDraw(const TRect& dest, const TBitmap& bitmap);
    void StretchBlt(const TRect& dest, const TBitmap& src, const TRect& srcRect, TCopyMode mode);
    // Blits from another canvas (which may be this one; overlapping areas copy correctly).
    void CopyRect(const TRect& dest, const TCanvas& src, const TRect& srcRect);
    void StretchBlt(const TRect& dest, const TCanvas& src, const TRect& srcRect, TCopyMode mode);
    // Draws image stretched to dest so that pixels where mask is 1 (white) leave the canvas
    // as it was: what an AND pass with the mask and an OR pass with the image give when the
    // image's transparent pixels are black, without needing them black. A grey mask (the
    // transparency of a picture with an alpha channel: all three channels alike) blends: grey
    // level g keeps g/255 of the canvas and takes the rest from the image. The mask must have
    // the image's size; a mask of another size draws nothing.
    void DrawMasked(const TRect& dest, const TBitmap& image, const TBitmap& mask);

    // The picture (or a part of it, clipped to the surface) as a 24-bit bitmap.
    TBitmap ToBitmap() const;
    TBitmap ToBitmap(const TRect& r) const;
    // Writes the surface as a PNG file; false when cairo cannot write it.
    bool SaveToPNG(const std::string& fileName) const;

    // Raw access for the toolkit peer: rows of 32-bit 0x00RRGGBB pixels (cairo's RGB24),
    // Stride() bytes apart. Call Flush() before reading (cairo may have drawing pending) and
    // MarkDirty() after writing.
    void Flush() const;
    void MarkDirty();
    const uint32_t* Row(int y) const;
    uint32_t* Row(int y);
    int Stride() const { return stride_; }
    void* CairoSurface() const { return surface_; } // cairo_surface_t*

private:
    void Init(int width, int height);
    void* Context(const TRect& clip);        // cairo_t* clipped to clip, made on demand
    void FillArea(const TRect& r, TColor c); // clipped to clip_
    void ThinLine(int x0, int y0, int x1, int y1);
    void StrokePath(const std::vector<TPoint>& points, bool closed);
    void DrawText(int64_t x64, int y, std::u32string_view text, const TRect* clip);
    template <class Source>
    void Blit(const TRect& dest, const Source& src, const TRect& srcRect, TCopyMode mode);

    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    void* surface_ = nullptr; // cairo_surface_t*
    void* cr_ = nullptr;      // cairo_t*
    TRect clip_;
    TPoint pen_pos_;
    int dash_pos_ = 0; // position in the dash pattern, carried from one LineTo to the next
    mutable TFont resolved_desc_;
    mutable std::shared_ptr<const TResolvedFont> resolved_;
};
