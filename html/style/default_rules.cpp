// The built-in rules every document starts from.
#include "html/style/style_list.h"
#include "html/style/value_convert.h"

void TStyleList::LoadDefaults(std::string_view defaultFontName, std::string_view preFontName,
                              int32_t marginWidth, int32_t marginHeight, uint8_t charset,
                              bool underlineLinks, TColor hoverColor, TColor visitedColor,
                              TColor linkColor, TColor textColor, double pointSize) {
    Clear();
    DefaultPointSize = pointSize;
    auto color = [](TColor c) { return TPropValue(static_cast<int32_t>(c)); };

    {
        auto p = std::make_unique<TProperties>();
        auto& v = p->Values;
        v[piFontFamily] = defaultFontName;
        v[piFontSize] = pointSize;
        v[piFontStyle] = "none";
        v[piFontWeight] = "normal";
        v[piTextAlign] = "left";
        v[piTextDecoration] = "none";
        v[piColor] = color(textColor);
        v[piMarginTop] = marginHeight;
        v[piMarginBottom] = marginHeight;
        v[piMarginLeft] = marginWidth;
        v[piMarginRight] = marginWidth;
        v[piVisibility] = 2;
        v[piLinkColor] = color(linkColor | PaletteFlag);
        v[piHoverColor] = color(hoverColor | PaletteFlag);
        v[piVisitedColor] = color(visitedColor | PaletteFlag);
        const char* decoration = underlineLinks ? "underline" : "none";
        v[piLinkDecoration] = decoration;
        v[piHoverDecoration] = decoration;
        v[piVisitedDecoration] = decoration;
        p->Charset = charset;
        p->ElemTag = "default";
        AddCopy("default", *p);
        p->BuiltIn = true;
        defaultSet_ = std::move(p);
        DefaultProps = defaultSet_.get();
    }
    AddEntry("null");

    // Slot writes into a new rule: add("p")[piMarginTop] = 0.
    struct TSlots {
        TStyleRule& Rule;
        struct TRef {
            TStyleRule& Rule;
            int Slot;
            void operator=(TPropValue v) { Rule.Values.Set(Slot, std::move(v)); }
        };
        TRef operator[](int slot) { return {Rule, slot}; }
    };
    auto add = [this](std::string_view key) { return TSlots{AddEntry(key)}; };
    auto copies = [this](const TStyleRule& from, std::initializer_list<std::string_view> keys) {
        for (std::string_view k : keys)
            AddCopy(k, from);
    };
    auto entry = [this](std::string_view key) -> TStyleRule& { return Props(IndexOf(key)); };

    {
        auto v = add("pre");
        v[piFontFamily] = preFontName;
        v[piFontSize] = pointSize * 10 / 12;
        v[piFontStyle] = "none";
        v[piFontWeight] = "normal";
        v[piTextAlign] = "left";
        v[piTextDecoration] = "none";
        copies(entry("pre"), {"xmp", "listing"});
    }
    {
        auto v = add("p");
        v[piMarginTop] = ParaAutoLength;
        v[piMarginBottom] = ParaAutoLength;
    }
    add("p 11pre")[piMarginTop] = 0;
    {
        auto v = add("ul");
        v[piMarginLeft] = 35;
        v[piMarginTop] = ParaAutoLength;
        v[piMarginBottom] = ParaAutoLength;
        v[piListStyleType] = "disc";
        copies(entry("ul"), {"menu", "dir"});
    }
    {
        auto v = add("ol");
        v[piMarginLeft] = 35;
        v[piMarginTop] = ParaAutoLength;
        v[piMarginBottom] = ParaAutoLength;
        v[piListStyleType] = "decimal";
    }
    {
        auto v = add("dl");
        v[piMarginLeft] = 0;
        v[piMarginTop] = ParaAutoLength;
        v[piMarginBottom] = ParaAutoLength;
        v[piListStyleType] = "none";
    }
    {
        auto v = add("dd");
        v[piMarginLeft] = 40;
        v[piMarginTop] = 0;
        v[piMarginBottom] = 0;
    }
    {
        auto v = add("blockquote");
        v[piMarginLeft] = 35;
        v[piMarginTop] = 14;
        v[piMarginBottom] = 14;
    }
    {
        auto v = add("ul 13ul");
        v[piMarginLeft] = 35;
        v[piMarginTop] = ParaAutoLength;
        v[piMarginBottom] = ParaAutoLength;
        v[piListStyleType] = "circle";
    }
    {
        auto v = add("ul 24ul ul");
        v[piMarginLeft] = 35;
        v[piMarginTop] = ParaAutoLength;
        v[piMarginBottom] = ParaAutoLength;
        v[piListStyleType] = "square";
    }
    add("ul 14li")[piMarginTop] = 0;
    copies(entry("ul 14li"), {"ol 15li"});
    {
        auto v = add("code");
        v[piFontFamily] = preFontName;
        v[piFontSize] = "0.833em";
        copies(entry("code"), {"tt", "kbd", "samp"});
    }
    add("b")[piFontWeight] = "bold";
    copies(entry("b"), {"strong", "th"});
    entry("th").Values.Set(piTextAlign, "center"); // header cells are centred
    add("sup")[piFontSize] = "75%";
    copies(entry("sup"), {"sub"});
    add("big")[piFontSize] = "1.25em";
    add("small")[piFontSize] = "0.75em";
    add("table")[piTextAlign] = "none";
    add("i")[piFontStyle] = "italic";
    copies(entry("i"), {"em", "cite", "var", "address"});
    add("u")[piTextDecoration] = "underline";
    add("s")[piTextDecoration] = "line-through";
    copies(entry("s"), {"strike"});
    add("center")[piTextAlign] = "center";
    copies(entry("center"), {"caption"});
    {
        auto v = add("hr");
        for (int i = piMarginTop; i <= piMarginLeft; ++i)
            v[i] = 10;
    }
    static constexpr int kHeadingPoints[6] = {24, 18, 14, 12, 10, 8};
    for (int level = 1; level <= 6; ++level) {
        const std::string key = "h" + std::to_string(level);
        auto v = add(key);
        v[piFontSize] = pointSize / 12 * kHeadingPoints[level - 1];
        v[piMarginTop] = 19;
        v[piMarginBottom] = 19;
        v[piFontWeight] = "bold";
    }
    // Everything above is the built-in sheet; the document's rules come after.
    for (int i = 0; i < Count(); ++i)
        Props(i).BuiltIn = true;
}
