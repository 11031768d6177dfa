// Painting a text section: the visible lines run by run with selection colours, sub- and
// superscripts and the caret; inline objects in the line; floats at their places. Images are
// handed to the document's deferred draws so they lie above every section's background.
#include <algorithm>
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

void TSection::DrawLine(TCanvas& canvas, LineRec& line, int32_t x, int32_t y) {
    const int32_t scroll = Document->ScrollTop;
    const int32_t bottom = y - scroll + line.SpaceBefore + line.TextHeight; // B, window y
    const int32_t baseline = bottom - line.Descent;
    int32_t end = line.LineStart + line.CharCount;
    while (end > line.LineStart && (TextBuf[static_cast<size_t>(end - 1)] == ' ' ||
                                    TextBuf[static_cast<size_t>(end - 1)] == BreakCode))
        --end; // trailing blanks are not drawn

    const bool selecting = !Document->Printing && Document->SelectionEnd > Document->SelectionStart;
    const int32_t selStart = Document->SelectionStart - FirstChar;
    const int32_t selEnd = Document->SelectionEnd - FirstChar;
    const bool caret = Document->ShowCaret && Document->SelectionStart == Document->SelectionEnd;
    const int32_t caretPos = Document->SelectionEnd - FirstChar;

    const TFont oldFont = canvas.Font;
    const TBrush oldBrush = canvas.Brush;
    const TPen oldPen = canvas.Pen;
    const TTextAlign oldAlign = canvas.TextAlign;
    canvas.TextAlign = taBaseline;

    // The pen in 1/64 pixel: text advances are added as layout adds them (TextWidth), so runs
    // and selection pieces land where the line was measured; x is the pixel nearest the pen.
    int64_t x64 = int64_t{x} * 64;
    const int32_t len = TextLen();
    int32_t i = line.LineStart;
    int32_t spaces = 0;            // spaces drawn so far, for a justified line's shares
    std::vector<int64_t> advances; // per character in 1/64 pixel, for spaced or justified text
    while (i < end) {
        x = static_cast<int32_t>((x64 + 32) >> 6);
        const char32_t c = TextBuf[static_cast<size_t>(i)];
        if (c == BreakCode) {
            ++i;
            continue;
        }
        if (IsObjectCode(c)) {
            TFontObj* run = FontRuns.RunAt(i);
            if (c == ImageCode || c == NoBreakImageCode) {
                TFloatingObj* obj = ObjectAtPos(i);
                if (obj != nullptr && !obj->Floats()) {
                    const int32_t ox = x + obj->SpaceLeft;
                    if (auto* image = dynamic_cast<TImageObj*>(obj)) {
                        const int32_t top = bottom - line.TextHeight + scroll;
                        const int32_t base = bottom - line.Descent + scroll;
                        image->LineTopY = y;
                        image->LineBottomY = y + line.Height();
                        if (Document->DeferredImages)
                            Document->DeferredImages->AddImage(image, &canvas, ox, top, base, run);
                        else
                            image->DrawInLine(canvas, ox, run, base, top);
                    } else if (auto* panel = dynamic_cast<TPanelObj*>(obj)) {
                        const int32_t h = panel->ImageHeight;
                        const int32_t cell = run != nullptr ? run->CellHeight : line.TextHeight;
                        int32_t py = bottom - h - line.Descent;
                        if (obj->ObjAlign == 1)
                            py = bottom - line.TextHeight;
                        else if (obj->ObjAlign == 2)
                            py = bottom - cell / 2 - h / 2;
                        panel->PlaceAt(canvas, ox, py);
                    }
                    x64 += int64_t{obj->FullWidth()} * 64;
                }
            } else if (TFormControlObj* ctl = ControlAtPos(i)) {
                const int32_t h = ctl->Height();
                int32_t cy = bottom - h;
                switch (ctl->VAlign) {
                case 1:
                    cy = bottom - line.TextHeight;
                    break;
                case 2:
                    cy = bottom - (line.TextHeight + h) / 2;
                    break;
                case 3:
                    cy = bottom - h - line.Descent;
                    break;
                default:
                    break;
                }
                const TColor back = run != nullptr && run->ActiveFont->BackColor != NoColor
                                        ? run->ActiveFont->BackColor
                                        : Document->Background;
                ctl->DrawAt(canvas, x + ctl->SpaceLeft, cy, back);
                x64 += int64_t{ctl->Width() + ctl->SpaceLeft + ctl->SpaceRight} * 64;
            }
            ++i;
            continue;
        }

        // A stretch in one font, up to the next object, break, run end or line end.
        TFontObj* run = FontRuns.RunAt(i);
        int32_t j =
            std::min<int64_t>(end, static_cast<int64_t>(i) + FontRuns.CharsToNextFont(i, len));
        int32_t k = i;
        while (k < j && !IsObjectCode(TextBuf[static_cast<size_t>(k)]) &&
               TextBuf[static_cast<size_t>(k)] != BreakCode)
            ++k;
        j = std::max(k, i + 1);
        if (run == nullptr) {
            i = j;
            continue;
        }
        if (caret && caretPos == i) {
            canvas.Brush.Style = bsSolid;
            canvas.Brush.Color = ColorToRGB(run->ActiveFont->Color);
            canvas.FillRect(Rect(x, bottom - line.TextHeight, x + 1, bottom));
        }
        const TResolvedFont& face = run->Face();
        const int32_t shift = RunShift(*run, line);
        // Split at the selection's ends.
        int32_t a = i;
        while (a < j) {
            bool selected = selecting && a >= selStart && a < selEnd;
            int32_t b = j;
            if (selecting) {
                if (selected)
                    b = std::min(j, selEnd);
                else if (selStart > a)
                    b = std::min(j, selStart);
            }
            std::u32string text =
                TextBuf.substr(static_cast<size_t>(a), static_cast<size_t>(b - a));
            std::replace(text.begin(), text.end(), NbspCode, U' ');
            const int64_t w64 = face.TextAdvance64(text) - int64_t{run->OverhangPx} * 64;
            // The width with letter and word spacing and a justified line's shares.
            int64_t wide64 = w64;
            const bool spaced = run->Spaced() || line.Gaps > 0;
            if (spaced) {
                advances.resize(text.size());
                int64_t sum64 = 0;
                for (size_t k = 0; k < text.size(); ++k) {
                    const char32_t ch = TextBuf[static_cast<size_t>(a) + k];
                    int64_t adv64 = CharAdvance64(*run, ch);
                    if (ch == ' ' && line.Gaps > 0) {
                        ++spaces;
                        adv64 +=
                            int64_t{line.JustifyBefore(spaces) - line.JustifyBefore(spaces - 1)} *
                            64;
                    }
                    advances[k] = adv64;
                    sum64 += adv64;
                }
                wide64 = sum64 - int64_t{run->OverhangPx} * 64;
            }

            const TMyFont& font = *run->ActiveFont;
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
            const int64_t tx64 = x64 - int64_t{run->OverhangPx} * 32;
            const int32_t tx = PixelsFrom64(tx64);
            const int32_t wide = PixelsFrom64(tx64 + wide64) - tx;
            const int32_t base = baseline + shift;
            const TColor ink = canvas.Font.Color;
            if (spaced) {
                // Spaced or justified: each character at its own x, the background and the
                // lines drawn across the whole stretch, gaps included.
                const TRect box = Rect(tx, base - face.Metrics().Ascent, tx + wide,
                                       base + face.Metrics().Descent);
                if (canvas.Brush.Style == bsSolid)
                    canvas.FillRect(box);
                canvas.Brush.Style = bsClear;
                canvas.Font.Underline = canvas.Font.StrikeOut = false;
                int64_t cx64 = tx64;
                for (size_t k = 0; k < text.size(); ++k) {
                    const std::u32string_view one(&text[k], 1);
                    if (NoWrap())
                        canvas.TextRect64(Rect(PixelsFrom64(cx64), y - scroll,
                                               PixelsFrom64(cx64 + advances[k]) + run->OverhangPx,
                                               y - scroll + line.Height()),
                                          cx64, base, one);
                    else
                        canvas.TextOut64(cx64, base, one);
                    cx64 += advances[k];
                }
                if (font.Underline)
                    Bar(canvas, tx, tx + wide, base + face.UnderlineOffset(),
                        face.UnderlineThickness(), ink);
                if (font.StrikeOut)
                    Bar(canvas, tx, tx + wide, base + face.StrikeOutOffset(),
                        face.StrikeOutThickness(), ink);
            } else if (NoWrap()) {
                const int64_t right64 = tx64 + w64 + int64_t{run->OverhangPx} * 64;
                const TRect lineBox =
                    Rect(tx, y - scroll, PixelsFrom64(right64), y - scroll + line.Height());
                canvas.TextRect64(lineBox, tx64, base, text);
            } else {
                canvas.TextOut64(tx64, base, text);
            }
            if (font.Overline)
                Bar(canvas, tx, tx + wide, base - face.Metrics().Ascent, face.UnderlineThickness(),
                    ink);
            x64 += wide64;
            a = b;
        }
        i = j;
    }

    canvas.Font = oldFont;
    canvas.Brush = oldBrush;
    canvas.Pen = oldPen;
    canvas.TextAlign = oldAlign;
}

int32_t TSection::DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents, int32_t x,
                              int32_t /*refX*/, int32_t /*refY*/) {
    drawXSection_ = x;
    const int32_t scroll = Document->ScrollTop;
    const bool visible = !(PaintBottom - scroll <= clip.Top || PaintTop - scroll >= clip.Bottom);
    if (visible)
        DrawFloats(canvas, clip, indents);
    int32_t y = LayoutY;
    for (LineRec& line : Lines) {
        // Hit tests answer for the picture last painted, so every line records its place.
        line.DrawX = x + line.LineIndent;
        line.DrawY = y;
        const int32_t top = y - scroll;
        const int32_t h = std::max(line.Height(), line.ImageHeight);
        if (visible && line.CharCount > 0 && top + h > clip.Top && top < clip.Bottom)
            DrawLine(canvas, line, line.DrawX, y);
        y += line.Height();
    }
    return LayoutY + FlowHeight;
}
