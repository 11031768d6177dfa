// Cells and rows of a table: what the TD, TH and TR tags and their style give them.
#include <algorithm>
#include <array>

#include "html/doc/html_table.h"
#include "html/doc/image_obj.h"
#include "html/doc/section_list.h"
#include "html/doc/table_pass.h"
#include "html/style/color_text.h"
#include "html/style/properties.h"
#include "platform/graphics/bitmap.h"

using table_detail::TPassScope;

namespace {

bool HasPercent(const std::string& s) {
    return s.find('%') != std::string::npos;
}

} // namespace

TCellObj::TCellObj(TSectionList* document, TAttributeList& attrs, const TProperties& props,
                   ObjAlignKind valign)
    : VAlign(valign), Cell(std::make_unique<TCellContent>(document)) {
    Cell->ParentTag = props.ElemTag;
    for (const TAttribute& a : attrs) {
        switch (a.Sym) {
        case BGColorSym: {
            TColor c = NoColor;
            if (ColorFromText(a.Str, false, c)) {
                Cell->Background = c;
                Cell->HasBackground = c != NoColor;
            }
            break;
        }
        case BackgroundSym:
            BgImageName = a.Str;
            break;
        case ColSpanSym:
            if (a.Value > 1)
                ColSpan = a.Value;
            break;
        case RowSpanSym:
            if (a.Value > 1)
                RowSpan = a.Value;
            break;
        case WidthSym:
            table_detail::ReadLengthAttr(a, 100, SpecWd, WdPercent);
            break;
        case HeightSym:
            SpecHt = std::clamp(a.Value, 0, 1000000);
            break;
        default:
            break;
        }
    }

    EmSize = props.EmHeight;
    ExSize = props.ExHeight;
    const TColor css = props.GetBackgroundColor();
    if (css != NoColor) {
        Cell->Background = css;
        Cell->HasBackground = true;
    }
    std::string url;
    if (props.GetBackgroundImage(url)) {
        BgImageName = url;
        BgPos = props.GetBackgroundPos(EmSize, ExSize);
    }

    BoxVals = props.GetBoxValues();
    ConvertBox(BoxVals, 100, 100, EmSize, ExSize, BoxArr);
    const int32_t w = BoxArr[piWidth];
    if (w > 0 && w != AutoLength) {
        const TPropValue& text = BoxVals[piWidth];
        if (text.IsText() && HasPercent(text.Text())) {
            // 100% says nothing a cell does not do anyway; the attribute may still say it.
            if (w < 100) {
                SpecWd = w * 10;
                WdPercent = true;
            }
        } else {
            SpecWd = std::min(w, 1000000);
            WdPercent = false;
        }
    }
    const int32_t h = BoxArr[piHeight];
    if (h > 0)
        SpecHt = std::min(h, 1000000);

    TBoxArray pad{};
    ConvertCellPadding(BoxVals, EmSize, ExSize, pad);
    PadTop = pad[piPaddingTop];
    PadRight = pad[piPaddingRight];
    PadBottom = pad[piPaddingBottom];
    PadLeft = pad[piPaddingLeft];
    // Paddings come from style text: keep them to sizes a layout sum can carry.
    for (int32_t* p : {&PadTop, &PadRight, &PadBottom, &PadLeft})
        *p = std::min(*p, 100000);

    // Borders: a side counts when it has a style and a width. Without a colour of its own a
    // side takes border-color, and without that the cell's text colour.
    std::array<TColor, 4> sideColors{};
    props.GetBorderColors(sideColors);
    TColor common = static_cast<TColor>(BoxArr[piBorderColor]);
    if (common == NoColor) {
        const TPropValue& color = props.Values[piColor];
        common = color.IsInteger() ? static_cast<TColor>(color.Integer()) : clBlack;
    }
    for (size_t i = 0; i < 4; ++i) {
        const int32_t style = BoxArr[piBorderTopStyle + static_cast<int>(i)];
        const int32_t width = BoxArr[piBorderTopWidth + static_cast<int>(i)];
        if (style == bdNone || width <= 0)
            continue;
        Borders.Style[i] =
            style > bdNone && style <= bdOutset ? static_cast<BorderStyleKind>(style) : bdSolid;
        Borders.Width[i] = std::min(width, 100000);
        Borders.Color[i] = sideColors[i] != NoColor ? sideColors[i] : common;
    }
}

TCellObj::TCellObj(TSectionList* document)
    : VAlign(oaTop), PadTop(0), PadRight(0), PadBottom(0), PadLeft(0),
      Cell(std::make_unique<TCellContent>(document)) {
    Cell->ParentTag = "caption";
}

TCellObj::TCellObj(int32_t rowSpan) : ColSpan(0), RowSpan(rowSpan) {}

TCellObj::~TCellObj() = default;

std::unique_ptr<TCellObj> TCellObj::Placeholder(int32_t rowSpan) {
    return std::unique_ptr<TCellObj>(new TCellObj(rowSpan));
}

void TCellObj::ContentMinMax(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth) {
    const uint64_t pass = TPassScope::Current(Cell != nullptr ? Cell->Document : nullptr);
    if (Cell == nullptr) {
        minWidth = maxWidth = 0;
        return;
    }
    if (minMaxPass_ != pass || pass == 0) {
        Cell->MinMaxWidths(canvas, min_, max_);
        minMaxPass_ = pass;
    }
    minWidth = min_;
    maxWidth = max_;
}

void TCellObj::FetchBackground(TSectionList* document, TCanvas& canvas) {
    if (bgTried_ || BgImageName.empty() || document == nullptr || !document->ImagesOn)
        return;
    bgTried_ = true;
    BgImage = std::make_unique<TImageObj>(document, BgImageName);
    BgImage->FetchAndSize(document, canvas, std::max(Wd, 0), nullptr);
    if (BgImage->IsErrorImage())
        BgImage.reset(); // dropped without a message
    else
        BgImage->BackgroundUse = true;
    tiled_.reset();
    tiledMask_.reset();
    tiledFrom_ = nullptr;
}

TCellList::TCellList(TAttributeList* attrs, const TProperties* props) {
    if (attrs != nullptr)
        for (const TAttribute& a : *attrs) {
            if (a.Sym == BGColorSym) {
                TColor c = NoColor;
                if (ColorFromText(a.Str, false, c) && c != NoColor) {
                    BgColor = c;
                    HasBgColor = true;
                }
            } else if (a.Sym == BackgroundSym) {
                BgImageName = a.Str;
            }
        }
    if (props != nullptr) {
        const TColor css = props->GetBackgroundColor();
        if (css != NoColor) {
            BgColor = css;
            HasBgColor = true;
        }
        std::string url;
        if (props->GetBackgroundImage(url)) {
            BgImageName = url;
            BgPos = props->GetBackgroundPos(props->EmHeight, props->ExHeight);
        }
    }
}

TCellList::~TCellList() = default;

void TCellList::Add(std::unique_ptr<TCellObj> cell) {
    Cells.push_back(std::move(cell));
}
