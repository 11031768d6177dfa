#pragma once
// Writes a PNG file a band of rows at a time, so a picture taller than any canvas the engine
// makes can still be one file. 8-bit RGB, no interlacing, no row filters.
//
// The pixel data is compressed by a deflate encoder of our own rather than by zlib: page
// pictures are mostly areas of one colour and rows equal to the row above, and an encoder
// that only looks for those things (a copy of the row above, a copy of the pixel to the left,
// and, where ink begins, a copy of the same pixels further left in the row, as letters recur
// along a line) and sends every other pixel as literals is many times faster than zlib's
// search, at a size near that of zlib's fastest level for such pictures. It writes one zlib
// stream of fixed-Huffman blocks, which every PNG decoder reads.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class TCanvas;

class TPngBandWriter {
public:
    TPngBandWriter() = default;
    ~TPngBandWriter();
    TPngBandWriter(const TPngBandWriter&) = delete;
    TPngBandWriter& operator=(const TPngBandWriter&) = delete;

    // Far wider than any page; the row checksums rely on it.
    static constexpr int32_t kMaxWidth = 1 << 24;

    // Creates the file and writes the header; false with a message when it cannot (also for
    // a width beyond kMaxWidth).
    bool Open(const std::string& fileName, int32_t width, int32_t height, std::string& error);
    // Appends the first `rows` rows of the canvas; columns beyond a narrower canvas are white.
    bool AddRows(const TCanvas& canvas, int32_t rows, std::string& error);
    // Ends the data; false when fewer rows than the height arrived or writing failed.
    bool Close(std::string& error);

private:
    enum class TRun { None, Above, Left };

    void AddRow(const uint32_t* row, const uint32_t* above);
    void EncodeRow(const uint32_t* row, const uint32_t* above, bool copies);
    // Pixels from x on that repeat ones further left in the row (at least 2, else 0), and how
    // many bytes back those are.
    int32_t Repeated(const uint32_t* row, int32_t x, uint32_t& distance);
    void PutCopy(uint32_t bytes, uint32_t distance);
    void ContinueRun(TRun kind, size_t bytes);
    void EndRun();
    void SendRun();
    void PutBits(uint64_t bits, uint32_t count);
    void PutLiteral(uint32_t byte);
    void PutPixel(uint32_t pixel);
    void PutMatch(uint32_t length, uint64_t distanceBits, uint32_t distanceCount);
    void Reserve(size_t bytes);
    bool WriteData(std::string& error);
    bool WriteChunk(const char* type, const uint8_t* data, size_t size);
    void Abandon();

    std::FILE* file_ = nullptr;
    std::string name_;
    int32_t width_ = 0, height_ = 0, written_ = 0;
    size_t rowBytes_ = 0;                   // filter byte and RGB samples of one row
    bool copyAbove_ = false;                // the row above is within deflate's reach
    std::vector<uint32_t> above_;           // last row of the previous band
    std::vector<uint32_t> padded_[2];       // rows of a narrower canvas, widened with white
    uint32_t rowSum_ = 0, rowWeighted_ = 0; // checksum sums of the last row, see EncodeRow
    uint32_t adler1_ = 1, adler2_ = 0;      // adler32 of the stream so far
    TRun run_ = TRun::None;                 // copy not yet sent, and its length in bytes
    size_t runBytes_ = 0;
    uint64_t aboveBits_ = 0, leftBits_ = 0; // distance codes of the two kinds of copy
    uint32_t aboveCount_ = 0, leftCount_ = 0;
    // Where pairs of pixels last began in the row being encoded, by a hash of the pair: the
    // slices of letters that recur along a line of text are copied instead of repeated.
    struct TSeen {
        uint32_t Row = 0;
        int32_t X = 0;
    };
    static constexpr int kSeenBits = 10;
    std::vector<TSeen> seen_;
    uint32_t rowNumber_ = 0; // rows encoded so far, to tell this row's entries from older ones
    uint64_t bitBuf_ = 0;    // bits not yet in out_, first bit lowest
    uint32_t bitCount_ = 0;
    std::vector<uint8_t> out_; // compressed bytes waiting for an IDAT chunk
    size_t outLen_ = 0;
};
