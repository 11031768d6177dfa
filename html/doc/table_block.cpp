#include "html/doc/table_block.h"

#include <algorithm>
#include <cstdlib>

#include "html/doc/image_obj.h"
#include "html/doc/length_sum.h"
#include "html/doc/section_list.h"
#include "html/doc/table_pass.h"
#include "html/style/color_text.h"
#include "html/style/properties.h"
#include "platform/base/strings.h"

using table_detail::ReadLengthAttr;
using table_detail::TPassScope;

TTableBlock::TTableBlock(TSectionList* document, TCellBasic* owner, const TProperties& props,
                         std::unique_ptr<ThtmlTable> table, TAttributeList& attrs)
    : TBlock(document, owner, props), Table(table.get()) {
    AlignKind styleFloat = akNone;
    const bool floatByStyle =
        props.GetFloat(styleFloat) && (styleFloat == akLeft || styleFloat == akRight);
    for (const TAttribute& a : attrs) {
        switch (a.Sym) {
        case AlignSym: {
            const std::string v = LowerCase(Trim(a.Str));
            if (v == "center")
                Centered = true;
            else if (v == "left" && !floatByStyle)
                FloatSide = BlockFloat::Left;
            else if (v == "right" && !floatByStyle)
                FloatSide = BlockFloat::Right;
            break;
        }
        case BGColorSym: {
            TColor c = NoColor;
            if (ColorFromText(a.Str, false, c) && c != NoColor) {
                BgColor = c;
                BgColorGiven = true;
            }
            break;
        }
        case BackgroundSym:
            if (!BackgroundImage && !a.Str.empty()) {
                BackgroundImage = std::make_unique<TImageObj>(document, a.Str);
                BackgroundPlace = TBgPosition{};
                BackgroundPlace.Horizontal = TBgAxis{bpLength, 0, true};
                BackgroundPlace.Vertical = TBgAxis{bpLength, 0, true};
            }
            break;
        case WidthSym:
            ReadLengthAttr(a, 100, WidthAttr, WidthPercent);
            break;
        case HeightSym:
            ReadLengthAttr(a, 110, HeightAttr, HeightPercent);
            break;
        case HSpaceSym:
            HSpace = std::min(std::abs(std::max(a.Value, -1000000)), 40);
            break;
        case VSpaceSym:
            VSpace = std::min(std::abs(std::max(a.Value, -1000000)), 200);
            break;
        default:
            break;
        }
    }
    ApplyVerticalMargins(props);
    if (Table != nullptr) {
        Table->Floating = FloatSide != BlockFloat::None;
        Content->Add(std::move(table));
    }
    if (FloatSide != BlockFloat::None && StackLevel == 0)
        StackLevel = 1;
}

ThtmlTable* TTableBlock::LiveTable() const {
    return Table != nullptr && Content->Count() == 1 && Content->Items(0) == Table ? Table
                                                                                   : nullptr;
}

void TTableBlock::TellBackground() {
    ThtmlTable* table = LiveTable();
    if (table == nullptr)
        return;
    const TPropValue& style = BoxStyle[piBackgroundColor];
    TColor color = style.IsInteger() ? static_cast<TColor>(style.Integer()) : NoColor;
    if (color == NoColor && BgColorGiven)
        color = BgColor;
    table->SetBlockBackground(color != NoColor && !BackgroundImage, color);
}

int32_t TTableBlock::ContentWidthFor(TCanvas& canvas, int32_t availWidth, int32_t availHeight,
                                     int /*autoCount*/) {
    int32_t& lm = BoxValues[piMarginLeft];
    int32_t& rm = BoxValues[piMarginRight];
    if (lm == AutoLength)
        lm = 0;
    if (rm == AutoLength)
        rm = 0;
    if (FloatSide != BlockFloat::None) {
        if (lm == 0)
            lm = HSpace;
        if (rm == 0)
            rm = HSpace;
        if (BoxValues[piMarginTop] == 0)
            BoxValues[piMarginTop] = VSpace;
        if (BoxValues[piMarginBottom] == 0)
            BoxValues[piMarginBottom] = VSpace;
    }
    if (BgColorGiven && static_cast<TColor>(BoxValues[piBackgroundColor]) == NoColor)
        BoxValues[piBackgroundColor] = static_cast<int32_t>(BgColor);
    ThtmlTable* table = LiveTable();
    if (table == nullptr)
        return 0;
    TellBackground();

    const int64_t pb = int64_t{BoxValues[piPaddingLeft]} + BoxValues[piPaddingRight] +
                       BoxValues[piBorderLeftWidth] + BoxValues[piBorderRightWidth];
    const int32_t room = ClampLength(int64_t{availWidth} - pb);
    int32_t width = 0;
    if (BoxValues[piWidth] == AutoLength) {
        // Measured without the width of the last layout, so that laying out again at the same
        // width gives the same table.
        table->SpecWidth = 0;
        int32_t mn = 0, mx = 0;
        table->MinMaxWidths(canvas, mn, mx);
        if (WidthAttr <= 0)
            width = mx <= room ? mx : std::max(mn, room);
        else
            width = std::max(mn, WidthPercent ? ClampLength(int64_t{availWidth} * WidthAttr / 1000)
                                              : WidthAttr);
    } else {
        width = std::min(BoxValues[piWidth], room);
    }
    table->SpecWidth = width;
    table->SpecWidthPercent = false;
    if (Centered && width < availWidth && lm == 0 && rm == 0)
        lm = (availWidth - width) / 2;
    else if (RightAligned && width < availWidth && lm == 0 && rm == 0)
        lm = availWidth - width;

    const bool styleHeight =
        !BoxStyle[piHeight].IsEmpty() && !BoxStyle[piHeight].IsInteger(NullLength);
    if (!styleHeight && HeightAttr > 0)
        BoxValues[piHeight] =
            HeightPercent ? ClampLength(int64_t{availHeight} * HeightAttr / 1000) : HeightAttr;
    table->SpecHeight = std::max(0, BoxValues[piHeight]);
    return width;
}

int32_t TTableBlock::LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                            int32_t availWidth, int32_t availHeight, IndentManager& indents,
                            int32_t& neededWidth, int32_t& charIndex) {
    TPassScope pass(Document);
    if (ThtmlTable* table = LiveTable()) {
        // A table the engine cannot lay out fails here, before the block's own layout, so
        // the cell holding the block drops block and table together.
        TellBackground();
        table->InitTable();
    }
    if (FloatSide == BlockFloat::None) {
        const int32_t nx = std::max(x, indents.LeftLimit(y));
        availWidth = std::max(
            0, ClampLength(std::min<int64_t>(int64_t{x} + availWidth, indents.RightLimit(y)) - nx));
        x = nx;
    }
    return TBlock::LayOut(canvas, x, y, refX, refY, availWidth, availHeight, indents, neededWidth,
                          charIndex);
}

int32_t TTableBlock::DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents,
                                 int32_t x, int32_t refX, int32_t refY) {
    if (FloatSide == BlockFloat::None)
        x = std::max(x, indents.LeftLimit(LayoutY));
    return TBlock::DrawSection(canvas, clip, indents, x, refX, refY);
}

void TTableBlock::MinMaxWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth) {
    TPassScope pass(Document);
    if (ThtmlTable* table = LiveTable()) {
        table->SpecWidth = 0;
        TellBackground();
    }
    TBlock::MinMaxWidths(canvas, minWidth, maxWidth);
}

void TTableBlock::RegisterPosition() {
    if (ThtmlTable* table = LiveTable())
        table->RegisterPosition();
}
