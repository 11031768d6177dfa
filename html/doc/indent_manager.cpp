#include "html/doc/indent_manager.h"

#include <algorithm>

#include "html/doc/floating_obj.h"

void TIndentIndex::Clear() {
    done_ = 0;
    floats_.clear();
    byMaker_.clear();
}

void TIndentIndex::Sync(const std::vector<IndentRec>& list) {
    if (list.size() < done_)
        Clear(); // the list was emptied behind our back
    for (; done_ < list.size(); ++done_) {
        const IndentRec& r = list[done_];
        if (r.Maker == nullptr)
            floats_.push_back(static_cast<int>(done_));
        else
            byMaker_[r.Maker].push_back(static_cast<int>(done_));
    }
}

const std::vector<int>* TIndentIndex::Made(const void* maker) const {
    if (maker == nullptr)
        return nullptr;
    auto it = byMaker_.find(maker);
    return it == byMaker_.end() ? nullptr : &it->second;
}

const TIndentIndex& IndentManagerBasic::IndexOf(const std::vector<IndentRec>& list) const {
    TIndentIndex& index = &list == &L ? leftIndex_ : rightIndex_;
    index.Sync(list);
    return index;
}

template <class F> void IndentManagerBasic::ForSeen(const std::vector<IndentRec>& list, F f) const {
    const TIndentIndex& index = IndexOf(list);
    for (int i : index.Floats())
        f(list[static_cast<size_t>(i)]);
    if (const std::vector<int>* own = index.Made(Current))
        for (int i : *own)
            f(list[static_cast<size_t>(i)]);
}

template <class F>
void IndentManagerBasic::ForFloats(const std::vector<IndentRec>& list, F f) const {
    for (int i : IndexOf(list).Floats())
        f(list[static_cast<size_t>(i)]);
}

void IndentManagerBasic::Reset() {
    L.clear();
    R.clear();
    leftIndex_.Clear();
    rightIndex_.Clear();
    Current = nullptr;
}

void IndentManagerBasic::SetEdges(int32_t left, int32_t right) {
    LeftEdge = left;
    RightEdge = right;
    Current = nullptr;
}

static bool Covers(const IndentRec& r, int32_t y) {
    return r.FromY <= y && y < r.ToY;
}

int32_t IndentManagerBasic::LeftLimit(int32_t y) const {
    bool found = false;
    int32_t best = 0;
    ForSeen(L, [&](const IndentRec& r) {
        if (Covers(r, y) && (!found || r.Edge > best)) {
            best = r.Edge;
            found = true;
        }
    });
    return found ? best + LeftEdge : LeftEdge;
}

int32_t IndentManagerBasic::RightLimit(int32_t y) const {
    bool found = false;
    int32_t best = 0;
    ForSeen(R, [&](const IndentRec& r) {
        if (Covers(r, y) && (!found || r.Edge < best)) {
            best = r.Edge;
            found = true;
        }
    });
    return found ? best + LeftEdge : RightEdge;
}

int IndentManagerBasic::PushLeft(int32_t x, int32_t y) {
    L.push_back(IndentRec{x, y, OpenEnd, Current, false});
    return static_cast<int>(L.size()) - 1;
}

int IndentManagerBasic::PushRight(int32_t x, int32_t y) {
    R.push_back(IndentRec{x, y, OpenEnd, Current, false});
    return static_cast<int>(R.size()) - 1;
}

void IndentManagerBasic::EndLeft(int index, int32_t y) {
    if (index >= 0 && static_cast<size_t>(index) < L.size())
        L[static_cast<size_t>(index)].ToY = y - 1;
}

void IndentManagerBasic::EndRight(int index, int32_t y) {
    if (index >= 0 && static_cast<size_t>(index) < R.size())
        R[static_cast<size_t>(index)].ToY = y - 1;
}

int32_t IndentManager::FloatsBottom() const {
    int32_t bottom = 0;
    auto take = [&](const IndentRec& r) { bottom = std::max(bottom, r.ToY); };
    ForFloats(L, take);
    ForFloats(R, take);
    return bottom;
}

void IndentManager::ClearLevels(int32_t& left, int32_t& right) const {
    auto level = [this](const std::vector<IndentRec>& list) {
        bool found = false;
        int32_t v = 0;
        ForFloats(list, [&](const IndentRec& r) {
            if (!found || r.ToY > v) {
                v = r.ToY;
                found = true;
            }
        });
        return found ? v + 1 : 0;
    };
    left = level(L);
    right = level(R);
}

void IndentManager::AddBlockFloat(int32_t y, int32_t x, int side, int32_t height) {
    if (side == 5)
        L.push_back(IndentRec{x - LeftEdge, y, y + height, nullptr, true});
    else if (side == 6)
        // Edges are kept relative to LeftEdge, as for the left side (RightLimit answers in
        // absolute x).
        R.push_back(IndentRec{RightLimit(y) - x - LeftEdge, y, y + height, nullptr, true});
}

int32_t IndentManager::LeftLimitInsideRight(int32_t y) const {
    // Only left records that lie left of the nearest right float count.
    int32_t limit = RightEdge;
    bool foundRight = false;
    ForFloats(R, [&](const IndentRec& r) {
        if (Covers(r, y) && (!foundRight || r.Edge + LeftEdge < limit)) {
            limit = r.Edge + LeftEdge;
            foundRight = true;
        }
    });
    bool found = false;
    int32_t best = 0;
    ForSeen(L, [&](const IndentRec& r) {
        if (Covers(r, y) && r.Edge + LeftEdge < limit && (!found || r.Edge > best)) {
            best = r.Edge;
            found = true;
        }
    });
    return found ? best + LeftEdge : LeftEdge;
}

int32_t IndentManager::RightLimitInsideLeft(int32_t y) const {
    int32_t limit = LeftEdge;
    bool foundLeft = false;
    ForFloats(L, [&](const IndentRec& r) {
        if (Covers(r, y) && (!foundLeft || r.Edge + LeftEdge > limit)) {
            limit = r.Edge + LeftEdge;
            foundLeft = true;
        }
    });
    bool found = false;
    int32_t best = 0;
    ForSeen(R, [&](const IndentRec& r) {
        if (Covers(r, y) && r.Edge + LeftEdge > limit && (!found || r.Edge < best)) {
            best = r.Edge;
            found = true;
        }
    });
    return found ? best + LeftEdge : RightEdge;
}

int32_t IndentManager::NextWiderY(int32_t y) const {
    auto next = [this, y](const std::vector<IndentRec>& list, bool& found) {
        int32_t v = 0;
        ForFloats(list, [&](const IndentRec& r) {
            if (r.ToY > y && (!found || r.ToY < v)) {
                v = r.ToY;
                found = true;
            }
        });
        return v;
    };
    bool fl = false, fr = false;
    int32_t l = next(L, fl), r = next(R, fr);
    if (fl && fr)
        return std::min(l, r);
    if (fl)
        return l;
    if (fr)
        return r;
    return y;
}

void IndentManager::AddObjectFloat(int32_t y, TFloatingObj& obj) {
    const int32_t fullWidth = obj.ImageWidth + obj.SpaceLeft + obj.SpaceRight;
    const int32_t fullHeight = obj.ImageHeight + obj.SpaceTop + obj.SpaceBottom;
    if (obj.ObjAlign == oaLeft) {
        const int32_t left = LeftLimitInsideRight(y);
        obj.DrawX = left + obj.SpaceLeft - LeftEdge;
        L.push_back(IndentRec{left + fullWidth - LeftEdge, y, y + fullHeight, nullptr, false});
    } else if (obj.ObjAlign == oaRight) {
        const int32_t right = RightLimitInsideLeft(y);
        R.push_back(IndentRec{right - fullWidth - LeftEdge, y, y + fullHeight, nullptr, false});
        // Relative to the cell's left edge, like a left float, so drawing can add the edge
        // the cell is drawn at.
        obj.DrawX = right - fullWidth + obj.SpaceLeft - LeftEdge;
    }
}
