#pragma once
// A logical palette of up to 256 colours with the host's nearest-colour rule.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/graphics/color.h"

class TPalette {
public:
    TPalette() = default;
    explicit TPalette(std::vector<TPaletteEntry> entries) : entries_(std::move(entries)) {}

    int Count() const { return static_cast<int>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }
    const TPaletteEntry& operator[](int i) const { return entries_[static_cast<size_t>(i)]; }
    TPaletteEntry& operator[](int i) { return entries_[static_cast<size_t>(i)]; }
    void Resize(int count) { entries_.resize(static_cast<size_t>(count)); }
    void Add(TPaletteEntry e) { entries_.push_back(e); }
    const std::vector<TPaletteEntry>& Entries() const { return entries_; }
    TColor ColorOf(int i) const;

    // Index of the entry nearest to the colour by squared RGB distance; the first of equals
    // wins, as GetNearestPaletteIndex does. 0 for an empty palette.
    int NearestIndex(TColor color) const;
    bool operator==(const TPalette&) const = default;

private:
    std::vector<TPaletteEntry> entries_;
};
