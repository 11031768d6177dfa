// The banded PNG writer: what it writes reads back as the same pixels.
#include <gtest/gtest.h>

#include <cairo.h>
#include <string>

#include "html/load/png_band_writer.h"
#include "platform/graphics/canvas.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(PngBandWriter, BandsJoinIntoOnePicture) {
    folio_test::TempDir dir;
    const std::string file = dir.Path() + "/bands.png";
    TPngBandWriter png;
    std::string error;
    ASSERT_TRUE(png.Open(file, 5, 7, error)) << error;
    // Three bands of 3, 3 and 1 rows; each row has its own colour.
    for (int top = 0; top < 7; top += 3) {
        TCanvas band(5, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                band.SetPixel(x, y, static_cast<TColor>(((top + y) * 30) | (x * 40) << 8));
        ASSERT_TRUE(png.AddRows(band, std::min(3, 7 - top), error)) << error;
    }
    ASSERT_TRUE(png.Close(error)) << error;

    cairo_surface_t* s = cairo_image_surface_create_from_png(file.c_str());
    ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(s), 5);
    ASSERT_EQ(cairo_image_surface_get_height(s), 7);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < 7; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < 5; ++x) {
            // TColor has red in the low byte; cairo has it in bits 16 to 23.
            const uint32_t px = row[x] & 0xFFFFFF;
            EXPECT_EQ(px >> 16, static_cast<uint32_t>(y * 30)) << x << "," << y;
            EXPECT_EQ((px >> 8) & 0xFF, static_cast<uint32_t>(x * 40)) << x << "," << y;
        }
    }
    cairo_surface_destroy(s);
}

TEST(PngBandWriter, RepeatedRowsAndNarrowBands) {
    // Rows like the row above (most of a page), a black first row, and a band narrower than
    // the picture, whose missing columns are white.
    folio_test::TempDir dir;
    const std::string file = dir.Path() + "/repeat.png";
    TPngBandWriter png;
    std::string error;
    ASSERT_TRUE(png.Open(file, 6, 9, error)) << error;
    const auto expected = [](int x, int y) -> uint32_t {
        if (y >= 6)
            return x < 4 ? 0x102030u : 0xFFFFFFu;
        if (y == 0)
            return 0;
        return y < 4 ? 0xFFFFFFu : (x == 2 ? 0x0000FFu : 0xFFFFFFu);
    };
    for (int top = 0; top < 9; top += 3) {
        const int width = top >= 6 ? 4 : 6;
        TCanvas band(width, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t rgb = expected(x, top + y);
                band.SetPixel(x, y, RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
            }
        ASSERT_TRUE(png.AddRows(band, 3, error)) << error;
    }
    ASSERT_TRUE(png.Close(error)) << error;

    cairo_surface_t* s = cairo_image_surface_create_from_png(file.c_str());
    ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < 9; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(row[x] & 0xFFFFFF, expected(x, y)) << x << "," << y;
    }
    cairo_surface_destroy(s);
}

TEST(PngBandWriter, IncompletePictureIsRemoved) {
    folio_test::TempDir dir;
    const std::string file = dir.Path() + "/short.png";
    std::string error;
    {
        TPngBandWriter png;
        ASSERT_TRUE(png.Open(file, 4, 10, error));
        TCanvas band(4, 3);
        ASSERT_TRUE(png.AddRows(band, 3, error));
        EXPECT_FALSE(png.Close(error));
        EXPECT_NE(error.find("incomplete"), std::string::npos);
    }
    cairo_surface_t* s = cairo_image_surface_create_from_png(file.c_str());
    EXPECT_EQ(cairo_surface_status(s), CAIRO_STATUS_FILE_NOT_FOUND);
    cairo_surface_destroy(s);
}

TEST(PngBandWriter, UnwritablePlaceAndEmptySizes) {
    TPngBandWriter png;
    std::string error;
    EXPECT_FALSE(png.Open("/nonexistent/dir/x.png", 4, 4, error));
    EXPECT_NE(error.find("/nonexistent/dir/x.png"), std::string::npos);
    EXPECT_FALSE(png.Open("/tmp/never.png", 0, 4, error));
}

} // namespace
