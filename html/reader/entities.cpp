#include "html/reader/entities.h"

#include <iterator>
#include <string>

#include "html/reader/name_table.h"

namespace {

struct OwnEntity {
    const char* name;
    const char* text;
};

constexpr OwnEntity kOwn[] = {
    {"amp", "&"},      {"lt", "<"},    {"gt", ">"},       {"quot", "\""},
    {"rsquo", "'"},    {"ndash", "-"}, {"trade", "\x99"}, // the trade-mark sign of Windows-1252
    {"hellip", "..."},
};

// Characters 160 to 255 in order.
constexpr const char* kLatin1[] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};
static_assert(std::size(kOwn) + std::size(kLatin1) == 104);

struct Table {
    TNameTable names;
    std::string latin1; // one byte per Latin-1 entry, so results can point into it
};

const Table& Entities() {
    static const Table table = [] {
        Table t;
        int row = 0;
        for (const OwnEntity& e : kOwn)
            t.names.Insert(e.name, row++);
        for (size_t i = 0; i < std::size(kLatin1); ++i) {
            t.names.Insert(kLatin1[i], row++);
            t.latin1.push_back(static_cast<char>(160 + i));
        }
        return t;
    }();
    return table;
}

} // namespace

std::string_view LookupEntity(std::string_view name) {
    const Table& t = Entities();
    const int row = t.names.Find(name);
    if (row < 0)
        return {};
    if (row < static_cast<int>(std::size(kOwn)))
        return kOwn[row].text;
    return std::string_view(t.latin1).substr(static_cast<size_t>(row) - std::size(kOwn), 1);
}
