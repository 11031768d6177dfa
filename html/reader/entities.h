#pragma once
// The named character entities of HTML 4.01 (252, compared case-sensitively) and the meaning
// of numeric character references.
#include <cstdint>
#include <string_view>

struct TEntityValue {
    std::string_view Utf8; // the character as UTF-8; empty when the name is unknown
    // One of the 104 names the engine has always known (the Latin-1 names, amp, lt, gt, quot,
    // and rsquo, ndash, trade, hellip): pages rely on these being recognised without their
    // ";", so they still are; the others need it.
    bool Legacy = false;
};

// The entity of a name; a value with an empty Utf8 for an unknown name.
TEntityValue LookupEntity(std::string_view name);

// The number of names LookupEntity knows.
int EntityCount();

// The character a numeric reference stands for. 128 to 159 mean what they mean in
// Windows-1252 (&#150; is an en dash), except the five bytes that page leaves undefined, which
// stay their own value; 0, surrogates (D800 to DFFF) and values above 10FFFF give U+FFFD. Other
// values are returned as they are, control characters included: the lexer decides about those.
char32_t NumericReferenceChar(uint32_t value);
