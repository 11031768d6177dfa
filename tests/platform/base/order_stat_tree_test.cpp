// The position tree under sorted lists: positions as a vector gives them, and a height that
// stays logarithmic whatever order the values arrive in.
#include "platform/base/order_stat_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

TEST(OrderStatTree, BehavesAsAVectorByPosition) {
    std::mt19937 rng(3);
    TOrderStatTree<std::string> tree;
    std::vector<std::string> model;
    for (int step = 0; step < 20000; ++step) {
        const unsigned op = rng() % 4;
        if (op < 3 || model.empty()) {
            const int at = static_cast<int>(rng() % (model.size() + 1));
            const std::string v = std::to_string(step);
            tree.InsertAt(at, v);
            model.insert(model.begin() + at, v);
        } else {
            const int at = static_cast<int>(rng() % model.size());
            ASSERT_EQ(tree.EraseAt(at), model[static_cast<size_t>(at)]);
            model.erase(model.begin() + at);
        }
        ASSERT_EQ(tree.Count(), static_cast<int>(model.size()));
        if (!model.empty()) {
            const int probe = static_cast<int>(rng() % model.size());
            ASSERT_EQ(tree.At(probe), model[static_cast<size_t>(probe)]);
        }
    }
    std::vector<std::string> seen;
    tree.ForEach([&](const std::string& v) { seen.push_back(v); });
    EXPECT_EQ(seen, model);
    tree.Clear();
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.Height(), 0);
}

TEST(OrderStatTree, PartitionPointFindsTheFirstValueNotBefore) {
    TOrderStatTree<int> tree;
    for (int v : {1, 3, 3, 3, 5, 8})
        tree.InsertAt(tree.Count(), v);
    EXPECT_EQ(tree.PartitionPoint([](int v) { return v < 3; }), 1);
    EXPECT_EQ(tree.PartitionPoint([](int v) { return v <= 3; }), 4);
    EXPECT_EQ(tree.PartitionPoint([](int v) { return v < 0; }), 0);
    EXPECT_EQ(tree.PartitionPoint([](int v) { return v < 99; }), 6);
}

TEST(OrderStatTree, StaysShallowForSortedAndReversedInput) {
    // Appending in order and inserting at the front are what a sorted list sees for ascending
    // and descending names; a plain search tree would degenerate into a list of 100,000.
    TOrderStatTree<int> ascending, descending, middle;
    const int n = 100000;
    for (int i = 0; i < n; ++i) {
        ascending.InsertAt(i, i);
        descending.InsertAt(0, i);
        middle.InsertAt(middle.Count() / 2, i);
    }
    const int bound = static_cast<int>(4 * std::log2(n));
    EXPECT_LE(ascending.Height(), bound);
    EXPECT_LE(descending.Height(), bound);
    EXPECT_LE(middle.Height(), bound);
    EXPECT_EQ(ascending.At(n - 1), n - 1);
    EXPECT_EQ(descending.At(0), n - 1);
}
