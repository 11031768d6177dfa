// Text layout: measuring stretches of a section, fitting lines between the indents of the
// cell (floating images narrow them), finishing lines with their heights and alignment, and
// the minimum and maximum widths tables ask for.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>

#include "html/doc/indent_manager.h"
#include "html/doc/length_sum.h"
#include "html/doc/section_list.h"
#include "html/doc/text_section.h"
#include "html/style/properties.h"
#include "platform/graphics/font.h"

namespace {

// 1/64 pixel to the nearest whole pixel (an arithmetic shift floors, for negatives too).
int64_t Pixels64(int64_t v) {
    return (v + 32) >> 6;
}

// The longest piece of a run FitCount measures at once.
constexpr int32_t kStretchPiece = 512;

bool IsStretchEnd(char32_t c) {
    return IsObjectCode(c) || c == BreakCode;
}

// Scripts written without spaces between words: a line may break between any two of their
// characters.
bool IsIdeographic(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || // Hangul leading jamo
           (c >= 0x2E80 && c <= 0x2FFF) || // CJK radicals, Kangxi, description characters
           (c >= 0x3040 && c <= 0x31FF) || // kana, bopomofo, Hangul compatibility jamo
           (c >= 0x3400 && c <= 0x4DBF) || // CJK extension A
           (c >= 0x4E00 && c <= 0x9FFF) || // CJK unified ideographs
           (c >= 0xA960 && c <= 0xA97F) || // Hangul jamo extended-A
           (c >= 0xAC00 && c <= 0xD7AF) || // Hangul syllables
           (c >= 0xF900 && c <= 0xFAFF) || // CJK compatibility ideographs
           (c >= 0x20000 && c <= 0x3FFFF); // the supplementary ideographic planes
}

// Characters that never start a line (closing marks, small kana) and that never end one
// (opening marks), as Japanese and Chinese typesetting keeps them.
bool NoBreakBefore(char32_t c) {
    static constexpr std::u32string_view kClosing =
        U"\u3001\u3002\uFF0C\uFF0E\uFF1A\uFF1B\uFF1F\uFF01\u30FC\u3005\u309D\u309E\u30FD"
        U"\u30FE\u3009\u300B\u300D\u300F\u3011\u3015\u3017\u3019\u301B\u301E\uFF09\uFF3D"
        U"\uFF5D\uFF60\u3063\u3041\u3043\u3045\u3047\u3049\u3083\u3085\u3087\u308E\u30C3"
        U"\u30A1\u30A3\u30A5\u30A7\u30A9\u30E3\u30E5\u30E7\u30EE\u30F5\u30F6"
        U"\u2019\u201D\u2026";
    return kClosing.find(c) != std::u32string_view::npos;
}
bool NoBreakAfter(char32_t c) {
    static constexpr std::u32string_view kOpening =
        U"\u3008\u300A\u300C\u300E\u3010\u3014\u3016\u3018\u301A\u301D\uFF08\uFF3B\uFF5B"
        U"\uFF5F\u2018\u201C";
    return kOpening.find(c) != std::u32string_view::npos;
}

} // namespace

bool TSection::IdeographicBreak(char32_t before, char32_t after) {
    if (!IsIdeographic(before) && !IsIdeographic(after))
        return false;
    // Beside spaces, buffer codes and ASCII punctuation the usual rules hold.
    if ((before < 0x80 && !std::isalnum(static_cast<int>(before))) ||
        (after < 0x80 && !std::isalnum(static_cast<int>(after))))
        return false;
    return !NoBreakBefore(after) && !NoBreakAfter(before) && before != NbspCode &&
           after != NbspCode;
}

namespace {} // namespace

// Floats placed while fitting one line: those placed at once (nothing else was in the line)
// and those queued to be placed below the line.
struct TSection::FitState {
    std::vector<TFloatingObj*> Queued;
    int32_t FloatBottom = 0; // lowest bottom of the floats placed at once
};

int32_t TSection::ObjectWidth(int32_t pos) const {
    const char32_t c = TextBuf[static_cast<size_t>(pos)];
    if (c == ImageCode || c == NoBreakImageCode) {
        const TFloatingObj* obj = ObjectAtPos(pos);
        return obj != nullptr && !obj->Floats() ? obj->FullWidth() : 0;
    }
    if (c == ControlCode || c == NoBreakControlCode) {
        const TFormControlObj* ctl = ControlAtPos(pos);
        return ctl != nullptr
                   ? ClampLength(int64_t{ctl->Width()} + ctl->SpaceLeft + ctl->SpaceRight)
                   : 0;
    }
    return 0;
}

int32_t TSection::TextWidth(int32_t start, int32_t count, bool trim) const {
    const int32_t len = TextLen();
    start = std::clamp(start, 0, len);
    int32_t end =
        static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(start) + count, start, len));
    if (trim)
        while (end - start > 1 && (TextBuf[static_cast<size_t>(end - 1)] == ' ' ||
                                   TextBuf[static_cast<size_t>(end - 1)] == BreakCode))
            --end;
    // In 1/64 pixel, rounded once at the end: runs and pieces of a line measure as they draw.
    int64_t width64 = 0;
    int32_t i = start;
    while (i < end) {
        const char32_t c = TextBuf[static_cast<size_t>(i)];
        if (IsObjectCode(c)) {
            width64 += int64_t{ObjectWidth(i)} * 64;
            ++i;
            continue;
        }
        if (c == BreakCode) {
            ++i;
            continue;
        }
        int runIndex = 0;
        TFontObj* run = FontRuns.RunAt(i, runIndex);
        int32_t j =
            std::min<int64_t>(end, static_cast<int64_t>(i) + FontRuns.CharsToNextFont(i, len));
        int32_t k = i;
        while (k < j && !IsStretchEnd(TextBuf[static_cast<size_t>(k)]))
            ++k;
        j = std::max(k, i + 1);
        if (run != nullptr)
            width64 +=
                StretchWidth64(*run, std::u32string_view(TextBuf).substr(
                                         static_cast<size_t>(i), static_cast<size_t>(j - i))) -
                int64_t{run->OverhangPx} * 64;
        i = j;
    }
    return ClampLength(Pixels64(width64));
}

void TSection::PlaceFloat(TFloatingObj& obj, int32_t y, IndentManager& indents) {
    indents.AddObjectFloat(y, obj);
    obj.FloatX = obj.DrawX;
    obj.FloatY = y;
    obj.Placed = true;
}

namespace {
int64_t SpacingOf(const TFontObj& run, std::u32string_view s) {
    int64_t extra = static_cast<int64_t>(run.LetterSpacing) * static_cast<int64_t>(s.size());
    if (run.WordSpacing != 0)
        for (char32_t c : s)
            if (c == ' ' || c == NbspCode)
                extra += run.WordSpacing;
    return extra;
}
} // namespace

int64_t TSection::StretchWidth64(const TFontObj& run, std::u32string_view s) {
    const int64_t w64 = run.Face().TextAdvance64(s);
    return run.Spaced() ? w64 + SpacingOf(run, s) * 64 : w64;
}

int64_t TSection::CharAdvance64(const TFontObj& run, char32_t c) {
    int64_t w64 = run.Face().CharAdvance64(c) + int64_t{run.LetterSpacing} * 64;
    if (c == ' ' || c == NbspCode)
        w64 += int64_t{run.WordSpacing} * 64;
    return w64;
}

int TSection::StretchFit64(const TFontObj& run, std::u32string_view s, int64_t room64) {
    if (!run.Spaced())
        return run.Face().FitCount64(s, room64);
    int64_t sum64 = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        sum64 += CharAdvance64(run, s[i]);
        if (sum64 > room64)
            return static_cast<int>(i);
    }
    return static_cast<int>(s.size());
}

int32_t TSection::XInLine(const LineRec& line, int32_t pos) const {
    int32_t x = TextWidth(line.LineStart, pos - line.LineStart, false);
    if (line.Gaps > 0) {
        int32_t spaces = 0;
        for (int32_t i = line.LineStart; i < pos && i < TextLen(); ++i)
            spaces += TextBuf[static_cast<size_t>(i)] == ' ';
        x = ClampLength(int64_t{x} + line.JustifyBefore(spaces));
    }
    return x;
}

int32_t TSection::FitCount(int32_t start, int32_t maxCount, int32_t y, IndentManager& indents,
                           FitState& state) {
    const int64_t avail = NoWrap() ? 32000
                                   : static_cast<int64_t>(indents.RightLimit(y)) -
                                         indents.LeftLimit(y) - (start == 0 ? indentPx_ : 0);
    const int32_t len = TextLen();
    const int32_t end = std::min(len, start + maxCount);
    // What is on the line so far, in 1/64 pixel as TextWidth adds it; it fits while it rounds
    // to at most avail.
    const int64_t avail64 = avail * 64 + 31;
    int64_t sum64 = 0;
    bool placed = false; // something other than a float is on the line
    int32_t i = start;
    while (i < end) {
        const char32_t c = TextBuf[static_cast<size_t>(i)];
        if (c == BreakCode)
            return i + 1 - start; // the line ends after the first break
        if (IsObjectCode(c)) {
            TFloatingObj* obj = c == ImageCode || c == NoBreakImageCode ? ObjectAtPos(i) : nullptr;
            if (obj != nullptr && obj->Floats()) {
                if (!placed) {
                    if (!obj->Placed) {
                        PlaceFloat(*obj, y, indents);
                        state.FloatBottom = std::max(state.FloatBottom,
                                                     ClampLength(int64_t{y} + obj->FullHeight()));
                        sum64 += int64_t{obj->FullWidth()} * 64;
                    }
                } else if (!obj->Placed) {
                    state.Queued.push_back(obj);
                }
                ++i;
                continue;
            }
            sum64 += int64_t{ObjectWidth(i)} * 64;
            placed = true;
            if (sum64 > avail64)
                break;
            ++i;
            continue;
        }
        // A text stretch in one font, up to the next object, break or run end. Advances add up
        // exactly, so a long run is measured in pieces: a line never looks further ahead than
        // one piece past what fits.
        int32_t j = static_cast<int32_t>(std::min<int64_t>(
            {static_cast<int64_t>(end), static_cast<int64_t>(i) + FontRuns.CharsToNextFont(i, len),
             static_cast<int64_t>(i) + kStretchPiece}));
        int32_t k = i;
        while (k < j && !IsStretchEnd(TextBuf[static_cast<size_t>(k)]))
            ++k;
        j = std::max(k, i + 1);
        TFontObj* run = FontRuns.RunAt(i);
        const std::u32string_view stretch =
            std::u32string_view(TextBuf).substr(static_cast<size_t>(i), static_cast<size_t>(j - i));
        placed = true;
        if (run == nullptr) {
            i = j;
            continue;
        }
        const int64_t room64 = avail64 - sum64 + int64_t{run->OverhangPx} * 64;
        const int fit = StretchFit64(*run, stretch, room64);
        if (fit < j - i) {
            i += fit;
            break;
        }
        sum64 += StretchWidth64(*run, stretch) - int64_t{run->OverhangPx} * 64;
        i = j;
    }
    return i - start;
}

int32_t TSection::RunShift(const TFontObj& run, const LineRec& line) {
    // Heights and raises come from style sheets: every difference is held in range.
    const int32_t ascent = ClampLength(int64_t{run.LineHeight} - run.DescentPx);
    const int32_t lineAscent = ClampLength(int64_t{line.TextHeight} - line.Descent);
    if (run.VAlign == RunVAlign::None) {
        if (run.ScriptKind == 1)
            return run.DescentPx / 2 + 1;
        if (run.ScriptKind == 2)
            return -(run.LineHeight / 3);
        return 0;
    }
    switch (run.VAlign) {
    case RunVAlign::Sub:
        return run.DescentPx / 2 + 1;
    case RunVAlign::Super:
        return -(run.LineHeight / 3);
    case RunVAlign::Raise:
        return -run.VRaise;
    case RunVAlign::TextTop:
        return ClampLength(int64_t{ascent} - lineAscent);
    case RunVAlign::Top:
        return ClampLength(int64_t{ascent} - lineAscent - line.SpaceBefore);
    case RunVAlign::TextBottom:
        return ClampLength(int64_t{line.Descent} - run.DescentPx);
    case RunVAlign::Bottom:
        return ClampLength(int64_t{line.Descent} + line.SpaceAfter - run.DescentPx);
    case RunVAlign::Middle:
        return ClampLength((int64_t{ascent} - run.DescentPx) / 2 - lineAscent / 3);
    default:
        return 0;
    }
}

int32_t TSection::ObjectRaise(const TFloatingObj& obj, const TFontObj* run) {
    switch (obj.ObjAlign) {
    case oaSub:
        return run != nullptr ? -(run->DescentPx / 2 + 1) : 0;
    case oaSuper:
        return run != nullptr ? run->LineHeight / 3 : 0;
    case oaTextBottom:
        return run != nullptr ? -run->DescentPx : 0;
    case oaRaise:
        return obj.Raise;
    default:
        return 0;
    }
}

int32_t TSection::InkReach() const {
    // Text is drawn from its line's baseline, moved by its vertical alignment; a glyph reaches
    // at most its font's height beyond that, and twice that covers accents above the ascent.
    int64_t reach = 0;
    const auto runsReach = [&reach](const TFontList& runs) {
        for (int i = 0; i < runs.Count(); ++i) {
            const TFontObj& run = *runs[i];
            const int64_t height = std::max(run.LineHeight, run.CellHeight);
            reach = std::max(reach, 2 * height + std::abs(int64_t{run.VRaise}));
        }
    };
    runsReach(FontRuns);
    if (lineRuns_)
        runsReach(*lineRuns_);
    for (const auto& obj : InlineObjects)
        reach = std::max(reach, int64_t{obj->FullHeight()} + std::abs(int64_t{obj->Raise}));
    for (const TFormControlObj* ctl : Controls)
        reach = std::max<int64_t>(reach, ctl->Height());
    return ClampLength(reach);
}

LineRec TSection::FinishLine(int32_t start, int32_t count, int32_t x, int32_t y,
                             IndentManager& indents, bool last) {
    LineRec line;
    line.LineStart = start;
    line.CharCount = count;
    line.LineY = y;
    const int32_t end = start + count;

    // A line of pictures and nothing else (breaks and the blanks that end the line aside) is
    // as tall as its pictures: spacer images and sliced pictures join without gaps. Blanks
    // between two pictures are text and keep the line's text height.
    bool picturesOnly = false;
    {
        int32_t last = end;
        while (last > start && (TextBuf[static_cast<size_t>(last - 1)] == ' ' ||
                                TextBuf[static_cast<size_t>(last - 1)] == BreakCode))
            --last;
        bool anyPicture = false;
        bool other = false;
        for (int32_t i = start; i < last && !other; ++i) {
            const char32_t c = TextBuf[static_cast<size_t>(i)];
            if (c == ImageCode || c == NoBreakImageCode) {
                const TFloatingObj* obj = ObjectAtPos(i);
                if (obj != nullptr && !obj->Floats())
                    anyPicture = true;
            } else if (c != BreakCode) {
                other = true;
            }
        }
        picturesOnly = anyPicture && !other;
    }

    // Heights of the runs in the line; objects at its start do not bring their run's font.
    int32_t s = start;
    while (s < end && IsObjectCode(TextBuf[static_cast<size_t>(s)]))
        ++s;
    if (s == end)
        s = start;
    // Run by run through the positions, so a first line's version is asked where it shows.
    const int32_t len = TextLen();
    auto forEachRun = [&](auto&& visit) {
        for (int32_t p = s; p < std::max(end, s + 1) && p < len;) {
            const TFontObj* run = FontRuns.RunAt(p);
            if (run == nullptr)
                break;
            visit(*run);
            p += std::max(1, FontRuns.CharsToNextFont(p, len));
        }
    };
    if (!picturesOnly) {
        forEachRun([&line](const TFontObj& run) {
            line.TextHeight = std::max(line.TextHeight, run.LineHeight);
            line.Descent = std::max(line.Descent, run.DescentPx);
        });
        if (len == 0)
            if (const TFontObj* run = FontRuns.RunAt(0)) {
                line.TextHeight = run->LineHeight;
                line.Descent = run->DescentPx;
            }
    }
    const int32_t lineHeightPx =
        start == 0 && FontRuns.FirstLineEnd() > 0 ? lineHeightPx_ : LineHeightPx;
    if (!picturesOnly && lineHeightPx > line.TextHeight) {
        const int32_t d = ClampLength(int64_t{lineHeightPx} - line.TextHeight);
        line.SpaceBefore = d / 2;
        line.SpaceAfter = d - d / 2;
    }
    // Text raised or lowered by a fixed amount makes room for itself.
    if (!picturesOnly)
        forEachRun([&line](const TFontObj& run) {
            if (run.VAlign != RunVAlign::Sub && run.VAlign != RunVAlign::Super &&
                run.VAlign != RunVAlign::Raise)
                return;
            const int32_t shift = RunShift(run, line);
            const int32_t ascent = ClampLength(int64_t{run.LineHeight} - run.DescentPx);
            line.SpaceBefore =
                std::max(line.SpaceBefore, ClampLength(int64_t{ascent} - shift -
                                                       (int64_t{line.TextHeight} - line.Descent)));
            line.SpaceAfter = std::max(line.SpaceAfter,
                                       ClampLength(int64_t{run.DescentPx} + shift - line.Descent));
        });

    // Objects aligned to the top or bottom of the whole line are placed once the rest of the
    // line has its height.
    int32_t lineTopObject = 0, lineBottomObject = 0;
    for (int32_t i = start; i < end; ++i) {
        const char32_t c = TextBuf[static_cast<size_t>(i)];
        if (c == ImageCode || c == NoBreakImageCode) {
            TFloatingObj* obj = ObjectAtPos(i);
            if (obj == nullptr || obj->Floats())
                continue;
            const int32_t h = obj->FullHeight();
            const int32_t e = ClampLength(int64_t{h} - line.TextHeight);
            switch (obj->ObjAlign) {
            case oaTop:
                line.SpaceAfter = std::max(line.SpaceAfter, e);
                break;
            case oaMiddle:
                line.SpaceAfter = std::max(line.SpaceAfter, e / 2);
                line.SpaceBefore = std::max(line.SpaceBefore, e - e / 2);
                break;
            case oaLineTop:
                lineTopObject = std::max(lineTopObject, h);
                break;
            case oaLineBottom:
                lineBottomObject = std::max(lineBottomObject, h);
                break;
            default: {
                const int32_t raise = ObjectRaise(*obj, FontRuns.RunAt(i));
                line.SpaceBefore =
                    std::max(line.SpaceBefore,
                             ClampLength(int64_t{h} + raise + line.Descent - line.TextHeight));
                line.SpaceAfter =
                    std::max(line.SpaceAfter, ClampLength(-int64_t{raise} - line.Descent));
                break;
            }
            }
            obj->DrawY = y;
        } else if (c == ControlCode || c == NoBreakControlCode) {
            TFormControlObj* ctl = ControlAtPos(i);
            if (ctl == nullptr)
                continue;
            const int32_t h = ctl->Height();
            const int32_t e = ClampLength(int64_t{h} - line.TextHeight);
            switch (ctl->VAlign) {
            case oaTop:
                line.SpaceAfter = std::max(line.SpaceAfter, e);
                break;
            case oaMiddle:
                line.SpaceAfter = std::max(line.SpaceAfter, e / 2);
                line.SpaceBefore = std::max(line.SpaceBefore, ClampLength(int64_t{h} - e / 2));
                break;
            case oaBaseline:
                line.SpaceBefore = std::max(
                    line.SpaceBefore, ClampLength(int64_t{h} + line.Descent - line.TextHeight));
                break;
            default:
                line.SpaceBefore = std::max(line.SpaceBefore, e);
                break;
            }
            ctl->DocY = y;
        }
    }
    if (lineTopObject > line.Height())
        line.SpaceAfter =
            ClampLength(int64_t{line.SpaceAfter} + lineTopObject - int64_t{line.Height()});
    if (lineBottomObject > line.Height())
        line.SpaceBefore =
            ClampLength(int64_t{line.SpaceBefore} + lineBottomObject - int64_t{line.Height()});

    // The first line's text-indent moves its left edge, whatever the alignment.
    const int32_t left = ClampLength(int64_t{indents.LeftLimit(y)} + (start == 0 ? indentPx_ : 0));
    const int32_t right = indents.RightLimit(y);
    line.TextWidth = TextWidth(start, count, true);
    if (TextAlign == LineAlign::Justify && !last && !NoWrap()) {
        // Justified: the room left over is shared by the spaces between the words.
        int32_t end = start + count;
        while (end > start && (TextBuf[static_cast<size_t>(end - 1)] == ' ' ||
                               TextBuf[static_cast<size_t>(end - 1)] == BreakCode))
            --end;
        int32_t gaps = 0;
        for (int32_t i = start; i < end; ++i)
            gaps += TextBuf[static_cast<size_t>(i)] == ' ';
        const int64_t room = static_cast<int64_t>(right) - left - line.TextWidth;
        if (gaps > 0 && room > 0) {
            line.Gaps = gaps;
            line.Justify = ClampLength(room);
            line.TextWidth = ClampLength(line.TextWidth + room);
        }
    }
    switch (TextAlign) {
    case LineAlign::Center:
        line.LineIndent =
            ClampLength((static_cast<int64_t>(right) + left - line.TextWidth) / 2 - x);
        break;
    case LineAlign::Right:
        line.LineIndent = ClampLength(static_cast<int64_t>(right) - x - line.TextWidth);
        break;
    default:
        line.LineIndent = ClampLength(int64_t{left} - x);
        break;
    }
    line.DrawWidth = ClampLength(int64_t{right} - left);
    line.ImageHeight = line.Height();
    return line;
}

void TSection::SizeObjects(TCanvas& canvas, int32_t availWidth) {
    for (const auto& obj : InlineObjects)
        if (auto* image = dynamic_cast<TImageObj*>(obj.get()))
            image->FetchAndSize(Document, canvas, availWidth, FontRuns.RunAt(image->CharPos));
}

int32_t TSection::LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t /*refX*/, int32_t /*refY*/,
                         int32_t availWidth, int32_t /*availHeight*/, IndentManager& indents,
                         int32_t& neededWidth, int32_t& charIndex) {
    return LayOutText(canvas, x, y, availWidth, indents, neededWidth, charIndex);
}

int32_t TSection::LayOutText(TCanvas& canvas, int32_t x, int32_t y, int32_t availWidth,
                             IndentManager& indents, int32_t& neededWidth, int32_t& charIndex) {
    Lines.clear();
    layoutX_ = x;
    FirstChar = charIndex;
    ContentY = LayoutY = PaintTop = y;
    for (const auto& obj : InlineObjects)
        obj->Placed = false;
    SizeObjects(canvas, availWidth);
    indentPx_ = IndentPercent ? ClampLength(static_cast<int64_t>(TextIndent) * availWidth / 100)
                              : TextIndent;
    // A first line in its own style: the whole text shows its first-line version until the
    // first line is fitted, then only that line keeps it.
    const bool firstLineStyle = HasFirstLineStyle();
    if (firstLineStyle) {
        PrepareFirstLine();
        ShowFirstLine(lineLimit_);
    }

    int64_t widest = std::min<int64_t>(
        static_cast<int64_t>(indents.RightLimit(y)) - indents.LeftLimit(y), availWidth);
    for (const auto& obj : InlineObjects)
        widest = std::max<int64_t>(widest, obj->FullWidth());
    for (const TFormControlObj* ctl : Controls)
        widest =
            std::max<int64_t>(widest, int64_t{ctl->Width()} + ctl->SpaceLeft + ctl->SpaceRight);

    int32_t cy = y;
    int64_t total = 0;
    int32_t lowest = y; // lowest bottom of lines and floats
    auto emptyLine = [&](int32_t pos, int32_t height) {
        LineRec gap;
        gap.LineStart = pos;
        gap.LineY = cy;
        gap.SpaceBefore = height;
        gap.ImageHeight = height;
        gap.LineIndent = ClampLength(int64_t{indents.LeftLimit(cy)} - x);
        gap.DrawWidth = ClampLength(int64_t{indents.RightLimit(cy)} - indents.LeftLimit(cy));
        Lines.push_back(gap);
        cy = ClampLength(int64_t{cy} + height);
        total += height;
        lowest = std::max(lowest, cy);
    };

    if (ClearMode != ckNone) {
        int32_t left = 0, right = 0;
        indents.ClearLevels(left, right);
        int32_t level = ClearMode == ckLeft    ? left
                        : ClearMode == ckRight ? right
                                               : std::max(left, right);
        if (int64_t{level} - y > 0)
            emptyLine(0, ClampLength(int64_t{level} - y));
    }

    const int32_t len = TextLen();
    int32_t pos = 0;
    bool firstText = true;
    while (pos < len) {
        FitState state;
        const int32_t rest = len - pos;
        int32_t n = std::clamp(FitCount(pos, rest, cy, indents, state), 1, rest);
        bool overflow = false;
        if (n < rest) {
            const char32_t lastFit = TextBuf[static_cast<size_t>(pos + n - 1)];
            const char32_t next = TextBuf[static_cast<size_t>(pos + n)];
            if (lastFit == ' ' || lastFit == BreakCode || next == ' ') {
                // The word fits and only the space after it does not: the line ends after the
                // word, and the spaces that follow join it (they are not drawn).
                while (pos + n < len && TextBuf[static_cast<size_t>(pos + n)] == ' ')
                    ++n;
            } else if (next == ControlCode || next == ImageCode) {
                // Break before the object.
            } else {
                int32_t k = pos + n - 1;
                for (; k >= pos; --k) {
                    const char32_t c = TextBuf[static_cast<size_t>(k)];
                    if ((c == ' ' && k > pos) || c == ControlCode || c == ImageCode ||
                        BreaksBetween(k + 1))
                        break;
                }
                if (k >= pos) {
                    n = k - pos + 1;
                } else {
                    // The first word does not fit: take it whole, with the spaces after it.
                    int32_t j = pos + n;
                    while (j < len) {
                        const char32_t c = TextBuf[static_cast<size_t>(j)];
                        if (c == ' ' || c == ControlCode || c == ImageCode ||
                            (j > pos && BreaksBetween(j)))
                            break;
                        ++j;
                        if (c == BreakCode)
                            break;
                    }
                    while (j < len && TextBuf[static_cast<size_t>(j)] == ' ')
                        ++j;
                    const int32_t wider = indents.NextWiderY(cy);
                    if (!NoWrap() && wider > cy) {
                        // Floats end further down: try the word there.
                        emptyLine(pos, wider - cy);
                        continue;
                    }
                    n = j - pos;
                    overflow = true;
                }
            }
        }

        if (firstLineStyle && pos == 0)
            ShowFirstLine(n);
        const bool last = pos + n >= len || TextBuf[static_cast<size_t>(pos + n - 1)] == BreakCode;
        LineRec line = FinishLine(pos, n, x, cy, indents, last);
        const int32_t below = ClampLength(int64_t{cy} + line.Height());
        int32_t bottom = std::max(below, state.FloatBottom);
        for (TFloatingObj* obj : state.Queued) {
            if (obj->CharPos >= pos + n || obj->Placed)
                continue; // belongs to a later line
            PlaceFloat(*obj, below, indents);
            bottom = std::max(bottom, ClampLength(int64_t{below} + obj->FullHeight()));
        }
        line.ImageHeight = ClampLength(int64_t{bottom} - cy);
        if (overflow)
            widest =
                std::max<int64_t>(widest, static_cast<int64_t>(line.LineIndent) + line.TextWidth);
        if (firstText && Document != nullptr && Document->FirstLineBaseline != nullptr &&
            *Document->FirstLineBaseline == 0)
            *Document->FirstLineBaseline =
                ClampLength(int64_t{cy} + line.TextHeight + line.SpaceBefore - line.Descent);
        firstText = false;
        Lines.push_back(line);
        total += line.Height();
        cy = below;
        lowest = std::max(lowest, bottom);
        pos += n;
    }

    FlowHeight = ClampLength(total);
    PaintHeight = std::max(FlowHeight, ClampLength(int64_t{lowest} - y));
    FlowBottom = ClampLength(int64_t{y} + FlowHeight);
    PaintBottom = ClampLength(int64_t{y} + PaintHeight);
    InkOverflow = InkReach();
    // Painting skips sections outside the area it paints, and hit tests and the find command
    // read where lines were last drawn: every line starts with the place layout gives it.
    drawXSection_ = x;
    int32_t lineY = LayoutY;
    for (LineRec& line : Lines) {
        line.DrawX = x + line.LineIndent;
        line.DrawY = lineY;
        lineY += line.Height();
    }
    CharCount = len;
    charIndex += len;
    maxWidth_ = ClampLength(widest);
    neededWidth = maxWidth_;
    return FlowHeight;
}

// ------------------------------------------------------------------ widths

int32_t TSection::WidestLine() const {
    const int32_t len = TextLen();
    int32_t widest = 0;
    int32_t start = 0;
    for (int32_t i = 0; i <= len; ++i) {
        if (i == len || TextBuf[static_cast<size_t>(i)] == BreakCode) {
            if (i > start)
                widest = std::max(widest, TextWidth(start, i - start, true));
            start = i + 1;
        }
    }
    return widest;
}

void TSection::MinMaxWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth) {
    // A first line in its own style is measured in it up to the first line break, whatever
    // part of it the next layout puts on the first line.
    const int32_t shown = FontRuns.FirstLineEnd();
    const bool firstLineStyle = HasFirstLineStyle();
    if (firstLineStyle) {
        PrepareFirstLine();
        ShowFirstLine(lineLimit_);
    }
    MeasureWidths(canvas, minWidth, maxWidth);
    if (firstLineStyle)
        ShowFirstLine(shown);
}

void TSection::MeasureWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth) {
    SizeObjects(canvas, 0);
    int64_t floats = 0;
    int32_t widestObject = 0;
    for (const auto& obj : InlineObjects) {
        if (obj->Floats())
            floats += obj->FullWidth();
        else
            widestObject = std::max(widestObject, obj->FullWidth());
    }
    const int32_t len = TextLen();
    int32_t widestWord = 0;
    int32_t i = 0;
    while (i < len) {
        while (i < len && TextBuf[static_cast<size_t>(i)] == ' ')
            ++i;
        int32_t j = i;
        bool split = false; // the word ends where ideographs may break, not at a separator
        while (j < len) {
            const char32_t c = TextBuf[static_cast<size_t>(j)];
            if (c == ' ' || c == ImageCode || c == BreakCode)
                break;
            ++j;
            if ((c >= 0x1100 || (j < len && TextBuf[static_cast<size_t>(j)] >= 0x1100)) &&
                BreaksBetween(j)) {
                split = true;
                break;
            }
        }
        if (j > i)
            widestWord = std::max(widestWord, TextWidth(i, j - i, false));
        i = split ? j : j + 1;
    }
    minWidth = ClampLength(std::max<int64_t>({widestObject, widestWord, floats}));
    // A first line's indent (a length; a percentage follows the width) widens what it needs.
    maxWidth = ClampLength(floats + WidestLine() + (IndentPercent ? 0 : std::max(0, TextIndent)));
}

// ------------------------------------------------------------------ preformatted

void TPreFormated::MinMaxWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth) {
    if (TextLen() == 0) {
        minWidth = maxWidth = 0;
        return;
    }
    SizeObjects(canvas, 0);
    const int32_t shown = FontRuns.FirstLineEnd();
    const bool firstLineStyle = HasFirstLineStyle();
    if (firstLineStyle) {
        PrepareFirstLine();
        ShowFirstLine(lineLimit_);
    }
    maxWidth = WidestLine();
    minWidth = std::min(2000, maxWidth);
    if (firstLineStyle)
        ShowFirstLine(shown);
}

int32_t TPreFormated::LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t /*refX*/,
                             int32_t /*refY*/, int32_t availWidth, int32_t /*availHeight*/,
                             IndentManager& indents, int32_t& neededWidth, int32_t& charIndex) {
    if (TextLen() == 0) {
        Lines.clear();
        layoutX_ = x;
        FirstChar = charIndex;
        ContentY = LayoutY = PaintTop = y;
        // An empty line of a PRE is as high as a line of text in its font.
        const TFontObj* run = FontRuns.Last();
        const int32_t natural = run != nullptr ? run->LineHeight : std::abs(BaseFont.Height());
        FlowHeight = PaintHeight = std::max(natural, LineHeightPx);
        FlowBottom = PaintBottom = ClampLength(int64_t{y} + FlowHeight);
        InkOverflow = 0; // no line, nothing drawn
        CharCount = 0;
        neededWidth = 0;
        return FlowHeight;
    }
    const int32_t savedWidth = indents.Width;
    indents.Width = 32000;
    int32_t height = 0;
    try {
        height = LayOutText(canvas, x, y, availWidth, indents, neededWidth, charIndex);
    } catch (...) {
        indents.Width = savedWidth;
        throw;
    }
    indents.Width = savedWidth;
    int32_t minW = 0, maxW = 0;
    MinMaxWidths(canvas, minW, maxW);
    neededWidth = maxW;
    return height;
}
