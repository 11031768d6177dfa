#pragma once
// A text dump of a style list, for the styledump tool and the data-driven parser tests: every
// entry in list order, its key on a line of its own, then one indented line per slot whose
// value differs from a new set's ("name = value"; the unnamed link-state slots by index).
// Texts are quoted, reals carry " pt", colour slots are written in hexadecimal and the
// length markers by name.
#include <string>

#include "html/style/style_list.h"

std::string DumpStyleList(const TStyleList& list);
std::string DumpProperties(const TProperties& props, const std::string& indent = "  ");
std::string DumpProperties(const TStyleRule& rule, const std::string& indent = "  ");

// LoadDefaults with the fixed arguments the dumps are made with: "Times New Roman" and
// "Courier New", margins 10 by 8, character set 0, links underlined, hover colour red,
// visited colour purple, link colour blue, text black, 12 points.
void LoadDumpDefaults(TStyleList& list);
