#pragma once
// Helpers for tests that look into the tree the reader built.
#include <functional>
#include <string>
#include <vector>

#include "html/doc/block.h"
#include "html/doc/font_obj.h"
#include "html/doc/html_table.h"
#include "html/doc/section_list.h"
#include "html/doc/table_block.h"
#include "html/doc/text_section.h"
#include "tests/support/section_text.h"

namespace folio_test {

// Calls visit for every section below the cell in document order (table cells included),
// with its nesting depth in blocks.
inline void WalkSections(const TCellBasic& cell,
                         const std::function<void(TSectionBase&, int depth)>& visit,
                         int depth = 0) {
    for (const auto& child : cell) {
        visit(*child, depth);
        if (auto* table = dynamic_cast<TTableBlock*>(child.get())) {
            for (const auto& row : table->Table->Rows)
                for (const auto& c : row->Cells)
                    if (c)
                        WalkSections(*c->Cell, visit, depth + 1);
            if (table->Table->Caption)
                WalkSections(*table->Table->Caption->Cell, visit, depth + 1);
        } else if (auto* block = dynamic_cast<TBlock*>(child.get())) {
            WalkSections(*block->Content, visit, depth + 1);
        }
    }
}

template <class T> std::vector<T*> All(const TCellBasic& cell) {
    std::vector<T*> out;
    WalkSections(cell, [&](TSectionBase& s, int) {
        if (auto* t = dynamic_cast<T*>(&s))
            out.push_back(t);
    });
    return out;
}

inline int MaxDepth(const TCellBasic& cell) {
    int deepest = 0;
    WalkSections(cell, [&](TSectionBase&, int d) { deepest = std::max(deepest, d); });
    return deepest;
}

// The text section holding a text (UTF-8), or nullptr.
inline TSection* SectionWith(const TCellBasic& cell, const std::string& text) {
    for (TSection* s : All<TSection>(cell))
        if (TextOf(*s).find(text) != std::string::npos)
            return s;
    return nullptr;
}

// The plain font of the run in force at a character of a section.
inline const TMyFont* FontAt(const TSection& s, size_t pos) {
    const TMyFont* font = nullptr;
    for (int i = 0; i < s.FontRuns.Count(); ++i)
        if (static_cast<size_t>(s.FontRuns[i]->RunStart) <= pos)
            font = s.FontRuns[i]->PlainFont.get();
    return font;
}

inline const TMyFont* FontOf(const TCellBasic& cell, const std::string& text) {
    const TSection* s = SectionWith(cell, text);
    return s ? FontAt(*s, s->Text().find(Utf8ToU32(text))) : nullptr;
}

} // namespace folio_test
