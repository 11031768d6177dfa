#include "html/style/prop_index.h"

#include <array>

namespace {
constexpr std::array<std::string_view, NamedPropCount> kNames = {
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
};
} // namespace

std::string_view PropName(int index) {
    if (index < 0 || index >= NamedPropCount)
        return {};
    return kNames[static_cast<size_t>(index)];
}

std::optional<int> FindPropIndex(std::string_view name) {
    for (size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == name)
            return static_cast<int>(i);
    }
    return std::nullopt;
}
