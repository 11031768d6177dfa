// TStringList: ordered strings with attached objects; sorted lists find with a binary search.
#include "platform/base/string_list.h"

#include <algorithm>

#include "platform/base/streams.h"
#include "platform/base/strings.h"

TStringList::TStringList(const TStringList& other)
    : Duplicates(other.Duplicates), CaseSensitive(other.CaseSensitive), items_(other.items_),
      tree_(other.tree_), sorted_(other.sorted_) {
    // A copy only refers to the objects; owning them twice would free them twice.
}

TStringList& TStringList::operator=(const TStringList& other) {
    if (this == &other)
        return *this;
    Clear();
    items_ = other.items_;
    tree_ = other.tree_;
    sorted_ = other.sorted_;
    Duplicates = other.Duplicates;
    CaseSensitive = other.CaseSensitive;
    OwnsObjects = false;
    return *this;
}

TStringList::~TStringList() {
    Clear();
}

void TStringList::CheckIndex(int i) const {
    if (i < 0 || i >= Count())
        throw Exception("List index out of bounds (" + std::to_string(i) + ")");
}

void TStringList::FreeObject(TObject* obj) {
    if (OwnsObjects)
        delete obj;
}

int TStringList::Compare(std::string_view a, std::string_view b) const {
    if (CaseSensitive) {
        const int c = a.compare(b);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    return CompareText(a, b);
}

const std::string& TStringList::Strings(int i) const {
    CheckIndex(i);
    return ItemAt(i).str;
}

void TStringList::SetString(int i, const std::string& s) {
    if (sorted_)
        throw Exception("Operation not allowed on sorted list");
    CheckIndex(i);
    items_[static_cast<size_t>(i)].str = s;
}

TObject* TStringList::Objects(int i) const {
    CheckIndex(i);
    return ItemAt(i).obj;
}

void TStringList::SetObject(int i, TObject* obj) {
    CheckIndex(i);
    TObject*& slot = ItemAt(i).obj;
    if (slot != obj) {
        FreeObject(slot); // an owning list must not lose the object it replaces
        slot = obj;
    }
}

int TStringList::Add(const std::string& s) {
    return AddObject(s, nullptr);
}

int TStringList::AddObject(const std::string& s, TObject* obj) {
    int index = Count();
    if (sorted_) {
        if (Find(s, index)) {
            if (Duplicates == dupIgnore)
                return -1;
            if (Duplicates == dupError)
                throw Exception("String list does not allow duplicates");
        }
    }
    InsertItem(index, Item{s, obj});
    return index;
}

void TStringList::InsertItem(int index, Item item) {
    if (sorted_)
        tree_.InsertAt(index, std::move(item));
    else
        items_.insert(items_.begin() + index, std::move(item));
}

std::vector<TStringList::Item> TStringList::TakeItems() {
    std::vector<Item> out;
    if (sorted_) {
        out.reserve(static_cast<size_t>(tree_.Count()));
        tree_.ForEach([&out](const Item& item) { out.push_back(item); });
        tree_.Clear();
    } else {
        out.swap(items_);
    }
    return out;
}

void TStringList::Insert(int index, const std::string& s, TObject* obj) {
    if (sorted_)
        throw Exception("Operation not allowed on sorted list");
    if (index < 0 || index > Count())
        throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    items_.insert(items_.begin() + index, Item{s, obj});
}

void TStringList::Delete(int index) {
    CheckIndex(index);
    TObject* obj = nullptr;
    if (sorted_) {
        obj = tree_.EraseAt(index).obj;
    } else {
        obj = items_[static_cast<size_t>(index)].obj;
        items_.erase(items_.begin() + index);
    }
    FreeObject(obj);
}

void TStringList::Clear() {
    for (Item& item : TakeItems())
        FreeObject(item.obj);
}

void TStringList::Exchange(int a, int b) {
    CheckIndex(a);
    CheckIndex(b);
    std::swap(ItemAt(a), ItemAt(b));
}

bool TStringList::Find(std::string_view s, int& index) const {
    // Lower bound: with duplicates the first equal entry is the one reported.
    if (sorted_) {
        index = tree_.PartitionPoint([&](const Item& item) { return Compare(item.str, s) < 0; });
        return index < Count() && Compare(tree_.At(index).str, s) == 0;
    }
    int lo = 0;
    int hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = Compare(items_[static_cast<size_t>(mid)].str, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0)
                found = true;
        }
    }
    index = lo;
    return found;
}

int TStringList::IndexOf(std::string_view s) const {
    if (sorted_) {
        int index;
        return Find(s, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i) {
        if (Compare(items_[static_cast<size_t>(i)].str, s) == 0)
            return i;
    }
    return -1;
}

int TStringList::IndexOfObject(const TObject* obj) const {
    int i = 0, found = -1;
    EachItem([&](const Item& item) {
        if (found < 0 && item.obj == obj)
            found = i;
        ++i;
    });
    return found;
}

void TStringList::SetSorted(bool sorted) {
    if (sorted == sorted_)
        return;
    std::vector<Item> items = TakeItems();
    sorted_ = sorted;
    Refill(std::move(items), sorted);
}

void TStringList::Refill(std::vector<Item> items, bool sort) {
    if (sort)
        std::stable_sort(items.begin(), items.end(), [this](const Item& a, const Item& b) {
            return Compare(a.str, b.str) < 0;
        });
    for (Item& item : items)
        InsertItem(Count(), std::move(item));
}

std::string TStringList::Text() const {
    size_t total = 0;
    EachItem([&total](const Item& item) { total += item.str.size() + 2; });
    std::string out;
    out.reserve(total);
    EachItem([&out](const Item& item) {
        out += item.str;
        out += "\r\n";
    });
    return out;
}

void TStringList::SetText(std::string_view text) {
    Clear();
    // Each line goes through Add, so a sorted list keeps its order and duplicates policy.
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            Add(std::string(text.substr(start, i - start)));
            ++i;
            if (c == '\r' && i < text.size() && text[i] == '\n')
                ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        Add(std::string(text.substr(start)));
}

void TStringList::LoadFromFile(const std::string& path) {
    TMemoryStream stream;
    stream.LoadFromFile(path);
    SetText(std::string_view(reinterpret_cast<const char*>(stream.Memory()),
                             static_cast<size_t>(stream.Size())));
}

void TStringList::SaveToFile(const std::string& path) const {
    TFileStream file(path, fmCreate);
    file.WriteString(Text());
}

std::string TStringList::Names(int i) const {
    const std::string& s = Strings(i);
    const size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

int TStringList::IndexOfName(std::string_view name) const {
    int i = 0, found = -1;
    EachItem([&](const Item& item) {
        const size_t eq = item.str.find('=');
        if (found < 0 && eq != std::string::npos &&
            Compare(std::string_view(item.str).substr(0, eq), name) == 0)
            found = i;
        ++i;
    });
    return found;
}

std::string TStringList::Values(std::string_view name) const {
    const int i = IndexOfName(name);
    if (i < 0)
        return std::string();
    const std::string& s = ItemAt(i).str;
    return s.substr(s.find('=') + 1);
}
