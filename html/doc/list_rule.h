#pragma once
// List items (LI, DD, DT) with their markers, horizontal rules, and page marks.
#include <memory>

#include "html/doc/block.h"
#include "html/reader/Symbols.h"
#include "html/style/my_font.h"

class TBlockLI : public TBlock {
public:
    // listSym: the innermost enclosing list element (OLSym, ULSym, DirSym, MenuSym, DLSym,
    // BlockQuoteSym), or any other symbol for an item outside a list.
    TBlockLI(TSectionList* document, TCellBasic* owner, const TProperties& props, Symbol listSym,
             int32_t itemNumber, char typeChar, bool plain);
    const char* KindName() const override { return "li"; }
};

class THorzLine : public TSectionBase {
public:
    // Reads the HR attributes; writes the width, height and colour slots of props (unless a
    // rule set them) so the surrounding block sizes the rule.
    THorzLine(TSectionList* document, TAttributeList& attrs, TProperties& props);
    const char* KindName() const override { return "hr"; }
};

class THRBlock : public TBlock {
public:
    THRBlock(TSectionList* document, TCellBasic* owner, const TProperties& props,
             std::unique_ptr<THorzLine> rule);
    const char* KindName() const override { return "hrblock"; }
};

// PAGE: takes no space and paints nothing.
class TPage : public TSectionBase {
public:
    using TSectionBase::TSectionBase;
    const char* KindName() const override { return "page"; }
};
