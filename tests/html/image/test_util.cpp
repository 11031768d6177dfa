#include "test_util.h"

#include <cairo.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/base/files.h"
#include "tests/support/files.h"

std::string DataPath(const std::string& name) {
    const char* src = std::getenv("FOLIO_SOURCE_DIR");
    return std::string(src ? src : ".") + "/tests/data/image/" + name;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    const std::string bytes = folio_test::ReadFile(path);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool ReadPng(const std::string& path, TPngImage& out) {
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return false;
    }
    // Whatever format cairo chose, paint onto ARGB32 to read it one way.
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    cairo_surface_t* a = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(a);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(a);
    out.Width = w;
    out.Height = h;
    out.Argb.resize(static_cast<size_t>(w) * h);
    const unsigned char* data = cairo_image_surface_get_data(a);
    const int stride = cairo_image_surface_get_stride(a);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < w; ++x) {
            uint32_t p = row[x];
            uint32_t al = p >> 24;
            if (al != 0 && al != 255) { // un-premultiply
                auto un = [&](int shift) { return (((p >> shift) & 255) * 255 + al / 2) / al; };
                p = al << 24 | un(16) << 16 | un(8) << 8 | un(0);
            }
            out.Argb[static_cast<size_t>(y) * w + x] = p;
        }
    }
    cairo_surface_destroy(a);
    cairo_surface_destroy(s);
    return true;
}

int CountDifferences(const TPngImage& png, const TBitmap& picture, const TBitmap* mask) {
    int diff = 0;
    for (int y = 0; y < png.Height; ++y)
        for (int x = 0; x < png.Width; ++x) {
            const uint32_t p = png.At(x, y);
            const bool clear = (p >> 24) < 128;
            const bool masked = mask && mask->GetIndex(x, y) == 1;
            if (clear != masked) {
                ++diff;
                continue;
            }
            if (clear)
                continue;
            const TColor c = picture.GetPixel(x, y);
            const uint32_t rgb = static_cast<uint32_t>(GetRValue(c)) << 16 |
                                 static_cast<uint32_t>(GetGValue(c)) << 8 | GetBValue(c);
            if (rgb != (p & 0xFFFFFF))
                ++diff;
        }
    return diff;
}

TGifWriter::TGifWriter(int width, int height, int tableBits, const std::vector<uint32_t>& colors,
                       bool gif89) {
    const char* sig = gif89 ? "GIF89a" : "GIF87a";
    Bytes.assign(sig, sig + 6);
    Bytes.push_back(static_cast<uint8_t>(width));
    Bytes.push_back(static_cast<uint8_t>(width >> 8));
    Bytes.push_back(static_cast<uint8_t>(height));
    Bytes.push_back(static_cast<uint8_t>(height >> 8));
    Bytes.push_back(static_cast<uint8_t>(tableBits > 0 ? 0x80 | (tableBits - 1) : 0));
    Bytes.push_back(0);
    Bytes.push_back(0);
    if (tableBits > 0)
        Table(tableBits, colors);
}

void TGifWriter::Table(int bits, const std::vector<uint32_t>& colors) {
    for (int i = 0; i < (1 << bits); ++i) {
        uint32_t c = i < static_cast<int>(colors.size()) ? colors[static_cast<size_t>(i)] : 0;
        Bytes.push_back(static_cast<uint8_t>(c >> 16));
        Bytes.push_back(static_cast<uint8_t>(c >> 8));
        Bytes.push_back(static_cast<uint8_t>(c));
    }
}

void TGifWriter::Control(int disposal, int delayCs, bool transparent, int index) {
    const uint8_t b[] = {'!',
                         249,
                         4,
                         static_cast<uint8_t>(disposal << 2 | (transparent ? 1 : 0)),
                         static_cast<uint8_t>(delayCs),
                         static_cast<uint8_t>(delayCs >> 8),
                         static_cast<uint8_t>(index),
                         0};
    Bytes.insert(Bytes.end(), std::begin(b), std::end(b));
}

void TGifWriter::Loop(int count) {
    const uint8_t b[] = {'!',
                         255,
                         11,
                         'N',
                         'E',
                         'T',
                         'S',
                         'C',
                         'A',
                         'P',
                         'E',
                         '2',
                         '.',
                         '0',
                         3,
                         1,
                         static_cast<uint8_t>(count),
                         static_cast<uint8_t>(count >> 8),
                         0};
    Bytes.insert(Bytes.end(), std::begin(b), std::end(b));
}

void TGifWriter::Comment(const std::string& text) {
    Bytes.push_back('!');
    Bytes.push_back(254);
    SubBlocks(std::vector<uint8_t>(text.begin(), text.end()));
}

void TGifWriter::SubBlocks(const std::vector<uint8_t>& data) {
    for (size_t i = 0; i < data.size(); i += 255) {
        size_t n = std::min<size_t>(255, data.size() - i);
        Bytes.push_back(static_cast<uint8_t>(n));
        Bytes.insert(Bytes.end(), data.begin() + static_cast<long>(i),
                     data.begin() + static_cast<long>(i + n));
    }
    Bytes.push_back(0);
}

namespace {
struct TBitWriter {
    std::vector<uint8_t> out;
    uint32_t acc = 0;
    int bits = 0;
    void Put(int code, int width) {
        acc |= static_cast<uint32_t>(code) << bits;
        bits += width;
        while (bits >= 8) {
            out.push_back(static_cast<uint8_t>(acc));
            acc >>= 8;
            bits -= 8;
        }
    }
    void Flush() {
        if (bits > 0)
            out.push_back(static_cast<uint8_t>(acc));
        acc = 0;
        bits = 0;
    }
};
} // namespace

std::vector<uint8_t> TGifWriter::Encode(const std::vector<uint8_t>& pixels, int minCodeSize) {
    // Every pixel is its own code; a clear code comes before the table would need a wider
    // code, so all codes keep the starting width.
    const int clear = 1 << minCodeSize, width = minCodeSize + 1;
    const int run = std::max(1, clear - 2);
    TBitWriter w;
    int sinceClear = run;
    for (uint8_t p : pixels) {
        if (sinceClear == run) {
            w.Put(clear, width);
            sinceClear = 0;
        }
        w.Put(p & (clear - 1), width);
        ++sinceClear;
    }
    w.Put(clear + 1, width);
    w.Flush();
    return w.out;
}

void TGifWriter::Frame(int left, int top, int width, int height, const std::vector<uint8_t>& pixels,
                       int minCodeSize, int localBits, const std::vector<uint32_t>& local,
                       bool interlaced) {
    const uint8_t d[] = {',',
                         static_cast<uint8_t>(left),
                         static_cast<uint8_t>(left >> 8),
                         static_cast<uint8_t>(top),
                         static_cast<uint8_t>(top >> 8),
                         static_cast<uint8_t>(width),
                         static_cast<uint8_t>(width >> 8),
                         static_cast<uint8_t>(height),
                         static_cast<uint8_t>(height >> 8),
                         static_cast<uint8_t>((localBits > 0 ? 0x80 | (localBits - 1) : 0) |
                                              (interlaced ? 0x40 : 0))};
    Bytes.insert(Bytes.end(), std::begin(d), std::end(d));
    if (localBits > 0)
        Table(localBits, local);
    Bytes.push_back(static_cast<uint8_t>(minCodeSize));
    SubBlocks(Encode(pixels, minCodeSize));
}

void TGifWriter::RawFrame(int left, int top, int width, int height, int minCodeSize,
                          const std::vector<int>& codes, int widthBits) {
    const uint8_t d[] = {',',
                         static_cast<uint8_t>(left),
                         static_cast<uint8_t>(left >> 8),
                         static_cast<uint8_t>(top),
                         static_cast<uint8_t>(top >> 8),
                         static_cast<uint8_t>(width),
                         static_cast<uint8_t>(width >> 8),
                         static_cast<uint8_t>(height),
                         static_cast<uint8_t>(height >> 8),
                         0};
    Bytes.insert(Bytes.end(), std::begin(d), std::end(d));
    Bytes.push_back(static_cast<uint8_t>(minCodeSize));
    TBitWriter w;
    for (int c : codes)
        w.Put(c, widthBits);
    w.Flush();
    SubBlocks(w.out);
}
