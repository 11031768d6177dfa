#pragma once
// Standard error, copied: what the reader prints there is kept as well, so that a book started
// from a file manager, which has no terminal, can show the same text in a dialog.
#include <cstdio>
#include <string>
#include <sys/types.h>

class TErrorCopy {
public:
    // Writes go to `to` at once and are kept.
    explicit TErrorCopy(std::FILE* to = stderr);
    ~TErrorCopy();
    TErrorCopy(const TErrorCopy&) = delete;
    TErrorCopy& operator=(const TErrorCopy&) = delete;

    // The stream to write to; `to` itself when no copying stream could be made.
    std::FILE* File() const { return copy_ ? copy_ : to_; }
    // Everything written so far (the first kMaxKept bytes).
    std::string Text();

    static constexpr size_t kMaxKept = 16384;

private:
    static ssize_t Write(void* cookie, const char* data, size_t size);
    std::FILE* to_;
    std::FILE* copy_ = nullptr;
    std::string kept_;
};

// Whether a reader run with these arguments shows pages (only page names, after "--" names
// of any kind, or nothing): the runs whose failures a dialog should show too.
bool ShowsPages(int argc, char** argv);
