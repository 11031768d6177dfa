#include "html/doc/html_form.h"

#include "html/doc/form_kinds.h"
#include "html/doc/section_list.h"
#include "platform/base/strings.h"
#include "platform/gui/control.h"

ThtmlForm::ThtmlForm(TSectionList* document, const TAttributeList* attrs) : Document(document) {
    if (attrs) {
        for (const TAttribute& a : *attrs) {
            switch (a.Sym) {
            case MethodSym:
                Method = a.Str.substr(0, 4);
                break;
            case ActionSym:
                Action = a.Str;
                break;
            case TargetSym:
                Target = a.Str;
                break;
            case EncTypeSym:
                EncType = a.Str;
                break;
            default:
                break;
            }
        }
    }
    document->Forms.Add(std::unique_ptr<ThtmlForm>(this));
}

ThtmlForm::~ThtmlForm() = default;

void ThtmlForm::AddMember(std::unique_ptr<TFormControlObj> control) {
    if (!control->IsHidden())
        ++VisibleCount;
    Members.Add(std::move(control));
}

void ThtmlForm::UncheckSiblings(TRadioButtonFormControlObj* radio) {
    if (!radio || radio->Name.empty())
        return;
    for (const auto& m : Members) {
        auto* other = dynamic_cast<TRadioButtonFormControlObj*>(m.get());
        if (other && other != radio && SameText(other->Name, radio->Name))
            other->SetChecked(false);
    }
}

void ThtmlForm::RestoreAll() {
    for (const auto& m : Members)
        m->Restore();
}

void ThtmlForm::EditKeyDown(TFormControlObj* sender, int key) {
    if (key == VK_RETURN && dynamic_cast<TEditFormControlObj*>(sender))
        Submit(std::string());
}

std::unique_ptr<TStringList> ThtmlForm::Results(const std::string& buttonPair) {
    auto results = std::make_unique<TStringList>();
    for (const auto& m : Members) {
        std::string text;
        for (int i = 0;; ++i) {
            text.clear();
            if (!m->SubmitPair(i, text))
                break;
            if (!text.empty())
                results->Add(text);
        }
    }
    if (!buttonPair.empty())
        results->Add(buttonPair);
    return results;
}

void ThtmlForm::Submit(const std::string& buttonPair) {
    if (!Document->OnFormSubmit)
        return;
    // Copies: the handler may load another page, which frees this form.
    auto handler = Document->OnFormSubmit;
    std::string action = Action, target = Target, encType = EncType, method = Method;
    handler(Document->Viewer, action, target, encType, method, Results(buttonPair));
}

void ThtmlForm::FitAll(TCanvas& canvas) {
    for (const auto& m : Members)
        m->FitSize(canvas);
}
