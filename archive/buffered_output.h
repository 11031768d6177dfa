#pragma once
// The archive writer's output: records and blocks are gathered in memory and handed to the
// target stream in large writes, instead of one small write for every length, name and date.
// Position() counts what was written through it, flushed or not, from the stream's position
// when it was attached, so volume limits are checked without asking the stream.
#include <cstdint>
#include <vector>

#include "platform/base/streams.h"

class TBufferedOutput {
public:
    explicit TBufferedOutput(size_t capacity) { buffer_.reserve(capacity); }
    TBufferedOutput(const TBufferedOutput&) = delete;
    TBufferedOutput& operator=(const TBufferedOutput&) = delete;

    // Starts writing into stream at its current position (nothing is pending).
    void Attach(TStream* stream);
    bool Attached() const { return stream_ != nullptr; }
    // Forgets the stream; what is pending must have been flushed.
    void Detach() {
        stream_ = nullptr;
        buffer_.clear();
        failed_ = false;
    }

    // These raise EStreamError when the stream refuses bytes; what was pending is then lost
    // (the run is failing, and the half-written archive is of no use), and every later write
    // raises too, so nothing lands after the gap.
    void Write(const void* data, size_t count);
    void WriteInt32(int32_t value);
    void Flush();

    int64_t Position() const { return start_ + written_; }

private:
    TStream* stream_ = nullptr;
    std::vector<uint8_t> buffer_;
    int64_t start_ = 0;
    int64_t written_ = 0;
    bool failed_ = false;
};
