// Paragraphs, headings, rules, line breaks, lists and list items.
#include <cstdint>

#include "html/doc/block.h"
#include "html/doc/list_rule.h"
#include "html/doc/section_list.h"
#include "html/doc/text_section.h"
#include "html/load/reader_core.h"
#include "platform/base/strings.h"

void THtmlReader::DoParagraph(const TSymSet& term) {
    if (term.test(PSym))
        return;
    CloseSection();
    TElemStyle style = Capture();
    std::string align;
    const auto takeAlign = [&] {
        align.clear();
        if (const TAttribute* a = lex_.Attributes.Find(AlignSym)) {
            const std::string v = LowerCase(a->Str);
            if (v == "left" || v == "center" || v == "right")
                align = v;
        }
    };
    takeAlign();
    // The level stands before the first text is read, so that text is read in its white space.
    PushLevel("p", &style);
    lex_.SkipBlanks();
    Next();
    // Several P tags in a row make one paragraph; the last start tag's attributes count.
    while (lex_.Sy == PSym || lex_.Sy == PEndSym) {
        if (lex_.Sy == PSym) {
            style = Capture();
            takeAlign();
            stack_.Pop();
            PushLevel("p", &style);
        }
        lex_.SkipBlanks();
        Next();
    }
    if (!align.empty())
        SetAlignValue(align);
    TCellBasic* outer = OpenBlock();
    ReadInlineRun(term);
    // A table does not end a paragraph: it stays inside it (and takes its alignment), and the
    // paragraph goes on after it, as browsers read such pages.
    while (lex_.Sy == TableSym && !term.test(TableSym) && !TooDeep()) {
        DoTable();
        ReadInlineRun(term);
    }
    CloseSection();
    PopLevel("p");
    LeaveBlock(outer);
    if (lex_.Sy == PEndSym)
        Next();
}

void THtmlReader::DoHeading() {
    const int level = lex_.HeadingLevel;
    if (level < 1 || level > 6) {
        Next();
        return;
    }
    CloseSection();
    const std::string tag = "h" + std::to_string(level);
    const TElemStyle style = Capture();
    PushLevel(tag, &style);
    SetAlign(lex_.Attributes);
    TCellBasic* outer = OpenBlock();
    NewSection(&lex_.Attributes);
    Next();
    static const TSymSet headingSet = InlineSet() & ~Syms({MapSym, PageSym});
    while (lex_.Sy != EofSym) {
        const uint64_t before = reads_;
        if (lex_.Sy == PSym)
            DoParagraph(TSymSet());
        else if (lex_.Sy == UnknownTagSym)
            Next();
        else if (headingSet.test(lex_.Sy))
            DoCommon();
        else
            break;
        if (reads_ == before)
            Next();
    }
    CloseSection();
    PopLevel(tag);
    LeaveBlock(outer);
    if (lex_.Sy == HEndSym)
        Next();
}

void THtmlReader::DoHR() {
    CloseSection();
    const TElemStyle style = Capture();
    PushLevel("hr", &style);
    auto rule = std::make_unique<THorzLine>(&doc_, lex_.Attributes, Top());
    if (cell_)
        cell_->Add(std::make_unique<THRBlock>(&doc_, cell_, Top(), std::move(rule)));
    stack_.Pop();
    Next();
}

void THtmlReader::DoBreak() {
    if (!lex_.Attributes.Find(ClearSym) && section_) {
        section_->AddChar(8, lex_.TagStartPosition, lex_.NoBreaking());
        Next();
    } else {
        DoBreakBlock();
    }
}

// A BR with CLEAR, or one with no section open: a block of its own whose section carries the
// BR's attributes, so the clearing applies to the text that follows.
void THtmlReader::DoBreakBlock() {
    // Without text before it on its line the BR makes a line of its own, as a browser shows
    // a BR that follows a block.
    const bool lineOfItsOwn = !section_ || section_->TextLen() == 0;
    const int32_t tagStart = lex_.TagStartPosition;
    CloseSection();
    const TElemStyle style = Capture();
    PushLevel("br", &style);
    TCellBasic* outer = OpenBlock();
    NewSection(&lex_.Attributes);
    if (lineOfItsOwn)
        section_->AddChar(8, tagStart, lex_.NoBreaking());
    Next();
    static const TSymSet brSet = Syms({BRSym});
    ReadInlineRun(brSet);
    CloseSection();
    PopLevel("br");
    LeaveBlock(outer);
}

void THtmlReader::ReadInlineRun(const TSymSet& stop) {
    while (!stop.test(lex_.Sy) && InlineSet().test(lex_.Sy)) {
        const uint64_t before = reads_;
        if (lex_.Sy == UnknownTagSym)
            Next();
        else
            DoCommon();
        if (reads_ == before) // never stall on a symbol nothing consumed
            Next();
    }
}

namespace {

// The list-style-type that a TYPE attribute of OL, UL or LI names: the numbering letters
// compare with their case, the bullet names without; "" for anything else.
std::string ListTypeStyle(const std::string& value) {
    const std::string v = Trim(value);
    if (v == "1")
        return "decimal";
    if (v == "a")
        return "lower-alpha";
    if (v == "A")
        return "upper-alpha";
    if (v == "i")
        return "lower-roman";
    if (v == "I")
        return "upper-roman";
    const std::string lower = LowerCase(v);
    if (lower == "disc" || lower == "circle" || lower == "square")
        return lower;
    return {};
}

// An optionally signed run of decimal digits.
bool IsNumber(const std::string& value) {
    const std::string v = Trim(value);
    size_t i = !v.empty() && (v[0] == '-' || v[0] == '+') ? 1 : 0;
    if (i >= v.size())
        return false;
    for (; i < v.size(); ++i)
        if (v[i] < '0' || v[i] > '9')
            return false;
    return true;
}

} // namespace

// OL, UL, DIR, MENU, DL, ADDRESS and BLOCKQUOTE.
void THtmlReader::DoLists(Symbol sym, const TSymSet& term) {
    if (SkipTooDeep())
        return;
    TNestGuard guard(*this);
    int32_t number = 1;
    char type = '1';
    bool plain = false, typeGiven = false;
    if (sym == OLSym) {
        if (const TAttribute* a = lex_.Attributes.Find(StartSym); a && a->Value >= 0)
            number = a->Value;
        if (const TAttribute* a = lex_.Attributes.Find(TypeSym); a && !a->Str.empty()) {
            type = a->Str[0];
            typeGiven = true;
        }
    } else if (sym == ULSym) {
        plain = lex_.Attributes.Find(PlainSym) != nullptr;
    }
    const bool compact = sym == DLSym && lex_.Attributes.Find(CompactSym) != nullptr;
    const Symbol ownEnd = EndSymbolOf(sym);
    const std::string tag = StartTagName(sym);
    CloseSection();
    const TElemStyle style = Capture();
    PushLevel(tag, &style);
    // TYPE and PLAIN are the list's own choice: they replace the marker the built-in sheet
    // gives every list, while the document's style rules still win over them.
    std::string typeStyle;
    if (sym == OLSym && typeGiven)
        typeStyle = ListTypeStyle(std::string(1, type));
    else if (sym == ULSym && plain)
        typeStyle = "none";
    else if (sym == ULSym || sym == DirSym || sym == MenuSym) {
        if (const TAttribute* a = lex_.Attributes.Find(TypeSym))
            typeStyle = ListTypeStyle(a->Str);
    }
    if (!typeStyle.empty())
        Top().SetIfUnset(TPropValue(typeStyle), piListStyleType);
    auto block = std::make_unique<TBlock>(&doc_, cell_, Top());
    block->IsListBlock = sym == OLSym || sym == ULSym || sym == DirSym || sym == MenuSym;
    TCellBasic* outer = EnterBlock(std::move(block));
    Next();

    const TSymSet emptyEnds = ListEnds() | Syms({BlockQuoteEndSym});
    if (emptyEnds.test(lex_.Sy)) {
        // An empty list. Its own level goes; an end tag of another list is left for the list
        // it closes.
        PopLevel(tag);
        LeaveBlock(outer);
        if (lex_.Sy == ownEnd)
            Next();
        return;
    }

    const TSymSet bodyTerm =
        term | ListEnds() | Syms({LISym, DDSym, DTSym, BlockQuoteEndSym, EofSym});
    while (lex_.Sy != ownEnd && lex_.Sy != EofSym) {
        const uint64_t before = reads_;
        const Symbol sy = lex_.Sy;
        bool ended = false;
        switch (sy) {
        case PSym:
            DoParagraph(term);
            break;
        case OLSym:
        case ULSym:
        case DirSym:
        case MenuSym:
        case DLSym:
        case AddressSym:
        case BlockQuoteSym:
            CloseSection();
            DoLists(sy, term);
            break;
        case LISym:
        case DDSym:
        case DTSym:
            DoListItem(sym, sy, number, plain, type, term, compact);
            if (number < INT32_MAX && number > INT32_MIN)
                ++number;
            break;
        case CenterSym:
        case DivSym:
        case FormSym:
            DoBody(bodyTerm);
            break;
        default:
            if (CommonSet().test(sy))
                DoCommon();
            else if (term.test(sy))
                ended = true;
            else
                Next();
            break;
        }
        if (ended)
            break;
        if (reads_ == before) {
            if (term.test(lex_.Sy))
                break;
            Next();
        }
    }
    CloseSection();
    PopLevel(tag);
    LeaveBlock(outer);
    if (lex_.Sy == ownEnd)
        Next();
}

void THtmlReader::DoListItem(Symbol listSym, Symbol itemSym, int32_t& number, bool plain, char type,
                             const TSymSet& term, bool compact) {
    if (SkipTooDeep())
        return;
    TNestGuard guard(*this);
    CloseSection();
    const std::string tag = StartTagName(itemSym);
    const TElemStyle style = Capture();
    // VALUE numbers this item, and the items after it count on from there.
    if (itemSym == LISym) {
        if (const TAttribute* a = lex_.Attributes.Find(ValueSym); a && IsNumber(a->Str))
            number = a->Value;
    }
    std::string itemType;
    if (itemSym == LISym) {
        if (const TAttribute* a = lex_.Attributes.Find(TypeSym))
            itemType = ListTypeStyle(a->Str);
    }
    PushLevel(tag, &style);
    if (!itemType.empty())
        Top().SetIfUnset(TPropValue(itemType), piListStyleType);
    auto item = std::make_unique<TBlockLI>(&doc_, cell_, Top(), listSym, number, type, plain);
    // A definition right after its term may share the term's line; layout decides.
    if (compact && itemSym == DDSym && cell_->Count() > 0) {
        item->CompactDefinition = true;
        item->TermIndex = cell_->Count() - 1;
    }
    const std::u32string insideMarker =
        item->MarkerInside ? item->InsideMarkerText() : std::u32string();
    const std::string insidePicture = item->InsideMarkerPicture;
    TCellBasic* outer = EnterBlock(std::move(item));
    NewSection(nullptr);
    if (!insidePicture.empty()) {
        // The picture is the line's first image, untouched by the item's own box style.
        TAttributeList attrs;
        TAttribute src;
        src.Sym = SrcSym;
        src.Str = insidePicture;
        attrs.Add(src);
        const TProperties plain;
        section_->AddImage(attrs, plain, lex_.TagStartPosition, lex_.NoBreaking());
    }
    // An inside marker is the first text of the item's first line.
    for (const char32_t c : insideMarker)
        section_->AddChar(c, lex_.TagStartPosition, lex_.NoBreak);
    lex_.SkipBlanks();
    Next();
    const bool inList = ListStarts().test(listSym);
    // A block read inside the item (a FORM, a DIV) ends at the list's end tag too, or the
    // rest of the page would be read into the last item.
    const TSymSet bodyTerm = term | ListStarts() | ListEnds() | Syms({LISym, DDSym, DTSym});
    while (lex_.Sy != EofSym) {
        const uint64_t before = reads_;
        const Symbol sy = lex_.Sy;
        if (sy == PSym) {
            if (!inList)
                break;
            DoParagraph(term);
        } else if (sy == UnknownTagSym) {
            Next();
        } else if (InlineSet().test(sy) || sy == HSym) {
            DoCommon();
        } else if (ListStarts().test(sy)) {
            DoLists(sy, term);
        } else if (sy == TableSym) {
            DoTable();
        } else if (sy == AddressSym || sy == BlockQuoteSym || sy == CenterSym || sy == DivSym ||
                   sy == FormSym) {
            DoBody(bodyTerm);
        } else {
            break;
        }
        if (reads_ == before)
            break;
    }
    CloseSection();
    PopLevel(tag);
    LeaveBlock(outer);
}
