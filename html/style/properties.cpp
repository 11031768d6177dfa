#include "html/style/properties.h"

#include <cmath>

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
    if (!InRange(index))
        return;
    TColor c = 0;
    switch (index) {
    case piBorderStyle:
        for (int i : {piBorderStyle, piBorderTopStyle, piBorderRightStyle, piBorderBottomStyle,
                      piBorderLeftStyle})
            Values[i] = text;
        break;
    case piBorderTopStyle:
    case piBorderRightStyle:
    case piBorderBottomStyle:
    case piBorderLeftStyle:
        Values[index] = text;
        Values[piBorderStyle] = text;
        break;
    case piColor:
        Values[index] = static_cast<int32_t>(ColorFromText(text, false, c) ? c : 0);
        break;
    case piBackgroundColor:
    case piBorderColor:
        Values[index] = static_cast<int32_t>(ColorFromText(text, false, c) ? c : NoColor);
        break;
    case piVisibility:
        if (text == "visible")
            Values[index] = 2;
        else if (text == "hidden")
            Values[index] = 1;
        break;
    default:
        Values[index] = text;
    }
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
    for (int i = piBorderTopStyle; i <= piBorderLeftStyle; ++i) {
        const TPropValue& v = Values[i];
        b[i] = static_cast<int32_t>(v.IsText() && v.Text() != "none" ? 1 : 0);
    }
    return b;
}
