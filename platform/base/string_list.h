#pragma once
// TStringList: an ordered list of strings, each with an optional attached object. Sorted lists
// keep their order by a case-insensitive compare and find with a binary search; they hold their
// entries in an order-statistic tree, so an insert costs O(log n) and not a move of half the
// list, while positions stay what callers see.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/exceptions.h"
#include "platform/base/order_stat_tree.h"

// Root of everything that can be attached to a list entry. The list never owns it unless
// OwnsObjects is set.
class TObject {
public:
    virtual ~TObject() = default;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList {
public:
    TStringList() = default;
    TStringList(const TStringList& other);
    TStringList& operator=(const TStringList& other);
    ~TStringList();

    int Count() const { return sorted_ ? tree_.Count() : static_cast<int>(items_.size()); }
    const std::string& operator[](int i) const { return Strings(i); }
    const std::string& Strings(int i) const;
    void SetString(int i, const std::string& s); // not allowed on a sorted list
    TObject* Objects(int i) const;
    void SetObject(int i, TObject* obj);

    // Appends (unsorted) or inserts at the sorted place; returns the index, or -1 when a
    // duplicate is ignored. A duplicate with dupError raises Exception.
    int Add(const std::string& s);
    int AddObject(const std::string& s, TObject* obj);
    void Insert(int index, const std::string& s, TObject* obj = nullptr);
    void Delete(int index);
    void Clear();
    void Exchange(int a, int b);

    // First index of s (case-insensitive unless CaseSensitive); binary search when sorted.
    int IndexOf(std::string_view s) const;
    int IndexOfObject(const TObject* obj) const;
    // Binary search on a sorted list: true with the index when found, else false with the
    // index where s would be inserted.
    bool Find(std::string_view s, int& index) const;

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates = dupIgnore;
    bool CaseSensitive = false;
    bool OwnsObjects = false;

    // Lines joined with CR LF, each line ended by it.
    std::string Text() const;
    // Splits at CR LF, LF or CR; a last line without an end is kept.
    void SetText(std::string_view text);
    void LoadFromFile(const std::string& path);     // raises EFOpenError
    void SaveToFile(const std::string& path) const; // raises EFCreateError

    // Name=value helpers.
    std::string Names(int i) const;
    std::string Values(std::string_view name) const;
    int IndexOfName(std::string_view name) const;

private:
    struct Item {
        std::string str;
        TObject* obj = nullptr;
    };
    int Compare(std::string_view a, std::string_view b) const;
    void CheckIndex(int i) const;
    void FreeObject(TObject* obj);

    // The entries wherever they are held: the vector of an unsorted list, the tree of a
    // sorted one.
    Item& ItemAt(int i) { return sorted_ ? tree_.At(i) : items_[static_cast<size_t>(i)]; }
    const Item& ItemAt(int i) const {
        return sorted_ ? tree_.At(i) : items_[static_cast<size_t>(i)];
    }
    template <class Fn> void EachItem(Fn fn) const {
        if (sorted_)
            tree_.ForEach(fn);
        else
            for (const Item& item : items_)
                fn(item);
    }
    void InsertItem(int index, Item item);
    std::vector<Item> TakeItems();                   // empties the list without freeing objects
    void Refill(std::vector<Item> items, bool sort); // appends them, sorted first if asked

    std::vector<Item> items_;   // unsorted lists
    TOrderStatTree<Item> tree_; // sorted lists
    bool sorted_ = false;
};
