#pragma once
// UTF-8 text with the source position of every byte (all bytes of one character share its
// position), so a click or a named position can be mapped back to where the text stood in the
// document.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/strings.h"

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
    // UTF-8 bytes that stood one after another in the source. Positions count characters: the
    // first lead (or ASCII) byte is at firstPosition, each further one a character later, and
    // continuation bytes share their character's position (those at the very start continue
    // the character before the run).
    void AddRun(const char* chars, size_t count, int32_t firstPosition) {
        text_.append(chars, count);
        int32_t pos = firstPosition - 1;
        for (size_t i = 0; i < count; ++i) {
            pos += !IsUtf8Continuation(chars[i]);
            pos_.push_back(pos);
        }
    }
    // The same for bytes without a continuation byte among them: one character each.
    void AddAsciiRun(const char* chars, size_t count, int32_t firstPosition) {
        text_.append(chars, count);
        for (size_t i = 0; i < count; ++i)
            pos_.push_back(firstPosition + static_cast<int32_t>(i));
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
