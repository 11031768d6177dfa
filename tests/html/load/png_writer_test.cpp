// The banded PNG writer: what it writes reads back as the same pixels.
#include <gtest/gtest.h>

#include <cairo.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <zlib.h>

#include "html/image/png_reader.h"
#include "html/load/png_band_writer.h"
#include "platform/graphics/canvas.h"
#include "tests/support/temp_dir.h"

namespace {

// A picture as 0xRRGGBB values, top row first.
struct TPicture {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
    TPicture(int width, int height)
        : Width(width), Height(height), Pixels(static_cast<size_t>(width) * height) {}
    uint32_t& At(int x, int y) { return Pixels[static_cast<size_t>(y) * Width + x]; }
    uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
    void CopyRow(int from, int to) { std::copy_n(&At(0, from), Width, &At(0, to)); }
};

uint32_t Noise(uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
}

// Writes the picture through the writer in bands whose heights cycle through `bands`. The
// canvas's fourth byte, which is no part of a pixel, is filled with changing junk.
void Write(const std::string& file, const TPicture& pic, const std::vector<int>& bands) {
    TPngBandWriter png;
    std::string error;
    ASSERT_TRUE(png.Open(file, pic.Width, pic.Height, error)) << error;
    size_t band = 0;
    for (int top = 0; top < pic.Height; band = (band + 1) % bands.size()) {
        const int rows = std::min(bands[band], pic.Height - top);
        TCanvas canvas(pic.Width, rows);
        for (int y = 0; y < rows; ++y) {
            uint32_t* row = canvas.Row(y);
            for (int x = 0; x < pic.Width; ++x)
                row[x] = pic.At(x, top + y) | static_cast<uint32_t>((x * 7 + y) & 0xFF) << 24;
        }
        ASSERT_TRUE(png.AddRows(canvas, rows, error)) << error;
        top += rows;
    }
    ASSERT_TRUE(png.Close(error)) << error;
}

std::string ReadFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

uint32_t BigEndian(const std::string& s, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(s[at])) << 24 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[at + 1])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[at + 2])) << 8 |
           static_cast<uint8_t>(s[at + 3]);
}

// The file holds exactly the picture: zlib inflates the image data to its end, checksum
// included, into exactly the rows' bytes, and libpng reads back every pixel.
void ExpectReadsBack(const std::string& file, const TPicture& pic, const std::string& name) {
    SCOPED_TRACE(name);
    const std::string bytes = ReadFile(file);
    std::string data;
    size_t at = 8;
    bool ended = false;
    while (at + 12 <= bytes.size() && !ended) {
        const uint32_t size = BigEndian(bytes, at);
        const std::string type = bytes.substr(at + 4, 4);
        ASSERT_LE(at + 12 + size, bytes.size());
        const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.data() + at + 4), size + 4);
        EXPECT_EQ(BigEndian(bytes, at + 8 + size), static_cast<uint32_t>(crc)) << type;
        if (type == "IDAT")
            data += bytes.substr(at + 8, size);
        ended = type == "IEND";
        at += 12 + size;
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(at, bytes.size()) << "nothing may follow the end";

    const size_t rowBytes = 1 + static_cast<size_t>(pic.Width) * 3;
    std::vector<uint8_t> raw(rowBytes * pic.Height + 1);
    z_stream zs{};
    ASSERT_EQ(inflateInit(&zs), Z_OK);
    zs.next_in = reinterpret_cast<Bytef*>(data.data());
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = raw.data();
    zs.avail_out = static_cast<uInt>(raw.size());
    const int rc = inflate(&zs, Z_FINISH);
    EXPECT_EQ(rc, Z_STREAM_END) << (zs.msg ? zs.msg : "");
    EXPECT_EQ(zs.total_out, rowBytes * pic.Height);
    EXPECT_EQ(zs.avail_in, 0u) << "data after the stream's end";
    inflateEnd(&zs);

    const auto bitmap =
        ReadPNG(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), nullptr);
    ASSERT_TRUE(bitmap);
    ASSERT_EQ(bitmap->Width(), pic.Width);
    ASSERT_EQ(bitmap->Height(), pic.Height);
    int wrong = 0;
    for (int y = 0; y < pic.Height; ++y)
        for (int x = 0; x < pic.Width; ++x) {
            const uint32_t rgb = pic.At(x, y);
            const TColor want = RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);
            if (bitmap->GetPixel(x, y) != want && ++wrong <= 5)
                ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex
                              << bitmap->GetPixel(x, y) << ", not " << want;
        }
    EXPECT_EQ(wrong, 0);
}

TEST(PngBandWriter, VariedPicturesReadBackExactly) {
    folio_test::TempDir dir;
    const std::string file = dir.Path() + "/varied.png";
    uint32_t seed = 5;

    // Noise: nearly every pixel a literal.
    TPicture noise(97, 61);
    for (uint32_t& p : noise.Pixels)
        p = Noise(seed) & 0xFFFFFF;
    Write(file, noise, {7, 13, 1});
    ExpectReadsBack(file, noise, "noise");

    // Runs of one colour of every length from 1 to 300 pixels, so copies are cut into pieces
    // of the longest length with every remainder; some rows repeat the row above, others
    // agree with it only in part, and one stretch of 2,000 equal rows is longer than a run
    // the writer keeps before sending it.
    TPicture runs(700, 2400);
    for (int y = 0; y < runs.Height; ++y) {
        if (y % 5 == 3 || (y >= 300 && y < 2300)) {
            runs.CopyRow(y - 1, y);
            if (y % 7 == 0 && y < 300)
                runs.At((y * 13) % runs.Width, y) ^= 0x010203; // one pixel unlike above
            continue;
        }
        const int length = 1 + (y * 37) % 300;
        for (int x = 0; x < runs.Width; ++x) {
            const int index = (x + y % 3) / length;
            runs.At(x, y) = (index % 3 == 0) ? 0xFFFFFF : ((index * 0x25F3A1u) & 0xFFFFFF);
        }
    }
    Write(file, runs, {256, 3, 1000, 1});
    ExpectReadsBack(file, runs, "runs and repeated rows");

    // Wider than 10,922 pixels: the row above is beyond deflate's reach, even when the rows
    // are the same.
    TPicture wide(11000, 6);
    for (int y = 0; y < wide.Height; ++y)
        for (int x = 0; x < wide.Width; ++x)
            wide.At(x, y) = y == 2 ? Noise(seed) & 0xFFFFFF : ((x / (50 + y)) % 2 ? 0x808080 : 0);
    wide.CopyRow(0, 1);
    wide.CopyRow(4, 5);
    Write(file, wide, {2, 3});
    ExpectReadsBack(file, wide, "wide");

    // Short motifs repeated along rows, as letters along a line of text: apart, one after the
    // other (a copy overlapping what it makes, longer than one copy can be), and as far apart
    // as a copy can reach and just beyond it, in a row 11,000 pixels wide.
    TPicture motifs(11000, 4);
    std::vector<uint32_t> motif(16);
    for (uint32_t& p : motif)
        p = Noise(seed) & 0xFFFFFF;
    motif[4] = motif[3]; // a pixel like the one to its left inside each repeat
    for (int y = 0; y < motifs.Height; ++y) {
        for (int x = 0; x < motifs.Width; ++x)
            motifs.At(x, y) = 0xFFFFFF;
        // `count` times the `length` pixels of the motif from `shift` on, from x.
        const auto put = [&](int x, int length, int shift, int count) {
            for (int k = 0; k < count; ++k)
                for (int i = 0; i < length; ++i)
                    motifs.At(x + k * length + i, y) = motif[(i + shift) % motif.size()];
        };
        put(3, 5 + y, y, 1);
        put(20, 5 + y, y, 1);
        put(200, 5, 0, 40); // 200 pixels, 600 bytes
        put(60, 7, 7 + y, 1);
        put(60 + 10922, 7, 7 + y, 1); // 32,766 bytes after the first: within reach
        put(80, 4, 11 + y, 1);
        put(80 + 10910, 4, 11 + y, 1); // 32,730 bytes after: within reach
        put(40, 4, 12 + y % 2, 1);
        put(40 + 10923, 4, 12 + y % 2, 1); // 32,769 bytes after: beyond it
    }
    Write(file, motifs, {3, 1});
    ExpectReadsBack(file, motifs, "motifs along rows");

    // One row; one column (whose row above is just 4 bytes back).
    TPicture line(300, 1);
    for (int x = 0; x < line.Width; ++x)
        line.At(x, 0) = x < 100 ? 0x123456 : (x < 150 ? Noise(seed) & 0xFFFFFF : 0xFFFFFF);
    Write(file, line, {1});
    ExpectReadsBack(file, line, "one row");
    TPicture column(1, 40);
    for (int y = 0; y < column.Height; ++y)
        column.At(0, y) = y < 20 ? 0xABCDEF : (y % 3 ? 0x000000 : 0xFF0000);
    Write(file, column, {6, 1});
    ExpectReadsBack(file, column, "one column");
}

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
    folio_test::TempDir dir;
    const std::string file = dir.Path() + "/too-wide.png";
    EXPECT_FALSE(png.Open(file, TPngBandWriter::kMaxWidth + 1, 1, error));
    EXPECT_NE(error.find("wide"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file));
}

} // namespace
