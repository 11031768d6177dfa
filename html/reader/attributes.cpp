#include "html/reader/attributes.h"

#include "platform/base/strings.h"

namespace {
TInlineStyleParser& InlineStyleParser() {
    static TInlineStyleParser parser;
    return parser;
}
} // namespace

void TAttributeList::SetInlineStyleParser(TInlineStyleParser parser) {
    InlineStyleParser() = std::move(parser);
}

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

TProperties* TAttributeList::TheStyle() {
    const TAttribute* a = Find(StyleSym);
    if (!a)
        return nullptr;
    style_.reset();
    if (InlineStyleParser())
        style_ = InlineStyleParser()(a->Str);
    return style_.get();
}

void TAttributeList::Clear() {
    items_.clear();
    id_.clear();
    idCached_ = false;
}
