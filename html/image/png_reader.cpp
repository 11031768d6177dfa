#include "html/image/png_reader.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

#include "html/image/pixels.h"

using namespace folio_image;

namespace {

// Deflate turns one byte into at most 1032 (a run of 258 in under two bits); a header that
// claims more image data than the file could hold is lying.
constexpr int64_t kMaxInflateRatio = 1032;
// Text, profile and other side chunks are read only to be skipped: keep them small.
constexpr png_alloc_size_t kMaxChunkBytes = 1 << 20;

struct TReadState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    std::unique_ptr<TBitmap> bitmap;
    std::unique_ptr<TBitmap> alpha;
    // RGBA rows as libpng delivers them: one row, or the whole picture when interlaced (later
    // passes fill in the rows of earlier ones).
    std::vector<png_byte> pixels;
    std::vector<png_bytep> rows;
    ~TReadState() {
        if (png != nullptr)
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    }
};

void ReadData(png_structp png, png_bytep out, size_t count) {
    auto* s = static_cast<TReadState*>(png_get_io_ptr(png));
    if (count > s->size - s->pos)
        png_error(png, "unexpected end of data");
    std::memcpy(out, s->data + s->pos, count);
    s->pos += count;
}

// How much of the file libpng may read: everything up to the first chunk that claims more data
// than the file still holds. libpng allocates a side chunk's whole claimed size before reading
// it, whatever its chunk limit says, so a few bytes claiming a gigabyte of text would cost a
// gigabyte; ended there, the read stops at that chunk's header instead.
size_t ReadableBytes(const uint8_t* data, size_t size) {
    size_t pos = 8; // after the signature
    while (size - pos >= 12) {
        const uint32_t length = static_cast<uint32_t>(data[pos]) << 24 |
                                static_cast<uint32_t>(data[pos + 1]) << 16 |
                                static_cast<uint32_t>(data[pos + 2]) << 8 | data[pos + 3];
        if (length > size - pos - 12) // length, type and check value around the data
            return pos;
        pos += 12 + length;
    }
    return size;
}

[[noreturn]] void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Bytes of filtered image data the header promises (every pass of an interlaced picture
// holds at least its share of these).
int64_t RawBytes(int64_t width, int64_t height, int channels, int depth) {
    return height * (1 + (width * channels * depth + 7) / 8);
}

// One delivered RGBA row into the bitmap and the transparency map; true when a pixel of it is
// less than opaque.
bool StoreRow(const png_byte* src, int width, uint8_t* color, uint8_t* transparency) {
    uint8_t seen = 255;
    for (int x = 0; x < width; ++x, src += 4, color += 3) {
        PutRGB(color, src[0], src[1], src[2]);
        seen &= src[3];
        if (transparency != nullptr)
            transparency[x] = static_cast<uint8_t>(255 - src[3]);
    }
    return seen != 255;
}

} // namespace

const TPalette& GreyPalette() {
    static const TPalette grey = [] {
        std::vector<TPaletteEntry> e(256);
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<uint8_t>(i);
            e[static_cast<size_t>(i)] = {v, v, v};
        }
        return TPalette(std::move(e));
    }();
    return grey;
}

std::unique_ptr<TBitmap> ReadPNG(const uint8_t* data, size_t size,
                                 std::unique_ptr<TBitmap>* transparency) {
    if (transparency != nullptr)
        transparency->reset();
    if (data == nullptr || size < 8 || png_sig_cmp(data, 0, 8) != 0)
        return nullptr;
    // Everything that must outlive a longjmp from libpng is made before setjmp and lives in
    // the state, so that no object of this frame is skipped by the jump.
    auto state = std::make_unique<TReadState>();
    TReadState* s = state.get();
    s->data = data;
    s->size = ReadableBytes(data, size);
    s->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (s->png == nullptr)
        return nullptr;
    s->info = png_create_info_struct(s->png);
    if (s->info == nullptr)
        return nullptr;
    if (setjmp(png_jmpbuf(s->png)))
        return nullptr; // the state frees libpng's memory and ours
    png_set_read_fn(s->png, s, ReadData);
    png_set_chunk_malloc_max(s->png, kMaxChunkBytes);
    png_set_user_limits(s->png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(s->png, s->info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(s->png, s->info, &width, &height, &depth, &colorType, &interlace, nullptr,
                 nullptr);
    const int64_t w = width, h = height;
    const int channels = png_get_channels(s->png, s->info);
    if (w <= 0 || h <= 0 || w * h > TBitmap::MaxBitmapPixels ||
        RawBytes(w, h, channels, depth) > static_cast<int64_t>(size) * kMaxInflateRatio)
        return nullptr;
    const bool mayBeTransparent =
        (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(s->png, s->info, PNG_INFO_tRNS);

    // Whatever is stored, libpng delivers 8-bit RGBA.
    png_set_expand(s->png); // palette to RGB, small greys to 8 bits, tRNS to alpha
    png_set_scale_16(s->png);
    png_set_gray_to_rgb(s->png);
    png_set_add_alpha(s->png, 0xFF, PNG_FILLER_AFTER); // only where there is no alpha yet
    const int passes = png_set_interlace_handling(s->png);
    png_read_update_info(s->png, s->info);
    if (png_get_rowbytes(s->png, s->info) != static_cast<size_t>(w) * 4)
        return nullptr;

    const int iw = static_cast<int>(w), ih = static_cast<int>(h);
    try {
        s->bitmap = std::make_unique<TBitmap>(iw, ih, pf24bit);
        if (mayBeTransparent && transparency != nullptr) {
            s->alpha = std::make_unique<TBitmap>(iw, ih, pf8bit);
            s->alpha->Palette() = GreyPalette();
        }
        s->pixels.resize(static_cast<size_t>(w) * 4 * (passes > 1 ? static_cast<size_t>(h) : 1));
        s->rows.resize(passes > 1 ? static_cast<size_t>(h) : 1);
        for (size_t y = 0; y < s->rows.size(); ++y)
            s->rows[y] = s->pixels.data() + y * static_cast<size_t>(w) * 4;
    } catch (const std::exception&) {
        return nullptr;
    }

    bool transparent = false;
    if (passes > 1) {
        png_read_image(s->png, s->rows.data());
        for (int y = 0; y < ih; ++y)
            transparent |= StoreRow(s->rows[static_cast<size_t>(y)], iw, s->bitmap->ScanLine(y),
                                    s->alpha ? s->alpha->ScanLine(y) : nullptr);
    } else {
        for (int y = 0; y < ih; ++y) {
            png_read_row(s->png, s->rows[0], nullptr);
            transparent |= StoreRow(s->rows[0], iw, s->bitmap->ScanLine(y),
                                    s->alpha ? s->alpha->ScanLine(y) : nullptr);
        }
    }
    // What follows the image data (text, the end chunk) is not needed: a file cut after its
    // pixels still shows.
    if (transparent && transparency != nullptr && s->alpha)
        *transparency = std::move(s->alpha);
    return std::move(s->bitmap);
}
