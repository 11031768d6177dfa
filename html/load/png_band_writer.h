#pragma once
// Writes a PNG file a band of rows at a time, so a picture taller than any canvas the engine
// makes can still be one file. 8-bit RGB, no interlacing; rows are deflated as they come, at zlib's
// fastest level.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <zlib.h>

class TCanvas;

class TPngBandWriter {
public:
    TPngBandWriter() = default;
    ~TPngBandWriter();
    TPngBandWriter(const TPngBandWriter&) = delete;
    TPngBandWriter& operator=(const TPngBandWriter&) = delete;

    // Creates the file and writes the header; false with a message when it cannot.
    bool Open(const std::string& fileName, int32_t width, int32_t height, std::string& error);
    // Appends the first `rows` rows of the canvas (at least the picture's width wide).
    bool AddRows(const TCanvas& canvas, int32_t rows, std::string& error);
    // Ends the data; false when fewer rows than the height arrived or writing failed.
    bool Close(std::string& error);

private:
    bool Deflate(const uint8_t* data, size_t size, int flush, std::string& error);
    bool WriteChunk(const char* type, const uint8_t* data, size_t size);
    void Abandon();

    std::FILE* file_ = nullptr;
    std::string name_;
    z_stream zs_{};
    bool zsOpen_ = false;
    int32_t width_ = 0, height_ = 0, written_ = 0;
    size_t rowBytes_ = 0;              // filter byte and RGB samples of one row
    std::vector<uint8_t> row_, out_;   // filtered rows waiting for zlib; zlib's output
    std::vector<uint32_t> prev_, cur_; // pixels of the row above and of this row
};
