#pragma once
// Where an inline object (an image, an OBJECT panel, a form control) sits in its line, or the
// side it floats to; a table cell's content uses the vertical ones. The first seven are the
// numbers of AlignKind, so an alignment read from an attribute or a style converts by value.
#include <cstdint>

#include "html/style/properties.h"

enum ObjAlignKind : uint8_t {
    oaNone,
    oaTop,
    oaMiddle,
    oaBaseline,
    oaBottom,
    oaLeft,
    oaRight,
    // Alignments only style gives: the bottom on the baseline lowered or raised (as subscripts
    // and superscripts are, on the font's descent, by Raise pixels), or the top or bottom on
    // those of the whole line.
    oaSub,
    oaSuper,
    oaTextBottom,
    oaRaise,
    oaLineTop,
    oaLineBottom,
};

constexpr bool SameAlignNumber(ObjAlignKind a, AlignKind b) {
    return static_cast<int>(a) == static_cast<int>(b);
}
static_assert(SameAlignNumber(oaNone, akNone) && SameAlignNumber(oaTop, akTop) &&
                  SameAlignNumber(oaMiddle, akMiddle) && SameAlignNumber(oaBaseline, akBaseline) &&
                  SameAlignNumber(oaBottom, akBottom) && SameAlignNumber(oaLeft, akLeft) &&
                  SameAlignNumber(oaRight, akRight),
              "object alignments take AlignKind's numbers");

inline ObjAlignKind ObjAlignOf(AlignKind kind) {
    return static_cast<ObjAlignKind>(kind);
}
