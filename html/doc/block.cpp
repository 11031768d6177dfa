#include "html/doc/block.h"

#include <algorithm>
#include <string_view>

#include "html/doc/background_place.h"
#include "html/doc/border_paint.h"
#include "html/doc/dump.h"
#include "html/doc/image_obj.h"
#include "html/doc/length_sum.h"
#include "html/doc/list_rule.h"
#include "html/doc/section_list.h"
#include "html/style/properties.h"
#include "html/style/value_convert.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"

namespace {

// Whether a section that is no block shows something: a cell keeps only text sections that
// hold text (or preformatted ones), so everything but a page mark does.
bool HoldsContent(const TSectionBase* section) {
    return std::string_view(section->KindName()) != "page";
}

// Style lengths are held within +-1e9 by the conversion, but sums of several of them are
// not: every sum of untrusted lengths goes through here.

// A margin still "auto" after the width rules counts as 0 in sums.
int32_t Px(int32_t v) {
    return v == AutoLength || v == NullLength ? 0 : v;
}

// Restores the indent manager's current block on every way out of a layout.
class TCurrentScope {
public:
    TCurrentScope(IndentManager& im, const void* block) : im_(im), saved_(im.Current) {
        im.Current = block;
    }
    ~TCurrentScope() { im_.Current = saved_; }
    const void* Saved() const { return saved_; }
    TCurrentScope(const TCurrentScope&) = delete;
    TCurrentScope& operator=(const TCurrentScope&) = delete;

private:
    IndentManager& im_;
    const void* saved_;
};

// A table block re-applies the vertical margin rules itself once its attributes are read
// (they may make it float), so the common constructor must leave them to it.
bool IsTableElement(const TProperties& props) {
    return props.ElemTag == "table";
}

} // namespace

TBlock::TBlock(TSectionList* document, TCellBasic* owner, const TProperties& props)
    : TSectionBase(document), ParentCell(owner) {
    BoxStyle = props.GetBoxValues();
    EmPixels = props.EmHeight;
    ExPixels = props.ExHeight;
    const TPropValue& color = props.Values[piColor];
    ForeColor = color.IsInteger() ? static_cast<TColor>(color.Integer()) : clBlack;
    Bordered = props.HasBorderStyle();
    for (int i = piBorderTopStyle; i <= piBorderLeftStyle; ++i)
        if (BoxStyle[i].IsInteger() && BoxStyle[i].Integer() != bdNone)
            Bordered = true;
    props.GetBorderColors(BorderColors);

    AlignKind fl = akNone;
    if (props.GetFloat(fl) && (fl == akLeft || fl == akRight))
        FloatSide = fl == akLeft ? BlockFloat::Left : BlockFloat::Right;
    ClearKind cl = ckNone;
    if (props.GetClear(cl))
        ClearSide = cl;
    switch (props.GetPosition()) {
    case posAbsolute:
        PlaceMode = BlockPlace::Absolute;
        break;
    case posRelative:
        PlaceMode = BlockPlace::Relative;
        break;
    default:
        PlaceMode = BlockPlace::Static;
        break;
    }
    VisibleMode = props.IsHidden() ? BlockVisibility::Hidden : BlockVisibility::Visible;

    if (PlaceMode != BlockPlace::Static) {
        // z-index comes from style text: keep the product inside the int range.
        const int64_t z = std::clamp<int64_t>(props.GetZIndex(), -100000000, 100000000);
        StackLevel = static_cast<int32_t>(z * 10);
        if (PlaceMode == BlockPlace::Absolute && StackLevel == 0)
            StackLevel = 1;
    }
    if (FloatSide != BlockFloat::None && StackLevel == 0)
        StackLevel = 1;

    Content = std::make_unique<TBlockCell>(document);
    Content->ParentTag = props.ElemTag;

    BackgroundPlace = props.GetBackgroundPos(EmPixels, ExPixels);
    std::string url;
    if (props.ElemTag != "body" && props.GetBackgroundImage(url) && !url.empty())
        BackgroundImage = std::make_unique<TImageObj>(document, url);

    Selector = props.ElemTag;
    if (!props.ElemClass.empty())
        Selector += "." + props.ElemClass;

    if (!IsTableElement(props))
        ApplyVerticalMargins(props);
}

TBlock::~TBlock() = default;

void TBlock::ApplyVerticalMargins(const TProperties& props) {
    bool topDefault = false;
    bool bottomDefault = false;
    ConvertVerticalMargins(props.GetBoxValues(), 400, EmPixels, ExPixels, BoxValues, topDefault,
                           bottomDefault);
    DefaultBottom = bottomDefault;
    int32_t& top = BoxValues[piMarginTop];

    if (PlaceMode == BlockPlace::Absolute) {
        if (topDefault)
            top = 0;
        return;
    }
    if (FloatSide != BlockFloat::None)
        return; // a float keeps its top margin

    // The block before this one in the cell; text between them keeps the margins apart.
    TBlock* prev = nullptr;
    bool textBefore = false;
    if (ParentCell != nullptr)
        for (int i = ParentCell->Count() - 1; i >= 0; --i) {
            TSectionBase* item = ParentCell->Items(i);
            auto* b = dynamic_cast<TBlock*>(item);
            if (b == nullptr) {
                if (HoldsContent(item)) {
                    textBefore = true;
                    break;
                }
                continue;
            }
            if (b != this && !b->IsAbsolute()) {
                prev = b;
                break;
            }
        }

    if (prev != nullptr) {
        // The table block is known by its kind name so that plain blocks need not know tables.
        if (topDefault && prev->FloatSide != BlockFloat::None &&
            std::string_view(prev->KindName()) == "tableblock") {
            top = 0;
            return;
        }
        // Adjoining margins collapse into one.
        const int32_t b = prev->BoxValues[piMarginBottom];
        prev->BoxValues[piMarginBottom] = 0;
        if (top >= 0 && b >= 0)
            top = std::max(top, b);
        else if (top < 0 && b < 0)
            top = std::min(top, b);
        else
            top = ClampLength(int64_t{top} + b);
        return;
    }

    if (!topDefault || textBefore)
        return;
    // The first thing in its container: the paragraph default gives way, except at the top
    // of the page and in a definition, where browsers keep the space above the paragraph.
    const std::string tag = ParentCell != nullptr ? ParentCell->ParentTag : std::string();
    if (tag != "default" && tag != "body" && tag != "dd")
        top = 0;
}

int32_t TBlock::ContentWidthFor(TCanvas& canvas, int32_t availWidth, int32_t /*availHeight*/,
                                int autoCount) {
    // Only an absolutely placed block looks at its content's widths.
    int32_t mn = 0, mx = 0;
    if (PlaceMode == BlockPlace::Absolute)
        Content->MinMaxWidths(canvas, mn, mx);
    int32_t& lm = BoxValues[piMarginLeft];
    int32_t& rm = BoxValues[piMarginRight];
    int32_t& width = BoxValues[piWidth];
    const int64_t pb = int64_t{BoxValues[piPaddingLeft]} + BoxValues[piPaddingRight] +
                       BoxValues[piBorderLeftWidth] + BoxValues[piBorderRightWidth];
    // A block in the flow fills the room it is given, or takes the width it is given; what
    // is wider inside it (a long PRE line, a wide table or picture) overflows it, and the
    // window's scroll bar reaches it, so the paragraphs beside it still wrap at the window's
    // width. An absolutely placed block shrinks to its content, never below its widest word.
    auto autoWidth = [&]() -> int32_t {
        const int64_t room = int64_t{availWidth} - pb - Px(lm) - Px(rm);
        if (PlaceMode == BlockPlace::Absolute)
            return ClampLength(std::max<int64_t>(mn, std::min<int64_t>(mx, room - OffsetLeft)));
        return ClampLength(std::max<int64_t>(0, room));
    };
    const int32_t least = mn;

    switch (autoCount) {
    case 0:
        width = std::max(width, least);
        break;
    case 1:
        if (width == AutoLength) {
            width = autoWidth();
        } else {
            width = std::max(width, least);
            if (rm != AutoLength)
                lm = ClampLength(std::max<int64_t>(0, int64_t{availWidth} - pb - Px(rm) - width));
            else if (FloatSide == BlockFloat::None)
                rm = ClampLength(std::max<int64_t>(0, int64_t{availWidth} - pb - Px(lm) - width));
            else
                rm = 0;
        }
        break;
    case 2:
        if (width == AutoLength) {
            if (lm == AutoLength)
                lm = 0;
            else
                rm = 0;
            width = autoWidth();
        } else {
            width = std::max(width, least);
            // Both margins auto: the block is centred.
            const int32_t m =
                ClampLength(std::max<int64_t>(0, int64_t{availWidth} - width - pb) / 2);
            lm = m;
            rm = m;
        }
        break;
    default:
        lm = 0;
        rm = 0;
        width = autoWidth();
        break;
    }
    lm = Px(lm);
    rm = Px(rm);
    return width;
}

void TBlock::MinMaxWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth) {
    Content->MinMaxWidths(canvas, minWidth, maxWidth);
    if (IsListBlock) {
        minWidth += 35;
        maxWidth += 35;
    }
    TBoxArray v = BoxValues;
    ConvertBox(BoxStyle, 0, 400, EmPixels, ExPixels, v);
    const int32_t lm = Px(v[piMarginLeft]);
    const int32_t rm = Px(v[piMarginRight]);
    const int32_t width = Px(v[piWidth]);
    const int64_t sides = int64_t{lm} + v[piBorderLeftWidth] + v[piPaddingLeft] + rm +
                          v[piBorderRightWidth] + v[piPaddingRight];
    const int32_t mn = ClampLength(sides + std::max(minWidth, width));
    maxWidth = width < 1 ? ClampLength(sides + std::max(maxWidth, width)) : mn;
    minWidth = mn;
}

int32_t TBlock::LeftExtras() const {
    return ClampLength(int64_t{BoxValues[piMarginLeft]} + BoxValues[piPaddingLeft] +
                       BoxValues[piBorderLeftWidth]);
}

int32_t TBlock::RightExtras() const {
    return ClampLength(int64_t{BoxValues[piMarginRight]} + BoxValues[piPaddingRight] +
                       BoxValues[piBorderRightWidth]);
}

void TBlock::RebuildPaintOrder() {
    PaintOrder.clear();
    for (const auto& child : *Content)
        PaintOrder.push_back(child.get());
    // Equal levels keep document order.
    std::stable_sort(
        PaintOrder.begin(), PaintOrder.end(),
        [](const TSectionBase* a, const TSectionBase* b) { return a->StackLevel < b->StackLevel; });
}

int32_t TBlock::ChildrenInk() const {
    if (PlaceMode != BlockPlace::Static)
        return kInkUnbounded;
    int64_t ink = 0;
    for (const auto& child : *Content) {
        if (child->InkOverflow == kInkUnbounded)
            return kInkUnbounded;
        const int64_t above = int64_t{PaintTop} - (int64_t{child->PaintTop} - child->InkOverflow);
        const int64_t below =
            int64_t{child->PaintBottom} + child->InkOverflow - int64_t{PaintBottom};
        ink = std::max({ink, above, below});
    }
    return ClampLength(ink);
}

void TBlock::FinishBottoms(int32_t cellFlowBottom) {
    InnerBottom = std::max(ContentY, cellFlowBottom);
    if (InnerBottom - ContentY < BoxValues[piHeight])
        InnerBottom = ClampLength(int64_t{ContentY} + BoxValues[piHeight]);
    FlowBottom = ClampLength(int64_t{InnerBottom} + BoxValues[piPaddingBottom] +
                             BoxValues[piBorderBottomWidth] + BoxValues[piMarginBottom]);
    PaintBottom = ClampLength(int64_t{std::max(InnerBottom, Content->PaintBottom)} +
                              BoxValues[piPaddingBottom] + BoxValues[piBorderBottomWidth]);
}

int32_t TBlock::LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                       int32_t availWidth, int32_t availHeight, IndentManager& indents,
                       int32_t& neededWidth, int32_t& charIndex) {
    LayoutY = y;
    ClearGap = 0;
    if (ClearSide != ckNone) {
        int32_t left = 0, right = 0;
        indents.ClearLevels(left, right);
        const int32_t gl = std::max<int32_t>(0, ClampLength(int64_t{left} - y - 1));
        const int32_t gr = std::max<int32_t>(0, ClampLength(int64_t{right} - y - 1));
        ClearGap = ClearSide == ckLeft ? gl : ClearSide == ckRight ? gr : std::max(gl, gr);
    }
    FirstChar = charIndex;
    neededWidth = availWidth;

    const int autoCount =
        ConvertBox(BoxStyle, availWidth, availHeight, EmPixels, ExPixels, BoxValues);
    OffsetTop = BoxValues[piTop];
    OffsetLeft = BoxValues[piLeft];
    if (PlaceMode == BlockPlace::Relative) {
        if (OffsetTop == AutoLength)
            OffsetTop = 0;
        if (OffsetLeft == AutoLength)
            OffsetLeft = 0;
    } else if (PlaceMode == BlockPlace::Absolute) {
        // With no top given the block stays where the flow would have put it, whatever
        // origin its positioned ancestors give.
        if (OffsetTop == AutoLength)
            OffsetTop = ClampLength(int64_t{y} - refY);
        if (OffsetLeft == AutoLength)
            OffsetLeft = x;
        x = OffsetLeft;
        y = ClampLength(int64_t{OffsetTop} + refY);
    }
    boxX_ = x;
    boxY_ = y;

    InnerWidth = ContentWidthFor(canvas, availWidth, availHeight, autoCount);
    const int32_t le = LeftExtras();
    const int32_t re = RightExtras();

    Content->Indents = &indents;
    TCurrentScope scope(indents, this);

    const int32_t top = ClampLength(int64_t{ClearGap} + y);
    PaintTop =
        BoxValues[piMarginTop] < 1 ? ClampLength(int64_t{top} + BoxValues[piMarginTop]) : top;

    if (FloatSide == BlockFloat::Left)
        InnerOffset = ClampLength(int64_t{std::max(x, indents.LeftLimit(top))} + le - x);
    else if (FloatSide == BlockFloat::Right)
        InnerOffset = ClampLength(
            std::min<int64_t>(availWidth, int64_t{indents.RightLimit(top)} - x) - re - InnerWidth);
    else
        InnerOffset = le;
    x = ClampLength(int64_t{x} + InnerOffset);

    if (IsListBlock) {
        // Room for the item markers at the left.
        const int32_t l = indents.LeftLimit(top);
        if (int64_t{x} - l < 35) {
            InnerOffset = ClampLength(int64_t{InnerOffset} + l - x + 35);
            InnerWidth = ClampLength(std::max<int64_t>(0, int64_t{InnerWidth} + x - l - 35));
            x = ClampLength(int64_t{l} + 35);
        }
    }

    ContentY = ClampLength(int64_t{top} + BoxValues[piMarginTop] + BoxValues[piPaddingTop] +
                           BoxValues[piBorderTopWidth]);
    const int leftHandle = indents.PushLeft(x, ContentY);
    const int rightHandle = indents.PushRight(ClampLength(int64_t{x} + InnerWidth), ContentY);
    ContentLeft = x;

    int32_t childWidth = 0;
    const int32_t slotHeight = BoxValues[piHeight];
    if (PlaceMode == BlockPlace::Relative) {
        const int32_t start = ClampLength(int64_t{ContentY} + OffsetTop);
        Content->DoLayoutChildren(canvas, x, start, refX, start, InnerWidth, slotHeight, childWidth,
                                  charIndex);
    } else {
        const int32_t childHeight = slotHeight > 0 ? slotHeight : availHeight;
        int32_t cRefX = refX, cRefY = refY;
        if (PlaceMode == BlockPlace::Absolute) {
            cRefY = ClampLength(int64_t{OffsetTop} + refY + BoxValues[piMarginTop] +
                                BoxValues[piBorderTopWidth]);
            cRefX = ClampLength(int64_t{OffsetLeft} + refX + BoxValues[piMarginLeft] +
                                BoxValues[piBorderLeftWidth]);
        }
        Content->DoLayoutChildren(canvas, x, ContentY, cRefX, cRefY, InnerWidth, childHeight,
                                  childWidth, charIndex);
    }

    CharCount = charIndex - FirstChar;
    int64_t needed = int64_t{childWidth} + le + re;
    if (PlaceMode != BlockPlace::Static)
        needed += int64_t{OffsetLeft} - BoxValues[piMarginRight];
    neededWidth = ClampLength(needed);

    const int32_t cellBottom = PlaceMode == BlockPlace::Relative
                                   ? ClampLength(int64_t{Content->FlowBottom} - OffsetTop)
                                   : Content->FlowBottom;
    FinishBottoms(cellBottom);

    if (BackgroundImage && Document != nullptr && Document->ImagesOn) {
        BackgroundImage->FetchAndSize(Document, canvas, InnerWidth, nullptr);
        if (BackgroundImage->IsErrorImage()) {
            BackgroundImage.reset(); // dropped without a message
        } else {
            BackgroundImage->BackgroundUse = true;
            NeedsTiling = true;
        }
    }

    FlowHeight = ClampLength(int64_t{FlowBottom} - y);
    indents.EndLeft(leftHandle, ClampLength(int64_t{y} + FlowHeight));
    indents.EndRight(rightHandle, ClampLength(int64_t{y} + FlowHeight));
    // The scope restores Current below; the float records are the enclosing block's business.

    int32_t result;
    if (FloatSide != BlockFloat::None || PlaceMode == BlockPlace::Absolute) {
        PaintHeight = PlaceMode == BlockPlace::Absolute ? 0 : FlowHeight;
        const int32_t h = ClampLength(int64_t{PaintBottom} - y);
        indents.Current = scope.Saved();
        if (FloatSide == BlockFloat::Left)
            indents.AddBlockFloat(y, ClampLength(int64_t{x} + InnerWidth + re), 5, h);
        else if (FloatSide == BlockFloat::Right)
            indents.AddBlockFloat(y, ClampLength(int64_t{InnerWidth} + le + re), 6, h);
        FlowHeight = 0;
        result = 0;
    } else {
        PaintHeight = std::max(FlowHeight, ClampLength(int64_t{indents.FloatsBottom()} - y));
        result = FlowHeight;
    }
    InkOverflow = ChildrenInk();
    RebuildPaintOrder();
    return result;
}

TBorderSides TBlock::BorderSides() const {
    TBorderSides s;
    TColor common = static_cast<TColor>(BoxValues[piBorderColor]);
    if (common == NoColor)
        common = ForeColor;
    for (int i = 0; i < 4; ++i) {
        const size_t k = static_cast<size_t>(i);
        s.Width[k] = BoxValues[piBorderTopWidth + i];
        const int32_t style = BoxValues[piBorderTopStyle + i];
        s.Style[k] = style > bdNone && style <= bdOutset ? static_cast<BorderStyleKind>(style)
                     : style != 0                        ? bdSolid
                                                         : bdNone;
        s.Color[k] = BorderColors[k] != NoColor ? BorderColors[k] : common;
    }
    return s;
}

TRect TBlock::BorderBox(int32_t l, int32_t y) const {
    TRect r;
    r.Left = ClampLength(int64_t{l} + BoxValues[piMarginLeft]);
    // The right side follows the content box, so a list block whose content was pushed
    // right for its markers still reaches as far as its content does.
    const int64_t contentLeft =
        int64_t{l} + (FloatSide != BlockFloat::None ? LeftExtras() : InnerOffset);
    r.Right = ClampLength(contentLeft + InnerWidth + BoxValues[piPaddingRight] +
                          BoxValues[piBorderRightWidth]);
    r.Top = ClampLength(int64_t{ClearGap} + y + BoxValues[piMarginTop]);
    if (FloatSide != BlockFloat::None)
        r.Bottom = PaintBottom;
    else
        r.Bottom = ClampLength(int64_t{FlowBottom} - BoxValues[piMarginBottom] +
                               (PlaceMode == BlockPlace::Relative ? OffsetTop : 0));
    return r;
}

// Lays a picture over the padding box, repeated along the axes that repeat; only the tiles
// that meet the clip are drawn, so a tiny picture on a tall block costs no more than the
// visible area.
void TBlock::DrawBackgroundImage(TCanvas& canvas, const TRect& box, const TRect& clip) {
    if (!tile_)
        return;
    const TRect area = IntersectRect(box, clip);
    if (area.IsEmpty())
        return;
    const int iw = tile_->Width(), ih = tile_->Height();
    if (iw <= 0 || ih <= 0)
        return;
    const int64_t px = PlaceBackgroundAxis(BackgroundPlace.Horizontal, box.Width(), imageW_);
    const int64_t py = PlaceBackgroundAxis(BackgroundPlace.Vertical, box.Height(), imageH_);
    // A repeating axis starts at the last whole tile at or before the box's start.
    auto firstTile = [](int64_t pos, int size) {
        if (pos <= 0)
            return pos;
        return pos - ((pos + size - 1) / size) * size;
    };
    const bool repX = BackgroundPlace.Horizontal.Repeat;
    const bool repY = BackgroundPlace.Vertical.Repeat;
    const int64_t startX = repX ? firstTile(px, iw) : px;
    const int64_t startY = repY ? firstTile(py, ih) : py;
    const int64_t endX = repX ? box.Width() : startX + iw;
    const int64_t endY = repY ? box.Height() : startY + ih;
    // Skip tiles above or left of the visible area.
    const int64_t skipX = std::max<int64_t>(0, (area.Left - box.Left - startX) / iw);
    const int64_t skipY = std::max<int64_t>(0, (area.Top - box.Top - startY) / ih);

    const TRect savedClip = canvas.ClipRect();
    canvas.SetClipRect(area);
    for (int64_t ty = startY + (repY ? skipY * ih : 0); ty < endY; ty += ih) {
        if (box.Top + ty >= area.Bottom)
            break;
        for (int64_t tx = startX + (repX ? skipX * iw : 0); tx < endX; tx += iw) {
            if (box.Left + tx >= area.Right)
                break;
            const TRect dest =
                Bounds(static_cast<int>(box.Left + tx), static_cast<int>(box.Top + ty), iw, ih);
            if (tileMask_)
                canvas.DrawMasked(dest, *tile_, *tileMask_);
            else
                canvas.StretchBlt(dest, *tile_, Rect(0, 0, iw, ih), cmSrcCopy);
        }
    }
    canvas.SetClipRect(savedClip);
}

// Copies the picture (and its mask) once per layout into the block's own tile, widened to at
// least 32 pixels along a repeating axis so that small patterns are not drawn pixel by pixel.
void TBlock::BuildTile() {
    tile_.reset();
    tileMask_.reset();
    if (!BackgroundImage)
        return;
    const TBitmap* pic = BackgroundImage->TileBitmap();
    if (pic == nullptr || pic->Empty())
        return;
    const TBitmap* mask = BackgroundImage->TileMask();
    imageW_ = pic->Width();
    imageH_ = pic->Height();
    const int reps_x =
        BackgroundPlace.Horizontal.Repeat ? std::max(1, (31 + imageW_) / imageW_) : 1;
    const int reps_y = BackgroundPlace.Vertical.Repeat ? std::max(1, (31 + imageH_) / imageH_) : 1;
    const int w = imageW_ * reps_x, h = imageH_ * reps_y;
    tile_ = std::make_unique<TBitmap>(w, h, pf24bit);
    const bool useMask = mask != nullptr && mask->Width() == imageW_ && mask->Height() == imageH_;
    if (useMask)
        tileMask_ = std::make_unique<TBitmap>(w, h, pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            tile_->SetPixel(x, y, pic->GetPixel(x % imageW_, y % imageH_));
            if (useMask)
                tileMask_->SetPixel(x, y, mask->GetPixel(x % imageW_, y % imageH_));
        }
}

int32_t TBlock::DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& /*indents*/,
                            int32_t x, int32_t refX, int32_t refY) {
    if (VisibleMode == BlockVisibility::Hidden)
        return LayoutY + FlowHeight;
    const int32_t scroll = Document != nullptr ? Document->ScrollTop : 0;
    int32_t dx = x, dy = LayoutY;
    if (PlaceMode == BlockPlace::Relative) {
        dx = ClampLength(int64_t{x} + OffsetLeft);
        dy = ClampLength(int64_t{LayoutY} + OffsetTop);
    } else if (PlaceMode == BlockPlace::Absolute) {
        dx = ClampLength(int64_t{refX} + OffsetLeft);
        dy = ClampLength(int64_t{refY} + OffsetTop);
    }
    const int32_t le = LeftExtras();
    const int32_t l =
        FloatSide == BlockFloat::None ? dx : ClampLength(int64_t{dx} + InnerOffset - le);

    TRect border = BorderBox(l, dy);
    border.Top = ClampLength(int64_t{border.Top} - scroll);
    border.Bottom = ClampLength(int64_t{border.Bottom} - scroll);
    const TRect padding{ClampLength(int64_t{border.Left} + BoxValues[piBorderLeftWidth]),
                        ClampLength(int64_t{border.Top} + BoxValues[piBorderTopWidth]),
                        ClampLength(int64_t{border.Right} - BoxValues[piBorderRightWidth]),
                        ClampLength(int64_t{border.Bottom} - BoxValues[piBorderBottomWidth])};

    if (NeedsTiling && BackgroundImage) {
        BuildTile();
        NeedsTiling = false;
    }
    const TColor bg = static_cast<TColor>(BoxValues[piBackgroundColor]);
    if (bg != NoColor && !padding.IsEmpty()) {
        const TBrush saved = canvas.Brush;
        canvas.Brush.Color = ColorToRGB(bg);
        canvas.Brush.Style = bsSolid;
        canvas.FillRect(IntersectRect(padding, clip));
        canvas.Brush = saved;
    }
    if (BackgroundImage && tile_ && Document != nullptr && Document->ImagesOn)
        DrawBackgroundImage(canvas, padding, clip);
    if (Bordered && !border.IsEmpty())
        PaintBorders(canvas, border, BorderSides(), clip);

    if (Content->Indents != nullptr) {
        int32_t cRefX = refX, cRefY = refY;
        if (PlaceMode == BlockPlace::Relative) {
            cRefX = ClampLength(int64_t{l} + le);
            cRefY = ClampLength(int64_t{ContentY} + OffsetTop);
        } else if (PlaceMode == BlockPlace::Absolute) {
            cRefX =
                ClampLength(int64_t{l} + BoxValues[piMarginLeft] + BoxValues[piBorderLeftWidth]);
            cRefY = ClampLength(int64_t{dy} + BoxValues[piMarginTop] + BoxValues[piBorderTopWidth]);
        }
        TCurrentScope scope(*Content->Indents, this);
        const int32_t cx = ClampLength(int64_t{dx} + InnerOffset);
        for (TSectionBase* child : PaintOrder)
            if (child->MayPaintInto(clip, scroll))
                child->DrawSection(canvas, clip, *Content->Indents, cx, cRefX, cRefY);
    }
    return LayoutY + FlowHeight;
}

bool TBlock::FindLink(TCanvas& canvas, int32_t x, int32_t y, TUrlTarget& target,
                      TImageFormControlObj*& formControl) {
    return Content->FindLink(canvas, x, y, target, formControl);
}

bool TBlock::ObjectAt(int32_t x, int32_t y, TObject*& obj, int32_t& xInside, int32_t& yInside) {
    return Content->ObjectAt(x, y, obj, xInside, yInside);
}

int32_t TBlock::FindCursor(TCanvas& canvas, int32_t x, int32_t y, int32_t& caretX, int32_t& caretY,
                           int32_t& caretHeight, bool& inText) {
    return Content->FindCursor(canvas, x, y, caretX, caretY, caretHeight, inText);
}

int32_t TBlock::FindText(int32_t from, const std::string& text, bool matchCase) {
    return Content->FindText(from, text, matchCase);
}

int32_t TBlock::ToSourcePos(int32_t docIndex) {
    return Content->ToSourcePos(docIndex);
}

int32_t TBlock::FromSourcePos(int32_t sourcePos, bool backwards) {
    return Content->FromSourcePos(sourcePos, backwards);
}

bool TBlock::CaretPoint(TCanvas& canvas, int32_t index, int32_t& x, int32_t& y) {
    return Content->CaretPoint(canvas, index, x, y);
}

bool TBlock::CharAt(int32_t index, char32_t& ch, TSectionBase*& section) {
    return Content->CharAt(index, ch, section);
}

void TBlock::CopySelection() {
    Content->CopySelection();
}

void TBlock::RegisterPosition() {
    Content->RegisterPositions();
}

std::string TBlock::DumpExtra() const {
    std::string extra;
    auto add = [&extra](std::string_view s) {
        if (!extra.empty())
            extra += ' ';
        extra.append(s);
    };
    if (FloatSide == BlockFloat::Left)
        add("float=left");
    else if (FloatSide == BlockFloat::Right)
        add("float=right");
    if (PlaceMode == BlockPlace::Absolute)
        add("abs");
    else if (PlaceMode == BlockPlace::Relative)
        add("rel");
    if (VisibleMode == BlockVisibility::Hidden)
        add("hidden");
    return extra;
}

void TBlock::Dump(TDumpWriter& out, int depth) const {
    int32_t l = boxX_;
    int32_t y = boxY_;
    if (PlaceMode == BlockPlace::Relative) {
        l = ClampLength(int64_t{l} + OffsetLeft);
        y = ClampLength(int64_t{LayoutY} + OffsetTop);
    }
    if (FloatSide != BlockFloat::None)
        l = ClampLength(int64_t{boxX_} + InnerOffset - LeftExtras());
    const TRect r = BorderBox(l, y);
    out.Box(depth, KindName(), r.Left, r.Top, r.Width(), r.Height(), DumpExtra());
    Content->Dump(out, depth + 1);
}

// ---- TBodyBlock ----------------------------------------------------------------------------

TBodyBlock::TBodyBlock(TSectionList* document, TCellBasic* owner, const TProperties& props)
    : TBlock(document, owner, props) {}

int32_t TBodyBlock::LayOut(TCanvas& canvas, int32_t /*x*/, int32_t y, int32_t /*refX*/,
                           int32_t /*refY*/, int32_t availWidth, int32_t availHeight,
                           IndentManager& indents, int32_t& neededWidth, int32_t& charIndex) {
    LayoutY = y;
    FirstChar = charIndex;
    ConvertBox(BoxStyle, availWidth, availHeight, EmPixels, ExPixels, BoxValues);
    // The body has no auto margins of its own: they count as 0.
    BoxValues[piMarginLeft] = Px(BoxValues[piMarginLeft]);
    BoxValues[piMarginRight] = Px(BoxValues[piMarginRight]);
    OffsetTop = OffsetLeft = 0;
    ClearGap = 0;
    const int32_t le = LeftExtras();
    const int32_t re = RightExtras();
    const int32_t x = le;
    InnerOffset = le;
    InnerWidth = std::max<int32_t>(0, ClampLength(int64_t{indents.Width} - le - re));
    boxX_ = 0;
    boxY_ = y;
    const int32_t tm = BoxValues[piMarginTop];
    PaintTop = ClampLength(int64_t{y} + tm);
    ContentY = ClampLength(int64_t{y} + tm + BoxValues[piPaddingTop] + BoxValues[piBorderTopWidth]);
    ContentLeft = x;

    Content->Indents = &indents;
    TCurrentScope scope(indents, this);
    const int leftHandle = indents.PushLeft(x, y);
    const int rightHandle = indents.PushRight(ClampLength(int64_t{x} + InnerWidth), y);
    int32_t childWidth = 0;
    Content->DoLayoutChildren(canvas, x, ContentY, 0, 0, InnerWidth,
                              ClampLength(int64_t{availHeight} - tm - BoxValues[piMarginBottom]),
                              childWidth, charIndex);
    CharCount = charIndex - FirstChar;
    FinishBottoms(Content->FlowBottom);
    // Hit tests reach the body's cell wherever the point lies below its top.
    Content->PaintTop = 0;
    Content->FlowBottom = 999000;
    FlowHeight = ClampLength(int64_t{PaintBottom} + BoxValues[piMarginBottom] - y);
    indents.EndLeft(leftHandle, ClampLength(int64_t{y} + FlowHeight));
    indents.EndRight(rightHandle, ClampLength(int64_t{y} + FlowHeight));
    PaintHeight = std::max(FlowHeight, ClampLength(int64_t{indents.FloatsBottom()} - y));
    neededWidth = std::max<int32_t>(
        indents.Width, ClampLength(int64_t{std::max(childWidth, InnerWidth)} +
                                   BoxValues[piMarginLeft] + BoxValues[piMarginRight]));
    RebuildPaintOrder();
    return FlowHeight;
}

int32_t TBodyBlock::DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents,
                                int32_t /*x*/, int32_t /*refX*/, int32_t /*refY*/) {
    if (Content->Indents != nullptr) {
        TCurrentScope scope(*Content->Indents, this);
        const int32_t cx = ClampLength(int64_t{indents.LeftEdge} + LeftExtras());
        const int32_t scroll = Document != nullptr ? Document->ScrollTop : 0;
        for (TSectionBase* child : PaintOrder)
            if (child->MayPaintInto(clip, scroll))
                child->DrawSection(canvas, clip, *Content->Indents, cx, indents.LeftEdge, 0);
    }
    return LayoutY + FlowHeight;
}

// ---- trailing margins ----------------------------------------------------------------------

void DropTrailingDefaultMargins(TCellBasic& start) {
    // Iterative: list items nest as deep as the page does.
    TCellBasic* cell = &start;
    while (cell != nullptr) {
        TBlock* last = nullptr;
        for (int i = cell->Count() - 1; i >= 0; --i) {
            TSectionBase* item = cell->Items(i);
            auto* b = dynamic_cast<TBlock*>(item);
            if (b == nullptr) {
                if (HoldsContent(item))
                    return; // text after the block keeps its margin below it
                continue;
            }
            if (!b->IsAbsolute()) {
                last = b;
                break;
            }
        }
        if (last == nullptr)
            return;
        if (last->DefaultBottom)
            last->BoxValues[piMarginBottom] = 0;
        cell = dynamic_cast<TBlockLI*>(last) != nullptr ? last->Content.get() : nullptr;
    }
}
