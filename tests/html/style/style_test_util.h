#pragma once
// Helpers shared by the style tests: readable values in failure messages, and a property
// stack built the way the document reader builds it.
#include <ostream>
#include <string>

#include "html/style/color_text.h"
#include "html/style/prop_stack.h"
#include "html/style/style_dump.h"
#include "html/style/style_list.h"
#include "html/style/style_parser.h"
#include "tests/support/fonts_env.h"

inline void PrintTo(const TPropValue& v, std::ostream* os) {
    static const char* const kinds[] = {"unassigned", "null", "integer", "real", "text"};
    *os << kinds[v.Kind()] << "(" << v.ToString() << ")";
}

// A document's sheet (built-in rules plus a style text) and the reader's property stack over
// it, level 0 made from the sheet's defaults.
class TStyleFixture {
public:
    explicit TStyleFixture(const std::string& css = {}) {
        LoadDumpDefaults(Sheet);
        ParseStyleText(Sheet, css);
        Stack.PushNew().CopyAsDefault(*Sheet.DefaultProps);
    }

    // Opens an element: Create, InheritFrom the level below, ApplyStyles.
    TProperties& Push(const std::string& tag, const std::string& cls = {},
                      const std::string& id = {}, const std::string& pseudo = {},
                      const TProperties* styleAttr = nullptr) {
        TProperties& p = Stack.PushNew();
        p.InheritFrom(Stack[Stack.Count() - 2]);
        p.ApplyStyles(Sheet, &Stack, tag, cls, id, pseudo, styleAttr);
        return p;
    }
    // An anchor the way the reader opens one with an address: the element, then its link,
    // hover and visited levels, each above the last.
    TProperties& PushLink(const std::string& cls = {}) {
        Push("a", cls);
        Push("a", cls, {}, "link");
        Push("a", cls, {}, "hover");
        return Push("a", cls, {}, "visited");
    }

    TStyleList Sheet;
    TPropStack Stack;
};

inline TPropValue Color(TColor c) {
    return TPropValue(static_cast<int32_t>(c));
}
