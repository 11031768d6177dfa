#pragma once
// TStyleRule: the declarations of one style-sheet rule. A sheet may hold hundreds of thousands
// of rules and most set one or two properties, so a rule keeps only the slots it was given,
// in slot order; every other slot reads as the value a new property set starts with (lengths
// 10..29 NullLength, z-index 0, the rest unassigned), so the cascade sees a rule exactly as
// it would see a whole set.
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "html/style/color_text.h"
#include "html/style/prop_index.h"
#include "html/style/prop_value.h"
#include "platform/graphics/color.h"

// The value a slot holds in a new property set.
const TPropValue& InitialPropValue(int slot);

class TRuleValues {
public:
    using Slot = std::pair<uint8_t, TPropValue>;

    // The slot's value; a slot the rule never wrote (or one outside 0..PropCount-1) gives
    // its initial value.
    const TPropValue& operator[](int slot) const;
    // Stores the value; slots outside 0..PropCount-1 are ignored.
    void Set(int slot, TPropValue value);
    bool Has(int slot) const;
    // The written slots, ascending.
    const std::vector<Slot>& Written() const { return slots_; }
    bool operator==(const TRuleValues&) const = default;

private:
    std::vector<Slot> slots_;
};

struct TStyleRule {
    TRuleValues Values;
    // A rule of the built-in sheet rather than of the document.
    bool BuiltIn = false;

    // A declaration as a style attribute stores it (see StoreDeclaration).
    void AddPropertyByIndex(int index, std::string_view text);
};

// The slots one declaration writes and their values: a border style also gives the other
// border-style slots, colours become integers (NoColor when unreadable; black for color),
// visibility is 2 for "visible" and 1 for "hidden" and nothing otherwise, and everything
// else stays text. put(slot, value) stores one slot.
template <class Put> void StoreDeclaration(int index, std::string_view text, Put&& put) {
    if (index < 0 || index >= PropCount)
        return;
    TColor c = 0;
    switch (index) {
    case piBorderStyle:
        for (int i : {piBorderStyle, piBorderTopStyle, piBorderRightStyle, piBorderBottomStyle,
                      piBorderLeftStyle})
            put(i, TPropValue(text));
        break;
    case piBorderTopStyle:
    case piBorderRightStyle:
    case piBorderBottomStyle:
    case piBorderLeftStyle:
        put(index, TPropValue(text));
        put(piBorderStyle, TPropValue(text));
        break;
    case piColor:
        put(index, TPropValue(static_cast<int32_t>(ColorFromText(text, false, c) ? c : 0)));
        break;
    case piBackgroundColor:
    case piBorderColor:
    case piBorderTopColor:
    case piBorderRightColor:
    case piBorderBottomColor:
    case piBorderLeftColor:
        put(index, TPropValue(static_cast<int32_t>(ColorFromText(text, false, c) ? c : NoColor)));
        break;
    case piVisibility:
        if (text == "visible")
            put(index, TPropValue(2));
        else if (text == "hidden")
            put(index, TPropValue(1));
        break;
    default:
        put(index, TPropValue(text));
    }
}
