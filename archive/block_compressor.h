#pragma once
// One zlib compressor that packs archive blocks one after the other. It is set up once and
// reset between blocks: a reset compressor starts with an empty dictionary and writes a fresh
// zlib header, so every block is still an independent zlib stream, byte for byte the same as
// one from a newly set-up compressor, without paying for the set-up on every block.
#include <cstdint>

#include <zlib.h>

class TBlockCompressor {
public:
    // The result of packing one block.
    enum Result { Compressed, StoreRaw, Failed };

    explicit TBlockCompressor(int zlibLevel);
    ~TBlockCompressor();
    TBlockCompressor(const TBlockCompressor&) = delete;
    TBlockCompressor& operator=(const TBlockCompressor&) = delete;

    bool Ok() const { return ok_; }
    // Compresses n bytes (1 to 16384) into out, which holds 16384 bytes. Compressed sets
    // outLength; StoreRaw means the zlib stream would not fit in 16384 bytes.
    Result Compress(const uint8_t* in, int32_t n, uint8_t* out, int32_t& outLength);

private:
    z_stream z_{};
    bool ok_ = false;
};
