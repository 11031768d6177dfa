#include "html/image/jpeg_mod.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "html/image/pixels.h"

using namespace folio_image;

namespace {

// How many pixels one byte of JPEG data may plausibly stand for (flat areas compress to a
// few bits per 8 x 8 block); larger claims are refused before any allocation.
constexpr int64_t kPixelsPerByte = 1024;
constexpr int64_t kMinPlausiblePixels = 1 << 20;

struct TErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void SilentMessage(j_common_ptr, int) {}

// Everything that must survive a longjmp lives here, made before setjmp.
struct TDecodeState {
    jpeg_decompress_struct cinfo;
    TErrorManager err;
    std::unique_ptr<TBitmap> bitmap;
    std::vector<JSAMPLE> colormap; // 3 x N samples for 8-bit output
    std::vector<JSAMPLE> row;
};

} // namespace

bool TJpegMod::LoadFromMemory(const uint8_t* data, size_t size) {
    bitmap_.reset();
    if (!data || size < 4)
        return false;
    auto state = std::make_unique<TDecodeState>();
    TDecodeState* s = state.get();
    s->cinfo.err = jpeg_std_error(&s->err.pub);
    s->err.pub.error_exit = ErrorExit;
    s->err.pub.emit_message = SilentMessage;
    if (setjmp(s->err.jump)) {
        jpeg_destroy_decompress(&s->cinfo);
        return false;
    }
    jpeg_create_decompress(&s->cinfo);
    jpeg_mem_src(&s->cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&s->cinfo, TRUE);
    const int64_t pixels = static_cast<int64_t>(s->cinfo.image_width) * s->cinfo.image_height;
    if (pixels <= 0 || pixels > TBitmap::MaxBitmapPixels ||
        pixels > std::max(kMinPlausiblePixels, static_cast<int64_t>(size) * kPixelsPerByte)) {
        jpeg_destroy_decompress(&s->cinfo);
        return false;
    }
    s->cinfo.out_color_space = JCS_RGB; // grey pictures too, so one colour map serves all
    const bool eight = PixelFormat == jf8Bit;
    if (eight) {
        s->cinfo.quantize_colors = TRUE;
        s->cinfo.dither_mode = JDITHER_FS;
        if (Palette && Palette->Count() > 0) {
            const int n = std::min(Palette->Count(), 256);
            s->colormap.resize(static_cast<size_t>(3 * n));
            for (int i = 0; i < n; ++i) {
                s->colormap[static_cast<size_t>(i)] = (*Palette)[i].r;
                s->colormap[static_cast<size_t>(n + i)] = (*Palette)[i].g;
                s->colormap[static_cast<size_t>(2 * n + i)] = (*Palette)[i].b;
            }
            // libjpeg reads the map through row pointers kept in its own pool.
            JSAMPARRAY map =
                (*s->cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&s->cinfo),
                                              JPOOL_IMAGE, static_cast<JDIMENSION>(n), 3);
            for (int c = 0; c < 3; ++c)
                for (int i = 0; i < n; ++i)
                    map[c][i] = s->colormap[static_cast<size_t>(c * n + i)];
            s->cinfo.colormap = map;
            s->cinfo.actual_number_of_colors = n;
        } else {
            s->cinfo.desired_number_of_colors = 256;
        }
    }
    jpeg_start_decompress(&s->cinfo);
    const int w = static_cast<int>(s->cinfo.output_width);
    const int h = static_cast<int>(s->cinfo.output_height);
    try {
        s->bitmap = std::make_unique<TBitmap>(w, h, eight ? pf8bit : pf24bit);
        s->row.resize(static_cast<size_t>(w) * 3);
    } catch (const std::exception&) {
        jpeg_destroy_decompress(&s->cinfo);
        return false;
    }
    if (eight) {
        std::vector<TPaletteEntry> entries(256);
        JSAMPARRAY map = s->cinfo.colormap;
        for (int i = 0; i < s->cinfo.actual_number_of_colors && i < 256; ++i)
            entries[static_cast<size_t>(i)] = {map[0][i], map[1][i], map[2][i]};
        s->bitmap->Palette() = TPalette(std::move(entries));
    }
    while (s->cinfo.output_scanline < s->cinfo.output_height) {
        const int y = static_cast<int>(s->cinfo.output_scanline);
        JSAMPROW rowPtr = eight ? s->bitmap->ScanLine(y) : s->row.data();
        if (jpeg_read_scanlines(&s->cinfo, &rowPtr, 1) != 1)
            break;
        if (!eight) {
            uint8_t* d = s->bitmap->ScanLine(y);
            const JSAMPLE* p = s->row.data();
            for (int x = 0; x < w; ++x, p += 3, d += 3)
                PutRGB(d, p[0], p[1], p[2]);
        }
    }
    jpeg_finish_decompress(&s->cinfo);
    jpeg_destroy_decompress(&s->cinfo);
    bitmap_ = std::move(s->bitmap);
    return true;
}

bool TJpegMod::LoadFromStream(TStream& stream) {
    try {
        int64_t size = stream.Size() - stream.Position();
        if (size <= 0)
            return false;
        std::vector<uint8_t> buf(static_cast<size_t>(size));
        stream.ReadBuffer(buf.data(), size);
        return LoadFromMemory(buf.data(), buf.size());
    } catch (const std::exception&) {
        return false;
    }
}
