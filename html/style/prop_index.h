#pragma once
// The 51 property slots of a set. Slots 0 to 41 have names that style text may use; 42 to 50
// hold the link-state values the cascade routes from the "link", "hover" and "visited" rules.
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
};

constexpr int NamedPropCount = 42; // slots 0..41 have names
constexpr int PropCount = 51;

// The style name of a named slot ("font-family" ...); empty for the link-state slots.
std::string_view PropName(int index);
// Index 0..41 of a property name, compared case-sensitively; nothing for any other name.
std::optional<int> FindPropIndex(std::string_view name);
