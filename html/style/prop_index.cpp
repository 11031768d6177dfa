#include "html/style/prop_index.h"

#include <array>

namespace {
constexpr std::array<std::string_view, PropCount> kNames = {
    "font-family",
    "font-size",
    "font-style",
    "font-weight",
    "text-align",
    "text-decoration",
    "border-style",
    "color",
    "background-color",
    "border-color",
    "margin-top",
    "margin-right",
    "margin-bottom",
    "margin-left",
    "padding-top",
    "padding-right",
    "padding-bottom",
    "padding-left",
    "border-top-width",
    "border-right-width",
    "border-bottom-width",
    "border-left-width",
    "border-top-style",
    "border-right-style",
    "border-bottom-style",
    "border-left-style",
    "width",
    "height",
    "top",
    "left",
    "visibility",
    "line-height",
    "background-image",
    "background-position",
    "background-repeat",
    "vertical-align",
    "position",
    "z-index",
    "list-style-type",
    "list-style-image",
    "float",
    "clear",
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {}, // the link-state slots
    "text-indent",
    "text-transform",
    "letter-spacing",
    "word-spacing",
    "font-variant",
    "white-space",
    "list-style-position",
    "border-top-color",
    "border-right-color",
    "border-bottom-color",
    "border-left-color",
};
} // namespace

std::string_view PropName(int index) {
    if (!IsNamedProp(index))
        return {};
    return kNames[static_cast<size_t>(index)];
}

std::optional<int> FindPropIndex(std::string_view name) {
    for (size_t i = 0; i < kNames.size(); ++i) {
        if (!kNames[i].empty() && kNames[i] == name)
            return static_cast<int>(i);
    }
    return std::nullopt;
}
