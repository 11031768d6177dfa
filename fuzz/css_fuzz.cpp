// A style sheet from outside, parsed after the built-in rules and cascaded into a small
// element stack (every key of the sheet is tried as an element), then dumped.
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
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TStyleList sheet;
    LoadDumpDefaults(sheet);
    ParseStyleText(sheet, text, size % 2 ? "/site/css/" : "http://host/css/");
    TPropStack stack;
    stack.PushNew().CopyAsDefault(*sheet.DefaultProps);
    const int n = sheet.Count() < 64 ? sheet.Count() : 64;
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
