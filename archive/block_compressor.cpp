#include "archive/block_compressor.h"

#include "archive/backup_file.h"

TBlockCompressor::TBlockCompressor(int zlibLevel) {
    // Window bits 15 gives the zlib header and the Adler-32 trailer; memory level 8 and the
    // default strategy are what every archive block has always been packed with.
    ok_ = deflateInit2(&z_, zlibLevel, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
}

TBlockCompressor::~TBlockCompressor() {
    if (ok_)
        deflateEnd(&z_);
}

TBlockCompressor::Result TBlockCompressor::Compress(const uint8_t* in, int32_t n, uint8_t* out,
                                                    int32_t& outLength) {
    outLength = 0;
    if (!ok_ || n <= 0 || n > BackupBlockSize)
        return Failed;
    z_.next_in = const_cast<Bytef*>(in);
    z_.avail_in = static_cast<uInt>(n);
    z_.next_out = out;
    z_.avail_out = static_cast<uInt>(BackupBlockSize);
    const int rc = deflate(&z_, Z_FINISH);
    Result result;
    if (rc == Z_STREAM_END) {
        outLength = static_cast<int32_t>(z_.total_out);
        result = Compressed;
    } else if (rc == Z_OK || rc == Z_BUF_ERROR) {
        result = StoreRaw; // the output space ran out before the stream's end
    } else {
        result = Failed;
    }
    if (deflateReset(&z_) != Z_OK) {
        ok_ = false;
        return Failed;
    }
    return result;
}
