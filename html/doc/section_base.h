#pragma once
// TSectionBase: one node of the laid-out document. Layout is one recursive pass from the top
// that returns heights; drawing is a second pass of the same shape. Every kind of section
// (blocks, text, tables, rules, page marks) overrides the operations it needs; the base
// answers "nothing here".
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "html/reader/id_name_list.h"
#include "platform/graphics/geometry.h"

class TCanvas;
class TSectionList;
class IndentManager;
class TUrlTarget;
class TImageFormControlObj;
class TDumpWriter;

class TSectionBase : public TIDObject {
public:
    explicit TSectionBase(TSectionList* document) : Document(document) {}
    ~TSectionBase() override = default;
    TSectionBase(const TSectionBase&) = delete;
    TSectionBase& operator=(const TSectionBase&) = delete;

    TSectionList* Document;
    int32_t FlowHeight = 0;  // vertical space taken in the flow
    int32_t PaintHeight = 0; // vertical extent painted (floats may hang below the flow)
    int32_t FirstChar = 0;   // document-wide index of the first character
    int32_t CharCount = 0;
    int32_t StackLevel = 0; // drawing order among siblings
    int32_t ContentY = 0;
    int32_t FlowBottom = 0;
    int32_t ContentLeft = 0;
    int32_t PaintTop = 0;
    int32_t PaintBottom = 0;
    int32_t LayoutY = 0;
    // How far the section's painting may reach above PaintTop and below PaintBottom: glyphs
    // taller than their lines, raised text, list markers. kInkUnbounded when layout cannot
    // tell (positioned blocks, tables, kinds that do not say); such a section is always drawn.
    static constexpr int32_t kInkUnbounded = -1;
    int32_t InkOverflow = kInkUnbounded;

    int32_t YPosition() override { return VerticalPosition(); }
    // Whether painting the section may touch the clip (window coordinates, the document
    // scrolled by scroll). Painting asks first, so a tall page costs what its visible part
    // does.
    bool MayPaintInto(const TRect& clip, int32_t scroll) const {
        if (InkOverflow == kInkUnbounded)
            return true;
        const int64_t top = int64_t{PaintTop} - InkOverflow - scroll;
        const int64_t bottom = int64_t{PaintBottom} + InkOverflow - scroll;
        return bottom > clip.Top && top < clip.Bottom;
    }
    // Combines the overflows of parts: unbounded wins, else the larger.
    static int32_t CombineInk(int32_t a, int32_t b) {
        return a == kInkUnbounded || b == kInkUnbounded ? kInkUnbounded : std::max(a, b);
    }

    // The operations of the layout protocol.
    virtual int32_t VerticalPosition() { return ContentY; }
    // Appends this section's part of the selection to the document's clipboard text.
    virtual void CopySelection() {}
    // Lays the section out at (x, y) and returns the height it takes in the flow. refX, refY
    // are the origins absolutely positioned blocks are placed from; neededWidth receives the
    // width the section would like; charIndex is the running document character index.
    virtual int32_t LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                           int32_t availWidth, int32_t availHeight, IndentManager& indents,
                           int32_t& neededWidth, int32_t& charIndex);
    // Paints the parts inside clip (window coordinates: document y minus the document's
    // ScrollTop) and returns the document y below the section.
    virtual int32_t DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents,
                                int32_t x, int32_t refX, int32_t refY);
    // The link (and the image button) under a point in document coordinates.
    virtual bool FindLink(TCanvas& canvas, int32_t x, int32_t y, TUrlTarget& target,
                          TImageFormControlObj*& formControl);
    // The image under a point and the point's offset inside it.
    virtual bool ObjectAt(int32_t x, int32_t y, TObject*& obj, int32_t& xInside, int32_t& yInside);
    // The character index at a point, or -1; caret position and height; whether the point
    // lies over text.
    virtual int32_t FindCursor(TCanvas& canvas, int32_t x, int32_t y, int32_t& caretX,
                               int32_t& caretY, int32_t& caretHeight, bool& inText);
    virtual int32_t FindText(int32_t from, const std::string& text, bool matchCase);
    virtual int32_t ToSourcePos(int32_t docIndex);
    virtual int32_t FromSourcePos(int32_t sourcePos, bool backwards);
    virtual bool CaretPoint(TCanvas& canvas, int32_t index, int32_t& x, int32_t& y);
    virtual bool CharAt(int32_t index, char32_t& ch, TSectionBase*& section);
    virtual void MinMaxWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth);
    virtual void RegisterPosition();

    // Called by a cell before the section is added: finishes a text section and answers
    // whether it is worth keeping (an empty text section is dropped).
    virtual bool FinishForAdd() { return true; }
    // Positioned out of the flow (absolute blocks): cells leave such children out of their
    // flow bottom.
    virtual bool IsAbsolute() const { return false; }

    // The layout dump: one line for the section (its kind, position and size), then its
    // children or its text lines one level deeper. Not part of the layout protocol.
    virtual const char* KindName() const { return "section"; }
    virtual void Dump(TDumpWriter& out, int depth) const;
};
