#pragma once
// List items (LI, DD, DT) with their markers, horizontal rules, and page marks.
#include <memory>
#include <string>

#include "html/doc/block.h"
#include "html/doc/line_align.h"
#include "html/reader/symbols.h"
#include "html/style/my_font.h"

class TBlockLI : public TBlock {
public:
    // listSym: the innermost enclosing list element (OLSym, ULSym, DirSym, MenuSym, DLSym,
    // BlockQuoteSym), or any other symbol for an item outside a list.
    TBlockLI(TSectionList* document, TCellBasic* owner, const TProperties& props, Symbol listSym,
             int32_t itemNumber, char typeChar, bool plain);
    ~TBlockLI() override;

    uint8_t ListKind = 4; // 1 ordered, 2 unordered, 3 definition, 4 outside any list
    int32_t ItemNumber = 0;
    uint8_t MarkerStyle = 0; // a ListStyleKind
    TMyFont MarkerFont;
    std::unique_ptr<TImageObj> MarkerImage;
    int32_t MarkerBaseline = 0; // document y of the first text line's baseline; 0 when none
    // list-style-position inside: the marker is text at the start of the item's first line
    // (the reader puts InsideMarkerText there) and is not drawn beside the item.
    bool MarkerInside = false;
    // The address of an inside picture marker (the reader makes it the first image of the
    // first line); empty otherwise.
    std::string InsideMarkerPicture;
    // DL COMPACT: this definition may start on its term's line. TermIndex is the place of the
    // term (a DT item) in the owner cell, the section just before this one.
    bool CompactDefinition = false;
    int TermIndex = -1;

    int32_t LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                   int32_t availWidth, int32_t availHeight, IndentManager& indents,
                   int32_t& neededWidth, int32_t& charIndex) override;
    int32_t DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents, int32_t x,
                        int32_t refX, int32_t refY) override;
    const char* KindName() const override { return "li"; }

    // The marker text of an ordered item ("3.", "c.", "iv."); empty for bullets and none.
    std::string MarkerText() const;
    // The marker as the text that starts the first line of an inside item (a bullet character
    // or the number, then a no-break space); empty when the item shows no marker.
    std::u32string InsideMarkerText() const;

protected:
    std::string DumpExtra() const override; // adds the marker text

private:
    void DrawMarker(TCanvas& canvas, int32_t x, int32_t baseline);
    // Widens InkOverflow by what the marker may reach beyond the item's lines.
    void AddMarkerInk();
    // The y a compact definition starts at so that its first line is its term's, or y itself
    // when the term is too wide for the definition's indent (or is no term).
    int32_t CompactTop(TCanvas& canvas, int32_t y, int32_t availWidth, int32_t availHeight);
};

// The text of an item number in a numbered style: decimal, letters (a .. z, aa, ab ...) or
// roman numerals (1 to 3999); a number that letters or numerals cannot write is written in
// decimal. Other styles give "".
std::string ListMarkerNumber(uint8_t style, int32_t n);

class THorzLine : public TSectionBase {
public:
    // Reads the HR attributes; writes the width, height and colour slots of props (unless a
    // rule set them) so the surrounding block sizes the rule.
    THorzLine(TSectionList* document, TAttributeList& attrs, TProperties& props);

    int32_t Thickness = 2;
    TColor RuleColor = NoColor;
    LineAlign RuleAlign = LineAlign::Center;
    bool NoShade = false;
    int32_t RuleWidth = 0;
    int32_t RuleLeft = 0; // relative to the cell's left edge

    int32_t LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                   int32_t availWidth, int32_t availHeight, IndentManager& indents,
                   int32_t& neededWidth, int32_t& charIndex) override;
    int32_t DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents, int32_t x,
                        int32_t refX, int32_t refY) override;
    void CopySelection() override;
    const char* KindName() const override { return "hr"; }
    void Dump(TDumpWriter& out, int depth) const override;
};

class THRBlock : public TBlock {
public:
    THRBlock(TSectionList* document, TCellBasic* owner, const TProperties& props,
             std::unique_ptr<THorzLine> rule);
    LineAlign RuleAlign = LineAlign::Center;
    THorzLine* Rule = nullptr; // the block's only child

    int32_t ContentWidthFor(TCanvas& canvas, int32_t availWidth, int32_t availHeight,
                            int autoCount) override;
    const char* KindName() const override { return "hrblock"; }
};

// PAGE: takes no space and paints nothing.
class TPage : public TSectionBase {
public:
    using TSectionBase::TSectionBase;
    // A mark needs no width either (the base would ask for the whole cell's).
    int32_t LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                   int32_t availWidth, int32_t availHeight, IndentManager& indents,
                   int32_t& neededWidth, int32_t& charIndex) override;
    const char* KindName() const override { return "page"; }
};
