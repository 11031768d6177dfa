#pragma once
// The token dump of htmltokens, shared with the lexer tests' fixtures.
#include <string>
#include <string_view>

struct THtmlTokensOptions {
    bool Positions = false; // add each character's source position
    bool Pre = false;       // read as inside PRE
    bool NoBreak = false;   // read as inside NOBR
};

// One line per symbol up to EofSym (included). A parse error ends the dump with a line
// "error: MESSAGE".
std::string DumpHtmlTokens(std::string_view html, const THtmlTokensOptions& options);
