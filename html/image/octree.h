#pragma once
// Octree colour quantiser: builds a tree of the picture's colours and folds the most recent
// deepest branch whenever the leaves exceed the wanted colour count.
#include <cstdint>
#include <vector>

#include "platform/graphics/color.h"

struct TOctreeNode {
    bool Leaf = false;
    uint32_t PixelCount = 0;
    uint64_t RedSum = 0, GreenSum = 0, BlueSum = 0;         // 64-bit: huge single-colour areas
    int32_t Children[8] = {-1, -1, -1, -1, -1, -1, -1, -1}; // node indices, -1 for none
    int32_t Next = -1;                                      // next reducible node of the same depth
};

class TDIBReader;

class TColorQuantizer {
public:
    // colorBits is the tree depth (1 to 8).
    TColorQuantizer(int maxColors, int colorBits);
    void AddColor(uint8_t r, uint8_t g, uint8_t b);
    void ProcessImage(const TDIBReader& image);
    int ColorCount() const { return leafCount_; }
    // Average colour of every leaf, depth first, children in index order.
    std::vector<TPaletteEntry> ColorTable() const;

private:
    int32_t NewNode(int depth);
    void FreeNode(int32_t n);
    void Reduce();
    void Walk(int32_t n, std::vector<TPaletteEntry>& out) const;

    std::vector<TOctreeNode> nodes_; // node pool; index 0 is the root
    std::vector<int32_t> free_;
    int leafCount_ = 0;
    int maxColors_;
    int colorBits_;
    int32_t reducible_[9];
};
