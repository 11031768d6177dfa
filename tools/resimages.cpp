// resimages OUTDIR
//
// Draws the builder's built-in pictures with cairo and writes them in the formats the pages
// ask for: logo.jpg (197x56 colour banner), bg.jpg (100x90 grey), smallcheck.gif (23x17 check
// mark, transparent), next.gif (32x32 arrow), back.bmp, forward.bmp and home.bmp (16x16,
// 16 colours). The encoders are the plainest that give valid files: baseline JPEG through
// libjpeg, GIF89a with an LZW coder of its own, uncompressed 4-bit BMP.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace {

struct TRgb {
    uint8_t R, G, B;
    bool operator<(const TRgb& o) const {
        return (R << 16 | G << 8 | B) < (o.R << 16 | o.G << 8 | o.B);
    }
    bool operator==(const TRgb& o) const { return R == o.R && G == o.G && B == o.B; }
};

// A drawing surface that hands back its pixels, with transparency where nothing was drawn.
class TSurface {
public:
    TSurface(int w, int h, bool antialias) : w_(w), h_(h) {
        s_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cr_ = cairo_create(s_);
        if (!antialias)
            cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    }
    ~TSurface() {
        cairo_destroy(cr_);
        cairo_surface_destroy(s_);
    }
    cairo_t* Cr() { return cr_; }
    int W() const { return w_; }
    int H() const { return h_; }
    // The pixel at (x, y) over white, and whether anything covers it.
    TRgb Pixel(int x, int y, bool* covered = nullptr) {
        cairo_surface_flush(s_);
        const uint8_t* row =
            cairo_image_surface_get_data(s_) + y * cairo_image_surface_get_stride(s_);
        uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
        const int a = p >> 24;
        if (covered)
            *covered = a >= 128;
        auto over = [a](int c) { return static_cast<uint8_t>(c + (255 - a)); }; // premultiplied
        return {over((p >> 16) & 255), over((p >> 8) & 255), over(p & 255)};
    }

private:
    int w_, h_;
    cairo_surface_t* s_;
    cairo_t* cr_;
};

void SetRgb(cairo_t* cr, int rgb) {
    cairo_set_source_rgb(cr, ((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0,
                         (rgb & 255) / 255.0);
}

bool WriteJpeg(const std::string& path, TSurface& s, bool grey, int quality) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = s.W();
    c.image_height = s.H();
    c.input_components = grey ? 1 : 3;
    c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(s.W()) * 3);
    for (int y = 0; y < s.H(); ++y) {
        for (int x = 0; x < s.W(); ++x) {
            TRgb p = s.Pixel(x, y);
            if (grey)
                row[x] = static_cast<uint8_t>((p.R * 30 + p.G * 59 + p.B * 11) / 100);
            else {
                row[x * 3] = p.R;
                row[x * 3 + 1] = p.G;
                row[x * 3 + 2] = p.B;
            }
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return std::fclose(f) == 0;
}

// Indexes a surface against a palette built from its own colours (uncovered pixels become
// index 0, the transparent colour, when transparent is set).
struct TIndexed {
    std::vector<TRgb> Palette;
    std::vector<uint8_t> Pixels;
};

TIndexed Index(TSurface& s, bool transparent) {
    TIndexed out;
    std::map<TRgb, int> slot;
    if (transparent)
        out.Palette.push_back({255, 255, 255});
    for (int y = 0; y < s.H(); ++y)
        for (int x = 0; x < s.W(); ++x) {
            bool covered = false;
            TRgb p = s.Pixel(x, y, &covered);
            if (transparent && !covered) {
                out.Pixels.push_back(0);
                continue;
            }
            // Few enough colours for one palette: antialiased edges are folded to 4 bits.
            p = {static_cast<uint8_t>((p.R & 0xF0) | (p.R >> 4)),
                 static_cast<uint8_t>((p.G & 0xF0) | (p.G >> 4)),
                 static_cast<uint8_t>((p.B & 0xF0) | (p.B >> 4))};
            auto it = slot.find(p);
            if (it == slot.end()) {
                it = slot.emplace(p, static_cast<int>(out.Palette.size())).first;
                out.Palette.push_back(p);
            }
            out.Pixels.push_back(static_cast<uint8_t>(it->second));
        }
    return out;
}

// GIF's variable-length LZW with clear codes when the table fills.
std::vector<uint8_t> Lzw(const std::vector<uint8_t>& pixels, int minBits) {
    std::vector<uint8_t> out;
    uint32_t acc = 0;
    int accBits = 0;
    const int clear = 1 << minBits, end = clear + 1;
    int bits = minBits + 1, next = end + 1;
    auto emit = [&](int code) {
        acc |= static_cast<uint32_t>(code) << accBits;
        accBits += bits;
        while (accBits >= 8) {
            out.push_back(static_cast<uint8_t>(acc & 255));
            acc >>= 8;
            accBits -= 8;
        }
    };
    std::map<std::pair<int, int>, int> table;
    emit(clear);
    int prefix = -1;
    for (uint8_t px : pixels) {
        if (prefix < 0) {
            prefix = px;
            continue;
        }
        auto it = table.find({prefix, px});
        if (it != table.end()) {
            prefix = it->second;
            continue;
        }
        emit(prefix);
        if (next < 4096) {
            table[{prefix, px}] = next++;
            if (next > (1 << bits) && bits < 12)
                ++bits;
        } else {
            emit(clear);
            table.clear();
            bits = minBits + 1;
            next = end + 1;
        }
        prefix = px;
    }
    if (prefix >= 0)
        emit(prefix);
    emit(end);
    if (accBits > 0)
        out.push_back(static_cast<uint8_t>(acc & 255));
    return out;
}

bool WriteGif(const std::string& path, TSurface& s, bool transparent) {
    TIndexed img = Index(s, transparent);
    if (img.Palette.size() > 256)
        return false;
    int depth = 1;
    while ((1u << depth) < img.Palette.size())
        ++depth;
    img.Palette.resize(size_t{1} << depth, TRgb{0, 0, 0});
    std::vector<uint8_t> f = {'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&f](int v) {
        f.push_back(static_cast<uint8_t>(v & 255));
        f.push_back(static_cast<uint8_t>(v >> 8));
    };
    put16(s.W());
    put16(s.H());
    f.push_back(static_cast<uint8_t>(0x80 | (depth - 1) << 4 | (depth - 1)));
    f.push_back(0); // background index
    f.push_back(0); // aspect
    for (const TRgb& c : img.Palette)
        f.insert(f.end(), {c.R, c.G, c.B});
    if (transparent)
        f.insert(f.end(), {0x21, 0xF9, 4, 1, 0, 0, 0, 0}); // index 0 is transparent
    f.push_back(0x2C);
    put16(0);
    put16(0);
    put16(s.W());
    put16(s.H());
    f.push_back(0);
    const int minBits = depth < 2 ? 2 : depth;
    f.push_back(static_cast<uint8_t>(minBits));
    std::vector<uint8_t> data = Lzw(img.Pixels, minBits);
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t n = std::min<size_t>(255, data.size() - i);
        f.push_back(static_cast<uint8_t>(n));
        f.insert(f.end(), data.begin() + static_cast<long>(i),
                 data.begin() + static_cast<long>(i + n));
    }
    f.push_back(0);
    f.push_back(0x3B);
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    bool ok = std::fwrite(f.data(), 1, f.size(), out) == f.size();
    return std::fclose(out) == 0 && ok;
}

// The sixteen colours of the standard 4-bit palette.
const TRgb kVga[16] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                       {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                       {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                       {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

int NearestVga(TRgb p) {
    int best = 0, bestD = 1 << 30;
    for (int i = 0; i < 16; ++i) {
        const int dr = p.R - kVga[i].R, dg = p.G - kVga[i].G, db = p.B - kVga[i].B;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

bool WriteBmp16(const std::string& path, TSurface& s) {
    const int rowBytes = ((s.W() + 1) / 2 + 3) / 4 * 4;
    const int dataOffset = 14 + 40 + 16 * 4;
    const int fileSize = dataOffset + rowBytes * s.H();
    std::vector<uint8_t> f;
    auto put = [&f](uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            f.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    f.push_back('B');
    f.push_back('M');
    put(fileSize, 4);
    put(0, 4);
    put(dataOffset, 4);
    put(40, 4);
    put(s.W(), 4);
    put(s.H(), 4);
    put(1, 2);
    put(4, 2);
    put(0, 4); // no compression
    put(rowBytes * s.H(), 4);
    put(3780, 4); // 96 pixels per inch
    put(3780, 4);
    put(16, 4);
    put(0, 4);
    for (const TRgb& c : kVga)
        f.insert(f.end(), {c.B, c.G, c.R, 0});
    for (int y = s.H() - 1; y >= 0; --y) { // bottom row first
        std::vector<uint8_t> row(rowBytes, 0);
        for (int x = 0; x < s.W(); ++x) {
            const int i = NearestVga(s.Pixel(x, y));
            row[x / 2] |= static_cast<uint8_t>(x % 2 ? i : i << 4);
        }
        f.insert(f.end(), row.begin(), row.end());
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    bool ok = std::fwrite(f.data(), 1, f.size(), out) == f.size();
    return std::fclose(out) == 0 && ok;
}

// ---- the drawings ----

void DrawLogo(TSurface& s) {
    cairo_t* cr = s.Cr();
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, s.W(), 0);
    cairo_pattern_add_color_stop_rgb(g, 0, 0x44 / 255.0, 0x55 / 255.0, 0x77 / 255.0);
    cairo_pattern_add_color_stop_rgb(g, 1, 0xC3 / 255.0, 0x96 / 255.0, 0xB6 / 255.0);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
    // An open book on the left.
    cairo_set_line_width(cr, 1.5);
    for (int side = -1; side <= 1; side += 2) {
        cairo_move_to(cr, 28, 17);
        cairo_curve_to(cr, 28 + side * 6, 12, 28 + side * 14, 12, 28 + side * 19, 15);
        cairo_line_to(cr, 28 + side * 19, 41);
        cairo_curve_to(cr, 28 + side * 14, 38, 28 + side * 6, 38, 28, 43);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 1, 1, 0.94);
        cairo_fill_preserve(cr);
        SetRgb(cr, 0x733737);
        cairo_stroke(cr);
        for (int l = 0; l < 4; ++l) {
            cairo_move_to(cr, 28 + side * 4, 21 + l * 5);
            cairo_line_to(cr, 28 + side * 15, 20 + l * 5);
        }
        cairo_set_line_width(cr, 1);
        SetRgb(cr, 0x8899bb);
        cairo_stroke(cr);
        cairo_set_line_width(cr, 1.5);
    }
    cairo_select_font_face(cr, "Liberation Serif", CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 22);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_move_to(cr, 55, 33);
    cairo_show_text(cr, "FolioBuilder");
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_move_to(cr, 54, 32);
    cairo_show_text(cr, "FolioBuilder");
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 10);
    SetRgb(cr, 0xfff2a8);
    cairo_move_to(cr, 56, 47);
    cairo_show_text(cr, "SITE BOOKS  \xC2\xB7  VERSION 3");
}

void DrawBackground(TSurface& s) {
    // Pale paper with soft diagonal fibres; a fixed-seed generator keeps the file stable.
    cairo_t* cr = s.Cr();
    cairo_set_source_rgb(cr, 0.93, 0.93, 0.93);
    cairo_paint(cr);
    uint32_t seed = 12345;
    auto rnd = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return ((seed >> 16) & 0x7FFF) / 32767.0;
    };
    cairo_set_line_width(cr, 1);
    for (int i = 0; i < 70; ++i) {
        const double x = rnd() * s.W(), y = rnd() * s.H(), len = 6 + rnd() * 14;
        const double shade = 0.82 + rnd() * 0.1;
        cairo_set_source_rgb(cr, shade, shade, shade);
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + len, y + len * 0.4);
        cairo_stroke(cr);
    }
}

void DrawCheck(TSurface& s) {
    cairo_t* cr = s.Cr();
    cairo_move_to(cr, 4, 8);
    cairo_line_to(cr, 9, 13);
    cairo_line_to(cr, 19, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    cairo_set_line_width(cr, 4);
    SetRgb(cr, 0x1f6b1f);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 2);
    SetRgb(cr, 0x3cb043);
    cairo_stroke(cr);
}

void DrawNext(TSurface& s) {
    cairo_t* cr = s.Cr();
    cairo_arc(cr, 16, 16, 14.5, 0, 2 * M_PI);
    SetRgb(cr, 0x445577);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    SetRgb(cr, 0x222c40);
    cairo_stroke(cr);
    cairo_move_to(cr, 9, 13);
    cairo_line_to(cr, 16, 13);
    cairo_line_to(cr, 16, 8);
    cairo_line_to(cr, 25, 16);
    cairo_line_to(cr, 16, 24);
    cairo_line_to(cr, 16, 19);
    cairo_line_to(cr, 9, 19);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill(cr);
}

// 16x16 button pictures on the button face grey, drawn without antialiasing so every pixel
// is one of the sixteen colours.
void ButtonFace(TSurface& s) {
    cairo_set_source_rgb(s.Cr(), 192 / 255.0, 192 / 255.0, 192 / 255.0);
    cairo_paint(s.Cr());
}

void DrawArrow(TSurface& s, bool left) {
    ButtonFace(s);
    cairo_t* cr = s.Cr();
    auto X = [left](double x) { return left ? 16 - x : x; };
    cairo_move_to(cr, X(2), 6);
    cairo_line_to(cr, X(8), 6);
    cairo_line_to(cr, X(8), 2);
    cairo_line_to(cr, X(14.5), 8);
    cairo_line_to(cr, X(8), 14);
    cairo_line_to(cr, X(8), 10);
    cairo_line_to(cr, X(2), 10);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0, 0.5, 0);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_stroke(cr);
}

void DrawHome(TSurface& s) {
    ButtonFace(s);
    cairo_t* cr = s.Cr();
    cairo_set_line_width(cr, 1);
    // walls
    cairo_rectangle(cr, 3.5, 7.5, 9, 7);
    cairo_set_source_rgb(cr, 1, 1, 0);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_stroke(cr);
    // roof
    cairo_move_to(cr, 1, 8.5);
    cairo_line_to(cr, 8, 1.5);
    cairo_line_to(cr, 15, 8.5);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.5, 0, 0);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_stroke(cr);
    // door
    cairo_rectangle(cr, 7, 10, 3, 5);
    cairo_set_source_rgb(cr, 0.5, 0, 0);
    cairo_fill(cr);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: resimages OUTDIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    bool ok = true;
    {
        TSurface s(197, 56, true);
        DrawLogo(s);
        ok &= WriteJpeg(dir + "logo.jpg", s, false, 85);
    }
    {
        TSurface s(100, 90, true);
        DrawBackground(s);
        ok &= WriteJpeg(dir + "bg.jpg", s, true, 75);
    }
    {
        TSurface s(23, 17, false);
        DrawCheck(s);
        ok &= WriteGif(dir + "smallcheck.gif", s, true);
    }
    {
        TSurface s(32, 32, false);
        DrawNext(s);
        ok &= WriteGif(dir + "next.gif", s, true);
    }
    {
        TSurface s(16, 16, false);
        DrawArrow(s, true);
        ok &= WriteBmp16(dir + "back.bmp", s);
    }
    {
        TSurface s(16, 16, false);
        DrawArrow(s, false);
        ok &= WriteBmp16(dir + "forward.bmp", s);
    }
    {
        TSurface s(16, 16, false);
        DrawHome(s);
        ok &= WriteBmp16(dir + "home.bmp", s);
    }
    if (!ok) {
        std::fprintf(stderr, "resimages: could not write every picture into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
