#include "html/doc/dump.h"

#include <cstdio>

void TDumpWriter::Indent(int depth) {
    // Hostile nesting is bounded by the reader; still keep a single line from growing without
    // end when something goes wrong.
    if (depth > 200)
        depth = 200;
    out_.append(static_cast<size_t>(depth < 0 ? 0 : depth) * 2, ' ');
}

void TDumpWriter::Box(int depth, std::string_view kind, int32_t x, int32_t y, int32_t w, int32_t h,
                      std::string_view extra) {
    Indent(depth);
    char buf[96];
    std::snprintf(buf, sizeof buf, " x=%d y=%d w=%d h=%d", x, y, w, h);
    out_.append(kind);
    out_.append(buf);
    if (!extra.empty()) {
        out_ += ' ';
        out_.append(extra);
    }
    out_ += '\n';
}

void TDumpWriter::Line(int depth, int32_t x, int32_t y, int32_t w, int32_t h,
                       std::u32string_view text) {
    Indent(depth);
    char buf[96];
    std::snprintf(buf, sizeof buf, "line x=%d y=%d w=%d h=%d \"", x, y, w, h);
    out_.append(buf);
    for (char32_t c : text) {
        if (c < 0x20 || c == 0x7F) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02X", static_cast<unsigned>(c));
            out_.append(esc);
        } else if (c == '"' || c == '\\') {
            out_ += '\\';
            out_ += static_cast<char>(c);
        } else {
            AppendUtf8(out_, c);
        }
    }
    out_.append("\"\n");
}

void TDumpWriter::Note(int depth, std::string_view text) {
    Indent(depth);
    out_.append(text);
    out_ += '\n';
}
