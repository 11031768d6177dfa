// Painting a text section: the visible lines run by run with selection colours, sub- and
// superscripts and the caret; inline objects in the line; floats at their places. Images are
// handed to the document's deferred draws so they lie above every section's background.
#include <algorithm>
#include <climits>
#include <vector>

#include "html/doc/indent_manager.h"
#include "html/doc/letter_obj.h"
#include "html/doc/section_list.h"
#include "html/doc/text_section.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/font.h"

namespace {

// Near-white text would vanish on paper.
TColor PrintableColor(TColor c) {
    if ((GetRValue(c) & 0xE0) == 0xE0 && (GetGValue(c) & 0xE0) == 0xE0)
        return RGB(0xA0, 0xA0, 0xA0);
    return c;
}

// A decoration line across a stretch.
void Bar(TCanvas& canvas, int32_t x0, int32_t x1, int32_t top, int32_t thickness, TColor color) {
    const TBrush saved = canvas.Brush;
    canvas.Brush.Style = bsSolid;
    canvas.Brush.Color = color;
    canvas.FillRect(Rect(x0, top, x1, top + std::max(1, thickness)));
    canvas.Brush = saved;
}

} // namespace

void TSection::DrawFloats(TCanvas& canvas, const TRect& clip, IndentManager& indents) {
    const int32_t scroll = Document->ScrollTop;
    for (const auto& o : InlineObjects) {
        TFloatingObj* obj = o.get();
        if (!obj->Floats() || !obj->Placed)
            continue;
        const int32_t top = obj->FloatY - scroll;
        if (top + obj->FullHeight() <= clip.Top || top >= clip.Bottom)
            continue;
        const int32_t x = indents.LeftEdge + obj->FloatX;
        if (auto* image = dynamic_cast<TImageObj*>(obj)) {
            TFontObj* run = FontRuns.RunAt(obj->CharPos);
            if (Document->DeferredImages)
                Document->DeferredImages->AddImage(image, &canvas, x, obj->FloatY, obj->FloatY,
                                                   run);
            else
                image->DrawInLine(canvas, x, run, obj->FloatY, obj->FloatY);
        } else if (auto* panel = dynamic_cast<TPanelObj*>(obj)) {
            panel->PlaceAt(canvas, x, top + obj->SpaceTop);
        } else if (const auto* letter = dynamic_cast<const TLetterObj*>(obj)) {
            letter->Draw(canvas, x, top + obj->SpaceTop);
        }
    }
}

// What the pieces of one line's painting share: where the line sits, the selection and caret,
// and the pen, which moves from stretch to stretch in 1/64 pixel.
struct TSection::LinePaint {
    LinePaint(TCanvas& canvas, LineRec& line) : Canvas(canvas), Line(line) {}

    TCanvas& Canvas;
    LineRec& Line;
    int32_t Y = 0;        // document y of the line's top
    int32_t Scroll = 0;   // the document's ScrollTop
    int32_t Bottom = 0;   // window y of the text's bottom (the line less its space after)
    int32_t Baseline = 0; // window y
    bool Selecting = false;
    int32_t SelStart = 0, SelEnd = 0; // buffer positions
    bool Caret = false;
    int32_t CaretPos = 0;
    // The pen in 1/64 pixel: text advances are added as layout adds them (TextWidth), so runs
    // and selection pieces land where the line was measured; x is the pixel nearest the pen.
    int64_t X64 = 0;
    int32_t Spaces = 0;            // spaces drawn so far, for a justified line's shares
    std::vector<int64_t> Advances; // per character in 1/64 pixel, for spaced or justified text

    int32_t PenX() const { return static_cast<int32_t>((X64 + 32) >> 6); }
};

void TSection::DrawLine(TCanvas& canvas, LineRec& line, int32_t x, int32_t y) {
    LinePaint paint(canvas, line);
    paint.Y = y;
    paint.Scroll = Document->ScrollTop;
    paint.Bottom = y - paint.Scroll + line.SpaceBefore + line.TextHeight;
    paint.Baseline = paint.Bottom - line.Descent;
    paint.Selecting = !Document->Printing && Document->SelectionEnd > Document->SelectionStart;
    paint.SelStart = Document->SelectionStart - FirstChar;
    paint.SelEnd = Document->SelectionEnd - FirstChar;
    paint.Caret = Document->ShowCaret && Document->SelectionStart == Document->SelectionEnd;
    paint.CaretPos = Document->SelectionEnd - FirstChar;
    paint.X64 = int64_t{x} * 64;

    int32_t end = line.LineStart + line.CharCount;
    while (end > line.LineStart && (TextBuf[static_cast<size_t>(end - 1)] == ' ' ||
                                    TextBuf[static_cast<size_t>(end - 1)] == BreakCode))
        --end; // trailing blanks are not drawn

    const TFont oldFont = canvas.Font;
    const TBrush oldBrush = canvas.Brush;
    const TPen oldPen = canvas.Pen;
    const TTextAlign oldAlign = canvas.TextAlign;
    canvas.TextAlign = taBaseline;
    int32_t i = line.LineStart;
    while (i < end) {
        const char32_t c = TextBuf[static_cast<size_t>(i)];
        if (c == BreakCode) {
            ++i;
        } else if (IsObjectCode(c)) {
            DrawLineObject(paint, i);
            ++i;
        } else {
            i = DrawStretch(paint, i, end);
        }
    }
    canvas.Font = oldFont;
    canvas.Brush = oldBrush;
    canvas.Pen = oldPen;
    canvas.TextAlign = oldAlign;
}

void TSection::DrawLineObject(LinePaint& paint, int32_t pos) {
    const char32_t c = TextBuf[static_cast<size_t>(pos)];
    TFontObj* run = FontRuns.RunAt(pos);
    const int32_t x = paint.PenX();
    if (c == ImageCode || c == NoBreakImageCode) {
        TFloatingObj* obj = ObjectAtPos(pos);
        if (obj == nullptr || obj->Floats())
            return; // a float is drawn at its place, not in the line
        DrawInlineObject(paint, *obj, run, x + obj->SpaceLeft);
        paint.X64 += int64_t{obj->FullWidth()} * 64;
    } else if (TFormControlObj* ctl = ControlAtPos(pos)) {
        DrawInlineControl(paint, *ctl, run, x + ctl->SpaceLeft);
        paint.X64 += int64_t{ctl->Width() + ctl->SpaceLeft + ctl->SpaceRight} * 64;
    }
}

void TSection::DrawInlineObject(LinePaint& paint, TFloatingObj& obj, TFontObj* run, int32_t x) {
    const LineRec& line = paint.Line;
    if (auto* image = dynamic_cast<TImageObj*>(&obj)) {
        const int32_t top = paint.Bottom - line.TextHeight + paint.Scroll;
        const int32_t base = paint.Bottom - line.Descent + paint.Scroll;
        image->LineTopY = paint.Y;
        image->LineBottomY = paint.Y + line.Height();
        if (Document->DeferredImages)
            Document->DeferredImages->AddImage(image, &paint.Canvas, x, top, base, run);
        else
            image->DrawInLine(paint.Canvas, x, run, base, top);
    } else if (auto* panel = dynamic_cast<TPanelObj*>(&obj)) {
        const int32_t h = panel->ImageHeight;
        const int32_t cell = run != nullptr ? run->CellHeight : line.TextHeight;
        int32_t py = paint.Bottom - h - line.Descent;
        if (obj.ObjAlign == oaTop)
            py = paint.Bottom - line.TextHeight;
        else if (obj.ObjAlign == oaMiddle)
            py = paint.Bottom - cell / 2 - h / 2;
        panel->PlaceAt(paint.Canvas, x, py);
    }
}

void TSection::DrawInlineControl(LinePaint& paint, TFormControlObj& ctl, TFontObj* run, int32_t x) {
    const int32_t h = ctl.Height();
    const int32_t bottom = paint.Bottom;
    int32_t cy = bottom - h;
    switch (ctl.VAlign) {
    case oaTop:
        cy = bottom - paint.Line.TextHeight;
        break;
    case oaMiddle:
        cy = bottom - (paint.Line.TextHeight + h) / 2;
        break;
    case oaBaseline:
        cy = bottom - h - paint.Line.Descent;
        break;
    default:
        break;
    }
    const TColor back = run != nullptr && run->ActiveFont->BackColor != NoColor
                            ? run->ActiveFont->BackColor
                            : Document->Background;
    ctl.DrawAt(paint.Canvas, x, cy, back);
}

int32_t TSection::DrawStretch(LinePaint& paint, int32_t start, int32_t end) {
    // A stretch in one font, up to the next object, break, run end or line end.
    TFontObj* run = FontRuns.RunAt(start);
    int32_t j = std::min<int64_t>(end, static_cast<int64_t>(start) +
                                           FontRuns.CharsToNextFont(start, TextLen()));
    int32_t k = start;
    while (k < j && !IsObjectCode(TextBuf[static_cast<size_t>(k)]) &&
           TextBuf[static_cast<size_t>(k)] != BreakCode)
        ++k;
    j = std::max(k, start + 1);
    if (run == nullptr)
        return j;
    if (paint.Caret && paint.CaretPos == start) {
        const int32_t x = paint.PenX();
        paint.Canvas.Brush.Style = bsSolid;
        paint.Canvas.Brush.Color = ColorToRGB(run->ActiveFont->Color);
        paint.Canvas.FillRect(Rect(x, paint.Bottom - paint.Line.TextHeight, x + 1, paint.Bottom));
    }
    // Split at the selection's ends.
    int32_t a = start;
    while (a < j) {
        const bool selected = paint.Selecting && a >= paint.SelStart && a < paint.SelEnd;
        int32_t b = j;
        if (paint.Selecting) {
            if (selected)
                b = std::min(j, paint.SelEnd);
            else if (paint.SelStart > a)
                b = std::min(j, paint.SelStart);
        }
        DrawTextPiece(paint, *run, a, b, selected);
        a = b;
    }
    return j;
}

void TSection::SetPieceColors(TCanvas& canvas, const TMyFont& font, bool selected) const {
    canvas.Font = font;
    TColor color = ColorToRGB(font.Color);
    if (Document->Printing)
        color = PrintableColor(color);
    if (selected) {
        canvas.Brush.Style = bsSolid;
        canvas.Brush.Color = color;
        canvas.Font.Color =
            ColorToRGB(font.BackColor != NoColor ? font.BackColor : Document->Background);
    } else if (font.BackColor == NoColor) {
        canvas.Brush.Style = bsClear;
        canvas.Font.Color = color;
    } else {
        canvas.Brush.Style = bsSolid;
        canvas.Brush.Color = ColorToRGB(font.BackColor);
        canvas.Font.Color = color;
    }
}

int64_t TSection::SpacedAdvances(LinePaint& paint, const TFontObj& run, int32_t a, size_t count) {
    paint.Advances.resize(count);
    int64_t sum64 = 0;
    for (size_t k = 0; k < count; ++k) {
        const char32_t ch = TextBuf[static_cast<size_t>(a) + k];
        int64_t adv64 = CharAdvance64(run, ch);
        if (ch == ' ' && paint.Line.Gaps > 0) {
            ++paint.Spaces;
            adv64 += int64_t{paint.Line.JustifyBefore(paint.Spaces) -
                             paint.Line.JustifyBefore(paint.Spaces - 1)} *
                     64;
        }
        paint.Advances[k] = adv64;
        sum64 += adv64;
    }
    return sum64;
}

void TSection::DrawTextPiece(LinePaint& paint, const TFontObj& run, int32_t a, int32_t b,
                             bool selected) {
    TCanvas& canvas = paint.Canvas;
    const LineRec& line = paint.Line;
    const TResolvedFont& face = run.Face();
    std::u32string text = TextBuf.substr(static_cast<size_t>(a), static_cast<size_t>(b - a));
    std::replace(text.begin(), text.end(), NbspCode, U' ');
    const int64_t w64 = face.TextAdvance64(text) - int64_t{run.OverhangPx} * 64;
    // The width with letter and word spacing and a justified line's shares.
    int64_t wide64 = w64;
    const bool spaced = run.Spaced() || line.Gaps > 0;
    if (spaced)
        wide64 = SpacedAdvances(paint, run, a, text.size()) - int64_t{run.OverhangPx} * 64;

    const TMyFont& font = *run.ActiveFont;
    SetPieceColors(canvas, font, selected);
    const int64_t tx64 = paint.X64 - int64_t{run.OverhangPx} * 32;
    const int32_t tx = PixelsFrom64(tx64);
    const int32_t wide = PixelsFrom64(tx64 + wide64) - tx;
    const int32_t base = paint.Baseline + RunShift(run, line);
    const int32_t lineTop = paint.Y - paint.Scroll;
    const TColor ink = canvas.Font.Color;
    if (spaced) {
        // Spaced or justified: each character at its own x, the background and the lines
        // drawn across the whole stretch, gaps included.
        const TRect box =
            Rect(tx, base - face.Metrics().Ascent, tx + wide, base + face.Metrics().Descent);
        if (canvas.Brush.Style == bsSolid)
            canvas.FillRect(box);
        canvas.Brush.Style = bsClear;
        canvas.Font.Underline = canvas.Font.StrikeOut = false;
        int64_t cx64 = tx64;
        for (size_t k = 0; k < text.size(); ++k) {
            const std::u32string_view one(&text[k], 1);
            if (NoWrap())
                canvas.TextRect64(Rect(PixelsFrom64(cx64), lineTop,
                                       PixelsFrom64(cx64 + paint.Advances[k]) + run.OverhangPx,
                                       lineTop + line.Height()),
                                  cx64, base, one);
            else
                canvas.TextOut64(cx64, base, one);
            cx64 += paint.Advances[k];
        }
        if (font.Underline)
            Bar(canvas, tx, tx + wide, base + face.UnderlineOffset(), face.UnderlineThickness(),
                ink);
        if (font.StrikeOut)
            Bar(canvas, tx, tx + wide, base + face.StrikeOutOffset(), face.StrikeOutThickness(),
                ink);
    } else if (NoWrap()) {
        const int64_t right64 = tx64 + w64 + int64_t{run.OverhangPx} * 64;
        const TRect lineBox = Rect(tx, lineTop, PixelsFrom64(right64), lineTop + line.Height());
        canvas.TextRect64(lineBox, tx64, base, text);
    } else {
        canvas.TextOut64(tx64, base, text);
    }
    if (font.Overline)
        Bar(canvas, tx, tx + wide, base - face.Metrics().Ascent, face.UnderlineThickness(), ink);
    paint.X64 += wide64;
}

int32_t TSection::DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents, int32_t x,
                              int32_t /*refX*/, int32_t /*refY*/) {
    drawXSection_ = x;
    const int32_t scroll = Document->ScrollTop;
    const bool visible = MayPaintInto(clip, scroll);
    if (visible)
        DrawFloats(canvas, clip, indents);
    // A line is drawn when its ink may reach into the clip, glyphs taller than the line and
    // raised text included, so a line cut by a band's edge is whole in both bands.
    const int64_t reach = InkOverflow == kInkUnbounded ? INT32_MAX : InkOverflow;
    int32_t y = LayoutY;
    for (LineRec& line : Lines) {
        // Hit tests answer for the picture last painted, so every line records its place.
        line.DrawX = x + line.LineIndent;
        line.DrawY = y;
        const int64_t top = int64_t{y} - scroll;
        const int32_t h = std::max(line.Height(), line.ImageHeight);
        if (visible && line.CharCount > 0 && top + h + reach > clip.Top &&
            top - reach < clip.Bottom)
            DrawLine(canvas, line, line.DrawX, y);
        y += line.Height();
    }
    return LayoutY + FlowHeight;
}
