#include "html/image/image_kind.h"

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> ReadHead(const std::string& fileName, size_t count) {
    std::vector<uint8_t> buf(count);
    try {
        TFileStream f(fileName, fmOpenRead | fmShareDenyWrite);
        buf.resize(static_cast<size_t>(f.Read(buf.data(), static_cast<int64_t>(count))));
    } catch (const std::exception&) {
        buf.clear();
    }
    return buf;
}

uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

} // namespace

TImageKind KindOfImage(const uint8_t* data, size_t size) {
    if (!data || size < 2)
        return ikUnknown;
    if (data[0] == 'B' && data[1] == 'M')
        return ikBMP;
    if (size < 4)
        return ikUnknown;
    if (std::memcmp(data, "GIF8", 4) == 0) {
        if (size >= 5 && data[4] == '9')
            return ikGIF89;
        return ikGIF87;
    }
    if (data[0] == 137 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G')
        return ikPNG;
    // Start of image and the first marker's lead byte. What follows varies: JFIF (E0), Exif
    // from cameras and phones (E1), or a table straight away (DB, C4, ...).
    if (data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return ikJPEG;
    return ikUnknown;
}

TImageKind KindOfImageFile(const std::string& fileName) {
    std::vector<uint8_t> head = ReadHead(fileName, 11);
    return KindOfImage(head.data(), head.size());
}

bool IsTransparentGifData(const uint8_t* data, size_t size, TColor& color) {
    if (KindOfImage(data, size) != ikGIF89 || size < 13)
        return false;
    const uint8_t packed = data[10];
    // The table's size comes from the size field whether or not the table flag is set.
    const size_t table = 3u << ((packed & 7) + 1);
    const size_t ext = 13 + table;
    if (ext + 8 > size || data[ext] != 33 || data[ext + 1] != 249)
        return false;
    const uint8_t flags = data[ext + 3];
    if (!(flags & 1))
        return false;
    const size_t index = data[ext + 6];
    const uint8_t* c = data + 13 + 3 * index;
    if (!(packed & 0x80) || 3 * index + 3 > table) {
        color = clBlack; // no such table entry: the table counts as black
        return true;
    }
    color = RGB(c[0], c[1], c[2]);
    return true;
}

bool IsTransparentGif(const std::string& fileName, TColor& color) {
    std::vector<uint8_t> head = ReadHead(fileName, 790);
    return IsTransparentGifData(head.data(), head.size(), color);
}

bool IsTransparentPng(TStream& stream, TColor& color) {
    int64_t start = 0;
    try {
        start = stream.Position();
    } catch (const std::exception&) {
        return false;
    }
    bool found = false;
    try {
        uint8_t sig[8];
        const bool isPng = stream.Read(sig, 8) == 8 && sig[0] == 137 && sig[1] == 'P';
        int colorType = -1;
        std::vector<uint8_t> plte;
        while (isPng) {
            uint8_t head[8];
            if (stream.Read(head, 8) != 8)
                break;
            const uint32_t length = Be32(head);
            const std::string type(reinterpret_cast<char*>(head + 4), 4);
            if (type == "IDAT")
                break;
            if (type == "IHDR") {
                if (length < 13)
                    break;
                uint8_t ihdr[13];
                if (stream.Read(ihdr, 13) != 13)
                    break;
                colorType = ihdr[9];
                if (colorType != 2 && colorType != 3)
                    break;
                stream.Seek(static_cast<int64_t>(length) - 13 + 4, soCurrent);
            } else if (type == "PLTE") {
                if (length > 768)
                    break;
                plte.resize(length);
                if (stream.Read(plte.data(), length) != length)
                    break;
                stream.Seek(4, soCurrent);
            } else if (type == "tRNS") {
                found = true;
                if (colorType == 3 && length >= 1) {
                    const size_t index = length - 1;
                    if (3 * index + 3 <= plte.size())
                        color = RGB(plte[3 * index], plte[3 * index + 1], plte[3 * index + 2]);
                }
                break;
            } else {
                if (stream.Seek(static_cast<int64_t>(length) + 4, soCurrent) > stream.Size())
                    break;
            }
        }
    } catch (const std::exception&) {
    }
    try {
        stream.SetPosition(start);
    } catch (const std::exception&) {
    }
    return found;
}
