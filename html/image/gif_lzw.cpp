#include "html/image/gif_lzw.h"

#include <cstring>

#include "platform/base/exceptions.h"

namespace folio_image {

bool ReadSubBlocks(const uint8_t* data, size_t size, size_t& pos, std::vector<uint8_t>* out) {
    if (pos >= size)
        return false;
    while (pos < size) {
        size_t n = data[pos++];
        if (n == 0)
            break;
        size_t avail = size - pos < n ? size - pos : n;
        if (out)
            out->insert(out->end(), data + pos, data + pos + avail);
        pos += avail;
    }
    return true;
}

namespace {

constexpr int kMaxCodes = 4096;

// Reads codes least significant bit first from a byte buffer.
class TCodeReader {
public:
    TCodeReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    // -1 when the data is used up.
    int Read(int width) {
        if (bits_ < width) {
            if (size_ - pos_ >= 8) {
                // Whole bytes up to 56 bits in one load.
                uint64_t v;
                std::memcpy(&v, data_ + pos_, 8);
                acc_ |= v << bits_;
                pos_ += static_cast<size_t>((63 - bits_) >> 3);
                bits_ |= 56;
            }
            while (bits_ <= 56 && pos_ < size_) {
                acc_ |= static_cast<uint64_t>(data_[pos_++]) << bits_;
                bits_ += 8;
            }
            if (bits_ < width)
                return -1;
        }
        int code = static_cast<int>(acc_ & ((1u << width) - 1));
        acc_ >>= width;
        bits_ -= width;
        return code;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    uint64_t acc_ = 0;
    int bits_ = 0;
};

// Copies a string that lies earlier in the output; the source may overlap the end of the
// destination by design (a string that repeats its own start), so bytes go forward one by one
// when the two are close. A string running past the frame is cut there.
[[gnu::always_inline]] inline void CopyString(uint8_t* out, size_t& pos, size_t count, size_t from,
                                              size_t len) {
    if (len > kMaxCodes)
        throw Exception("Corrupt GIF Image");
    if (len > count - pos)
        len = count - pos;
    uint8_t* d = out + pos;
    const uint8_t* s = out + from;
    const size_t distance = static_cast<size_t>(d - s);
    if (len <= 8 && distance >= 8 && count - pos >= 8) {
        std::memcpy(d, s, 8); // short strings: one fixed-size move, the excess is rewritten
    } else if (distance >= len) {
        std::memcpy(d, s, len);
    } else {
        for (size_t i = 0; i < len; ++i)
            d[i] = s[i];
    }
    pos += len;
}

} // namespace

size_t DecodeLzw(int minCodeSize, const uint8_t* codes, size_t size, uint8_t* out, size_t count) {
    // Code sizes above 11 leave no room for the table; such data decodes to nothing.
    if (minCodeSize < 0 || minCodeSize > 11 || count == 0)
        return 0;
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;

    // Every string of the table has been written to the output before, so an entry is just
    // where its first copy lies and how long it is; emitting a code copies those bytes.
    // Colours (codes below the clear code) are single bytes and need no entry.
    uint32_t offset[kMaxCodes];
    uint16_t length[kMaxCodes];

    TCodeReader reader(codes, size);
    size_t pos = 0;
    int width = minCodeSize + 1, limit = 2 * clear, freeCode = clear + 2;
    int old = -1;
    size_t oldPos = 0, oldLen = 0; // where the previous code's string went

    while (pos < count) {
        int code = reader.Read(width);
        if (code < 0 || code == end)
            break;
        if (code == clear) {
            width = minCodeSize + 1;
            limit = 2 * clear;
            freeCode = clear + 2;
            old = -1;
            continue;
        }
        if (old < 0) {
            // The first code after a clear must be a plain colour.
            if (code > clear)
                break;
            oldPos = pos;
            oldLen = 1;
            out[pos++] = static_cast<uint8_t>(code);
            old = code;
            continue;
        }
        const size_t start = pos;
        size_t len;
        if (code >= freeCode) {
            // Not yet defined (the KwKwK case): the old string plus its own first character,
            // which is exactly the entry about to be made.
            if (freeCode >= kMaxCodes)
                break;
            len = oldLen + 1;
            CopyString(out, pos, count, oldPos, len);
            offset[freeCode] = static_cast<uint32_t>(oldPos);
            length[freeCode] = static_cast<uint16_t>(len);
            // Later entries build on the string just made; a code far past the table would
            // point at stale entries.
            old = freeCode++;
        } else {
            if (code < clear) {
                len = 1;
                out[pos++] = static_cast<uint8_t>(code);
            } else {
                len = length[code];
                CopyString(out, pos, count, offset[code], len);
            }
            // The new entry is the old string followed by this string's first character: the
            // output already holds exactly that, where the old string was written.
            if (freeCode < kMaxCodes) {
                offset[freeCode] = static_cast<uint32_t>(oldPos);
                length[freeCode] = static_cast<uint16_t>(oldLen + 1);
                ++freeCode;
            }
            old = code;
        }
        oldPos = start;
        oldLen = len;
        if (freeCode >= limit && limit < kMaxCodes) {
            limit *= 2;
            ++width;
        }
    }
    return pos;
}

} // namespace folio_image
