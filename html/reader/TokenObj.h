#pragma once
// Text with the source position of every character, so a click or a named position can be
// mapped back to where the text stood in the document.
#include <cstdint>
#include <string>
#include <vector>

class TokenObj {
public:
    TokenObj() { pos_.reserve(300); }

    const std::string& Text() const { return text_; }
    const std::vector<int32_t>& Positions() const { return pos_; }
    int Length() const { return static_cast<int>(text_.size()); }
    bool Empty() const { return text_.empty(); }

    void AddChar(char c, int32_t position) {
        text_.push_back(c);
        pos_.push_back(position);
    }
    void Clear() {
        text_.clear();
        pos_.clear();
    }
    void Append(const TokenObj& other) {
        text_ += other.text_;
        pos_.insert(pos_.end(), other.pos_.begin(), other.pos_.end());
    }

private:
    std::string text_;
    std::vector<int32_t> pos_;
};
