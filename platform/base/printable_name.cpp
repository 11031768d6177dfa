#include "platform/base/printable_name.h"

namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
    static const char kHex[] = "0123456789abcdef";
    switch (byte) {
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    case '\\':
        out += "\\\\";
        return;
    default:
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    }
}

// Length of the well-formed UTF-8 sequence at s (shortest form, no surrogates, at most
// U+10FFFF), or 0 when the bytes there are not one.
size_t Utf8SequenceLength(std::string_view s, char32_t& code) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    size_t length;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, min = 0x80, code = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, min = 0x800, code = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, min = 0x10000, code = b0 & 0x07;
    } else {
        return 0;
    }
    if (s.size() < length) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) {
            return 0;
        }
        code = code << 6 | (b & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

} // namespace

std::string PrintableName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    size_t i = 0;
    while (i < name.size()) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte >= 0x80) {
            char32_t code = 0;
            const size_t length = Utf8SequenceLength(name.substr(i), code);
            // C1 controls (U+0080 to U+009F) act like ESC sequences on some terminals.
            if (length > 0 && code >= 0xA0) {
                out.append(name.substr(i, length));
                i += length;
                continue;
            }
            const size_t bad = length > 0 ? length : 1;
            for (size_t k = 0; k < bad; ++k) {
                AppendEscaped(out, static_cast<unsigned char>(name[i + k]));
            }
            i += bad;
            continue;
        }
        if (byte < 0x20 || byte == 0x7F || byte == '\\') {
            AppendEscaped(out, byte);
        } else {
            out += static_cast<char>(byte);
        }
        ++i;
    }
    return out;
}
