#pragma once
// Tables: ThtmlTable lays out and paints one table; its rows (TCellList) hold slots with a
// TCellObj or nothing (column spans leave empty slots, row spans placeholders). The reader
// builds rows and cells as it meets TR, TD, TH and CAPTION; the table block (table_block.h)
// gives the table its width and height before layout.
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/doc/border_paint.h"
#include "html/doc/cell.h"
#include "html/doc/obj_align.h"
#include "html/reader/attributes.h"
#include "html/style/background.h"
#include "html/style/box_convert.h"
#include "platform/graphics/color.h"

class TProperties;
class TImageObj;
class TBitmap;

// The content of a table cell: a cell with its own indent manager that also carries the
// cell's background colour, so a table nested inside it can show that colour through.
class TCellContent : public TCell {
public:
    using TCell::TCell;
    bool HasBackground = false;
    TColor Background = NoColor;
};

class TCellObj {
public:
    // valign: top, middle, or baseline and bottom both at the bottom, as the reader found it
    // for the cell.
    TCellObj(TSectionList* document, TAttributeList& attrs, const TProperties& props,
             ObjAlignKind valign);
    // A table's caption: no attributes, top aligned, no padding.
    explicit TCellObj(TSectionList* document);
    ~TCellObj();
    TCellObj(const TCellObj&) = delete;
    TCellObj& operator=(const TCellObj&) = delete;

    // The slot filler under a row span; it has no content.
    static std::unique_ptr<TCellObj> Placeholder(int32_t rowSpan);
    // A real cell, as opposed to a placeholder.
    bool IsCell() const { return ColSpan > 0 && Cell != nullptr; }

    int32_t ColSpan = 1, RowSpan = 1;
    int32_t Wd = 0, Ht = 0; // the box from the last layout (spanned widths and heights)
    int32_t VSize = 0;      // height of the laid-out content
    int32_t SpecHt = 0;     // HEIGHT, or a CSS height
    int32_t YIndent = 0;    // content offset inside the box from VAlign
    ObjAlignKind VAlign = oaTop;
    int32_t SpecWd = 0; // pixels, or tenths of a percent with WdPercent
    bool WdPercent = false;
    int32_t EmSize = 0, ExSize = 0;
    TBgPosition BgPos{};
    // -1 when not given, negative for a percentage; the table's CellPadding replaces any
    // negative value before layout.
    int32_t PadTop = -1, PadRight = -1, PadBottom = -1, PadLeft = -1;
    // The cell's style borders, painted on the edge of its box. Sides without a style border
    // have width 0; TABLE BORDER's one-pixel frame shows on those sides instead.
    TBorderSides Borders;
    // Border and padding together: the room between the box and the content, which the
    // table reserves when it sizes columns and rows.
    int32_t InsetTop() const { return PadTop + Borders.Width[0]; }
    int32_t InsetRight() const { return PadRight + Borders.Width[1]; }
    int32_t InsetBottom() const { return PadBottom + Borders.Width[2]; }
    int32_t InsetLeft() const { return PadLeft + Borders.Width[3]; }
    std::unique_ptr<TCellContent> Cell; // the cell's sections
    std::string BgImageName;
    std::unique_ptr<TImageObj> BgImage;
    TBoxArray BoxArr{};
    TBoxValues BoxVals{};

    // Where the last layout put the box: x from the grid's left, y of its row in document
    // coordinates (the box starts CellSpacing further in).
    int32_t ColX = 0;
    int32_t RowY = 0;

    // The content's minimum and maximum widths, measured once per layout pass.
    void ContentMinMax(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth);
    // Asks for the background picture once; a picture that cannot be loaded is dropped.
    void FetchBackground(TSectionList* document, TCanvas& canvas);
    // Paints the tiled background picture over box (window coordinates), painting only the
    // part inside area.
    void DrawBackground(TCanvas& canvas, const TRect& box, const TRect& area);

private:
    explicit TCellObj(int32_t rowSpan); // placeholder

    uint64_t minMaxPass_ = 0;
    int32_t min_ = 0, max_ = 0;
    bool bgTried_ = false;
    // The tiling buffer: the picture repeated to at least 32 pixels, and its mask.
    std::unique_ptr<TBitmap> tiled_, tiledMask_;
    const TBitmap* tiledFrom_ = nullptr;
};

class TCellList {
public:
    // A row, from the TR tag's attributes and property set (both may be null).
    TCellList(TAttributeList* attrs, const TProperties* props);
    ~TCellList();
    void Add(std::unique_ptr<TCellObj> cell);
    int Count() const { return static_cast<int>(Cells.size()); }

    std::vector<std::unique_ptr<TCellObj>> Cells; // slots; an empty slot is null
    bool HasBgColor = false;
    TColor BgColor = NoColor;
    std::string BgImageName;
    TBgPosition BgPos{};
};

class ThtmlTable : public TSectionBase {
public:
    static constexpr int MaxCols = 200;

    // enclosing: the cell that holds the table (its background colour shows through).
    ThtmlTable(TSectionList* document, TCellBasic* enclosing, TAttributeList& attrs,
               const TProperties& props);
    ~ThtmlTable() override;

    void AddRow(std::unique_ptr<TCellList> row);

    std::vector<std::unique_ptr<TCellList>> Rows;
    std::unique_ptr<TCellObj> Caption;
    bool CaptionOnTop = true;
    bool HasBorder = false;
    // BORDER=n: the outer frame is n pixels wide (cells keep their one-pixel frames). The
    // grid grows by n - 1 on every side to hold it.
    int32_t BorderWidth = 0;
    int32_t FrameExtra() const { return HasBorder ? std::max(0, BorderWidth - 1) : 0; }
    int32_t CellPadding = 1;
    int32_t CellSpacing = 2;
    int NumCols = 0;
    std::array<int32_t, MaxCols + 1> Widths{};
    std::array<int32_t, MaxCols + 1> Percents{}; // tenths of a percent
    int32_t SpecWidth = 0; // pixels; tenths of a percent with SpecWidthPercent
    bool SpecWidthPercent = false;
    int32_t SpecHeight = 0;
    bool HasPixelCells = false;
    bool Initialized = false;
    bool HasBgColor = false;
    TColor BgColor = NoColor;
    bool HasBorderColor = false;
    TColor BorderColor = NoColor;
    int32_t GridWidth = 0;  // CellSpacing plus the column widths
    int32_t TableWidth = 0; // the grid or a wider caption
    int32_t GridOffset = 0; // x of the grid inside TableWidth
    int32_t CaptionHeight = 0;
    int32_t RowsHeight = 0;
    bool Floating = false; // told by the table block
    TCellBasic* Enclosing;

    // Inserts the span slots and placeholders, once. Raises EProcessError "Table has too many
    // Columns" beyond MaxCols columns (again at every later call).
    void InitTable();
    // The table block tells the table the plain colour it paints (a colour and no picture);
    // without one the enclosing cell's colour is taken.
    void SetBlockBackground(bool plain, TColor color);

    // Column minima and maxima (pixel widths honoured); totals of both.
    void MinMaxAbsolute(TCanvas& canvas, int32_t& totalMin, int32_t& totalMax);
    // Column minima, maxima and Percents against a denominator (0: none).
    void MinMaxPercent(TCanvas& canvas, int32_t denominator, int32_t& totalMin, int32_t& totalMax);
    // Widths from the last MinMaxAbsolute for a width; stretch: fill the width even beyond
    // the maxima.
    void DistributeAbsolute(int32_t width, bool stretch);
    // Widths from the last MinMaxPercent for a width.
    void DistributePercent(int32_t width);
    int32_t ColumnMin(int c) const { return minW_[static_cast<size_t>(c)]; }
    int32_t ColumnMax(int c) const { return maxW_[static_cast<size_t>(c)]; }
    // Row heights of the last layout.
    const std::vector<int32_t>& RowHeights() const { return rowH_; }

    int32_t LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                   int32_t availWidth, int32_t availHeight, IndentManager& indents,
                   int32_t& neededWidth, int32_t& charIndex) override;
    int32_t DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents, int32_t x,
                        int32_t refX, int32_t refY) override;
    void MinMaxWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth) override;

    bool FindLink(TCanvas& canvas, int32_t x, int32_t y, TUrlTarget& target,
                  TImageFormControlObj*& formControl) override;
    bool ObjectAt(int32_t x, int32_t y, TObject*& obj, int32_t& xInside, int32_t& yInside) override;
    int32_t FindCursor(TCanvas& canvas, int32_t x, int32_t y, int32_t& caretX, int32_t& caretY,
                       int32_t& caretHeight, bool& inText) override;
    int32_t FindText(int32_t from, const std::string& text, bool matchCase) override;
    int32_t ToSourcePos(int32_t docIndex) override;
    int32_t FromSourcePos(int32_t sourcePos, bool backwards) override;
    bool CaretPoint(TCanvas& canvas, int32_t index, int32_t& x, int32_t& y) override;
    bool CharAt(int32_t index, char32_t& ch, TSectionBase*& section) override;
    void CopySelection() override;

    const char* KindName() const override { return "table"; }
    void Dump(TDumpWriter& out, int depth) const override;

    // The cell (or caption) under a point in document coordinates, as last drawn.
    TCellObj* CellAt(int32_t x, int32_t y);

private:
    struct CellRef {
        int Row;
        int Slot;
        TCellObj* Obj;
    };

    void DoInitTable();
    void BuildIndex();
    int32_t SpanWidth(int slot, int span) const;
    void CellMinMax(TCanvas& canvas, TCellObj& cell, int32_t& mn, int32_t& mx);
    void ColumnsForLayout(TCanvas& canvas, int32_t w, bool widthGiven);
    void PercentNatural(int32_t w, int32_t totalMin, int32_t totalMax);
    void RowHeightsFor(TCanvas& canvas, int32_t y, int32_t availHeight);
    void SpreadSpecHeight();
    int32_t CaptionMinWidth(TCanvas& canvas);
    void DrawCellBox(TCanvas& canvas, const TRect& clip, int32_t clipWidth, TCellObj& cell,
                     int32_t gridX, int32_t refX, int32_t refY, std::vector<TRect>& cutOuts);
    void FillBorderGaps(TCanvas& canvas, const TRect& grid, std::vector<TRect>& cutOuts);
    // Calls fn on every content in document order (caption on top, rows, caption at the
    // bottom) until it answers true.
    template <class Fn> bool ForEachContent(Fn fn, bool backwards = false);

    bool initFailed_ = false;
    std::string initError_;
    std::array<int32_t, MaxCols + 1> minW_{};
    std::array<int32_t, MaxCols + 1> maxW_{};
    std::vector<CellRef> byColSpan_; // real cells, by column span, then document order
    std::vector<CellRef> byRowSpan_; // real cells, by row span, then document order
    int32_t maxRowSpan_ = 1;
    std::vector<int32_t> rowH_;   // row heights (CellSpacing included)
    std::vector<int32_t> rowTop_; // document y of each row
    int32_t drawX_ = 0;           // x the table was last drawn at (hit tests)
    bool drawn_ = false;
    bool blockPlain_ = false;
    TColor blockColor_ = NoColor;

    // Column widths and row heights depend only on the available width, the given width and
    // height and the content; a nested table laid out again at another y in the same pass
    // keeps them and only places its cells again.
    struct LayoutKey {
        uint64_t Pass = 0;
        int32_t Avail = 0, AvailHeight = 0, SpecWidth = 0, SpecHeight = 0;
        bool Percent = false;
        bool operator==(const LayoutKey&) const = default;
    };
    LayoutKey lastKey_{};
    bool keyValid_ = false;
};
