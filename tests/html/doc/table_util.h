#pragma once
// Tables built by hand for the table tests, the way the document reader builds them: a body,
// table blocks holding tables, rows and cells made from attributes and the property sets of
// the reader's stack. Cells hold fixed leaves (known widths and height) or text sections.
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "html/doc/block.h"
#include "html/doc/dump.h"
#include "html/doc/html_table.h"
#include "html/doc/section_list.h"
#include "html/doc/table_block.h"
#include "html/doc/text_section.h"
#include "html/reader/url_target.h"
#include "html/style/prop_stack.h"
#include "html/style/style_dump.h"
#include "html/style/style_parser.h"
#include "platform/graphics/canvas.h"
#include "tests/support/fonts_env.h"

// A leaf of a fixed height whose minimum and maximum widths are given; it counts its
// layouts and keeps the width and y of the last one.
class TLeaf : public TSectionBase {
public:
    TLeaf(TSectionList* doc, int32_t height, int32_t minW, int32_t maxW)
        : TSectionBase(doc), MinW(minW), MaxW(maxW) {
        FlowHeight = height;
        CharCount = 1;
    }
    int32_t LayOut(TCanvas& c, int32_t x, int32_t y, int32_t rx, int32_t ry, int32_t aw, int32_t ah,
                   IndentManager& im, int32_t& nw, int32_t& ci) override {
        ++Layouts;
        LastWidth = aw;
        LastY = y;
        const int32_t h = TSectionBase::LayOut(c, x, y, rx, ry, aw, ah, im, nw, ci);
        ci += CharCount;
        nw = MaxW;
        return h;
    }
    int32_t DrawSection(TCanvas& c, const TRect& clip, IndentManager& im, int32_t x, int32_t rx,
                        int32_t ry) override {
        DrawnX = x;
        return TSectionBase::DrawSection(c, clip, im, x, rx, ry);
    }
    bool FindLink(TCanvas&, int32_t, int32_t, TUrlTarget& t, TImageFormControlObj*&) override {
        t.URL = Url;
        return !Url.empty();
    }
    int32_t FindText(int32_t from, const std::string& text, bool) override {
        return text == Word && FirstChar >= from ? FirstChar : -1;
    }
    void MinMaxWidths(TCanvas&, int32_t& mn, int32_t& mx) override {
        mn = MinW;
        mx = MaxW;
    }
    const char* KindName() const override { return "leaf"; }

    int32_t MinW, MaxW;
    int Layouts = 0;
    int32_t LastWidth = -1, LastY = -1, DrawnX = -1;
    std::string Url, Word;
};

// An attribute as the lexer gives it: the text, and its number with a trailing "%" dropped.
inline TAttribute Attr(Symbol sym, const std::string& text) {
    TAttribute a;
    a.Sym = sym;
    a.Str = text;
    std::string num = text;
    if (!num.empty() && num.back() == '%')
        num.pop_back();
    char* end = nullptr;
    const double v = std::strtod(num.c_str(), &end);
    a.Value = end != num.c_str() ? static_cast<int32_t>(std::nearbyint(v)) : 0;
    return a;
}

inline TAttributeList Attrs(std::initializer_list<std::pair<Symbol, std::string>> list) {
    TAttributeList l;
    for (const auto& [sym, text] : list)
        l.Add(Attr(sym, text));
    return l;
}

class TTableDoc {
public:
    explicit TTableDoc(const std::string& css = {}) : Doc(nullptr, nullptr), Canvas(800, 600) {
        LoadDumpDefaults(Doc.StyleSheet);
        ParseStyleText(Doc.StyleSheet, css);
        Stack.PushNew().CopyAsDefault(*Doc.StyleSheet.DefaultProps);
        Doc.OnLayoutError = [this](const std::string& m) { Errors.push_back(m); };
        TProperties& p = Push("body", "margin: 0");
        auto body = std::make_unique<TBodyBlock>(&Doc, &Doc, p);
        Body = body.get();
        Doc.Add(std::move(body));
    }

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

    // A table in a table block, added to the owner cell (the body's cell by default).
    ThtmlTable* Table(TAttributeList attrs = {}, const std::string& style = {},
                      TCellBasic* owner = nullptr) {
        if (owner == nullptr)
            owner = Body->Content.get();
        TProperties& p = Push("table", style);
        auto table = std::make_unique<ThtmlTable>(&Doc, owner, attrs, p);
        ThtmlTable* t = table.get();
        auto block = std::make_unique<TTableBlock>(&Doc, owner, p, std::move(table), attrs);
        LastBlock = block.get();
        owner->Add(std::move(block));
        Pop();
        return t;
    }
    TCellList* Row(ThtmlTable* t, TAttributeList attrs = {}, const std::string& style = {}) {
        TProperties& p = Push("tr", style);
        auto row = std::make_unique<TCellList>(&attrs, &p);
        TCellList* r = row.get();
        t->AddRow(std::move(row));
        Pop();
        return r;
    }
    // A cell; with a leaf when height > 0 or widths are given.
    TCellObj* Cell(TCellList* row, TAttributeList attrs = {}, const std::string& style = {},
                   int32_t height = 0, int32_t minW = 0, int32_t maxW = 0,
                   ObjAlignKind valign = oaTop) {
        TProperties& p = Push("td", style);
        auto cell = std::make_unique<TCellObj>(&Doc, attrs, p, valign);
        TCellObj* c = cell.get();
        if (height > 0 || minW > 0 || maxW > 0)
            c->Cell->Add(std::make_unique<TLeaf>(&Doc, height, minW, maxW));
        row->Add(std::move(cell));
        Pop();
        return c;
    }
    static TLeaf* LeafOf(TCellObj* c) { return static_cast<TLeaf*>(c->Cell->Items(0)); }

    // A text section with the given words in a cell.
    TSection* Text(TCellBasic& cell, const std::string& text, bool noBreak = false) {
        TProperties& p = Push("span");
        TUrlTarget none;
        auto s = std::make_unique<TSection>(&Doc, none, p, nullptr);
        TokenObj tok;
        tok.AddRun(text.data(), text.size(), 0);
        s->AddText(tok, noBreak);
        TSection* raw = s.get();
        cell.Add(std::move(s));
        Pop();
        return raw;
    }

    int32_t LayOut(int32_t width = 800) {
        int32_t chars = 0;
        Needed = 0;
        Height = Doc.LayOut(Canvas, 0, width, 600, Needed, chars);
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
        Doc.Dump(out, 0);
        return out.Text();
    }

    TSectionList Doc;
    TPropStack Stack;
    TCanvas Canvas;
    TBodyBlock* Body = nullptr;
    TTableBlock* LastBlock = nullptr;
    int32_t Height = 0, Needed = 0;
    std::vector<std::string> Errors;
};
