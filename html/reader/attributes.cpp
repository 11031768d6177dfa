#include "html/reader/attributes.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/base/strings.h"

const TAttribute* TAttributeList::Find(Symbol sy) const {
    for (const TAttribute& a : items_)
        if (a.Sym == sy)
            return &a;
    return nullptr;
}

std::string TAttributeList::TheClass() const {
    const TAttribute* a = Find(ClassSym);
    return a ? LowerCase(a->Str) : std::string();
}

const std::string& TAttributeList::TheID() {
    if (!idCached_) {
        const TAttribute* a = Find(IdSym);
        id_ = a ? LowerCase(a->Str) : std::string();
        // Only a found ID is remembered, so a later Add of one is still seen.
        idCached_ = a != nullptr;
    }
    return id_;
}

void TAttributeList::Clear() {
    items_.clear();
    id_.clear();
    idCached_ = false;
}

void TAttributeList::ZoomLengths(Symbol tag, double zoom) {
    for (TAttribute& a : items_) {
        switch (a.Sym) {
        case WidthSym:
        case HeightSym:
        case HSpaceSym:
        case VSpaceSym:
        case BorderSym:
        case CellPaddingSym:
        case CellSpacingSym:
        case MarginWidthSym:
        case MarginHeightSym:
            break;
        case SizeSym:
            if (tag == HRSym)
                break;
            continue;
        default:
            continue;
        }
        if (a.Str.find_first_of("%*") != std::string::npos)
            continue;
        const std::string text = Trim(a.Str);
        if (!text.empty() && !(std::isdigit(static_cast<unsigned char>(text[0])) ||
                               text[0] == '-' || text[0] == '+' || text[0] == '.'))
            continue; // no number to scale
        const double v = std::clamp(std::round(a.Value * zoom), -1e9, 1e9);
        a.Value = static_cast<int32_t>(v);
        // Readers of the text see the same number (a bare BORDER has none and stays bare).
        if (!a.Str.empty())
            a.Str = std::to_string(a.Value);
    }
}
