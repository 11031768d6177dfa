#include "html/image/ico_reader.h"

#include <algorithm>

namespace {

constexpr size_t kDirHeader = 6;
constexpr size_t kDirEntry = 16;
constexpr size_t kInfoHeader = 40;
// Window icons are small; anything beyond this is no icon a desktop shows.
constexpr int kMaxSide = 1024;

uint32_t U16(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
uint32_t U32(const uint8_t* p) {
    return U16(p) | U16(p + 2) << 16;
}
int32_t I32(const uint8_t* p) {
    return static_cast<int32_t>(U32(p));
}

size_t RowBytes(int width, int bits) {
    return ((static_cast<size_t>(width) * static_cast<size_t>(bits) + 31) / 32) * 4;
}

// One entry's picture, located and checked: everything Decode reads lies inside [Data,
// Data+Size).
struct TEntryPicture {
    const uint8_t* Data = nullptr;
    size_t Size = 0;
    int Width = 0, Height = 0, Bits = 0;
    size_t PaletteOffset = 0, Colors = 0;
    size_t XorOffset = 0, XorRow = 0;
    size_t AndOffset = 0, AndRow = 0;
    bool HasMask = false;
};

bool IsPng(const uint8_t* p, size_t size) {
    static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size >= 8 && std::equal(sig, sig + 8, p);
}

bool Locate(const uint8_t* data, size_t size, TEntryPicture& pic) {
    if (size < kInfoHeader) {
        return false;
    }
    const uint32_t headerSize = U32(data);
    const int32_t width = I32(data + 4);
    const int32_t doubled = I32(data + 8);
    const uint32_t bits = U16(data + 14);
    const uint32_t compression = U32(data + 16);
    const uint32_t used = U32(data + 32);
    // The picture's height is stored doubled: colour rows and mask rows.
    if (headerSize < kInfoHeader || headerSize > size || compression != 0 || width < 1 ||
        width > kMaxSide || doubled < 2 || doubled / 2 > kMaxSide) {
        return false;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        return false;
    }
    pic.Data = data;
    pic.Size = size;
    pic.Width = width;
    pic.Height = doubled / 2;
    pic.Bits = static_cast<int>(bits);
    pic.PaletteOffset = headerSize;
    if (bits <= 8) {
        const size_t full = size_t(1) << bits;
        pic.Colors = used == 0 || used > full ? full : used;
    }
    pic.XorOffset = pic.PaletteOffset + pic.Colors * 4;
    pic.XorRow = RowBytes(pic.Width, pic.Bits);
    pic.AndOffset = pic.XorOffset + pic.XorRow * static_cast<size_t>(pic.Height);
    pic.AndRow = RowBytes(pic.Width, 1);
    if (pic.AndOffset > size) {
        return false;
    }
    pic.HasMask = pic.AndRow * static_cast<size_t>(pic.Height) <= size - pic.AndOffset;
    return true;
}

// The entry's bytes, when the directory's offset and length lie inside the file.
bool EntryBytes(const uint8_t* data, size_t size, size_t index, const uint8_t*& bytes,
                size_t& length) {
    const uint8_t* e = data + kDirHeader + index * kDirEntry;
    const uint32_t len = U32(e + 8);
    const uint32_t offset = U32(e + 12);
    if (offset > size || len > size - offset) {
        return false;
    }
    bytes = data + offset;
    length = len;
    return true;
}

size_t EntryCount(const uint8_t* data, size_t size) {
    if (size < kDirHeader || U16(data) != 0 || U16(data + 2) != 1) {
        return 0;
    }
    const size_t count = U16(data + 4);
    if (count == 0 || count > (size - kDirHeader) / kDirEntry) {
        return 0;
    }
    return count;
}

TIconImage Decode(const TEntryPicture& pic) {
    TIconImage image;
    image.Width = pic.Width;
    image.Height = pic.Height;
    image.Rgba.assign(static_cast<size_t>(pic.Width) * static_cast<size_t>(pic.Height) * 4, 0);
    bool anyAlpha = false;
    for (int y = 0; y < pic.Height; ++y) {
        // Rows are stored bottom-up.
        const uint8_t* row = pic.Data + pic.XorOffset + pic.XorRow * size_t(pic.Height - 1 - y);
        uint8_t* out = image.Rgba.data() + size_t(y) * size_t(pic.Width) * 4;
        for (int x = 0; x < pic.Width; ++x, out += 4) {
            if (pic.Bits <= 8) {
                const size_t bit = size_t(x) * size_t(pic.Bits);
                const unsigned shift = 8 - unsigned(pic.Bits) - unsigned(bit % 8);
                const size_t index = (row[bit / 8] >> shift) & ((1u << pic.Bits) - 1);
                if (index < pic.Colors) {
                    const uint8_t* c = pic.Data + pic.PaletteOffset + index * 4;
                    out[0] = c[2];
                    out[1] = c[1];
                    out[2] = c[0];
                }
                out[3] = 255;
            } else {
                const uint8_t* c = row + size_t(x) * size_t(pic.Bits / 8);
                out[0] = c[2];
                out[1] = c[1];
                out[2] = c[0];
                out[3] = pic.Bits == 32 ? c[3] : 255;
                anyAlpha = anyAlpha || (pic.Bits == 32 && c[3] != 0);
            }
        }
    }
    // A 32-bit picture carries its own transparency; an old one whose alpha bytes are all
    // zero is meant to be read through its mask like the others.
    const bool useMask = pic.HasMask && !(pic.Bits == 32 && anyAlpha);
    if (pic.Bits == 32 && !anyAlpha && !pic.HasMask) {
        for (size_t i = 3; i < image.Rgba.size(); i += 4) {
            image.Rgba[i] = 255;
        }
    }
    if (useMask) {
        for (int y = 0; y < pic.Height; ++y) {
            const uint8_t* row = pic.Data + pic.AndOffset + pic.AndRow * size_t(pic.Height - 1 - y);
            uint8_t* out = image.Rgba.data() + size_t(y) * size_t(pic.Width) * 4;
            for (int x = 0; x < pic.Width; ++x, out += 4) {
                const bool transparent = (row[x / 8] >> (7 - x % 8)) & 1;
                out[3] = transparent ? 0 : 255;
            }
        }
    }
    return image;
}

// Ordering of the entries for a window icon: lower is better.
struct TRank {
    int Band; // 0: from 32 up to preferred, 1: larger, 2: smaller
    int Distance;
    int Bits;
    bool operator<(const TRank& o) const {
        if (Band != o.Band)
            return Band < o.Band;
        if (Distance != o.Distance)
            return Distance < o.Distance;
        return Bits > o.Bits;
    }
};

TRank RankOf(int side, int bits, int preferred) {
    const int low = std::min(32, preferred);
    if (side >= low && side <= preferred) {
        return {0, preferred - side, bits};
    }
    if (side > preferred) {
        return {1, side - preferred, bits};
    }
    return {2, low - side, bits};
}

} // namespace

std::vector<TIconEntryInfo> ReadIcoDirectory(const uint8_t* data, size_t size) {
    std::vector<TIconEntryInfo> entries;
    const size_t count = data ? EntryCount(data, size) : 0;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = data + kDirHeader + i * kDirEntry;
        TIconEntryInfo info;
        info.Width = e[0] == 0 ? 256 : e[0];
        info.Height = e[1] == 0 ? 256 : e[1];
        info.BitCount = static_cast<int>(U16(e + 6));
        const uint8_t* bytes = nullptr;
        size_t length = 0;
        if (EntryBytes(data, size, i, bytes, length)) {
            info.Png = IsPng(bytes, length);
            TEntryPicture pic;
            if (!info.Png && Locate(bytes, length, pic)) {
                info.Usable = true;
                info.Width = pic.Width;
                info.Height = pic.Height;
                info.BitCount = pic.Bits;
            }
        }
        entries.push_back(info);
    }
    return entries;
}

TIconImage ReadIco(const uint8_t* data, size_t size, int preferred) {
    const std::vector<TIconEntryInfo> entries = ReadIcoDirectory(data, size);
    int best = -1;
    TRank bestRank{};
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].Usable) {
            continue;
        }
        const TRank rank =
            RankOf(std::max(entries[i].Width, entries[i].Height), entries[i].BitCount, preferred);
        if (best < 0 || rank < bestRank) {
            best = static_cast<int>(i);
            bestRank = rank;
        }
    }
    if (best < 0) {
        return {};
    }
    const uint8_t* bytes = nullptr;
    size_t length = 0;
    TEntryPicture pic;
    if (!EntryBytes(data, size, static_cast<size_t>(best), bytes, length) ||
        !Locate(bytes, length, pic)) {
        return {};
    }
    return Decode(pic);
}
