#pragma once
// TOrderStatTree: a sequence of values that inserts, erases and finds by position in
// logarithmic (expected) time. It backs the sorted lists, whose callers see positions: a
// sorted insert into a vector moves half the list, so a page with tens of thousands of ids or
// rules went quadratic.
//
// A treap by implicit key: each node holds its subtree's size, so a position is found by
// descending; random priorities keep the tree balanced whatever order values come in. Nodes
// live in one vector and link by index, so the tree copies as a whole.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

template <class T> class TOrderStatTree {
public:
    int Count() const { return root_ < 0 ? 0 : nodes_[static_cast<size_t>(root_)].size; }

    // Position i must lie in 0..Count()-1.
    T& At(int i) { return nodes_[static_cast<size_t>(Locate(i))].value; }
    const T& At(int i) const { return nodes_[static_cast<size_t>(Locate(i))].value; }

    // The first position whose value fails `before`, for a predicate that holds for a prefix
    // of the sequence (as with std::partition_point).
    template <class Pred> int PartitionPoint(Pred before) const {
        int index = 0;
        for (int32_t t = root_; t >= 0;) {
            const Node& n = nodes_[static_cast<size_t>(t)];
            if (before(n.value)) {
                index += Size(n.left) + 1;
                t = n.right;
            } else {
                t = n.left;
            }
        }
        return index;
    }

    // Position i lies in 0..Count(); the value then stands at i.
    void InsertAt(int i, T value) {
        const int32_t node = NewNode(std::move(value));
        auto [left, right] = Split(root_, i);
        root_ = Merge(Merge(left, node), right);
    }

    // Takes the value at position i (0..Count()-1) out of the sequence and hands it back.
    T EraseAt(int i) {
        auto [left, rest] = Split(root_, i);
        auto [mid, right] = Split(rest, 1);
        root_ = Merge(left, right);
        Node& n = nodes_[static_cast<size_t>(mid)];
        T value = std::move(n.value);
        n.value = T();
        free_.push_back(mid);
        return value;
    }

    void Clear() {
        nodes_.clear();
        free_.clear();
        root_ = -1;
    }

    // Calls fn(value) for every value in sequence order.
    template <class Fn> void ForEach(Fn fn) const {
        std::vector<int32_t> stack;
        for (int32_t t = root_; t >= 0 || !stack.empty();) {
            for (; t >= 0; t = nodes_[static_cast<size_t>(t)].left)
                stack.push_back(t);
            t = stack.back();
            stack.pop_back();
            fn(nodes_[static_cast<size_t>(t)].value);
            t = nodes_[static_cast<size_t>(t)].right;
        }
    }

    // The longest path from the root, in nodes: about 2 to 3 times log2(Count()) when the
    // tree is balanced as it should be.
    int Height() const {
        int height = 0;
        std::vector<std::pair<int32_t, int>> stack;
        if (root_ >= 0)
            stack.push_back({root_, 1});
        while (!stack.empty()) {
            const auto [t, depth] = stack.back();
            stack.pop_back();
            height = std::max(height, depth);
            const Node& n = nodes_[static_cast<size_t>(t)];
            if (n.left >= 0)
                stack.push_back({n.left, depth + 1});
            if (n.right >= 0)
                stack.push_back({n.right, depth + 1});
        }
        return height;
    }

private:
    struct Node {
        T value;
        int32_t left = -1, right = -1;
        int32_t size = 1;
        uint32_t priority = 0;
    };

    int32_t Size(int32_t t) const { return t < 0 ? 0 : nodes_[static_cast<size_t>(t)].size; }
    void Update(int32_t t) {
        Node& n = nodes_[static_cast<size_t>(t)];
        n.size = Size(n.left) + Size(n.right) + 1;
    }

    uint32_t NextPriority() {
        // xorshift32: cheap, and no two lists need to agree.
        seed_ ^= seed_ << 13;
        seed_ ^= seed_ >> 17;
        seed_ ^= seed_ << 5;
        return seed_;
    }

    int32_t NewNode(T value) {
        Node n;
        n.value = std::move(value);
        n.priority = NextPriority();
        if (!free_.empty()) {
            const int32_t at = free_.back();
            free_.pop_back();
            nodes_[static_cast<size_t>(at)] = std::move(n);
            return at;
        }
        nodes_.push_back(std::move(n));
        return static_cast<int32_t>(nodes_.size() - 1);
    }

    int32_t Locate(int i) const {
        int32_t t = root_;
        for (;;) {
            const Node& n = nodes_[static_cast<size_t>(t)];
            const int left = Size(n.left);
            if (i < left) {
                t = n.left;
            } else if (i == left) {
                return t;
            } else {
                i -= left + 1;
                t = n.right;
            }
        }
    }

    // The first k values of t, and the rest.
    std::pair<int32_t, int32_t> Split(int32_t t, int k) {
        if (t < 0)
            return {-1, -1};
        Node& n = nodes_[static_cast<size_t>(t)];
        const int left = Size(n.left);
        if (k <= left) {
            auto [a, b] = Split(n.left, k);
            nodes_[static_cast<size_t>(t)].left = b;
            Update(t);
            return {a, t};
        }
        auto [a, b] = Split(n.right, k - left - 1);
        nodes_[static_cast<size_t>(t)].right = a;
        Update(t);
        return {t, b};
    }

    // Every value of a before every value of b.
    int32_t Merge(int32_t a, int32_t b) {
        if (a < 0)
            return b;
        if (b < 0)
            return a;
        if (nodes_[static_cast<size_t>(a)].priority > nodes_[static_cast<size_t>(b)].priority) {
            const int32_t right = Merge(nodes_[static_cast<size_t>(a)].right, b);
            nodes_[static_cast<size_t>(a)].right = right;
            Update(a);
            return a;
        }
        const int32_t left = Merge(a, nodes_[static_cast<size_t>(b)].left);
        nodes_[static_cast<size_t>(b)].left = left;
        Update(b);
        return b;
    }

    std::vector<Node> nodes_;
    std::vector<int32_t> free_; // slots of erased nodes, reused first
    int32_t root_ = -1;
    uint32_t seed_ = 2463534242u;
};
