#pragma once
// The 62 property slots of a set. Slots 0 to 41 and 51 to 61 have names that style text may
// use; 42 to 50 hold the link-state values the cascade routes from the "link", "hover" and
// "visited" rules. Slots are only ever appended, so a slot keeps its number.
#include <optional>
#include <string_view>

enum PropIndex : int {
    piFontFamily,
    piFontSize,
    piFontStyle,
    piFontWeight,
    piTextAlign,
    piTextDecoration,
    piBorderStyle,
    piColor,
    piBackgroundColor,
    piBorderColor,
    piMarginTop,
    piMarginRight,
    piMarginBottom,
    piMarginLeft,
    piPaddingTop,
    piPaddingRight,
    piPaddingBottom,
    piPaddingLeft,
    piBorderTopWidth,
    piBorderRightWidth,
    piBorderBottomWidth,
    piBorderLeftWidth,
    piBorderTopStyle,
    piBorderRightStyle,
    piBorderBottomStyle,
    piBorderLeftStyle,
    piWidth,
    piHeight,
    piTop,
    piLeft,
    piVisibility,
    piLineHeight,
    piBackgroundImage,
    piBackgroundPosition,
    piBackgroundRepeat,
    piVerticalAlign,
    piPosition,
    piZIndex,
    piListStyleType,
    piListStyleImage,
    piFloat,
    piClear,
    piLinkColor,
    piLinkBackgroundColor,
    piLinkDecoration,
    piHoverColor,
    piHoverBackgroundColor,
    piHoverDecoration,
    piVisitedColor,
    piVisitedBackgroundColor,
    piVisitedDecoration,
    piTextIndent,
    piTextTransform,
    piLetterSpacing,
    piWordSpacing,
    piFontVariant,
    piWhiteSpace,
    piListStylePosition,
    piBorderTopColor,
    piBorderRightColor,
    piBorderBottomColor,
    piBorderLeftColor,
};

constexpr int PropCount = 62;

// True for the slots that style text names: all but the link-state slots.
constexpr bool IsNamedProp(int index) {
    return (index >= 0 && index < piLinkColor) || (index >= piTextIndent && index < PropCount);
}

// The style name of a named slot ("font-family" ...); empty for the link-state slots.
std::string_view PropName(int index);
// The slot of a property name, compared case-sensitively; nothing for any other name.
std::optional<int> FindPropIndex(std::string_view name);
