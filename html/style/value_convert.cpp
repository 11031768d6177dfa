#include "html/style/value_convert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/base/strings.h"
#include "platform/graphics/screen.h"

namespace {
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

double ScreenPpi() {
    return TScreen::PixelsPerInch;
}
} // namespace

namespace style_detail {

int32_t RoundToInt(double v) {
    constexpr double kLimit = 1e9;
    if (std::isnan(v))
        return 0;
    if (v > kLimit)
        return static_cast<int32_t>(kLimit);
    if (v < -kLimit)
        return static_cast<int32_t>(-kLimit);
    // nearbyint rounds in the current mode, which is to nearest, halves to even.
    return static_cast<int32_t>(std::nearbyint(v));
}

bool TryReadReal(std::string_view s, double& value) {
    size_t i = 0;
    const size_t n = s.size();
    size_t start = 0;
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    if (i < n && s[0] == '+')
        start = 1; // from_chars takes no plus sign
    size_t digits = 0;
    while (i < n && IsDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && IsDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t expDigits = 0;
        while (i < n && IsDigit(s[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    if (i != n)
        return false;
    double v = 0;
    auto r = std::from_chars(s.data() + start, s.data() + n, v);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: the sign decides, the size hardly matters.
        const bool negative = s[0] == '-';
        const bool tiny = s.find_first_of("123456789") == std::string_view::npos ||
                          s.find("e-") != std::string_view::npos ||
                          s.find("E-") != std::string_view::npos;
        v = tiny ? 0.0 : (negative ? -HUGE_VAL : HUGE_VAL);
    } else if (r.ec != std::errc()) {
        return false;
    }
    value = v;
    return true;
}

void SplitNumber(std::string_view text, double& number, std::string& unit) {
    const std::string t = Trim(text);
    const std::string_view s = t;
    size_t i = 0;
    const size_t n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < n && IsDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < n && s[i] == '.') {
        size_t j = i + 1;
        size_t frac = 0;
        while (j < n && IsDigit(s[j])) {
            ++j;
            ++frac;
        }
        if (digits + frac > 0) {
            i = j;
            digits += frac;
        }
    }
    if (digits == 0 || !TryReadReal(s.substr(0, i), number)) {
        number = 0;
        unit = LowerCase(t);
        return;
    }
    unit = LowerCase(Trim(s.substr(i)));
}

} // namespace style_detail

using style_detail::RoundToInt;
using style_detail::SplitNumber;

std::string ReadUrl(std::string_view value) {
    const size_t p = value.find("url(");
    if (p == std::string_view::npos)
        return {};
    // The address starts at the fifth character: "url(" has to open the value.
    std::string_view rest = value.size() > 4 ? value.substr(4) : std::string_view{};
    const size_t close = rest.find(')');
    if (close != std::string_view::npos)
        rest = rest.substr(0, close);
    std::string r(rest);
    if (r.size() > 2 && (r[0] == '"' || r[0] == '\''))
        r = r.substr(1, r.size() - 2);
    return r;
}

double PointSizeOf(std::string_view text, double parentPoints, double defaultPoints) {
    double v = 0;
    std::string unit;
    SplitNumber(text, v, unit);
    const double ppi = ScreenPpi();
    if (unit == "in")
        return v * 72;
    if (unit == "cm")
        return v * 72 / 2.54;
    if (unit == "mm")
        return v * 72 / 25.4;
    if (unit == "pt")
        return v;
    if (unit == "px" || unit.empty())
        return v * 72 / ppi;
    if (unit == "pc")
        return v * 12;
    if (unit == "em")
        return v * parentPoints;
    if (unit == "ex")
        return v * parentPoints / 2;
    if (unit == "%")
        return v * parentPoints / 100;
    if (unit == "smaller")
        return parentPoints * 0.75;
    if (unit == "larger")
        return parentPoints * 1.25;
    const double d = defaultPoints;
    if (unit == "xx-small")
        return d / 1.5;
    if (unit == "x-small")
        return d / 1.2;
    if (unit == "small")
        return d;
    if (unit == "medium")
        return d * 1.2;
    if (unit == "large")
        return d * 1.5;
    if (unit == "x-large")
        return d * 2;
    if (unit == "xx-large")
        return d * 3;
    return d;
}

int32_t LengthToPixels(std::string_view text, bool relative, int32_t base, int32_t emSize,
                       int32_t exSize, int32_t def) {
    double v = 0;
    std::string unit;
    SplitNumber(text, v, unit);
    const double ppi = ScreenPpi();
    double px;
    if (unit.empty())
        px = relative ? v * base : v;
    else if (unit == "in")
        px = v * ppi;
    else if (unit == "cm")
        px = v * ppi / 2.54;
    else if (unit == "mm")
        px = v * ppi / 25.4;
    else if (unit == "pt")
        px = v * ppi / 72;
    else if (unit == "px")
        px = v;
    else if (unit == "pc")
        px = v * ppi / 6;
    else if (unit == "em")
        px = v * emSize;
    else if (unit == "ex")
        px = v * exSize;
    else if (unit == "%")
        px = v * base / 100;
    else
        return def;
    return RoundToInt(px);
}

std::string ZoomLengthText(std::string_view text, double zoom, bool bareIsFactor) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        const std::string_view token = text.substr(start, i - start);
        double number = 0;
        std::string unit;
        if (!token.empty())
            SplitNumber(token, number, unit);
        const bool absolute = unit == "px" || unit == "pt" || unit == "pc" || unit == "in" ||
                              unit == "cm" || unit == "mm" || (unit.empty() && !bareIsFactor);
        if (number != 0 && absolute) {
            // Fixed notation: an exponent would read as a unit starting with "e".
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.4f", std::clamp(number * zoom, -1e12, 1e12));
            std::string n = buf;
            n.erase(n.find_last_not_of('0') + 1);
            if (!n.empty() && n.back() == '.')
                n.pop_back();
            out += n + unit;
        } else {
            out += token;
        }
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            out += text[i++];
    }
    return out;
}
