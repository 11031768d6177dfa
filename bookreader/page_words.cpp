#include "bookreader/page_words.h"

#include <algorithm>

#include "bookreader/search_words.h"
#include "html/load/html_reader.h"
#include "html/reader/html_lexer.h"
#include "platform/base/strings.h"

namespace {

// Symbols after which the document reader goes on in a new section: blocks, list items, table
// rows and cells, line breaks, rules and forms, at their starts and ends.
bool StartsSection(Symbol sy) {
    switch (sy) {
    case BodySym:
    case PSym:
    case PEndSym:
    case HSym:
    case HEndSym:
    case BRSym:
    case HRSym:
    case OLSym:
    case OLEndSym:
    case ULSym:
    case ULEndSym:
    case LISym:
    case DirSym:
    case DirEndSym:
    case MenuSym:
    case MenuEndSym:
    case DLSym:
    case DLEndSym:
    case DDSym:
    case DTSym:
    case AddressSym:
    case AddressEndSym:
    case BlockQuoteSym:
    case BlockQuoteEndSym:
    case PreSym:
    case PreEndSym:
    case CenterSym:
    case CenterEndSym:
    case TableSym:
    case TableEndSym:
    case TDSym:
    case TDEndSym:
    case TRSym:
    case TREndSym:
    case THSym:
    case THEndSym:
    case CaptionSym:
    case CaptionEndSym:
    case FormSym:
    case FormEndSym:
    case DivSym:
    case DivEndSym:
    case FrameSetSym:
    case NoFramesSym:
    case NoFramesEndSym:
        return true;
    default:
        return false;
    }
}

// Symbols that make a document a page rather than a frame set, as the document reader tells
// them apart: a FRAMESET before any of them makes a frame-set document.
bool StartsBody(Symbol sy) {
    switch (sy) {
    case BodySym:
    case PSym:
    case HSym:
    case HRSym:
    case OLSym:
    case ULSym:
    case DirSym:
    case MenuSym:
    case DLSym:
    case AddressSym:
    case BlockQuoteSym:
    case PreSym:
    case ImageSym:
    case TableSym:
    case FormSym:
        return true;
    default:
        return false;
    }
}

// Symbols that stand in the text as one object (a picture or a control): they part words.
bool IsObject(Symbol sy) {
    return sy == ImageSym || sy == InputSym || sy == PanelSym || sy == ButtonSym;
}

// The text being gathered: blanks collapse outside preformatted text, and a section starts at
// the first character after a break.
class TTextBuilder {
public:
    explicit TTextBuilder(TPageText& out) : out_(out) {}

    void Break() {
        if (pre_)
            pendingBreak_ = true;
        else {
            while (!out_.Text.empty() && IsBlankChar(out_.Text.back()) && !pendingBreak_ &&
                   out_.Text.size() > SectionStart())
                out_.Text.pop_back();
            pendingBreak_ = true;
        }
    }
    void SetPre(bool pre) { pre_ = pre; }
    // Called for every character of a page: kept inline, where a call costs more than its work.
    [[gnu::always_inline]] void Add(char32_t c) {
        if (!pre_ && IsBlankChar(c)) {
            if (pendingBreak_ || out_.Text.empty() || IsBlankChar(out_.Text.back()))
                return;
            out_.Text += U' ';
            return;
        }
        if (pendingBreak_) {
            out_.Sections.push_back(static_cast<int32_t>(out_.Text.size()));
            pendingBreak_ = false;
        }
        out_.Text += c;
    }
    void AddUtf8(std::string_view utf8) {
        for (size_t i = 0; i < utf8.size();) {
            // Most of a page is ASCII, which needs no decoding.
            const auto b = static_cast<unsigned char>(utf8[i]);
            if (b < 0x80) {
                ++i;
                Add(b);
                continue;
            }
            const int32_t c = DecodeUtf8(utf8, i);
            Add(c < 0 ? U'\uFFFD' : static_cast<char32_t>(c));
        }
    }

private:
    static bool IsBlankChar(char32_t c) { return c == ' ' || c == 13 || c == 10 || c == 9; }
    size_t SectionStart() const {
        return out_.Sections.empty() ? 0 : static_cast<size_t>(out_.Sections.back());
    }

    TPageText& out_;
    bool pre_ = false;
    bool pendingBreak_ = true;
};

// Skips symbols up to (and including) end, or the end of the page.
void SkipTo(THtmlLexer& lx, Symbol end) {
    do
        lx.ReadSymbol();
    while (lx.Sy != end && lx.Sy != EofSym);
}

std::string OneLine(const std::string& title) {
    std::string out;
    const std::string trimmed = Trim(title);
    for (size_t i = 0; i < trimmed.size();) {
        const int32_t c = DecodeUtf8(trimmed, i);
        if (c >= 0 && (BreaksLine(static_cast<char32_t>(c)) || c == ' ')) {
            if (!out.empty() && out.back() != ' ')
                out += ' ';
        } else {
            AppendUtf8(out, c < 0 ? U'\uFFFD' : static_cast<char32_t>(c));
        }
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// Reads the page's text into page and its title into title.
void ReadText(THtmlLexer& lx, TPageText& page, std::string& title) {
    TTextBuilder text(page);
    // Captions set below their tables, one slot per open table: their text follows the cells.
    std::vector<std::u32string> belowCaptions;
    bool titleSeen = false;
    bool bodySeen = false;
    bool capturing = false; // text goes to the innermost table's caption below it
    for (;;) {
        lx.ReadSymbol();
        const Symbol sy = lx.Sy;
        if (sy == EofSym)
            break;
        if (sy == TextSym || sy == OtherCharSym) {
            if (capturing)
                belowCaptions.back() += Utf8ToU32(lx.Token.Text());
            else
                text.AddUtf8(lx.Token.Text());
            continue;
        }
        // A frame set before anything of a body makes the page a frame-set document, whose
        // frames are pages of their own.
        if (!bodySeen) {
            if (sy == FrameSetSym) {
                page = TPageText{};
                title.clear();
                return;
            }
            bodySeen = StartsBody(sy);
        }
        if (StartsSection(sy))
            text.Break();
        switch (sy) {
        case TitleSym: {
            std::string t;
            for (lx.ReadSymbol(); lx.Sy == TextSym || lx.Sy == OtherCharSym; lx.ReadSymbol())
                t += lx.Token.Text();
            if (!titleSeen)
                title = t;
            titleSeen = true;
            if (StartsSection(lx.Sy))
                text.Break();
            break;
        }
        case ScriptSym:
            lx.ReadScript(nullptr);
            break;
        case StyleSym:
            lx.ReadFoldedChar();
            while (!(lx.LCh == '<' && lx.PeekRawChar() != '!') && lx.LCh != EofChar)
                lx.ReadFoldedChar();
            break;
        case TextAreaSym:
            text.Add(U'\x04');
            do
                lx.ReadTextAreaSymbol();
            while (lx.Sy != TextAreaEndSym && lx.Sy != EofSym);
            break;
        case SelectSym:
            text.Add(U'\x04');
            SkipTo(lx, SelectEndSym);
            break;
        case PreSym:
            lx.InPre = true;
            text.SetPre(true);
            // The line end just after the start tag is not a line of the text.
            if (lx.LCh == CrChar)
                lx.Advance();
            break;
        case PreEndSym:
            lx.InPre = false;
            text.SetPre(false);
            break;
        case TableSym:
            belowCaptions.emplace_back();
            break;
        case TableEndSym:
            capturing = false;
            if (!belowCaptions.empty()) {
                const std::u32string caption = std::move(belowCaptions.back());
                belowCaptions.pop_back();
                if (!caption.empty()) {
                    text.Break();
                    for (const char32_t c : caption)
                        text.Add(c);
                }
            }
            break;
        case CaptionSym: {
            const TAttribute* align = lx.Attributes.Find(AlignSym);
            capturing = !belowCaptions.empty() && align && SameText(Trim(align->Str), "bottom");
            break;
        }
        case CaptionEndSym:
            capturing = false;
            break;
        default:
            if (IsObject(sy))
                text.Add(U'\x04');
            break;
        }
        if (lx.Sy == EofSym)
            break;
    }
}

} // namespace

TPageText LexPageText(std::string_view bytes) {
    TPageText page;
    // The text is seldom longer than the page's bytes; room for those spares growing it step by
    // step (a huge page grows as it must).
    page.Text.reserve(std::min<size_t>(bytes.size(), size_t(1) << 20));
    THtmlLexer lx;
    THtmlSource::Buffer(bytes.data(), bytes.size()).LoadInto(lx);
    std::string title;
    try {
        lx.Start();
        ReadText(lx, page, title);
    } catch (const Exception&) {
        // What was read before the fault is kept, as the document reader keeps it.
    }
    page.Title = OneLine(title);
    return page;
}
