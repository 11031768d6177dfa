// TImageObj: attributes, style, getting the picture and settling its size, drawing it in a
// line with its stand-in, background tiling and the ACTIVE hover behaviour.
#include "html/doc/image_obj.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "html/doc/font_obj.h"
#include "html/doc/section_list.h"
#include "html/image/bitmap_cache.h"
#include "html/image/display.h"
#include "html/image/gif_image.h"
#include "html/image/image_loader.h"
#include "html/style/box_convert.h"
#include "html/style/properties.h"
#include "platform/base/strings.h"
#include "platform/graphics/canvas.h"

namespace {

// Sizes beyond this are hostile or mistaken; they are held here so width sums stay finite.
constexpr int64_t kMaxImageSize = 32767;

int32_t HoldSize(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, 0, kMaxImageSize));
}

int32_t SpaceValue(int32_t v) {
    return std::min<int32_t>(40, std::abs(std::max(v, -40)));
}

// The font stand-in texts are written in.
TFont AltFont() {
    TFont f;
    f.Name = "Arial";
    f.Size = 8;
    return f;
}

// ALT text wrapped word by word into a box; a word wider than the box gets a line of its own
// and is clipped.
void DrawAltText(TCanvas& canvas, int32_t x, int32_t y, int32_t right, int32_t bottom,
                 const std::string& text) {
    const TBrushStyle oldBrush = canvas.Brush.Style;
    const TTextAlign oldAlign = canvas.TextAlign;
    canvas.Brush.Style = bsClear;
    canvas.TextAlign = taTop;
    const int32_t h = canvas.TextHeight("A");
    const int32_t limit = right - x;
    const TRect box = Rect(x, y, right, bottom);
    std::string rest = text;
    std::string pending;
    while (h > 0 && !rest.empty() && y + h <= bottom) {
        rest = Trim(rest);
        if (rest.empty())
            break;
        const size_t blank = rest.find(' ');
        std::string word = blank == std::string::npos ? rest : rest.substr(0, blank + 1);
        rest = blank == std::string::npos ? std::string() : rest.substr(blank + 1);
        if (canvas.TextWidth(pending + word) > limit) {
            if (!pending.empty()) {
                canvas.TextRect(box, x, y, pending);
                y += h;
            }
            pending = word;
            if (pending.back() != ' ')
                pending += ' ';
        } else {
            pending += word;
            if (pending.back() != ' ')
                pending += ' ';
        }
    }
    if (!pending.empty() && h > 0 && y + h <= bottom)
        canvas.TextRect(box, x, y, pending);
    canvas.Brush.Style = oldBrush;
    canvas.TextAlign = oldAlign;
}

} // namespace

TImageObj::TImageObj(TSectionList* document, TAttributeList& attrs, int32_t position)
    : Document(document) {
    CharPos = position;
    bool hspace = false;
    for (const TAttribute& a : attrs) {
        switch (a.Sym) {
        case SrcSym:
            Source = Trim(a.Str);
            break;
        case AltSym:
            Alt = a.Str;
            break;
        case AlignSym:
            ApplyAlignAttribute(a.Str);
            break;
        case BorderSym:
            NoBorder = a.Value == 0;
            BorderAttr = std::clamp(a.Value, 0, 100);
            break;
        case WidthSym:
            if (a.Str.find('%') != std::string::npos) {
                if (a.Value >= 1 && a.Value <= 100) {
                    SpecWidth = a.Value;
                    PercentWidth = true;
                }
            } else {
                SpecWidth = HoldSize(a.Value);
                PercentWidth = false;
            }
            break;
        case HeightSym:
            SpecHeight = std::max(1, HoldSize(a.Value));
            break;
        case HSpaceSym:
            SpaceLeft = SpaceRight = SpaceValue(a.Value);
            hspace = true;
            break;
        case VSpaceSym:
            SpaceTop = SpaceBottom = SpaceValue(a.Value);
            break;
        case TranspSym:
            Transparency = LLCorner;
            break;
        case IsMapSym:
            IsMap = true;
            break;
        case ActiveSym:
            Active = true;
            break;
        case UseMapSym: {
            HasUseMap = true;
            std::string name = UpperCase(Trim(a.Str));
            if (name.size() > 1 && name[0] == '#')
                name.erase(0, 1);
            UseMapName = name;
            break;
        }
        case IdSym:
            if (document != nullptr && !a.Str.empty())
                document->NamedPositions.AddObject(a.Str, this);
            break;
        default:
            break;
        }
    }
    if (!hspace && Floats())
        SpaceLeft = SpaceRight = 3;
}

TImageObj::TImageObj(TSectionList* document, const std::string& address) : Document(document) {
    ObjAlign = oaBottom;
    NoBorder = true;
    Source = Trim(address);
}

TImageObj::~TImageObj() {
    ReleasePicture();
    if (Document != nullptr) {
        auto& anims = Document->Animations;
        anims.erase(std::remove(anims.begin(), anims.end(), this), anims.end());
        if (Document->HoverImage == this)
            Document->HoverImage = nullptr;
    }
}

void TImageObj::ReleasePicture() {
    if (Document != nullptr) {
        // A pending entry must not outlive its waiting object.
        TStringList& pending = Document->PendingImages;
        for (int i = pending.Count() - 1; i >= 0; --i)
            if (pending.Objects(i) == this)
                pending.Delete(i);
        if (!cacheKey_.empty() && Document->BitmapList != nullptr)
            Document->BitmapList->DecUsage(cacheKey_);
    }
    cacheKey_.clear();
    ownItem_.reset();
    gif_.reset();
    stillCopy_.reset();
    paletteCopy_.reset();
    bitmap_ = nullptr;
    mask_ = nullptr;
    kind_ = pkNone;
}

void TImageObj::ApplyStyle(const TProperties& props) {
    AlignKind align = akNone;
    TVerticalAlign va;
    if (props.GetVerticalAlign(va)) {
        Raise = 0;
        switch (va.Kind) {
        case vaBaseline:
            ObjAlign = oaBaseline;
            break;
        case vaSub:
            ObjAlign = oaSub;
            break;
        case vaSuper:
            ObjAlign = oaSuper;
            break;
        case vaTop:
            ObjAlign = oaLineTop;
            break;
        case vaTextTop:
            ObjAlign = oaTop;
            break;
        case vaMiddle:
            ObjAlign = oaMiddle;
            break;
        case vaBottom:
            ObjAlign = oaLineBottom;
            break;
        case vaTextBottom:
            ObjAlign = oaTextBottom;
            break;
        case vaRaise:
            ObjAlign = oaRaise;
            Raise = va.Raise;
            break;
        }
    }
    {
        // Border widths and styles as blocks convert them; colours stay NoColor where the
        // text colour is to stand in.
        TBoxArray b{};
        ConvertBox(props.GetBoxValues(), 200, 0, props.EmHeight, props.ExHeight, b);
        std::array<TColor, 4> colors{};
        props.GetBorderColors(colors);
        for (int i = 0; i < 4; ++i) {
            const size_t k = static_cast<size_t>(i);
            const int32_t style = b[piBorderTopStyle + i];
            StyleBorder.Style[k] = style > bdNone && style <= bdOutset
                                       ? static_cast<BorderStyleKind>(style)
                                   : style != 0 ? bdSolid
                                                : bdNone;
            StyleBorder.Width[k] =
                StyleBorder.Style[k] == bdNone ? 0 : std::clamp(b[piBorderTopWidth + i], 0, 100);
            StyleBorder.Color[k] = colors[k];
        }
    }
    if (props.GetFloat(align) && (align == akLeft || align == akRight)) {
        ObjAlign = ObjAlignOf(align);
        if (SpaceRight == 0)
            SpaceLeft = SpaceRight = 3;
    }
    TBoxArray m{};
    ConvertInlineBox(props.GetBoxValues(), 200, props.EmHeight, props.ExHeight, m);
    auto margin = [&](int index, int32_t& space) {
        if (m[index] != NullLength && m[index] != AutoLength)
            space = std::clamp<int32_t>(m[index], 0, 1000);
    };
    margin(piMarginTop, SpaceTop);
    margin(piMarginRight, SpaceRight);
    margin(piMarginBottom, SpaceBottom);
    margin(piMarginLeft, SpaceLeft);
    if (m[piWidth] != NullLength) {
        SpecWidth = m[piWidth] == AutoLength ? 0 : HoldSize(m[piWidth]);
        PercentWidth = false;
    }
    if (m[piHeight] != NullLength)
        SpecHeight = m[piHeight] == AutoLength ? 0 : HoldSize(m[piHeight]);
}

void TImageObj::TakePicture(TBitmapItem* item, bool fromCache) {
    const std::string key = UpperCase(Trim(Source));
    TStringBitmapList* cache = Document->BitmapList;
    if (cache != nullptr && cache->IndexOfObject(item) >= 0)
        cacheKey_ = key;
    else if (!fromCache)
        ownItem_.reset(item); // the cache did not take it: this image keeps it
    if (item->Gif) {
        if (item->Gif->Animated()) {
            // Each use animates by itself: the image owns a copy.
            gif_ = item->Gif->Copy();
            if (!gif_) {
                kind_ = pkNone;
                return;
            }
            if (Active) {
                gif_->SetAnimate(false);
            } else if (std::find(Document->Animations.begin(), Document->Animations.end(), this) ==
                       Document->Animations.end()) {
                Document->Animations.push_back(this);
            }
            kind_ = pkPicture;
            return;
        }
        // A still GIF left in the cache as a GIF: use its first frame.
        stillCopy_ = item->Gif->StillBitmap();
        bitmap_ = stillCopy_.get();
        if (bitmap_ == nullptr) {
            kind_ = pkNone;
            return;
        }
        mask_ = item->Gif->Frame(1).Mask.get() != nullptr &&
                        item->Gif->Frame(1).Mask->Width() == bitmap_->Width() &&
                        item->Gif->Frame(1).Mask->Height() == bitmap_->Height()
                    ? item->Gif->Frame(1).Mask.get()
                    : nullptr;
        if (mask_ != nullptr)
            Transparency = TGif;
        kind_ = pkPicture;
        return;
    }
    bitmap_ = item->Bitmap.get();
    mask_ = item->Mask.get();
    kind_ = bitmap_ != nullptr && !bitmap_->Empty() ? pkPicture : pkNone;
}

const TBitmap* TImageObj::Bitmap() const {
    return kind_ == pkPicture && !gif_ ? bitmap_ : nullptr;
}

const TBitmap* TImageObj::ShownBitmap() const {
    if (Document != nullptr && !Document->ImagesOn)
        return StockBitmap(sbDefault);
    switch (kind_) {
    case pkPicture:
        return bitmap_;
    case pkWaiting:
        return StockBitmap(sbDefault);
    case pkError:
        return StockBitmap(sbError);
    default:
        return nullptr;
    }
}

void TImageObj::FetchAndSize(TSectionList* document, TCanvas& canvas, int32_t availWidth,
                             TFontObj* run) {
    if (document != nullptr)
        Document = document;
    TSectionList* doc = Document;
    if (doc == nullptr)
        return;
    if (doc->ImagesOn && kind_ == pkNone) {
        bool wait = false;
        if (!Source.empty()) {
            if (!expanded_) {
                // Once: a picture fetched again later has its full name.
                std::string name = Source;
                if (!doc->OnBitmapRequest && !doc->OnImageRequest) {
                    if (doc->HtmlExpandFilename)
                        name = doc->HtmlExpandFilename(name);
                } else if (doc->OnExpandName) {
                    std::string expanded = name;
                    doc->OnExpandName(doc->Viewer, name, expanded);
                    name = expanded;
                }
                Source = name;
                expanded_ = true;
            }
            const std::string key = UpperCase(Trim(Source));
            if (doc->PendingImages.IndexOf(key) >= 0) {
                wait = true;
            } else {
                bool fromCache = false;
                TTransparency transp = Transparency;
                TBitmapItem* item = doc->FetchImage(Source, transp, wait, fromCache);
                if (item != nullptr) {
                    Transparency = transp;
                    TakePicture(item, fromCache);
                }
            }
        }
        if (kind_ == pkNone) {
            if (wait) {
                kind_ = pkWaiting;
                doc->PendingImages.AddObject(UpperCase(Trim(Source)), this);
            } else {
                kind_ = pkError;
                mask_ = StockBitmap(sbErrorMask);
                Transparency = LLCorner;
            }
        }
    }

    const bool standIn = !doc->ImagesOn || kind_ != pkPicture;
    int32_t naturalW = 0, naturalH = 0;
    if (gif_ && doc->ImagesOn) {
        naturalW = gif_->Width();
        naturalH = gif_->Height();
    } else if (const TBitmap* b = ShownBitmap()) {
        naturalW = b->Width();
        naturalH = b->Height();
    }
    // A picture's own pixels are CSS pixels: under zoom it is drawn that much larger.
    if (doc->Zoom != 1 && naturalW > 0 && naturalH > 0) {
        naturalW = HoldSize(std::llround(naturalW * doc->Zoom));
        naturalH = HoldSize(std::llround(naturalH * doc->Zoom));
    }

    if (!SizeKnown) {
        if (standIn && !PercentWidth) {
            if (SpecHeight > 0 && SpecWidth > 0) {
                ObjWidth = SpecWidth;
                ObjHeight = SpecHeight;
                SizeKnown = true;
            } else {
                // Not settled: the real size is taken when the picture comes.
                ObjWidth = naturalW;
                ObjHeight = naturalH;
            }
        } else if (PercentWidth) {
            // Follows the column at every layout.
            ObjWidth = HoldSize(static_cast<int64_t>(std::max(availWidth, 0)) * SpecWidth / 100);
            ObjHeight = SpecHeight > 0 ? SpecHeight : naturalH;
        } else {
            if (SpecWidth > 0 && SpecHeight > 0) {
                ObjWidth = SpecWidth;
                ObjHeight = SpecHeight;
            } else if (SpecHeight > 0) {
                ObjHeight = SpecHeight;
                ObjWidth = naturalH > 0
                               ? HoldSize(static_cast<int64_t>(SpecHeight) * naturalW / naturalH)
                               : naturalW;
            } else if (SpecWidth > 0) {
                ObjWidth = SpecWidth;
                ObjHeight = naturalW > 0
                                ? HoldSize(static_cast<int64_t>(SpecWidth) * naturalH / naturalW)
                                : naturalH;
            } else {
                ObjWidth = naturalW;
                ObjHeight = naturalH;
            }
            SizeKnown = true;
        }
        if (standIn && !SizeKnown) {
            // The stand-in box holds the ALT text.
            const auto face = AltFont().Resolve();
            const int32_t altW = Alt.empty() ? 24 : face->TextWidth(Alt) + 2 + 24;
            const int32_t altH = Alt.empty() ? 0 : face->Metrics().Height;
            ObjWidth = std::max(ObjWidth, HoldSize(altW));
            ObjHeight = std::max(ObjHeight, std::max(24, altH));
        }
    }
    (void)canvas;

    ImageWidth = ObjWidth;
    ImageHeight = ObjHeight;
    // A border from style wins; else BORDER=n draws n pixels, and an image in a link without
    // BORDER=0 is framed by one pixel.
    Frame = TBorderSides{};
    const bool inLink = run != nullptr && run->IsLink();
    LinkBorder = false;
    if (StyleBorder.Width[0] + StyleBorder.Width[1] + StyleBorder.Width[2] + StyleBorder.Width[3] >
        0) {
        Frame = StyleBorder;
    } else if (BorderAttr > 0 || (inLink && !NoBorder)) {
        const int32_t w = BorderAttr > 0 ? BorderAttr : 1;
        Frame.Width = {w, w, w, w};
        Frame.Style = {bdSolid, bdSolid, bdSolid, bdSolid};
        Frame.Color = {NoColor, NoColor, NoColor, NoColor};
        LinkBorder = inLink;
    }
    ImageWidth = HoldSize(int64_t{ImageWidth} + FrameX());
    ImageHeight = HoldSize(int64_t{ImageHeight} + FrameY());
}

void TImageObj::DrawPicture(TCanvas& canvas, int32_t x, int32_t y, bool placeholder) {
    if (Document == nullptr)
        return;
    try {
        if (gif_ && !placeholder) {
            Drawn = true;
            TGifBackground bg;
            bg.Image = Document->BackgroundBitmap;
            bg.Color = ColorToRGB(Document->Background);
            bg.ScrollY = Document->ScrollTop;
            gif_->Draw(canvas, x, y, ObjWidth, ObjHeight, &bg);
            return;
        }
        const TBitmap* bmp = ShownBitmap();
        if (bmp == nullptr || bmp->Empty())
            return;
        const TCopyMode oldMode = canvas.CopyMode;
        canvas.CopyMode = cmSrcCopy;
        const bool error = kind_ == pkError && Document->ImagesOn;
        const TBitmap* mask = error ? StockBitmap(sbErrorMask) : mask_;
        if (mask != nullptr && (error || (Transparency != NotTransp && !placeholder))) {
            if (error)
                DrawTransparent(canvas, *bmp, *mask, x, y, bmp->Width(), bmp->Height());
            else
                DrawTransparent(canvas, *bmp, *mask, x, y, ObjWidth, ObjHeight);
        } else if (placeholder) {
            canvas.Draw(x, y, *bmp);
        } else {
            canvas.StretchDraw(Bounds(x, y, ObjWidth, ObjHeight), *bmp);
        }
        canvas.CopyMode = oldMode;
    } catch (...) {
        // A picture that fails to draw leaves its place empty.
    }
}

void TImageObj::DrawInLine(TCanvas& canvas, int32_t x, TFontObj* run, int32_t baseline,
                           int32_t top) {
    const int32_t scroll = Document != nullptr ? Document->ScrollTop : 0;
    baseline -= scroll;
    top -= scroll;
    const bool placeholder = Document == nullptr || !Document->ImagesOn || kind_ != pkPicture;

    DrawX = x;
    switch (ObjAlign) {
    case oaTop:
    case oaLeft:
    case oaRight:
        DrawY = top + SpaceTop;
        break;
    case oaMiddle: {
        const int32_t descent = run != nullptr ? run->DescentPx : 0;
        const int32_t cell = run != nullptr ? run->CellHeight : 0;
        DrawY = baseline + descent - cell / 2 - (ImageHeight + SpaceBottom - SpaceTop) / 2;
        break;
    }
    case oaLineTop:
        DrawY = LineTopY - scroll + SpaceTop;
        break;
    case oaLineBottom:
        DrawY = LineBottomY - scroll - ImageHeight - SpaceBottom;
        break;
    default: {
        int32_t raise = 0;
        if (ObjAlign == oaSub)
            raise = run != nullptr ? -(run->DescentPx / 2 + 1) : 0;
        else if (ObjAlign == oaSuper)
            raise = run != nullptr ? run->LineHeight / 3 : 0;
        else if (ObjAlign == oaTextBottom)
            raise = run != nullptr ? -run->DescentPx : 0;
        else if (ObjAlign == oaRaise)
            raise = Raise;
        DrawY = baseline - raise - ImageHeight - SpaceBottom;
        break;
    }
    }
    const TRect frameBox = Bounds(DrawX, DrawY, ImageWidth, ImageHeight);
    DrawX += Frame.Width[3];
    DrawY += Frame.Width[0];
    const int32_t y = DrawY;

    if (!placeholder)
        DrawPicture(canvas, DrawX, y, false);
    else if (ObjWidth >= 24 && ObjHeight >= 24)
        DrawPicture(canvas, DrawX + 4, y + 4, true);
    DrawY = y + scroll;

    const TFont oldFont = canvas.Font;
    const TPen oldPen = canvas.Pen;
    const TBrush oldBrush = canvas.Brush;
    const bool framed = Frame.Any() || FrameX() + FrameY() > 0;
    if (placeholder && !framed) {
        const TColor textColor = canvas.Font.Color;
        canvas.Font = AltFont();
        canvas.Font.Color = textColor;
        DrawAltText(canvas, DrawX + 24, y, DrawX + ObjWidth, y + ObjHeight, Alt);
        // A sunken frame around the box.
        const TRect box = Bounds(DrawX, y, ObjWidth, ObjHeight);
        canvas.Pen.Color = clBtnShadow;
        canvas.Pen.Width = 1;
        canvas.Pen.Style = psSolid;
        canvas.MoveTo(box.Left, box.Bottom - 1);
        canvas.LineTo(box.Left, box.Top);
        canvas.LineTo(box.Right - 1, box.Top);
        canvas.Pen.Color = clBtnHighlight;
        canvas.LineTo(box.Right - 1, box.Bottom - 1);
        canvas.LineTo(box.Left, box.Bottom - 1);
    } else if (framed) {
        // The frame takes the run's colour: the link colour in a link, else the text colour.
        const TColor color = run != nullptr ? ColorToRGB(run->ActiveFont->Color) : clBlack;
        if (placeholder) {
            canvas.Font = AltFont();
            canvas.Font.Color = color;
            DrawAltText(canvas, DrawX + 24, y, DrawX + ObjWidth, y + ObjHeight, Alt);
        }
        TBorderSides sides = Frame;
        for (TColor& c : sides.Color)
            if (c == NoColor)
                c = color;
        PaintBorders(canvas, frameBox, sides, canvas.ClipRect());
    }
    canvas.Font = oldFont;
    canvas.Pen = oldPen;
    canvas.Brush = oldBrush;
}

const TBitmap* TImageObj::TileBitmap() {
    if (kind_ != pkPicture)
        return nullptr;
    if (gif_)
        return gif_->Composition();
    if (bitmap_ == nullptr)
        return nullptr;
    const TPalette* shared = ThePalette();
    if (shared == nullptr)
        return bitmap_; // deep displays need no palette of their own
    if (!paletteCopy_) {
        auto copy = bitmap_->Clone();
        if (copy->PixelFormat() == pf8bit)
            copy->Palette() = *shared;
        paletteCopy_ = std::move(copy);
    }
    return paletteCopy_.get();
}

const TBitmap* TImageObj::TileMask() const {
    if (kind_ != pkPicture)
        return nullptr;
    if (gif_)
        return gif_->CompositionMask();
    return mask_;
}

void TImageObj::SetHover(bool value) {
    if (value == Hovered || !Active || !gif_)
        return;
    Hovered = value;
    auto& anims = Document->Animations;
    if (value) {
        if (gif_->NumFrames() == 2) {
            gif_->SetCurrentFrame(2);
        } else {
            gif_->SetAnimate(true);
            if (std::find(anims.begin(), anims.end(), this) == anims.end())
                anims.push_back(this);
        }
    } else {
        gif_->SetAnimate(false);
        gif_->SetCurrentFrame(1);
        anims.erase(std::remove(anims.begin(), anims.end(), this), anims.end());
    }
}
