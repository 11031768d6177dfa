#pragma once
// TSection: one run of flowing text inside a block or table cell, with its font runs, inline
// and floating images, panels and form controls. The reader fills it in document order; layout
// breaks it into lines against the indents of the enclosing cell.
//
// The text buffer holds Unicode code points, one per character position, and these codes: 2 a form
// control, 4 an image or panel (both break opportunities before and after), 6 and 7 the same inside
// a no-break run (no break), 8 a forced line break (the line ends after it), 32 a space (break
// after it), 160 a non-breaking space (drawn and copied as a space).
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/doc/font_obj.h"
#include "html/doc/form_control.h"
#include "html/doc/image_obj.h"
#include "html/doc/length_sum.h"
#include "html/doc/line_align.h"
#include "html/doc/section_base.h"
#include "html/reader/attributes.h"
#include "html/reader/symbols.h"
#include "html/reader/token_obj.h"
#include "html/reader/url_target.h"
#include "html/style/my_font.h"
#include "html/style/properties.h"

class TProperties;
class ThtmlForm;
struct TPseudoElements;

// Buffer codes.
constexpr char32_t ControlCode = 2;
constexpr char32_t ImageCode = 4;
constexpr char32_t NoBreakMark = 5; // the lexer's collapsed white space in a no-break run
constexpr char32_t NoBreakControlCode = 6;
constexpr char32_t NoBreakImageCode = 7;
constexpr char32_t BreakCode = 8;
constexpr char32_t NbspCode = 0xA0;

inline bool IsObjectCode(char32_t c) {
    return c == ControlCode || c == ImageCode || c == NoBreakControlCode || c == NoBreakImageCode;
}

// One line of the last layout.
struct LineRec {
    int32_t LineStart = 0; // buffer position of the first character
    int32_t CharCount = 0;
    int32_t TextHeight = 0; // largest font height plus external leading in the line
    int32_t Descent = 0;    // largest font descent
    int32_t SpaceBefore = 0;
    int32_t SpaceAfter = 0;
    int32_t ImageHeight = 0; // height taken with the floats started in the line
    int32_t LineIndent = 0;  // x of the line start relative to the section's x
    int32_t DrawWidth = 0;   // right side minus left indent at layout
    int32_t DrawX = 0;       // where the line was last drawn (window x, document y)
    int32_t DrawY = 0;
    int32_t LineY = 0;     // document y of the line's top at layout
    int32_t TextWidth = 0; // trimmed width at layout
    int32_t Justify = 0;   // pixels a justified line spreads over its spaces
    int32_t Gaps = 0;      // spaces that share Justify
    // What justification adds before a buffer position, given the spaces before it.
    int32_t JustifyBefore(int32_t spaces) const {
        return Gaps > 0 ? static_cast<int32_t>(static_cast<int64_t>(Justify) *
                                               std::min(spaces, Gaps) / Gaps)
                        : 0;
    }
    int32_t Height() const { return ClampLength(int64_t{SpaceBefore} + TextHeight + SpaceAfter); }
};

// Where a run of buffer positions starts in the source: one entry at the first character and
// at every character whose source position does not follow the previous one.
struct IndexObj {
    int32_t Pos = 0;
    int32_t SourcePos = 0;
};

class TSection : public TSectionBase {
public:
    // link: the open anchor (its address empty when none); attrs: the attributes of the tag
    // that opened the section (a BR's CLEAR, an ID), may be null.
    TSection(TSectionList* document, const TUrlTarget& link, const TProperties& props,
             TAttributeList* attrs);
    ~TSection() override;

    // Building, in document order.
    virtual void AddText(const TokenObj& token, bool noBreak);
    virtual void AddChar(char32_t code, int32_t sourcePos, bool noBreak);
    // Text whose white space stays as written (white-space: pre outside a PRE): blanks do not
    // collapse or break, a line end breaks the line and a tab moves to the next tab stop.
    void AddPreText(const TokenObj& token);
    void EnsureNotEmpty();
    // scriptKind: the reader's sub/superscript state (0 none, 1 sub, 2 super).
    void ChangeFont(const TProperties& props, int scriptKind);
    void StartLinkRun(bool anchorStart, const TProperties& props, const TUrlTarget& link,
                      int scriptKind);
    TImageObj* AddImage(TAttributeList& attrs, const TProperties& props, int32_t sourcePos,
                        bool noBreak);
    TPanelObj* AddPanel(TAttributeList& attrs, int32_t sourcePos, bool noBreak);
    // INPUT (type from its TYPE attribute), SELECT or TEXTAREA; the control belongs to its
    // form. currentForm is the reader's open form (made here when there is none).
    TFormControlObj* AddFormControl(Symbol which, ThtmlForm*& currentForm, TAttributeList& attrs,
                                    const TProperties& props, int32_t sourcePos, bool noBreak);
    void FinishSection();
    // The first-line and first-letter styles of the block whose first line this section
    // holds; props is the set of the section's first run.
    void SetPseudoElements(std::shared_ptr<const TPseudoElements> pseudo, const TProperties& props);
    bool FinishForAdd() override;
    int32_t TextLen() const { return static_cast<int32_t>(TextBuf.size()); }
    const std::u32string& Text() const { return TextBuf; }

    // The layout protocol.
    void CopySelection() override;
    int32_t LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                   int32_t availWidth, int32_t availHeight, IndentManager& indents,
                   int32_t& neededWidth, int32_t& charIndex) override;
    int32_t DrawSection(TCanvas& canvas, const TRect& clip, IndentManager& indents, int32_t x,
                        int32_t refX, int32_t refY) override;
    bool FindLink(TCanvas& canvas, int32_t x, int32_t y, TUrlTarget& target,
                  TImageFormControlObj*& formControl) override;
    bool ObjectAt(int32_t x, int32_t y, TObject*& obj, int32_t& xInside, int32_t& yInside) override;
    int32_t FindCursor(TCanvas& canvas, int32_t x, int32_t y, int32_t& caretX, int32_t& caretY,
                       int32_t& caretHeight, bool& inText) override;
    int32_t FindText(int32_t from, const std::string& text, bool matchCase) override;
    int32_t ToSourcePos(int32_t docIndex) override;
    int32_t FromSourcePos(int32_t sourcePos, bool backwards) override;
    bool CaretPoint(TCanvas& canvas, int32_t index, int32_t& x, int32_t& y) override;
    bool CharAt(int32_t index, char32_t& ch, TSectionBase*& section) override;
    void MinMaxWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth) override;

    const char* KindName() const override { return "text"; }
    void Dump(TDumpWriter& out, int depth) const override;

    // Width of count characters from a buffer position in their fonts, objects included;
    // with trim, trailing spaces and line breaks are left out (one character stays).
    int32_t TextWidth(int32_t start, int32_t count, bool trim) const;
    // Width of a stretch of characters in one run in 1/64 pixel, as lines add them, its letter
    // and word spacing included.
    static int64_t StretchWidth64(const TFontObj& run, std::u32string_view s);
    // Advance of one character in a run in 1/64 pixel, its spacing included.
    static int64_t CharAdvance64(const TFontObj& run, char32_t c);
    // How many characters of a stretch in one run fit in room64 (1/64 pixel).
    static int StretchFit64(const TFontObj& run, std::u32string_view s, int64_t room64);
    // x of a buffer position in a line from the line's start, justification included.
    int32_t XInLine(const LineRec& line, int32_t pos) const;

    std::u32string TextBuf;
    std::vector<int32_t> SourcePos; // while building; freed by FinishSection
    std::vector<IndexObj> IndexRuns;
    TFontList FontRuns;
    TImageObjList InlineObjects;
    TFormControlList Controls;
    std::vector<LineRec> Lines;
    TMyFont BaseFont;
    LineAlign TextAlign = LineAlign::Left;
    ClearKind ClearMode = ckNone;
    int32_t LineHeightPx = 0;
    int32_t TextIndent = 0;     // pixels, or percent of the width when IndentPercent
    bool IndentPercent = false; // TextIndent is a percentage of the section's width
    bool HasAnchor = false;     // a NAME anchor points into the section

protected:
    // Preformatted text never wraps.
    virtual bool NoWrap() const { return false; }
    // Takes the run's text style from a property set.
    void ApplyTextStyle(TFontObj& run, const TProperties& props);
    // Appends characters in the last run's transform and small capitals.
    void AppendStyled(std::u32string& text, std::vector<int32_t>& positions);
    // Makes the last run the small (or the full) part of a small-caps run.
    void UseCapsPart(bool small);
    // Appends raw characters with their source positions.
    void Append(const std::u32string& text, const std::vector<int32_t>& positions);
    void AppendCode(char32_t code, int32_t sourcePos);
    // The text layout proper (TPreFormated wraps it).
    int32_t LayOutText(TCanvas& canvas, int32_t x, int32_t y, int32_t availWidth,
                       IndentManager& indents, int32_t& neededWidth, int32_t& charIndex);
    // Whether a line may break between the characters at pos - 1 and pos although no space
    // stands there: between ideographs of scripts written without spaces. Every character of a
    // section is asked when its widths are measured, so the scripts below U+1100 (which have
    // no such breaks) answer at once.
    bool BreaksBetween(int32_t pos) const {
        if (pos <= 0 || pos >= TextLen())
            return false;
        const char32_t before = TextBuf[static_cast<size_t>(pos - 1)];
        const char32_t after = TextBuf[static_cast<size_t>(pos)];
        return (before >= 0x1100 || after >= 0x1100) && IdeographicBreak(before, after);
    }
    static bool IdeographicBreak(char32_t before, char32_t after);
    // How far a run's text is drawn below the line's baseline (negative: above), from its
    // vertical-align or, without one, its sub/superscript state.
    static int32_t RunShift(const TFontObj& run, const LineRec& line);
    // How far the bottom of a baseline-aligned inline object stands above the baseline.
    static int32_t ObjectRaise(const TFloatingObj& obj, const TFontObj* run);
    // How far painting the section may reach beyond its lines (its InkOverflow).
    int32_t InkReach() const;
    // The widest stretch between forced line breaks.
    int32_t WidestLine() const;
    // MinMaxWidths of the text as it shows now.
    void MeasureWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth);
    // Enters the ID of the opening tag in the named positions once the section is kept.
    void RegisterID(bool keep);

protected:
    struct FitState;
    // Starts a run at the end of the buffer (or replaces the font of a run starting there);
    // link, when given, becomes the run's target.
    TFontObj* StartRun(std::unique_ptr<TMyFont> font, const TProperties& props,
                       const TUrlTarget* link, int scriptKind);
    void SizeObjects(TCanvas& canvas, int32_t availWidth);
    int32_t FitCount(int32_t start, int32_t maxCount, int32_t y, IndentManager& indents,
                     FitState& state);
    // last: the section's last line or one ending in a line break (never justified).
    LineRec FinishLine(int32_t start, int32_t count, int32_t x, int32_t y, IndentManager& indents,
                       bool last);
    void PlaceFloat(TFloatingObj& obj, int32_t y, IndentManager& indents);
    // Painting one line: DrawLine walks it, drawing inline objects and stretches of text in
    // one font, each cut at the selection's ends into pieces.
    struct LinePaint;
    void DrawLine(TCanvas& canvas, LineRec& line, int32_t x, int32_t y);
    void DrawLineObject(LinePaint& paint, int32_t pos);
    void DrawInlineObject(LinePaint& paint, TFloatingObj& obj, TFontObj* run, int32_t x);
    void DrawInlineControl(LinePaint& paint, TFormControlObj& ctl, TFontObj* run, int32_t x);
    // Returns the position after the stretch.
    int32_t DrawStretch(LinePaint& paint, int32_t start, int32_t end);
    void DrawTextPiece(LinePaint& paint, const TFontObj& run, int32_t a, int32_t b, bool selected);
    void SetPieceColors(TCanvas& canvas, const TMyFont& font, bool selected) const;
    // Fills the paint's advances for count characters from a, letter and word spacing and
    // justification included, and returns their sum (1/64 pixel).
    int64_t SpacedAdvances(LinePaint& paint, const TFontObj& run, int32_t a, size_t count);
    void DrawFloats(TCanvas& canvas, const TRect& clip, IndentManager& indents);
    // The buffer position under a window x in a line, the x where that character starts and
    // its width; the line's end when x lies beyond its text.
    int32_t PositionInLine(const LineRec& line, int32_t dx, int32_t& charX,
                           int32_t& charWidth) const;
    int32_t LineOfPosition(int32_t pos) const;
    bool AllFloatingImages() const;
    TFloatingObj* ObjectAtPos(int32_t pos) const { return InlineObjects.FindImage(pos); }
    TFormControlObj* ControlAtPos(int32_t pos) const;
    // Width of one inline object code at a position (0 for floats), spaces included.
    int32_t ObjectWidth(int32_t pos) const;

    // First letter: takes the leading punctuation and the letter of the section's first text
    // into a run (or a floating box) of their own; false when the text starts otherwise.
    bool TakeFirstLetter(std::u32string& s, std::vector<int32_t>& p);
    // First line: the text and runs as the first line's style shows them, made once the text
    // is complete (again if it grew).
    bool HasFirstLineStyle() const;
    void PrepareFirstLine();
    // Shows positions before end in the first line's version, the rest as written.
    void ShowFirstLine(int32_t end);

    std::string pendingID_;    // the opening tag's ID, entered when the section is kept
    bool onlyFloats_ = true;   // every character so far is a floating image or panel
    int32_t layoutX_ = 0;      // x of the last layout
    int32_t drawXSection_ = 0; // x of the last paint
    int32_t maxWidth_ = 0;     // widest line of the last layout
    int32_t indentPx_ = 0;     // the first line's text-indent in the last layout

    // First-line and first-letter styles (null for almost every section).
    std::shared_ptr<const TPseudoElements> pseudo_;
    bool letterDone_ = false;             // the first text has been looked at for a first letter
    std::unique_ptr<TFontList> lineRuns_; // the runs of the first line's version
    std::u32string plainText_;            // the text as written (TextBuf shows the first line's)
    std::u32string lineText_;             // the first line's version of the text
    int32_t lineBuiltLen_ = -1;           // TextLen when they were made
    int32_t lineLimit_ = 0;               // the first line cannot reach past this position
    int32_t lineHeightPx_ = 0;            // line-height of the first line
};

// PRE: keeps every character as it comes and never wraps.
class TPreFormated : public TSection {
public:
    using TSection::TSection;

    void AddText(const TokenObj& token, bool noBreak) override;
    int32_t LayOut(TCanvas& canvas, int32_t x, int32_t y, int32_t refX, int32_t refY,
                   int32_t availWidth, int32_t availHeight, IndentManager& indents,
                   int32_t& neededWidth, int32_t& charIndex) override;
    void MinMaxWidths(TCanvas& canvas, int32_t& minWidth, int32_t& maxWidth) override;
    bool FinishForAdd() override;
    const char* KindName() const override { return "pre"; }

    // More text than this is dropped.
    static constexpr int32_t MaxLength = 20000;
    // Tab stops stand this many columns apart.
    static constexpr size_t kTabWidth = 8;

protected:
    bool NoWrap() const override { return true; }
};
