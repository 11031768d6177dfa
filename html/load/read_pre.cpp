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
    section_ = std::make_unique<TPreFormated>(&doc_, link_, Top(), nullptr);
    AttachPseudo();
    lex_.InPre = true;

    TokenObj text;
    TCellBasic* innerOuter = nullptr; // set while a P or FORM block inside the PRE is open
    bool innerIsForm = false;
    const auto flush = [&] {
        if (!text.Empty()) {
            if (!section_) {
                section_ = std::make_unique<TPreFormated>(&doc_, link_, Top(), nullptr);
                AttachPseudo();
            }
            section_->AddText(text, false);
            text.Clear();
        }
    };
    // Whether the open section was started by a line end: one that is still empty when the
    // PRE ends is the line end before the end tag, not a line of its own.
    bool afterLineEnd = false;
    const auto newLine = [&] {
        flush();
        CloseSection();
        section_ = std::make_unique<TPreFormated>(&doc_, link_, Top(), nullptr);
        AttachPseudo();
        afterLineEnd = true;
    };
    const auto closeInner = [&] {
        if (!innerOuter) {
            flush();
            return;
        }
        flush();
        if (innerIsForm)
            form_ = nullptr;
        PopLevel(innerIsForm ? "form" : "p");
        LeaveBlock(innerOuter);
        innerOuter = nullptr;
        section_ = std::make_unique<TPreFormated>(&doc_, link_, Top(), nullptr);
        AttachPseudo();
    };
    const auto openInner = [&](const char* tag, bool isForm) {
        closeInner();
        CloseSection();
        const TElemStyle innerStyle = Capture();
        PushLevel(tag, &innerStyle);
        innerOuter = OpenBlock();
        innerIsForm = isForm;
        section_ = std::make_unique<TPreFormated>(&doc_, link_, Top(), nullptr);
        AttachPseudo();
    };
    // The usual browser rule: a line end right after the start tag is not content.
    if (lex_.LCh == CrChar)
        lex_.Advance();

    bool done = false;
    while (!done) {
        ++reads_;
        const char ch = lex_.LCh;
        if (ch == EofChar)
            break;
        if (ch == CrChar) {
            newLine();
            lex_.Advance();
        } else if (ch == '&') {
            TokenObj entity;
            lex_.ReadEntity(entity);
            text.Append(entity);
        } else if (ch != '<') {
            // A tab stays a tab here; the section sets it to its column.
            text.AddChar(ch == ' ' && lex_.CurrentIsTab() ? '\t' : ch, lex_.Position);
            if (text.Length() > kFlushLength)
                flush();
            lex_.Advance();
        } else {
            lex_.ReadSymbol();
            ZoomAttributes();
            const Symbol sy = lex_.Sy;
            switch (sy) {
            case TextSym: // a "<" that starts no tag
                text.Append(lex_.Token);
                break;
            case PSym:
                openInner("p", false);
                if (lex_.LCh == CrChar)
                    lex_.Advance();
                break;
            case PEndSym:
                if (innerOuter && !innerIsForm)
                    closeInner();
                break;
            case FormSym:
                openInner("form", true);
                form_ = MakeForm(lex_.Attributes);
                break;
            case FormEndSym:
                if (innerOuter && innerIsForm)
                    closeInner();
                break;
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
                flush();
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
                flush();
                CloseStyle(sy);
                break;
            case BRSym:
                newLine();
                if (lex_.LCh == CrChar)
                    lex_.Advance();
                break;
            case ImageSym:
            case PanelSym:
                flush();
                DoImage();
                break;
            case ASym:
                flush();
                DoAnchor();
                break;
            case AEndSym:
                flush();
                CloseLink();
                break;
            case InputSym:
            case SelectSym:
                flush();
                DoFormControl();
                break;
            case TextAreaSym:
                flush();
                DoTextArea();
                break;
            case MapSym:
                flush();
                DoMap(false);
                break;
            case ScriptSym:
                flush();
                lex_.ReadScript(host_.OnScript);
                break;
            case PageSym:
                flush();
                CloseSection();
                if (cell_)
                    cell_->Add(std::make_unique<TPage>(&doc_));
                section_ = std::make_unique<TPreFormated>(&doc_, link_, Top(), nullptr);
                AttachPseudo();
                break;
            case FontSym:
            case BaseFontSym:
                flush();
                DoFontTag(true);
                break;
            case FontEndSym:
                flush();
                // Only a FONT opened inside this PRE; the floor keeps the others.
                PopLevel("font");
                FontChanged();
                break;
            case StyleSym:
                flush();
                ReadStyleElement();
                break;
            case PreEndSym:
            case TDEndSym:
            case THEndSym:
            case EofSym:
                done = true;
                break;
            default:
                break;
            }
        }
    }
    flush();
    if (!innerOuter && afterLineEnd && section_ && section_->TextLen() == 0 && !section_->HasAnchor)
        DropSection();
    closeInner();
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
