#pragma once
// One switch for every kind of expected file: FOLIO_UPDATE=1 makes the tests write what they
// get (layout dumps, pictures, lexer and style dumps, font advances) instead of comparing it.
// The older per-kind switches (FOLIO_UPDATE_LAYOUT, FOLIO_UPDATE_GOLDEN, FOLIO_UPDATE_EXPECTED)
// still work, each for its own kind. Read every rewritten file before accepting it.
#include <cstdlib>
#include <cstring>

namespace folio_test {

inline bool SwitchOn(const char* name) {
    const char* value = name != nullptr ? std::getenv(name) : nullptr;
    return value != nullptr && std::strcmp(value, "1") == 0;
}

// True when expected files are to be rewritten: FOLIO_UPDATE=1, or kindSwitch=1.
inline bool UpdatingExpected(const char* kindSwitch) {
    return SwitchOn("FOLIO_UPDATE") || SwitchOn(kindSwitch);
}

} // namespace folio_test
