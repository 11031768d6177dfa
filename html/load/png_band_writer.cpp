#include "html/load/png_band_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/graphics/canvas.h"

namespace {

constexpr size_t kChunkData = 64 * 1024;    // IDAT chunks of this size
constexpr size_t kBatchBytes = 1024 * 1024; // rows handed to zlib at once, about this much

int32_t RowsPerBatch(int32_t width) {
    const size_t rowBytes = 1 + static_cast<size_t>(width) * 3;
    return static_cast<int32_t>(std::max<size_t>(1, kBatchBytes / rowBytes));
}

void PutBigEndian(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

} // namespace

TPngBandWriter::~TPngBandWriter() {
    Abandon();
}

void TPngBandWriter::Abandon() {
    if (zsOpen_)
        deflateEnd(&zs_);
    zsOpen_ = false;
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
    zs_ = z_stream{};
    // The fastest level: the default one spent most of a tall page's rendering time here,
    // and filtered page rows (mostly zeros) still pack well at this one.
    if (deflateInit(&zs_, Z_BEST_SPEED) != Z_OK) {
        error = "cannot start compressing " + fileName;
        Abandon();
        return false;
    }
    zsOpen_ = true;
    rowBytes_ = 1 + static_cast<size_t>(width) * 3;
    row_.assign(rowBytes_ * static_cast<size_t>(std::min<int32_t>(height, RowsPerBatch(width))), 0);
    prev_.assign(static_cast<size_t>(width), 0); // the row above the first is zeros
    cur_.assign(prev_.size(), 0);
    out_.assign(kChunkData, 0);
    zs_.next_out = out_.data();
    zs_.avail_out = static_cast<uInt>(out_.size());
    return true;
}

bool TPngBandWriter::Deflate(const uint8_t* data, size_t size, int flush, std::string& error) {
    zs_.next_in = const_cast<Bytef*>(data);
    zs_.avail_in = static_cast<uInt>(size);
    for (;;) {
        const int rc = deflate(&zs_, flush);
        if (rc == Z_STREAM_ERROR) {
            error = "cannot compress " + name_;
            return false;
        }
        if (zs_.avail_out == 0 || (flush == Z_FINISH && rc == Z_STREAM_END)) {
            const size_t used = out_.size() - zs_.avail_out;
            if (used > 0 && !WriteChunk("IDAT", out_.data(), used)) {
                error = "cannot write " + name_ + ": " + std::strerror(errno);
                return false;
            }
            zs_.next_out = out_.data();
            zs_.avail_out = static_cast<uInt>(out_.size());
        }
        if (flush == Z_FINISH ? rc == Z_STREAM_END : (zs_.avail_in == 0 && zs_.avail_out != 0))
            return true;
    }
}

bool TPngBandWriter::AddRows(const TCanvas& canvas, int32_t rows, std::string& error) {
    if (!file_ || !zsOpen_) {
        error = "the picture is not open";
        return false;
    }
    canvas.Flush();
    rows = std::min({rows, canvas.Height(), height_ - written_});
    const int32_t w = std::min(width_, canvas.Width());
    const int32_t batch = static_cast<int32_t>(row_.size() / rowBytes_);
    for (int32_t y = 0; y < rows;) {
        // Rows are converted a batch at a time so that zlib sees large inputs.
        const int32_t n = std::min(batch, rows - y);
        uint8_t* p = row_.data();
        for (int32_t i = 0; i < n; ++i, ++y) {
            const uint32_t* src = canvas.Row(y);
            uint32_t* cur = cur_.data();
            std::memcpy(cur, src, static_cast<size_t>(w) * sizeof(uint32_t));
            std::fill(cur + w, cur + width_, 0xFFFFFFFFu); // a narrower canvas: white beyond it
            // The "up" filter: each sample minus the one above. A row like the one above (most
            // rows of a page) becomes zeros, found with one comparison.
            *p++ = 2;
            const size_t samples = static_cast<size_t>(width_) * 3;
            if (std::memcmp(cur, prev_.data(), static_cast<size_t>(width_) * sizeof(uint32_t)) ==
                0) {
                std::memset(p, 0, samples);
            } else {
                const uint32_t* up = prev_.data();
                for (int32_t x = 0; x < width_; ++x) {
                    const uint32_t a = cur[x], b = up[x];
                    p[3 * x] = static_cast<uint8_t>((a >> 16) - (b >> 16));
                    p[3 * x + 1] = static_cast<uint8_t>((a >> 8) - (b >> 8));
                    p[3 * x + 2] = static_cast<uint8_t>(a - b);
                }
            }
            p += samples;
            prev_.swap(cur_);
        }
        if (!Deflate(row_.data(), static_cast<size_t>(n) * rowBytes_, Z_NO_FLUSH, error)) {
            Abandon();
            return false;
        }
        written_ += n;
    }
    return true;
}

bool TPngBandWriter::Close(std::string& error) {
    if (!file_ || !zsOpen_) {
        error = "the picture is not open";
        return false;
    }
    if (written_ != height_) {
        error = "the picture of " + name_ + " is incomplete";
        Abandon();
        return false;
    }
    if (!Deflate(nullptr, 0, Z_FINISH, error) || !WriteChunk("IEND", nullptr, 0)) {
        if (error.empty())
            error = "cannot write " + name_ + ": " + std::strerror(errno);
        Abandon();
        return false;
    }
    deflateEnd(&zs_);
    zsOpen_ = false;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) {
        error = "cannot write " + name_ + ": " + std::strerror(errno);
        std::remove(name_.c_str());
        return false;
    }
    return true;
}
