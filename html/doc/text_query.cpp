// What the viewer asks a text section: the link or object under a point, the caret position,
// found text, source positions, characters, the selected text, and the layout dump.
#include <algorithm>

#include "html/doc/dump.h"
#include "html/doc/form_kinds.h"
#include "html/doc/length_sum.h"
#include "html/doc/section_list.h"
#include "html/doc/text_section.h"
#include "html/reader/map_item.h"
#include "platform/base/strings.h"
#include "platform/graphics/font.h"

int32_t TSection::PositionInLine(const LineRec& line, int32_t dx, int32_t& charX,
                                 int32_t& charWidth) const {
    const int32_t len = TextLen();
    const int32_t end = std::min(len, line.LineStart + line.CharCount);
    // As drawing places them: advances added in 1/64 pixel along the line, each character from
    // the pixel nearest the pen before it to the one nearest the pen after it.
    int64_t x64 = 0;
    auto pixel = [](int64_t v64) { return (v64 + 32) >> 6; };
    int32_t i = line.LineStart;
    int32_t spaces = 0; // spaces passed, for the share of a justified line's room
    while (i < end) {
        const char32_t c = TextBuf[static_cast<size_t>(i)];
        int64_t w64 = 0;
        if (IsObjectCode(c)) {
            w64 = int64_t{ObjectWidth(i)} * 64;
        } else if (c != BreakCode) {
            const TFontObj* run = FontRuns.RunAt(i);
            if (run != nullptr)
                w64 = CharAdvance64(*run, c);
            if (c == ' ' && line.Gaps > 0) {
                ++spaces;
                w64 += int64_t{line.JustifyBefore(spaces) - line.JustifyBefore(spaces - 1)} * 64;
            }
        }
        const int64_t left = pixel(x64), right = pixel(x64 + w64);
        if (dx < right) {
            charX = ClampLength(left);
            charWidth = ClampLength(right - left);
            return i;
        }
        x64 += w64;
        ++i;
    }
    charX = ClampLength(pixel(x64));
    charWidth = 0;
    return end;
}

int32_t TSection::LineOfPosition(int32_t pos) const {
    int found = -1;
    for (size_t n = 0; n < Lines.size(); ++n) {
        if (Lines[n].CharCount == 0)
            continue;
        if (Lines[n].LineStart <= pos)
            found = static_cast<int>(n);
        else
            break;
    }
    return found;
}

bool TSection::FindLink(TCanvas& /*canvas*/, int32_t x, int32_t y, TUrlTarget& target,
                        TImageFormControlObj*& formControl) {
    TImageObj* image = nullptr;
    TMapItem* map = nullptr;
    bool usesMap = false, isMap = false;
    int32_t pos = 0, xi = 0, yi = 0;
    if (InlineObjects.ImageAt(Document, x, y, image, map, usesMap, isMap, pos, xi, yi)) {
        Document->HoverImage = image;
        if (image->FormControl != nullptr) {
            image->FormControl->HoverX = xi;
            image->FormControl->HoverY = yi;
            formControl = image->FormControl;
            return true;
        }
        if (usesMap) {
            std::unique_ptr<TUrlTarget> link;
            if (map->FindLink(xi, yi, link) && link) {
                target.Copy(*link);
                return true;
            }
            return false;
        }
        TFontObj* run = FontRuns.RunAt(pos);
        if (run != nullptr && run->IsLink()) {
            target.Copy(run->Target);
            if (isMap)
                target.URL += "?" + IntToStr(xi) + "," + IntToStr(yi);
            Document->HoverLink = run->Origin != nullptr ? run->Origin : run;
            return true;
        }
        return false;
    }

    for (const LineRec& line : Lines) {
        if (line.CharCount == 0 || y < line.DrawY || y >= line.DrawY + line.Height())
            continue;
        if (x < line.DrawX)
            return false;
        int32_t cx = 0, cw = 0;
        const int32_t i = PositionInLine(line, x - line.DrawX, cx, cw);
        if (i >= line.LineStart + line.CharCount)
            return false;
        const char32_t c = TextBuf[static_cast<size_t>(i)];
        if (c == ImageCode || c == NoBreakImageCode)
            return false;
        TFontObj* run = FontRuns.RunAt(i);
        if (run == nullptr || !run->IsLink())
            return false;
        target.Copy(run->Target);
        Document->HoverLink = run->Origin != nullptr ? run->Origin : run;
        return true;
    }
    return false;
}

bool TSection::ObjectAt(int32_t x, int32_t y, TObject*& obj, int32_t& xInside, int32_t& yInside) {
    return InlineObjects.ObjectAt(x, y, obj, xInside, yInside);
}

int32_t TSection::FindCursor(TCanvas& /*canvas*/, int32_t x, int32_t y, int32_t& caretX,
                             int32_t& caretY, int32_t& caretHeight, bool& inText) {
    if (x < drawXSection_)
        return -1;
    for (const LineRec& line : Lines) {
        if (line.CharCount == 0 || y < line.DrawY || y >= line.DrawY + line.Height())
            continue;
        if (x > line.DrawX + line.DrawWidth)
            return -1;
        caretY = line.DrawY + line.SpaceBefore;
        caretHeight = line.TextHeight;
        if (x < line.DrawX) {
            inText = false;
            caretX = line.DrawX;
            return FirstChar + line.LineStart;
        }
        int32_t cx = 0, cw = 0;
        int32_t i = PositionInLine(line, x - line.DrawX, cx, cw);
        if (cw > 0 && x - line.DrawX > cx + cw / 2) {
            // Past the middle of the character: the caret goes after it.
            ++i;
            cx += cw;
        }
        inText = x - line.DrawX < line.TextWidth;
        caretX = line.DrawX + cx;
        return FirstChar + i;
    }
    return -1;
}

int32_t TSection::FindText(int32_t from, const std::string& text, bool matchCase) {
    const int32_t len = TextLen();
    if (text.empty())
        return -1;
    const int32_t start = std::max(0, from - FirstChar);
    if (start >= len)
        return -1;
    std::u32string wanted = Utf8ToU32(text);
    std::replace(wanted.begin(), wanted.end(), NbspCode, U' ');
    if (!matchCase)
        for (char32_t& c : wanted)
            c = LowerChar(c);
    const auto same = [&](char32_t c, char32_t w) {
        if (c == NbspCode)
            c = ' '; // drawn and copied as a space, so found as one
        return (matchCase ? c : LowerChar(c)) == w;
    };
    const size_t n = wanted.size();
    for (size_t p = static_cast<size_t>(start); p + n <= TextBuf.size(); ++p) {
        size_t k = 0;
        while (k < n && same(TextBuf[p + k], wanted[k]))
            ++k;
        if (k == n)
            return FirstChar + static_cast<int32_t>(p);
    }
    return -1;
}

int32_t TSection::ToSourcePos(int32_t docIndex) {
    const int32_t i = docIndex - FirstChar;
    if (i < 0 || i >= TextLen())
        return -1;
    if (!SourcePos.empty())
        return static_cast<size_t>(i) < SourcePos.size() ? SourcePos[static_cast<size_t>(i)] : -1;
    auto it = std::upper_bound(IndexRuns.begin(), IndexRuns.end(), i,
                               [](int32_t p, const IndexObj& r) { return p < r.Pos; });
    if (it == IndexRuns.begin())
        return -1;
    --it;
    return it->SourcePos + (i - it->Pos);
}

int32_t TSection::FromSourcePos(int32_t sourcePos, bool backwards) {
    const int32_t len = TextLen();
    if (IndexRuns.empty() || len == 0)
        return -1;
    // Each run covers buffer positions [Pos, next Pos) with consecutive source positions.
    int32_t best = -1, bestSource = 0;
    for (size_t k = 0; k < IndexRuns.size(); ++k) {
        const IndexObj& r = IndexRuns[k];
        const int32_t runEnd = k + 1 < IndexRuns.size() ? IndexRuns[k + 1].Pos : len;
        const int32_t count = runEnd - r.Pos;
        if (count <= 0)
            continue;
        const int32_t lastSource = r.SourcePos + count - 1;
        if (backwards) {
            if (r.SourcePos > sourcePos)
                continue;
            const int32_t src = std::min(sourcePos, lastSource);
            if (best < 0 || src > bestSource) {
                best = r.Pos + (src - r.SourcePos);
                bestSource = src;
            }
        } else {
            if (lastSource < sourcePos)
                continue;
            const int32_t src = std::max(sourcePos, r.SourcePos);
            if (best < 0 || src < bestSource) {
                best = r.Pos + (src - r.SourcePos);
                bestSource = src;
            }
        }
    }
    return best < 0 ? -1 : FirstChar + best;
}

bool TSection::CaretPoint(TCanvas& /*canvas*/, int32_t index, int32_t& x, int32_t& y) {
    const int32_t i = index - FirstChar;
    if (i < 0 || i > TextLen())
        return false;
    const int n = LineOfPosition(i);
    if (n < 0)
        return false;
    const LineRec& line = Lines[static_cast<size_t>(n)];
    x = line.DrawX + XInLine(line, i);
    y = line.DrawY;
    return true;
}

bool TSection::CharAt(int32_t index, char32_t& ch, TSectionBase*& section) {
    const int32_t i = index - FirstChar;
    if (i < 0 || i >= TextLen())
        return false;
    ch = TextBuf[static_cast<size_t>(i)];
    if (ch == NbspCode)
        ch = ' ';
    section = this;
    return true;
}

void TSection::CopySelection() {
    const int32_t selStart = Document->SelectionStart - FirstChar;
    const int32_t selEnd = Document->SelectionEnd - FirstChar;
    if (selEnd <= selStart)
        return;
    std::string& out = Document->ClipBuffer;
    for (const LineRec& line : Lines) {
        const int32_t start = line.LineStart;
        const int32_t end = start + line.CharCount;
        if (line.CharCount == 0 || end <= selStart || start >= selEnd)
            continue;
        if (selStart <= start)
            out.append(static_cast<size_t>(3 * std::max(0, line.LineIndent / 35)), ' ');
        for (int32_t i = std::max(start, selStart); i < std::min(end, selEnd); ++i) {
            const char32_t c = TextBuf[static_cast<size_t>(i)];
            if (IsObjectCode(c) || c == BreakCode)
                continue;
            AppendUtf8(out, c == NbspCode ? U' ' : c);
        }
        if (selEnd >= end)
            out += "\r\n";
    }
}

void TSection::Dump(TDumpWriter& out, int depth) const {
    out.Box(depth, KindName(), layoutX_, LayoutY, maxWidth_, FlowHeight);
    for (const LineRec& line : Lines) {
        std::u32string text =
            TextBuf.substr(static_cast<size_t>(std::min(line.LineStart, TextLen())),
                           static_cast<size_t>(line.CharCount));
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        out.Line(depth + 1, layoutX_ + line.LineIndent, line.LineY, line.TextWidth, line.Height(),
                 text);
        // The form controls of the line with their sizes, in line order.
        const int32_t end = std::min(line.LineStart + line.CharCount, TextLen());
        for (int32_t i = std::max(line.LineStart, 0); i < end; ++i) {
            const char32_t c = TextBuf[static_cast<size_t>(i)];
            if (c != ControlCode && c != NoBreakControlCode)
                continue;
            if (const TFormControlObj* ctl = ControlAtPos(i))
                out.Note(depth + 2, "control " + ctl->DumpKind() + " w=" + IntToStr(ctl->Width()) +
                                        " h=" + IntToStr(ctl->Height()));
        }
    }
}
