#include "html/style/properties.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

#include "html/style/color_text.h"
#include "html/style/value_convert.h"
#include "platform/base/strings.h"

namespace {
constexpr std::string_view kListStyles[] = {
    "blank",       "circle", "decimal", "disc",        "lower-alpha",
    "lower-roman", "none",   "square",  "upper-alpha", "upper-roman",
};

bool InRange(int index) {
    return index >= 0 && index < PropCount;
}
} // namespace

BorderStyleKind BorderStyleOf(const TPropValue& v) {
    if (!v.IsText())
        return bdNone;
    static constexpr std::pair<std::string_view, BorderStyleKind> kStyles[] = {
        {"none", bdNone},     {"solid", bdSolid},   {"dashed", bdDashed},
        {"dotted", bdDotted}, {"double", bdDouble}, {"groove", bdGroove},
        {"ridge", bdRidge},   {"inset", bdInset},   {"outset", bdOutset},
    };
    const std::string t = Trim(v.Text());
    for (const auto& [name, kind] : kStyles)
        if (t == name)
            return kind;
    // Any other word still asks for a border: it is drawn solid.
    return bdSolid;
}

std::string_view ListStyleName(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kListStyles)))
        return {};
    return kListStyles[index];
}

TProperties::TProperties() {
    for (int i = piMarginTop; i <= piLeft; ++i)
        Values[i] = NullLength;
    Values[piZIndex] = 0;
}

void TProperties::CopyValues(const TProperties& source) {
    Values = source.Values;
}

void TProperties::CopyAsDefault(const TProperties& source) {
    Values = source.Values;
    Charset = source.Charset;
    ElemTag = "default";
}

void TProperties::RefreshUnset(const TProperties& source) {
    for (int i = 0; i < PropCount; ++i) {
        if (!SetByRule[i])
            Values[i] = source.Values[i];
    }
}

void TProperties::SetIfUnset(const TPropValue& value, int index) {
    if (!InRange(index) || SetByAuthor[index])
        return;
    Values[index] = value;
    SetByRule[index] = true;
    SetByAuthor[index] = true;
    if (index == piColor && ElemPseudo.empty())
        ColorOverLink = true;
}

void TProperties::AddPropertyByName(std::string_view name, std::string_view text) {
    if (const auto index = FindPropIndex(name))
        AddPropertyByIndex(*index, text);
}

void TProperties::AddPropertyByIndex(int index, std::string_view text) {
    StoreDeclaration(index, text, [this](int slot, TPropValue v) { Values[slot] = std::move(v); });
}

bool TProperties::GetBackgroundImage(std::string& url) const {
    const TPropValue& v = Values[piBackgroundImage];
    if (!v.IsText())
        return false;
    if (v.Text() == "none") {
        url.clear();
        return true;
    }
    url = ReadUrl(v.Text());
    return !url.empty();
}

TBgPosition TProperties::GetBackgroundPos(int32_t emSize, int32_t exSize) const {
    return ReadBackgroundPosition(Values[piBackgroundPosition], Values[piBackgroundRepeat], emSize,
                                  exSize);
}

bool TProperties::GetVertAlign(AlignKind& align) const {
    const TPropValue& v = Values[piVerticalAlign];
    if (v.Equals("top") || v.Equals("text-top"))
        align = akTop;
    else if (v.Equals("middle"))
        align = akMiddle;
    else if (v.Equals("baseline"))
        align = akBaseline;
    else if (v.Equals("bottom"))
        align = akBottom;
    else
        return false;
    return true;
}

bool TProperties::GetVerticalAlign(TVerticalAlign& align) const {
    const TPropValue& v = Values[piVerticalAlign];
    if (!v.IsText())
        return false;
    static constexpr std::pair<std::string_view, VerticalAlignKind> kWords[] = {
        {"baseline", vaBaseline}, {"sub", vaSub},
        {"super", vaSuper},       {"top", vaTop},
        {"text-top", vaTextTop},  {"middle", vaMiddle},
        {"bottom", vaBottom},     {"text-bottom", vaTextBottom},
    };
    const std::string t = Trim(v.Text());
    for (const auto& [word, kind] : kWords) {
        if (t == word) {
            align = {kind, 0};
            return true;
        }
    }
    // A percentage raises by that part of the element's line height; a length by itself
    // (negative values lower). Anything that reads as no number is ignored.
    if (t.empty() || !(std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '-' ||
                       t[0] == '+' || t[0] == '.'))
        return false;
    if (t.back() == '%') {
        double percent = 0;
        if (!style_detail::TryReadReal(t.substr(0, t.size() - 1), percent))
            return false;
        percent = std::clamp(percent, -10000.0, 10000.0);
        const int32_t lineHeight = std::max(GetLineHeight(EmHeight), EmHeight);
        align = {vaRaise, style_detail::RoundToInt(lineHeight * percent / 100)};
        return true;
    }
    const int32_t px = LengthToPixels(t, false, 0, EmHeight, ExHeight, NullLength);
    if (px == NullLength)
        return false;
    align = {vaRaise, std::clamp(px, -10000, 10000)};
    return true;
}

void TProperties::GetBorderColors(std::array<TColor, 4>& sides) const {
    const TPropValue& all = Values[piBorderColor];
    const TColor common = all.IsInteger() ? static_cast<TColor>(all.Integer()) : NoColor;
    for (int i = 0; i < 4; ++i) {
        const TPropValue& v = Values[piBorderTopColor + i];
        sides[static_cast<size_t>(i)] = v.IsInteger() ? static_cast<TColor>(v.Integer()) : common;
    }
}

bool TProperties::GetFloat(AlignKind& align) const {
    const TPropValue& v = Values[piFloat];
    if (v.Equals("left"))
        align = akLeft;
    else if (v.Equals("right"))
        align = akRight;
    else if (v.Equals("none"))
        align = akNone;
    else
        return false;
    return true;
}

bool TProperties::GetClear(ClearKind& clear) const {
    const TPropValue& v = Values[piClear];
    if (v.Equals("left"))
        clear = ckLeft;
    else if (v.Equals("right"))
        clear = ckRight;
    else if (v.Equals("both"))
        clear = ckBoth;
    else if (v.Equals("none"))
        clear = ckNone;
    else
        return false;
    return true;
}

ListStyleKind TProperties::GetListStyleType() const {
    const TPropValue& v = Values[piListStyleType];
    if (v.IsText()) {
        for (size_t i = 0; i < std::size(kListStyles); ++i) {
            if (kListStyles[i] == v.Text())
                return static_cast<ListStyleKind>(i);
        }
    }
    return lsBlank;
}

std::string TProperties::GetListStyleImage() const {
    const TPropValue& v = Values[piListStyleImage];
    return v.IsText() ? ReadUrl(v.Text()) : std::string();
}

PositionKind TProperties::GetPosition() const {
    const TPropValue& v = Values[piPosition];
    if (v.Equals("absolute"))
        return posAbsolute;
    if (v.Equals("relative"))
        return posRelative;
    return posStatic;
}

bool TProperties::IsHidden() const {
    return Values[piVisibility].IsInteger(1);
}

int32_t TProperties::GetZIndex() const {
    const TPropValue& v = Values[piZIndex];
    if (v.IsInteger())
        return v.Integer();
    if (v.IsText())
        return StrToIntDef(Trim(v.Text()), 0);
    return 0;
}

int32_t TProperties::GetLineHeight(int32_t naturalHeight) const {
    const TPropValue& v = Values[piLineHeight];
    if (!v.IsText())
        return 0;
    double factor = 0;
    if (style_detail::TryReadReal(Trim(v.Text()), factor))
        return style_detail::RoundToInt(naturalHeight * factor);
    return LengthToPixels(v.Text(), true, EmHeight, EmHeight, ExHeight, 0);
}

TextTransformKind TProperties::GetTextTransform() const {
    const TPropValue& v = Values[piTextTransform];
    if (v.Equals("uppercase"))
        return ttUppercase;
    if (v.Equals("lowercase"))
        return ttLowercase;
    if (v.Equals("capitalize"))
        return ttCapitalize;
    return ttNone;
}

WhiteSpaceKind TProperties::GetWhiteSpace() const {
    const TPropValue& v = Values[piWhiteSpace];
    if (v.Equals("pre"))
        return wsPre;
    if (v.Equals("nowrap"))
        return wsNoWrap;
    return wsNormal;
}

bool TProperties::IsSmallCaps() const {
    return Values[piFontVariant].Equals("small-caps");
}

namespace {
// A spacing length; percentages mean nothing for spacing, and a spacing so large that it
// only hides the text is cut back.
int32_t Spacing(const TPropValue& v, int32_t em) {
    if (!v.IsText() || v.Text() == "normal" || v.Text().find('%') != std::string::npos)
        return 0;
    return std::clamp(LengthToPixels(v.Text(), false, 0, em, em / 2, 0), -1000, 1000);
}
} // namespace

int32_t TProperties::GetLetterSpacing(int32_t emPixels) const {
    return Spacing(Values[piLetterSpacing], emPixels);
}

int32_t TProperties::GetWordSpacing(int32_t emPixels) const {
    return Spacing(Values[piWordSpacing], emPixels);
}

int32_t TProperties::GetTextIndent(int32_t baseWidth, int32_t emPixels, bool& percent) const {
    const TPropValue& v = Values[piTextIndent];
    percent = false;
    if (v.IsInteger())
        return v.Integer() == NullLength ? 0 : v.Integer();
    if (!v.IsText())
        return 0;
    percent = v.Text().find('%') != std::string::npos;
    return std::clamp(LengthToPixels(v.Text(), false, baseWidth, emPixels, emPixels / 2, 0),
                      -100000, 100000);
}

TColor TProperties::GetBackgroundColor() const {
    const TPropValue& v = Values[piBackgroundColor];
    if (v.IsInteger() && SetByRule[piBackgroundColor])
        return static_cast<TColor>(v.Integer());
    return NoColor;
}

TColor TProperties::GetFontColor() const {
    const TPropValue& v = Values[piColor];
    if (v.IsInteger() && SetByRule[piColor])
        return static_cast<TColor>(v.Integer());
    return NoColor;
}

void TProperties::SetFontBG() {
    const TPropValue& v = Values[piBackgroundColor];
    if (v.IsInteger() && SetByRule[piBackgroundColor])
        TextBackground = static_cast<TColor>(v.Integer());
}

bool TProperties::HasBorderStyle() const {
    const TPropValue& v = Values[piBorderStyle];
    return v.IsText() && v.Text() != "none";
}

TBoxValues TProperties::GetBoxValues() const {
    TBoxValues b;
    for (int i = BoxFirst; i <= BoxLast; ++i)
        b[i] = Values[i];
    for (int i = piBorderTopStyle; i <= piBorderLeftStyle; ++i)
        b[i] = static_cast<int32_t>(BorderStyleOf(Values[i]));
    return b;
}
