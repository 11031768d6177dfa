#include "html/style/style_rule.h"

#include <algorithm>

const TPropValue& InitialPropValue(int slot) {
    static const TPropValue unassigned;
    static const TPropValue nullLength(NullLength);
    static const TPropValue zero(0);
    if (slot >= piMarginTop && slot <= piLeft)
        return nullLength;
    if (slot == piZIndex)
        return zero;
    return unassigned;
}

namespace {
bool SlotBefore(const TRuleValues::Slot& s, int slot) {
    return s.first < slot;
}
} // namespace

const TPropValue& TRuleValues::operator[](int slot) const {
    const auto it = std::lower_bound(slots_.begin(), slots_.end(), slot, SlotBefore);
    if (it != slots_.end() && it->first == slot)
        return it->second;
    return InitialPropValue(slot);
}

void TRuleValues::Set(int slot, TPropValue value) {
    if (slot < 0 || slot >= PropCount)
        return;
    const auto it = std::lower_bound(slots_.begin(), slots_.end(), slot, SlotBefore);
    if (it != slots_.end() && it->first == slot)
        it->second = std::move(value);
    else
        slots_.emplace(it, static_cast<uint8_t>(slot), std::move(value));
}

bool TRuleValues::Has(int slot) const {
    const auto it = std::lower_bound(slots_.begin(), slots_.end(), slot, SlotBefore);
    return it != slots_.end() && it->first == slot;
}

void TStyleRule::AddPropertyByIndex(int index, std::string_view text) {
    StoreDeclaration(index, text,
                     [this](int slot, TPropValue v) { Values.Set(slot, std::move(v)); });
}
