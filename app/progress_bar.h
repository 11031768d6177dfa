#pragma once
// A one-line progress bar on a terminal: a bar, the percentage and the file being packed,
// redrawn in place. Does nothing when the stream is not a terminal, so logs stay clean.
#include <cstdio>
#include <string>

class TProgressBar {
public:
    explicit TProgressBar(std::FILE* to);
    bool Active() const { return active_; }
    void Update(const std::string& file, int percent);
    // Clears the line so other output starts on a clean one.
    void Clear();

    // The line drawn for a width of columns (exposed for tests).
    static std::string Line(const std::string& file, int percent, int columns);

private:
    std::FILE* to_;
    bool active_;
    bool drawn_ = false;
    std::string last_;
    int columns_ = 80;
};
