#pragma once
// A stream that writes every line it is given to another stream with a prefix in front, so
// messages printed by code shared between programs begin with the name of the program that
// runs it ("foliobuilder: Wrong password.").
#include <sys/types.h>

#include <cstdio>
#include <string>

class TPrefixedStream {
public:
    TPrefixedStream(std::FILE* to, std::string prefix);
    ~TPrefixedStream(); // flushes a last line that lacks its line end
    TPrefixedStream(const TPrefixedStream&) = delete;
    TPrefixedStream& operator=(const TPrefixedStream&) = delete;

    // The stream to print to; to itself when no such stream can be made.
    std::FILE* File() const { return file_ ? file_ : to_; }

private:
    static ssize_t Write(void* cookie, const char* data, size_t size);

    std::FILE* to_;
    std::string prefix_;
    bool atLineStart_ = true;
    std::FILE* file_ = nullptr;
};
