#pragma once
// Cells: owning lists of sections. A block's content lives in a TBlockCell; a TCell has its
// own indent manager (table cells, the document root). Cells forward hit tests and searches to
// the children whose band holds the point or index.
#include <cstdint>
#include <memory>
#include <string>

#include "html/doc/indent_manager.h"
#include "html/doc/section_base.h"
#include "html/reader/free_list.h"

class TCellBasic : public TFreeList<TSectionBase> {
public:
    explicit TCellBasic(TSectionList* document) : Document(document) {}
    virtual ~TCellBasic() = default;

    TSectionList* Document;
    int32_t CellTop = 0;
    IndentManager* Indents = nullptr; // the manager its sections are laid out and drawn with
    int32_t FirstChar = 0;
    int32_t CharCount = 0;
    int32_t FlowBottom = 0;
    int32_t PaintTop = 0;
    int32_t PaintBottom = 0;
    std::string ParentTag; // tag of the owning block; empty for the root

    // Cell layout: children one below the other at x 0 with the cell's Indents; a child whose
    // layout raises EProcessError is reported once, removed, and layout goes on.
    virtual int32_t LayOut(TCanvas& canvas, int32_t y, int32_t availWidth, int32_t availHeight,
                           int32_t& neededWidth, int32_t& charIndex);
    virtual void MinMaxWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth);
    virtual int32_t DrawCell(TCanvas& canvas, const TRect& clip, int32_t clipWidth, int32_t x,
                             int32_t y, int32_t refX, int32_t refY);
    virtual bool FindLink(TCanvas& canvas, int32_t x, int32_t y, TUrlTarget& target,
                          TImageFormControlObj*& formControl);

    // Block children layout (blocks and the body): like the cell layout but at the block's x
    // with its reference origins; also gathers FlowBottom (absolute children left out),
    // PaintTop and PaintBottom.
    int32_t DoLayoutChildren(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                             int32_t availWidth, int32_t availHeight, int32_t& neededWidth,
                             int32_t& charIndex);

    // Finishes a text section; drops an empty one (not a preformatted one); else appends the
    // section and makes it part of this cell's document.
    void Add(std::unique_ptr<TSectionBase> section);
    bool ObjectAt(int32_t x, int32_t y, TObject*& obj, int32_t& xInside, int32_t& yInside);
    int32_t FindCursor(TCanvas& canvas, int32_t x, int32_t y, int32_t& caretX, int32_t& caretY,
                       int32_t& caretHeight, bool& inText);
    int32_t FindText(int32_t from, const std::string& text, bool matchCase);
    int32_t ToSourcePos(int32_t docIndex);
    int32_t FromSourcePos(int32_t sourcePos, bool backwards);
    bool CaretPoint(TCanvas& canvas, int32_t index, int32_t& x, int32_t& y);
    bool CharAt(int32_t index, char32_t& ch, TSectionBase*& section);
    void CopySelection();
    void RegisterPositions();

    // The children, one level deeper.
    void Dump(TDumpWriter& out, int depth) const;
};

// A block's content cell.
class TBlockCell : public TCellBasic {
public:
    using TCellBasic::TCellBasic;
};

// A cell with its own indent manager: table cells and the document root.
class TCell : public TCellBasic {
public:
    explicit TCell(TSectionList* document);

    int32_t LayOut(TCanvas& canvas, int32_t y, int32_t availWidth, int32_t availHeight,
                   int32_t& neededWidth, int32_t& charIndex) override;
    int32_t DrawCell(TCanvas& canvas, const TRect& clip, int32_t clipWidth, int32_t x, int32_t y,
                     int32_t refX, int32_t refY) override;

    int32_t DrawYY = 0; // the y the cell was last drawn at

protected:
    std::unique_ptr<IndentManager> ownIndents_;
};
