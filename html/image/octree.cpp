#include "html/image/octree.h"

#include <algorithm>

#include "html/image/dither.h"
#include "html/image/pixels.h"

using namespace folio_image;

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits)
    : maxColors_(std::max(1, maxColors)), colorBits_(std::clamp(colorBits, 1, 8)) {
    std::fill(std::begin(reducible_), std::end(reducible_), -1);
    nodes_.reserve(1024);
    NewNode(0);
}

int32_t TColorQuantizer::NewNode(int depth) {
    int32_t n;
    if (!free_.empty()) {
        n = free_.back();
        free_.pop_back();
        nodes_[static_cast<size_t>(n)] = TOctreeNode();
    } else {
        n = static_cast<int32_t>(nodes_.size());
        nodes_.emplace_back();
    }
    TOctreeNode& node = nodes_[static_cast<size_t>(n)];
    if (depth == colorBits_) {
        node.Leaf = true;
        ++leafCount_;
    } else {
        node.Next = reducible_[depth];
        reducible_[depth] = n;
    }
    return n;
}

void TColorQuantizer::FreeNode(int32_t n) {
    free_.push_back(n);
}

void TColorQuantizer::AddColor(uint8_t r, uint8_t g, uint8_t b) {
    int32_t n = 0;
    for (int depth = 0;; ++depth) {
        TOctreeNode* node = &nodes_[static_cast<size_t>(n)];
        if (node->Leaf) {
            ++node->PixelCount;
            node->RedSum += r;
            node->GreenSum += g;
            node->BlueSum += b;
            break;
        }
        int shift = 7 - depth;
        int child = ((r >> shift) & 1) << 2 | ((g >> shift) & 1) << 1 | ((b >> shift) & 1);
        int32_t next = node->Children[child];
        if (next < 0) {
            next = NewNode(depth + 1); // may move the pool
            nodes_[static_cast<size_t>(n)].Children[child] = next;
        }
        n = next;
    }
    while (leafCount_ > maxColors_)
        Reduce();
}

void TColorQuantizer::Reduce() {
    int depth = colorBits_ - 1;
    while (depth > 0 && reducible_[depth] < 0)
        --depth;
    int32_t n = reducible_[depth];
    if (n < 0)
        return; // nothing left to fold (cannot happen while leaves exceed one)
    TOctreeNode& node = nodes_[static_cast<size_t>(n)];
    reducible_[depth] = node.Next;
    int children = 0;
    for (int32_t& c : node.Children) {
        if (c < 0)
            continue;
        const TOctreeNode& child = nodes_[static_cast<size_t>(c)];
        node.PixelCount += child.PixelCount;
        node.RedSum += child.RedSum;
        node.GreenSum += child.GreenSum;
        node.BlueSum += child.BlueSum;
        FreeNode(c);
        c = -1;
        ++children;
    }
    node.Leaf = true;
    leafCount_ -= children - 1;
}

void TColorQuantizer::ProcessImage(const TDIBReader& image) {
    for (int y = 0; y < image.Height(); ++y) {
        const uint8_t* p = image.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x, p += 3)
            AddColor(p[kRed], p[kGreen], p[kBlue]);
    }
}

void TColorQuantizer::Walk(int32_t n, std::vector<TPaletteEntry>& out) const {
    const TOctreeNode& node = nodes_[static_cast<size_t>(n)];
    if (node.Leaf) {
        if (node.PixelCount == 0) {
            out.push_back({0, 0, 0});
        } else {
            out.push_back({static_cast<uint8_t>(node.RedSum / node.PixelCount),
                           static_cast<uint8_t>(node.GreenSum / node.PixelCount),
                           static_cast<uint8_t>(node.BlueSum / node.PixelCount)});
        }
        return;
    }
    for (int32_t c : node.Children)
        if (c >= 0)
            Walk(c, out);
}

std::vector<TPaletteEntry> TColorQuantizer::ColorTable() const {
    std::vector<TPaletteEntry> out;
    Walk(0, out);
    return out;
}
