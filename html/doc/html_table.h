#pragma once
// Tables: ThtmlTable lays out and paints one table; its rows (TCellList) hold slots with a
// TCellObj or nothing (column spans leave empty slots, row spans placeholders). The reader
// builds rows and cells as it meets TR, TD, TH and CAPTION; the table block (table_block.h)
// gives the table its width and height before layout.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/doc/cell.h"
#include "html/reader/Attributes.h"

class TProperties;

class TCellObj {
public:
    // valign: 1 top, 2 middle, 3 and 4 bottom, as the reader found it for the cell.
    TCellObj(TSectionList* document, TAttributeList& attrs, const TProperties& props,
             uint8_t valign);
    ~TCellObj();

    int32_t ColSpan = 1, RowSpan = 1;
    std::unique_ptr<TCell> Cell; // the cell's sections
};

class TCellList {
public:
    // A row, from the TR tag's attributes and property set.
    TCellList(TAttributeList* attrs, const TProperties* props);
    ~TCellList();
    void Add(std::unique_ptr<TCellObj> cell);
};

class ThtmlTable : public TSectionBase {
public:
    // enclosing: the cell that holds the table (its background colour shows through).
    ThtmlTable(TSectionList* document, TCellBasic* enclosing, TAttributeList& attrs,
               const TProperties& props);
    ~ThtmlTable() override;

    void AddRow(std::unique_ptr<TCellList> row);
    std::unique_ptr<TCellObj> Caption;
    bool CaptionOnTop = true;

    const char* KindName() const override { return "table"; }
};
