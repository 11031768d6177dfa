#include "html/load/png_band_writer.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include <zlib.h>

#include "platform/graphics/canvas.h"

namespace {

constexpr size_t kChunkData = 64 * 1024; // IDAT chunks of about this size
constexpr size_t kMaxDistance = 32768;   // deflate's window
constexpr uint32_t kMinMatch = 3, kMaxMatch = 258;
// A run of unchanged rows is sent once it is this long, so its codes never pile up.
constexpr size_t kLongRun = 1 << 22;
constexpr uint32_t kRgbMask = 0xFFFFFFu; // the canvas's fourth byte is not part of a pixel
constexpr int64_t kAdlerModulus = 65521;

void PutBigEndian(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

constexpr uint32_t Reversed(uint32_t code, uint32_t count) {
    uint32_t r = 0;
    for (uint32_t i = 0; i < count; ++i, code >>= 1)
        r = (r << 1) | (code & 1);
    return r;
}

// A code as deflate sends it: `count` bits, the first one sent in bit 0.
struct TCode {
    uint32_t bits = 0;
    uint32_t count = 0;
};

// The fixed Huffman code of a literal/length symbol (Huffman codes go most significant bit
// first, so they are stored reversed).
constexpr TCode FixedCode(uint32_t symbol) {
    if (symbol < 144)
        return {Reversed(0x30 + symbol, 8), 8};
    if (symbol < 256)
        return {Reversed(0x190 + symbol - 144, 9), 9};
    if (symbol < 280)
        return {Reversed(symbol - 256, 7), 7};
    return {Reversed(0xC0 + symbol - 280, 8), 8};
}

// Match lengths: the first length of each length symbol, and its extra bits.
constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};

struct TFixedTables {
    TCode literal[256];
    TCode length[kMaxMatch + 1]; // symbol and extra bits of every match length
    constexpr TFixedTables() {
        for (uint32_t v = 0; v < 256; ++v)
            literal[v] = FixedCode(v);
        for (uint32_t i = 0; i < 29; ++i) {
            const uint32_t last = i == 28 ? kMaxMatch : kLengthBase[i + 1] - 1u;
            const TCode code = FixedCode(257 + i);
            for (uint32_t len = kLengthBase[i]; len <= last; ++len)
                length[len] = {code.bits | (len - kLengthBase[i]) << code.count,
                               code.count + kLengthExtra[i]};
        }
    }
};

constexpr TFixedTables kFixed;

// The distance code and extra bits of a copy from `distance` bytes back (1 to 32,768): codes
// 0 to 3 stand for 1 to 4 alone; above that each pair of codes covers a power of two, split
// in halves by the bit below the top one, and the bits below that are the extra bits.
TCode DistanceCode(uint32_t distance) {
    if (distance <= 4)
        return {Reversed(distance - 1, 5), 5};
    const uint32_t v = distance - 1;
    const uint32_t extra = static_cast<uint32_t>(std::bit_width(v)) - 2;
    const uint32_t code = 2 * extra + 2 + ((v >> extra) & 1);
    return {Reversed(code, 5) | (v & ((1u << extra) - 1)) << 5, 5 + extra};
}

// How many pixels from `x` on, before `end`, have the colours of `other` at the same places
// (or of `pixel`, when `other` is null). Most stretches are long, and this is where the
// encoder spends its time, so eight pixels are compared at once, as four pairs in 64-bit
// words.
template <bool kOtherRow>
int32_t Agreeing(const uint32_t* row, const uint32_t* other, uint32_t pixel, int32_t x,
                 int32_t end) {
    constexpr uint64_t kPairMask = uint64_t{kRgbMask} << 32 | kRgbMask;
    const uint64_t pair = uint64_t{pixel} << 32 | pixel;
    const auto differs = [&](int32_t i) {
        uint64_t a, b = pair;
        std::memcpy(&a, row + i, 8);
        if constexpr (kOtherRow)
            std::memcpy(&b, other + i, 8);
        return (a ^ b) & kPairMask;
    };
    // Which pixel of a differing pair differs first (on little-endian, the one in the low half).
    const auto firstOf = [](uint64_t d) {
        const uint64_t first = std::endian::native == std::endian::little ? d : d >> 32;
        return (first & kRgbMask) != 0 ? 0 : 1;
    };
    int32_t i = x;
    for (; i + 8 <= end; i += 8) {
        const uint64_t d0 = differs(i), d1 = differs(i + 2), d2 = differs(i + 4),
                       d3 = differs(i + 6);
        if ((d0 | d1 | d2 | d3) != 0) {
            if (d0 != 0)
                return i - x + firstOf(d0);
            if (d1 != 0)
                return i + 2 - x + firstOf(d1);
            if (d2 != 0)
                return i + 4 - x + firstOf(d2);
            return i + 6 - x + firstOf(d3);
        }
    }
    for (; i + 2 <= end; i += 2) {
        if (const uint64_t d = differs(i); d != 0)
            return i - x + firstOf(d);
    }
    if (i < end && ((row[i] ^ (kOtherRow ? other[i] : pixel)) & kRgbMask) == 0)
        ++i;
    return i - x;
}

// Pixels from `x` on like those of `other` at the same places.
int32_t LikeRow(const uint32_t* row, const uint32_t* other, int32_t x, int32_t end) {
    return Agreeing<true>(row, other, 0, x, end);
}

// Pixels from `x` on of the colour `pixel`.
int32_t LikePixel(const uint32_t* row, uint32_t pixel, int32_t x, int32_t end) {
    return Agreeing<false>(row, nullptr, pixel, x, end);
}

// r+g+b and r+2g+3b of a pixel, for the row checksums.
int64_t ByteSum(uint32_t p) {
    return static_cast<int64_t>((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
}
int64_t WeightedSum(uint32_t p) {
    return static_cast<int64_t>((p >> 16) & 0xFF) + 2 * ((p >> 8) & 0xFF) + 3 * (p & 0xFF);
}

} // namespace

TPngBandWriter::~TPngBandWriter() {
    Abandon();
}

void TPngBandWriter::Abandon() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
        std::remove(name_.c_str()); // no half-written picture stays behind
    }
}

bool TPngBandWriter::WriteChunk(const char* type, const uint8_t* data, size_t size) {
    uint8_t head[8];
    PutBigEndian(head, static_cast<uint32_t>(size));
    std::memcpy(head + 4, type, 4);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    if (size > 0)
        crc = crc32(crc, data, static_cast<uInt>(size));
    uint8_t tail[4];
    PutBigEndian(tail, static_cast<uint32_t>(crc));
    return std::fwrite(head, 1, 8, file_) == 8 &&
           (size == 0 || std::fwrite(data, 1, size, file_) == size) &&
           std::fwrite(tail, 1, 4, file_) == 4;
}

bool TPngBandWriter::Open(const std::string& fileName, int32_t width, int32_t height,
                          std::string& error) {
    Abandon();
    if (width < 1 || height < 1) {
        error = "a picture needs a width and a height of at least 1 pixel";
        return false;
    }
    if (width > kMaxWidth) {
        error = "a picture can be at most " + std::to_string(kMaxWidth) + " pixels wide";
        return false;
    }
    name_ = fileName;
    file_ = std::fopen(fileName.c_str(), "wb");
    if (!file_) {
        error = "cannot create " + fileName + ": " + std::strerror(errno);
        return false;
    }
    width_ = width;
    height_ = height;
    written_ = 0;
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    uint8_t ihdr[13];
    PutBigEndian(ihdr, static_cast<uint32_t>(width));
    PutBigEndian(ihdr + 4, static_cast<uint32_t>(height));
    ihdr[8] = 8;  // bits per sample
    ihdr[9] = 2;  // RGB
    ihdr[10] = 0; // deflate
    ihdr[11] = 0; // adaptive filtering
    ihdr[12] = 0; // no interlace
    if (std::fwrite(signature, 1, 8, file_) != 8 || !WriteChunk("IHDR", ihdr, sizeof ihdr)) {
        error = "cannot write " + fileName + ": " + std::strerror(errno);
        Abandon();
        return false;
    }
    rowBytes_ = 1 + static_cast<size_t>(width) * 3;
    // Wider than 10,922 pixels the row above is out of deflate's reach; such rows are sent
    // as runs of the pixel to the left and literals only.
    copyAbove_ = rowBytes_ <= kMaxDistance;
    above_.assign(static_cast<size_t>(width), 0);
    padded_[0].clear();
    padded_[1].clear();
    rowSum_ = 0;
    rowWeighted_ = 0;
    adler1_ = 1;
    adler2_ = 0;
    run_ = TRun::None;
    runBytes_ = 0;
    const TCode above = DistanceCode(copyAbove_ ? static_cast<uint32_t>(rowBytes_) : 1);
    const TCode left = DistanceCode(3);
    aboveBits_ = above.bits;
    aboveCount_ = above.count;
    leftBits_ = left.bits;
    leftCount_ = left.count;
    seen_.assign(size_t{1} << kSeenBits, TSeen{});
    rowNumber_ = 0;
    bitBuf_ = 0;
    bitCount_ = 0;
    out_.assign(kChunkData + 4 * rowBytes_ + 64, 0);
    outLen_ = 0;
    // zlib header: deflate with a 32 KiB window, no dictionary, check bits for 0x78.
    out_[outLen_++] = 0x78;
    out_[outLen_++] = 0x01;
    PutBits(0 | 1 << 1, 3); // a block that is not the last one, fixed Huffman codes
    return true;
}

void TPngBandWriter::Reserve(size_t bytes) {
    if (out_.size() - outLen_ < bytes + 16)
        out_.resize(outLen_ + bytes + 16);
}

inline void TPngBandWriter::PutBits(uint64_t bits, uint32_t count) {
    // At most 31 bits come at once, so the buffer never holds more than 63.
    bitBuf_ |= bits << bitCount_;
    bitCount_ += count;
    if (bitCount_ >= 32) {
        const uint32_t word = static_cast<uint32_t>(bitBuf_);
        uint8_t* p = out_.data() + outLen_;
        p[0] = static_cast<uint8_t>(word);
        p[1] = static_cast<uint8_t>(word >> 8);
        p[2] = static_cast<uint8_t>(word >> 16);
        p[3] = static_cast<uint8_t>(word >> 24);
        outLen_ += 4;
        bitBuf_ >>= 32;
        bitCount_ -= 32;
    }
}

inline void TPngBandWriter::PutLiteral(uint32_t byte) {
    const TCode c = kFixed.literal[byte];
    PutBits(c.bits, c.count);
}

inline void TPngBandWriter::PutPixel(uint32_t pixel) {
    const TFixedTables& t = kFixed;
    const TCode r = t.literal[(pixel >> 16) & 0xFF];
    const TCode g = t.literal[(pixel >> 8) & 0xFF];
    const TCode b = t.literal[pixel & 0xFF];
    PutBits(r.bits | static_cast<uint64_t>(g.bits) << r.count |
                static_cast<uint64_t>(b.bits) << (r.count + g.count),
            r.count + g.count + b.count);
}

inline void TPngBandWriter::PutMatch(uint32_t length, uint64_t distanceBits,
                                     uint32_t distanceCount) {
    const TCode len = kFixed.length[length];
    PutBits(len.bits | distanceBits << len.count, len.count + distanceCount);
}

inline void TPngBandWriter::EndRun() {
    if (run_ == TRun::None)
        return;
    if (runBytes_ < kMinMatch || runBytes_ > kMaxMatch) {
        SendRun();
        return;
    }
    // Most runs are one copy, sent here; every caller has reserved room for one.
    if (run_ == TRun::Above)
        PutMatch(static_cast<uint32_t>(runBytes_), aboveBits_, aboveCount_);
    else
        PutMatch(static_cast<uint32_t>(runBytes_), leftBits_, leftCount_);
    run_ = TRun::None;
    runBytes_ = 0;
}

void TPngBandWriter::SendRun() {
    const bool above = run_ == TRun::Above;
    const uint64_t bits = above ? aboveBits_ : leftBits_;
    const uint32_t count = above ? aboveCount_ : leftCount_;
    size_t left = runBytes_;
    Reserve((left / kMaxMatch + 2) * 4);
    while (left >= kMinMatch) {
        // Pieces of the longest length, but never leaving a tail too short to copy.
        size_t n = std::min<size_t>(left, kMaxMatch);
        if (left > n && left - n < kMinMatch)
            n = left - kMinMatch;
        PutMatch(static_cast<uint32_t>(n), bits, count);
        left -= n;
    }
    // A run of fewer than 3 bytes can only be a copy of a lone filter byte from the row above
    // (pixel copies are 3 bytes each), so what is left is that byte.
    for (; left > 0; --left)
        PutLiteral(0);
    run_ = TRun::None;
    runBytes_ = 0;
}

inline void TPngBandWriter::ContinueRun(TRun kind, size_t bytes) {
    if (run_ != kind)
        EndRun();
    run_ = kind;
    runBytes_ += bytes;
}

int32_t TPngBandWriter::Repeated(const uint32_t* row, int32_t x, uint32_t& distance) {
    if (x + 1 >= width_)
        return 0;
    // The last place in this row where the same two pixels began.
    const uint64_t key = static_cast<uint64_t>(row[x] & kRgbMask) << 24 | (row[x + 1] & kRgbMask);
    TSeen& seen = seen_[(key * 0x9E3779B97F4A7C15ull) >> (64 - kSeenBits)];
    const TSeen before = seen;
    seen = {rowNumber_, x};
    if (before.Row != rowNumber_ || 3 * static_cast<size_t>(x - before.X) > kMaxDistance)
        return 0;
    const int32_t from = before.X;
    int32_t n = 0;
    while (x + n < width_ && ((row[from + n] ^ row[x + n]) & kRgbMask) == 0)
        ++n;
    if (n < 2) // one pixel costs about as much as its literals
        return 0;
    distance = 3 * static_cast<uint32_t>(x - from);
    return n;
}

void TPngBandWriter::PutCopy(uint32_t bytes, uint32_t distance) {
    const TCode code = DistanceCode(distance);
    Reserve((bytes / kMaxMatch + 1) * 4);
    while (bytes > 0) {
        // Pieces of whole pixels: 258 bytes is 86 of them, so no piece is too short.
        const uint32_t piece = std::min(bytes, kMaxMatch);
        PutMatch(piece, code.bits, code.count);
        bytes -= piece;
    }
}

void TPngBandWriter::EncodeRow(const uint32_t* row, const uint32_t* above, bool copies) {
    ++rowNumber_;
    // The worst row is all literals of 9 bits.
    Reserve(rowBytes_ * 9 / 8 + 16);
    if (copies)
        ContinueRun(TRun::Above, 1); // the filter byte equals the one above
    else {
        EndRun();
        PutLiteral(0);
    }
    // The row's checksum sums are those of the row above (of zeros without one) plus what
    // the pixels unlike it change: byte i of the N in a row adds itself to the first sum and
    // N - i times itself to the second. Pixels copied from above change nothing, so a row
    // of text costs only its ink.
    if (!above) {
        rowSum_ = 0;
        rowWeighted_ = 0;
    }
    // For pixel x, the change is d = r+g+b and e = r+2g+3b of the pixel minus those of the one
    // above; its red is byte 1 + 3x, so the second sum changes by (N - 3x) d - e. The three
    // totals below stay far within 64 bits for rows of up to kMaxWidth pixels.
    int64_t sum = 0, atX = 0, inPixel = 0;
    const auto change = [&](int32_t x, uint32_t p) {
        const uint32_t q = above ? above[x] : 0;
        const int64_t d = ByteSum(p) - ByteSum(q);
        sum += d;
        atX += x * d;
        inPixel += WeightedSum(p) - WeightedSum(q);
    };
    const int32_t w = width_;
    bool afterLiteral = false;
    for (int32_t x = 0; x < w;) {
        const uint32_t p = row[x] & kRgbMask;
        int32_t n = 0;
        // Repeats are looked for where a stretch of literals would begin (a letter's slice
        // starts there); looking at every literal costs more than the few more it finds.
        const bool lookBack = !afterLiteral;
        afterLiteral = false;
        if (copies && ((above[x] ^ p) & kRgbMask) == 0) {
            // Like the pixels above: a copy from one row back.
            n = 1 + LikeRow(row, above, x + 1, w);
            ContinueRun(TRun::Above, 3 * static_cast<size_t>(n));
        } else if (x > 0 && ((row[x - 1] ^ p) & kRgbMask) == 0) {
            // Like the pixel to the left: a copy from 3 bytes back, which repeats it.
            n = 1 + LikePixel(row, p, x + 1, w);
            // Such runs mostly lie on background that the row above has too; only the pixels
            // where it differs change the sums.
            for (int32_t i = x, end = x + n; i < end;) {
                if (above && ((above[i] ^ p) & kRgbMask) == 0) {
                    i += 1 + LikePixel(above, p, i + 1, end);
                } else {
                    change(i, p);
                    ++i;
                }
            }
            ContinueRun(TRun::Left, 3 * static_cast<size_t>(n));
        } else if (uint32_t distance = 0; lookBack && (n = Repeated(row, x, distance)) > 0) {
            // Like pixels further left in the row (a letter's slice seen before): one copy.
            EndRun();
            PutCopy(3 * static_cast<uint32_t>(n), distance);
            for (int32_t i = x; i < x + n; ++i)
                if (!above || ((above[i] ^ row[i]) & kRgbMask) != 0)
                    change(i, row[i] & kRgbMask);
        } else {
            change(x, p);
            EndRun();
            PutPixel(p);
            n = 1;
            afterLiteral = true;
        }
        x += n;
    }
    const int64_t m = kAdlerModulus;
    const int64_t weighted =
        (static_cast<int64_t>(rowBytes_) % m) * (sum % m) % m - 3 * (atX % m) - inPixel % m;
    rowSum_ = static_cast<uint32_t>(((rowSum_ + sum) % m + m) % m);
    rowWeighted_ = static_cast<uint32_t>(((rowWeighted_ + weighted) % m + m) % m);
}

void TPngBandWriter::AddRow(const uint32_t* row, const uint32_t* above) {
    const size_t w = static_cast<size_t>(width_);
    if (above && std::memcmp(row, above, w * sizeof(uint32_t)) == 0) {
        // The same bytes as the row above: the same sums, and one copy when it is in reach.
        if (copyAbove_) {
            Reserve(16); // room for a copy of the pixel to the left ending here
            ContinueRun(TRun::Above, rowBytes_);
            if (runBytes_ >= kLongRun)
                EndRun();
        } else {
            EncodeRow(row, above, false);
        }
    } else {
        EncodeRow(row, above, above && copyAbove_);
    }
    // adler32 over the stream so far followed by this row's N bytes.
    const uint64_t first = adler1_;
    adler1_ = static_cast<uint32_t>((first + rowSum_) % kAdlerModulus);
    adler2_ = static_cast<uint32_t>((adler2_ + rowBytes_ % kAdlerModulus * first + rowWeighted_) %
                                    kAdlerModulus);
}

bool TPngBandWriter::WriteData(std::string& error) {
    if (outLen_ == 0)
        return true;
    if (!WriteChunk("IDAT", out_.data(), outLen_)) {
        error = "cannot write " + name_ + ": " + std::strerror(errno);
        return false;
    }
    outLen_ = 0;
    return true;
}

bool TPngBandWriter::AddRows(const TCanvas& canvas, int32_t rows, std::string& error) {
    if (!file_) {
        error = "the picture is not open";
        return false;
    }
    canvas.Flush();
    rows = std::min({rows, canvas.Height(), height_ - written_});
    const bool narrow = canvas.Width() < width_;
    const uint32_t* above = written_ > 0 ? above_.data() : nullptr;
    const uint32_t* row = nullptr;
    for (int32_t y = 0; y < rows; ++y) {
        row = canvas.Row(y);
        if (narrow) {
            // Alternate two buffers, so the row above stays valid while this one is made.
            std::vector<uint32_t>& wide = padded_[y & 1];
            wide.assign(static_cast<size_t>(width_), 0xFFFFFFFFu);
            std::copy(row, row + canvas.Width(), wide.begin());
            row = wide.data();
        }
        AddRow(row, above);
        above = row;
        if (outLen_ >= kChunkData && !WriteData(error)) {
            Abandon();
            return false;
        }
    }
    if (rows > 0)
        std::copy(row, row + width_, above_.begin()); // the next band's row above
    written_ += std::max(rows, 0);
    return true;
}

bool TPngBandWriter::Close(std::string& error) {
    if (!file_) {
        error = "the picture is not open";
        return false;
    }
    if (written_ != height_) {
        error = "the picture of " + name_ + " is incomplete";
        Abandon();
        return false;
    }
    Reserve(16);
    EndRun();
    PutBits(0, 7);          // end of the block
    PutBits(1 | 1 << 1, 3); // the last block, fixed codes, empty
    PutBits(0, 7);
    PutBits(0, (8 - bitCount_ % 8) % 8); // to a byte boundary
    for (; bitCount_ > 0; bitCount_ -= 8, bitBuf_ >>= 8)
        out_[outLen_++] = static_cast<uint8_t>(bitBuf_);
    PutBigEndian(out_.data() + outLen_, adler2_ << 16 | adler1_);
    outLen_ += 4;
    if (!WriteData(error) || !WriteChunk("IEND", nullptr, 0)) {
        if (error.empty())
            error = "cannot write " + name_ + ": " + std::strerror(errno);
        Abandon();
        return false;
    }
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) {
        error = "cannot write " + name_ + ": " + std::strerror(errno);
        std::remove(name_.c_str());
        return false;
    }
    return true;
}
