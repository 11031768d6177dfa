#pragma once
// IndentManager: for one cell, the horizontal space that floating objects and blocks take over
// ranges of y, so that lines, rules and tables are fitted between them. A record covers y when
// FromY <= y < ToY; an open record (ToY = OpenEnd) covers every y from FromY down. A record
// made for a block (Maker set) is seen only while that block is Current; records without a
// Maker (floats) are seen by everyone.
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class TSectionBase;
class TFloatingObj;

struct IndentRec {
    int32_t Edge = 0; // x, relative to LeftEdge
    int32_t FromY = 0;
    int32_t ToY = 0;
    // The block or cell that made it; none for a float. Only its identity matters, so a cell
    // (which is not a section) can make records too.
    const void* Maker = nullptr;
    bool BlockFloat = false; // made by a floating block
};

// Which records of one side a query has to look at: the floats, and the records of the maker
// that is Current. Every block pushes records that stay in the lists after it ends, so a scan
// of the whole list per query would make a long page quadratic; the index keeps a query to the
// floats and the current block's own records. Records appended to the lists directly are
// picked up at the next query.
class TIndentIndex {
public:
    void Clear();
    void Sync(const std::vector<IndentRec>& list);
    const std::vector<int>& Floats() const { return floats_; }
    // Indices of the records made by maker (none for a null maker).
    const std::vector<int>* Made(const void* maker) const;

private:
    size_t done_ = 0;
    std::vector<int> floats_;
    std::unordered_map<const void*, std::vector<int>> byMaker_;
};

class IndentManagerBasic {
public:
    static constexpr int32_t OpenEnd = 9999999;

    int32_t Width = 0;
    int32_t ClipWidth = 0;
    std::vector<IndentRec> L;      // left records
    std::vector<IndentRec> R;      // right records
    const void* Current = nullptr; // the block or cell now laid out or drawn
    int32_t LeftEdge = 0;
    int32_t RightEdge = 0;

    void Reset();
    void SetEdges(int32_t left, int32_t right);
    int32_t LeftLimit(int32_t y) const;
    int32_t RightLimit(int32_t y) const;
    int PushLeft(int32_t x, int32_t y);
    int PushRight(int32_t x, int32_t y);
    void EndLeft(int index, int32_t y);
    void EndRight(int index, int32_t y);

protected:
    // Calls f for every record of a side that the current maker sees (floats and its own).
    template <class F> void ForSeen(const std::vector<IndentRec>& list, F f) const;
    // Calls f for every float record of a side (no maker).
    template <class F> void ForFloats(const std::vector<IndentRec>& list, F f) const;
    const TIndentIndex& IndexOf(const std::vector<IndentRec>& list) const;

private:
    mutable TIndentIndex leftIndex_, rightIndex_;
};

class IndentManager : public IndentManagerBasic {
public:
    int32_t FloatsBottom() const;
    void ClearLevels(int32_t& left, int32_t& right) const;
    // side 5 (left) or 6 (right); other sides add nothing.
    void AddBlockFloat(int32_t y, int32_t x, int side, int32_t height);
    // A left or right aligned image or panel: places it (sets its DrawX) and adds its record.
    void AddObjectFloat(int32_t y, TFloatingObj& obj);
    int32_t LeftLimitInsideRight(int32_t y) const;
    int32_t RightLimitInsideLeft(int32_t y) const;
    // The next y below y where a float ends (the free width may grow there); y itself when
    // none does.
    int32_t NextWiderY(int32_t y) const;
};
