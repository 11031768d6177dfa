#pragma once
// Helpers shared by the table files: the toolkit's MulDiv, the reading of length attributes
// and the layout pass counter.
#include <cstdint>

struct TAttribute;
class TSectionList;

namespace table_detail {

// a * b / c with a 64-bit intermediate, rounded to nearest (halves away from zero); -1 when c
// is 0. Results beyond the int32 range are held at its ends.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// Reads a WIDTH or HEIGHT attribute: "N%" with N from 1 to maxPercent is kept in tenths of a
// percent, a positive pixel length is held to a million; anything else leaves both unchanged.
void ReadLengthAttr(const TAttribute& a, int32_t maxPercent, int32_t& length, bool& percent);

// One pass over the tables of a document: everything laid out or measured below the outermost
// table call belongs to the same pass, so measurements taken in it stay valid until it ends.
// The count lives in the document, so documents laid out on different threads (or one
// document laid out on one thread, then another) never share or confuse pass numbers.
class TPassScope {
public:
    explicit TPassScope(TSectionList* document);
    ~TPassScope();
    TPassScope(const TPassScope&) = delete;
    TPassScope& operator=(const TPassScope&) = delete;
    // The number of the document's pass in progress; 0 (nothing may be kept) without one.
    static uint64_t Current(const TSectionList* document);

private:
    TSectionList* document_;
};

} // namespace table_detail
