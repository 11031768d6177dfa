#include "archive/buffered_output.h"

#include <cstring>

#include "archive/little_endian.h"

void TBufferedOutput::Attach(TStream* stream) {
    stream_ = stream;
    failed_ = false;
    buffer_.clear();
    start_ = stream->Position();
    written_ = 0;
}

void TBufferedOutput::Write(const void* data, size_t count) {
    if (failed_)
        throw EStreamError("Stream write error");
    if (buffer_.size() + count > buffer_.capacity()) {
        Flush();
        // A piece at least as large as the buffer goes straight through.
        if (count >= buffer_.capacity()) {
            failed_ = true; // until the write is through
            stream_->WriteBuffer(data, static_cast<int64_t>(count));
            failed_ = false;
            written_ += static_cast<int64_t>(count);
            return;
        }
    }
    const auto* p = static_cast<const uint8_t*>(data);
    buffer_.insert(buffer_.end(), p, p + count);
    written_ += static_cast<int64_t>(count);
}

void TBufferedOutput::WriteInt32(int32_t value) {
    uint8_t b[4];
    PutInt32LE(b, value);
    Write(b, 4);
}

void TBufferedOutput::Flush() {
    if (failed_)
        throw EStreamError("Stream write error");
    if (buffer_.empty())
        return;
    // Dropped even when the write fails: the error ends the run.
    struct TClear {
        std::vector<uint8_t>& buffer;
        ~TClear() { buffer.clear(); }
    } clear{buffer_};
    failed_ = true; // until the write is through
    stream_->WriteBuffer(buffer_.data(), static_cast<int64_t>(buffer_.size()));
    failed_ = false;
}
