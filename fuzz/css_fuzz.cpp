// A style sheet from outside, parsed and cascaded into a small element stack (the first keys
// of the sheet are tried as elements), then dumped. The built-in rules are made once and give
// the stack its root: making them and cascading every key of a long sheet were nearly all of
// a run, and the parser and the cascade over the input's own rules are what is under test.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/style_fuzz_util.h"
#include "html/style/prop_stack.h"
#include "html/style/style_dump.h"
#include "html/style/style_parser.h"

namespace {
// InheritFrom without the font metrics: the slots only.
void Open(TPropStack& stack, const TStyleList& sheet, const TSelectorPart& sel) {
    const TProperties& parent = stack[stack.Count() - 1];
    TProperties& p = stack.PushNew();
    p.CopyValues(parent);
    for (int i = piMarginTop; i <= piLeft; ++i)
        p.Values[i] = NullLength;
    p.ApplyStyles(sheet, &stack, sel.Tag, sel.Class, sel.ID, sel.Pseudo, nullptr);
    ExerciseQueries(p);
}

constexpr int kElements = 12;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TStyleList sheet;
    ParseStyleText(sheet, text, size % 2 ? "/site/css/" : "http://host/css/");
    TPropStack stack;
    stack.PushNew().CopyAsDefault(*DefaultSheet().DefaultProps);
    const int n = sheet.Count() < kElements ? sheet.Count() : kElements;
    for (int i = 0; i < n; ++i) {
        const std::vector<TSelectorPart>& parts = sheet.Parts(i);
        // Ancestors first, so contextual rules get a chance to match.
        for (size_t k = parts.size(); k-- > 0;)
            Open(stack, sheet, parts[k]);
        stack.PopTo(1 + static_cast<int>(i % 3));
    }
    DumpStyleList(sheet);
    return 0;
}
