#include "html/doc/list_rule.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "html/doc/dump.h"
#include "html/doc/image_obj.h"
#include "html/doc/length_sum.h"
#include "html/doc/section_list.h"
#include "html/reader/attributes.h"
#include "html/style/box_convert.h"
#include "html/style/color_text.h"
#include "html/style/properties.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"

namespace {

// Withdraws the document's request for the first line's baseline on every way out.
class TBaselineRequest {
public:
    TBaselineRequest(TSectionList* doc, int32_t* slot)
        : doc_(doc), saved_(doc != nullptr ? doc->FirstLineBaseline : nullptr) {
        if (doc_ != nullptr)
            doc_->FirstLineBaseline = slot;
    }
    ~TBaselineRequest() {
        if (doc_ != nullptr)
            doc_->FirstLineBaseline = saved_;
    }
    TBaselineRequest(const TBaselineRequest&) = delete;
    TBaselineRequest& operator=(const TBaselineRequest&) = delete;

private:
    TSectionList* doc_;
    int32_t* saved_;
};

} // namespace

std::string ListMarkerNumber(uint8_t style, int32_t n) {
    switch (style) {
    case lsDecimal:
        return std::to_string(n);
    case lsLowerAlpha:
    case lsUpperAlpha: {
        // a .. z, then aa, ab .. zz, aaa ...; numbers below 1 have no letters and are
        // written in decimal.
        if (n < 1)
            return std::to_string(n);
        const char base = style == lsLowerAlpha ? 'a' : 'A';
        std::string s;
        for (int64_t k = n; k > 0; k = (k - 1) / 26)
            s.insert(s.begin(), static_cast<char>(base + (k - 1) % 26));
        return s;
    }
    case lsLowerRoman:
    case lsUpperRoman: {
        // Roman numerals reach 3999; other numbers are written in decimal.
        if (n < 1 || n > 3999)
            return std::to_string(n);
        static constexpr std::pair<int32_t, const char*> kParts[] = {
            {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
            {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
        std::string s;
        int32_t rest = n;
        for (const auto& [value, text] : kParts) {
            for (; rest >= value; rest -= value)
                s += text;
        }
        return style == lsUpperRoman ? UpperCase(s) : s;
    }
    default:
        return {};
    }
}

// ---- TBlockLI ------------------------------------------------------------------------------

TBlockLI::TBlockLI(TSectionList* document, TCellBasic* owner, const TProperties& props,
                   Symbol listSym, int32_t itemNumber, char typeChar, bool plain)
    : TBlock(document, owner, props) {
    switch (listSym) {
    case OLSym:
        ListKind = 1;
        switch (typeChar) {
        case 'A':
            MarkerStyle = lsUpperAlpha;
            break;
        case 'I':
            MarkerStyle = lsUpperRoman;
            break;
        case 'a':
            MarkerStyle = lsLowerAlpha;
            break;
        case 'i':
            MarkerStyle = lsLowerRoman;
            break;
        default:
            MarkerStyle = lsDecimal;
            break;
        }
        break;
    case ULSym:
    case DirSym:
    case MenuSym:
    case BlockQuoteSym:
        ListKind = 2;
        MarkerStyle = plain ? lsNone : lsCircle;
        break;
    case DLSym:
        ListKind = 3;
        break;
    default: {
        ListKind = 4;
        MarkerStyle = lsDisc;
        // An item outside any list makes room for its own bullet.
        const TPropValue& ml = BoxStyle[piMarginLeft];
        if (ml.IsInteger(NullLength) || ml.IsInteger(0))
            BoxStyle[piMarginLeft] = TPropValue(int32_t{16});
        break;
    }
    }
    ItemNumber = itemNumber;
    const ListStyleKind fromSheet = props.GetListStyleType();
    if (fromSheet != lsBlank)
        MarkerStyle = fromSheet;
    MarkerFont = *props.MakeFont();
    const std::string image = props.GetListStyleImage();
    MarkerInside = props.Values[piListStylePosition].Equals("inside") &&
                   (ListKind == 1 || ListKind == 2 || ListKind == 4);
    // An inside picture is an image at the start of the first line, which the reader puts
    // there; an outside one is drawn beside the item.
    if (!image.empty() && MarkerInside)
        InsideMarkerPicture = image;
    else if (!image.empty())
        MarkerImage = std::make_unique<TImageObj>(document, image);
}

std::u32string TBlockLI::InsideMarkerText() const {
    std::u32string text;
    if (!InsideMarkerPicture.empty())
        return U"\u00A0"; // after the picture
    switch (MarkerStyle) {
    case lsDisc:
        text = U"\u2022";
        break;
    case lsCircle:
        text = U"\u25E6";
        break;
    case lsSquare:
        text = U"\u25AA";
        break;
    default:
        text = Utf8ToU32(MarkerText());
        break;
    }
    if (!text.empty())
        text += U'\u00A0';
    return text;
}

TBlockLI::~TBlockLI() = default;

int32_t TBlockLI::LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                         int32_t availWidth, int32_t availHeight, IndentManager& indents,
                         int32_t& neededWidth, int32_t& charIndex) {
    if (MarkerImage) {
        MarkerImage->FetchAndSize(Document, canvas, 100, nullptr);
        if (MarkerImage->IsErrorImage())
            MarkerImage.reset(); // the bullet or number is drawn instead
    }
    MarkerBaseline = 0;
    TBaselineRequest request(Document, &MarkerBaseline);
    int32_t top = CompactDefinition ? CompactTop(canvas, y, availWidth, availHeight) : y;
    const int32_t firstChar = charIndex;
    int32_t height = TBlock::LayOut(canvas, x, top, refX, refY, availWidth, availHeight, indents,
                                    neededWidth, charIndex);
    AddMarkerInk();
    if (top == y)
        return height;
    // A term in a larger font has its baseline lower: the definition moves down to it (laid
    // out once more, only for such terms).
    const auto* term = static_cast<const TBlockLI*>(ParentCell->Items(TermIndex));
    if (MarkerBaseline > 0 && term->MarkerBaseline > MarkerBaseline) {
        top = ClampLength(int64_t{top} + term->MarkerBaseline - MarkerBaseline);
        charIndex = firstChar;
        MarkerBaseline = 0;
        height = TBlock::LayOut(canvas, x, top, refX, refY, availWidth, availHeight, indents,
                                neededWidth, charIndex);
        AddMarkerInk();
    }
    // Beside its term the definition adds to the flow only what reaches below the term.
    return std::max<int32_t>(0, ClampLength(int64_t{top} + height - y));
}

void TBlockLI::AddMarkerInk() {
    // The marker stands on the first line's baseline, inside the item, and reaches at most
    // its font's height (twice, for tall glyphs) above it; a picture marker has the size its
    // file gives it, not known here.
    const int32_t reach = MarkerImage ? kInkUnbounded : 2 * std::max(MarkerFont.PixelSize(), 8);
    InkOverflow = CombineInk(InkOverflow, reach);
}

int32_t TBlockLI::CompactTop(TCanvas& canvas, int32_t y, int32_t availWidth, int32_t availHeight) {
    if (ParentCell == nullptr || TermIndex < 0 || TermIndex + 1 >= ParentCell->Count() ||
        ParentCell->Items(TermIndex + 1) != this || FloatSide != BlockFloat::None ||
        PlaceMode != BlockPlace::Static || ClearSide != ckNone)
        return y;
    auto* term = dynamic_cast<TBlockLI*>(ParentCell->Items(TermIndex));
    if (term == nullptr || term->Content->ParentTag != "dt" ||
        term->FloatSide != BlockFloat::None || term->PlaceMode != BlockPlace::Static ||
        term->FlowBottom != y)
        return y;
    // The indent as this layout will find it.
    TBoxArray v = BoxValues;
    ConvertBox(BoxStyle, availWidth, availHeight, EmPixels, ExPixels, v);
    const int32_t marginLeft = v[piMarginLeft] == AutoLength ? 0 : v[piMarginLeft];
    const int64_t indent = int64_t{marginLeft} + v[piBorderLeftWidth] + v[piPaddingLeft];
    int32_t termMin = 0, termMax = 0;
    term->MinMaxWidths(canvas, termMin, termMax);
    if (termMax >= indent)
        return y;
    // The first lines share a top: this content starts where the term's does.
    const int64_t above = int64_t{BoxValues[piMarginTop]} + v[piBorderTopWidth] + v[piPaddingTop];
    return ClampLength(std::clamp<int64_t>(int64_t{term->ContentY} - above, term->LayoutY, y));
}

std::string TBlockLI::MarkerText() const {
    const std::string n = ListMarkerNumber(MarkerStyle, ItemNumber);
    switch (MarkerStyle) {
    case lsDecimal:
    case lsLowerAlpha:
    case lsUpperAlpha:
    case lsLowerRoman:
    case lsUpperRoman:
        return n + ".";
    default:
        return {};
    }
}

void TBlockLI::DrawMarker(TCanvas& canvas, int32_t x, int32_t b) {
    if (MarkerImage && !MarkerImage->IsWaitingImage() && Document != nullptr &&
        Document->ImagesOn) {
        const TBitmap* pic = MarkerImage->TileBitmap();
        if (pic != nullptr && !pic->Empty()) {
            const TBitmap* mask = MarkerImage->TileMask();
            // A small picture sits where a bullet would; a wider one ends as far left of the
            // text, so it never covers it.
            const int32_t left = x - std::max(16, pic->Width() + 4);
            const TRect dest = Bounds(left, b - pic->Height(), pic->Width(), pic->Height());
            if (mask != nullptr)
                canvas.DrawMasked(dest, *pic, *mask);
            else
                canvas.Draw(dest.Left, dest.Top, *pic);
            return;
        }
    }
    if (ListKind == 0 || ListKind == 3)
        return;
    const TPen savedPen = canvas.Pen;
    const TBrush savedBrush = canvas.Brush;
    const TColor color = ColorToRGB(MarkerFont.Color);
    canvas.Pen.Color = color;
    canvas.Pen.Style = psSolid;
    canvas.Pen.Width = 1;
    canvas.Brush.Color = color;
    canvas.Brush.Style = bsSolid;
    switch (MarkerStyle) {
    case lsCircle:
        canvas.Brush.Style = bsClear;
        canvas.Ellipse(x - 16, b - 7, x - 9, b);
        break;
    case lsDisc:
        if (ListKind == 4)
            canvas.Ellipse(x, b - 6, x + 5, b - 1);
        else
            canvas.Ellipse(x - 15, b - 6, x - 10, b - 1);
        break;
    case lsSquare:
        canvas.Rectangle(x - 15, b - 6, x - 10, b - 1);
        break;
    default: {
        const std::string text = MarkerText();
        if (!text.empty()) {
            const TFont savedFont = canvas.Font;
            const TTextAlign savedAlign = canvas.TextAlign;
            canvas.Font = MarkerFont;
            canvas.Brush.Style = bsClear;
            canvas.TextAlign = taBaseline;
            canvas.TextOut(x - canvas.TextWidth(text) - 10, b, text);
            canvas.TextAlign = savedAlign;
            canvas.Font = savedFont;
        }
        break;
    }
    }
    canvas.Pen = savedPen;
    canvas.Brush = savedBrush;
}

int32_t TBlockLI::DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents, int32_t x,
                              int32_t refX, int32_t refY) {
    const int32_t result = TBlock::DrawSection(canvas, clip, indents, x, refX, refY);
    if (VisibleMode != BlockVisibility::Hidden && MarkerBaseline > 0 && !MarkerInside) {
        const int32_t scroll = Document != nullptr ? Document->ScrollTop : 0;
        DrawMarker(canvas, x, MarkerBaseline - scroll);
    }
    return result;
}

std::string TBlockLI::DumpExtra() const {
    std::string extra = TBlock::DumpExtra();
    const std::string marker = MarkerText();
    if (!marker.empty())
        extra += (extra.empty() ? "marker=" : " marker=") + marker;
    return extra;
}

// ---- THorzLine -----------------------------------------------------------------------------

THorzLine::THorzLine(TSectionList* document, TAttributeList& attrs, TProperties& props)
    : TSectionBase(document) {
    for (const TAttribute& a : attrs) {
        switch (a.Sym) {
        case SizeSym:
            if (a.Value >= 1 && a.Value <= 20)
                Thickness = a.Value;
            break;
        case AlignSym: {
            const std::string v = LowerCase(Trim(a.Str));
            if (v == "left")
                RuleAlign = LineAlign::Left;
            else if (v == "right")
                RuleAlign = LineAlign::Right;
            break;
        }
        case WidthSym:
            if (a.Value >= 1) {
                if (a.Str.find('%') == std::string::npos)
                    props.SetIfUnset(TPropValue(a.Value), piWidth);
                else if (a.Value <= 100)
                    props.SetIfUnset(TPropValue(std::to_string(a.Value) + "%"), piWidth);
            }
            break;
        case ColorSym: {
            TColor c = 0;
            if (ColorFromText(a.Str, false, c)) {
                RuleColor = c;
                props.SetIfUnset(TPropValue(static_cast<int32_t>(c)), piColor);
            }
            break;
        }
        case NoShadeSym:
            NoShade = true;
            break;
        default:
            break;
        }
    }
    props.SetIfUnset(TPropValue(Thickness), piHeight);
    // A colour given by a rule wins over the attribute's.
    const TPropValue& color = props.Values[piColor];
    if (color.IsInteger() && props.SetByRule[piColor])
        RuleColor = static_cast<TColor>(color.Integer());
    if (props.SetByRule[piTextAlign]) {
        const TPropValue& align = props.Values[piTextAlign];
        if (align.Equals("left"))
            RuleAlign = LineAlign::Left;
        else if (align.Equals("right"))
            RuleAlign = LineAlign::Right;
        else if (align.Equals("center"))
            RuleAlign = LineAlign::Center;
    }
}

int32_t THorzLine::LayOut(TCanvas& /*canvas*/, int32_t x, int32_t y, int32_t /*refX*/,
                          int32_t /*refY*/, int32_t availWidth, int32_t /*availHeight*/,
                          IndentManager& indents, int32_t& neededWidth, int32_t& charIndex) {
    LayoutY = y;
    ContentY = y;
    PaintTop = y;
    FirstChar = charIndex;
    RuleLeft = std::max(x, indents.LeftLimit(y));
    RuleWidth = ClampLength(std::min<int64_t>(int64_t{x} + availWidth - RuleLeft,
                                              int64_t{indents.RightLimit(y)} - RuleLeft));
    ContentLeft = RuleLeft;
    neededWidth = RuleWidth;
    FlowHeight = Thickness;
    PaintHeight = Thickness;
    FlowBottom = ClampLength(int64_t{y} + Thickness);
    PaintBottom = FlowBottom;
    InkOverflow = 0; // the rule is drawn inside its own height
    return Thickness;
}

int32_t THorzLine::DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents,
                               int32_t /*x*/, int32_t /*refX*/, int32_t /*refY*/) {
    const int32_t scroll = Document != nullptr ? Document->ScrollTop : 0;
    const int32_t y = ClampLength(int64_t{LayoutY} - scroll);
    if (y >= clip.Bottom || int64_t{y} + Thickness <= clip.Top || Thickness <= 0 || RuleWidth <= 0)
        return LayoutY + FlowHeight;
    const int32_t x1 = ClampLength(int64_t{indents.LeftEdge} + RuleLeft);
    const int32_t x2 = ClampLength(int64_t{x1} + RuleWidth - 1);
    const TPen savedPen = canvas.Pen;
    const TBrush savedBrush = canvas.Brush;
    if (RuleColor != NoColor || NoShade) {
        // A colour or NOSHADE makes a solid bar; without a colour it is grey, as the shaded
        // rule's shadow.
        canvas.Brush.Color = RuleColor != NoColor ? ColorToRGB(RuleColor | PaletteFlag) : clGray;
        canvas.Brush.Style = bsSolid;
        canvas.FillRect(Rect(x1, y, x2 + 1, ClampLength(int64_t{y} + Thickness)));
    } else {
        // An engraved outline: dark above and left, light below and right.
        const int32_t yb = ClampLength(int64_t{y} + Thickness - 1);
        canvas.Pen.Style = psSolid;
        canvas.Pen.Width = 1;
        canvas.Pen.Color = clBtnShadow;
        canvas.MoveTo(x1, yb);
        canvas.LineTo(x1, y);
        canvas.LineTo(x2, y);
        const bool light = Document == nullptr || ColorToRGB(Document->Background) == clWhite;
        canvas.Pen.Color = light ? clSilver : clBtnHighlight;
        canvas.LineTo(x2, yb);
        canvas.LineTo(x1, yb);
    }
    canvas.Pen = savedPen;
    canvas.Brush = savedBrush;
    return LayoutY + FlowHeight;
}

void THorzLine::CopySelection() {
    if (Document != nullptr)
        Document->ClipBuffer += "\r\n";
}

void THorzLine::Dump(TDumpWriter& out, int depth) const {
    std::string extra = "size=" + std::to_string(Thickness);
    if (RuleColor != NoColor) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(ColorToRGB(RuleColor)));
        extra += std::string(" color=") + buf;
    }
    if (NoShade)
        extra += " noshade";
    out.Box(depth, KindName(), RuleLeft, LayoutY, RuleWidth, Thickness, extra);
}

// ---- THRBlock ------------------------------------------------------------------------------

THRBlock::THRBlock(TSectionList* document, TCellBasic* owner, const TProperties& props,
                   std::unique_ptr<THorzLine> rule)
    : TBlock(document, owner, props) {
    if (rule) {
        RuleAlign = rule->RuleAlign;
        Rule = rule.get();
        Content->Add(std::move(rule));
    }
}

int32_t THRBlock::ContentWidthFor(TCanvas& /*canvas*/, int32_t availWidth, int32_t /*availHeight*/,
                                  int /*autoCount*/) {
    // Auto side margins of a rule are 0; its alignment places it instead.
    for (int i : {piMarginLeft, piMarginRight})
        if (BoxValues[i] == AutoLength)
            BoxValues[i] = 0;
    const int64_t room = int64_t{availWidth} - LeftExtras() - RightExtras();
    const int32_t slot = BoxValues[piWidth];
    const int32_t width = slot < 1 ? ClampLength(std::max<int64_t>(15, room))
                                   : ClampLength(std::min<int64_t>(slot, room));
    if (RuleAlign != LineAlign::Left) {
        const int64_t rest = room - width;
        if (rest > 0)
            BoxValues[piMarginLeft] =
                ClampLength(int64_t{BoxValues[piMarginLeft]} +
                            (RuleAlign == LineAlign::Center ? rest / 2 : rest));
    }
    if (Rule != nullptr)
        Rule->Thickness = std::max<int32_t>(0, BoxValues[piHeight]);
    return width;
}

// ---- TPage ---------------------------------------------------------------------------------

int32_t TPage::LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                      int32_t availWidth, int32_t availHeight, IndentManager& indents,
                      int32_t& neededWidth, int32_t& charIndex) {
    const int32_t h = TSectionBase::LayOut(canvas, x, y, refX, refY, availWidth, availHeight,
                                           indents, neededWidth, charIndex);
    neededWidth = 0;
    return h;
}
