#pragma once
// Reads everything a property set offers, so the fuzzers reach the value conversions too.
// Fonts are left out: every new family name would be resolved and cached for good.
#include "html/style/box_convert.h"
#include "html/style/properties.h"
#include "html/style/style_dump.h"
#include "html/style/style_list.h"

// The built-in rules, made once per fuzzer: the targets only read them, and making them was
// most of the work of one run.
inline const TStyleList& DefaultSheet() {
    static TStyleList* const sheet = [] {
        auto* s = new TStyleList;
        LoadDumpDefaults(*s);
        return s;
    }();
    return *sheet;
}

inline void ExerciseQueries(TProperties& p) {
    std::string url;
    p.GetBackgroundImage(url);
    p.GetBackgroundPos(16, 8);
    AlignKind a;
    p.GetVertAlign(a);
    p.GetFloat(a);
    ClearKind c;
    p.GetClear(c);
    p.GetListStyleType();
    p.GetListStyleImage();
    p.GetPosition();
    p.IsHidden();
    p.GetZIndex();
    p.GetLineHeight(19);
    p.GetBackgroundColor();
    p.GetFontColor();
    p.SetFontBG();
    p.HasBorderStyle();
    const TBoxValues b = p.GetBoxValues();
    TBoxArray m;
    ConvertBox(b, 600, 400, 16, 8, m);
    bool f1, f2;
    ConvertVerticalMargins(b, 400, 16, 8, m, f1, f2);
    ConvertCellPadding(b, 16, 8, m);
    ConvertInlineBox(b, 200, 16, 8, m);
}
