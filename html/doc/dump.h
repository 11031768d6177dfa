#pragma once
// The text dump of a laid-out document: one line per section or box with its kind, position
// and size, one line per text line with its text, indented two blanks per level. Layout tests,
// `foliobuilder render --dump` and bug reports read it.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/strings.h"

class TDumpWriter {
public:
    // "kind x=.. y=.. w=.. h=.." followed by extra text when given.
    void Box(int depth, std::string_view kind, int32_t x, int32_t y, int32_t w, int32_t h,
             std::string_view extra = {});
    // A text line: its position and size, then the text in double quotes as UTF-8; control
    // codes (line breaks, object marks) are written as \xNN and a quote or backslash is
    // escaped, so the dump stays one line per text line.
    void Line(int depth, int32_t x, int32_t y, int32_t w, int32_t h, std::u32string_view text);
    // Any other line, indented.
    void Note(int depth, std::string_view text);

    const std::string& Text() const { return out_; }

private:
    void Indent(int depth);
    std::string out_;
};
