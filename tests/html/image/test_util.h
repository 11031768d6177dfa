#pragma once
// Helpers of the image tests: fixture paths, PNG reading through cairo, and a small GIF writer
// that stores pixels with "uncompressed" LZW (a clear code before the table would widen the
// codes), so tests can build exact files, damaged ones included.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics/bitmap.h"

std::string DataPath(const std::string& name); // tests/data/image/NAME
std::vector<uint8_t> ReadFileBytes(const std::string& path);

struct TPngImage {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Argb; // un-premultiplied 0xAARRGGBB
    uint32_t At(int x, int y) const { return Argb[static_cast<size_t>(y) * Width + x]; }
};
bool ReadPng(const std::string& path, TPngImage& out);

// Pixels of a composition that differ from the PNG: transparent PNG pixels must be masked
// (when a mask is given), opaque ones must match in colour. Compares the PNG's whole area,
// which must lie within the bitmap.
int CountDifferences(const TPngImage& png, const TBitmap& picture, const TBitmap* mask);

class TGifWriter {
public:
    std::vector<uint8_t> Bytes;
    // Header, logical screen and an optional global table of 2^bits entries.
    TGifWriter(int width, int height, int tableBits, const std::vector<uint32_t>& colors,
               bool gif89 = true);
    void Control(int disposal, int delayCs, bool transparent, int index);
    void Loop(int count);
    void Comment(const std::string& text);
    // An image descriptor with optional local table (bits 0 = none) and its pixel data.
    void Frame(int left, int top, int width, int height, const std::vector<uint8_t>& pixels,
               int minCodeSize = 8, int localBits = 0, const std::vector<uint32_t>& local = {},
               bool interlaced = false);
    // Raw LZW data: codes of a fixed width, in sub-blocks.
    void RawFrame(int left, int top, int width, int height, int minCodeSize,
                  const std::vector<int>& codes, int width_bits);
    void Trailer() { Bytes.push_back(';'); }
    static std::vector<uint8_t> Encode(const std::vector<uint8_t>& pixels, int minCodeSize);

private:
    void Table(int bits, const std::vector<uint32_t>& colors);
    void SubBlocks(const std::vector<uint8_t>& data);
};
