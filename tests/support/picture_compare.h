#pragma once
// Compares a painted canvas with a stored PNG within a tolerance: pictures may differ by small
// amounts (font rasterisation across library versions), so a pixel counts as different only
// when a channel is more than the tolerance away, and a test allows a small share of them.
#include <cairo.h>

#include <cstdint>
#include <string>

#include "platform/graphics/canvas.h"

namespace folio_test {

struct TPictureDifference {
    bool Comparable = false; // the file was read and has the canvas's size
    std::string Why;         // when not comparable
    int64_t Different = 0;   // pixels with a channel more than the tolerance away
    int64_t Total = 0;
};

inline TPictureDifference ComparePicture(const std::string& pngFile, const TCanvas& actual,
                                         int channelTolerance) {
    TPictureDifference r;
    cairo_surface_t* s = cairo_image_surface_create_from_png(pngFile.c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        r.Why = "cannot read " + pngFile;
        cairo_surface_destroy(s);
        return r;
    }
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    if (w != actual.Width() || h != actual.Height()) {
        r.Why = pngFile + " is " + std::to_string(w) + "x" + std::to_string(h) + ", the picture " +
                std::to_string(actual.Width()) + "x" + std::to_string(actual.Height());
        cairo_surface_destroy(s);
        return r;
    }
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    actual.Flush();
    for (int y = 0; y < h; ++y) {
        const auto* want = reinterpret_cast<const uint32_t*>(data + y * stride);
        const uint32_t* got = actual.Row(y);
        for (int x = 0; x < w; ++x)
            for (int shift : {0, 8, 16}) {
                const int d = static_cast<int>((want[x] >> shift) & 0xFF) -
                              static_cast<int>((got[x] >> shift) & 0xFF);
                if (d > channelTolerance || d < -channelTolerance) {
                    ++r.Different;
                    break;
                }
            }
    }
    r.Comparable = true;
    r.Total = int64_t{w} * h;
    cairo_surface_destroy(s);
    return r;
}

} // namespace folio_test
