#pragma once
// A document for the text section tests: the built-in style sheet (plus a style text), the
// reader's property stack, and text sections built as the reader builds them, added to the
// document's root cell and laid out at a width.
#include <memory>
#include <string>
#include <vector>

#include "html/doc/dump.h"
#include "html/doc/section_list.h"
#include "html/doc/text_section.h"
#include "html/reader/token_obj.h"
#include "html/style/prop_stack.h"
#include "html/style/style_dump.h"
#include "html/style/style_parser.h"
#include "platform/graphics/canvas.h"
#include "tests/support/fonts_env.h"
#include "tests/support/section_text.h"

class TTextDoc {
public:
    explicit TTextDoc(const std::string& css = {}) : Doc(nullptr, nullptr), Canvas(600, 400) {
        LoadDumpDefaults(Doc.StyleSheet);
        ParseStyleText(Doc.StyleSheet, css);
        Stack.PushNew().CopyAsDefault(*Doc.StyleSheet.DefaultProps);
        // The defaults carry the body's margins; an inline level carries none, as the sets
        // the reader hands to text and images.
        Push("span");
    }

    // Opens an element: a new set on the stack with the given style attribute text.
    TProperties& Push(const std::string& tag, const std::string& style = {}) {
        TProperties attr;
        if (!style.empty())
            ParseStyleAttribute(style, attr);
        TProperties& p = Stack.PushNew();
        p.InheritFrom(Stack[Stack.Count() - 2]);
        p.ApplyStyles(Doc.StyleSheet, &Stack, tag, {}, {}, {}, style.empty() ? nullptr : &attr);
        return p;
    }
    void Pop() { Stack.Pop(); }
    const TProperties& Top() const { return Stack.Last(); }

    // A new section with the current properties (not yet in the document).
    template <class T = TSection> std::unique_ptr<T> Make(TAttributeList* attrs = nullptr) {
        return std::make_unique<T>(&Doc, Link, Top(), attrs);
    }
    // Adds a section to the root cell; returns it, or null when the cell dropped it.
    template <class T> T* Add(std::unique_ptr<T> s) {
        T* raw = s.get();
        const int before = Doc.Count();
        Doc.Add(std::move(s));
        return Doc.Count() > before ? raw : nullptr;
    }

    int32_t LayOut(int32_t width = 600) {
        int32_t needed = 0, chars = 0;
        Height = Doc.LayOut(Canvas, 0, width, 400, needed, chars);
        Needed = needed;
        return Height;
    }
    void Paint() {
        Canvas.Brush.Color = clWhite;
        Canvas.Brush.Style = bsSolid;
        Canvas.FillRect(Rect(0, 0, Canvas.Width(), Canvas.Height()));
        Doc.DrawCell(Canvas, Rect(0, 0, Canvas.Width(), Canvas.Height()), Canvas.Width(), 0, 0, 0,
                     0);
    }
    std::string Dump() const {
        TDumpWriter out;
        for (const auto& s : Doc)
            s->Dump(out, 0);
        return out.Text();
    }

    TSectionList Doc;
    TPropStack Stack;
    TCanvas Canvas;
    TUrlTarget Link; // the open anchor handed to new sections
    int32_t Height = 0;
    int32_t Needed = 0;
};

// A token whose characters stood one after another in the source from `pos`.
inline TokenObj Tok(const std::string& text, int32_t pos = 0) {
    TokenObj t;
    t.AddRun(text.data(), text.size(), pos);
    return t;
}

// An attribute list from name/value pairs (names upper case, as the lexer gives them).
inline TAttributeList Attrs(const std::vector<std::pair<std::string, std::string>>& pairs) {
    TAttributeList list;
    for (const auto& [name, value] : pairs) {
        TAttribute a;
        a.Sym = LookupAttribute(name);
        a.Str = value;
        a.Value = StrToIntDef(value.substr(0, value.find('%')), 0);
        list.Add(a);
    }
    return list;
}

// The widths of text in a font, for expectations.
inline int32_t WidthIn(const TFont& font, const std::string& text) {
    return font.Resolve()->TextWidth(text);
}
