#pragma once
// Style text into numbers: url() values into addresses, font sizes into points, lengths into
// pixels at the screen's resolution.
#include <cstdint>
#include <string>
#include <string_view>

// The address inside a url() value (one pair of quotes removed); empty for any other value.
std::string ReadUrl(std::string_view value);

// A font-size text in points, relative units taken against the parent's size; keywords and
// unknown units against defaultPoints (the sheet's default size).
double PointSizeOf(std::string_view text, double parentPoints, double defaultPoints);

// A length text in pixels, rounded to nearest (halves to even). Percentages are of base; em
// and ex use the given sizes; an unknown unit gives def; a bare number is pixels, or a
// multiple of base when relative. Results are kept within +-1e9 so layout sums cannot
// overflow.
int32_t LengthToPixels(std::string_view text, bool relative, int32_t base, int32_t emSize,
                       int32_t exSize, int32_t def);

// A length text with its absolute lengths (px, pt, pc, in, cm, mm, and bare numbers unless
// bareIsFactor) multiplied by zoom, token by token; relative ones (%, em, ex) and words stay
// as they are, since what they are relative to is zoomed already.
std::string ZoomLengthText(std::string_view text, double zoom, bool bareIsFactor);

// Parts of the conversions shared with the rest of the style code.
namespace style_detail {
// Splits a value into its leading number and the unit after it. The number is the longest
// leading decimal (sign, digits, one point) and never runs into an "e", so 1.2em is 1.2 and
// "em"; without one the number is 0 and the unit is the whole (trimmed) text.
void SplitNumber(std::string_view text, double& number, std::string& unit);
// A whole text as a real (sign, digits, point, exponent), as the toolkit's StrToFloat.
bool TryReadReal(std::string_view text, double& value);
// Rounds to nearest, halves to even, kept within +-1e9.
int32_t RoundToInt(double v);
} // namespace style_detail
