#pragma once
// Runs the lexer over a string and keeps every symbol up to the end.
#include <string>
#include <vector>

#include "html/reader/html_lexer.h"

struct LexedSymbol {
    Symbol Sy;
    std::string Text;
    std::vector<int32_t> Positions;
    std::vector<TAttribute> Attributes;
    int Level;
};

inline std::vector<LexedSymbol> Lex(const std::string& html, bool pre = false,
                                    bool noBreak = false) {
    THtmlLexer lx;
    lx.LoadString(html);
    lx.Start();
    lx.InPre = pre;
    lx.NoBreak = noBreak;
    std::vector<LexedSymbol> out;
    for (int guard = 0; guard < 100000; ++guard) {
        lx.ReadSymbol();
        if (lx.Sy == EofSym)
            break;
        out.push_back({lx.Sy, lx.Token.Text(), lx.Token.Positions(),
                       std::vector<TAttribute>(lx.Attributes.begin(), lx.Attributes.end()),
                       lx.HeadingLevel});
    }
    return out;
}

// The text of all text symbols joined.
inline std::string LexText(const std::string& html, bool pre = false, bool noBreak = false) {
    std::string s;
    for (const LexedSymbol& x : Lex(html, pre, noBreak))
        if (x.Sy == TextSym)
            s += x.Text;
    return s;
}
