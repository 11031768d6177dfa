#pragma once
// A document built by hand for the layout core tests: a style sheet (built-in rules plus a
// style text), the reader's property stack, and blocks made from the sets it pushes, added
// to their cells as the document reader adds them. Blocks without text take their height
// from the height slot.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "html/reader/url_target.h"

#include "html/doc/block.h"
#include "html/doc/dump.h"
#include "html/doc/list_rule.h"
#include "html/doc/section_list.h"
#include "html/style/prop_stack.h"
#include "html/style/style_dump.h"
#include "html/style/style_parser.h"
#include "platform/graphics/canvas.h"
#include "tests/support/fonts_env.h"

// A leaf with a fixed height that records the questions it is asked.
class TFixed : public TSectionBase {
public:
    TFixed(TSectionList* doc, TCellBasic*, int32_t height, bool keep = true)
        : TSectionBase(doc), keep_(keep) {
        FlowHeight = height;
        CharCount = height; // one "character" per pixel, so index tests have a range
    }
    int32_t LayOut(TCanvas& c, int32_t x, int32_t y, int32_t rx, int32_t ry, int32_t aw, int32_t ah,
                   IndentManager& im, int32_t& nw, int32_t& ci) override {
        const int32_t h = TSectionBase::LayOut(c, x, y, rx, ry, aw, ah, im, nw, ci);
        ci += CharCount;
        nw = Width;
        return h;
    }
    bool FindLink(TCanvas&, int32_t, int32_t y, TUrlTarget& t, TImageFormControlObj*&) override {
        Asked.push_back(y);
        t.URL = Url;
        return !Url.empty();
    }
    void MinMaxWidths(TCanvas&, int32_t& mn, int32_t& mx) override {
        mn = Width / 2;
        mx = Width;
    }
    bool FinishForAdd() override { return keep_; }
    const char* KindName() const override { return "fixed"; }

    int32_t Width = 0;
    std::string Url;
    std::vector<int32_t> Asked;

private:
    bool keep_;
};

class TCoreDoc {
public:
    explicit TCoreDoc(const std::string& css = {}) : Doc(nullptr, nullptr), Canvas(600, 400) {
        LoadDumpDefaults(Doc.StyleSheet);
        ParseStyleText(Doc.StyleSheet, css);
        Stack.PushNew().CopyAsDefault(*Doc.StyleSheet.DefaultProps);
        Doc.OnLayoutError = [this](const std::string& m) { Errors.push_back(m); };
    }

    // Opens an element: a new set on the stack with the given style attribute text.
    TProperties& Push(const std::string& tag, const std::string& style = {},
                      const std::string& cls = {}) {
        TProperties attr;
        if (!style.empty())
            ParseStyleAttribute(style, attr);
        TProperties& p = Stack.PushNew();
        p.InheritFrom(Stack[Stack.Count() - 2]);
        p.ApplyStyles(Doc.StyleSheet, &Stack, tag, cls, {}, {}, style.empty() ? nullptr : &attr);
        return p;
    }
    void Pop() { Stack.Pop(); }

    // Makes a section of kind T in a cell (its constructor sees the cell as the reader's does)
    // and adds it.
    template <class T, class... Args> T* Add(TCellBasic& cell, Args&&... args) {
        auto s = std::make_unique<T>(&Doc, &cell, std::forward<Args>(args)...);
        T* raw = s.get();
        cell.Add(std::move(s));
        return raw;
    }
    // A block element: pushed, made, popped.
    TBlock* Block(TCellBasic& cell, const std::string& tag, const std::string& style = {}) {
        TProperties& p = Push(tag, style);
        TBlock* b = Add<TBlock>(cell, p);
        Pop();
        return b;
    }
    TBodyBlock* Body(const std::string& style = "margin: 0") {
        TProperties& p = Push("body", style);
        return Add<TBodyBlock>(Doc, p);
    }

    int32_t LayOut(int32_t width = 600) {
        int32_t needed = 0, chars = 0;
        Height = Doc.LayOut(Canvas, 0, width, 400, needed, chars);
        return Height;
    }
    void Paint() {
        Canvas.Brush.Color = clWhite;
        Canvas.FillRect(Rect(0, 0, Canvas.Width(), Canvas.Height()));
        Doc.DrawCell(Canvas, Rect(0, 0, Canvas.Width(), Canvas.Height()), Canvas.Width(), 0, 0, 0,
                     0);
    }
    std::string Dump() const {
        TDumpWriter out;
        Doc.Dump(out, 0);
        return out.Text();
    }

    TSectionList Doc;
    TPropStack Stack;
    TCanvas Canvas;
    int32_t Height = 0;
    std::vector<std::string> Errors;
};

// Where a block's border box lies after layout, from its own values.
struct TBoxPos {
    int32_t Left, Top, Width;
    bool operator==(const TBoxPos&) const = default;
};
inline TBoxPos BoxOf(const TBlock& b) {
    return {b.ContentLeft - b.BoxValues[piPaddingLeft] - b.BoxValues[piBorderLeftWidth],
            b.ContentY - b.BoxValues[piPaddingTop] - b.BoxValues[piBorderTopWidth],
            b.InnerWidth + b.BoxValues[piPaddingLeft] + b.BoxValues[piPaddingRight] +
                b.BoxValues[piBorderLeftWidth] + b.BoxValues[piBorderRightWidth]};
}
inline std::ostream& operator<<(std::ostream& os, const TBoxPos& p) {
    return os << "{left " << p.Left << ", top " << p.Top << ", width " << p.Width << "}";
}
