#pragma once
// TFreeList: a list that owns its items. Clearing or destroying it frees every item, in index
// order, as the reader expects.
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

template <class T> class TFreeList {
public:
    TFreeList() = default;
    TFreeList(const TFreeList&) = delete;
    TFreeList& operator=(const TFreeList&) = delete;
    ~TFreeList() { Clear(); }

    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    // Item at an index; nullptr outside the list.
    T* Items(int i) const {
        return i >= 0 && static_cast<size_t>(i) < items_.size() ? items_[i].get() : nullptr;
    }
    T* operator[](int i) const { return Items(i); }
    T* Last() const { return items_.empty() ? nullptr : items_.back().get(); }

    T* Add(std::unique_ptr<T> item) {
        items_.push_back(std::move(item));
        return items_.back().get();
    }
    // Frees the item at an index and removes it; an index outside the list is ignored.
    void Delete(int i) {
        if (i < 0 || static_cast<size_t>(i) >= items_.size())
            return;
        items_[i].reset();
        items_.erase(items_.begin() + i);
    }
    // Gives the item at an index back to the caller without freeing it.
    std::unique_ptr<T> Extract(int i) {
        if (i < 0 || static_cast<size_t>(i) >= items_.size())
            return nullptr;
        std::unique_ptr<T> item = std::move(items_[i]);
        items_.erase(items_.begin() + i);
        return item;
    }
    void Clear() {
        for (auto& item : items_)
            item.reset();
        items_.clear();
    }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<std::unique_ptr<T>> items_;
};
