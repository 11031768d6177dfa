#include "html/reader/entities.h"

#include <iterator>
#include <string>
#include <vector>

#include "html/reader/name_table.h"
#include "platform/base/strings.h"

namespace {

struct TEntity {
    const char* name;
    char32_t code;
    bool legacy;
};

// The three entity sets of HTML 4.01 with their code points.
constexpr TEntity kEntities[] = {
    // Latin-1: the characters 160 to 255.
    {"nbsp", 160, true},
    {"iexcl", 161, true},
    {"cent", 162, true},
    {"pound", 163, true},
    {"curren", 164, true},
    {"yen", 165, true},
    {"brvbar", 166, true},
    {"sect", 167, true},
    {"uml", 168, true},
    {"copy", 169, true},
    {"ordf", 170, true},
    {"laquo", 171, true},
    {"not", 172, true},
    {"shy", 173, true},
    {"reg", 174, true},
    {"macr", 175, true},
    {"deg", 176, true},
    {"plusmn", 177, true},
    {"sup2", 178, true},
    {"sup3", 179, true},
    {"acute", 180, true},
    {"micro", 181, true},
    {"para", 182, true},
    {"middot", 183, true},
    {"cedil", 184, true},
    {"sup1", 185, true},
    {"ordm", 186, true},
    {"raquo", 187, true},
    {"frac14", 188, true},
    {"frac12", 189, true},
    {"frac34", 190, true},
    {"iquest", 191, true},
    {"Agrave", 192, true},
    {"Aacute", 193, true},
    {"Acirc", 194, true},
    {"Atilde", 195, true},
    {"Auml", 196, true},
    {"Aring", 197, true},
    {"AElig", 198, true},
    {"Ccedil", 199, true},
    {"Egrave", 200, true},
    {"Eacute", 201, true},
    {"Ecirc", 202, true},
    {"Euml", 203, true},
    {"Igrave", 204, true},
    {"Iacute", 205, true},
    {"Icirc", 206, true},
    {"Iuml", 207, true},
    {"ETH", 208, true},
    {"Ntilde", 209, true},
    {"Ograve", 210, true},
    {"Oacute", 211, true},
    {"Ocirc", 212, true},
    {"Otilde", 213, true},
    {"Ouml", 214, true},
    {"times", 215, true},
    {"Oslash", 216, true},
    {"Ugrave", 217, true},
    {"Uacute", 218, true},
    {"Ucirc", 219, true},
    {"Uuml", 220, true},
    {"Yacute", 221, true},
    {"THORN", 222, true},
    {"szlig", 223, true},
    {"agrave", 224, true},
    {"aacute", 225, true},
    {"acirc", 226, true},
    {"atilde", 227, true},
    {"auml", 228, true},
    {"aring", 229, true},
    {"aelig", 230, true},
    {"ccedil", 231, true},
    {"egrave", 232, true},
    {"eacute", 233, true},
    {"ecirc", 234, true},
    {"euml", 235, true},
    {"igrave", 236, true},
    {"iacute", 237, true},
    {"icirc", 238, true},
    {"iuml", 239, true},
    {"eth", 240, true},
    {"ntilde", 241, true},
    {"ograve", 242, true},
    {"oacute", 243, true},
    {"ocirc", 244, true},
    {"otilde", 245, true},
    {"ouml", 246, true},
    {"divide", 247, true},
    {"oslash", 248, true},
    {"ugrave", 249, true},
    {"uacute", 250, true},
    {"ucirc", 251, true},
    {"uuml", 252, true},
    {"yacute", 253, true},
    {"thorn", 254, true},
    {"yuml", 255, true},

    // Special: markup characters, Latin Extended, spacing and punctuation.
    {"quot", 0x0022, true},
    {"amp", 0x0026, true},
    {"lt", 0x003C, true},
    {"gt", 0x003E, true},
    {"OElig", 0x0152, false},
    {"oelig", 0x0153, false},
    {"Scaron", 0x0160, false},
    {"scaron", 0x0161, false},
    {"Yuml", 0x0178, false},
    {"circ", 0x02C6, false},
    {"tilde", 0x02DC, false},
    {"ensp", 0x2002, false},
    {"emsp", 0x2003, false},
    {"thinsp", 0x2009, false},
    {"zwnj", 0x200C, false},
    {"zwj", 0x200D, false},
    {"lrm", 0x200E, false},
    {"rlm", 0x200F, false},
    {"ndash", 0x2013, true},
    {"mdash", 0x2014, false},
    {"lsquo", 0x2018, false},
    {"rsquo", 0x2019, true},
    {"sbquo", 0x201A, false},
    {"ldquo", 0x201C, false},
    {"rdquo", 0x201D, false},
    {"bdquo", 0x201E, false},
    {"dagger", 0x2020, false},
    {"Dagger", 0x2021, false},
    {"permil", 0x2030, false},
    {"lsaquo", 0x2039, false},
    {"rsaquo", 0x203A, false},
    {"euro", 0x20AC, false},

    // Symbols: Greek letters, mathematics, arrows and the like.
    {"fnof", 0x0192, false},
    {"Alpha", 0x0391, false},
    {"Beta", 0x0392, false},
    {"Gamma", 0x0393, false},
    {"Delta", 0x0394, false},
    {"Epsilon", 0x0395, false},
    {"Zeta", 0x0396, false},
    {"Eta", 0x0397, false},
    {"Theta", 0x0398, false},
    {"Iota", 0x0399, false},
    {"Kappa", 0x039A, false},
    {"Lambda", 0x039B, false},
    {"Mu", 0x039C, false},
    {"Nu", 0x039D, false},
    {"Xi", 0x039E, false},
    {"Omicron", 0x039F, false},
    {"Pi", 0x03A0, false},
    {"Rho", 0x03A1, false},
    {"Sigma", 0x03A3, false},
    {"Tau", 0x03A4, false},
    {"Upsilon", 0x03A5, false},
    {"Phi", 0x03A6, false},
    {"Chi", 0x03A7, false},
    {"Psi", 0x03A8, false},
    {"Omega", 0x03A9, false},
    {"alpha", 0x03B1, false},
    {"beta", 0x03B2, false},
    {"gamma", 0x03B3, false},
    {"delta", 0x03B4, false},
    {"epsilon", 0x03B5, false},
    {"zeta", 0x03B6, false},
    {"eta", 0x03B7, false},
    {"theta", 0x03B8, false},
    {"iota", 0x03B9, false},
    {"kappa", 0x03BA, false},
    {"lambda", 0x03BB, false},
    {"mu", 0x03BC, false},
    {"nu", 0x03BD, false},
    {"xi", 0x03BE, false},
    {"omicron", 0x03BF, false},
    {"pi", 0x03C0, false},
    {"rho", 0x03C1, false},
    {"sigmaf", 0x03C2, false},
    {"sigma", 0x03C3, false},
    {"tau", 0x03C4, false},
    {"upsilon", 0x03C5, false},
    {"phi", 0x03C6, false},
    {"chi", 0x03C7, false},
    {"psi", 0x03C8, false},
    {"omega", 0x03C9, false},
    {"thetasym", 0x03D1, false},
    {"upsih", 0x03D2, false},
    {"piv", 0x03D6, false},
    {"bull", 0x2022, false},
    {"hellip", 0x2026, true},
    {"prime", 0x2032, false},
    {"Prime", 0x2033, false},
    {"oline", 0x203E, false},
    {"frasl", 0x2044, false},
    {"weierp", 0x2118, false},
    {"image", 0x2111, false},
    {"real", 0x211C, false},
    {"trade", 0x2122, true},
    {"alefsym", 0x2135, false},
    {"larr", 0x2190, false},
    {"uarr", 0x2191, false},
    {"rarr", 0x2192, false},
    {"darr", 0x2193, false},
    {"harr", 0x2194, false},
    {"crarr", 0x21B5, false},
    {"lArr", 0x21D0, false},
    {"uArr", 0x21D1, false},
    {"rArr", 0x21D2, false},
    {"dArr", 0x21D3, false},
    {"hArr", 0x21D4, false},
    {"forall", 0x2200, false},
    {"part", 0x2202, false},
    {"exist", 0x2203, false},
    {"empty", 0x2205, false},
    {"nabla", 0x2207, false},
    {"isin", 0x2208, false},
    {"notin", 0x2209, false},
    {"ni", 0x220B, false},
    {"prod", 0x220F, false},
    {"sum", 0x2211, false},
    {"minus", 0x2212, false},
    {"lowast", 0x2217, false},
    {"radic", 0x221A, false},
    {"prop", 0x221D, false},
    {"infin", 0x221E, false},
    {"ang", 0x2220, false},
    {"and", 0x2227, false},
    {"or", 0x2228, false},
    {"cap", 0x2229, false},
    {"cup", 0x222A, false},
    {"int", 0x222B, false},
    {"there4", 0x2234, false},
    {"sim", 0x223C, false},
    {"cong", 0x2245, false},
    {"asymp", 0x2248, false},
    {"ne", 0x2260, false},
    {"equiv", 0x2261, false},
    {"le", 0x2264, false},
    {"ge", 0x2265, false},
    {"sub", 0x2282, false},
    {"sup", 0x2283, false},
    {"nsub", 0x2284, false},
    {"sube", 0x2286, false},
    {"supe", 0x2287, false},
    {"oplus", 0x2295, false},
    {"otimes", 0x2297, false},
    {"perp", 0x22A5, false},
    {"sdot", 0x22C5, false},
    {"lceil", 0x2308, false},
    {"rceil", 0x2309, false},
    {"lfloor", 0x230A, false},
    {"rfloor", 0x230B, false},
    // The angle brackets of HTML 4.01, not the mathematical ones later lists took instead.
    {"lang", 0x2329, false},
    {"rang", 0x232A, false},
    {"loz", 0x25CA, false},
    {"spades", 0x2660, false},
    {"clubs", 0x2663, false},
    {"hearts", 0x2665, false},
    {"diams", 0x2666, false},
};
static_assert(std::size(kEntities) == 252);

struct TTable {
    TNameTable names;
    std::string utf8;                               // every character, one after the other
    std::vector<std::pair<size_t, size_t>> offsets; // each row's character in utf8
};

const TTable& Entities() {
    static const TTable table = [] {
        TTable t;
        int row = 0;
        for (const TEntity& e : kEntities) {
            t.names.Insert(e.name, row++);
            const size_t start = t.utf8.size();
            AppendUtf8(t.utf8, e.code);
            t.offsets.emplace_back(start, t.utf8.size() - start);
        }
        return t;
    }();
    return table;
}

} // namespace

TEntityValue LookupEntity(std::string_view name) {
    const TTable& t = Entities();
    const int row = t.names.Find(name);
    if (row < 0)
        return {};
    const auto [start, length] = t.offsets[static_cast<size_t>(row)];
    return {std::string_view(t.utf8).substr(start, length), kEntities[row].legacy};
}

int EntityCount() {
    return static_cast<int>(std::size(kEntities));
}

char32_t NumericReferenceChar(uint32_t value) {
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return 0xFFFD;
    if (value >= 0x80 && value <= 0x9F) {
        const char32_t c = CodePageToUnicode(static_cast<uint8_t>(value), TCodePage::cp1252);
        return c == 0xFFFD ? value : c;
    }
    return value;
}
