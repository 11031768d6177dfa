// PRE, read character by character so that white space and line ends stay, and text files.
#include "html/doc/block.h"
#include "html/doc/list_rule.h"
#include "html/doc/section_list.h"
#include "html/doc/text_section.h"
#include "html/load/reader_core.h"
#include "html/reader/html_lexer.h"

#include <cctype>

namespace {

constexpr int kFlushLength = 200; // collected characters are handed over in pieces of this size

} // namespace

// XMP and LISTING: preformatted text in which nothing is markup: tags and entities show as
// written, up to the element's own end tag.
void THtmlReader::DoLiteral(Symbol start) {
    const bool xmp = start == XmpSym;
    const std::string tag = xmp ? "xmp" : "listing";
    const std::string endName = "/" + tag;
    CloseSection();
    const TElemStyle style = Capture();
    PushLevel(tag, &style);
    TCellBasic* outer = OpenBlock();
    section_ = std::make_unique<TPreFormated>(&doc_, link_, Top(), nullptr);
    const bool savedPre = lex_.InPre, savedNoComment = lex_.NoComment;
    lex_.InPre = true;
    lex_.NoComment = true; // "<!--" is text here too
    TokenObj text;
    const auto flush = [&] {
        if (!text.Empty()) {
            section_->AddText(text, false);
            text.Clear();
        }
    };
    if (lex_.LCh == CrChar)
        lex_.Advance();
    bool afterLineEnd = false;
    for (;;) {
        ++reads_;
        const char ch = lex_.LCh;
        if (ch == EofChar)
            break;
        if (ch == CrChar) {
            flush();
            CloseSection();
            section_ = std::make_unique<TPreFormated>(&doc_, link_, Top(), nullptr);
            afterLineEnd = true;
            lex_.Advance();
            continue;
        }
        afterLineEnd = false;
        if (ch != '<') {
            text.AddChar(ch, lex_.Position);
            if (text.Length() > kFlushLength)
                flush();
            lex_.Advance();
            continue;
        }
        // A "<": the end tag, or text. The characters that match the end tag's name so far
        // are kept, so a near miss is shown as written.
        const int32_t at = lex_.Position;
        TokenObj pending;
        pending.AddChar('<', at);
        lex_.Advance();
        size_t matched = 0;
        while (matched < endName.size() && lex_.LCh != EofChar &&
               static_cast<char>(std::tolower(static_cast<unsigned char>(lex_.LCh))) ==
                   endName[matched]) {
            pending.AddChar(lex_.LCh, lex_.Position);
            lex_.Advance();
            ++matched;
        }
        if (matched == endName.size() && (lex_.LCh == '>' || lex_.LCh == ' ')) {
            while (lex_.LCh != '>' && lex_.LCh != EofChar)
                lex_.Advance();
            if (lex_.LCh == '>')
                lex_.Advance();
            break;
        }
        text.Append(pending);
    }
    flush();
    // The line end before the end tag is not a line of its own.
    if (afterLineEnd && section_ && section_->TextLen() == 0)
        DropSection();
    else
        CloseSection();
    lex_.InPre = savedPre;
    lex_.NoComment = savedNoComment;
    PopLevel(tag);
    LeaveBlock(outer);
    Next();
}

// What a PRE being read keeps between its pieces.
struct THtmlReader::TPreState {
    TokenObj Text; // characters not yet handed to the open section
    // Set while a P or FORM block inside the PRE is open: the cell to go back to.
    TCellBasic* InnerOuter = nullptr;
    bool InnerIsForm = false;
    // Whether the open section was started by a line end: one that is still empty when the
    // PRE ends is the line end before the end tag, not a line of its own.
    bool AfterLineEnd = false;
};

void THtmlReader::StartPreSection() {
    section_ = std::make_unique<TPreFormated>(&doc_, link_, Top(), nullptr);
    AttachPseudo();
}

void THtmlReader::FlushPreText(TPreState& pre) {
    if (pre.Text.Empty())
        return;
    if (!section_)
        StartPreSection();
    section_->AddText(pre.Text, false);
    pre.Text.Clear();
}

void THtmlReader::PreLineEnd(TPreState& pre) {
    FlushPreText(pre);
    CloseSection();
    StartPreSection();
    pre.AfterLineEnd = true;
}

void THtmlReader::ClosePreInner(TPreState& pre) {
    FlushPreText(pre);
    if (!pre.InnerOuter)
        return;
    if (pre.InnerIsForm)
        form_ = nullptr;
    PopLevel(pre.InnerIsForm ? "form" : "p");
    LeaveBlock(pre.InnerOuter);
    pre.InnerOuter = nullptr;
    StartPreSection();
}

void THtmlReader::OpenPreInner(TPreState& pre, const char* tag, bool isForm) {
    ClosePreInner(pre);
    CloseSection();
    const TElemStyle innerStyle = Capture();
    PushLevel(tag, &innerStyle);
    pre.InnerOuter = OpenBlock();
    pre.InnerIsForm = isForm;
    StartPreSection();
}

void THtmlReader::ReadPreChar(TPreState& pre) {
    const char ch = lex_.LCh;
    if (ch == CrChar) {
        PreLineEnd(pre);
        lex_.Advance();
    } else if (ch == '&') {
        TokenObj entity;
        lex_.ReadEntity(entity);
        pre.Text.Append(entity);
    } else {
        // A tab stays a tab here; the section sets it to its column.
        pre.Text.AddChar(ch == ' ' && lex_.CurrentIsTab() ? '\t' : ch, lex_.Position);
        if (pre.Text.Length() > kFlushLength)
            FlushPreText(pre);
        lex_.Advance();
    }
}

void THtmlReader::DoPreInline(Symbol sy) {
    switch (sy) {
    case BSym:
    case ISym:
    case EmSym:
    case StrongSym:
    case USym:
    case CiteSym:
    case VarSym:
    case SSym:
    case StrikeSym:
    case SpanSym:
        OpenStyle(sy);
        break;
    case BEndSym:
    case IEndSym:
    case EmEndSym:
    case StrongEndSym:
    case UEndSym:
    case CiteEndSym:
    case VarEndSym:
    case SEndSym:
    case StrikeEndSym:
    case SpanEndSym:
        CloseStyle(sy);
        break;
    case ImageSym:
    case PanelSym:
        DoImage();
        break;
    case ASym:
        DoAnchor();
        break;
    case AEndSym:
        CloseLink();
        break;
    case InputSym:
    case SelectSym:
        DoFormControl();
        break;
    case TextAreaSym:
        DoTextArea();
        break;
    case MapSym:
        DoMap(false);
        break;
    case ScriptSym:
        lex_.ReadScript(host_.OnScript);
        break;
    case FontSym:
    case BaseFontSym:
        DoFontTag(true);
        break;
    case FontEndSym:
        // Only a FONT opened inside this PRE; the floor keeps the others.
        PopLevel("font");
        FontChanged();
        break;
    case StyleSym:
        ReadStyleElement();
        break;
    default:
        break;
    }
}

bool THtmlReader::DoPreTag(TPreState& pre) {
    // The elements that go on inside the line; the text before them is handed over first.
    static const TSymSet inlineTags = Syms(
        {BSym,      ISym,       EmSym,       StrongSym,  USym,         CiteSym,     VarSym,
         SSym,      StrikeSym,  SpanSym,     BEndSym,    IEndSym,      EmEndSym,    StrongEndSym,
         UEndSym,   CiteEndSym, VarEndSym,   SEndSym,    StrikeEndSym, SpanEndSym,  ImageSym,
         PanelSym,  ASym,       AEndSym,     InputSym,   SelectSym,    TextAreaSym, MapSym,
         ScriptSym, FontSym,    BaseFontSym, FontEndSym, StyleSym});
    lex_.ReadSymbol();
    ZoomAttributes();
    const Symbol sy = lex_.Sy;
    if (inlineTags[sy]) {
        FlushPreText(pre);
        DoPreInline(sy);
        return false;
    }
    switch (sy) {
    case TextSym: // a "<" that starts no tag
        pre.Text.Append(lex_.Token);
        break;
    case PSym:
        OpenPreInner(pre, "p", false);
        if (lex_.LCh == CrChar)
            lex_.Advance();
        break;
    case PEndSym:
        if (pre.InnerOuter && !pre.InnerIsForm)
            ClosePreInner(pre);
        break;
    case FormSym:
        OpenPreInner(pre, "form", true);
        form_ = MakeForm(lex_.Attributes);
        break;
    case FormEndSym:
        if (pre.InnerOuter && pre.InnerIsForm)
            ClosePreInner(pre);
        break;
    case BRSym:
        PreLineEnd(pre);
        if (lex_.LCh == CrChar)
            lex_.Advance();
        break;
    case PageSym:
        FlushPreText(pre);
        CloseSection();
        if (cell_)
            cell_->Add(std::make_unique<TPage>(&doc_));
        StartPreSection();
        break;
    case PreEndSym:
    case TDEndSym:
    case THEndSym:
    case EofSym:
        return true;
    default:
        break;
    }
    return false;
}

void THtmlReader::DoPre() {
    CloseSection();
    const TElemStyle style = Capture();
    PushLevel("pre", &style);
    const int preIndex = stack_.Count() - 1;
    const int savedFloor = floor_;
    // End tags inside the PRE cannot take levels from under it: its levels are popped by
    // position when it ends.
    floor_ = preIndex + 1;
    TCellBasic* outer = OpenBlock();
    TCellBasic* preCell = cell_;
    StartPreSection();
    lex_.InPre = true;

    TPreState pre;
    // The usual browser rule: a line end right after the start tag is not content.
    if (lex_.LCh == CrChar)
        lex_.Advance();
    for (;;) {
        ++reads_;
        if (lex_.LCh == EofChar)
            break;
        if (lex_.LCh != '<')
            ReadPreChar(pre);
        else if (DoPreTag(pre))
            break;
    }

    FlushPreText(pre);
    if (!pre.InnerOuter && pre.AfterLineEnd && section_ && section_->TextLen() == 0 &&
        !section_->HasAnchor)
        DropSection();
    ClosePreInner(pre);
    CloseSection();
    lex_.InPre = false;
    stack_.PopTo(preIndex);
    floor_ = savedFloor;
    cell_ = preCell;
    LeaveBlock(outer);
    Next();
}

void THtmlReader::ReadPlainText() {
    PushLevel("pre", nullptr);
    CloseSection();
    section_ = std::make_unique<TPreFormated>(&doc_, link_, Top(), nullptr);
    AttachPseudo();
    lex_.InPre = true;
    TokenObj text;
    const auto flush = [&] {
        if (!text.Empty()) {
            section_->AddText(text, false);
            text.Clear();
        }
    };
    lex_.Start();
    while (lex_.LCh != EofChar) {
        if (lex_.LCh == CrChar) {
            flush();
            CloseSection();
            section_ = std::make_unique<TPreFormated>(&doc_, link_, Top(), nullptr);
            AttachPseudo();
        } else {
            const char ch = lex_.LCh;
            text.AddChar(ch == ' ' && lex_.CurrentIsTab() ? '\t' : ch, lex_.Position);
            if (text.Length() >= kFlushLength)
                flush();
        }
        lex_.Advance();
    }
    flush();
    lex_.InPre = false;
    stack_.Pop();
}
