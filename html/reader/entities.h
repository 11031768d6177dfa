#pragma once
// The named entities the lexer knows (104, compared case-sensitively).
#include <string_view>

// The characters a named entity stands for ("..." for hellip), or an empty view when the
// name is unknown.
std::string_view LookupEntity(std::string_view name);
