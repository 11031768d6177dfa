#pragma once
// THtmlReader: the state of one parse and its recursive-descent routines, one per construct.
// Each routine reads symbols until one of its terminator set (or the end of the source)
// arrives and leaves the first symbol it did not take as the lexer's current symbol. The
// routines live in files by construct: body and common symbols, blocks and lists, PRE and
// plain text, tables, forms, head elements, maps and frame sets.
#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "html/load/html_reader.h"
#include "html/reader/html_lexer.h"
#include "html/reader/url_target.h"
#include "html/style/prop_stack.h"

class TSectionList;
class TCellBasic;
class TBodyBlock;
class TBlock;
class TSection;
class ThtmlForm;
class TFormControlObj;

using TSymSet = std::bitset<256>;

inline TSymSet Syms(std::initializer_list<Symbol> list) {
    TSymSet s;
    for (Symbol sy : list)
        s.set(sy);
    return s;
}

// The class, id and inline style of a tag, kept past the next symbol (the lexer's attribute
// list is overwritten by every tag).
struct TElemStyle {
    std::string Class, ID;
    std::shared_ptr<TProperties> Style;
};

class THtmlReader {
public:
    THtmlReader(TSectionList& doc, const TReaderHost& host);
    ~THtmlReader();
    THtmlReader(const THtmlReader&) = delete;
    THtmlReader& operator=(const THtmlReader&) = delete;

    void ParseDocument(const THtmlSource& source);
    void ParseText(const THtmlSource& source);

    // Nesting of block constructs (lists, tables, DIV, CENTER, FORM, items) deeper than this
    // is read flat: the start tag is skipped and its content joins the enclosing block, so
    // hostile nesting can exhaust neither the stack of this reader nor that of the layout.
    static constexpr int kMaxNesting = 100;
    // Inline elements (B, FONT, SPAN, ...) open beyond this many property levels push no
    // further level; their text keeps the font of the deepest level.
    static constexpr int kMaxInlineLevels = 256;

    // The deepest the property stack grew during the parse (for tests of hostile nesting).
    int PeakLevels() const { return peakLevels_; }

private:
    friend class TNestGuard;
    // ---- set-up and state (html_reader.cpp)
    void Begin();
    void Finish();
    // Reads the next symbol. The text of STYLE and SCRIPT elements is never content:
    // whichever routine passes over their start tag, the sheet or script is read first.
    void Next() {
        ++reads_;
        if (lex_.Sy == StyleSym)
            ReadStyleElement();
        else if (lex_.Sy == ScriptSym)
            lex_.ReadScript(host_.OnScript);
        // Text is read in the white space of the element it stands in.
        const WhiteSpaceKind space = stack_.Last().GetWhiteSpace();
        lex_.StylePre = space == wsPre;
        lex_.StyleNoBreak = space == wsNoWrap;
        lex_.ReadSymbol();
        ZoomAttributes();
    }
    // The document's zoom applied to the pixel lengths of the tag just read.
    void ZoomAttributes();
    bool BodyEmpty() const;
    TElemStyle Capture();
    TProperties& PushLevel(const std::string& tag, const TElemStyle* style,
                           const std::string& pseudo = {});
    // Gives a block element's level the rules of its first line and first letter, if any.
    void TakePseudoElements(TProperties& top, const TElemStyle& style);
    // Hands the open section the first-line and first-letter styles still to be used.
    void AttachPseudo();
    // An inline element: no level beyond kMaxInlineLevels; returns whether one was pushed.
    bool PushInline(const std::string& tag, const TElemStyle& style);
    void PushLinkLevels(const TElemStyle& anchor);
    // Frees the nearest level of that name above the floor and refreshes the levels above it.
    bool PopLevel(const std::string& tag);
    TProperties& Top() { return stack_.Last(); }
    // Hands the lexer's text token to the open section in the white space in force.
    void AddTextToken();
    void SetAlign(const TAttributeList& attrs);
    // An ALIGN value (left, center or right) for the top level's text alignment.
    void SetAlignValue(const std::string& align);
    void FontChanged();
    // A font-style element (B, I, SPAN...): its level, then the section's font.
    void OpenStyle(Symbol start);
    void CloseStyle(Symbol end);
    // Reads inline symbols up to one in stop or the first that is not inline.
    void ReadInlineRun(const TSymSet& stop);
    void EnsureSection();
    void NewSection(TAttributeList* attrs);
    void CloseSection();
    // Drops the open section without adding it (it must be empty).
    void DropSection();
    // Enters the NAME anchors of the section being closed: with the section when it stays in
    // the tree, else by source position (a dropped section must not stay in the name list).
    void RegisterAnchors(TSection* kept);
    // Adds the block to the current cell and makes its content current; returns the cell to
    // go back to.
    TCellBasic* EnterBlock(std::unique_ptr<TBlock> block);
    TCellBasic* OpenBlock(); // a plain block with the top level's properties
    // Closes the section, drops trailing default margins and goes back to outer.
    void LeaveBlock(TCellBasic* outer);
    void CloseLink();
    bool TooDeep() const { return nesting_ >= kMaxNesting; }
    // At the nesting limit a container tag is passed over unread (its content then reads at
    // the outer level); returns true when it did so.
    bool SkipTooDeep() {
        if (!TooDeep())
            return false;
        Next();
        return true;
    }

    // ---- body and common symbols (read_body.cpp)
    void DoBody(const TSymSet& term);
    void DoBodyTag();
    // A BODY tag after the body has content (stray text before <HTML> or <HEAD> starts it).
    void DoLateBodyTag();
    // Takes the colours, background and margins of the current BODY tag into a set.
    void ReadBodyAttributes(TProperties& props, int32_t& marginWidth, int32_t& marginHeight);
    // Gives the page the background picture and colour of the body's set.
    void ApplyPageBackground(const TProperties& body);
    void DoCommon();
    void DoAnchor();
    void DoFontTag(bool fixedPitch);
    void DoImage();
    void DoCenter(const TSymSet& term);
    void DoDiv(const TSymSet& term);
    // ---- blocks (read_blocks.cpp)
    void DoParagraph(const TSymSet& term);
    void DoHeading();
    void DoHR();
    void DoBreak();
    void DoBreakBlock();
    void DoLists(Symbol sym, const TSymSet& term);
    // number: the item's number; VALUE may change it (the caller counts on from it).
    // compact: the list is a DL COMPACT.
    void DoListItem(Symbol listSym, Symbol itemSym, int32_t& number, bool plain, char type,
                    const TSymSet& term, bool compact = false);
    // ---- PRE and plain text (read_pre.cpp)
    void DoPre();
    void DoLiteral(Symbol start); // XMP and LISTING
    void ReadPlainText();
    // The pieces of a PRE; TPreState holds what it keeps between them.
    struct TPreState;
    // A new open section for the next line, in the top level's font.
    void StartPreSection();
    // Hands the collected characters to the open section (a new one when a tag closed it).
    void FlushPreText(TPreState& pre);
    // A line end: the collected text ends the line and a new section starts.
    void PreLineEnd(TPreState& pre);
    // A P or FORM inside the PRE is a block of its own until its end tag, the next P or
    // FORM, or the PRE's end.
    void OpenPreInner(TPreState& pre, const char* tag, bool isForm);
    void ClosePreInner(TPreState& pre);
    // One character or entity of the text (not a "<").
    void ReadPreChar(TPreState& pre);
    // A tag inside the PRE, its "<" current; true when it ends the PRE.
    bool DoPreTag(TPreState& pre);
    // An element inside a PRE's line: styles, links, images, controls, maps, scripts, fonts
    // and style sheets.
    void DoPreInline(Symbol sy);
    // ---- tables (read_table.cpp)
    void DoTable();
    // The pieces of a table; TTableState holds what it keeps between them.
    struct TTableState;
    // The table's level, the table and its block, placed by the elements around it.
    void StartTable(TTableState& t);
    // Rows, cells and captions up to the table's end tag or the end of the source.
    void ReadTableContent(TTableState& t);
    // TD or TH: a new cell (and a row when none is open), read up to what ends it.
    void StartTableCell(TTableState& t);
    void CloseTableCell();
    void StartTableRow(TTableState& t);
    // Closes the open row (and its cell) and frees the levels above the table's.
    void EndTableRow(TTableState& t);
    void DoCaption(TTableState& t);
    // Adds the last row, restores the reader's state and adds the table's block to the
    // cell that holds it.
    void FinishTable(TTableState& t);
    // ---- forms (read_form.cpp)
    void DoForm(const TSymSet& term);
    // A ThtmlForm for a FORM tag; the document owns it.
    ThtmlForm* MakeForm(const TAttributeList& attrs);
    void DoFormControl(); // INPUT and SELECT
    void DoTextArea();
    void ReadOptions(TFormControlObj* control);
    // ---- head elements and maps (read_head.cpp)
    // Reads a TITLE's text, never drawn; `keep` makes it the page's title.
    void DoTitle(bool keep = true);
    void DoBase();
    void DoMeta();
    void DoLink();
    // The text of a STYLE element, its start tag's ">" current; stops at the "<" after it.
    void ReadStyleElement();
    void DoSound();
    void DoMap(bool readNext);
    void LoadStyleSheet(const std::string& href);

    TSectionList& doc_;
    const TReaderHost& host_;
    THtmlLexer lex_;
    TPropStack stack_;
    // A BODY tag has given the page its colours (a later one is ignored).
    bool bodyTagSeen_ = false;
    TCellBasic* cell_ = nullptr; // where new blocks and closed sections go
    TBodyBlock* body_ = nullptr;
    std::unique_ptr<TSection> section_; // the open text section, added when closed
    struct TPendingAnchor {
        std::string Name;
        int32_t Position;
    };
    std::vector<TPendingAnchor> anchors_; // NAME anchors in the open section
    TUrlTarget link_;
    bool linkOpen_ = false;
    ThtmlForm* form_ = nullptr;
    int baseFontSize_ = 3;
    int scriptKind_ = 0; // 0 none, 1 subscript, 2 superscript
    int nesting_ = 0;
    int floor_ = 1;      // levels below this index are not popped by an end tag
    int tableDepth_ = 0; // tables being read (their blocks join the tree at their end)
    uint64_t reads_ = 0; // symbols read, to tell a routine that took nothing
    int peakLevels_ = 0;
};

// Counts one level of block nesting for the lifetime of a construct.
class TNestGuard {
public:
    explicit TNestGuard(THtmlReader& r) : r_(r) { ++r_.nesting_; }
    ~TNestGuard() { --r_.nesting_; }
    TNestGuard(const TNestGuard&) = delete;
    TNestGuard& operator=(const TNestGuard&) = delete;

private:
    THtmlReader& r_;
};

// The symbol sets the routines share.
const TSymSet& InlineSet();  // what a paragraph or line-break block may hold
const TSymSet& CommonSet();  // what the common-symbol reader takes
const TSymSet& ListEnds();   // the end tags of OL, UL, DIR, MENU, DL
const TSymSet& ListStarts(); // OL, UL, DIR, MENU, DL
// Font sizes in points for sizes 1 to 7 (clamped).
double FontSizePoints(int size, bool fixedPitch);
// The character set a META content-type value selects, or -1 when it names none.
int CharsetFromContent(const std::string& content);
