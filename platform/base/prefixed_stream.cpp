#include "platform/base/prefixed_stream.h"

#include <cstring>

TPrefixedStream::TPrefixedStream(std::FILE* to, std::string prefix)
    : to_(to), prefix_(std::move(prefix)) {
    cookie_io_functions_t io{};
    io.write = &TPrefixedStream::Write;
    file_ = ::fopencookie(this, "w", io);
    if (file_) {
        // Line by line, so the lines stay in order with what is written to `to` directly.
        std::setvbuf(file_, nullptr, _IOLBF, 0);
    }
}

TPrefixedStream::~TPrefixedStream() {
    if (file_) {
        std::fclose(file_);
    }
}

ssize_t TPrefixedStream::Write(void* cookie, const char* data, size_t size) {
    auto* self = static_cast<TPrefixedStream*>(cookie);
    size_t done = 0;
    while (done < size) {
        if (self->atLineStart_) {
            std::fputs(self->prefix_.c_str(), self->to_);
            self->atLineStart_ = false;
        }
        const void* end = std::memchr(data + done, '\n', size - done);
        const size_t piece =
            end ? static_cast<size_t>(static_cast<const char*>(end) - (data + done)) + 1
                : size - done;
        if (std::fwrite(data + done, 1, piece, self->to_) != piece) {
            return done > 0 ? static_cast<ssize_t>(done) : -1;
        }
        done += piece;
        self->atLineStart_ = end != nullptr;
    }
    std::fflush(self->to_);
    return static_cast<ssize_t>(size);
}
