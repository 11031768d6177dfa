#pragma once
// The attributes of one tag, in the order they stand in it.
#include <cstdint>
#include <string>
#include <vector>

#include "html/reader/symbols.h"

struct TAttribute {
    Symbol Sym = OtherAttrSym; // which attribute; OtherAttrSym for an unknown name
    int32_t Value = 0;         // the value as a number, 0 when it is none (1 for a bare BORDER)
    std::string Str;           // the value text, quotes removed and entities decoded
};

class TAttributeList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    const TAttribute& operator[](int i) const { return items_[static_cast<size_t>(i)]; }
    const TAttribute& Items(int i) const { return items_[static_cast<size_t>(i)]; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

    void Add(TAttribute a) { items_.push_back(std::move(a)); }
    // The first attribute with that symbol, or nullptr.
    const TAttribute* Find(Symbol sy) const;
    bool Find(Symbol sy, const TAttribute*& found) const {
        found = Find(sy);
        return found != nullptr;
    }

    // The CLASS value in lower case, or "".
    std::string TheClass() const;
    // The ID value in lower case (cached until the list is cleared), or "".
    const std::string& TheID();
    // Clears the cached ID and drops every attribute.
    void Clear();
    // Multiplies the pixel lengths among the attributes of the tag (WIDTH, HEIGHT, HSPACE,
    // VSPACE, BORDER, CELLPADDING, CELLSPACING, MARGINWIDTH, MARGINHEIGHT, and SIZE of HR) by
    // zoom, number and text alike; percentages and relative lengths ("*") stay as written.
    void ZoomLengths(Symbol tag, double zoom);

private:
    std::vector<TAttribute> items_;
    std::string id_;
    bool idCached_ = false;
};
