#include "html/style/color_text.h"

#include <string>

#include "html/style/color_names.h"
#include "html/style/value_convert.h"
#include "platform/base/strings.h"

namespace {

// Reads the whole text as a hexadecimal number that fits 32 bits.
bool ReadHex(std::string_view s, uint32_t& value) {
    if (s.empty())
        return false;
    uint64_t v = 0;
    for (char c : s) {
        const int d = HexDigitValue(c);
        if (d < 0)
            return false;
        v = v * 16 + static_cast<uint64_t>(d);
        if (v > 0xFFFFFFFFull)
            return false;
    }
    value = static_cast<uint32_t>(v);
    return true;
}

// One rgb() component: a percentage of 255, or a decimal integer; 0 when unreadable.
int Component(std::string_view text) {
    std::string t = Trim(text);
    long v = 0;
    const size_t pct = t.find('%');
    if (pct != std::string::npos) {
        t.erase(pct, 1);
        double r = 0;
        // Computed as a share of 255 so 50% is exactly 127.5, which rounds to even: 128.
        if (style_detail::TryReadReal(Trim(t), r))
            v = style_detail::RoundToInt(r * 255 / 100);
    } else {
        int32_t i = 0;
        std::string_view s = t;
        bool ok = !s.empty();
        size_t k = (ok && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
        if (k == s.size())
            ok = false;
        int64_t acc = 0;
        for (; ok && k < s.size(); ++k) {
            if (s[k] < '0' || s[k] > '9') {
                ok = false;
                break;
            }
            acc = acc * 10 + (s[k] - '0');
            if (acc > 0x7FFFFFFF)
                ok = false;
        }
        if (ok) {
            i = static_cast<int32_t>(s[0] == '-' ? -acc : acc);
            v = i;
        }
    }
    if (v < 0)
        v = 0;
    if (v > 255)
        v = 255;
    return static_cast<int>(v);
}
} // namespace

bool RgbFromText(std::string_view text, TColor& color) {
    const size_t open = text.find('(');
    if (open == std::string_view::npos)
        return false;
    const size_t close = text.find(')', open + 1);
    if (close == std::string_view::npos)
        return false;
    const std::string inner = Trim(text.substr(open + 1, close - open - 1));
    std::string_view rest = inner;
    std::string_view parts[3];
    for (int i = 0; i < 2; ++i) {
        const size_t comma = rest.find(',');
        if (comma == std::string_view::npos) {
            parts[i] = rest;
            rest = {};
            break;
        }
        parts[i] = rest.substr(0, comma);
        rest = rest.substr(comma + 1);
    }
    if (!rest.empty())
        parts[2] = rest;
    const int r = Component(parts[0]);
    const int g = Component(parts[1]);
    const int b = Component(parts[2]);
    color = RGB(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)) |
            PaletteFlag;
    return true;
}

bool ColorFromText(std::string_view text, bool needHash, TColor& color) {
    const std::string s = LowerCase(Trim(text));
    TColor c = 0;
    bool ok = false;
    if (!s.empty() && s[0] != '#' && s.find("rgb(") == std::string::npos && FindColorName(s, c)) {
        ok = true;
    } else if (const size_t p = s.find("rgb"); p != std::string::npos) {
        ok = RgbFromText(std::string_view(s).substr(p + 3), c);
    } else {
        const size_t hash = s.find('#');
        if (hash == std::string::npos && needHash)
            return false;
        std::string digits = Trim(hash == std::string::npos ? s : s.substr(hash + 1));
        if (digits.size() <= 3) {
            std::string doubled;
            for (char ch : digits) {
                doubled += ch;
                doubled += ch;
            }
            digits = doubled;
        }
        uint32_t v = 0;
        if (ReadHex(digits, v)) {
            c = RGB(static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8),
                    static_cast<uint8_t>(v)) |
                PaletteFlag;
            ok = true;
        }
    }
    if (!ok)
        return false;
    color = c;
    return true;
}
