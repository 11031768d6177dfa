#pragma once
// A small open-addressing table from a name to a row number, for the lexer's tag, attribute
// and entity lookups: one hash and usually one compare per name instead of a linear search.
#include <array>
#include <cstdint>
#include <string_view>

class TNameTable {
public:
    // Keeps the first row of a name inserted twice. Capacity is ample for the lexer's tables.
    void Insert(std::string_view name, int row) {
        size_t i = Hash(name) & kMask;
        while (slots_[i].row >= 0) {
            if (slots_[i].name == name)
                return;
            i = (i + 1) & kMask;
        }
        slots_[i] = {name, row};
    }
    int Find(std::string_view name) const {
        size_t i = Hash(name) & kMask;
        while (slots_[i].row >= 0) {
            if (slots_[i].name == name)
                return slots_[i].row;
            i = (i + 1) & kMask;
        }
        return -1;
    }

private:
    static constexpr size_t kSize = 512; // a power of two, at least four times the rows
    static constexpr size_t kMask = kSize - 1;
    static size_t Hash(std::string_view s) {
        uint32_t h = 2166136261u;
        for (char c : s)
            h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
        return h ^ (h >> 15);
    }
    struct Slot {
        std::string_view name;
        int row = -1;
    };
    std::array<Slot, kSize> slots_{};
};
