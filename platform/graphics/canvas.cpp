#include "platform/graphics/canvas.h"

#include <cairo.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/base/exceptions.h"
#include "platform/base/strings.h"
#include "platform/graphics/region.h"

namespace {

cairo_surface_t* Surface(void* p) {
    return static_cast<cairo_surface_t*>(p);
}

// cairo's RGB24 pixels are 0x00RRGGBB; colours keep red in the low byte.
inline uint32_t ToPixel(TColor c) {
    return (static_cast<uint32_t>(GetRValue(c)) << 16) |
           (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}
inline TColor FromPixel(uint32_t p) {
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

void SetSource(cairo_t* cr, TColor c) {
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

TRect Normalized(const TRect& r) {
    return TRect{std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                 std::max(r.Top, r.Bottom)};
}

// GDI's cosmetic line styles, in pixels: on, off, on, off...
struct TDashPattern {
    int count;
    int lengths[6];
};
const TDashPattern* PatternOf(TPenStyle style) {
    static const TDashPattern dash{2, {18, 6}};
    static const TDashPattern dot{2, {3, 3}};
    static const TDashPattern dashDot{4, {9, 6, 3, 6}};
    static const TDashPattern dashDotDot{6, {9, 3, 3, 3, 3, 3}};
    switch (style) {
    case psDash:
        return &dash;
    case psDot:
        return &dot;
    case psDashDot:
        return &dashDot;
    case psDashDotDot:
        return &dashDotDot;
    default:
        return nullptr;
    }
}

// Every pattern's period divides this, so positions are kept modulo it.
constexpr int kDashCycle = 24;

// Whether position pos of a pattern is "on".
bool PatternOn(const TDashPattern& p, int pos) {
    int period = 0;
    for (int i = 0; i < p.count; ++i)
        period += p.lengths[i];
    pos %= period;
    for (int i = 0; i < p.count; ++i) {
        if (pos < p.lengths[i])
            return (i & 1) == 0;
        pos -= p.lengths[i];
    }
    return true;
}

// Nearest-pixel sampling of a stretch: the source index for destination index i of n, from a
// source span of m pixels (pixel centres map to pixel centres).
inline int64_t Sample(int64_t i, int64_t n, int64_t m) {
    return static_cast<int64_t>((static_cast<__int128>(2) * i + 1) * m /
                                (2 * static_cast<__int128>(n)));
}

// Sizes of rectangles that may span more than an int holds (a picture placed at a huge size).
inline int64_t W(const TRect& r) {
    return static_cast<int64_t>(r.Right) - r.Left;
}
inline int64_t H(const TRect& r) {
    return static_cast<int64_t>(r.Bottom) - r.Top;
}

inline int ClampInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

// A rectangle from 64-bit edges, held within the int range.
inline TRect ClampedRect(int64_t l, int64_t t, int64_t r, int64_t b) {
    return TRect{ClampInt(l), ClampInt(t), ClampInt(r), ClampInt(b)};
}

// The rectangle shrunk by w on every side (empty when nothing is left).
inline TRect Inset(const TRect& r, int w) {
    const TRect i =
        ClampedRect(static_cast<int64_t>(r.Left) + w, static_cast<int64_t>(r.Top) + w,
                    static_cast<int64_t>(r.Right) - w, static_cast<int64_t>(r.Bottom) - w);
    return i.IsEmpty() ? TRect{} : i;
}

// Source adapters for Blit: the area that holds pixels, and rows of it as cairo pixels.
struct TBitmapSource {
    explicit TBitmapSource(const TBitmap& bitmap) : b(bitmap) {
        if (b.PixelFormat() != pf24bit) {
            const TPalette& pal = b.Palette();
            for (int i = 0; i < 256; ++i)
                lookup[i] = i < pal.Count() ? ToPixel(pal.ColorOf(i)) : 0;
        }
    }
    TRect Area() const { return TRect{0, 0, b.Width(), b.Height()}; }
    // Pixels x0 .. x1 - 1 of row y into out[0 .. x1 - x0).
    void ReadRow(int y, int x0, int x1, uint32_t* out) const {
        const uint8_t* row = b.ScanLine(y);
        switch (b.PixelFormat()) {
        case pf24bit:
            for (int x = x0; x < x1; ++x) {
                const uint8_t* p = row + static_cast<size_t>(x) * 3;
                *out++ =
                    (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
            }
            break;
        case pf8bit:
            for (int x = x0; x < x1; ++x)
                *out++ = lookup[row[x]];
            break;
        case pf1bit:
            for (int x = x0; x < x1; ++x)
                *out++ = lookup[(row[x >> 3] >> (7 - (x & 7))) & 1];
            break;
        }
    }
    const TBitmap& b;
    uint32_t lookup[256] = {};
};

// A copy of part of a canvas, so that a canvas can blit onto itself.
struct TBufferSource {
    TRect area; // the part of the source held, in source coordinates
    std::vector<uint32_t> pixels;
    TRect Area() const { return area; }
    void ReadRow(int y, int x0, int x1, uint32_t* out) const {
        const uint32_t* row = pixels.data() + static_cast<size_t>(y - area.Top) * area.Width();
        std::copy(row + (x0 - area.Left), row + (x1 - area.Left), out);
    }
};

// Destination columns of a stretch mapped to source columns, as offsets from the leftmost
// source column used (-1 where the source has no pixel).
struct TColumnMap {
    std::vector<int> offsets;
    int first = 0, last = -1; // source columns used, inclusive
};

TColumnMap MapColumns(const TRect& a, const TRect& dest, const TRect& srcRect, const TRect& area) {
    TColumnMap m;
    m.offsets.resize(static_cast<size_t>(a.Width()));
    m.first = INT_MAX;
    m.last = INT_MIN;
    std::vector<int64_t> columns(static_cast<size_t>(a.Width()));
    for (int x = a.Left; x < a.Right; ++x) {
        const int64_t sx =
            srcRect.Left + Sample(static_cast<int64_t>(x) - dest.Left, W(dest), W(srcRect));
        columns[static_cast<size_t>(x - a.Left)] = sx;
        if (sx >= area.Left && sx < area.Right) {
            m.first = std::min(m.first, static_cast<int>(sx));
            m.last = std::max(m.last, static_cast<int>(sx));
        }
    }
    for (size_t i = 0; i < columns.size(); ++i) {
        const int64_t sx = columns[i];
        m.offsets[i] = sx >= area.Left && sx < area.Right ? static_cast<int>(sx - m.first) : -1;
    }
    return m;
}

} // namespace

TColor ApplyCopyMode(TCopyMode mode, TColor dst, TColor src) {
    const TColor d = ColorToRGB(dst), s = ColorToRGB(src);
    TColor r = s;
    switch (mode) {
    case cmSrcCopy:
        r = s;
        break;
    case cmSrcAnd:
        r = d & s;
        break;
    case cmSrcPaint:
        r = d | s;
        break;
    case cmSrcInvert:
        r = d ^ s;
        break;
    case cmSrcErase:
        r = s & ~d;
        break;
    case cmNotSrcCopy:
        r = ~s;
        break;
    case cmNotSrcErase:
        r = ~(d | s);
        break;
    case cmMergePaint:
        r = d | ~s;
        break;
    case cmDstInvert:
        r = ~d;
        break;
    case cmDstAndNotSrc:
        r = d & ~s;
        break;
    case cmBlackness:
        r = 0;
        break;
    case cmWhiteness:
        r = 0xFFFFFF;
        break;
    }
    return r & 0xFFFFFF;
}

TCanvas::TCanvas(int width, int height) {
    Init(width, height);
    FillArea(TRect{0, 0, width_, height_}, clWhite);
}

TCanvas::TCanvas(const TBitmap& bitmap) {
    Init(bitmap.Width(), bitmap.Height());
    const TRect all{0, 0, width_, height_};
    Blit(all, TBitmapSource{bitmap}, all, cmSrcCopy);
}

TCanvas::~TCanvas() {
    if (cr_ != nullptr)
        cairo_destroy(static_cast<cairo_t*>(cr_));
    if (surface_ != nullptr)
        cairo_surface_destroy(Surface(surface_));
}

void TCanvas::Init(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (static_cast<int64_t>(width) * height > TBitmap::MaxBitmapPixels)
        throw EOutOfMemory("Canvas too large");
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        throw EOutOfMemory("Canvas too large");
    }
    surface_ = s;
    width_ = width;
    height_ = height;
    stride_ = cairo_image_surface_get_stride(s);
    clip_ = TRect{0, 0, width_, height_};
}

void TCanvas::Flush() const {
    cairo_surface_flush(Surface(surface_));
}
void TCanvas::MarkDirty() {
    cairo_surface_mark_dirty(Surface(surface_));
}

const uint32_t* TCanvas::Row(int y) const {
    return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(Surface(surface_)) +
                                             static_cast<size_t>(y) * stride_);
}
uint32_t* TCanvas::Row(int y) {
    return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(Surface(surface_)) +
                                       static_cast<size_t>(y) * stride_);
}

void* TCanvas::Context(const TRect& clip) {
    if (cr_ == nullptr)
        cr_ = cairo_create(Surface(surface_));
    cairo_t* cr = static_cast<cairo_t*>(cr_);
    cairo_reset_clip(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, clip.Left, clip.Top, clip.Width(), clip.Height());
    cairo_clip(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    return cr;
}

void TCanvas::SetClipRect(const TRect& r) {
    clip_ = IntersectRect(Normalized(r), TRect{0, 0, width_, height_});
}

void TCanvas::ClearClipRect() {
    clip_ = TRect{0, 0, width_, height_};
}

TColor TCanvas::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return clBlack;
    Flush();
    return FromPixel(Row(y)[x]);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    if (!clip_.Contains(x, y))
        return;
    Flush();
    Row(y)[x] = ToPixel(color);
    MarkDirty();
}

void TCanvas::FillArea(const TRect& r, TColor c) {
    const TRect a = IntersectRect(r, clip_);
    if (a.IsEmpty())
        return;
    Flush();
    const uint32_t p = ToPixel(c);
    // One row is filled pixel by pixel and copied to the others: a block copy runs several
    // times faster than the fill loop, and filling a whole band is most of a page's painting.
    const uint32_t* first = Row(a.Top) + a.Left;
    const size_t bytes = static_cast<size_t>(a.Right - a.Left) * sizeof(uint32_t);
    std::fill(Row(a.Top) + a.Left, Row(a.Top) + a.Right, p);
    for (int y = a.Top + 1; y < a.Bottom; ++y)
        std::memcpy(Row(y) + a.Left, first, bytes);
    MarkDirty();
}

// A Bresenham line from (x0, y0) up to, not including, (x1, y1), continuing the dash pattern.
// Each step's pixel is found in closed form (the minor coordinate rounded from the exact line,
// halves away from the start), so only the steps whose major coordinate lies inside the clip
// are visited, however long the line.
void TCanvas::ThinLine(int x0, int y0, int x1, int y1) {
    const TDashPattern* pattern = PatternOf(Pen.Style);
    const uint32_t on = ToPixel(Pen.Color), off = ToPixel(Brush.Color);
    const bool paintGaps = Brush.Style != bsClear;
    const int64_t dx = std::abs(static_cast<int64_t>(x1) - x0);
    const int64_t dy = std::abs(static_cast<int64_t>(y1) - y0);
    const int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    const bool xMajor = dx >= dy;
    const int64_t steps = std::max(dx, dy), minor = std::min(dx, dy);
    const int startDash = dash_pos_;
    dash_pos_ = static_cast<int>((dash_pos_ + steps) % kDashCycle);
    if (steps == 0 || clip_.IsEmpty())
        return;
    // Steps whose major coordinate falls inside the clip.
    const int64_t m0 = xMajor ? x0 : y0, ms = xMajor ? sx : sy;
    const int64_t lo = xMajor ? clip_.Left : clip_.Top,
                  hi = (xMajor ? clip_.Right : clip_.Bottom) - 1;
    int64_t first = ms > 0 ? lo - m0 : m0 - hi, last = ms > 0 ? hi - m0 : m0 - lo;
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, steps - 1);
    if (first > last)
        return;
    Flush();
    for (int64_t i = first; i <= last; ++i) {
        const int64_t offset =
            static_cast<int64_t>((static_cast<__int128>(2) * i * minor + steps) / (2 * steps));
        const int64_t x = xMajor ? x0 + sx * i : x0 + sx * offset;
        const int64_t y = xMajor ? y0 + sy * offset : y0 + sy * i;
        if (!clip_.Contains(static_cast<int>(x), static_cast<int>(y)))
            continue;
        const bool lit = pattern == nullptr ||
                         PatternOn(*pattern, static_cast<int>((startDash + i) % kDashCycle));
        if (lit || paintGaps)
            Row(static_cast<int>(y))[x] = lit ? on : off;
    }
    MarkDirty();
}

void TCanvas::StrokePath(const std::vector<TPoint>& points, bool closed) {
    if (Pen.Style == psClear || points.size() < 2)
        return;
    if (Pen.Width <= 1) {
        for (size_t i = 0; i + 1 < points.size(); ++i)
            ThinLine(points[i].X, points[i].Y, points[i + 1].X, points[i + 1].Y);
        // An open path ends one pixel short of its last point, as LineTo does.
        if (closed)
            ThinLine(points.back().X, points.back().Y, points.front().X, points.front().Y);
        return;
    }
    // Wide pens: solid, round ends and joins, through the pixel centres.
    if (clip_.IsEmpty())
        return;
    cairo_t* cr = static_cast<cairo_t*>(Context(clip_));
    SetSource(cr, Pen.Color);
    // A pen wider than the surface covers it whatever its width; cairo gets a sane number.
    cairo_set_line_width(cr, std::min<int64_t>(Pen.Width, 2LL * (width_ + height_) + 2));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(cr, points[0].X + 0.5, points[0].Y + 0.5);
    for (size_t i = 1; i < points.size(); ++i)
        cairo_line_to(cr, points[i].X + 0.5, points[i].Y + 0.5);
    if (closed)
        cairo_close_path(cr);
    cairo_stroke(cr);
    Flush();
}

void TCanvas::MoveTo(int x, int y) {
    pen_pos_ = TPoint{x, y};
    dash_pos_ = 0;
}

void TCanvas::LineTo(int x, int y) {
    StrokePath({pen_pos_, TPoint{x, y}}, false);
    pen_pos_ = TPoint{x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    if (points.empty())
        return;
    dash_pos_ = 0;
    StrokePath(points, false);
    pen_pos_ = points.back();
}

void TCanvas::FillRect(const TRect& r) {
    if (Brush.Style != bsClear)
        FillArea(Normalized(r), Brush.Color);
}

void TCanvas::FrameRect(const TRect& rect) {
    const TRect r = Normalized(rect);
    if (Brush.Style == bsClear || r.IsEmpty())
        return;
    FillArea(TRect{r.Left, r.Top, r.Right, r.Top + 1}, Brush.Color);
    FillArea(TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom}, Brush.Color);
    FillArea(TRect{r.Left, r.Top, r.Left + 1, r.Bottom}, Brush.Color);
    FillArea(TRect{r.Right - 1, r.Top, r.Right, r.Bottom}, Brush.Color);
}

void TCanvas::InvertRect(const TRect& r) {
    PatBlt(r, cmDstInvert);
}

void TCanvas::PatBlt(const TRect& rect, TCopyMode mode) {
    const TRect a = IntersectRect(Normalized(rect), clip_);
    if (a.IsEmpty())
        return;
    Flush();
    for (int y = a.Top; y < a.Bottom; ++y) {
        uint32_t* row = Row(y);
        for (int x = a.Left; x < a.Right; ++x)
            row[x] = ToPixel(ApplyCopyMode(mode, FromPixel(row[x]), Brush.Color));
    }
    MarkDirty();
}

void TCanvas::Rectangle(const TRect& rect) {
    const TRect r = Normalized(rect);
    if (r.IsEmpty())
        return;
    if (Pen.Style == psClear) {
        FillRect(r);
        return;
    }
    const int w = std::max(1, Pen.Width);
    const TRect inner = Inset(r, w);
    if (!inner.IsEmpty())
        FillRect(inner);
    if (w == 1) {
        dash_pos_ = 0;
        const int rr = r.Right - 1, bb = r.Bottom - 1;
        if (rr == r.Left || bb == r.Top) {
            // One pixel wide or high: a single line, end point included.
            const TDashPattern* p = PatternOf(Pen.Style);
            ThinLine(r.Left, r.Top, rr, bb);
            if (p == nullptr || PatternOn(*p, dash_pos_))
                SetPixel(rr, bb, Pen.Color);
            return;
        }
        StrokePath({{r.Left, r.Top}, {rr, r.Top}, {rr, bb}, {r.Left, bb}}, true);
        return;
    }
    // An inside frame of the pen's width: the rectangle less its inset.
    if (inner.IsEmpty()) {
        FillArea(r, Pen.Color);
        return;
    }
    FillArea(TRect{r.Left, r.Top, r.Right, inner.Top}, Pen.Color);
    FillArea(TRect{r.Left, inner.Bottom, r.Right, r.Bottom}, Pen.Color);
    FillArea(TRect{r.Left, inner.Top, inner.Left, inner.Bottom}, Pen.Color);
    FillArea(TRect{inner.Right, inner.Top, r.Right, inner.Bottom}, Pen.Color);
}

void TCanvas::Ellipse(const TRect& box) {
    const TRect r = Normalized(box);
    const TRect a = IntersectRect(r, clip_);
    if (a.IsEmpty())
        return;
    const bool pen = Pen.Style != psClear;
    const bool brush = Brush.Style != bsClear;
    const TRect inner = Inset(r, std::max(1, Pen.Width));
    const uint32_t penPx = ToPixel(Pen.Color), brushPx = ToPixel(Brush.Color);
    Flush();
    for (int y = a.Top; y < a.Bottom; ++y) {
        uint32_t* row = Row(y);
        for (int x = a.Left; x < a.Right; ++x) {
            if (!EllipseContainsPixel(r, x, y))
                continue;
            const bool ring = pen && (inner.IsEmpty() || !EllipseContainsPixel(inner, x, y));
            if (ring)
                row[x] = penPx;
            else if (brush)
                row[x] = brushPx;
        }
    }
    MarkDirty();
}

void TCanvas::Polygon(const std::vector<TPoint>& points, TFillMode mode) {
    if (points.size() < 2)
        return;
    if (Brush.Style != bsClear && points.size() >= 3) {
        int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
        for (const TPoint& p : points) {
            l = std::min(l, p.X);
            t = std::min(t, p.Y);
            r = std::max(r, p.X);
            b = std::max(b, p.Y);
        }
        const TRect a = IntersectRect(TRect{l, t, r, b}, clip_);
        const uint32_t fill = ToPixel(Brush.Color);
        const size_t n = points.size();
        struct TCross {
            double x;
            int dir;
        };
        std::vector<TCross> crosses;
        Flush();
        for (int y = a.Top; y < a.Bottom; ++y) {
            // Crossings of the row through the pixel centres, as the region test counts them
            // (doubled coordinates keep the centre an integer).
            crosses.clear();
            const double py = 2.0 * y + 1;
            for (size_t i = 0; i < n; ++i) {
                const TPoint& p = points[i];
                const TPoint& q = points[(i + 1) % n];
                const double ay = 2.0 * p.Y, by = 2.0 * q.Y;
                if ((ay <= py) == (by <= py))
                    continue;
                const double ax = 2.0 * p.X, bx = 2.0 * q.X;
                crosses.push_back({ax + (py - ay) * (bx - ax) / (by - ay), by > ay ? 1 : -1});
            }
            std::sort(crosses.begin(), crosses.end(),
                      [](const TCross& u, const TCross& v) { return u.x < v.x; });
            // Walking left to right, a crossing stops counting once the centre reaches it.
            int winding = 0, count = static_cast<int>(crosses.size());
            for (const TCross& c : crosses)
                winding += c.dir;
            size_t k = 0;
            uint32_t* row = Row(y);
            for (int x = a.Left; x < a.Right; ++x) {
                const double px = 2.0 * x + 1;
                while (k < crosses.size() && crosses[k].x <= px) {
                    winding -= crosses[k].dir;
                    --count;
                    ++k;
                }
                if (mode == fmWinding ? winding != 0 : (count & 1) != 0)
                    row[x] = fill;
            }
        }
        MarkDirty();
    }
    dash_pos_ = 0;
    StrokePath(points, true);
}

std::shared_ptr<const TResolvedFont> TCanvas::ResolvedFont() const {
    if (resolved_ == nullptr || !(resolved_desc_ == Font)) {
        resolved_ = Font.Resolve();
        resolved_desc_ = Font;
    }
    return resolved_;
}

int TCanvas::TextWidth(std::string_view text) const {
    return ResolvedFont()->TextWidth(text);
}
int TCanvas::TextWidth(std::u32string_view text) const {
    return ResolvedFont()->TextWidth(text);
}
int TCanvas::TextHeight(std::string_view) const {
    return ResolvedFont()->Metrics().Height;
}
int TCanvas::TextHeight(std::u32string_view) const {
    return ResolvedFont()->Metrics().Height;
}
TSize TCanvas::TextExtent(std::string_view text) const {
    return ResolvedFont()->TextExtent(text);
}
TSize TCanvas::TextExtent(std::u32string_view text) const {
    return ResolvedFont()->TextExtent(text);
}
TTextMetric TCanvas::TextMetrics() const {
    return ResolvedFont()->Metrics();
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
    DrawText(int64_t{x} * 64, y, Utf8ToU32(text), nullptr);
}
void TCanvas::TextOut(int x, int y, std::u32string_view text) {
    DrawText(int64_t{x} * 64, y, text, nullptr);
}
void TCanvas::TextOut64(int64_t x64, int y, std::u32string_view text) {
    DrawText(x64, y, text, nullptr);
}

void TCanvas::TextRect(const TRect& clip, int x, int y, std::string_view text) {
    DrawText(int64_t{x} * 64, y, Utf8ToU32(text), &clip);
}
void TCanvas::TextRect(const TRect& clip, int x, int y, std::u32string_view text) {
    DrawText(int64_t{x} * 64, y, text, &clip);
}
void TCanvas::TextRect64(const TRect& clip, int64_t x64, int y, std::u32string_view text) {
    DrawText(x64, y, text, &clip);
}

void TCanvas::DrawText(int64_t x64, int y, std::u32string_view text, const TRect* clipRect) {
    const auto font = ResolvedFont();
    const TTextMetric& m = font->Metrics();
    // 64-bit positions: text may be placed anywhere, and only what meets the clip is drawn.
    const int64_t top = TextAlign == taTop        ? y
                        : TextAlign == taBaseline ? static_cast<int64_t>(y) - m.Ascent
                                                  : static_cast<int64_t>(y) - m.Height;
    const int64_t baseline = top + m.Ascent;
    // The pixel nearest x64 plus the advances before a character (an arithmetic shift floors,
    // so negative positions round like positive ones).
    auto at = [x64](int64_t advances64) { return (x64 + advances64 + 32) >> 6; };
    const int64_t x = at(0), right = at(font->TextAdvance64(text));
    pen_pos_ = TPoint{ClampInt(right), y};
    const TRect clip = clipRect != nullptr ? IntersectRect(Normalized(*clipRect), clip_) : clip_;
    if (clip.IsEmpty())
        return;
    const TRect saved = clip_;
    clip_ = clip;
    if (Brush.Style != bsClear)
        FillArea(clipRect != nullptr ? clip : ClampedRect(x, top, right, top + m.Height),
                 Brush.Color);

    // Each glyph at the pixel nearest x64 plus the advances before it (so at x plus the extent
    // TextWidth gives the text before it when x64 is a whole pixel), those near the clip only,
    // shown in runs of one face each.
    // Characters that draw nothing take their width; missing ones are boxed below.
    cairo_t* cr = nullptr;
    std::vector<cairo_glyph_t> glyphs;
    const void* runFace = nullptr;
    auto showRun = [&] {
        if (glyphs.empty())
            return;
        if (cr == nullptr) {
            cr = static_cast<cairo_t*>(Context(clip));
            cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
            // Grey antialiasing and slight hinting: the outlines are fitted to the pixel grid
            // vertically only, so letters keep their designed shapes and advances (font.h).
            // Glyph origins are whole pixels: this cairo's image backend rounds them anyway.
            cairo_font_options_t* options = cairo_font_options_create();
            cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
            cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
            cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
            cairo_set_font_options(cr, options);
            cairo_font_options_destroy(options);
            SetSource(cr, Font.Color);
        }
        cairo_set_font_face(cr, static_cast<cairo_font_face_t*>(const_cast<void*>(runFace)));
        cairo_set_font_size(cr, font->EmPixels());
        cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
        glyphs.clear();
    };
    struct TBox {
        int64_t x;
        int advance;
    };
    std::vector<TBox> boxes;
    const int64_t reach = static_cast<int64_t>(m.MaxCharWidth) + m.Height;
    if (baseline + m.Descent > clip.Top && top < clip.Bottom) {
        int64_t pen64 = 0; // the advances so far, in 1/64 pixel
        for (char32_t c : text) {
            const TGlyphRef g = font->GlyphFor(c);
            const int64_t pen = at(pen64);
            if (pen > clip.Left - reach && pen < clip.Right + reach) {
                if (g.Face != nullptr) {
                    if (g.Face != runFace) {
                        showRun();
                        runFace = g.Face;
                    }
                    glyphs.push_back(cairo_glyph_t{g.Glyph, static_cast<double>(pen),
                                                   static_cast<double>(baseline)});
                } else if (g.Missing) {
                    boxes.push_back(TBox{pen, static_cast<int>(at(pen64 + g.Advance64) - pen)});
                }
            }
            pen64 += g.Advance64;
            if (pen >= clip.Right + reach)
                break;
        }
    }
    showRun();
    if (cr != nullptr)
        Flush();
    // A character no font has: an empty box standing on the baseline, reaching up to the top
    // of the em (the em less the descent), one pixel in from each side of its advance.
    const int boxHeight = std::max(1, m.Ascent - m.InternalLeading);
    for (const TBox& b : boxes) {
        const int inset = b.advance > 2 ? 1 : 0;
        const int64_t l = b.x + inset, r = b.x + b.advance - inset;
        const int64_t t = baseline - boxHeight, bottom = baseline;
        FillArea(ClampedRect(l, t, r, t + 1), Font.Color);
        FillArea(ClampedRect(l, bottom - 1, r, bottom), Font.Color);
        FillArea(ClampedRect(l, t, l + 1, bottom), Font.Color);
        FillArea(ClampedRect(r - 1, t, r, bottom), Font.Color);
    }
    if (Font.Underline) {
        const int64_t t = baseline + font->UnderlineOffset();
        FillArea(ClampedRect(x, t, right, t + font->UnderlineThickness()), Font.Color);
    }
    if (Font.StrikeOut) {
        const int64_t t = baseline + font->StrikeOutOffset();
        FillArea(ClampedRect(x, t, right, t + font->StrikeOutThickness()), Font.Color);
    }
    clip_ = saved;
}

template <class Source>
void TCanvas::Blit(const TRect& dest, const Source& src, const TRect& srcRect, TCopyMode mode) {
    if (dest.IsEmpty() || srcRect.IsEmpty())
        return;
    const TRect a = IntersectRect(dest, clip_);
    const TRect area = src.Area();
    if (a.IsEmpty() || area.IsEmpty())
        return;
    const TColumnMap cols = MapColumns(a, dest, srcRect, area);
    if (cols.last < cols.first)
        return;
    std::vector<uint32_t> line(static_cast<size_t>(cols.last - cols.first + 1));
    int lineY = INT_MIN;
    Flush();
    for (int y = a.Top; y < a.Bottom; ++y) {
        const int64_t sy =
            srcRect.Top + Sample(static_cast<int64_t>(y) - dest.Top, H(dest), H(srcRect));
        if (sy < area.Top || sy >= area.Bottom)
            continue;
        if (sy != lineY) { // stretched rows repeat: read each source row once
            src.ReadRow(static_cast<int>(sy), cols.first, cols.last + 1, line.data());
            lineY = static_cast<int>(sy);
        }
        uint32_t* row = Row(y) + a.Left;
        const int n = a.Width();
        if (mode == cmSrcCopy) {
            for (int i = 0; i < n; ++i)
                if (cols.offsets[static_cast<size_t>(i)] >= 0)
                    row[i] = line[static_cast<size_t>(cols.offsets[static_cast<size_t>(i)])];
        } else {
            // The copy modes are bitwise, so they apply to cairo pixels as they are.
            for (int i = 0; i < n; ++i)
                if (cols.offsets[static_cast<size_t>(i)] >= 0)
                    row[i] = ApplyCopyMode(
                        mode, row[i],
                        line[static_cast<size_t>(cols.offsets[static_cast<size_t>(i)])]);
        }
    }
    MarkDirty();
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
    const TRect all{0, 0, bitmap.Width(), bitmap.Height()};
    Blit(ClampedRect(x, y, static_cast<int64_t>(x) + bitmap.Width(),
                     static_cast<int64_t>(y) + bitmap.Height()),
         TBitmapSource{bitmap}, all, CopyMode);
}

void TCanvas::StretchDraw(const TRect& dest, const TBitmap& bitmap) {
    Blit(dest, TBitmapSource{bitmap}, TRect{0, 0, bitmap.Width(), bitmap.Height()}, CopyMode);
}

void TCanvas::StretchBlt(const TRect& dest, const TBitmap& src, const TRect& srcRect,
                         TCopyMode mode) {
    Blit(dest, TBitmapSource{src}, srcRect, mode);
}

void TCanvas::CopyRect(const TRect& dest, const TCanvas& src, const TRect& srcRect) {
    StretchBlt(dest, src, srcRect, CopyMode);
}

void TCanvas::StretchBlt(const TRect& dest, const TCanvas& src, const TRect& srcRect,
                         TCopyMode mode) {
    TBufferSource buffer;
    buffer.area = IntersectRect(srcRect, TRect{0, 0, src.width_, src.height_});
    if (buffer.area.IsEmpty() || dest.IsEmpty())
        return;
    src.Flush();
    buffer.pixels.reserve(static_cast<size_t>(buffer.area.Width()) * buffer.area.Height());
    for (int y = buffer.area.Top; y < buffer.area.Bottom; ++y)
        buffer.pixels.insert(buffer.pixels.end(), src.Row(y) + buffer.area.Left,
                             src.Row(y) + buffer.area.Right);
    Blit(dest, buffer, srcRect, mode);
}

namespace {

// The picture's pixel over the canvas's, `clear` of 255 parts letting the canvas through.
uint32_t Blend(uint32_t picture, uint32_t canvas, uint32_t clear) {
    const uint32_t solid = 255 - clear;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t v = ((picture >> shift) & 0xFF) * solid + ((canvas >> shift) & 0xFF) * clear;
        out |= ((v + 127) / 255) << shift;
    }
    return out;
}

} // namespace

void TCanvas::DrawMasked(const TRect& dest, const TBitmap& image, const TBitmap& mask) {
    if (mask.Width() != image.Width() || mask.Height() != image.Height() || image.Empty())
        return;
    const TRect a = IntersectRect(dest, clip_);
    if (dest.IsEmpty() || a.IsEmpty())
        return;
    const TRect all{0, 0, image.Width(), image.Height()};
    const TColumnMap cols = MapColumns(a, dest, all, all);
    if (cols.last < cols.first)
        return;
    const TBitmapSource pic(image), msk(mask);
    const size_t len = static_cast<size_t>(cols.last - cols.first + 1);
    std::vector<uint32_t> picLine(len), maskLine(len);
    int lineY = INT_MIN;
    Flush();
    for (int y = a.Top; y < a.Bottom; ++y) {
        const int sy =
            static_cast<int>(Sample(static_cast<int64_t>(y) - dest.Top, H(dest), image.Height()));
        if (sy != lineY) {
            pic.ReadRow(sy, cols.first, cols.last + 1, picLine.data());
            msk.ReadRow(sy, cols.first, cols.last + 1, maskLine.data());
            lineY = sy;
        }
        uint32_t* row = Row(y) + a.Left;
        for (int i = 0; i < a.Width(); ++i) {
            const int o = cols.offsets[static_cast<size_t>(i)];
            if (o < 0)
                continue;
            // White in the mask is transparent: the canvas shows through; black is opaque.
            const uint32_t m = maskLine[static_cast<size_t>(o)] & 0xFFFFFF;
            if (m == 0xFFFFFF)
                continue;
            const uint32_t p = picLine[static_cast<size_t>(o)];
            row[i] = m == 0 ? p : Blend(p, row[i], m & 0xFF);
        }
    }
    MarkDirty();
}

TBitmap TCanvas::ToBitmap() const {
    return ToBitmap(TRect{0, 0, width_, height_});
}

TBitmap TCanvas::ToBitmap(const TRect& r) const {
    const TRect a = IntersectRect(Normalized(r), TRect{0, 0, width_, height_});
    TBitmap b(a.Width(), a.Height(), pf24bit);
    Flush();
    for (int y = 0; y < a.Height(); ++y) {
        const uint32_t* src = Row(a.Top + y) + a.Left;
        uint8_t* dst = b.ScanLine(y);
        for (int x = 0; x < a.Width(); ++x) {
            const uint32_t p = src[x];
            dst[3 * x] = static_cast<uint8_t>(p & 0xFF);
            dst[3 * x + 1] = static_cast<uint8_t>((p >> 8) & 0xFF);
            dst[3 * x + 2] = static_cast<uint8_t>((p >> 16) & 0xFF);
        }
    }
    return b;
}

bool TCanvas::SaveToPNG(const std::string& fileName) const {
    Flush();
    return cairo_surface_write_to_png(Surface(surface_), fileName.c_str()) == CAIRO_STATUS_SUCCESS;
}
