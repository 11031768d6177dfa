#pragma once
// TPropStack: the property sets of the elements the document reader has open, the document's
// root set at the bottom (level 0). The stack owns its sets. Contextual style rules are
// matched against the levels below the top.
#include <memory>
#include <stdexcept>
#include <vector>

#include "html/style/properties.h"

class TPropStack {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    // Levels are bounds-checked: an index outside 0..Count()-1 throws std::out_of_range.
    TProperties& operator[](int level) { return *items_.at(static_cast<size_t>(level)); }
    const TProperties& operator[](int level) const {
        return *items_.at(static_cast<size_t>(level));
    }
    TProperties& Last() { return (*this)[Count() - 1]; }
    const TProperties& Last() const { return (*this)[Count() - 1]; }

    TProperties& Push(std::unique_ptr<TProperties> props) {
        if (!props)
            throw std::invalid_argument("TPropStack::Push: no property set");
        items_.push_back(std::move(props));
        return *items_.back();
    }
    TProperties& PushNew() { return Push(std::make_unique<TProperties>()); }
    // Frees the top set; an empty stack stays empty.
    void Pop() {
        if (!items_.empty())
            items_.pop_back();
    }
    // Frees the sets above the given count.
    void PopTo(int count) {
        while (Count() > count && count >= 0)
            items_.pop_back();
    }
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TProperties>> items_;
};
