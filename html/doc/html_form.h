#pragma once
// ThtmlForm: the controls of one FORM element. It owns them, resets them together, submits
// their name=value pairs through the document's form-submit event and sizes them before
// layout. Controls outside any FORM share an implicit form with no attributes.
#include <cstdint>
#include <memory>
#include <string>

#include "html/reader/attributes.h"
#include "html/reader/free_list.h"
#include "platform/base/string_list.h"

class TCanvas;
class TSectionList;
class TFormControlObj;
class TRadioButtonFormControlObj;

class ThtmlForm : public TObject {
public:
    // Made with new: appends itself to document->Forms, which owns it from then on. attrs
    // may be null (an implicit form).
    ThtmlForm(TSectionList* document, const TAttributeList* attrs);
    ~ThtmlForm() override;
    ThtmlForm(const ThtmlForm&) = delete;
    ThtmlForm& operator=(const ThtmlForm&) = delete;

    TSectionList* Document;
    std::string Method = "Get"; // at most 4 characters
    std::string Action, Target, EncType;
    TFreeList<TFormControlObj> Members; // document order, owned
    int VisibleCount = 0;               // members that are not hidden fields

    void AddMember(std::unique_ptr<TFormControlObj> control);
    // Unchecks the other radio buttons of this form with the same (non-empty) name, compared
    // ignoring case.
    void UncheckSiblings(TRadioButtonFormControlObj* radio);
    void RestoreAll();
    // Enter (13) in a single-line edit box submits the form.
    void EditKeyDown(TFormControlObj* sender, int key);
    // Collects every member's pairs, the clicked button's pair last (when not empty), and
    // hands them to the document's form-submit event. Nothing without a handler.
    void Submit(const std::string& buttonPair);
    // Sizes every member (the document layout calls it first).
    void FitAll(TCanvas& canvas);
    // The pairs Submit would hand over, without raising the event.
    std::unique_ptr<TStringList> Results(const std::string& buttonPair);
};
