#pragma once
// A temporary FILE* that a program's output goes to in-process, read back as text.
#include <cstdio>
#include <string>

class TCapture {
public:
    TCapture() : file_(std::tmpfile()) {}
    ~TCapture() { std::fclose(file_); }
    TCapture(const TCapture&) = delete;
    TCapture& operator=(const TCapture&) = delete;

    std::FILE* File() const { return file_; }
    std::string Text() const {
        std::fflush(file_);
        std::rewind(file_);
        std::string text;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) {
            text.append(buffer, n);
        }
        return text;
    }

private:
    std::FILE* file_;
};
