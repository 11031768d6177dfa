// Fonts of a property set: the face from the family list, the style from weight, style and
// decoration, and the link, hover and visited variants.
#include <algorithm>

#include "html/style/properties.h"
#include "html/style/value_convert.h"
#include "platform/base/strings.h"

namespace {
// Larger sizes only cost memory and time in the rasteriser; no page needs them.
constexpr int kMaxFontPoints = 1000;

struct TGeneric {
    std::string_view Name;
    std::string_view Font;
};
constexpr TGeneric kGenerics[] = {
    {"serif", "Times New Roman"},
    {"monospace", "Courier New"},
    {"sans-serif", "Arial"},
    {"cursive", "Lucida Handwriting"},
};

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// The next name of a comma-separated family list, generic names replaced, one leading and one
// trailing quote removed.
std::string NextFamily(std::string_view& list) {
    const size_t comma = list.find(',');
    std::string name = Trim(list.substr(0, comma));
    list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
    name = GenericFontFamily(name);
    if (!name.empty() && IsQuote(name.front()))
        name.erase(0, 1);
    if (!name.empty() && IsQuote(name.back()))
        name.pop_back();
    return name;
}
} // namespace

std::string GenericFontFamily(std::string_view name) {
    for (const TGeneric& g : kGenerics) {
        if (SameText(g.Name, name))
            return std::string(g.Font);
    }
    return std::string(name);
}

std::unique_ptr<TMyFont> TProperties::MakeFont() const {
    auto font = std::make_unique<TMyFont>();
    font->BackColor = TextBackground;
    const TPropValue& color = Values[piColor];
    font->Color = color.IsInteger() ? static_cast<TColor>(color.Integer()) : 0;

    const TPropValue& weight = Values[piFontWeight];
    if (weight.IsText())
        font->Bold =
            weight.Text().find("bold") != std::string::npos || StrToIntDef(weight.Text(), 0) >= 600;
    font->Italic = Values[piFontStyle].Equals("italic") || Values[piFontStyle].Equals("oblique");
    // text-decoration is a list of lines; an unknown word draws none.
    if (const TPropValue& decoration = Values[piTextDecoration]; decoration.IsText()) {
        std::string_view rest = decoration.Text();
        while (!rest.empty()) {
            const size_t blank = rest.find(' ');
            const std::string_view word = rest.substr(0, blank);
            rest = blank == std::string_view::npos ? std::string_view{} : rest.substr(blank + 1);
            if (word == "underline")
                font->Underline = true;
            else if (word == "line-through")
                font->StrikeOut = true;
            else if (word == "overline")
                font->Overline = true;
        }
    }

    const TPropValue& size = Values[piFontSize];
    double points = 0;
    if (size.IsReal())
        points = size.Real();
    else if (size.IsInteger())
        points = size.Integer();
    font->Size = std::clamp(style_detail::RoundToInt(points), -kMaxFontPoints, kMaxFontPoints);
    font->Charset = Charset;

    if (Values[piFontFamily].IsText()) {
        std::string_view list = Values[piFontFamily].Text();
        while (!list.empty()) {
            const std::string name = NextFamily(list);
            if (name.empty())
                continue;
            font->Name = name;
            if (SameText(font->FaceName(), name))
                break;
        }
    }
    return font;
}

void TProperties::ApplyLinkState(TMyFont& font, int first) const {
    const TPropValue& color = Values[first];
    const TPropValue& back = Values[first + 1];
    const TPropValue& decoration = Values[first + 2];
    if (color.IsInteger() && static_cast<TColor>(color.Integer()) != NoColor && !ColorOverLink)
        font.Color = static_cast<TColor>(color.Integer());
    if (back.IsInteger() && static_cast<TColor>(back.Integer()) != NoColor)
        font.BackColor = static_cast<TColor>(back.Integer());
    if (decoration.Equals("underline"))
        font.Underline = true;
    else if (decoration.Equals("none"))
        font.Underline = false;
}

std::unique_ptr<TMyFont> TProperties::MakeLinkFont() const {
    auto font = MakeFont();
    ApplyLinkState(*font, piLinkColor);
    return font;
}

std::unique_ptr<TMyFont> TProperties::MakeHoverFont(const TMyFont& base) const {
    auto font = std::make_unique<TMyFont>(base);
    ApplyLinkState(*font, piHoverColor);
    return font;
}

std::unique_ptr<TMyFont> TProperties::MakeVisitedFont(const TMyFont& base) const {
    auto font = std::make_unique<TMyFont>(base);
    ApplyLinkState(*font, piVisitedColor);
    return font;
}
