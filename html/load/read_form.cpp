// FORM and its controls: INPUT, SELECT with its options, TEXTAREA with its lines.
#include "html/doc/block.h"
#include "html/doc/form_control.h"
#include "html/doc/form_kinds.h"
#include "html/doc/html_form.h"
#include "html/doc/section_list.h"
#include "html/doc/text_section.h"
#include "html/load/reader_core.h"
#include "platform/base/strings.h"

namespace {

constexpr size_t kMaxOptionText = 255;

} // namespace

ThtmlForm* THtmlReader::MakeForm(const TAttributeList& attrs) {
    // The form appends itself to the document's list, which owns it.
    return new ThtmlForm(&doc_, &attrs);
}

void THtmlReader::DoForm(const TSymSet& term) {
    if (SkipTooDeep())
        return;
    TNestGuard guard(*this);
    do {
        CloseSection();
        const TElemStyle style = Capture();
        PushLevel("form", &style);
        TCellBasic* outer = OpenBlock();
        form_ = MakeForm(lex_.Attributes);
        Next();
        DoBody(term | Syms({FormSym, FormEndSym}));
        form_ = nullptr;
        CloseSection();
        PopLevel("form");
        LeaveBlock(outer);
        if (lex_.Sy == FormEndSym)
            Next();
    } while (lex_.Sy == FormSym);
}

// INPUT and SELECT; leaves the tag (or the SELECT end) current.
void THtmlReader::DoFormControl() {
    EnsureSection();
    const Symbol sy = lex_.Sy;
    const TElemStyle style = Capture();
    PushLevel(StartTagName(sy), &style);
    TFormControlObj* control = section_->AddFormControl(sy, form_, lex_.Attributes, Top(),
                                                        lex_.TagStartPosition, lex_.NoBreaking());
    if (sy == SelectSym)
        ReadOptions(control);
    if (control)
        control->ApplyStyle(Top());
    stack_.Pop();
}

void THtmlReader::ReadOptions(TFormControlObj* control) {
    auto* list = dynamic_cast<TListBoxFormControlObj*>(control);
    bool pending = false, selected = false;
    std::string value, caption;
    const auto add = [&] {
        if (pending) {
            const std::string text = Trim(caption);
            if (!text.empty() && list)
                list->AddOption(text, value, selected);
        }
        pending = false;
        caption.clear();
    };
    Next();
    while (lex_.Sy != SelectEndSym && lex_.Sy != EofSym) {
        if (lex_.Sy == OptionSym) {
            add();
            pending = true;
            selected = lex_.Attributes.Find(SelectedSym) != nullptr;
            const TAttribute* v = lex_.Attributes.Find(ValueSym);
            value = v ? v->Str : std::string();
        } else if (lex_.Sy == OptionEndSym) {
            add();
        } else if (lex_.Sy == TextSym && pending && caption.size() < kMaxOptionText) {
            caption += lex_.Token.Text();
            TruncateUtf8(caption, kMaxOptionText);
        }
        Next();
    }
    add();
}

// TEXTAREA; leaves its end tag current with the character after it.
void THtmlReader::DoTextArea() {
    EnsureSection();
    const TElemStyle style = Capture();
    PushLevel("textarea", &style);
    TFormControlObj* control = section_->AddFormControl(TextAreaSym, form_, lex_.Attributes, Top(),
                                                        lex_.TagStartPosition, lex_.NoBreaking());
    auto* area = dynamic_cast<TTextAreaFormControlObj*>(control);
    std::string line;
    for (;;) {
        ++reads_;
        lex_.ReadTextAreaSymbol();
        if (lex_.Sy == TextAreaEndSym || lex_.Sy == EofSym)
            break;
        if (lex_.Sy == EolSym) {
            if (area)
                area->AddLine(line);
            line.clear();
        } else {
            line += lex_.Token.Text();
        }
    }
    if (!line.empty() && area)
        area->AddLine(line);
    if (lex_.Sy == TextAreaEndSym) {
        while (lex_.LCh != '>' && lex_.LCh != EofChar)
            lex_.Advance();
        if (lex_.LCh == '>')
            lex_.Advance();
    }
    if (control)
        control->ApplyStyle(Top());
    stack_.Pop();
}
