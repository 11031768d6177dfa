#pragma once
// Reads Windows icon files (.ico) for a window icon: the directory is read, the entry nearest
// the preferred size is chosen (the largest from 32 pixels up to the preferred size, else the
// smallest larger one, else the largest smaller one; more colour bits break a tie), and decoded
// with its AND mask into straight (not premultiplied) RGBA. Entries hold BMP-style pictures of
// 1, 4, 8, 24 or 32 bits per pixel; PNG entries are skipped (a file holding only PNG entries
// gives none).
// Every offset and size is checked against the bytes that are there before anything is read
// or allocated.
#include <cstddef>
#include <cstdint>
#include <vector>

struct TIconImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Rgba; // Width * Height * 4 bytes, top row first
    bool Empty() const { return Width <= 0 || Height <= 0; }
};

// Facts from one directory entry, as the chooser sees them.
struct TIconEntryInfo {
    int Width = 0, Height = 0; // 0 in the file means 256
    int BitCount = 0;          // from the picture's own header
    bool Png = false;
    bool Usable = false; // a BMP-style picture whose header and bytes are all there
};

// Every directory entry of an ICO file, in file order; empty when data is no icon file.
std::vector<TIconEntryInfo> ReadIcoDirectory(const uint8_t* data, size_t size);

// The best entry for a window icon near preferred pixels; an empty image when the data is no
// icon file or holds no usable entry.
TIconImage ReadIco(const uint8_t* data, size_t size, int preferred = 48);
