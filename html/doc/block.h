#pragma once
// Block boxes: one block-level element laid out as a box (margins, borders, padding, a width
// from the style and the available width, background colour and tiled image, floats, clear,
// relative and absolute positioning, z-order of its children, visibility). Its children live
// in its content cell. TBodyBlock is the BODY; the other kinds are in their own headers.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/doc/border_paint.h"
#include "html/doc/cell.h"
#include "html/style/background.h"
#include "html/style/box_convert.h"
#include "html/style/properties.h"
#include "platform/graphics/color.h"

class TProperties;
class TAttributeList;
class TImageObj;
class TBitmap;

// The side a block floats to. The numbers are those of AlignKind's left and right.
enum class BlockFloat : uint8_t { None = 0, Left = 5, Right = 6 };
// How a block is positioned. The numbers differ from PositionKind's (there relative comes
// before absolute), so the two convert by name only.
enum class BlockPlace : uint8_t { Static = 0, Absolute = 1, Relative = 2 };
enum class BlockVisibility : uint8_t { Hidden = 1, Visible = 2 };

class TBlock : public TSectionBase {
public:
    // Takes box values, fonts, colours, float, clear, position, visibility and z-index from
    // the element's property set; makes the content cell (ParentTag = the element's tag) and
    // the background image; then applies the vertical margin rules against the owner cell.
    TBlock(TSectionList* document, TCellBasic* owner, const TProperties& props);
    ~TBlock() override;

    TBoxArray BoxValues{};
    std::unique_ptr<TBlockCell> Content;
    int32_t EmPixels = 0, ExPixels = 0;
    TColor ForeColor = 0;
    bool Bordered = false;
    // Colours of the top, right, bottom and left border; NoColor where ForeColor stands in.
    std::array<TColor, 4> BorderColors{NoColor, NoColor, NoColor, NoColor};
    BlockFloat FloatSide = BlockFloat::None;
    ClearKind ClearSide = ckNone;
    bool IsListBlock = false; // OL, UL, DIR, MENU: 35 pixels for the markers
    TBgPosition BackgroundPlace{};
    BlockPlace PlaceMode = BlockPlace::Static;
    BlockVisibility VisibleMode = BlockVisibility::Visible;
    bool DefaultBottom = false;
    TBoxValues BoxStyle{};
    TCellBasic* ParentCell = nullptr;
    std::string Selector; // tag, ".", class
    std::unique_ptr<TImageObj> BackgroundImage;
    int32_t InnerWidth = 0;
    int32_t ClearGap = 0;
    int32_t InnerOffset = 0;
    bool NeedsTiling = false;
    int32_t OffsetTop = 0, OffsetLeft = 0;
    std::vector<TSectionBase*> PaintOrder;
    int32_t InnerBottom = 0;

    virtual int32_t ContentWidthFor(TCanvas& canvas, int32_t availWidth, int32_t availHeight,
                                    int autoCount);

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
    void RegisterPosition() override;
    bool IsAbsolute() const override { return PlaceMode == BlockPlace::Absolute; }

    const char* KindName() const override { return "block"; }
    void Dump(TDumpWriter& out, int depth) const override;

    // Margin + padding + border on each side, as the box values stand now.
    int32_t LeftExtras() const;
    int32_t RightExtras() const;

protected:
    // The vertical margin rules, run by the constructor for every block but a table's (the
    // element tag "table"): a table block runs them itself once its attributes are read.
    void ApplyVerticalMargins(const TProperties& props);
    // InnerBottom, FlowBottom and PaintBottom from the content cell's flow bottom.
    void FinishBottoms(int32_t cellFlowBottom);
    // The children in drawing order: by StackLevel, document order among equals.
    void RebuildPaintOrder();
    // The block's InkOverflow after layout: its own box lies between PaintTop and PaintBottom,
    // so only its children reach beyond them, by their own overflow or by standing outside the
    // block (negative margins). A positioned block is drawn where its offsets put it, which
    // PaintTop does not say: unbounded.
    int32_t ChildrenInk() const;
    // The border box for a block whose outer left edge is l and whose top is y (document
    // coordinates).
    TRect BorderBox(int32_t l, int32_t y) const;
    // Widths, styles and colours of the four borders as the box values stand now.
    TBorderSides BorderSides() const;
    // The dump line's extra text (float side, positioning, visibility).
    virtual std::string DumpExtra() const;

    int32_t boxX_ = 0, boxY_ = 0; // x and y the box was placed at (after positioning)

private:
    void BuildTile();
    void DrawBackgroundImage(TCanvas& canvas, const TRect& box, const TRect& clip);

    std::unique_ptr<TBitmap> tile_; // the background picture, widened along repeating axes
    std::unique_ptr<TBitmap> tileMask_;
    int32_t imageW_ = 0, imageH_ = 0; // the picture's own size
};

// The BODY: fills the viewer width and paints no box of its own.
class TBodyBlock : public TBlock {
public:
    TBodyBlock(TSectionList* document, TCellBasic* owner, const TProperties& props);
    int32_t LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                   int32_t availWidth, int32_t availHeight, IndentManager& indents,
                   int32_t& neededWidth, int32_t& charIndex) override;
    int32_t DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents, int32_t x,
                        int32_t refX, int32_t refY) override;
    const char* KindName() const override { return "body"; }
};

// When a block element ends the reader asks its cell to drop trailing paragraph-default
// bottom margins (into list items, recursively).
void DropTrailingDefaultMargins(TCellBasic& cell);
