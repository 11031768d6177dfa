// A STYLE attribute from outside, parsed into a set and merged as the cascade merges it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/style_fuzz_util.h"
#include "html/style/style_dump.h"
#include "html/style/style_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TProperties attr;
    ParseStyleAttribute(text, attr);
    ExerciseQueries(attr);
    const TStyleList& sheet = DefaultSheet();
    TProperties p;
    p.CopyAsDefault(*sheet.DefaultProps);
    p.ApplyStyles(sheet, nullptr, "a", "c", "i", size % 2 ? "hover" : "", &attr);
    ExerciseQueries(p);
    DumpProperties(p);
    return 0;
}
