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

} // namespace

size_t DecodeLzw(int minCodeSize, const uint8_t* codes, size_t size, uint8_t* out, size_t count) {
    // Code sizes above 11 leave no room for the table; such data decodes to nothing.
    if (minCodeSize < 0 || minCodeSize > 11 || count == 0)
        return 0;
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;

    uint16_t prefix[kMaxCodes];
    uint8_t suffix[kMaxCodes];
    uint8_t first[kMaxCodes];
    uint16_t length[kMaxCodes];
    for (int i = 0; i < clear; ++i) {
        prefix[i] = 0;
        suffix[i] = first[i] = static_cast<uint8_t>(i);
        length[i] = 1;
    }

    TCodeReader reader(codes, size);
    size_t pos = 0;
    int width = minCodeSize + 1, limit = 2 * clear, freeCode = clear + 2;
    int old = -1;

    // Writes the string of `code` (backwards, through the prefix chain); a string running past
    // the end of the frame is cut there.
    auto emit = [&](int code) {
        size_t len = length[code];
        if (len > kMaxCodes)
            throw Exception("Corrupt GIF Image");
        if (pos + len <= count) {
            uint8_t* p = out + pos + len - 1;
            while (code >= clear) {
                *p-- = suffix[code];
                code = prefix[code];
            }
            *p = static_cast<uint8_t>(code);
            pos += len;
        } else {
            uint8_t stack[kMaxCodes];
            size_t n = len;
            while (code >= clear && n > 1) {
                stack[--n] = suffix[code];
                code = prefix[code];
            }
            stack[0] = static_cast<uint8_t>(code);
            size_t room = count - pos;
            std::memcpy(out + pos, stack, room);
            pos = count;
        }
    };

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
            out[pos++] = static_cast<uint8_t>(code);
            old = code;
            continue;
        }
        if (code >= freeCode) {
            // Not yet defined (the KwKwK case): the old string plus its own first character.
            if (freeCode >= kMaxCodes)
                break;
            int n = freeCode;
            prefix[n] = static_cast<uint16_t>(old);
            suffix[n] = first[old];
            first[n] = first[old];
            length[n] = static_cast<uint16_t>(length[old] + 1);
            ++freeCode;
            emit(n);
            // Later entries build on the string just made; a code far past the table would
            // point at stale entries.
            old = n;
        } else {
            emit(code);
            if (freeCode < kMaxCodes) {
                int n = freeCode++;
                prefix[n] = static_cast<uint16_t>(old);
                suffix[n] = first[code];
                first[n] = first[old];
                length[n] = static_cast<uint16_t>(length[old] + 1);
            }
            old = code;
        }
        if (freeCode >= limit && limit < kMaxCodes) {
            limit *= 2;
            ++width;
        }
    }
    return pos;
}

} // namespace folio_image
