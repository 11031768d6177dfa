#pragma once
// TFloatingObj: what images and OBJECT panels share as inline objects of a text section: the
// box they take, their alignment in the line (or to the left or right) and their spacing.
#include <cstdint>
#include <string>

#include "html/doc/obj_align.h"
#include "html/reader/id_name_list.h"
#include "platform/base/strings.h"

class TFloatingObj : public TIDObject {
public:
    int32_t CharPos = 0;     // position in the section's text buffer
    int32_t ImageHeight = 0; // the box the object takes, border included
    int32_t ImageWidth = 0;
    ObjAlignKind ObjAlign = oaBottom;
    int32_t Raise = 0; // pixels for oaRaise
    // Document y of the top and bottom of the line the object was last drawn in.
    int32_t LineTopY = 0, LineBottomY = 0;
    int32_t DrawX = 0; // where drawn; for a float, relative to the cell's left edge
    int32_t DrawY = 0; // where last drawn, document coordinates
    int32_t SpaceLeft = 0, SpaceRight = 0, SpaceTop = 0, SpaceBottom = 0;
    // Where the last layout placed a float: x of the box relative to the cell's left edge and
    // the document y of the record's top. Drawing and hit tests use DrawX and DrawY instead.
    int32_t FloatX = 0, FloatY = 0;
    bool Placed = false; // placed as a float in the current layout

    bool Floats() const { return ObjAlign == oaLeft || ObjAlign == oaRight; }
    // An ALIGN attribute of IMG or OBJECT, compared in upper case: TOP, MIDDLE or ABSMIDDLE,
    // LEFT, RIGHT; anything else keeps the alignment the object has.
    void ApplyAlignAttribute(const std::string& value) {
        const std::string s = UpperCase(value);
        if (s == "TOP")
            ObjAlign = oaTop;
        else if (s == "MIDDLE" || s == "ABSMIDDLE")
            ObjAlign = oaMiddle;
        else if (s == "LEFT")
            ObjAlign = oaLeft;
        else if (s == "RIGHT")
            ObjAlign = oaRight;
    }
    int32_t YPosition() override { return DrawY; }
    // The full box with the spaces around it.
    int32_t FullWidth() const { return ImageWidth + SpaceLeft + SpaceRight; }
    int32_t FullHeight() const { return ImageHeight + SpaceTop + SpaceBottom; }
};
