#include "bookreader/reader_errors.h"

#include <algorithm>

TErrorCopy::TErrorCopy(std::FILE* to) : to_(to) {
    cookie_io_functions_t io{};
    io.write = &TErrorCopy::Write;
    copy_ = fopencookie(this, "w", io);
    if (copy_)
        std::setvbuf(copy_, nullptr, _IONBF, 0); // in order with anything else on the terminal
}

TErrorCopy::~TErrorCopy() {
    if (copy_)
        std::fclose(copy_);
}

std::string TErrorCopy::Text() {
    if (copy_)
        std::fflush(copy_);
    return kept_;
}

ssize_t TErrorCopy::Write(void* cookie, const char* data, size_t size) {
    auto* self = static_cast<TErrorCopy*>(cookie);
    // A terminal that is gone must not cost the copy: the size is always reported written.
    if (size > 0 && std::fwrite(data, 1, size, self->to_) == size)
        std::fflush(self->to_);
    const size_t room = kMaxKept - std::min(kMaxKept, self->kept_.size());
    self->kept_.append(data, std::min(room, size));
    return static_cast<ssize_t>(size);
}

bool ShowsPages(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--")
            return true; // what follows are page names, whatever they start with
        if (a.size() > 1 && a[0] == '-')
            return false;
    }
    return true;
}
