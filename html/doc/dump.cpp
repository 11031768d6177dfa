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

void TDumpWriter::Line(int depth, int32_t x, int32_t y, int32_t w, int32_t h, std::string_view text,
                       TCodePage cp) {
    Indent(depth);
    char buf[96];
    std::snprintf(buf, sizeof buf, "line x=%d y=%d w=%d h=%d \"", x, y, w, h);
    out_.append(buf);
    // Escape byte by byte first so that control codes never reach the conversion; printable
    // runs are converted to UTF-8 together.
    std::string run;
    auto flush = [&] {
        if (!run.empty()) {
            out_.append(ToUtf8(run, cp));
            run.clear();
        }
    };
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            flush();
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\x%02X", b);
            out_.append(esc);
        } else if (c == '"' || c == '\\') {
            flush();
            out_ += '\\';
            out_ += c;
        } else {
            run += c;
        }
    }
    flush();
    out_.append("\"\n");
}

void TDumpWriter::Note(int depth, std::string_view text) {
    Indent(depth);
    out_.append(text);
    out_ += '\n';
}
