#pragma once
// TTableBlock: the block around a table: its margins, float, alignment, background and the
// width and height it hands the table.
#include "html/doc/block.h"
#include "html/doc/html_table.h"

class TTableBlock : public TBlock {
public:
    TTableBlock(TSectionList* document, TCellBasic* owner, const TProperties& props,
                std::unique_ptr<ThtmlTable> table, TAttributeList& attrs);
    ThtmlTable* Table; // also the block's only child
    bool Centered = false;

    const char* KindName() const override { return "tableblock"; }
};
