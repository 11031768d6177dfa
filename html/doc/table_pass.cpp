#include "html/doc/table_pass.h"

#include <algorithm>
#include <limits>

#include "html/doc/section_list.h"
#include "html/reader/attributes.h"

namespace table_detail {

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0)
        return -1;
    const int64_t n = int64_t{a} * b;
    const int64_t half = (c < 0 ? -int64_t{c} : int64_t{c}) / 2;
    // Round the magnitude, then put the sign back: halves go away from zero.
    const bool negative = (n < 0) != (c < 0);
    const int64_t an = n < 0 ? -n : n;
    const int64_t ac = c < 0 ? -int64_t{c} : int64_t{c};
    int64_t q = (an + half) / ac;
    if (negative)
        q = -q;
    return static_cast<int32_t>(std::clamp<int64_t>(q, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

void ReadLengthAttr(const TAttribute& a, int32_t maxPercent, int32_t& length, bool& percent) {
    if (a.Str.find('%') != std::string::npos) {
        if (a.Value >= 1 && a.Value <= maxPercent) {
            length = a.Value * 10;
            percent = true;
        }
    } else if (a.Value > 0) {
        length = std::min(a.Value, 1000000);
        percent = false;
    }
}

TPassScope::TPassScope(TSectionList* document) : document_(document) {
    if (document_ != nullptr && document_->TablePassDepth++ == 0)
        ++document_->TablePassNumber;
}

TPassScope::~TPassScope() {
    if (document_ != nullptr)
        --document_->TablePassDepth;
}

uint64_t TPassScope::Current(const TSectionList* document) {
    return document != nullptr && document->TablePassDepth > 0 ? document->TablePassNumber : 0;
}

} // namespace table_detail
